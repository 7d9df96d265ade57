#include "ztrequestthread.h"

ZtRequestThread::ZtRequestThread(QObject* parent) : QThread(parent) {}

void ZtRequestThread::stopAndWait() {
    if (isRunning()) {
        quit();
        wait();
    }
    const std::lock_guard<std::mutex> ended(m_running);
}

void ZtRequestThread::run() {
    const std::lock_guard<std::mutex> running(m_running);
    ZtHttpServer server;
    const RetValue result = request(server);
    report(result == RetSuccess, server.getLastError());
}
