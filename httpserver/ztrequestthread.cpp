#include "ztrequestthread.h"

ZtRequestThread::ZtRequestThread(QObject* parent) : QThread(parent) {}

void ZtRequestThread::stopAndWait() {
    if (!isRunning()) {
        return;
    }
    quit();
    wait();
}

void ZtRequestThread::run() {
    ZtHttpServer server;
    const RetValue result = request(server);
    report(result == RetSuccess, server.getLastError());
}
