#include "ztconfig.h"

#include "ztaddresses.h"
#include "ztdatadir.h"
#include "ztlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QLocale>
#include <QNetworkInterface>
#include <QSettings>
#include <QStandardPaths>

ZtConfig* ZtConfig::m_pInstance = nullptr;

namespace {

const char kSystemUrlFile[] = "/etc/pixvue/Url.ini";
const char kConsentSection[] = "Privacy";
const char kUpdateCheckKey[] = "CheckUpdate";
const char kLogUploadKey[] = "SendLogs";

QString keyPath(const QString& section, const QString& key) {
    return section + "/" + key;
}

}  // namespace

ZtConfig* ZtConfig::NewInstance() {
    if (m_pInstance == nullptr) {
        m_pInstance = new ZtConfig();
    }
    return m_pInstance;
}

void ZtConfig::ReleaseConfigInstance() {
    delete m_pInstance;
    m_pInstance = nullptr;
}

ZtConfig::ZtConfig()
    : m_strAppPath(QCoreApplication::applicationDirPath()),
      m_strConfigPath(ztlog::dataDirectory()) {
    const QString user = userSettingsFile();
    m_eLanguage = initialLanguage(user);
    m_eConvertFormat = static_cast<ConvertFormat>(readInt(user, "ConvertFormat", "ConvertFormat"));
    m_eOutPutType = CustomOutPut;
    m_strSoftwareVersion =
        getPrivateProfileIntEx(m_strAppPath + "/Cfg/Version.ini", "Version", "Version", QString());
    m_strPicSize = getPrivateProfileIntEx(user, "PicSize", "PicSize", "100%");
    m_strPicQuality = getPrivateProfileIntEx(user, "PicQuality", "PicQuality", "100%");
    m_bKeepExif = getPrivateProfileIntEx(user, "KeepExif", "KeepExif", "true") == "true";
    m_bStripLocation =
        getPrivateProfileIntEx(user, "StripLocation", "StripLocation", "false") == "true";
    const QSettings stored(user, QSettings::IniFormat);
    m_bConsentAnswered = stored.contains(keyPath(kConsentSection, kUpdateCheckKey)) &&
                         stored.contains(keyPath(kConsentSection, kLogUploadKey));
    m_bUpdateCheckAllowed =
        getPrivateProfileIntEx(user, kConsentSection, kUpdateCheckKey, false) == "true";
    m_bLogUploadAllowed = readStoredLogUploadConsent();
    m_strServerUrl = readUrlValue("ServerUrl", "ServerUrl", ztaddresses::kDefaultServerUrl);
    m_strPublicIpUrl = readUrlValue(ztaddresses::kPublicIpSection, ztaddresses::kPublicIpKey,
                                    ztaddresses::kDefaultPublicIpUrl);
    m_strWebSiteUrl = readUrlValue(ztaddresses::kWebSiteSection, ztaddresses::kWebSiteKey,
                                   ztaddresses::kDefaultWebSiteUrl);
    m_strOutputDir = getPrivateProfileIntEx(user, "OutputDir", "OutputDir", QString());
    m_windowSize = QSettings(user, QSettings::IniFormat).value("WindowSize/WindowSize").toSize();
    LOG(INFO) << " Server Url is : " << m_strServerUrl;
}

QString ZtConfig::userSettingsFile() const {
    return m_strConfigPath + "/Configures.ini";
}

QStringList ZtConfig::urlFiles() {
    return {QCoreApplication::applicationDirPath() + "/Cfg/Url.ini",
            QString::fromLatin1(kSystemUrlFile),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                "/zentar/Pixvue/Url.ini"};
}

QString ZtConfig::readUrlValue(const char* section, const char* key,
                               const char* defaultValue) const {
    QString value = QString::fromLatin1(defaultValue);
    for (const QString& file : urlFiles()) {
        value = getPrivateProfileIntEx(file, section, key, value);
    }
    return value;
}

// Until the user picks a language, the desktop's: Chinese for any zh locale.
Language ZtConfig::initialLanguage(const QString& user) const {
    if (QSettings(user, QSettings::IniFormat).contains("Language/LanguageType")) {
        return static_cast<Language>(readInt(user, "Language", "LanguageType"));
    }
    return QLocale::system().name().startsWith(QLatin1String("zh")) ? Chinese : English;
}

bool ZtConfig::readStoredLogUploadConsent() const {
    return getPrivateProfileIntEx(userSettingsFile(), kConsentSection, kLogUploadKey, false) ==
           "true";
}

void ZtConfig::setConsent(bool allowUpdateCheck, bool allowLogUpload) {
    std::lock_guard<std::mutex> lock(m_mutex);
    writeUserValue(kConsentSection, kUpdateCheckKey, allowUpdateCheck);
    writeUserValue(kConsentSection, kLogUploadKey, allowLogUpload);
    m_bUpdateCheckAllowed = allowUpdateCheck;
    m_bLogUploadAllowed = allowLogUpload;
    m_bConsentAnswered = true;
}

QString ZtConfig::getPrivateProfileIntEx(const QString& path, const QString& section,
                                         const QString& key, const QVariant& defaultValue) const {
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(keyPath(section, key), defaultValue).toString();
}

int ZtConfig::readInt(const QString& path, const QString& section, const QString& key) const {
    // A text that is no decimal number reads as 0.
    return getPrivateProfileIntEx(path, section, key, 0).toInt();
}

void ZtConfig::writeUserValue(const QString& section, const QString& key, const QVariant& value) {
    QDir().mkpath(m_strConfigPath);
    QSettings settings(userSettingsFile(), QSettings::IniFormat);
    settings.setValue(keyPath(section, key), value);
}

void ZtConfig::setConvertFormat(ConvertFormat format) {
    storeChoice("ConvertFormat", "ConvertFormat", m_eConvertFormat, format);
}

void ZtConfig::setOutPutType(OutPut_Type type) {
    storeChoice("OutPutType", "OutPutType", m_eOutPutType, type);
}

void ZtConfig::setPicSize(const QString& size) {
    storeChoice("PicSize", "PicSize", m_strPicSize, size);
}

void ZtConfig::setPicQuality(const QString& quality) {
    storeChoice("PicQuality", "PicQuality", m_strPicQuality, quality);
}

void ZtConfig::setKeepExif(bool keep) {
    storeChoice("KeepExif", "KeepExif", m_bKeepExif, keep);
}

void ZtConfig::setStripLocation(bool strip) {
    std::lock_guard<std::mutex> lock(m_mutex);
    writeUserValue("StripLocation", "StripLocation", strip);
    m_bStripLocation = strip;
}

void ZtConfig::setLanguageType(Language language) {
    storeChoice("Language", "LanguageType", m_eLanguage, language);
}

void ZtConfig::setOutputDir(const QString& dir) {
    storeChoice("OutputDir", "OutputDir", m_strOutputDir, dir);
}

void ZtConfig::setWindowSize(const QSize& size) {
    storeChoice("WindowSize", "WindowSize", m_windowSize, size);
}

QString ZtConfig::getHostIpAddress() const {
    QString result;
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress& address : addresses) {
        if (address != QHostAddress(QHostAddress::LocalHost) && address.toIPv4Address() != 0) {
            result = address.toString();
        }
    }
    if (result.isEmpty()) {
        result = QHostAddress(QHostAddress::LocalHost).toString();
    }
    return result;
}
