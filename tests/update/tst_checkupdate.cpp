// The version check, the update dialog's pages and the installer download against the test
// web service.
#include "app/pixvuestartup.h"
#include "core/qthreadkeeper.h"
#include "dialogs/qcheckupdatedialog.h"
#include "dialogs/qfeedbackdialog.h"
#include "guitestsupport.h"
#include "httptestsupport.h"
#include "mainwindow/qmenudialog.h"
#include "mainwindow/zentarpixvue.h"
#include "pixvuetestservice.h"
#include "qadaptivelabel.h"
#include "qimagetextbutton.h"
#include "qmultilinelabel.h"
#include "qprogressex.h"
#include "workers/qtaskthread.h"
#include "zthttpserver.h"
#include "ztlog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QStackedWidget>
#include <QTextEdit>

namespace {

const char kOffered[] = "2.0.2";
const QUrl kDownloadPage("https://www.pixvue.example/en/product-pixvue-download.html");
const qint64 kThreeMiB = 3 * 1024 * 1024;

QJsonObject offer(const QString& version, const QString& url,
                  const QJsonArray& english = {"Faster conversion", "Fewer crashes"},
                  const QJsonArray& chinese = {"转换更快", "崩溃更少"}) {
    return QJsonObject{
        {"version", version}, {"downloadUrl", url}, {"english", english}, {"chinese", chinese}};
}

UpdateInfo updateInfo(const QString& version, const QString& url) {
    UpdateInfo info;
    info.hasNewVersion = true;
    info.version = version;
    info.downloadUrl = url;
    return info;
}

// A stand-in installer that records its arguments in a file beside itself.
QByteArray installerScript(const QString& marker) {
    return "#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n";
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QCheckUpdateDialog* findUpdateDialog(QWidget* parent) {
    const auto dialogs = parent->findChildren<QCheckUpdateDialog*>();
    return dialogs.isEmpty() ? nullptr : dialogs.first();
}

}  // namespace

class TestCheckUpdate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void stateOneShowsTheOfferInTheLanguage_data();
    void stateOneShowsTheOfferInTheLanguage();
    void noOfferReadsAsLatest_data();
    void noOfferReadsAsLatest();
    void startupCheckOpensOnlyAnOffer();
    void sizeAndPercentTexts();
    void downloadShowsProgressAndCancels();
    void httpErrorKeepsTheTemporaryFile();
    void completeDownloadStartsTheInstaller();
    void presentInstallerStartsWithoutRequest();
    void unsafeVersionOrAddressIsRefused_data();
    void unsafeVersionOrAddressIsRefused();
    void installerThatCannotStartOffersTheFolder();
    void redirectsAreCheckedLikeTheAddress();
    void runningChecksAreStoppedOnClose();
    void menuItemsOpenTheDialogs();

private:
    QString installer() const { return pixvue::installerPath(kOffered); }
    QString marker() const { return m_bin.path() + "/installer-ran"; }

    PixvueTestService m_service;
    QThreadKeeper m_keeper;  // after the service: the checks end first
    QTemporaryDir m_bin;
};

void TestCheckUpdate::initTestCase() {
    pixvue::applyApplicationLook();
    QVERIFY(m_service.start());
    ZtHttpServer::setTransferTimeout(60000);
    httptest::writeVersionIni("1.0.0");
}

void TestCheckUpdate::init() {
    httptest::useAddresses(m_service.baseUrl());
    m_service.clearRequests();
    m_service.clearReplies();
    QDir(pixvue::updateDirectory()).removeRecursively();
    QFile::remove(marker());
}

void TestCheckUpdate::cleanup() {
    httptest::setLanguage(English);
    // Every thread of the test has ended; the line orders their logging before the next.
    LOG(INFO) << "test " << QTest::currentTestFunction() << " done";
}

void TestCheckUpdate::stateOneShowsTheOfferInTheLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("notes");
    QTest::newRow("English") << int(English)
                             << "Update content :\n\nFaster conversion\n\nFewer crashes";
    QTest::newRow("Chinese") << int(Chinese) << "Update content :\n\n转换更快\n\n崩溃更少";
}

void TestCheckUpdate::stateOneShowsTheOfferInTheLanguage() {
    QFETCH(int, language);
    QFETCH(QString, notes);
    httptest::setLanguage(language);
    m_service.setReply("/client/queryVersion",
                       ScriptedReply::envelope(1, "", offer(kOffered, m_service.url("/x.run"))));
    QCheckUpdateDialog dialog(false, m_keeper, kDownloadPage);
    QCOMPARE(dialog.size(), QSize(530, 330));
    QCOMPARE(dialog.stack()->currentIndex(), int(QCheckUpdateDialog::CheckingPage));
    QVERIFY(dialog.checkingPage()->isAnimating());
    QVERIFY(guitest::waitFor(
        [&] { return dialog.stack()->currentIndex() == QCheckUpdateDialog::CheckedPage; }));
    QCOMPARE(dialog.checkedPage()->versionLabel()->text(), QStringLiteral("New Version : 2.0.2"));
    QCOMPARE(dialog.checkedPage()->notesView()->toPlainText(), notes);
    QVERIFY(dialog.checkedPage()->notesView()->isReadOnly() ||
            !(dialog.checkedPage()->notesView()->textInteractionFlags() & Qt::TextEditable));
    QCOMPARE(m_service.lastRequest().json().value("version").toString(), QStringLiteral("1.0.0"));
}

void TestCheckUpdate::noOfferReadsAsLatest_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("status");
    QTest::newRow("state 0") << 0 << "It is the latest version, no need to update";
    // A check that did not reach the service says so.
    QTest::newRow("HTTP 500") << 1 << "Update check failed: the service has a fault (401)";
    QTest::newRow("not JSON")
        << 2 << "Update check failed: the service's answer could not be read (506)";
}

void TestCheckUpdate::noOfferReadsAsLatest() {
    QFETCH(int, kind);
    QFETCH(QString, status);
    const ScriptedReply replies[] = {ScriptedReply::envelope(0), ScriptedReply::httpError(500),
                                     ScriptedReply::raw("<html>")};
    m_service.setReply("/client/queryVersion", replies[kind]);
    QCheckUpdateDialog dialog(false, m_keeper, kDownloadPage);
    QVERIFY(
        guitest::waitFor([&] { return dialog.checkingPage()->statusLabel()->text() == status; }));
    QCOMPARE(dialog.stack()->currentIndex(), int(QCheckUpdateDialog::CheckingPage));
    QVERIFY(!dialog.checkingPage()->isAnimating());
    QLabel* label = dialog.checkingPage()->statusLabel();
    QVERIFY(qAbs(label->x() * 2 + label->width() - 470) <= 1);
    QVERIFY(guitest::waitFor([&] { return dialog.checkThread() == nullptr; }));

    QVERIFY(!dialog.checkingPage()->packageLabel()->isVisibleTo(&dialog));
    dialog.setPackageManaged(true);
    QVERIFY(dialog.checkingPage()->packageLabel()->isVisibleTo(&dialog));

    // An offer without notes shows the one default note.
    UpdateInfo bare = updateInfo(kOffered, m_service.url("/x.run"));
    dialog.setUpdateInfo(bare);
    QCOMPARE(dialog.stack()->currentIndex(), int(QCheckUpdateDialog::CheckedPage));
    QCOMPARE(dialog.checkedPage()->notesView()->toPlainText(),
             QStringLiteral("Update content :\n\n1 : Optimize some known issues"));
}

void TestCheckUpdate::startupCheckOpensOnlyAnOffer() {
    {
        m_service.setReply("/client/queryVersion", ScriptedReply::envelope(0));
        zentarPixvue window;
        pixvue::startVersionCheck(&window);
        QVERIFY(m_service.waitForRequests(1, 60000));
        QVERIFY(guitest::waitFor([&] { return window.threadKeeper()->runningCount() == 0; }));
        QCoreApplication::processEvents();
        QVERIFY(findUpdateDialog(&window) == nullptr);
    }
    m_service.clearRequests();
    m_service.setReply("/client/queryVersion",
                       ScriptedReply::envelope(1, "", offer(kOffered, m_service.url("/x.run"))));
    zentarPixvue window;
    pixvue::startVersionCheck(&window);
    QVERIFY(guitest::waitFor([&] { return findUpdateDialog(&window) != nullptr; }));
    QCheckUpdateDialog* dialog = findUpdateDialog(&window);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->stack()->currentIndex(), int(QCheckUpdateDialog::CheckedPage));
    QVERIFY(dialog->checkThread() == nullptr);  // the known offer is not checked again
    QCOMPARE(dialog->checkedPage()->versionLabel()->text(), QStringLiteral("New Version : 2.0.2"));
    QCOMPARE(m_service.requestCount(), 1);
}

void TestCheckUpdate::sizeAndPercentTexts() {
    QCOMPARE(pixvue::readableSize(0), QStringLiteral("0 B"));
    QCOMPARE(pixvue::readableSize(1024), QStringLiteral("1024 B"));
    QCOMPARE(pixvue::readableSize(1536), QStringLiteral("1.50 KB"));
    QCOMPARE(pixvue::readableSize(kThreeMiB), QStringLiteral("3.00 MB"));
    QCOMPARE(pixvue::readableSize(1024LL * 1024 * 1024 * 5 / 4), QStringLiteral("1.25 GB"));
    QCOMPARE(pixvue::readableSize(-1), QStringLiteral("-1 B"));

    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    QUpdatePage* page = dialog.updatePage();
    page->slotDownloadProcess(1536, kThreeMiB);
    QCOMPARE(page->sizeLabel()->text(), QStringLiteral("1.50 KB / 3.00 MB"));
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("0%"));
    page->slotDownloadProcess(kThreeMiB / 2, kThreeMiB);
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("49%"));
    const QRect bar = page->progressBar()->geometry();
    QCOMPARE(page->percentLabel()->geometry().right(), bar.right());
    page->slotDownloadProcess(7, 0);
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("700%"));
    // An unknown total keeps the percent shown.
    page->slotDownloadProcess(2048, -1);
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("700%"));
    QCOMPARE(page->sizeLabel()->text(), QStringLiteral("2.00 KB / -1 B"));
}

void TestCheckUpdate::downloadShowsProgressAndCancels() {
    m_service.setReply("/download/setup.run",
                       ScriptedReply::stallAfterHeaders(QByteArray(int(kThreeMiB), 'x'), 1536));
    auto* dialog = new QCheckUpdateDialog(true, m_keeper, kDownloadPage);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setUpdateInfo(updateInfo(kOffered, m_service.url("/download/setup.run")));
    dialog->show();
    dialog->checkedPage()->updateButton()->click();
    QUpdatePage* page = dialog->updatePage();
    QCOMPARE(dialog->stack()->currentIndex(), int(QCheckUpdateDialog::UpdatePage));
    QCOMPARE(page->statusLabel()->text(), QStringLiteral("Downloading( 2.0.2 ),please wait..."));
    QVERIFY(!page->updateButton()->isEnabled());
    QVERIFY(!page->linkLabel()->isVisible());
    QVERIFY(guitest::waitFor(
        [&] { return page->sizeLabel()->text() == QStringLiteral("1.50 KB / 3.00 MB"); }));
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("0%"));
    QVERIFY(page->isDownloading());
    QVERIFY(QFile::exists(installer() + ".tmp"));

    QPointer<QCheckUpdateDialog> watched(dialog);
    dialog->close();
    QVERIFY(guitest::waitFor([&] { return watched.isNull(); }));
    QVERIFY(!QFile::exists(installer() + ".tmp"));
    QVERIFY(!QFile::exists(installer()));
}

void TestCheckUpdate::httpErrorKeepsTheTemporaryFile() {
    m_service.setReply("/download/setup.run", ScriptedReply::httpError(404, "gone"));
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    dialog.show();
    dialog.updatePage()->downloadNewVersion(
        updateInfo(kOffered, m_service.url("/download/setup.run")));
    QUpdatePage* page = dialog.updatePage();
    QVERIFY(guitest::waitFor([&] { return page->linkLabel()->isVisible(); }));
    QVERIFY(guitest::waitFor([&] { return !page->isDownloading(); }));
    QCOMPARE(page->statusLabel()->text(), QStringLiteral("Downlaod( 2.0.2 ) Fail! ErrorCode : %1")
                                              .arg(int(QNetworkReply::ContentNotFoundError)));
    QCOMPARE(page->linkLabel()->text(), QStringLiteral("Official website download"));
    QVERIFY(!page->updateButton()->isEnabled());
    QVERIFY(!page->progressBar()->isAnimated());
    QVERIFY(QFile::exists(installer() + ".tmp"));
    QVERIFY(!QFile::exists(installer()));
}

void TestCheckUpdate::completeDownloadStartsTheInstaller() {
    const QByteArray script = installerScript(marker());
    m_service.setReply("/download/setup.run",
                       ScriptedReply::raw(script, "application/octet-stream"));
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    dialog.show();
    QSignalSpy started(dialog.updatePage(), &QUpdatePage::signalInstallerStarted);
    dialog.updatePage()->downloadNewVersion(
        updateInfo(kOffered, m_service.url("/download/setup.run")));
    QVERIFY(guitest::waitFor([&] { return QFile::exists(marker()); }));
    QCOMPARE(started.count(), 1);
    QCOMPARE(readFile(marker()), installer());
    QCOMPARE(readFile(installer()).toUtf8(), script.trimmed());
    QVERIFY(QFile::permissions(installer()) & QFile::ExeOwner);
    QVERIFY(!QFile::exists(installer() + ".tmp"));
    QCOMPARE(QFileInfo(installer()).fileName(), QStringLiteral("Update_Pixvue_V2.0.2.run"));
    // The end: a full bar and what happened.
    QUpdatePage* page = dialog.updatePage();
    QCOMPARE(page->percentLabel()->text(), QStringLiteral("100%"));
    QVERIFY(!page->progressBar()->isAnimated());
    QCOMPARE(page->statusLabel()->text(),
             QStringLiteral("The installer of 2.0.2 has been started"));
}

void TestCheckUpdate::presentInstallerStartsWithoutRequest() {
    QVERIFY(QDir().mkpath(pixvue::updateDirectory()));
    QVERIFY(writeFile(installer(), installerScript(marker())));
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    dialog.setUpdateInfo(updateInfo(kOffered, m_service.url("/download/setup.run")));
    dialog.checkedPage()->updateButton()->click();
    QVERIFY(guitest::waitFor([&] { return QFile::exists(marker()); }));
    QCOMPARE(m_service.requestCount(), 0);
    QCOMPARE(dialog.stack()->currentIndex(), int(QCheckUpdateDialog::UpdatePage));
    QCOMPARE(dialog.updatePage()->statusLabel()->text(),
             QStringLiteral("The installer of 2.0.2 has been started"));

    // Where the package manager updates, the offer is shown but nothing is fetched or started.
    QFile::remove(marker());
    QCheckUpdateDialog packaged(true, m_keeper, kDownloadPage);
    packaged.setPackageManaged(true);
    packaged.show();
    packaged.setUpdateInfo(updateInfo(kOffered, m_service.url("/download/setup.run")));
    QVERIFY(!packaged.checkedPage()->updateButton()->isVisible());
    QCOMPARE(packaged.checkedPage()->packageLabel()->text(),
             QStringLiteral("Pixvue is updated by your system's package manager"));
    QVERIFY(packaged.checkedPage()->packageLabel()->isVisible());
    packaged.updatePage()->downloadNewVersion(
        updateInfo(kOffered, m_service.url("/download/setup.run")));
    packaged.updatePage()->updateVersion();
    QCOMPARE(packaged.stack()->currentIndex(), int(QCheckUpdateDialog::CheckedPage));
    QVERIFY(!QFile::exists(marker()));
    QCOMPARE(m_service.requestCount(), 0);
}

void TestCheckUpdate::unsafeVersionOrAddressIsRefused_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("code");
    const QString local = "http://127.0.0.1:%1/download/setup.run";
    QTest::newRow("parent folders")
        << "../../x" << local << int(QNetworkReply::ProtocolInvalidOperationError);
    QTest::newRow("separator") << "2.0/2" << local
                               << int(QNetworkReply::ProtocolInvalidOperationError);
    QTest::newRow("dot dot") << ".." << local << int(QNetworkReply::ProtocolInvalidOperationError);
    QTest::newRow("empty") << "" << local << int(QNetworkReply::ProtocolInvalidOperationError);
    QTest::newRow("clear text") << "2.0.2"
                                << "http://198.51.100.7/setup.run"
                                << int(QNetworkReply::ProtocolUnknownError);
    QTest::newRow("ftp") << "2.0.2"
                         << "ftp://127.0.0.1/setup.run" << int(QNetworkReply::ProtocolUnknownError);
}

void TestCheckUpdate::unsafeVersionOrAddressIsRefused() {
    QFETCH(QString, version);
    QFETCH(QString, address);
    QFETCH(int, code);
    m_service.setReply("/download/setup.run", ScriptedReply::raw("x", "application/octet-stream"));
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    dialog.show();
    QUpdatePage* page = dialog.updatePage();
    const QString url = address.contains("%1") ? address.arg(m_service.port()) : address;
    page->downloadNewVersion(updateInfo(version, url));
    QCOMPARE(dialog.stack()->currentIndex(), int(QCheckUpdateDialog::UpdatePage));
    QVERIFY(page->linkLabel()->isVisible());
    QCOMPARE(page->statusLabel()->text(),
             QStringLiteral("Downlaod( %1 ) Fail! ErrorCode : %2").arg(version).arg(code));
    QVERIFY(!page->isDownloading());
    QCOMPARE(m_service.requestCount(), 0);
    const QStringList left = QDir(pixvue::updateDirectory()).entryList(QDir::Files);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
    QVERIFY(!QFile::exists(guitest::dataDirectory() + "x.run.tmp"));
    QVERIFY(!QFile::exists(guitest::dataDirectory() + "../x.run.tmp"));

    QVERIFY(pixvue::isSafeVersionText("2.0.2-beta_1"));
    QVERIFY(pixvue::isTrustedDownloadUrl(QUrl("https://downloads.example/x.run")));
    QVERIFY(pixvue::isTrustedDownloadUrl(QUrl("http://localhost:8080/x.run")));
    QVERIFY(!pixvue::isTrustedDownloadUrl(QUrl("http://127.0.0.1.example/x.run")));
}

void TestCheckUpdate::installerThatCannotStartOffersTheFolder() {
    QVERIFY(QDir().mkpath(pixvue::updateDirectory()));
    QVERIFY(writeFile(installer(), QByteArray("\x7f"
                                              "ELF broken",
                                              11)));
    guitest::DialogAnswers answers;
    answers.reject();
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    answers.answerFor(dialog);
    QSignalSpy closed(dialog.updatePage(), &QUpdatePage::signalClose);
    dialog.updatePage()->downloadNewVersion(updateInfo(kOffered, m_service.url("/x.run")));
    QCOMPARE(answers.askedClasses(), QStringList("QMessageboxEx"));
    QVERIFY(dialog.updatePage()->statusLabel()->text().startsWith(
        QStringLiteral("The installer could not be started: ")));
    QCOMPARE(closed.count(), 0);
    QCOMPARE(m_service.requestCount(), 0);
}

void TestCheckUpdate::redirectsAreCheckedLikeTheAddress() {
    m_service.setReply("/download/moved",
                       ScriptedReply::redirect(302, "http://198.51.100.7/x.run"));
    {
        QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
        QUpdatePage* page = dialog.updatePage();
        page->downloadNewVersion(updateInfo(kOffered, m_service.url("/download/moved")));
        QVERIFY(guitest::waitFor([&] { return !page->isDownloading(); }));
        QVERIFY(page->linkLabel()->isVisibleTo(page));
        QCOMPARE(page->statusLabel()->text(),
                 QStringLiteral("Downlaod( 2.0.2 ) Fail! ErrorCode : %1")
                     .arg(int(QNetworkReply::OperationCanceledError)));
        QVERIFY(!QFile::exists(installer()));
    }
    const QByteArray script = installerScript(marker());
    m_service.setReply("/download/here", ScriptedReply::raw(script, "application/octet-stream"));
    m_service.setReply("/download/moved",
                       ScriptedReply::redirect(302, m_service.url("/download/here").toUtf8()));
    QCheckUpdateDialog dialog(true, m_keeper, kDownloadPage);
    dialog.updatePage()->downloadNewVersion(updateInfo(kOffered, m_service.url("/download/moved")));
    QVERIFY(guitest::waitFor([&] { return QFile::exists(marker()); }));
    QCOMPARE(readFile(installer()).toUtf8(), script.trimmed());
}

void TestCheckUpdate::runningChecksAreStoppedOnClose() {
    m_service.setReply("/client/queryVersion", ScriptedReply::neverReply());
    {
        auto* dialog = new QCheckUpdateDialog(false, m_keeper, kDownloadPage);
        QVERIFY(m_service.waitForRequests(1, 60000));
        QVERIFY(dialog->checkThread() != nullptr && dialog->checkThread()->isRunning());
        delete dialog;  // waits for the check, which its quit aborts
    }
    m_service.clearRequests();
    zentarPixvue window;
    pixvue::startVersionCheck(&window);
    auto* dialog = new QCheckUpdateDialog(false, *window.threadKeeper(), kDownloadPage, &window);
    QVERIFY(m_service.waitForRequests(2, 60000));
    QCOMPARE(window.threadKeeper()->runningCount(), 2);
    window.stopBackgroundWork();
    QCOMPARE(window.threadKeeper()->runningCount(), 0);
    QVERIFY(dialog->checkThread() == nullptr || dialog->checkThread()->isFinished());
    QCoreApplication::processEvents();
    QVERIFY(findUpdateDialog(&window) == dialog);
    QCOMPARE(dialog->stack()->currentIndex(), int(QCheckUpdateDialog::CheckingPage));
}

void TestCheckUpdate::menuItemsOpenTheDialogs() {
    m_service.setReply("/client/queryVersion", ScriptedReply::envelope(0));
    zentarPixvue window;
    window.show();
    window.slotMenuItemClicked(QMenuDialog::CheckUpdate);
    QCheckUpdateDialog* check = findUpdateDialog(&window);
    QVERIFY(check != nullptr);
    QVERIFY(check->isVisible());
    QVERIFY(check->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(check->stack()->currentIndex(), int(QCheckUpdateDialog::CheckingPage));
    QVERIFY(guitest::waitFor([&] {
        return check->checkingPage()->statusLabel()->text() ==
               QStringLiteral("It is the latest version, no need to update");
    }));
    QCOMPARE(m_service.requests("/client/queryVersion").size(), 1);

    window.slotMenuItemClicked(QMenuDialog::Feedback);
    const auto feedback = window.findChildren<QFeedbackDialog*>();
    QCOMPARE(feedback.size(), 1);
    QVERIFY(feedback.first()->isVisible());
    QVERIFY(feedback.first()->testAttribute(Qt::WA_DeleteOnClose));
}

PIXVUE_GUI_TEST_MAIN(TestCheckUpdate)
#include "tst_checkupdate.moc"
