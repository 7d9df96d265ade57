#include "httptestsupport.h"
#include "pixvuetestservice.h"
#include "ztconfig.h"
#include "zthttpserver.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

const char kIpPath[] = "/cityjson/getip.aspx";
const char kSoftType[] = "ZIZIVUZIZAD";
constexpr int kShortTimeoutMs = 300;

// Expected log lines of one operation per outcome of the common reply frame.
// "<msg>", "<json>" and "<body>" stand for the reply's msg, its indented JSON and raw body.
struct FrameTexts {
    QStringList success;
    QStringList refused;
    QStringList empty;
    QStringList notJson;
    QStringList network;
    int notJsonCode = 506;
    int refusedCode = 0;  // the last error after a state other than 0
};

QString hostAddress() {
    return ZtConfig::NewInstance()->getHostIpAddress();
}

QString indentedJson(const QByteArray& body) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    return document.isNull()
               ? QString()
               : QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed();
}

QStringList describe(const QList<LogEntry>& entries) {
    QStringList lines;
    for (const LogEntry& entry : entries) {
        lines.append(entry.level + ' ' + entry.message);
    }
    return lines;
}

QByteArray partBody(const RecordedRequest& request, const QByteArray& name) {
    for (const RecordedPart& part : request.parts) {
        if (part.name == name) {
            return part.body;
        }
    }
    return QByteArray("<missing part>");
}

}  // namespace

class TestHttpServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void versionCheckResultCodes_data();
    void versionCheckResultCodes();
    void versionCheckFillsUpdateInfo();
    void versionCheckRejectsStateOneWithoutData();
    void firmwareQueryResultCodes_data();
    void firmwareQueryResultCodes();
    void uploadLogResultCodes_data();
    void uploadLogResultCodes();
    void uploadDataResultCodes_data();
    void uploadDataResultCodes();
    void userOperationResultCodes_data();
    void userOperationResultCodes();
    void bugReportResultCodes_data();
    void bugReportResultCodes();
    void feedbackResultCodes_data();
    void feedbackResultCodes();

    void networkFailureLogsUrlAndQtError();
    void lastErrorSurvivesLaterSuccessAndCopies();
    void baseUrlTrailingSlashIsDropped();
    void publicAddressReplyForms_data();
    void publicAddressReplyForms();
    void bugReportDumpFiles();
    void feedbackLogFiles();
    void badReplies_data();
    void badReplies();
    void stalledTransferTimesOut();
    void worksOnThreadsWithoutEventLoop();

private:
    void addFrameRows(const FrameTexts& texts);
    void arrange(const QString& path, const QString& script);
    void checkOutcome(RetValue actual, const ZtHttpServer& server, const QString& function,
                      const QByteArray& replyBody);
    QByteArray scriptedBody(const QString& script) const;
    RecordedRequest onlyRequest(const QString& path);

    PixvueTestService m_service;
    LogWatcher m_log;
};

void TestHttpServer::initTestCase() {
    QVERIFY(m_service.start());
    httptest::useAddresses(m_service.baseUrl(), m_service.url(kIpPath));
}

void TestHttpServer::init() {
    m_service.clearReplies();
    m_service.clearRequests();
    m_service.setReply(kIpPath, ScriptedReply::json({{"cip", "203.0.113.9"}}));
    httptest::useAddresses(m_service.baseUrl(), m_service.url(kIpPath));
    ZtHttpServer::setTransferTimeout(10000);
    m_log.mark();
}

// Scripts the reply for path. "unreachable" points the client at a closed port (also for
// the public-address query); "never" and "stall" shorten the transfer time-out.
void TestHttpServer::arrange(const QString& path, const QString& script) {
    if (script == "unreachable") {
        const QString closed = httptest::unreachableUrl();
        httptest::useAddresses(closed, closed + kIpPath);
        m_log.mark();
        return;
    }
    ScriptedReply reply;
    QVERIFY2(ScriptedReply::fromText(script, &reply, nullptr), qPrintable(script));
    m_service.setReply(path, reply);
    if (script == "never" || script.startsWith("stall")) {
        ZtHttpServer::setTransferTimeout(kShortTimeoutMs);
    }
}

QByteArray TestHttpServer::scriptedBody(const QString& script) const {
    ScriptedReply reply;
    ScriptedReply::fromText(script, &reply, nullptr);
    return reply.body;
}

void TestHttpServer::addFrameRows(const FrameTexts& texts) {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("lastError");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("state 0") << "envelope:0:ok" << 1 << 0 << texts.success;
    QTest::newRow("no state") << R"(json:{"msg":"noted"})" << 1 << 0 << texts.success;
    QTest::newRow("state 3") << "envelope:3:quota" << 0 << texts.refusedCode << texts.refused;
    QTest::newRow("empty body") << "empty" << 0 << 502 << texts.empty;
    QTest::newRow("not json") << "text:<html>busy</html>" << 0 << texts.notJsonCode
                              << texts.notJson;
    QTest::newRow("top-level array") << "json:[0,1]" << 0 << texts.notJsonCode << texts.notJson;
    QTest::newRow("empty object") << "json:{}" << 0 << texts.notJsonCode << texts.notJson;
    QTest::newRow("http 500") << "status:500:oops" << 0 << int(QNetworkReply::InternalServerError)
                              << texts.network;
    QTest::newRow("connection closed")
        << "close" << 0 << int(QNetworkReply::RemoteHostClosedError) << texts.network;
    QTest::newRow("unreachable") << "unreachable" << 0 << int(QNetworkReply::ConnectionRefusedError)
                                 << texts.network;
    QTest::newRow("time-out") << "never" << 0 << int(QNetworkReply::OperationCanceledError)
                              << texts.network;
}

void TestHttpServer::checkOutcome(RetValue actual, const ZtHttpServer& server,
                                  const QString& function, const QByteArray& replyBody) {
    QFETCH(int, result);
    QFETCH(int, lastError);
    QFETCH(QStringList, log);
    const QJsonObject replyObject = QJsonDocument::fromJson(replyBody).object();
    QStringList expected;
    for (QString line : log) {
        line.replace("<json>", indentedJson(replyBody));
        line.replace("<msg>", replyObject.value("msg").toString());
        line.replace("<body>", QString::fromUtf8(replyBody));
        expected.append(line);
    }
    QCOMPARE(int(actual), result);
    QCOMPARE(server.getLastError(), lastError);
    QCOMPARE(describe(m_log.linesOf(function)), expected);
}

RecordedRequest TestHttpServer::onlyRequest(const QString& path) {
    const QList<RecordedRequest> received = m_service.requests(path);
    // The client never retries; Qt's HTTP layer itself resends a request once or twice when
    // the server closes the connection without answering anything.
    const bool resent = QString(QTest::currentDataTag()) == "connection closed";
    if (received.isEmpty() || (received.size() > 1 && !resent) || received.size() > 3) {
        qWarning() << "requests to" << path << ":" << received.size();
        return RecordedRequest();
    }
    return received.last();
}

// --- version check ------------------------------------------------------------------------

void TestHttpServer::versionCheckResultCodes_data() {
    FrameTexts texts;
    texts.success = QStringList{"INFO The software is already up to date!"};
    texts.refused = QStringList{"INFO msg:[ <msg> ]"};
    texts.empty = QStringList{"ERROR the program exception"};
    texts.notJson = QStringList{"ERROR json result error"};
    texts.network = QStringList{"ERROR "};
    texts.refusedCode = 503;
    addFrameRows(texts);
}

void TestHttpServer::versionCheckResultCodes() {
    QFETCH(QString, script);
    arrange("/client/queryVersion", script);
    ZtHttpServer server;
    UpdateInfo info;
    info.version = "untouched";
    const RetValue result = server.ServerCheckSoftwareVersion("1.2.3", info);

    checkOutcome(result, server, "ZtHttpServer::ServerCheckSoftwareVersion", scriptedBody(script));
    QVERIFY(!info.hasNewVersion);
    QCOMPARE(info.version, QString("untouched"));
    if (script == "unreachable") {
        QCOMPARE(m_service.requestCount(), 0);
        return;
    }
    const RecordedRequest request = onlyRequest("/client/queryVersion");
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(request.header("Connection"), QByteArray("close"));
    QCOMPARE(request.body, QByteArray(R"({"softType":"ZIZIVUZIZAD","version":"1.2.3"})"));
}

void TestHttpServer::versionCheckFillsUpdateInfo() {
    const QJsonObject data{
        {"version", "2.0.1"},
        {"downloadUrl", "http://127.0.0.1:1/Update_Pixvue_V2.0.1.run"},
        {"english", QJsonArray{"Faster conversion", 5, "Fewer crashes", QJsonValue()}},
        {"chinese", QJsonArray{"更快的转换"}}};
    struct Case {
        int language;
        QStringList notes;
    };
    const QList<Case> cases{{0, {"Faster conversion", "Fewer crashes"}},
                            {1, {"更快的转换"}},
                            {7, {"Faster conversion", "Fewer crashes"}}};
    for (const Case& c : cases) {
        m_service.setReply("/client/queryVersion", ScriptedReply::envelope(1, "new", data));
        httptest::setLanguage(c.language);
        m_log.mark();
        ZtHttpServer server;
        UpdateInfo info;
        QCOMPARE(server.ServerCheckSoftwareVersion("1.0.0", info), RetSuccess);
        QVERIFY(info.hasNewVersion);
        QCOMPARE(info.version, QString("2.0.1"));
        QCOMPARE(info.downloadUrl, QString("http://127.0.0.1:1/Update_Pixvue_V2.0.1.run"));
        QCOMPARE(info.descriptions, c.notes);
        QStringList expected;
        for (const QString& note : c.notes) {
            expected.append("INFO des :[" + note + "]");
        }
        expected << "INFO The software lastest version is :[2.0.1]"
                 << "INFO The software download url is :[" + info.downloadUrl + "]";
        QCOMPARE(describe(m_log.linesOf("ZtHttpServer::ServerCheckSoftwareVersion")), expected);
        QCOMPARE(server.getLastError(), 0);
    }
    httptest::setLanguage(0);

    // Members of the wrong type give empty texts.
    m_service.setReply("/client/queryVersion",
                       ScriptedReply::envelope(1, "", {{"version", 3}, {"english", "x"}}));
    ZtHttpServer server;
    UpdateInfo info;
    QCOMPARE(server.ServerCheckSoftwareVersion("1.0.0", info), RetSuccess);
    QVERIFY(info.hasNewVersion);
    QVERIFY(info.version.isEmpty());
    QVERIFY(info.downloadUrl.isEmpty());
    QVERIFY(info.descriptions.isEmpty());
}

void TestHttpServer::versionCheckRejectsStateOneWithoutData() {
    const QList<QByteArray> replies{R"({"state":1,"data":"2.0.1"})", R"({"state":1})",
                                    R"({"state":1,"data":[1]})"};
    for (const QByteArray& body : replies) {
        m_service.setReply("/client/queryVersion", ScriptedReply::raw(body, "application/json"));
        m_log.mark();
        ZtHttpServer server;
        UpdateInfo info;
        QCOMPARE(server.ServerCheckSoftwareVersion("1.0.0", info), RetFail);
        QCOMPARE(server.getLastError(), 506);
        QVERIFY(!info.hasNewVersion);
        QCOMPARE(
            describe(m_log.linesOf("ZtHttpServer::ServerCheckSoftwareVersion")),
            (QStringList{"ERROR json result error", "ERROR the result is ;" + indentedJson(body)}));
    }
}

// --- firmware query -----------------------------------------------------------------------

void TestHttpServer::firmwareQueryResultCodes_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("lastError");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("matches");
    const QString entry =
        R"({"product":"pixvue","filename":"a.run","uploadDate":"2024-01-02","md5sum":"ab","url":"u1"})";
    const QStringList noMatch{"ERROR the product [pixvue] is not matched!"};
    const QStringList network{"ERROR NetWork error"};
    QTest::newRow("two matches") << "json:{\"obj\":[" + entry +
                                        R"(,{"product":"other"},{"product":"pixvue"}]})"
                                 << 1 << 0 << QStringList{"INFO Get Firmware info success"} << 2;
    QTest::newRow("case differs") << R"(json:{"obj":[{"product":"PIXVUE"}]})" << 0 << 512 << noMatch
                                  << 0;
    QTest::newRow("string after a match")
        << "json:{\"obj\":[" + entry + ",\"oops\"]}" << 0 << 506
        << QStringList{"ERROR json result error", "ERROR the result is ;<json>"} << 1;
    QTest::newRow("empty body") << "empty" << 0 << 506 << QStringList{"ERROR json result error"}
                                << 0;
    QTest::newRow("obj no array") << R"(json:{"obj":{"product":"pixvue"}})" << 0 << 512 << noMatch
                                  << 0;
    QTest::newRow("not json") << "text:nothing here" << 0 << 512 << noMatch << 0;
    QTest::newRow("http 404") << "status:404" << 0 << int(QNetworkReply::ContentNotFoundError)
                              << network << 0;
    QTest::newRow("unreachable") << "unreachable" << 0 << int(QNetworkReply::ConnectionRefusedError)
                                 << network << 0;
    QTest::newRow("time-out") << "never" << 0 << int(QNetworkReply::OperationCanceledError)
                              << network << 0;
}

void TestHttpServer::firmwareQueryResultCodes() {
    QFETCH(QString, script);
    QFETCH(int, matches);
    arrange("/firmware/firmware", script);
    ZtHttpServer server;
    QList<FirmwareInfo> list;
    const RetValue result = server.ServerGetFirmwareInfo("pixvue", list);
    checkOutcome(result, server, "ZtHttpServer::ServerGetFirmwareInfo", scriptedBody(script));
    QCOMPARE(list.size(), matches);
    if (matches > 0) {
        QCOMPARE(list.first().product, QString("pixvue"));
        QCOMPARE(list.first().filename, QString("a.run"));
        QCOMPARE(list.first().uploadDate, QString("2024-01-02"));
        QCOMPARE(list.first().md5sum, QString("ab"));
        QCOMPARE(list.first().url, QString("u1"));
    }
    if (script == "unreachable") {
        return;
    }
    const RecordedRequest request = onlyRequest("/firmware/firmware");
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.header("Connection"), QByteArray("close"));
    QVERIFY(request.query.isEmpty());
    QVERIFY(request.body.isEmpty());
}

// --- JSON uploads -------------------------------------------------------------------------

void TestHttpServer::uploadLogResultCodes_data() {
    FrameTexts texts;
    texts.success = QStringList{"INFO Update logs success!"};
    texts.refused = QStringList{"ERROR the result is ;<json>"};
    texts.empty = QStringList{"ERROR the server return empty"};
    texts.notJson = QStringList{"ERROR json result error"};
    texts.network = QStringList{"ERROR NetWork error"};
    addFrameRows(texts);
}

void TestHttpServer::uploadLogResultCodes() {
    QFETCH(QString, script);
    arrange("/client/logs", script);
    ZtHttpServer server;
    const QString logs = "user&/20240102.log&[2024-01-02 10:00:00,000][INFO] Grüße \"x\"\n";
    const RetValue result = server.ServerUploadLog(logs);
    checkOutcome(result, server, "ZtHttpServer::ServerUploadLog", scriptedBody(script));
    if (script == "unreachable") {
        return;
    }
    const RecordedRequest request = onlyRequest("/client/logs");
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(request.header("Connection"), QByteArray("close"));
    QCOMPARE(request.body, QJsonDocument(QJsonObject{{"logs", logs}, {"softType", kSoftType}})
                               .toJson(QJsonDocument::Compact));
    QCOMPARE(request.json().value("logs").toString(), logs);
}

void TestHttpServer::uploadDataResultCodes_data() {
    FrameTexts texts;
    texts.success = QStringList{"INFO update data success!"};
    texts.refused = QStringList{"INFO msg:[ <msg> ]"};
    texts.empty = QStringList{"ERROR the program exception"};
    texts.notJson = QStringList{"ERROR json result error"};
    texts.network = QStringList{"ERROR "};
    addFrameRows(texts);
}

void TestHttpServer::uploadDataResultCodes() {
    QFETCH(QString, script);
    arrange("/client/saveInfo", script);
    ZtHttpServer server;
    ZtJsonParse info;
    info.jsonAddValue("files", QJsonArray{"a.heic", "b.heic"});
    info.jsonAddValue("format", "JPG");
    const bool success = !script.startsWith("envelope:0");  // both "result" values get sent
    const RetValue result = server.ServerUploadData("me@example.com", "iPhone 12", info, success);
    checkOutcome(result, server, "ZtHttpServer::ServerUploadData", scriptedBody(script));
    if (script == "unreachable") {
        return;
    }
    const RecordedRequest request = onlyRequest("/client/saveInfo");
    QCOMPARE(request.header("Connection"), QByteArray("close"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    const QJsonObject expected{{"mail", "me@example.com"},
                               {"devmodel", "iPhone 12"},
                               {"result", success ? "SUCCESS" : "FAIL"},
                               {"softType", kSoftType},
                               {"info", info.getJsonObject()}};
    QCOMPARE(request.body, QJsonDocument(expected).toJson(QJsonDocument::Compact));
}

void TestHttpServer::userOperationResultCodes_data() {
    FrameTexts texts;
    texts.refused = QStringList{"INFO msg:[ <msg> ]", "ERROR the result is ;<json>"};
    texts.notJson = QStringList{"ERROR json result error"};
    addFrameRows(texts);
}

void TestHttpServer::userOperationResultCodes() {
    QFETCH(QString, script);
    arrange("/client/userOperating", script);
    ZtHttpServer server;
    const RetValue result = server.ServerUserOperation("pixvue", "Install");
    checkOutcome(result, server, "ZtHttpServer::ServerUserOperation", scriptedBody(script));
    if (script == "unreachable") {
        // The address query fell back to the local address before the request failed.
        QCOMPARE(describe(m_log.linesOf("ZtHttpServer::getInternetIP")),
                 QStringList{"INFO Cip:" + hostAddress()});
        return;
    }
    // The address query goes first.
    const QList<RecordedRequest> received = m_service.requests();
    QCOMPARE(received.first().path, QByteArray(kIpPath));
    QCOMPARE(received.first().method, QByteArray("GET"));
    QCOMPARE(m_service.requests(kIpPath).size(), 1);
    const RecordedRequest request = onlyRequest("/client/userOperating");
    QCOMPARE(request.header("Connection"), QByteArray("close"));
    QCOMPARE(request.body,
             QByteArray(R"({"ip":"203.0.113.9","operateType":"INSTALL","softType":"PIXVUE"})"));
}

// --- multipart uploads --------------------------------------------------------------------

void TestHttpServer::bugReportResultCodes_data() {
    FrameTexts texts;
    texts.success = QStringList{"INFO Update FaultPost success!"};
    texts.refused = QStringList{"INFO msg:[ <msg> ]", "ERROR the result is ;<json>"};
    texts.empty = QStringList{"ERROR The server returned empty"};
    texts.notJson = QStringList{"ERROR The server returned json empty<body>"};
    texts.network = QStringList{"ERROR uplaod error"};
    texts.notJsonCode = 502;
    addFrameRows(texts);
}

void TestHttpServer::bugReportResultCodes() {
    QFETCH(QString, script);
    arrange("/client/bugs", script);
    const QString dumpFolder = httptest::dataDirectory() + "DumpFile/";
    QDir().mkpath(dumpFolder);
    QFile dump(dumpFolder + "crash-1.dmp");
    QVERIFY(dump.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dump.write(QByteArray("signal 11\r\n--boundary\0tail", 25));
    dump.close();

    ZtHttpServer server;
    const RetValue result =
        server.ServerUploadBugReport("ich@example.com", "Absturz beim Öffnen", "crash-1.dmp");
    checkOutcome(result, server, "ZtHttpServer::ServerUploadBugReport", scriptedBody(script));
    if (script == "unreachable") {
        return;
    }
    const RecordedRequest request = onlyRequest("/client/bugs");
    QCOMPARE(request.method, QByteArray("POST"));
    QVERIFY(request.header("Content-Type").startsWith("multipart/form-data; boundary="));
    QVERIFY(request.header("Connection") != "close");
    QCOMPARE(request.parts.size(), 5);
    const QList<QByteArray> dispositions{
        R"(form-data; name="softType")", R"(form-data; name="mail")",
        R"(form-data; name="ProblemDes")", R"(form-data; name="BugReportName")",
        R"(form-data; name="file"; filename="crash-1.dmp")"};
    const QList<QByteArray> bodies{kSoftType, "ich@example.com",
                                   QString("Absturz beim Öffnen").toUtf8(), "crash-1.dmp",
                                   QByteArray("signal 11\r\n--boundary\0tail", 25)};
    for (int i = 0; i < request.parts.size(); ++i) {
        const RecordedPart& part = request.parts.at(i);
        QCOMPARE(part.headers.size(), 1);
        QCOMPARE(part.disposition, dispositions.at(i));
        QCOMPARE(part.body, bodies.at(i));
    }
}

void TestHttpServer::feedbackResultCodes_data() {
    FrameTexts texts;
    texts.success = QStringList{"INFO Update Feedback success!"};
    texts.refused = QStringList{"INFO msg:[ <msg> ]", "ERROR the result is ;<json>"};
    texts.empty = QStringList{"ERROR The server returned empty"};
    texts.notJson = QStringList{"ERROR The server returned json empty<body>"};
    texts.network = QStringList{"ERROR uplaod error"};
    texts.notJsonCode = 502;
    addFrameRows(texts);
}

void TestHttpServer::feedbackResultCodes() {
    QFETCH(QString, script);
    arrange("/client/problem", script);
    const QString traceFolder = httptest::dataDirectory() + "Trace/";
    QFile log(traceFolder + "20240102.log");
    QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    log.write(QString("[INFO] 转换完成\n").toUtf8());
    log.close();

    ZtHttpServer server;
    const RetValue result =
        server.ServerUploadFeedback("用户@example.com", "图片颜色不对", "20240102.log");
    checkOutcome(result, server, "ZtHttpServer::ServerUploadFeedback", scriptedBody(script));
    if (script == "unreachable") {
        return;
    }
    const RecordedRequest request = onlyRequest("/client/problem");
    QVERIFY(request.header("Connection") != "close");
    QCOMPARE(request.parts.size(), 5);
    QList<QByteArray> names;
    for (const RecordedPart& part : request.parts) {
        names.append(part.name);
        QCOMPARE(part.headers.size(), 1);
    }
    QCOMPARE(names, (QList<QByteArray>{"softType", "mail", "ProblemDes", "LogName", "file"}));
    QCOMPARE(partBody(request, "mail"), QString("用户@example.com").toUtf8());
    QCOMPARE(partBody(request, "ProblemDes"), QString("图片颜色不对").toUtf8());
    QCOMPARE(partBody(request, "LogName"), QByteArray("20240102.log"));
    QCOMPARE(request.parts.last().disposition,
             QByteArray(R"(form-data; name="file"; filename="20240102.log")"));
    QCOMPARE(request.parts.last().body, QString("[INFO] 转换完成\n").toUtf8());
}

// --- the common frame ---------------------------------------------------------------------

void TestHttpServer::networkFailureLogsUrlAndQtError() {
    m_service.setReply("/client/logs", ScriptedReply::httpError(503, "down"));
    ZtHttpServer server;
    QCOMPARE(server.ServerUploadLog("x"), RetFail);
    const QList<LogEntry> lines = m_log.linesOf("ZtHttpOp::awaitReply");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).level, QString("ERROR"));
    QCOMPARE(lines.at(0).message,
             "http get fail Url:" + m_service.url("/client/logs") +
                 " ,Error Code:" + QString::number(QNetworkReply::ServiceUnavailableError));
    QVERIFY2(lines.at(1).message.startsWith("http get fail ,Error :") &&
                 lines.at(1).message.size() > QString("http get fail ,Error :").size(),
             qPrintable(lines.at(1).message));
    QCOMPARE(server.getLastError(), int(QNetworkReply::ServiceUnavailableError));
    QCOMPARE(m_service.requestCount(), 1);  // no retry
}

void TestHttpServer::lastErrorSurvivesLaterSuccessAndCopies() {
    m_service.queueReply("/client/logs", ScriptedReply::empty());
    m_service.queueReply("/client/logs", ScriptedReply::envelope(0));
    m_service.setReply("/client/logs", ScriptedReply::envelope(4, "refused"));
    ZtHttpServer server;
    QCOMPARE(server.getLastError(), 0);
    QCOMPARE(server.ServerUploadLog("a"), RetFail);
    QCOMPARE(server.getLastError(), 502);
    QCOMPARE(server.ServerUploadLog("b"), RetSuccess);
    QCOMPARE(server.getLastError(), 502);
    QCOMPARE(server.ServerUploadLog("c"), RetFail);
    QCOMPARE(server.getLastError(), 502);

    ZtHttpServer copy(server);
    QCOMPARE(copy.getLastError(), 502);
    ZtHttpServer assigned;
    assigned = copy;
    QCOMPARE(assigned.getLastError(), 502);
    ZtHttpServer moved(std::move(copy));
    QCOMPARE(moved.getLastError(), 502);
    m_service.setReply("/client/logs", ScriptedReply::envelope(0));
    QCOMPARE(assigned.ServerUploadLog("d"), RetSuccess);  // the base URL came along
    QCOMPARE(copy.ServerUploadLog("e"), RetSuccess);      // a moved-from copy keeps it too
}

void TestHttpServer::baseUrlTrailingSlashIsDropped() {
    httptest::useAddresses(m_service.baseUrl() + "/", m_service.url(kIpPath));
    m_service.setReply("/client/logs", ScriptedReply::envelope(0));
    ZtHttpServer server;
    QCOMPARE(server.ServerUploadLog("x"), RetSuccess);
    QCOMPARE(m_service.lastRequest().path, QByteArray("/client/logs"));
}

void TestHttpServer::publicAddressReplyForms_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("fallsBack");
    QTest::addColumn<QString>("address");
    QTest::newRow("after leading text")
        << QString::fromUtf8(
               R"(text:var returnCitySN = {"cip": "198.51.100.7", "cid": "110000", "cname": "北京市"};)")
        << false << "198.51.100.7";
    QTest::newRow("bare object") << R"(json:{"cip":"192.0.2.44"})" << false << "192.0.2.44";
    QTest::newRow("no cip") << R"(json:{"cid":"110000"})" << true << "";
    QTest::newRow("cip no text") << R"(json:{"cip":12})" << true << "";
    QTest::newRow("empty body") << "empty" << true << "";
    QTest::newRow("not json") << "text:blocked" << true << "";
    QTest::newRow("http error") << "status:502" << true << "";
    QTest::newRow("never") << "never" << true << "";
}

void TestHttpServer::publicAddressReplyForms() {
    QFETCH(QString, script);
    QFETCH(bool, fallsBack);
    QFETCH(QString, address);
    arrange(kIpPath, script);
    m_service.setReply("/client/userOperating", ScriptedReply::envelope(0));
    ZtHttpServer server;
    QCOMPARE(server.ServerUserOperation("pixvue", "uninstall"), RetSuccess);
    QCOMPARE(server.getLastError(), 0);  // the query's failure stays inside it
    const QString expected = fallsBack ? hostAddress() : address;
    QCOMPARE(m_service.lastRequest().json().value("ip").toString(), expected);
    QCOMPARE(m_service.lastRequest().json().value("operateType").toString(), QString("UNINSTALL"));
    QCOMPARE(describe(m_log.linesOf("ZtHttpServer::getInternetIP")),
             QStringList{"INFO Cip:" + expected});
}

// --- files of the multipart uploads -------------------------------------------------------

void TestHttpServer::bugReportDumpFiles() {
    m_service.setReply("/client/bugs", ScriptedReply::envelope(0));
    const QString dumpFolder = httptest::dataDirectory() + "DumpFile/";
    QDir(dumpFolder).removeRecursively();

    // No name: "xxx.dmp", created empty in a dump folder that did not exist yet.
    ZtHttpServer server;
    QCOMPARE(server.ServerUploadBugReport("", "", ""), RetSuccess);
    QVERIFY(QFileInfo(dumpFolder + "xxx.dmp").isFile());
    RecordedRequest request = m_service.lastRequest();
    QCOMPARE(request.parts.size(), 5);
    QCOMPARE(partBody(request, "BugReportName"), QByteArray());
    QCOMPARE(request.parts.last().fileName, QByteArray("xxx.dmp"));
    QCOMPARE(request.parts.last().body, QByteArray());
    QCOMPARE(describe(m_log.linesOf("ZtHttpOp::httpRequestPostFile")),
             QStringList{"ERROR Dump file path:" + dumpFolder + "xxx.dmp"});

    // A name that climbs out of the dump folder is kept inside it.
    QFile outside(httptest::dataDirectory() + "secret.dmp");
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("private");
    outside.close();
    QCOMPARE(server.ServerUploadBugReport("", "", "../secret.dmp"), RetSuccess);
    request = m_service.lastRequest();
    QCOMPARE(request.parts.last().fileName, QByteArray("secret.dmp"));
    QCOMPARE(request.parts.last().body, QByteArray());
    QVERIFY(QFileInfo(dumpFolder + "secret.dmp").isFile());

    // A dump that cannot be read (here a folder) still sends the form with an empty file.
    QVERIFY(QDir().mkpath(dumpFolder + "folder.dmp"));
    m_log.mark();
    QCOMPARE(server.ServerUploadBugReport("a@b.c", "text", "folder.dmp"), RetSuccess);
    request = m_service.lastRequest();
    QCOMPARE(request.parts.size(), 5);
    QCOMPARE(request.parts.last().fileName, QByteArray("folder.dmp"));
    QCOMPARE(request.parts.last().body, QByteArray());
    const QList<LogEntry> lines = m_log.linesOf("ZtHttpOp::buildForm");
    QCOMPARE(lines.size(), 1);
    QVERIFY2(
        lines.first().message.startsWith("cannot open the upload file" + dumpFolder + "folder.dmp"),
        qPrintable(lines.first().message));
    QCOMPARE(server.getLastError(), 0);
}

void TestHttpServer::feedbackLogFiles() {
    m_service.setReply("/client/problem", ScriptedReply::envelope(0));
    ZtHttpServer server;
    QCOMPARE(server.ServerUploadFeedback("a@b.c", "no log", "19990101.log"), RetSuccess);
    const RecordedRequest request = m_service.lastRequest();
    QCOMPARE(request.parts.size(), 5);
    QCOMPARE(request.parts.last().disposition,
             QByteArray(R"(form-data; name="file"; filename="19990101.log")"));
    QCOMPARE(request.parts.last().body, QByteArray());
    QVERIFY(!QFileInfo::exists(httptest::dataDirectory() + "Trace/19990101.log"));
    QCOMPARE(m_log.linesOf("ZtHttpOp::buildForm").size(), 1);
}

// --- bad replies --------------------------------------------------------------------------

void TestHttpServer::badReplies_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("lastError");
    QTest::newRow("10 MB envelope") << ScriptedReply::large(10 * 1024 * 1024).body << 1 << 0;
    QTest::newRow("10 MB not json") << QByteArray(10 * 1024 * 1024, '<') << 0 << 506;
    QTest::newRow("invalid utf-8")
        << QByteArray("{\"state\":0,\"msg\":\"\xff\xfe\xc3\"}") << 0 << 506;
    QTest::newRow("deep nesting") << QByteArray(100000, '[') + QByteArray(100000, ']') << 0 << 506;
    QTest::newRow("deep object") << QByteArray("{\"a\":").repeated(5000) + "0" +
                                        QByteArray(5000, '}')
                                 << 0 << 506;
    QTest::newRow("nul bytes") << QByteArray("\0\0\0", 3) << 0 << 506;
    QTest::newRow("state text") << QByteArray(R"({"state":"1","msg":"m"})") << 1 << 0;
}

void TestHttpServer::badReplies() {
    QFETCH(QByteArray, body);
    QFETCH(int, result);
    QFETCH(int, lastError);
    m_service.setReply("/client/logs", ScriptedReply::raw(body, "application/json"));
    ZtHttpServer server;
    QCOMPARE(int(server.ServerUploadLog("x")), result);
    QCOMPARE(server.getLastError(), lastError);
    QCOMPARE(m_log.linesOf("ZtHttpServer::ServerUploadLog").size(), 1);
}

void TestHttpServer::stalledTransferTimesOut() {
    ZtHttpServer::setTransferTimeout(kShortTimeoutMs);
    m_service.setReply("/client/logs",
                       ScriptedReply::stallAfterHeaders(ScriptedReply::envelope(0).body, 5));
    ZtHttpServer server;
    QCOMPARE(server.ServerUploadLog("x"), RetFail);
    QCOMPARE(server.getLastError(), int(QNetworkReply::OperationCanceledError));
    QCOMPARE(describe(m_log.linesOf("ZtHttpServer::ServerUploadLog")),
             QStringList{"ERROR NetWork error"});

    // Without a setting the environment decides, and a bad value gives the default.
    ZtHttpServer::setTransferTimeout(0);
    qputenv("PIXVUE_HTTP_TIMEOUT_MS", "2500");
    QCOMPARE(ZtHttpServer::transferTimeout(), 2500);
    qputenv("PIXVUE_HTTP_TIMEOUT_MS", "soon");
    QCOMPARE(ZtHttpServer::transferTimeout(), 30000);
    qunsetenv("PIXVUE_HTTP_TIMEOUT_MS");
    QCOMPARE(ZtHttpServer::transferTimeout(), 30000);
    ZtHttpServer::setTransferTimeout(1234);
    QCOMPARE(ZtHttpServer::transferTimeout(), 1234);
}

// --- threads ------------------------------------------------------------------------------

class UploadThread : public QThread {
public:
    std::atomic<int> result{-1};
    std::atomic<int> lastError{-1};

protected:
    void run() override {  // no exec(): this thread has no event loop of its own
        ZtHttpServer server;
        result = server.ServerUploadLog(objectName());
        lastError = server.getLastError();
    }
};

void TestHttpServer::worksOnThreadsWithoutEventLoop() {
    m_service.setReply("/client/logs", ScriptedReply::envelope(0));
    hostAddress();  // the settings instance exists before the threads start

    std::atomic<int> plainResult{-1};
    std::thread plain([&plainResult] {
        ZtHttpServer server;
        plainResult = server.ServerUploadLog("plain");
    });
    plain.join();
    QCOMPARE(plainResult.load(), 1);

    QList<UploadThread*> threads;
    for (int i = 0; i < 4; ++i) {
        auto* thread = new UploadThread;
        thread->setObjectName(QStringLiteral("worker %1").arg(i));
        threads.append(thread);
        thread->start();
    }
    for (UploadThread* thread : threads) {
        QVERIFY(thread->wait(20000));
        QCOMPARE(thread->result.load(), 1);
        QCOMPARE(thread->lastError.load(), 0);
        delete thread;
    }
    QCOMPARE(m_service.requests("/client/logs").size(), 5);

    // A stalled server no longer holds a worker for ever: it ends and can be destroyed.
    ZtHttpServer::setTransferTimeout(kShortTimeoutMs);
    m_service.setReply("/client/logs", ScriptedReply::neverReply());
    UploadThread stalled;
    stalled.start();
    QVERIFY(stalled.wait(20000));
    QCOMPARE(stalled.result.load(), 0);
    QCOMPARE(stalled.lastError.load(), int(QNetworkReply::OperationCanceledError));
}

PIXVUE_HTTP_TEST_MAIN(TestHttpServer)
#include "tst_httpserver.moc"
