#include "qbgcollectheicthread.h"

std::atomic<bool> QBGCollectHeicThread::m_bStop{false};

QBGCollectHeicThread::QBGCollectHeicThread(QObject* parent) : QThread(parent) {}

QBGCollectHeicThread::~QBGCollectHeicThread() {
    std::lock_guard<std::mutex> lock(m_running);
}

void QBGCollectHeicThread::setHeicFileList(const QStringList& listPaths) {
    m_listPaths = listPaths;
}

void QBGCollectHeicThread::startCollect() {
    m_bStop = false;
    m_bCancel = false;
    start(QThread::InheritPriority);
}

void QBGCollectHeicThread::cancel() {
    m_bCancel = true;
}

void QBGCollectHeicThread::setStopFlag(bool bStop) {
    m_bStop = bStop;
}

bool QBGCollectHeicThread::stopFlag() {
    return m_bStop;
}

void QBGCollectHeicThread::run() {
    std::lock_guard<std::mutex> lock(m_running);
    for (int i = 0; i < m_listPaths.size() && !m_bStop && !m_bCancel; ++i) {
        if (!m_engine.collectHeicPicDataToMap(m_listPaths.at(i)) &&
            m_engine.isExceedMemoryLimit()) {
            emit signalExceedMemoryLimit();
            return;
        }
    }
}
