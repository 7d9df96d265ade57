#pragma once

#include "core/ztrunscheduler.h"
#include "workers/guihandoff.h"
#include "ztheicapi.h"

#include <QPersistentModelIndex>
#include <QString>
#include <QThread>
#include <QVariant>
#include <QVector>

#include <atomic>
#include <functional>
#include <mutex>

// Converts the listed files of a run into the output directory, several at once (one per core,
// the decoder's threads shared out among them; very large pictures one at a time). Each row
// shows "converting" when its file starts and its result when it ends; the rows are changed on
// the GUI thread, where the signals are emitted too, each after the row change it reports:
// signalConvertNum() follows every handled file, counting up by one; signalConvertFinished()
// ends every run, also a stopped one. A stop starts no new file and
// lets the files in hand finish.
class QConvertHeicThread : public QThread {
    Q_OBJECT

public:
    // nParallelFiles: files converted at once; 0 for the default (see setDefaultParallelFiles).
    explicit QConvertHeicThread(QObject* parent = nullptr, int nParallelFiles = 0);
    ~QConvertHeicThread() override;

    // Takes the files of the rows (a QModelIndexList, in conversion order) and the settings of
    // the moment, clears this worker's stop, then starts the thread. Called on the GUI thread.
    void startConvert(const QVariant& listIndex, const QString& strOutputDir);

    // Stops this worker's run: no new file starts. From any thread.
    void stop();
    bool stopRequested() const;

    // True stops every live worker of this class; false leaves them (a start clears its own).
    static void setStopFlag(bool bStop);
    // Whether some live worker has been asked to stop.
    static bool stopFlag();

    // Files at once for workers constructed with 0; 0 restores one per core.
    static void setDefaultParallelFiles(int nFiles);
    static int defaultParallelFiles();

    // Called in a converting thread as each file starts, before it is converted (tests hold a
    // file there), and when it has ended. Set while no conversion runs.
    using FileHook = std::function<void(const QString& path)>;
    void setFileStartHook(FileHook hook);
    void setFileEndHook(FileHook hook);

    // Pictures larger than this are converted while no other file is.
    static constexpr quint64 kLargePicturePixels = ZtRunScheduler::kLargePicturePixels;
    // Another limit for this worker; 0 restores kLargePicturePixels.
    void setLargePicturePixels(quint64 pixels);

signals:
    void signalConvertNum(int nNum, int totalNum);
    void signalConvertFinished(int nSuccessNum, int nFailNum, int totalNum);

protected:
    void run() override;

private:
    // What a converting thread hands to the GUI thread, in order.
    struct Report {
        enum Kind { Started, Succeeded, Failed, Finished } kind;
        int row;  // into m_rows
        ZtHeicAPI::Failure failure;
        int nHandled;
        int nSucceeded;
        int nFailed;
    };

    void onFileStart(int job);
    void onFileEnd(const ZtRunScheduler::Outcome& outcome);
    void post(const Report& report);
    // On the GUI thread: the rows change and the signals go out there, in the order of events.
    void deliver(const Report& report);
    void applyRowChange(const Report& report);

    const int m_nParallelFiles;
    QVector<QPersistentModelIndex> m_rows;  // the GUI thread's
    QVector<ZtRunScheduler::Job> m_jobs;
    QVector<int> m_jobRows;  // the row of each job
    ZtHeicAPI::Settings m_settings;
    int m_nTotal = 0;
    quint64 m_nLargePicturePixels = kLargePicturePixels;
    FileHook m_fileStartHook;
    FileHook m_fileEndHook;

    std::atomic<bool> m_bStop{false};
    // Guards m_pScheduler, so that a stop reaches the run in hand.
    std::mutex m_schedulerLock;
    ZtRunScheduler* m_pScheduler = nullptr;
    int m_nHandled = 0;  // counted in the scheduler's end reports, one at a time
    // Held by run(); the destructor takes it after waiting, for the same reason.
    std::mutex m_running;

    GuiHandOff m_handOff;  // last: pending reports go before what they use
};
