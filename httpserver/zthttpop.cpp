#include "zthttpop.h"

#include "ztdatadir.h"
#include "ztlog.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <atomic>

namespace {

constexpr int kDefaultTransferTimeoutMs = 30000;
const char kTimeoutVariable[] = "PIXVUE_HTTP_TIMEOUT_MS";
const char kSoftType[] = "ZIZIVUZIZAD";
const char kDefaultDumpName[] = "xxx.dmp";

std::atomic<int> g_transferTimeoutMs{0};

int defaultTransferTimeout() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue(kTimeoutVariable, &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : kDefaultTransferTimeoutMs;
}

QNetworkRequest makeRequest(const QString& url) {
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(ZtHttpOp::transferTimeout());
    return request;
}

// A name that stays inside its folder and fits into a quoted header parameter.
QString safeFileName(const QString& name) {
    QString fileName = QFileInfo(name).fileName();
    fileName.remove(QChar('"'));
    fileName.remove(QChar('\r'));
    fileName.remove(QChar('\n'));
    return fileName;
}

QHttpPart textPart(const QByteArray& name, const QString& value) {
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QVariant(QByteArray("form-data; name=\"") + name + "\""));
    part.setBody(value.toUtf8());
    return part;
}

}  // namespace

ZtHttpOp::ZtHttpOp(QObject* parent) : QObject(parent) {}

void ZtHttpOp::setTransferTimeout(int msecs) {
    g_transferTimeoutMs.store(msecs > 0 ? msecs : 0);
}

int ZtHttpOp::transferTimeout() {
    const int configured = g_transferTimeoutMs.load();
    return configured > 0 ? configured : defaultTransferTimeout();
}

bool ZtHttpOp::httpRequestGet(const QString& url, QByteArray& reply) {
    QEventLoop loop;  // first: it gives a thread without event loop its event dispatcher
    QNetworkAccessManager manager;
    QNetworkRequest request = makeRequest(url);
    request.setRawHeader("Connection", "close");
    return awaitReply(loop, manager.get(request), url, reply);
}

bool ZtHttpOp::httpRequestPost(const QString& url, const QByteArray& body, QByteArray& reply) {
    QEventLoop loop;
    QNetworkAccessManager manager;
    QNetworkRequest request = makeRequest(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Connection", "close");
    return awaitReply(loop, manager.post(request, body), url, reply);
}

bool ZtHttpOp::httpRequestPostFeedback(const QString& url, const QString& mail,
                                       const QString& problem, const QString& logName,
                                       QByteArray& reply) {
    const QString fileName = safeFileName(logName);
    const QString filePath = ztlog::dataDirectory() + "Trace/" + fileName;
    QEventLoop loop;
    QNetworkAccessManager manager;
    // The day's log names the user's files: the home folder goes out as "~".
    QHttpMultiPart* form =
        buildForm(mail, problem, "LogName", logName, filePath, fileName, HomeAsTilde);
    QNetworkReply* networkReply = manager.post(makeRequest(url), form);
    form->setParent(networkReply);
    return awaitReply(loop, networkReply, url, reply);
}

bool ZtHttpOp::httpRequestPostFile(const QString& url, const QString& mail, const QString& problem,
                                   const QString& bugReportName, QByteArray& reply) {
    const QString fileName =
        bugReportName.isEmpty() ? QString(kDefaultDumpName) : safeFileName(bugReportName);
    const QString dumpFolder = ztlog::dataDirectory() + "DumpFile/";
    const QString filePath = dumpFolder + fileName;
    LOG(ERROR) << "Dump file path:" << filePath;
    if (!QFileInfo::exists(filePath)) {
        QDir().mkpath(dumpFolder);
        QFile created(filePath);
        if (!created.open(QIODevice::WriteOnly)) {
            LOG(ERROR) << "cannot create the dump file" << filePath << created.errorString();
        }
    }
    QEventLoop loop;
    QNetworkAccessManager manager;
    QHttpMultiPart* form =
        buildForm(mail, problem, "BugReportName", bugReportName, filePath, fileName);
    QNetworkReply* networkReply = manager.post(makeRequest(url), form);
    form->setParent(networkReply);
    return awaitReply(loop, networkReply, url, reply);
}

QHttpMultiPart* ZtHttpOp::buildForm(const QString& mail, const QString& problem,
                                    const QByteArray& nameField, const QString& nameValue,
                                    const QString& filePath, const QString& fileName,
                                    FileText text) {
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(textPart("softType", kSoftType));
    form->append(textPart("mail", mail));
    form->append(textPart("ProblemDes", problem));
    form->append(textPart(nameField, nameValue));

    QHttpPart filePart;
    filePart.setHeader(
        QNetworkRequest::ContentDispositionHeader,
        QVariant(
            QStringLiteral("form-data; name=\"file\"; filename=\"%1\"").arg(fileName).toUtf8()));
    auto* file = new QFile(filePath, form);
    if (file->open(QIODevice::ReadOnly) && text == HomeAsTilde) {
        filePart.setBody(ztlog::withHomeAsTilde(file->readAll()));
    } else if (file->isOpen()) {
        filePart.setBodyDevice(file);
    } else {
        // The form still goes out, with an empty file part.
        LOG(ERROR) << "cannot open the upload file" << filePath << file->errorString();
        filePart.setBody(QByteArray());
    }
    form->append(filePart);
    return form;
}

bool ZtHttpOp::awaitReply(QEventLoop& loop, QNetworkReply* reply, const QString& url,
                          QByteArray& out) {
    if (!reply->isFinished()) {
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!reply->isFinished()) {
        reply->abort();  // the thread was asked to quit: no answer, not an empty one
    }
    bool succeeded = false;
    if (reply->error() != QNetworkReply::NoError) {
        m_nNetworkError = static_cast<qint32>(reply->error());
        LOG(ERROR) << "http get fail Url:" << url << " ,Error Code:" << m_nNetworkError;
        LOG(ERROR) << "http get fail ,Error :" << reply->errorString();
    } else {
        out = reply->readAll();
        succeeded = true;
    }
    reply->deleteLater();
    return succeeded;
}

bool ZtHttpOp::httpDownload(const QString& url, QIODevice& target, const ZtDownloadHooks& hooks) {
    QEventLoop loop;
    QNetworkAccessManager manager;
    QNetworkRequest request = makeRequest(url);
    // Every redirect is checked like the address itself.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    const bool succeeded = streamReply(loop, reply, target, hooks);
    delete reply;
    return succeeded;
}

bool ZtHttpOp::streamReply(QEventLoop& loop, QNetworkReply* reply, QIODevice& target,
                           const ZtDownloadHooks& hooks) {
    qint64 received = 0;
    bool writeFailed = false;
    const auto writeBlock = [&] {
        const QByteArray block = reply->readAll();
        if (block.isEmpty() || writeFailed) {
            return;
        }
        if (target.write(block) != block.size()) {
            LOG(ERROR) << "cannot write the download: " << target.errorString();
            writeFailed = true;
            reply->abort();
            return;
        }
        received += block.size();
        if (hooks.progress) {
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            hooks.progress(received, length.isValid() ? length.toLongLong() : -1);
        }
    };
    connect(reply, &QNetworkReply::readyRead, &loop, writeBlock);
    connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl& address) {
        if (hooks.allowRedirect && hooks.allowRedirect(address)) {
            emit reply->redirectAllowed();
        } else {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!reply->isFinished()) {
        reply->abort();  // the thread was asked to quit
    }
    writeBlock();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    LOG(INFO) << "download status code " << status;
    QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError && (status < 200 || status > 299)) {
        error = QNetworkReply::ProtocolFailure;  // no content in such an answer
    }
    if (writeFailed) {
        error = QNetworkReply::UnknownContentError;
    }
    if (error != QNetworkReply::NoError) {
        m_nNetworkError = static_cast<qint32>(error);
        LOG(ERROR) << QStringLiteral("DownLoading error,ErrorCode is [%1],ErrorDes is [%2]")
                          .arg(m_nNetworkError)
                          .arg(reply->errorString());
    }
    return error == QNetworkReply::NoError;
}
