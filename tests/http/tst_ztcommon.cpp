#include "httptestsupport.h"
#include "pixvuetestservice.h"
#include "ztcommon.h"

#include <QtTest>

class TestZtCommon : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void reducesTheVersionCheck_data();
    void reducesTheVersionCheck();

private:
    PixvueTestService m_service;
    LogWatcher m_log;
};

void TestZtCommon::initTestCase() {
    QVERIFY(m_service.start());
    httptest::writeVersionIni("1.4.2");
    httptest::useAddresses(m_service.baseUrl());
}

void TestZtCommon::init() {
    m_service.clearRequests();
    m_log.mark();
}

void TestZtCommon::reducesTheVersionCheck_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("newer") << R"(json:{"state":1,"data":{"version":"2.0","downloadUrl":"u"}})"
                           << true << "INFO New versions of the software are available!";
    QTest::newRow("current") << "envelope:0" << false << "INFO The software is already up to date!";
    QTest::newRow("state 2") << "envelope:2:no" << false << "ERROR Check software version fial!";
    QTest::newRow("empty") << "empty" << false << "ERROR Check software version fial!";
    QTest::newRow("http error") << "status:500" << false << "ERROR Check software version fial!";
}

void TestZtCommon::reducesTheVersionCheck() {
    QFETCH(QString, script);
    QFETCH(bool, newer);
    QFETCH(QString, verdict);
    ScriptedReply reply;
    QVERIFY(ScriptedReply::fromText(script, &reply, nullptr));
    m_service.setReply("/client/queryVersion", reply);

    UpdateInfo info;
    QCOMPARE(Com_CheckSoftVersion("9.9.9 ignored", info), newer);
    QCOMPARE(info.hasNewVersion, newer);
    if (newer) {
        QCOMPARE(info.version, QString("2.0"));
    }
    // The installed version is checked, whatever the caller passed.
    QCOMPARE(m_service.lastRequest().json().value("version").toString(), QString("1.4.2"));
    QStringList lines;
    for (const LogEntry& entry : m_log.linesOf("Com_CheckSoftVersion")) {
        lines.append(entry.level + ' ' + entry.message);
    }
    QCOMPARE(lines, (QStringList{"INFO The software version is [1.4.2]", verdict}));
}

PIXVUE_HTTP_TEST_MAIN(TestZtCommon)
#include "tst_ztcommon.moc"
