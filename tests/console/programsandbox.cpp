#include "programsandbox.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>

ProgramSandbox::ProgramSandbox(const QString& programName) {
    const QString source = qEnvironmentVariable("PIXVUE_BIN_DIR") + "/" + programName;
    m_program = m_bin.path() + "/" + programName;
    m_valid = QFile::copy(source, m_program) &&
              QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner) &&
              QDir().mkpath(m_bin.path() + "/Cfg") && QDir().mkpath(dataDirectory() + "Trace");
    writeLogUploadConsent(true);
}

void ProgramSandbox::writeLogUploadConsent(bool allowed) const {
    QSettings settings(dataDirectory() + "Configures.ini", QSettings::IniFormat);
    settings.setValue("Privacy/CheckUpdate", false);
    settings.setValue("Privacy/SendLogs", allowed);
}

QString ProgramSandbox::todayLogPath() const {
    return dataDirectory() + "Trace/" + QDate::currentDate().toString("yyyyMMdd") + ".log";
}

void ProgramSandbox::writeUrlFile(const QString& serverUrl, const QString& publicIpUrl) {
    QFile file(m_bin.path() + "/Cfg/Url.ini");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return;
    }
    file.write(("[ServerUrl]\nServerUrl=" + serverUrl + "\n").toUtf8());
    if (!publicIpUrl.isEmpty()) {
        file.write(("[PublicIp]\nPublicIpUrl=" + publicIpUrl + "\n").toUtf8());
    }
}

void ProgramSandbox::start(QProcess& process, const QStringList& arguments,
                           const QStringList& environment) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", m_data.path());
    env.insert("XDG_CONFIG_HOME", m_data.path() + "/config");
    for (const QString& assignment : environment) {
        env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    }
    process.setProcessEnvironment(env);
    process.start(m_program, arguments);
}
