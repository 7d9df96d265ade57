#include "pixvuetestservice.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Sends raw bytes to 127.0.0.1:port and returns everything answered until the server closes.
QByteArray exchange(quint16 port, const QByteArray& request, int timeoutMs = 5000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(timeoutMs)) {
        return "<no connection>";
    }
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState &&
           socket.waitForReadyRead(timeoutMs)) {
        answer += socket.readAll();
    }
    return answer + socket.readAll();
}

QByteArray bodyOf(const QByteArray& answer) {
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

}  // namespace

class TestTestService : public QObject {
    Q_OBJECT

private slots:
    void recordsRequestsAndParts();
    void readsChunkedBodies();
    void answersScriptsInOrder();
    void closesOrStaysSilent();
    void programPrintsPortAndRecordsLines();
};

void TestTestService::recordsRequestsAndParts() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/up", ScriptedReply::envelope(0, "ok"));
    const QByteArray body =
        "--b1\r\nContent-Disposition: form-data; name=\"mail\"\r\n\r\nme\r\n"
        "--b1\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a;b.log\"\r\n\r\n"
        "x\r\n--b1y\r\n"
        "--b1--\r\n";
    const QByteArray answer =
        exchange(service.port(),
                 "POST /up?x=1 HTTP/1.1\r\nHost: h\r\nX-Case: Value\r\n"
                 "Content-Type: multipart/form-data; boundary=\"b1\"\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QVERIFY2(answer.startsWith("HTTP/1.1 200 OK\r\n"), answer.constData());
    QCOMPARE(QJsonDocument::fromJson(bodyOf(answer)).object().value("msg").toString(),
             QString("ok"));

    QVERIFY(service.waitForRequests(1));
    const RecordedRequest request = service.lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/up"));
    QCOMPARE(request.query, QByteArray("x=1"));
    QCOMPARE(request.header("x-case"), QByteArray("Value"));
    QCOMPARE(request.headers.at(1).first, QByteArray("X-Case"));
    QCOMPARE(request.body, body);
    QCOMPARE(request.parts.size(), 2);
    QCOMPARE(request.parts.at(0).name, QByteArray("mail"));
    QVERIFY(!request.parts.at(0).hasFileName);
    QCOMPARE(request.parts.at(0).body, QByteArray("me"));
    QCOMPARE(request.parts.at(1).fileName, QByteArray("a;b.log"));
    QCOMPARE(request.parts.at(1).body, QByteArray("x\r\n--b1y"));
    QCOMPARE(service.requests("/up").size(), 1);
    QCOMPARE(service.requests("/other").size(), 0);
}

void TestTestService::readsChunkedBodies() {
    PixvueTestService service;
    QVERIFY(service.start());
    const QByteArray answer = exchange(service.port(),
                                       "POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"
                                       "4\r\nabcd\r\n3;ext=1\r\nefg\r\n0\r\n\r\n");
    QVERIFY2(answer.startsWith("HTTP/1.1 404 "), answer.constData());  // nothing scripted
    QCOMPARE(service.lastRequest().body, QByteArray("abcdefg"));
}

void TestTestService::answersScriptsInOrder() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.queueReply("/q", ScriptedReply::raw("first"));
    service.queueReply("/q", ScriptedReply::httpError(503, "second"));
    service.setReply("/q", ScriptedReply::raw("always"));
    const QByteArray get = "GET /q HTTP/1.1\r\n\r\n";
    QCOMPARE(bodyOf(exchange(service.port(), get)), QByteArray("first"));
    const QByteArray second = exchange(service.port(), get);
    QVERIFY(second.startsWith("HTTP/1.1 503 "));
    QCOMPARE(bodyOf(second), QByteArray("second"));
    QCOMPARE(bodyOf(exchange(service.port(), get)), QByteArray("always"));
    QCOMPARE(bodyOf(exchange(service.port(), get)), QByteArray("always"));

    service.setReply("/big", ScriptedReply::large(3 * 1024 * 1024));
    const QByteArray big = bodyOf(exchange(service.port(), "GET /big HTTP/1.1\r\n\r\n"));
    QCOMPARE(big.size(), 3 * 1024 * 1024);
    QCOMPARE(QJsonDocument::fromJson(big).object().value("state").toInt(-1), 0);

    ScriptedReply reply;
    QString error;
    QVERIFY(!ScriptedReply::fromText("status:99", &reply, &error));
    QVERIFY(!ScriptedReply::fromText("nonsense", &reply, &error));
    QVERIFY(error.contains("nonsense"));
    QVERIFY(ScriptedReply::fromText("envelope:2:a:b", &reply, &error));
    QCOMPARE(reply.body, QByteArray(R"({"msg":"a:b","state":2})"));
}

void TestTestService::closesOrStaysSilent() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/close", ScriptedReply::closeConnection());
    service.setReply("/never", ScriptedReply::neverReply());
    QCOMPARE(exchange(service.port(), "GET /close HTTP/1.1\r\n\r\n"), QByteArray());
    QCOMPARE(exchange(service.port(), "GET /never HTTP/1.1\r\n\r\n", 300), QByteArray());
    QCOMPARE(service.requestCount(), 2);
    QCOMPARE(service.connectionCount(), 2);
    service.stop();
    QCOMPARE(service.port(), quint16(0));
}

void TestTestService::programPrintsPortAndRecordsLines() {
    QTemporaryDir dir;
    const QString record = dir.filePath("requests.jsonl");
    QProcess program;
    program.start(TEST_SERVICE_PROGRAM,
                  {"--record", record, "--reply", "/a=envelope:0:one", "--reply",
                   "/a=status:500:two", "--default", "text:fallback"});
    QVERIFY(program.waitForReadyRead(10000));
    const quint16 port = program.readLine().trimmed().toUShort();
    QVERIFY(port > 0);

    QCOMPARE(bodyOf(exchange(port, "GET /a HTTP/1.1\r\n\r\n")),
             QByteArray(R"({"msg":"one","state":0})"));
    QVERIFY(exchange(port, "GET /a HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 500 "));
    QVERIFY(exchange(port, "GET /a HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 500 "));
    QCOMPARE(bodyOf(exchange(port, "POST /b HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}")),
             QByteArray("fallback"));

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    const QJsonObject last = QJsonDocument::fromJson(lines.last()).object();
    QCOMPARE(last.value("method").toString(), QString("POST"));
    QCOMPARE(last.value("path").toString(), QString("/b"));
    QCOMPARE(last.value("body").toString(), QString("{}"));
    QCOMPARE(QByteArray::fromBase64(last.value("bodyBase64").toString().toLatin1()),
             QByteArray("{}"));

    QProcess bad;
    bad.start(TEST_SERVICE_PROGRAM, {"--reply", "/a=bogus"});
    QVERIFY(bad.waitForFinished(10000));
    QCOMPARE(bad.exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestTestService)
#include "tst_testservice.moc"
