#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A program of the bin directory copied into a folder of its own, with a Cfg/Url.ini that
// points it at a test service, and data and config directories (XDG_DATA_HOME,
// XDG_CONFIG_HOME) of its own, where the user allowed the log uploads.
class ProgramSandbox {
public:
    explicit ProgramSandbox(const QString& programName);

    bool isValid() const { return m_valid; }
    QString dataDirectory() const { return m_data.path() + "/zentar/Pixvue/"; }
    QString todayLogPath() const;

    void writeUrlFile(const QString& serverUrl, const QString& publicIpUrl = QString());
    // The user's answer to the network question, as the converter stores it.
    void writeLogUploadConsent(bool allowed) const;
    void start(QProcess& process, const QStringList& arguments,
               const QStringList& environment = {}) const;

private:
    QTemporaryDir m_bin;
    QTemporaryDir m_data;
    QString m_program;
    bool m_valid = false;
};
