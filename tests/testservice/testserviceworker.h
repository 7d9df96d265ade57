#pragma once

#include "pixvuetestservice.h"

#include <QHash>
#include <QObject>

#include <condition_variable>
#include <memory>
#include <mutex>

class QTcpServer;
class QTcpSocket;

class QEventLoop;

// State shared between the service's owner and its network thread, guarded by mutex
// (standard primitives, so that thread checkers see the hand-over).
struct TestServiceState {
    std::mutex mutex;
    std::condition_variable recorded;
    QEventLoop* loop = nullptr;  // the network thread's loop while it runs
    QHash<QString, QList<ScriptedReply>> queued;
    QHash<QString, ScriptedReply> persistent;
    ScriptedReply defaultReply = notFoundReply();
    QList<RecordedRequest> requests;
    QString recordFile;
    int connections = 0;
    quint16 port = 0;

    static ScriptedReply notFoundReply();
    ScriptedReply takeReply(const QByteArray& path);
    void record(const RecordedRequest& request);
    void countConnection();
};

// Lives on the service thread: accepts connections and answers them.
class TestServiceWorker : public QObject {
    Q_OBJECT

public:
    explicit TestServiceWorker(std::shared_ptr<TestServiceState> state);
    ~TestServiceWorker() override;

    bool listen(quint16 port);

private:
    void acceptConnections();

    std::shared_ptr<TestServiceState> m_state;
    QTcpServer* m_server = nullptr;
};

// One accepted connection: reads one request, records it and answers its script.
class TestServiceConnection : public QObject {
    Q_OBJECT

public:
    TestServiceConnection(QTcpSocket* socket, std::shared_ptr<TestServiceState> state,
                          QObject* parent);

private:
    void readAvailable();
    bool parseHead();
    bool takeBody();
    bool takeChunkedBody();
    void finishRequest();
    void answer(const ScriptedReply& reply);

    QTcpSocket* m_socket;
    std::shared_ptr<TestServiceState> m_state;
    QByteArray m_buffer;
    RecordedRequest m_request;
    bool m_headComplete = false;
    bool m_done = false;
    bool m_chunked = false;
    qint64 m_contentLength = 0;
};

// Splits a multipart/form-data body into its parts; empty when contentType is no multipart.
QList<RecordedPart> parseMultipart(const QByteArray& contentType, const QByteArray& body);
