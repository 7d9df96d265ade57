#pragma once

#include "workers/guihandoff.h"

#include <QSemaphore>
#include <QSharedPointer>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>

class QHeicModel;

// Removes the given files from the file list without freezing the window: the thread hands
// the files to the GUI thread a few at a time, each removed there with its decoded images, and
// waits for each handful before the next.
class QDetHeicThread : public QThread {
    Q_OBJECT

public:
    // The view's checked rows, as paths: read before a removal that resets the model and
    // checked again after it. Both run on the GUI thread.
    struct RowChecks {
        std::function<QStringList()> read;
        std::function<void(const QStringList&)> restore;
    };

    QDetHeicThread(QSharedPointer<QHeicModel> pModel, QObject* parent = nullptr);
    // Stops and waits for the run.
    ~QDetHeicThread() override;

    void setRowChecks(RowChecks checks);
    // Clears this worker's stop and starts removing the files.
    void startDelete(const QStringList& listPaths);

    // Ends this worker's run before its next file. From any thread.
    void stop();
    bool stopRequested() const;

    // True stops every live delete worker; false leaves them (a start clears its own stop).
    static void setStopFlag(bool bStop);
    // Whether some live delete worker has been asked to stop.
    static bool stopFlag();

signals:
    void signalDelCompleted();

protected:
    void run() override;

private:
    bool waitForChunk();
    // On the GUI thread.
    void removeChunk(const QStringList& paths);

    QSharedPointer<QHeicModel> m_pModel;  // used on the GUI thread only
    RowChecks m_checks;                   // used on the GUI thread only
    QStringList m_listPaths;
    QSemaphore m_chunkDone;
    std::atomic<bool> m_bStop{false};
    GuiHandOff m_handOff;  // last: goes first
};
