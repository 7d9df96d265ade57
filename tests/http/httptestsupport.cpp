#include "httptestsupport.h"

#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztlogsetup.h"
#include "ztsharelog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>

namespace {

const QRegularExpression kLinePattern(R"(^\[[^\]]*\]\[(\w+)\]-->\[([^,\]]+),\d+\] (.*)$)");

}  // namespace

void LogWatcher::mark() {
    el::Loggers::flushAll();
    m_offset = QFileInfo(logFile()).size();
}

QList<LogEntry> LogWatcher::linesSinceMark() const {
    el::Loggers::flushAll();
    QList<LogEntry> entries;
    QFile file(logFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return entries;
    }
    file.seek(m_offset);
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = kLinePattern.match(line);
        if (match.hasMatch()) {
            entries.append({match.captured(1), match.captured(2), match.captured(3)});
        } else if (!entries.isEmpty() && !line.isEmpty()) {
            entries.last().message += '\n' + line;  // continuation of a multi-line message
        }
    }
    return entries;
}

QList<LogEntry> LogWatcher::linesOf(const QString& function) const {
    QList<LogEntry> matching;
    for (const LogEntry& entry : linesSinceMark()) {
        if (entry.function == function) {
            matching.append(entry);
        }
    }
    return matching;
}

QString LogWatcher::describe(const QList<LogEntry>& entries) {
    QStringList lines;
    for (const LogEntry& entry : entries) {
        lines.append(QStringLiteral("[%1] %2: %3").arg(entry.level, entry.function, entry.message));
    }
    return lines.join('\n');
}

QString LogWatcher::logFile() const {
    const QDir trace(ztlog::dataDirectory() + "Trace");
    const QStringList logs = trace.entryList({"*.log"}, QDir::Files, QDir::Name);
    return logs.isEmpty() ? QString() : trace.filePath(logs.last());
}

namespace httptest {

void prepareDataHome() {
    static QTemporaryDir dataHome;  // removed when the program ends
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
}

void setUpLogging() {
    ztlog::setUpLogging();
    QDir().mkpath(ztlog::dataDirectory() + "Trace");
}

QString dataDirectory() {
    return ztlog::dataDirectory();
}

void useAddresses(const QString& serverUrl, const QString& publicIpUrl) {
    const QString cfg = QCoreApplication::applicationDirPath() + "/Cfg";
    QDir().mkpath(cfg);
    QFile::remove(cfg + "/Url.ini");
    {
        QSettings settings(cfg + "/Url.ini", QSettings::IniFormat);
        settings.setValue("ServerUrl/ServerUrl", serverUrl);
        settings.setValue("PublicIp/PublicIpUrl", publicIpUrl.isEmpty()
                                                      ? unreachableUrl() + "/cityjson/getip.aspx"
                                                      : publicIpUrl);
        settings.setValue("WebSite/WebSiteUrl", "http://127.0.0.1:1");
    }
    ZtConfig::ReleaseConfigInstance();
}

void setLanguage(int language) {
    ZtConfig::NewInstance()->setLanguageType(static_cast<Language>(language));
}

void writeVersionIni(const QString& version) {
    const QString cfg = QCoreApplication::applicationDirPath() + "/Cfg";
    QDir().mkpath(cfg);
    {
        QSettings settings(cfg + "/Version.ini", QSettings::IniFormat);
        settings.setValue("Version/Version", version);
    }
    ZtConfig::ReleaseConfigInstance();
}

QString unreachableUrl() {
    // A port that was just free: nothing listens there once the probe is closed.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

}  // namespace httptest
