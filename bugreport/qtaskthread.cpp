#include "qtaskthread.h"

QTaskThread::QTaskThread(QObject* parent) : ZtRequestThread(parent) {}

void QTaskThread::setBugReport(const QString& mail, const QString& description,
                               const QString& dumpFileName) {
    m_strMail = mail;
    m_strDescription = description;
    m_strDumpFileName = dumpFileName;
}

RetValue QTaskThread::request(ZtHttpServer& server) {
    return server.ServerUploadBugReport(m_strMail, m_strDescription, m_strDumpFileName);
}

void QTaskThread::report(bool success, int errorCode) {
    emit signalUplaodCompleted(success, errorCode);
}
