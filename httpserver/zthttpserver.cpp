#include "zthttpserver.h"

#include "ztconfig.h"
#include "zthttpop.h"
#include "ztlog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

const char kSoftType[] = "ZIZIVUZIZAD";

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

ZtHttpServer::ZtHttpServer()
    : m_strBaseUrl(withoutTrailingSlash(ZtConfig::NewInstance()->getServerUrl())) {}

ZtHttpServer::~ZtHttpServer() = default;

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
    if (!sent) {
        setLastError(op.networkError());
        LOG(ERROR) << QString::fromUtf8(reply);
        return RetFail;
    }
    if (reply.isEmpty()) {
        LOG(ERROR) << "the program exception";
        setLastError(ServerErrorEmptyReply);
        return RetFail;
    }
    const QJsonObject object = body.getJsonObject(reply);
    if (object.isEmpty()) {
        LOG(ERROR) << "json result error";
        setLastError(ServerErrorBadJson);
        return RetFail;
    }
    const int state = replyState(object);
    if (state == 0) {
        LOG(INFO) << "The software is already up to date!";
        info.hasNewVersion = false;
        return RetSuccess;
    }
    if (state != 1) {
        LOG(INFO) << "msg:[ " << replyText(object, "msg") << " ]";
        setLastError(ServerErrorUnexpectedState);
        return RetFail;
    }
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
    const ReplyCheck check = checkReply(sent, reply);
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            LOG(ERROR) << "uplaod error";
            setLastError(op.networkError());
            return RetFail;
        case ReplyCheck::Empty:
            LOG(ERROR) << "The server returned empty";
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::NotJson:
            LOG(ERROR) << "The server returned json empty" << QString::fromUtf8(reply);
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::Accepted:
            LOG(INFO) << "Update FaultPost success!";
            return RetSuccess;
        case ReplyCheck::Refused:
            break;
    }
    LOG(INFO) << "msg:[ " << replyText(check.object, "msg") << " ]";
    LOG(ERROR) << "the result is ;" << indented(check.object);
    return RetFail;
}

RetValue ZtHttpServer::ServerUploadFeedback(QString mail, QString problem, QString logName) {
    ZtHttpOp op;
    QByteArray reply;
    const bool sent =
        op.httpRequestPostFeedback(m_strBaseUrl + "/client/problem", mail, problem, logName, reply);
    const ReplyCheck check = checkReply(sent, reply);
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            LOG(ERROR) << "uplaod error";
            setLastError(op.networkError());
            return RetFail;
        case ReplyCheck::Empty:
            LOG(ERROR) << "The server returned empty";
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::NotJson:
            LOG(ERROR) << "The server returned json empty" << QString::fromUtf8(reply);
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::Accepted:
            LOG(INFO) << "Update Feedback success!";
            return RetSuccess;
        case ReplyCheck::Refused:
            break;
    }
    LOG(INFO) << "msg:[ " << replyText(check.object, "msg") << " ]";
    LOG(ERROR) << "the result is ;" << indented(check.object);
    return RetFail;
}

RetValue ZtHttpServer::ServerUploadLog(QString logs) {
    ZtJsonParse body;
    body.jsonAddValue("logs", logs);
    body.jsonAddValue("softType", kSoftType);
    ZtHttpOp op;
    QByteArray reply;
    const bool sent = op.httpRequestPost(m_strBaseUrl + "/client/logs", body.getValue(), reply);
    const ReplyCheck check = checkReply(sent, reply);
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            LOG(ERROR) << "NetWork error";
            setLastError(op.networkError());
            return RetFail;
        case ReplyCheck::Empty:
            LOG(ERROR) << "the server return empty";
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::NotJson:
            LOG(ERROR) << "json result error";
            setLastError(ServerErrorBadJson);
            return RetFail;
        case ReplyCheck::Accepted:
            LOG(INFO) << "Update logs success!";
            return RetSuccess;
        case ReplyCheck::Refused:
            break;
    }
    LOG(ERROR) << "the result is ;" << indented(check.object);
    return RetFail;
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
    const ReplyCheck check = checkReply(sent, reply);
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            LOG(ERROR) << QString::fromUtf8(reply);
            setLastError(op.networkError());
            return RetFail;
        case ReplyCheck::Empty:
            LOG(ERROR) << "the program exception";
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::NotJson:
            LOG(ERROR) << "json result error";
            setLastError(ServerErrorBadJson);
            return RetFail;
        case ReplyCheck::Accepted:
            LOG(INFO) << "update data success!";
            return RetSuccess;
        case ReplyCheck::Refused:
            break;
    }
    LOG(INFO) << "msg:[ " << replyText(check.object, "msg") << " ]";
    return RetFail;
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
    const ReplyCheck check = checkReply(sent, reply);
    switch (check.outcome) {
        case ReplyCheck::NetworkFailed:
            setLastError(op.networkError());
            return RetFail;
        case ReplyCheck::Empty:
            setLastError(ServerErrorEmptyReply);
            return RetFail;
        case ReplyCheck::NotJson:
            LOG(ERROR) << "json result error";
            setLastError(ServerErrorBadJson);
            return RetFail;
        case ReplyCheck::Accepted:
            return RetSuccess;
        case ReplyCheck::Refused:
            break;
    }
    LOG(INFO) << "msg:[ " << replyText(check.object, "msg") << " ]";
    LOG(ERROR) << "the result is ;" << indented(check.object);
    return RetFail;
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
