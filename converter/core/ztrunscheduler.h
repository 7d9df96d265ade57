#pragma once

#include "ztheicapi.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <mutex>
#include <shared_mutex>

// Converts a run of files, several at once (one per core, the decoder's threads shared out
// among them; very large pictures one at a time). A stop starts no new file and lets the files
// in hand finish.
class ZtRunScheduler {
public:
    struct Job {
        QString path;
        QString outputDir;  // ends with a separator
    };
    struct Outcome {
        int index = -1;  // into the jobs
        QString path;
        bool converted = false;
        ZtHeicAPI::Failure failure = ZtHeicAPI::Failure::None;
        QStringList outputs;  // files written
    };
    struct Options {
        ZtHeicAPI::Settings settings;
        int parallelFiles = 0;  // 0: defaultParallelFiles()
        quint64 largePicturePixels =
            kLargePicturePixels;  // larger pictures run while no other file does
    };
    static constexpr quint64 kLargePicturePixels = 50ull * 1000 * 1000;
    // On a converting thread, before the file.
    using StartHook = std::function<void(int index)>;
    // On a converting thread, one at a time, in the order of the counts.
    using EndHook = std::function<void(const Outcome& outcome)>;

    ZtRunScheduler(QVector<Job> jobs, Options options);
    ~ZtRunScheduler();
    ZtRunScheduler(const ZtRunScheduler&) = delete;
    ZtRunScheduler& operator=(const ZtRunScheduler&) = delete;

    void setStartHook(StartHook hook);
    void setEndHook(EndHook hook);

    // Converts the jobs on the calling thread and parallelFiles-1 helper threads; returns when
    // every job has ended or a stop left the rest unstarted. Decoder threads are shared out
    // among the files.
    void run();
    // From any thread, also a signal handler (only an atomic store): no new file starts.
    void stop();
    bool stopRequested() const;

    // After run().
    int handled() const;
    int succeeded() const;
    int failed() const;

    // One per core, or what setDefaultParallelFiles set.
    static int defaultParallelFiles();
    // 0 restores one per core.
    static void setDefaultParallelFiles(int files);

private:
    int parallelFiles() const;
    // Takes jobs until none is left or a stop is asked; runs in each converting thread.
    void convertJobs(int workers);
    void convertOne(ZtHeicAPI& engine, int index);
    void reportEnd(Outcome outcome);

    const QVector<Job> m_jobs;
    const Options m_options;
    StartHook m_startHook;
    EndHook m_endHook;

    std::atomic<bool> m_stop{false};
    std::atomic<int> m_nextJob{0};
    // Held while a result is counted and reported.
    mutable std::mutex m_report;
    int m_handled = 0;
    int m_succeeded = 0;
    int m_failed = 0;
    // Shared by ordinary files, held alone by a very large one.
    std::shared_mutex m_largeGate;

    static std::atomic<int> s_defaultParallelFiles;
};
