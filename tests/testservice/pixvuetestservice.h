#pragma once

#include "pixvuetestservice_global.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <thread>

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// One part of a multipart/form-data body, as received.
struct PIXVUETESTSERVICE_EXPORT RecordedPart {
    HeaderList headers;      // in the order sent, names as sent
    QByteArray disposition;  // the Content-Disposition value
    QByteArray name;         // name="..." of the disposition
    QByteArray fileName;     // filename="..." of the disposition, empty when absent
    bool hasFileName = false;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
};

// One HTTP request as the service received it.
struct PIXVUETESTSERVICE_EXPORT RecordedRequest {
    QByteArray method;
    QByteArray path;   // without the query
    QByteArray query;  // after "?", empty when absent
    QByteArray version;
    HeaderList headers;         // in the order sent, names as sent
    QByteArray body;            // the raw body (de-chunked when sent chunked)
    QList<RecordedPart> parts;  // parsed when the body is multipart/form-data

    bool hasHeader(const QByteArray& name) const;
    QByteArray header(const QByteArray& name) const;  // case-insensitive; empty when absent
    QJsonObject json() const;                         // the body as a JSON object, or empty
    QJsonObject toJson() const;                       // the whole record, for JSON lines
};

// What the service answers to one request.
struct PIXVUETESTSERVICE_EXPORT ScriptedReply {
    enum Kind {
        Respond,           // status line, headers and body
        CloseConnection,   // the connection is closed without any answer
        NeverReply,        // the request is read and left unanswered, the connection open
        StallAfterHeaders  // headers and the first stallAfterBytes body bytes, then silence
    };

    Kind kind = Respond;
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    int delayMs = 0;          // wait before answering
    int stallAfterBytes = 0;  // StallAfterHeaders only
    HeaderList extraHeaders;  // sent after Content-Type, in order

    static ScriptedReply json(const QJsonObject& object);
    static ScriptedReply array(const QJsonArray& array);
    // {"state": state, "msg": msg} plus "data" when data is not empty.
    static ScriptedReply envelope(int state, const QString& msg = QString(),
                                  const QJsonObject& data = QJsonObject());
    static ScriptedReply raw(const QByteArray& body, const QByteArray& contentType = "text/plain");
    static ScriptedReply empty();
    static ScriptedReply httpError(int status, const QByteArray& body = QByteArray());
    static ScriptedReply closeConnection();
    static ScriptedReply neverReply();
    static ScriptedReply stallAfterHeaders(const QByteArray& body, int sentBytes);
    // A redirect (301, 302, 303, 307 or 308) to location.
    static ScriptedReply redirect(int status, const QByteArray& location);
    // A JSON envelope {"state":0,"msg":"<filler>"} of exactly `bytes` bytes (at least 30).
    static ScriptedReply large(int bytes);

    // Parses the command-line form of a reply (see README.md); false on a malformed script.
    static bool fromText(const QString& script, ScriptedReply* reply, QString* error);
};

struct TestServiceState;

// A real HTTP/1.1 server on 127.0.0.1 that runs on a thread of its own, records every
// request and answers scripted replies per path. Every method may be called from any thread.
// A path without a script answers 404 with a JSON envelope of state -1.
class PIXVUETESTSERVICE_EXPORT PixvueTestService {
public:
    PixvueTestService();
    ~PixvueTestService();
    PixvueTestService(const PixvueTestService&) = delete;
    PixvueTestService& operator=(const PixvueTestService&) = delete;

    // Listens on 127.0.0.1 at port (0: an ephemeral port). False when the port is taken.
    bool start(quint16 port = 0);
    void stop();
    quint16 port() const;
    QString baseUrl() const;  // "http://127.0.0.1:<port>"
    QString url(const QString& path) const;

    // The reply for every later request to path (the query is ignored).
    void setReply(const QString& path, const ScriptedReply& reply);
    // A one-time reply for path, used before the persistent one; queued ones go in order.
    void queueReply(const QString& path, const ScriptedReply& reply);
    void setDefaultReply(const ScriptedReply& reply);
    void clearReplies();

    // Each recorded request is also appended to this file as one JSON line (empty: none).
    void setRecordFile(const QString& path);

    QList<RecordedRequest> requests() const;
    QList<RecordedRequest> requests(const QString& path) const;
    int requestCount() const;
    RecordedRequest lastRequest() const;  // an empty record when none was received
    void clearRequests();
    // Waits until at least count requests were recorded in total.
    bool waitForRequests(int count, int timeoutMs = 5000) const;
    // Connections accepted so far (also those closed before a full request arrived).
    int connectionCount() const;

private:
    std::shared_ptr<TestServiceState> m_shared;
    std::unique_ptr<std::thread> m_thread;
};
