#include "qbgcollectheicthread.h"

#include "workers/liveworkers.h"

QBGCollectHeicThread::QBGCollectHeicThread(QObject* parent) : QThread(parent) {
    LiveWorkers<QBGCollectHeicThread>::enter(this);
}

QBGCollectHeicThread::~QBGCollectHeicThread() {
    stop();
    wait();
    { std::lock_guard<std::mutex> lock(m_running); }
    LiveWorkers<QBGCollectHeicThread>::leave(this);
}

void QBGCollectHeicThread::setHeicFileList(const QStringList& listPaths) {
    m_listPaths = listPaths;
}

void QBGCollectHeicThread::startCollect() {
    m_bStop = false;
    start(QThread::InheritPriority);
}

void QBGCollectHeicThread::stop() {
    m_bStop = true;
}

bool QBGCollectHeicThread::stopRequested() const {
    return m_bStop;
}

void QBGCollectHeicThread::setStopFlag(bool bStop) {
    if (bStop) {
        LiveWorkers<QBGCollectHeicThread>::stopAll();
    }
}

bool QBGCollectHeicThread::stopFlag() {
    return LiveWorkers<QBGCollectHeicThread>::anyStopped();
}

void QBGCollectHeicThread::run() {
    std::lock_guard<std::mutex> lock(m_running);
    for (int i = 0; i < m_listPaths.size() && !m_bStop; ++i) {
        if (!m_engine.collectHeicPicDataToMap(m_listPaths.at(i)) &&
            m_engine.isExceedMemoryLimit()) {
            emit signalExceedMemoryLimit();
            return;
        }
    }
}
