#include "zthttpserver.h"

#include "ztconfig.h"
#include "zthttpop.h"
#include "ztlog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVector>

namespace {

const char kSoftType[] = "ZIZIVUZIZAD";
// The version check's reply state that offers a newer release.
const int kNewVersionState = 1;

// How a reply of the common envelope turned out, before each operation's own handling.
struct ReplyCheck {
    enum Outcome { NetworkFailed, Empty, NotJson, Accepted, Refused };
    Outcome outcome = NetworkFailed;
    QJsonObject object;
    int state = 0;
};

int replyState(const QJsonObject& object) {
    QJsonValue state(QJsonValue::Null);
    ZtJsonParse().JsonParse(object, "state", state);
    return state.toInt(0);
}

QString replyText(const QJsonObject& object, const QString& key) {
    QJsonValue value(QJsonValue::Null);
    ZtJsonParse().JsonParse(object, key, value);
    return value.toString();
}

QString indented(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

ReplyCheck checkReply(bool sent, const QByteArray& body) {
    ReplyCheck check;
    if (!sent) {
        return check;
    }
    if (body.isEmpty()) {
        check.outcome = ReplyCheck::Empty;
        return check;
    }
    check.object = ZtJsonParse().getJsonObject(body);
    if (check.object.isEmpty()) {
        check.outcome = ReplyCheck::NotJson;
        return check;
    }
    check.state = replyState(check.object);
    check.outcome = check.state == 0 ? ReplyCheck::Accepted : ReplyCheck::Refused;
    return check;
}

// What one operation logs, and which error it leaves, for each outcome of the reply envelope.
// A null text logs nothing.
struct ReplyTexts {
    const char* networkFailed;  // kLogReplyBody: the reply body
    const char* empty;
    const char* notJson;
    bool notJsonWithBody;  // the reply body follows the text
    qint32 notJsonError;
    const char* accepted;
    bool refusedLogsMessage;  // the reply's "msg"
    bool refusedLogsReply;    // the whole reply, indented
    qint32 refusedError;      // 0: the last error stays as it was
};

const char kLogReplyBody[] = "";

const ReplyTexts kBugReportTexts{"uplaod error",
                                 "The server returned empty",
                                 "The server returned json empty",
                                 true,
                                 ServerErrorEmptyReply,
                                 "Update FaultPost success!",
                                 true,
                                 true,
                                 0};
const ReplyTexts kFeedbackTexts{"uplaod error",
                                "The server returned empty",
                                "The server returned json empty",
                                true,
                                ServerErrorEmptyReply,
                                "Update Feedback success!",
                                true,
                                true,
                                0};
const ReplyTexts kUploadLogTexts{"NetWork error",
                                 "the server return empty",
                                 "json result error",
                                 false,
                                 ServerErrorBadJson,
                                 "Update logs success!",
                                 false,
                                 true,
                                 0};
const ReplyTexts kUploadDataTexts{kLogReplyBody,
                                  "the program exception",
                                  "json result error",
                                  false,
                                  ServerErrorBadJson,
                                  "update data success!",
                                  true,
                                  false,
                                  0};
const ReplyTexts kUserOperationTexts{
    nullptr, nullptr, "json result error", false, ServerErrorBadJson, nullptr, true, true, 0};
const ReplyTexts kVersionTexts{kLogReplyBody,
                               "the program exception",
                               "json result error",
                               false,
                               ServerErrorBadJson,
                               "The software is already up to date!",
                               true,
                               false,
                               ServerErrorUnexpectedState};

struct LogLine {
    bool isError;
    QString text;
};

// An operation's result decided from its reply envelope alone.
struct ReplyVerdict {
    RetValue result = RetFail;
    qint32 lastError = 0;  // 0: leave the last error alone
    QVector<LogLine> lines;
};

ReplyVerdict judgeReply(const ReplyCheck& check, const QByteArray& reply, qint32 networkError,
                        const ReplyTexts& texts) {
    ReplyVerdict verdict;
    auto log = [&verdict](bool isError, const char* text, const QString& tail = QString()) {
        if (text != nullptr) {
            verdict.lines.append(LogLine{isError, QString::fromUtf8(text) + tail});
        }
    };
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            log(true, texts.networkFailed,
                texts.networkFailed == kLogReplyBody ? QString::fromUtf8(reply) : QString());
            verdict.lastError = networkError;
            break;
        case ReplyCheck::Empty:
            log(true, texts.empty);
            verdict.lastError = ServerErrorEmptyReply;
            break;
        case ReplyCheck::NotJson:
            log(true, texts.notJson, texts.notJsonWithBody ? QString::fromUtf8(reply) : QString());
            verdict.lastError = texts.notJsonError;
            break;
        case ReplyCheck::Accepted:
            log(false, texts.accepted);
            verdict.result = RetSuccess;
            break;
        case ReplyCheck::Refused:
            if (texts.refusedLogsMessage) {
                log(false, "msg:[ ", replyText(check.object, "msg") + " ]");
            }
            if (texts.refusedLogsReply) {
                log(true, "the result is ;", indented(check.object));
            }
            verdict.lastError = texts.refusedError;
            break;
    }
    return verdict;
}

QString withoutTrailingSlash(QString url) {
    while (url.endsWith('/')) {
        url.chop(1);
    }
    return url;
}

// The text of a string member, empty when it is missing or no string.
QString stringMember(const QJsonObject& object, const QString& key) {
    return object.value(key).toString();
}

}  // namespace

// Writes a verdict's lines; a macro, so that they carry the calling operation's name.
#define ZT_LOG_VERDICT(verdict)                    \
    for (const LogLine& line_ : (verdict).lines) { \
        if (line_.isError) {                       \
            LOG(ERROR) << line_.text;              \
        } else {                                   \
            LOG(INFO) << line_.text;               \
        }                                          \
    }

ZtHttpServer::ZtHttpServer()
    : m_strBaseUrl(withoutTrailingSlash(ZtConfig::NewInstance()->getServerUrl())) {}

ZtHttpServer::~ZtHttpServer() = default;

RetValue ZtHttpServer::ServerDownloadFile(const QString& url, QIODevice& target,
                                          const ZtDownloadHooks& hooks) {
    ZtHttpOp op;
    if (op.httpDownload(url, target, hooks)) {
        return RetSuccess;
    }
    return settle(RetFail, op.networkError());
}

RetValue ZtHttpServer::settle(RetValue result, qint32 lastError) {
    if (lastError != 0) {
        setLastError(lastError);
    }
    return result;
}

qint32 ZtHttpServer::getLastError() const {
    return m_nLastError;
}

void ZtHttpServer::setLastError(qint32 code) {
    m_nLastError = code;
}

void ZtHttpServer::setTransferTimeout(int msecs) {
    ZtHttpOp::setTransferTimeout(msecs);
}

int ZtHttpServer::transferTimeout() {
    return ZtHttpOp::transferTimeout();
}

RetValue ZtHttpServer::ServerCheckSoftwareVersion(QString version, UpdateInfo& info) {
    ZtJsonParse body;
    body.jsonAddValue("version", version);
    body.jsonAddValue("softType", kSoftType);
    ZtHttpOp op;
    QByteArray reply;
    const bool sent =
        op.httpRequestPost(m_strBaseUrl + "/client/queryVersion", body.getValue(), reply);
    const ReplyCheck check = checkReply(sent, reply);
    if (check.outcome != ReplyCheck::Refused || check.state != kNewVersionState) {
        const ReplyVerdict verdict = judgeReply(check, reply, op.networkError(), kVersionTexts);
        ZT_LOG_VERDICT(verdict);
        if (verdict.result == RetSuccess) {
            info.hasNewVersion = false;
        }
        return settle(verdict.result, verdict.lastError);
    }
    const QJsonObject& object = check.object;
    ZtJsonParse data;
    body.JsonParse(object, "data", data);
    if (data.getJsonObject().isEmpty()) {
        // A new version without its details cannot be offered to the user.
        LOG(ERROR) << "json result error";
        LOG(ERROR) << "the result is ;" << indented(object);
        setLastError(ServerErrorBadJson);
        return RetFail;
    }
    const QJsonObject details = data.getJsonObject();
    info.version = stringMember(details, "version");
    info.downloadUrl = stringMember(details, "downloadUrl");
    const bool chinese = ZtConfig::NewInstance()->getLanguageType() == Chinese;
    QJsonArray notes;
    body.JsonArrayParse(details, chinese ? "chinese" : "english", notes);
    for (const QJsonValue& note : notes) {
        if (note.isString()) {
            info.descriptions.append(note.toString());
            LOG(INFO) << "des :[" << note.toString() << "]";
        }
    }
    info.hasNewVersion = true;
    LOG(INFO) << "The software lastest version is :[" << info.version << "]";
    LOG(INFO) << "The software download url is :[" << info.downloadUrl << "]";
    return RetSuccess;
}

RetValue ZtHttpServer::ServerGetFirmwareInfo(QString product, QList<FirmwareInfo>& list) {
    ZtHttpOp op;
    QByteArray reply;
    if (!op.httpRequestGet(m_strBaseUrl + "/firmware/firmware", reply)) {
        LOG(ERROR) << "NetWork error";
        setLastError(op.networkError());
        return RetFail;
    }
    if (reply.isEmpty()) {
        LOG(ERROR) << "json result error";
        setLastError(ServerErrorBadJson);
        return RetFail;
    }
    ZtJsonParse parser;
    const QJsonObject object = parser.getJsonObject(reply);
    QJsonArray entries;
    parser.JsonArrayParse(object, "obj", entries);
    for (const QJsonValue& entry : entries) {
        if (!entry.isObject()) {
            LOG(ERROR) << "json result error";
            LOG(ERROR) << "the result is ;" << indented(object);
            setLastError(ServerErrorBadJson);
            return RetFail;
        }
        const QJsonObject fields = entry.toObject();
        if (stringMember(fields, "product") == product) {
            list.append(FirmwareInfo{product, stringMember(fields, "filename"),
                                     stringMember(fields, "uploadDate"),
                                     stringMember(fields, "md5sum"), stringMember(fields, "url")});
        }
    }
    if (!list.isEmpty()) {
        LOG(INFO) << "Get Firmware info success";
        return RetSuccess;
    }
    LOG(ERROR) << "the product [" << product << "] is not matched!";
    setLastError(ServerErrorProductNotFound);
    return RetFail;
}

RetValue ZtHttpServer::ServerUploadBugReport(QString mail, QString problem, QString bugReportName) {
    ZtHttpOp op;
    QByteArray reply;
    const bool sent =
        op.httpRequestPostFile(m_strBaseUrl + "/client/bugs", mail, problem, bugReportName, reply);
    const ReplyVerdict verdict =
        judgeReply(checkReply(sent, reply), reply, op.networkError(), kBugReportTexts);
    ZT_LOG_VERDICT(verdict);
    return settle(verdict.result, verdict.lastError);
}

RetValue ZtHttpServer::ServerUploadFeedback(QString mail, QString problem, QString logName) {
    ZtHttpOp op;
    QByteArray reply;
    const bool sent =
        op.httpRequestPostFeedback(m_strBaseUrl + "/client/problem", mail, problem, logName, reply);
    const ReplyVerdict verdict =
        judgeReply(checkReply(sent, reply), reply, op.networkError(), kFeedbackTexts);
    ZT_LOG_VERDICT(verdict);
    return settle(verdict.result, verdict.lastError);
}

RetValue ZtHttpServer::ServerUploadLog(QString logs) {
    ZtJsonParse body;
    body.jsonAddValue("logs", logs);
    body.jsonAddValue("softType", kSoftType);
    ZtHttpOp op;
    QByteArray reply;
    const bool sent = op.httpRequestPost(m_strBaseUrl + "/client/logs", body.getValue(), reply);
    const ReplyVerdict verdict =
        judgeReply(checkReply(sent, reply), reply, op.networkError(), kUploadLogTexts);
    ZT_LOG_VERDICT(verdict);
    return settle(verdict.result, verdict.lastError);
}

RetValue ZtHttpServer::ServerUploadData(QString mail, QString devModel, ZtJsonParse info,
                                        bool success) {
    ZtJsonParse body;
    body.jsonAddValue("mail", mail);
    body.jsonAddValue("devmodel", devModel);
    body.jsonAddValue("result", success ? QStringLiteral("SUCCESS") : QStringLiteral("FAIL"));
    body.jsonAddValue("softType", kSoftType);
    body.jsonAddValue("info", info.getJsonObject());
    ZtHttpOp op;
    QByteArray reply;
    const bool sent = op.httpRequestPost(m_strBaseUrl + "/client/saveInfo", body.getValue(), reply);
    const ReplyVerdict verdict =
        judgeReply(checkReply(sent, reply), reply, op.networkError(), kUploadDataTexts);
    ZT_LOG_VERDICT(verdict);
    return settle(verdict.result, verdict.lastError);
}

RetValue ZtHttpServer::ServerUserOperation(QString softType, QString operateType) {
    ZtJsonParse body;
    body.jsonAddValue("operateType", operateType.toUpper());
    body.jsonAddValue("softType", softType.toUpper());
    body.jsonAddValue("ip", getInternetIP());
    ZtHttpOp op;
    QByteArray reply;
    const bool sent =
        op.httpRequestPost(m_strBaseUrl + "/client/userOperating", body.getValue(), reply);
    const ReplyVerdict verdict =
        judgeReply(checkReply(sent, reply), reply, op.networkError(), kUserOperationTexts);
    ZT_LOG_VERDICT(verdict);
    return settle(verdict.result, verdict.lastError);
}

QString ZtHttpServer::getInternetIP() {
    QString address;
    ZtHttpOp op;
    QByteArray reply;
    if (op.httpRequestGet(ZtConfig::NewInstance()->getPublicIpUrl(), reply) && !reply.isEmpty()) {
        QString text = QString::fromUtf8(reply);
        text.remove(';');
        const int brace = text.indexOf('{');
        if (brace > 0) {
            text = text.mid(brace);
        }
        address = replyText(ZtJsonParse().getJsonObject(text.toUtf8()), "cip");
    }
    if (address.isEmpty()) {
        address = ZtConfig::NewInstance()->getHostIpAddress();
    }
    LOG(INFO) << "Cip:" << address;
    return address;
}
