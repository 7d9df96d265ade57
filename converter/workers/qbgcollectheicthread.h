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
    ~QBGCollectHeicThread() override;

    void setHeicFileList(const QStringList& listPaths);
    void startCollect();
    // Ends this worker after its current file, whatever the shared flag says later.
    void cancel();

    static void setStopFlag(bool bStop);
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
    std::atomic<bool> m_bCancel{false};

    static std::atomic<bool> m_bStop;
};
