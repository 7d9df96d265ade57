#pragma once

#include "ztheicapi.h"

#include <QStringList>
#include <QThread>

#include <atomic>
#include <mutex>

// Decodes the listed files into the engine's store ahead of use, one after the other, until
// the store's memory budget is spent.
class QBGCollectHeicThread : public QThread {
    Q_OBJECT

public:
    explicit QBGCollectHeicThread(QObject* parent = nullptr);
    // Stops and waits for the run.
    ~QBGCollectHeicThread() override;

    void setHeicFileList(const QStringList& listPaths);
    // The store's budget this worker collects within; set before the start.
    void setMemoryBudgetMb(double megabytes) { m_engine.setMemoryBudgetMb(megabytes); }
    // Clears this worker's stop and starts it.
    void startCollect();
    // Ends this worker's run after its current file. From any thread.
    void stop();
    bool stopRequested() const;

    // True stops every live collect worker; false leaves them (a start clears its own stop).
    static void setStopFlag(bool bStop);
    // Whether some live collect worker has been asked to stop.
    static bool stopFlag();

signals:
    void signalExceedMemoryLimit();

protected:
    void run() override;

private:
    // Held by run(): its owner, having waited for the thread, takes it before the data go, so
    // that race checkers see the end of the run (Qt's wait is invisible to them).
    std::mutex m_running;
    QStringList m_listPaths;
    ZtHeicAPI m_engine;
    std::atomic<bool> m_bStop{false};
};
