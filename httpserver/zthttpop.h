#pragma once

#include "ztserverdefine.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QEventLoop;
class QIODevice;
class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One blocking HTTP request: the reply is awaited on a local event loop of the calling
// thread, so it works on threads that have no event loop of their own. A transfer that
// makes no progress for transferTimeout() milliseconds is aborted and fails.
class ZtHttpOp : public QObject {
    Q_OBJECT

public:
    explicit ZtHttpOp(QObject* parent = nullptr);

    bool httpRequestGet(const QString& url, QByteArray& reply);
    bool httpRequestPost(const QString& url, const QByteArray& body, QByteArray& reply);
    bool httpRequestPostFeedback(const QString& url, const QString& mail, const QString& problem,
                                 const QString& logName, QByteArray& reply);
    bool httpRequestPostFile(const QString& url, const QString& mail, const QString& problem,
                             const QString& bugReportName, QByteArray& reply);
    // GETs url block by block into target. An answer without content (not 2xx) fails with
    // ProtocolFailure, a block that cannot be written with UnknownContentError; quitting the
    // calling thread's event loops aborts with OperationCanceledError.
    bool httpDownload(const QString& url, QIODevice& target, const ZtDownloadHooks& hooks);

    qint32 networkError() const { return m_nNetworkError; }

    // 0 < msecs: the time-out for later requests; msecs <= 0 restores the default, which is
    // PIXVUE_HTTP_TIMEOUT_MS from the environment when set, else 30 000.
    static void setTransferTimeout(int msecs);
    static int transferTimeout();

private:
    enum FileText { AsStored, HomeAsTilde };
    QHttpMultiPart* buildForm(const QString& mail, const QString& problem,
                              const QByteArray& nameField, const QString& nameValue,
                              const QString& filePath, const QString& fileName,
                              FileText text = AsStored);
    bool streamReply(QEventLoop& loop, QNetworkReply* reply, QIODevice& target,
                     const ZtDownloadHooks& hooks);
    bool awaitReply(QEventLoop& loop, QNetworkReply* reply, const QString& url, QByteArray& out);

    qint32 m_nNetworkError = 0;
};
