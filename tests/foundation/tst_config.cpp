#include "ztconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void freshMachineDefaults();
    void keepExifIsCaseSensitive();
    void settersPersistAtOnce();
    void outputTypeIsNeverReadBack();
    void releaseTwiceThenReload();
    void badStoredValues();
    void installationFiles();
    void unwritableDataDirectoryKeepsValues();
    void hostIpAddress();

private:
    QString dataDir() const { return m_home->path() + "/zentar/Pixvue/"; }
    QString userFile() const { return dataDir() + "Configures.ini"; }
    QString cfgDir() const { return QCoreApplication::applicationDirPath() + "/Cfg"; }
    void writeFile(const QString& path, const QByteArray& content);
    ZtConfig* reload();

    std::unique_ptr<QTemporaryDir> m_home;
};

void TestConfig::init() {
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", m_home->path().toUtf8());
    qputenv("XDG_CONFIG_HOME", QString(m_home->path() + "/config").toUtf8());
    QDir(cfgDir()).removeRecursively();
    ZtConfig::ReleaseConfigInstance();
}

void TestConfig::cleanup() {
    ZtConfig::ReleaseConfigInstance();
    QDir(cfgDir()).removeRecursively();
}

void TestConfig::writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

ZtConfig* TestConfig::reload() {
    ZtConfig::ReleaseConfigInstance();
    return ZtConfig::NewInstance();
}

void TestConfig::freshMachineDefaults() {
    ZtConfig* config = ZtConfig::NewInstance();
    QCOMPARE(ZtConfig::NewInstance(), config);
    QCOMPARE(config->getConfigPath(), dataDir());
    QCOMPARE(config->getLanguageType(), English);
    QCOMPARE(config->getConvertFormat(), JPG);
    QCOMPARE(config->getOutPutType(), CustomOutPut);
    QCOMPARE(config->getPicSize(), QString("100%"));
    QCOMPARE(config->getPicQuality(), QString("100%"));
    QVERIFY(config->isKeepExif());
    QCOMPARE(config->getSoftwareVersion(), QString());
    QCOMPARE(config->getServerUrl(), QString("https://pixvue.example"));
    QCOMPARE(config->getServerUrl().size(), 22);
    QVERIFY(!config->isConsentAnswered());
    QVERIFY(!config->isUpdateCheckAllowed() && !config->isLogUploadAllowed());
    // Reading creates nothing.
    QVERIFY(!QFile::exists(userFile()));
}

void TestConfig::keepExifIsCaseSensitive() {
    writeFile(userFile(), "[KeepExif]\nKeepExif=TRUE\n");
    ZtConfig* config = ZtConfig::NewInstance();
    QVERIFY(!config->isKeepExif());

    config->setKeepExif(true);
    QVERIFY(config->isKeepExif());
    QSettings stored(userFile(), QSettings::IniFormat);
    QCOMPARE(stored.value("KeepExif/KeepExif").toString(), QString("true"));
    QVERIFY(reload()->isKeepExif());
}

void TestConfig::settersPersistAtOnce() {
    ZtConfig* config = ZtConfig::NewInstance();
    config->setConvertFormat(BMP);
    config->setPicSize("50%");
    config->setPicQuality("80%");
    config->setLanguageType(Chinese);
    config->setKeepExif(false);
    config->setConsent(true, false);
    QVERIFY(config->isConsentAnswered() && config->isUpdateCheckAllowed());
    QCOMPARE(config->getConvertFormat(), BMP);
    QCOMPARE(config->getPicSize(), QString("50%"));

    // Another process sees the file; this one reads it back after a fresh start.
    QSettings stored(userFile(), QSettings::IniFormat);
    QCOMPARE(stored.value("ConvertFormat/ConvertFormat").toInt(), 2);
    QCOMPARE(stored.value("Language/LanguageType").toInt(), 1);
    QCOMPARE(stored.value("KeepExif/KeepExif").toString(), QString("false"));
    QCOMPARE(stored.value("Privacy/SendLogs").toString(), QString("false"));
    // The log consent is read from the file when asked: another process may have changed it.
    QSettings(userFile(), QSettings::IniFormat).setValue("Privacy/SendLogs", true);
    QVERIFY(config->readStoredLogUploadConsent() && !config->isLogUploadAllowed());

    config = reload();
    QCOMPARE(config->getConvertFormat(), BMP);
    QCOMPARE(config->getPicSize(), QString("50%"));
    QCOMPARE(config->getPicQuality(), QString("80%"));
    QCOMPARE(config->getLanguageType(), Chinese);
    QVERIFY(!config->isKeepExif());
    QVERIFY(config->isConsentAnswered() && config->isUpdateCheckAllowed());
    QVERIFY(config->isLogUploadAllowed());
}

void TestConfig::outputTypeIsNeverReadBack() {
    ZtConfig* config = ZtConfig::NewInstance();
    config->setOutPutType(DefaultOutPut);
    QCOMPARE(config->getOutPutType(), DefaultOutPut);
    QCOMPARE(QSettings(userFile(), QSettings::IniFormat).value("OutPutType/OutPutType").toInt(), 0);
    QCOMPARE(reload()->getOutPutType(), CustomOutPut);
}

void TestConfig::releaseTwiceThenReload() {
    ZtConfig::NewInstance()->setPicSize("25%");
    ZtConfig::ReleaseConfigInstance();
    ZtConfig::ReleaseConfigInstance();
    writeFile(userFile(), "[PicSize]\nPicSize=75%\n[Language]\nLanguageType=1\n");
    ZtConfig* config = ZtConfig::NewInstance();
    QCOMPARE(config->getPicSize(), QString("75%"));
    QCOMPARE(config->getLanguageType(), Chinese);
}

void TestConfig::badStoredValues() {
    // Not a number, then a garbled file: integers read 0, texts keep their defaults.
    writeFile(userFile(), "[ConvertFormat]\nConvertFormat=png\n[Language]\nLanguageType=1x\n");
    ZtConfig* config = ZtConfig::NewInstance();
    QCOMPARE(static_cast<int>(config->getConvertFormat()), 0);
    QCOMPARE(static_cast<int>(config->getLanguageType()), 0);

    writeFile(userFile(), QByteArray("\x00\xff[[[=\n\x01garbage=\n[PicSize\n", 24));
    config = reload();
    QCOMPARE(config->getPicSize(), QString("100%"));
    QVERIFY(config->isKeepExif());

    // An unreadable file behaves as a missing one (root reads everything, so skip there).
    writeFile(userFile(), "[PicSize]\nPicSize=10%\n");
    QFile::setPermissions(userFile(), QFileDevice::WriteOwner);
    QFile probe(userFile());
    if (!probe.open(QIODevice::ReadOnly)) {
        QCOMPARE(reload()->getPicSize(), QString("100%"));
    }
    QFile::setPermissions(userFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestConfig::installationFiles() {
    writeFile(cfgDir() + "/Version.ini", "[Version]\nVersion=1.2.3.4\n");
    writeFile(cfgDir() + "/Url.ini",
              "[ServerUrl]\nServerUrl=http://127.0.0.1:8080\n"
              "[PublicIp]\nPublicIpUrl=http://127.0.0.1:8080/ip\n");
    ZtConfig* config = ZtConfig::NewInstance();
    QCOMPARE(config->getSoftwareVersion(), QString("1.2.3.4"));
    QCOMPARE(config->getServerUrl(), QString("http://127.0.0.1:8080"));
    QCOMPARE(config->getPublicIpUrl(), QString("http://127.0.0.1:8080/ip"));

    // A Url.ini without the key falls back to the built-in address.
    writeFile(cfgDir() + "/Url.ini", "[Other]\nKey=1\n");
    QCOMPARE(reload()->getServerUrl(), QString("https://pixvue.example"));

    // Key by key, the later file over the earlier: beside the programs, the system's, the user's.
    const QString userUrlFile = m_home->path() + "/config/zentar/Pixvue/Url.ini";
    QCOMPARE(ZtConfig::urlFiles(),
             QStringList({cfgDir() + "/Url.ini", "/etc/pixvue/Url.ini", userUrlFile}));
    writeFile(
        cfgDir() + "/Url.ini",
        "[ServerUrl]\nServerUrl=http://127.0.0.1:1\n[WebSite]\nWebSiteUrl=http://127.0.0.1:2\n");
    writeFile(userUrlFile, "[ServerUrl]\nServerUrl=http://127.0.0.1:3\n");
    config = reload();
    QCOMPARE(config->getServerUrl(), QString("http://127.0.0.1:3"));
    QCOMPARE(config->getWebSiteUrl(), QString("http://127.0.0.1:2"));
    QCOMPARE(config->getPublicIpUrl(), QString("https://ip.pixvue.example/cityjson?ie=utf-8"));
}

void TestConfig::unwritableDataDirectoryKeepsValues() {
    // A plain file where the data directory's parent should be: nothing can be created.
    writeFile(m_home->path() + "/zentar", "not a directory");
    ZtConfig* config = ZtConfig::NewInstance();
    config->setPicQuality("60%");
    config->setConvertFormat(PNG);
    QCOMPARE(config->getPicQuality(), QString("60%"));
    QCOMPARE(config->getConvertFormat(), PNG);
    QVERIFY(!QFile::exists(userFile()));
}

void TestConfig::hostIpAddress() {
    QString expected = "127.0.0.1";
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address != QHostAddress(QHostAddress::LocalHost) && address.toIPv4Address() != 0) {
            expected = address.toString();
        }
    }
    const QString address = ZtConfig::NewInstance()->getHostIpAddress();
    QCOMPARE(address, expected);
    if (qEnvironmentVariableIsSet("PIXVUE_EXPECT_NO_NETWORK")) {
        QCOMPARE(address, QString("127.0.0.1"));
    }
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
