#include "qtaskthread.h"

#include "zthttpserver.h"

QTaskThread::QTaskThread(QObject* parent) : QThread(parent) {}

void QTaskThread::setBugReport(const QString& mail, const QString& description,
                               const QString& dumpFileName) {
    m_strMail = mail;
    m_strDescription = description;
    m_strDumpFileName = dumpFileName;
}

void QTaskThread::run() {
    ZtHttpServer server;
    const RetValue result =
        server.ServerUploadBugReport(m_strMail, m_strDescription, m_strDumpFileName);
    emit signalUplaodCompleted(result == RetSuccess, server.getLastError());
}
