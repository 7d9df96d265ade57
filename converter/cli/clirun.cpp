#include "clirun.h"

#include "core/ztrunscheduler.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace pixvuecli {

namespace {

enum JobState { Waiting = 0, InHand = 1, Ended = 2 };

// Outputs are written under a temporary name and renamed when whole. Where the file system
// keeps such a file visible ("name.jpg.XXXXXX"), the files of a source in hand are removed.
void removeUnfinishedOutputs(const Source& source, ConvertFormat format) {
    const QString base = QRegularExpression::escape(QFileInfo(source.path).completeBaseName());
    const QRegularExpression unfinished(
        QStringLiteral("^%1(_\\d+)?%2\\.[A-Za-z0-9]{6}$")
            .arg(base, QRegularExpression::escape(ZtHeicAPI::outputExtension(format))));
    QDir folder(source.outputDir);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (unfinished.match(name).hasMatch()) {
            folder.remove(name);
        }
    }
}

class SignalMask {
public:
    SignalMask() {
        sigemptyset(&m_set);
        for (int signal : {SIGINT, SIGTERM, SIGUSR1}) {
            sigaddset(&m_set, signal);
        }
        pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    }
    ~SignalMask() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalMask(const SignalMask&) = delete;
    SignalMask& operator=(const SignalMask&) = delete;

    int wait() const {
        int signal = 0;
        return sigwait(&m_set, &signal) == 0 ? signal : 0;
    }

private:
    sigset_t m_set;
    sigset_t m_previous;
};

class Run {
public:
    Run(const QVector<Source>& sources, const CliOptions& options, ConsoleReport& report)
        : m_sources(sources), m_options(options), m_report(report) {
        for (int i = 0; i < sources.size(); ++i) {
            if (sources.at(i).reason.isEmpty()) {
                m_jobs.append({sources.at(i).path, sources.at(i).outputDir});
                m_sourceOfJob.append(i);
            }
        }
        m_states.reset(new std::atomic<int>[size_t(m_jobs.size())]);
        for (int i = 0; i < m_jobs.size(); ++i) {
            m_states[size_t(i)] = Waiting;
        }
    }

    bool isEmpty() const { return m_jobs.isEmpty(); }

    // The signals are only taken by this thread, which waits for them while the run goes on.
    int runAndWatch() {
        ZtRunScheduler::Options options;
        options.settings = m_options.settings;
        options.parallelFiles = m_options.jobs;
        ZtRunScheduler scheduler(m_jobs, options);
        scheduler.setStartHook([this](int job) { m_states[size_t(job)] = InHand; });
        scheduler.setEndHook([this](const ZtRunScheduler::Outcome& outcome) {
            const std::lock_guard<std::mutex> lock(m_reportLock);
            m_states[size_t(outcome.index)] = Ended;
            m_report.reportEnd(m_sourceOfJob.at(outcome.index), outcome.converted, outcome.outputs,
                               QString::fromUtf8(ZtHeicAPI::failureText(outcome.failure)));
        });
        const SignalMask mask;
        const pthread_t watcher = pthread_self();
        std::thread runner([&scheduler, watcher] {
            scheduler.run();
            pthread_kill(watcher, SIGUSR1);
        });
        int stopSignal = 0;
        for (int signal = mask.wait(); signal != SIGUSR1; signal = mask.wait()) {
            if (signal == 0) {
                continue;
            }
            if (stopSignal != 0) {
                stopAtOnce(signal);
            }
            stopSignal = signal;
            scheduler.stop();
            const std::lock_guard<std::mutex> lock(m_reportLock);
            m_report.writeMessage(QStringLiteral(
                "stopping: the files in hand finish, no new file starts (Ctrl-C again stops "
                "at once)"));
        }
        runner.join();
        m_report.reportRest({}, QString());
        return stopSignal;
    }

private:
    [[noreturn]] void stopAtOnce(int signal) {
        // Held until the exit: no file's end is reported meanwhile.
        m_reportLock.lock();
        QVector<bool> inHand(m_sources.size(), false);
        for (int job = 0; job < m_jobs.size(); ++job) {
            if (m_states[size_t(job)] == InHand) {
                inHand[m_sourceOfJob.at(job)] = true;
                removeUnfinishedOutputs(m_sources.at(m_sourceOfJob.at(job)),
                                        m_options.settings.format);
            }
        }
        m_report.reportRest(inHand, QStringLiteral("stopped"));
        m_report.writeSummary();
        _exit(128 + signal);
    }

    const QVector<Source>& m_sources;
    const CliOptions& m_options;
    ConsoleReport& m_report;
    QVector<ZtRunScheduler::Job> m_jobs;
    QVector<int> m_sourceOfJob;
    std::unique_ptr<std::atomic<int>[]> m_states;
    // Orders the converting threads' reports with this thread's messages.
    std::mutex m_reportLock;
};

}  // namespace

int runConversion(const QVector<Source>& sources, const CliOptions& options,
                  ConsoleReport& report) {
    Run run(sources, options, report);
    if (run.isEmpty()) {
        return 0;
    }
    return run.runAndWatch();
}

}  // namespace pixvuecli
