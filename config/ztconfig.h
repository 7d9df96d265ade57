#pragma once

#include "ztconfig_global.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <QVariant>
#include <mutex>
#include <type_traits>

enum ConvertFormat : qint32 { JPG = 0, PNG = 1, BMP = 2 };
enum OutPut_Type : qint32 { DefaultOutPut = 0, CustomOutPut = 1 };
enum Language : qint32 { English = 0, Chinese = 1 };

// The process-wide settings: the user's conversion choices, language and consent from the data
// directory's "Configures.ini", the version from "Cfg/" beside the programs, the service
// addresses from the Url.ini files of urlFiles(). Values are read once at creation; each setter
// writes its key at once. The user's choices may be read by workers while the GUI thread changes
// them: they are kept under a lock.
class ZTCONFIG_EXPORT ZtConfig {
public:
    static ZtConfig* NewInstance();
    static void ReleaseConfigInstance();

    QString getConfigPath() const { return m_strConfigPath; }

    ConvertFormat getConvertFormat() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_eConvertFormat;
    }
    void setConvertFormat(ConvertFormat format);

    OutPut_Type getOutPutType() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_eOutPutType;
    }
    void setOutPutType(OutPut_Type type);

    QString getPicSize() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_strPicSize;
    }
    void setPicSize(const QString& size);

    QString getPicQuality() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_strPicQuality;
    }
    void setPicQuality(const QString& quality);

    bool isKeepExif() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bKeepExif;
    }
    void setKeepExif(bool keep);

    bool isStripLocation() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bStripLocation;
    }
    void setStripLocation(bool strip);

    Language getLanguageType() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_eLanguage;
    }
    void setLanguageType(Language language);

    // What the user agreed to: the version check at start-up and the log uploads. Both are off
    // until the user answered once (isConsentAnswered).
    bool isUpdateCheckAllowed() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bUpdateCheckAllowed;
    }
    bool isLogUploadAllowed() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bLogUploadAllowed;
    }
    bool isConsentAnswered() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bConsentAnswered;
    }
    void setConsent(bool allowUpdateCheck, bool allowLogUpload);
    // The log upload consent as the file holds it now (another process may have changed it).
    bool readStoredLogUploadConsent() const;

    // The Url.ini files, read key by key, a later one overriding an earlier: beside the
    // programs, the system's, the user's.
    static QStringList urlFiles();

    // The output folder last chosen with "Alter"; empty until one was chosen.
    QString getOutputDir() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_strOutputDir;
    }
    void setOutputDir(const QString& dir);

    // The main window's content size when it was last resized; invalid until then.
    QSize getWindowSize() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_windowSize;
    }
    void setWindowSize(const QSize& size);

    QString getSoftwareVersion() const { return m_strSoftwareVersion; }
    QString getServerUrl() const { return m_strServerUrl; }
    QString getPublicIpUrl() const { return m_strPublicIpUrl; }
    QString getWebSiteUrl() const { return m_strWebSiteUrl; }

    QString getHostIpAddress() const;

private:
    ZtConfig();
    ZtConfig(const ZtConfig&) = delete;
    ZtConfig& operator=(const ZtConfig&) = delete;

    QString getPrivateProfileIntEx(const QString& path, const QString& section, const QString& key,
                                   const QVariant& defaultValue) const;
    int readInt(const QString& path, const QString& section, const QString& key) const;
    QString userSettingsFile() const;
    QString readUrlValue(const char* section, const char* key, const char* defaultValue) const;
    Language initialLanguage(const QString& user) const;
    void writeUserValue(const QString& section, const QString& key, const QVariant& value);
    // Writes a user's choice to its key and keeps it in member, under the lock.
    template <typename T>
    void storeChoice(const char* section, const char* key, T& member, const T& value) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if constexpr (std::is_enum_v<T>) {
            writeUserValue(section, key, static_cast<int>(value));
        } else {
            writeUserValue(section, key, QVariant::fromValue(value));
        }
        member = value;
    }

    static ZtConfig* m_pInstance;

    mutable std::mutex m_mutex;  // the user's choices below and their file

    QString m_strAppPath;
    QString m_strConfigPath;
    Language m_eLanguage = English;
    ConvertFormat m_eConvertFormat = JPG;
    OutPut_Type m_eOutPutType = CustomOutPut;
    QString m_strSoftwareVersion;
    QString m_strPicSize;
    QString m_strPicQuality;
    bool m_bKeepExif = true;
    bool m_bStripLocation = false;
    bool m_bUpdateCheckAllowed = false;
    bool m_bLogUploadAllowed = false;
    bool m_bConsentAnswered = false;
    QString m_strOutputDir;
    QSize m_windowSize;
    QString m_strServerUrl;
    QString m_strPublicIpUrl;
    QString m_strWebSiteUrl;
};
