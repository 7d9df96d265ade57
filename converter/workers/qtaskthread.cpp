#include "qtaskthread.h"

#include "ztconfig.h"
#include "zthttpserver.h"
#include "ztlog.h"

namespace {

const int kUpdateInfoTypeId = qRegisterMetaType<UpdateInfo>("UpdateInfo");

}  // namespace

QCheckVersionThread::QCheckVersionThread(QObject* parent)
    : QThread(parent), m_strCurrentVersion(ZtConfig::NewInstance()->getSoftwareVersion()) {
    Q_UNUSED(kUpdateInfoTypeId);
}

void QCheckVersionThread::run() {
    ZtHttpServer server;
    const RetValue result = server.ServerCheckSoftwareVersion(m_strCurrentVersion, m_updateInfo);
    if (result != RetSuccess) {
        m_updateInfo.hasNewVersion = false;
    }
    if (result == RetSuccess && m_updateInfo.hasNewVersion) {
        LOG(INFO) << "New versions of the software are available!";
    } else if (result == RetSuccess) {
        LOG(INFO) << "The software is already up to date!";
    } else {
        LOG(INFO) << "Check software version fail!";
    }
    emit signalCheckCompleted(result == RetSuccess, server.getLastError());
    emit signalUpdateInfo(QVariant::fromValue(m_updateInfo));
}

QFeedbackThread::QFeedbackThread(QObject* parent) : QThread(parent) {}

void QFeedbackThread::setFeedback(const QString& mail, const QString& content,
                                  const QString& logFileName) {
    m_strMail = mail;
    m_strContent = content;
    m_strLogFileName = logFileName;
}

void QFeedbackThread::run() {
    ZtHttpServer server;
    const RetValue result = server.ServerUploadFeedback(m_strMail, m_strContent, m_strLogFileName);
    emit signalFeedbackCompleted(result == RetSuccess, server.getLastError());
}

void stopServiceThread(QThread* thread) {
    if (thread == nullptr || !thread->isRunning()) {
        return;
    }
    thread->quit();
    thread->wait();
}
