#include "pixvuetestservice.h"
#include "programsandbox.h"

#include <QFile>
#include <QTcpServer>
#include <QtTest>

class TestInstallFeedback : public QObject {
    Q_OBJECT

private slots:
    void reportsUpperCasedEvent();
    void failsWithoutService();
    void missingArgumentsSendNothing();

private:
    static QString readFile(const QString& path);
};

QString TestInstallFeedback::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestInstallFeedback::reportsUpperCasedEvent() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/cityjson",
                     ScriptedReply::raw("var returnCitySN = {\"cip\": \"203.0.113.7\", "
                                        "\"cid\": \"110000\"};"));
    service.setReply("/client/userOperating", ScriptedReply::envelope(0));
    ProgramSandbox sandbox("ztInstallFeedback");
    QVERIFY(sandbox.isValid());
    sandbox.writeUrlFile(service.baseUrl(), service.url("/cityjson"));

    QProcess process;
    sandbox.start(process, {"pixvue", "install"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("SUC\n"));

    const QList<RecordedRequest> events = service.requests("/client/userOperating");
    QCOMPARE(events.size(), 1);
    const QJsonObject body = events.first().json();
    QCOMPARE(body.value("operateType").toString(), QString("INSTALL"));
    QCOMPARE(body.value("softType").toString(), QString("PIXVUE"));
    QCOMPARE(body.value("ip").toString(), QString("203.0.113.7"));

    const QString log = readFile(sandbox.todayLogPath());
    QVERIFY(log.contains("================ztInstallFeedback start================="));
    QVERIFY2(log.contains("[ERROR]-->[main,") && log.contains("pixvue  install suc:"),
             qPrintable(log));
    QVERIFY(log.contains("================ztInstallFeedback end================="));
}

void TestInstallFeedback::failsWithoutService() {
    // A port that was just free: nothing listens there.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString deadUrl = QString("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();

    ProgramSandbox sandbox("ztInstallFeedback");
    QVERIFY(sandbox.isValid());
    sandbox.writeUrlFile(deadUrl, deadUrl + "/cityjson");
    QProcess process;
    sandbox.start(process, {"pixvue", "uninstall"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("Fail\n"));

    const QString log = readFile(sandbox.todayLogPath());
    const QRegularExpression failure("pixvue  uninstall fail ,error code:\\s*(\\d+)");
    const QRegularExpressionMatch match = failure.match(log);
    QVERIFY2(match.hasMatch(), qPrintable(log));
    QVERIFY(match.captured(1).toInt() > 0);
}

void TestInstallFeedback::missingArgumentsSendNothing() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setDefaultReply(ScriptedReply::envelope(0));
    ProgramSandbox sandbox("ztInstallFeedback");
    QVERIFY(sandbox.isValid());
    sandbox.writeUrlFile(service.baseUrl(), service.url("/cityjson"));

    QProcess process;
    sandbox.start(process, {"pixvue"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("Fail\n"));
    QVERIFY(process.readAllStandardError().startsWith("usage:"));
    QCOMPARE(service.connectionCount(), 0);
    QVERIFY(readFile(sandbox.todayLogPath()).contains("[ERROR]"));
}

QTEST_GUILESS_MAIN(TestInstallFeedback)
#include "tst_installfeedback.moc"
