#pragma once

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
#include <shared_mutex>

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
    // the moment, then starts the thread. Called on the GUI thread.
    void startConvert(const QVariant& listIndex, const QString& strOutputDir);

    static void setStopFlag(bool bStop);
    static bool stopFlag();

    // Files at once for workers constructed with 0; 0 restores one per core.
    static void setDefaultParallelFiles(int nFiles);
    static int defaultParallelFiles();

    // Called in a converting thread as each file starts, before it is converted (tests hold a
    // file there), and when it has ended. Set while no conversion runs.
    using FileHook = std::function<void(const QString& path)>;
    static void setFileStartHook(FileHook hook);
    static void setFileEndHook(FileHook hook);

    // Pictures larger than this are converted while no other file is.
    static constexpr quint64 kLargePicturePixels = 50ull * 1000 * 1000;
    // Another limit for tests; 0 restores kLargePicturePixels.
    static void setLargePicturePixels(quint64 pixels);

signals:
    void signalConvertNum(int nNum, int totalNum);
    void signalConvertFinished(int nSuccessNum, int nFailNum, int totalNum);

protected:
    void run() override;

private:
    struct Job {
        int row = 0;  // into m_rows
        QString path;
    };
    // What a converting thread hands to the GUI thread, in order.
    struct Report {
        enum Kind { Started, Succeeded, Failed, Finished } kind;
        int row;  // into m_rows
        ZtHeicAPI::Failure failure;
        int nHandled;
        int nSucceeded;
        int nFailed;
    };
    using FileConverter = std::function<void(ZtHeicAPI&, const Job&)>;

    int parallelFiles() const;
    // Takes jobs until none is left or a stop is asked; runs in each converting thread.
    void convertJobs(const FileConverter& convertFile, int workers);
    void reportStart(const Job& job);
    void reportEnd(const Job& job, bool bSucceeded, ZtHeicAPI::Failure failure);
    // Under m_report, so that the reports go in the order of the counts.
    void post(const Report& report);
    // On the GUI thread: the rows change and the signals go out there, in the order of events.
    void deliver(const Report& report);
    void applyRowChange(const Report& report);

    const int m_nParallelFiles;
    QVector<QPersistentModelIndex> m_rows;  // the GUI thread's
    QVector<Job> m_jobs;
    QString m_strOutputDir;
    ZtHeicAPI::Settings m_settings;
    int m_nTotal = 0;

    std::atomic<int> m_nNextJob{0};
    // Held while a result is counted and handed to the GUI thread.
    std::mutex m_report;
    int m_nHandled = 0;
    int m_nSucceeded = 0;
    int m_nFailed = 0;
    // Shared by ordinary files, held alone by a very large one.
    std::shared_mutex m_largeGate;
    // Held by run(); the destructor takes it after waiting, for the same reason.
    std::mutex m_running;

    GuiHandOff m_handOff;  // last: pending reports go before what they use

    static std::atomic<bool> m_bStop;
    static std::atomic<int> m_nDefaultParallelFiles;
    static FileHook s_fileStartHook;
    static FileHook s_fileEndHook;
    static std::atomic<quint64> m_nLargePicturePixels;
};
