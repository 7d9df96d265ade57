#include "qtaskthread.h"

#include "ztconfig.h"
#include "ztlog.h"

namespace {

const int kUpdateInfoTypeId = qRegisterMetaType<UpdateInfo>("UpdateInfo");

}  // namespace

QCheckVersionThread::QCheckVersionThread(QObject* parent)
    : ZtRequestThread(parent), m_strCurrentVersion(ZtConfig::NewInstance()->getSoftwareVersion()) {
    Q_UNUSED(kUpdateInfoTypeId);
}

RetValue QCheckVersionThread::request(ZtHttpServer& server) {
    return server.ServerCheckSoftwareVersion(m_strCurrentVersion, m_updateInfo);
}

void QCheckVersionThread::report(bool success, int errorCode) {
    if (!success) {
        m_updateInfo.hasNewVersion = false;
        LOG(INFO) << "Check software version fail!";
    } else if (m_updateInfo.hasNewVersion) {
        LOG(INFO) << "New versions of the software are available!";
    } else {
        LOG(INFO) << "The software is already up to date!";
    }
    emit signalCheckCompleted(success, errorCode);
    emit signalUpdateInfo(QVariant::fromValue(m_updateInfo));
}

QFeedbackThread::QFeedbackThread(QObject* parent) : ZtRequestThread(parent) {}

void QFeedbackThread::setFeedback(const QString& mail, const QString& content,
                                  const QString& logFileName) {
    m_strMail = mail;
    m_strContent = content;
    m_strLogFileName = logFileName;
}

RetValue QFeedbackThread::request(ZtHttpServer& server) {
    return server.ServerUploadFeedback(m_strMail, m_strContent, m_strLogFileName);
}

void QFeedbackThread::report(bool success, int errorCode) {
    emit signalFeedbackCompleted(success, errorCode);
}
