// The bug report dialog against the test web service, with a stand-in converter for restarts.

#include "faultpostsetup.h"
#include "guitestsupport.h"
#include "httptestsupport.h"
#include "pixvuetestservice.h"
#include "qadaptivelabel.h"
#include "qcheckboxex.h"
#include "qfaultpost.h"
#include "qfaultpostresources.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qtaskthread.h"
#include "ztconfig.h"
#include "zthttpserver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

const char kDumpName[] = "zentarHeic_20200831142501.dmp";
const QByteArray kDumpBytes("crash report of the converter\n");

// Records its arguments into started.<pid> beside itself.
const char kStandIn[] = R"(#!/bin/sh
dir=$(dirname "$0")
{ echo "$#"; for a in "$@"; do echo "$a"; done; } > "$dir/.record.$$"
mv "$dir/.record.$$" "$dir/started.$$"
)";

QByteArray partBody(const RecordedRequest& request, const QByteArray& name) {
    for (const RecordedPart& part : request.parts) {
        if (part.name == name) {
            return part.body;
        }
    }
    return QByteArray("<missing part>");
}

QByteArray partNames(const RecordedRequest& request) {
    QByteArrayList names;
    for (const RecordedPart& part : request.parts) {
        names << part.name;
    }
    return names.join(',');
}

QByteArray fileNameOfFilePart(const RecordedRequest& request) {
    for (const RecordedPart& part : request.parts) {
        if (part.name == "file") {
            return part.fileName;
        }
    }
    return QByteArray("<missing part>");
}

QStringList messagesOf(const LogWatcher& log, const QString& function) {
    QStringList messages;
    for (const LogEntry& entry : log.linesOf(function)) {
        messages << entry.message;
    }
    return messages;
}

int darkestLightness(const QImage& image) {
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            darkest = qMin(darkest, QColor(image.pixel(x, y)).lightness());
        }
    }
    return darkest;
}

}  // namespace

class TestQFaultPost : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogStartsIdleAndInEnglish();
    void confirmFollowsBoxesAndDescription();
    void descriptionOnlyUploadsWithEmptyNameAndClosesWithoutRestart();
    void sendReportUploadsTheDump();
    void restartOnlyStartsConverterAndUploadsNothing();
    void uploadThenRestart();
    void errorTextsSplitAt500();
    void failedUploadsShowTheirCodeAndAllowRetry();
    void dumpNameMustBeABareFileName_data();
    void dumpNameMustBeABareFileName();
    void nameWithParentFolderIsNotSent();
    void chineseWhenStoredLanguageIsOne();
    void closingDuringUploadStopsTheThread();
    void resultAfterCloseRestartsNothing();

private:
    QString standInPath() const { return m_bin.path() + "/zentarPixvue"; }
    QStringList standInStarts() const;
    QStringList waitForOneStart() const;
    void prepareDialog(QFaultPost& dialog) const;
    void typeDescription(QFaultPost& dialog, const QString& text) const;
    void confirmAndWaitUntilClosed(QFaultPost& dialog) const;

    PixvueTestService m_service;
    QTemporaryDir m_bin;
    LogWatcher m_log;
};

void TestQFaultPost::initTestCase() {
    qfaultpost::initResources();
    KitTheme::setCurrent(qfaultpost::kitTheme());
    QVERIFY(m_service.start());
    QFile standIn(standInPath());
    QVERIFY(standIn.open(QIODevice::WriteOnly));
    standIn.write(kStandIn);
    standIn.close();
    QVERIFY(QFile::setPermissions(standInPath(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ZtHttpServer::setTransferTimeout(60000);
}

void TestQFaultPost::init() {
    httptest::useAddresses(m_service.baseUrl());
    m_service.clearRequests();
    m_service.clearReplies();
    m_service.setReply("/client/bugs", ScriptedReply::envelope(0));
    QDir().mkpath(guitest::dataDirectory() + "DumpFile");
    QFile dump(guitest::dataDirectory() + "DumpFile/" + kDumpName);
    QVERIFY(dump.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dump.write(kDumpBytes);
    m_log.mark();
}

void TestQFaultPost::cleanup() {
    for (const QString& record : QDir(m_bin.path()).entryList({"started.*"}, QDir::Files)) {
        QFile::remove(m_bin.path() + "/" + record);
    }
}

QStringList TestQFaultPost::standInStarts() const {
    return QDir(m_bin.path()).entryList({"started.*"}, QDir::Files);
}

// The arguments of the one start of the stand-in: count, then each argument.
QStringList TestQFaultPost::waitForOneStart() const {
    if (!guitest::waitFor([this] { return !standInStarts().isEmpty(); })) {
        return {};
    }
    QFile record(m_bin.path() + "/" + standInStarts().first());
    if (standInStarts().size() != 1 || !record.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(record.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestQFaultPost::prepareDialog(QFaultPost& dialog) const {
    dialog.setDumpFileName(kDumpName);
    dialog.setConverterProgram(standInPath());
    dialog.show();
}

void TestQFaultPost::typeDescription(QFaultPost& dialog, const QString& text) const {
    dialog.descriptionEditor()->setFocus();
    QTest::keyClicks(dialog.descriptionEditor(), text);
}

void TestQFaultPost::confirmAndWaitUntilClosed(QFaultPost& dialog) const {
    QSignalSpy finished(&dialog, &QDialog::finished);
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.confirmButton()->click();
    QVERIFY(guitest::waitFor([&] { return finished.count() == 1; }));
    QVERIFY(!dialog.isVisible());
}

void TestQFaultPost::dialogStartsIdleAndInEnglish() {
    QFaultPost dialog;
    prepareDialog(dialog);
    QCOMPARE(dialog.objectName(), QString("QFaultPostClass"));
    QCOMPARE(dialog.size(), QSize(470 + 60, 362 + 60));
    QCOMPARE(dialog.titleLabel()->text(), QString("Crash feedback"));
    QCOMPARE(dialog.errorLabel()->text(), QString("Sorry, Pixvue an error :("));
    QCOMPARE(dialog.restartBox()->text(), QString("Restart Program"));
    QCOMPARE(dialog.sendBox()->text(), QString("Send error report"));
    QCOMPARE(dialog.confirmButton()->text(), QString("Confirm"));
    QCOMPARE(dialog.descriptionEditor()->placeholderText(),
             QString("Please enter a description of the error"));
    QVERIFY(!dialog.restartBox()->isChecked());
    QVERIFY(!dialog.sendBox()->isChecked());
    QVERIFY(!dialog.confirmButton()->isEnabled());
    QCOMPARE(dialog.confirmButton()->buttonState(), int(ButtonDisabled));
    // Typed text is clearly darker than the grey hint.
    QWidget* editArea = dialog.descriptionEditor()->viewport();
    const int hint = darkestLightness(editArea->grab().toImage());
    typeDescription(dialog, "MMMM");
    dialog.descriptionEditor()->clearFocus();  // no cursor in the picture
    const int typed = darkestLightness(editArea->grab().toImage());
    QVERIFY2(typed + 60 < hint, qPrintable(QString("%1 / %2").arg(typed).arg(hint)));
    dialog.descriptionEditor()->clear();
    // Every child lies inside the content area, inside the shadow margin.
    const QRect content = dialog.rect().adjusted(30, 30, -30, -30);
    for (QWidget* child : {static_cast<QWidget*>(dialog.confirmButton()),
                           static_cast<QWidget*>(dialog.descriptionEditor()),
                           static_cast<QWidget*>(dialog.closeButton())}) {
        QVERIFY2(content.contains(child->geometry()), child->metaObject()->className());
    }
}

void TestQFaultPost::confirmFollowsBoxesAndDescription() {
    QFaultPost dialog;
    prepareDialog(dialog);
    typeDescription(dialog, "x");
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.descriptionEditor()->clear();
    QVERIFY(!dialog.confirmButton()->isEnabled());
    typeDescription(dialog, "  \t ");
    QVERIFY2(!dialog.confirmButton()->isEnabled(), "white space alone is no description");
    dialog.descriptionEditor()->clear();

    dialog.restartBox()->click();
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.restartBox()->click();
    QVERIFY(!dialog.confirmButton()->isEnabled());
    dialog.sendBox()->click();
    QVERIFY(dialog.confirmButton()->isEnabled());
    typeDescription(dialog, "text");
    dialog.sendBox()->click();
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.descriptionEditor()->clear();
    QVERIFY(!dialog.confirmButton()->isEnabled());
}

void TestQFaultPost::descriptionOnlyUploadsWithEmptyNameAndClosesWithoutRestart() {
    QFaultPost dialog;
    prepareDialog(dialog);
    typeDescription(dialog, "  It closed while converting  ");
    confirmAndWaitUntilClosed(dialog);

    QCOMPARE(m_service.requests("/client/bugs").size(), 1);
    const RecordedRequest request = m_service.lastRequest();
    QCOMPARE(partNames(request), QByteArray("softType,mail,ProblemDes,BugReportName,file"));
    QCOMPARE(partBody(request, "mail"), QByteArray());
    QCOMPARE(partBody(request, "ProblemDes"), QByteArray("It closed while converting"));
    QCOMPARE(partBody(request, "BugReportName"), QByteArray());
    QVERIFY(!partBody(request, "file").contains(kDumpBytes));

    const QStringList lines = messagesOf(m_log, "QFaultPost::slotBtnClicked") +
                              messagesOf(m_log, "QFaultPost::slotUplaodCompleted");
    QCOMPARE(lines, (QStringList{"User slect send dump file", "Upload dump file success!"}));
    QVERIFY(messagesOf(m_log, "QFaultPost::restartConverter").isEmpty());
    QVERIFY(standInStarts().isEmpty());
}

void TestQFaultPost::sendReportUploadsTheDump() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.sendBox()->click();
    confirmAndWaitUntilClosed(dialog);

    const RecordedRequest request = m_service.lastRequest();
    QCOMPARE(partBody(request, "BugReportName"), QByteArray(kDumpName));
    QCOMPARE(partBody(request, "ProblemDes"), QByteArray());
    QCOMPARE(fileNameOfFilePart(request), QByteArray(kDumpName));
    QCOMPARE(partBody(request, "file"), kDumpBytes);
    QVERIFY(messagesOf(m_log, "QFaultPost::restartConverter").isEmpty());
}

void TestQFaultPost::restartOnlyStartsConverterAndUploadsNothing() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.restartBox()->click();
    confirmAndWaitUntilClosed(dialog);

    QCOMPARE(waitForOneStart(), QStringList{"0"});
    QCOMPARE(m_service.requestCount(), 0);
    QVERIFY(dialog.findChildren<QThread*>().isEmpty());
}

void TestQFaultPost::uploadThenRestart() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.restartBox()->click();
    dialog.sendBox()->click();
    confirmAndWaitUntilClosed(dialog);
    QCOMPARE(m_service.requests("/client/bugs").size(), 1);
    QCOMPARE(waitForOneStart(), QStringList{"0"});
}

void TestQFaultPost::errorTextsSplitAt500() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.sendBox()->click();
    dialog.slotUplaodCompleted(false, 500);
    QCOMPARE(dialog.errorLabel()->text(),
             QString("Sorry,uplaod fail,Network error(500),please retry!"));
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.slotUplaodCompleted(false, 501);
    QCOMPARE(dialog.errorLabel()->text(),
             QString("Sorry,uplaod fail,Unkonw error(501),please retry!"));
    QVERIFY(dialog.isVisible());
}

void TestQFaultPost::failedUploadsShowTheirCodeAndAllowRetry() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.restartBox()->click();
    dialog.sendBox()->click();

    // Nobody listening (offline): Qt's connection-refused code; the converter restarts anyway,
    // without arguments.
    httptest::useAddresses(httptest::unreachableUrl());
    dialog.confirmButton()->click();
    QVERIFY(!dialog.confirmButton()->isEnabled());
    QVERIFY(guitest::waitFor([&] { return dialog.confirmButton()->isEnabled(); }));
    QCOMPARE(dialog.errorLabel()->text(),
             QString("Sorry,uplaod fail,Network error(1),please retry!"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(waitForOneStart(), QStringList{"0"});

    // An empty reply is the client's 502.
    httptest::useAddresses(m_service.baseUrl());
    m_service.queueReply("/client/bugs", ScriptedReply::empty());
    dialog.confirmButton()->click();
    QVERIFY(guitest::waitFor([&] { return dialog.confirmButton()->isEnabled(); }));
    QCOMPARE(dialog.errorLabel()->text(),
             QString("Sorry,uplaod fail,Unkonw error(502),please retry!"));
    QVERIFY(dialog.isVisible());

    // The retries restart nothing more.
    confirmAndWaitUntilClosed(dialog);
    QCOMPARE(m_service.requests("/client/bugs").size(), 2);
    QCOMPARE(standInStarts().size(), 1);
}

void TestQFaultPost::dumpNameMustBeABareFileName_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString program = "/opt/pixvue/QFaultPost";
    QTest::newRow("as the converter starts it")
        << QStringList{program, program, kDumpName} << QString(kDumpName);
    QTest::newRow("name only") << QStringList{program, "report.dmp"} << QString("report.dmp");
    QTest::newRow("no arguments") << QStringList{program} << QString();
    QTest::newRow("bare program name") << QStringList{"QFaultPost"} << QString();
    QTest::newRow("parent folder") << QStringList{program, "../x.dmp"} << QString();
    QTest::newRow("sub-folder") << QStringList{program, "a/x.dmp"} << QString();
    QTest::newRow("absolute") << QStringList{program, "/home/me/.ssh/id_rsa"} << QString();
    QTest::newRow("backslash") << QStringList{program, "..\\x.dmp"} << QString();
    QTest::newRow("dot dot") << QStringList{program, ".."} << QString();
    QTest::newRow("dot") << QStringList{program, "."} << QString();
    QTest::newRow("empty") << QStringList{program, ""} << QString();
    QTest::newRow("line break") << QStringList{program, "x\r\n.dmp"} << QString();
}

void TestQFaultPost::dumpNameMustBeABareFileName() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(qfaultpost::dumpFileNameFromArguments(arguments), expected);
    QFaultPost dialog;
    dialog.setDumpFileName(arguments.last());
    QCOMPARE(dialog.dumpFileName(),
             qfaultpost::isBareFileName(arguments.last()) ? arguments.last() : QString());
}

void TestQFaultPost::nameWithParentFolderIsNotSent() {
    // The file "../x.dmp" would name, beside the dump folder.
    const QByteArray secret("a private file of the user\n");
    QFile outside(guitest::dataDirectory() + "x.dmp");
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write(secret);
    outside.close();

    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.setDumpFileName(qfaultpost::dumpFileNameFromArguments({"QFaultPost", "../x.dmp"}));
    dialog.sendBox()->click();
    typeDescription(dialog, "crash");
    confirmAndWaitUntilClosed(dialog);

    const RecordedRequest request = m_service.lastRequest();
    QCOMPARE(partBody(request, "BugReportName"), QByteArray());
    QVERIFY(!request.body.contains(secret));
    QVERIFY(!request.body.contains("../x.dmp"));
    QCOMPARE(partBody(request, "ProblemDes"), QByteArray("crash"));
}

void TestQFaultPost::chineseWhenStoredLanguageIsOne() {
    {
        // English mends the source texts' wording; the source texts stay the keys.
        httptest::setLanguage(0);
        QTranslator translator;
        QVERIFY(qfaultpost::loadTranslation(translator));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QFaultPost dialog;
        prepareDialog(dialog);
        QCOMPARE(dialog.errorLabel()->text(), QString("Sorry, Pixvue ran into an error :("));
        QCOMPARE(dialog.restartBox()->text(), QString("Restart Program"));
        dialog.slotUplaodCompleted(false, 600);
        QCOMPARE(dialog.errorLabel()->text(),
                 QString("Sorry, the upload failed: unknown error (600). Please retry!"));
        QCoreApplication::removeTranslator(&translator);
    }
    httptest::setLanguage(1);
    ZtConfig::ReleaseConfigInstance();  // read back from the file, as at start-up
    QTranslator translator;
    QVERIFY(qfaultpost::loadTranslation(translator));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    {
        QFaultPost dialog;
        prepareDialog(dialog);
        QCOMPARE(dialog.titleLabel()->text(), QString::fromUtf8("崩溃反馈"));
        QCOMPARE(dialog.confirmButton()->text(), QString::fromUtf8("确定"));
        QCOMPARE(dialog.sendBox()->text(), QString::fromUtf8("发送错误报告"));
        dialog.slotUplaodCompleted(false, 7);
        QCOMPARE(dialog.errorLabel()->text(),
                 QString::fromUtf8("抱歉，上传失败，网络错误(7)，请重试！"));
    }
    QCoreApplication::removeTranslator(&translator);
    httptest::setLanguage(0);
}

void TestQFaultPost::closingDuringUploadStopsTheThread() {
    m_service.setReply("/client/bugs", ScriptedReply::neverReply());
    ZtHttpServer::setTransferTimeout(24 * 60 * 60 * 1000);  // only the close may end it
    QPointer<QTaskThread> task;
    {
        QFaultPost dialog;
        prepareDialog(dialog);
        dialog.restartBox()->click();
        dialog.sendBox()->click();
        dialog.confirmButton()->click();
        QVERIFY(m_service.waitForRequests(1, 60000));
        task = dialog.findChild<QTaskThread*>();
        QVERIFY(task != nullptr && task->isRunning());
        dialog.closeButton()->click();
        QVERIFY(!dialog.isVisible());
    }
    QVERIFY(task.isNull());
    QVERIFY(messagesOf(m_log, "QFaultPost::slotUplaodCompleted").isEmpty());
    // The restart came with the click, before the upload that never ended.
    QCOMPARE(waitForOneStart(), QStringList{"0"});
    ZtHttpServer::setTransferTimeout(60000);
}

void TestQFaultPost::resultAfterCloseRestartsNothing() {
    QFaultPost dialog;
    prepareDialog(dialog);
    dialog.restartBox()->click();
    dialog.sendBox()->click();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    dialog.slotUplaodCompleted(true, 0);  // the upload finishing just then
    QVERIFY(messagesOf(m_log, "QFaultPost::slotUplaodCompleted").isEmpty());
    QVERIFY(messagesOf(m_log, "QFaultPost::restartConverter").isEmpty());
}

PIXVUE_GUI_TEST_MAIN(TestQFaultPost)
#include "tst_qfaultpost.moc"
