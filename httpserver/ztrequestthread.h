#pragma once

#include "zthttpserver.h"
#include "zthttpserver_global.h"

#include <QThread>

#include <mutex>

// A thread that makes one request through ZtHttpServer and hands the answer back by queued
// signals of its subclass. quit() aborts a request under way (it ends the request's local
// event loop), so that an owner can always stop and wait for it.
class ZTHTTPSERVER_EXPORT ZtRequestThread : public QThread {
    Q_OBJECT

public:
    explicit ZtRequestThread(QObject* parent = nullptr);

    // Aborts the request under way and waits for the thread; afterwards everything run() did
    // is visible to the caller, who may delete the thread.
    void stopAndWait();

protected:
    // On the thread: the request itself.
    virtual RetValue request(ZtHttpServer& server) = 0;
    // On the thread, after request(): hands the outcome back (the subclass's signals).
    // errorCode is the client's last error.
    virtual void report(bool success, int errorCode) = 0;

private:
    void run() final;

    // Held by run(): taken after wait(), it orders run()'s work before the caller's next steps
    // also for ThreadSanitizer, which does not see QThread::wait's futex.
    std::mutex m_running;
};
