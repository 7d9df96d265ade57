#include "qonlineservices.h"

#include "app/pixvuestartup.h"
#include "mainwindow/zentarpixvue.h"
#include "ztconfig.h"
#include "ztlog.h"

#include <QProcess>

#include <sys/prctl.h>
#include <csignal>

namespace {

const int kLogSenderStopMs = 5000;

// The log sender is told to end (SIGTERM) when this process goes for any reason, a crash or a
// kill included, so that it never runs on alone.
class LogSenderProcess : public QProcess {
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGTERM); }
};

}  // namespace

QOnlineServices::QOnlineServices(zentarPixvue* window, const QString& logSenderProgram)
    : m_pWindow(window), m_strLogSenderProgram(logSenderProgram) {}

QOnlineServices::~QOnlineServices() {
    stopLogSender();
}

bool QOnlineServices::isLogSenderRunning() const {
    return m_pLogSender != nullptr && m_pLogSender->state() != QProcess::NotRunning;
}

void QOnlineServices::slotApplyConsent() {
    const ZtConfig* config = ZtConfig::NewInstance();
    if (config->isUpdateCheckAllowed() && !m_bVersionChecked) {
        m_bVersionChecked = true;
        pixvue::startVersionCheck(m_pWindow);
    }
    if (config->isLogUploadAllowed()) {
        if (!isLogSenderRunning()) {
            startLogSender();
        }
    } else {
        stopLogSender();
    }
}

void QOnlineServices::startLogSender() {
    m_pLogSender = std::make_unique<LogSenderProcess>();
    // Its output is not read (it logs to the day's log): discard it, so that no pipe fills up.
    m_pLogSender->setStandardOutputFile(QProcess::nullDevice());
    m_pLogSender->setStandardErrorFile(QProcess::nullDevice());
    m_pLogSender->start(m_strLogSenderProgram, QStringList(m_strLogSenderProgram),
                        QIODevice::ReadWrite);
    if (!m_pLogSender->waitForStarted()) {
        LOG(ERROR) << "log sender " << m_strLogSenderProgram
                   << " did not start: " << m_pLogSender->errorString();
    }
}

// SIGTERM ends the log sender; it uploads once more only while the uploads are allowed. One
// that hangs is killed.
void QOnlineServices::stopLogSender() {
    if (!isLogSenderRunning()) {
        m_pLogSender.reset();
        return;
    }
    m_pLogSender->terminate();
    if (!m_pLogSender->waitForFinished(kLogSenderStopMs)) {
        LOG(ERROR) << "log sender did not end, killing it";
        m_pLogSender->kill();
        m_pLogSender->waitForFinished();
    }
    m_pLogSender.reset();
}
