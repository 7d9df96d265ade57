#include "ztlogsender.h"

#include "logreader.h"
#include "ztconfig.h"
#include "ztdatadir.h"
#include "zthttpserver.h"
#include "ztlog.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QSysInfo>

#include <chrono>

namespace {

constexpr int kMaxLinesPerUpload = 10000;
constexpr int kDefaultIntervalMs = 60000;

// ZT_LOGSENDER_INTERVAL_MS shortens the minute between uploads (tests, benchmarks).
std::chrono::milliseconds uploadInterval() {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("ZT_LOGSENDER_INTERVAL_MS", &ok);
    return std::chrono::milliseconds(ok && value > 0 ? value : kDefaultIntervalMs);
}

}  // namespace

ZtLogSender::ZtLogSender(QObject* parent)
    : QThread(parent), m_strProgressPath(ztlog::dataDirectory() + "logTmp.ini") {
    LOG(INFO) << "progress file: " << m_strProgressPath;
    m_strLogPath = getCurrentLogPath();
    const QString savedPath =
        QSettings(m_strProgressPath, QSettings::IniFormat).value("Info/Path").toString();
    if (savedPath != m_strLogPath) {
        saveLogPathToFile(m_strLogPath);
        saveLinesToFile(0);
    }
}

void ZtLogSender::setExit(bool exit) {
    {
        std::lock_guard<std::mutex> lock(m_sleepMutex);
        m_bExit.store(exit);
    }
    m_wakeUp.notify_all();
    LOG(INFO) << "Log Sender Exit";
}

qint64 ZtLogSender::readLinesFromFile() const {
    return QSettings(m_strProgressPath, QSettings::IniFormat).value("Info/Line").toLongLong();
}

QString ZtLogSender::getCurrentLogPath() const {
    return QString("%1%2%3").arg(ztlog::dataDirectory(), "/Trace/",
                                 QDate::currentDate().toString("yyyyMMdd") + ".log");
}

void ZtLogSender::run() {
    // Connected here, after the owner's connections, so that it runs last of all when
    // finished() is emitted on this thread.
    connect(
        this, &QThread::finished, this,
        [this] { m_bRunEnded.store(true, std::memory_order_release); }, Qt::DirectConnection);
    LOG(INFO) << "log sender start success";
    while (!m_bExit.load() && isUploadAllowed()) {
        sendData();
        sleepUntilNextUpload();
    }
    LOG(INFO) << "log sender thread exit";
    if (isUploadAllowed()) {
        sendData();
    }
}

// Asked before every upload: the user may turn the uploads off while the sender runs.
bool ZtLogSender::isUploadAllowed() const {
    if (ZtConfig::NewInstance()->readStoredLogUploadConsent()) {
        return true;
    }
    LOG(INFO) << "log upload is switched off";
    return false;
}

void ZtLogSender::waitUntilRunEnded() {
    wait();
    m_bRunEnded.load(std::memory_order_acquire);
}

void ZtLogSender::sleepUntilNextUpload() {
    std::unique_lock<std::mutex> lock(m_sleepMutex);
    m_wakeUp.wait_for(lock, uploadInterval(), [this] { return m_bExit.load(); });
}

void ZtLogSender::sendData() {
    m_strTodayPath = getCurrentLogPath();
    if (m_strTodayPath != m_strLogPath) {
        // The old day's file is finished first; a failed upload keeps it for the next minute.
        if (!sendLogData()) {
            return;
        }
        m_strLogPath = m_strTodayPath;
        saveLogPathToFile(m_strTodayPath);
        saveLinesToFile(0);
        LOG(INFO) << "log day changed";
    }
    sendLogData();
}

// Returns true when every complete line of the file has been uploaded.
bool ZtLogSender::sendLogData() {
    if (!QFile::exists(m_strLogPath)) {
        LOG(INFO) << "log file is not exist!" << m_strLogPath;
        return true;
    }
    LogChunk chunk;
    if (!readLogChunk(m_strLogPath, readLinesFromFile(), kMaxLinesPerUpload, &chunk)) {
        LOG(INFO) << "open log file fail!" << m_strLogPath;
        return true;
    }
    const QString fileName = m_strLogPath.mid(m_strLogPath.lastIndexOf('/'));
    const QString payload =
        userField() + "&" + fileName + "&" + QString::fromUtf8(ztlog::withHomeAsTilde(chunk.text));
    qDebug().noquote() << payload;
    ZtHttpServer server;
    if (server.ServerUploadLog(payload) != 1) {
        return false;
    }
    saveLinesToFile(readLinesFromFile() + chunk.consumed);
    return chunk.reachedEnd;
}

QString ZtLogSender::userField() const {
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QSysInfo::machineHostName() : user + "@" + QSysInfo::machineHostName();
}

bool ZtLogSender::ensureProgressFile() const {
    if (QFile::exists(m_strProgressPath)) {
        return true;
    }
    ztlog::ensureDataDirectory();
    QFile file(m_strProgressPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    file.close();
    return true;
}

void ZtLogSender::saveLogPathToFile(const QString& path) {
    if (!ensureProgressFile()) {
        LOG(INFO) << "open log file fail!" << m_strProgressPath;
        return;
    }
    QSettings(m_strProgressPath, QSettings::IniFormat).setValue("Info/Path", path);
}

void ZtLogSender::saveLinesToFile(qint64 count) {
    if (!ensureProgressFile()) {
        LOG(INFO) << "open log file fail!" << m_strProgressPath;
        return;
    }
    QSettings(m_strProgressPath, QSettings::IniFormat).setValue("Info/Line", count);
}
