// The installer download of the converter's core, without widgets, against the test web
// service.
#include "core/qinstallerdownload.h"
#include "httptestsupport.h"
#include "pixvuetestservice.h"
#include "zthttpserver.h"

#include <QDir>
#include <QFile>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

namespace {

const char kVersion[] = "2.0.2";
const int kGenerousMs = 60000;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestInstallerDownload : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void completeDownloadTakesTheInstallersName();
    void failuresAndRefusalsLeaveNoInstaller();
    void cancelRemovesThePartialFile();

private:
    QString installer() const { return pixvue::installerPath(kVersion); }

    PixvueTestService m_service;
};

void TestInstallerDownload::initTestCase() {
    if (pixvue::isDistributionPackage()) {
        QCOMPARE(QInstallerDownload().start(kVersion, "https://downloads.example/x.run"),
                 QInstallerDownload::Refused);
        QSKIP("a distribution's package never downloads an installer");
    }
    QVERIFY(m_service.start());
    ZtHttpServer::setTransferTimeout(kGenerousMs);
}

void TestInstallerDownload::init() {
    m_service.clearRequests();
    m_service.clearReplies();
    QDir(pixvue::updateDirectory()).removeRecursively();
}

void TestInstallerDownload::completeDownloadTakesTheInstallersName() {
    QByteArray body(300 * 1024, 'x');
    body[0] = 'a';
    body[body.size() - 1] = 'z';
    m_service.setReply("/download/here", ScriptedReply::raw(body, "application/octet-stream"));
    m_service.setReply("/download/moved",
                       ScriptedReply::redirect(302, m_service.url("/download/here").toUtf8()));
    QInstallerDownload download;
    QSignalSpy progress(&download, &QInstallerDownload::signalProgress);
    QSignalSpy done(&download, &QInstallerDownload::signalDownloaded);
    QSignalSpy failed(&download, &QInstallerDownload::signalFailed);
    QCOMPARE(download.start(kVersion, m_service.url("/download/moved")),
             QInstallerDownload::Started);
    QVERIFY(download.isDownloading());
    QVERIFY(done.wait(kGenerousMs));
    QCOMPARE(done.first().at(0).toString(), installer());
    QCOMPARE(failed.count(), 0);
    QVERIFY(!download.isDownloading());
    QCOMPARE(readAll(installer()), body);
    QVERIFY(!QFile::exists(installer() + ".tmp"));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(body.size()));
    QCOMPARE(progress.last().at(1).toLongLong(), qint64(body.size()));

    // The installer there: nothing is fetched again.
    const int requests = m_service.requestCount();
    QCOMPARE(download.start(kVersion, m_service.url("/download/here")),
             QInstallerDownload::AlreadyDownloaded);
    QCOMPARE(m_service.requestCount(), requests);
    QVERIFY(!download.isDownloading());
}

void TestInstallerDownload::failuresAndRefusalsLeaveNoInstaller() {
    QInstallerDownload download;
    QSignalSpy failed(&download, &QInstallerDownload::signalFailed);
    QSignalSpy done(&download, &QInstallerDownload::signalDownloaded);

    // Refused before any request: a version that would leave the folder, a clear-text address.
    QCOMPARE(download.start("../x", m_service.url("/download/here")), QInstallerDownload::Refused);
    QCOMPARE(download.refusalCode(), QInstallerDownload::kRefusedVersionCode);
    QVERIFY(download.targetPath().isEmpty());
    QCOMPARE(download.start(kVersion, "http://198.51.100.7/x.run"), QInstallerDownload::Refused);
    QCOMPARE(download.refusalCode(), QInstallerDownload::kRefusedAddressCode);
    QCOMPARE(m_service.requestCount(), 0);

    // An answer without the installer: its partial file stays for the next attempt.
    m_service.setReply("/download/gone", ScriptedReply::httpError(404, "gone"));
    QCOMPARE(download.start(kVersion, m_service.url("/download/gone")),
             QInstallerDownload::Started);
    QVERIFY(failed.wait(kGenerousMs));
    QCOMPARE(failed.last().at(0).toInt(), int(QNetworkReply::ContentNotFoundError));
    QVERIFY(QFile::exists(installer() + ".tmp"));

    // A redirect is checked like the address itself.
    m_service.setReply("/download/moved",
                       ScriptedReply::redirect(302, "http://198.51.100.7/x.run"));
    QCOMPARE(download.start(kVersion, m_service.url("/download/moved")),
             QInstallerDownload::Started);
    QVERIFY(failed.wait(kGenerousMs));
    QCOMPARE(failed.last().at(0).toInt(), int(QNetworkReply::OperationCanceledError));

    // The connection drops before the end.
    m_service.setReply("/download/cut", ScriptedReply::closeConnection());
    QCOMPARE(download.start(kVersion, m_service.url("/download/cut")), QInstallerDownload::Started);
    QVERIFY(failed.wait(kGenerousMs));
    QVERIFY(failed.last().at(0).toInt() != 0);

    QCOMPARE(failed.count(), 3);
    QCOMPARE(done.count(), 0);
    QVERIFY(!QFile::exists(installer()));
}

void TestInstallerDownload::cancelRemovesThePartialFile() {
    const QByteArray body(3 * 1024 * 1024, 'x');
    m_service.setReply("/download/slow", ScriptedReply::stallAfterHeaders(body, 1536));
    {
        QInstallerDownload download;
        QSignalSpy progress(&download, &QInstallerDownload::signalProgress);
        QSignalSpy failed(&download, &QInstallerDownload::signalFailed);
        QCOMPARE(download.start(kVersion, m_service.url("/download/slow")),
                 QInstallerDownload::Started);
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toLongLong() == 1536,
                                 kGenerousMs);
        QCOMPARE(progress.last().at(1).toLongLong(), qint64(body.size()));
        download.cancel();
        QVERIFY(!download.isDownloading());
        QVERIFY(!QFile::exists(installer() + ".tmp"));
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 0);  // a cancel is no failure

        // Destroyed while downloading: the download ends with it.
        QCOMPARE(download.start(kVersion, m_service.url("/download/slow")),
                 QInstallerDownload::Started);
        QVERIFY(m_service.waitForRequests(2, kGenerousMs));
    }
    QVERIFY(!QFile::exists(installer() + ".tmp"));
    QVERIFY(!QFile::exists(installer()));
}

PIXVUE_HTTP_TEST_MAIN(TestInstallerDownload)
#include "tst_installerdownload.moc"
