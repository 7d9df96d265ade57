#include "ztrunscheduler.h"

#include "ztlog.h"

#include <QThread>

#include <thread>
#include <vector>

std::atomic<int> ZtRunScheduler::s_defaultParallelFiles{0};

ZtRunScheduler::ZtRunScheduler(QVector<Job> jobs, Options options)
    : m_jobs(std::move(jobs)), m_options(std::move(options)) {}

ZtRunScheduler::~ZtRunScheduler() = default;

void ZtRunScheduler::setStartHook(StartHook hook) {
    m_startHook = std::move(hook);
}

void ZtRunScheduler::setEndHook(EndHook hook) {
    m_endHook = std::move(hook);
}

void ZtRunScheduler::stop() {
    m_stop.store(true, std::memory_order_relaxed);
}

bool ZtRunScheduler::stopRequested() const {
    return m_stop.load(std::memory_order_relaxed);
}

int ZtRunScheduler::handled() const {
    std::lock_guard<std::mutex> report(m_report);
    return m_handled;
}

int ZtRunScheduler::succeeded() const {
    std::lock_guard<std::mutex> report(m_report);
    return m_succeeded;
}

int ZtRunScheduler::failed() const {
    std::lock_guard<std::mutex> report(m_report);
    return m_failed;
}

int ZtRunScheduler::defaultParallelFiles() {
    const int files = s_defaultParallelFiles;
    return files > 0 ? files : qMax(1, QThread::idealThreadCount());
}

void ZtRunScheduler::setDefaultParallelFiles(int files) {
    s_defaultParallelFiles = qMax(0, files);
}

int ZtRunScheduler::parallelFiles() const {
    return m_options.parallelFiles > 0 ? m_options.parallelFiles : defaultParallelFiles();
}

void ZtRunScheduler::run() {
    const int workers = qBound(1, parallelFiles(), qMax(1, m_jobs.size()));
    // Every core busy, none oversubscribed: the decoder's threads are shared out.
    ZtHeicAPI::setDecoderThreads(workers > 1 ? qMax(1, QThread::idealThreadCount() / workers) : 0);
    std::vector<std::thread> helpers;
    for (int i = 1; i < workers; ++i) {
        helpers.emplace_back([this, workers] { convertJobs(workers); });
    }
    convertJobs(workers);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    ZtHeicAPI::setDecoderThreads(0);
}

void ZtRunScheduler::convertJobs(int workers) {
    ZtHeicAPI engine;
    while (!stopRequested()) {
        const int next = m_nextJob++;
        if (next >= m_jobs.size()) {
            return;
        }
        // A very large picture waits for the others to end and runs alone: memory stays bounded.
        const bool alone = workers > 1 && ZtHeicAPI::picturePixels(m_jobs.at(next).path) >
                                              m_options.largePicturePixels;
        std::unique_lock<std::shared_mutex> exclusive(m_largeGate, std::defer_lock);
        std::shared_lock<std::shared_mutex> shared(m_largeGate, std::defer_lock);
        alone ? exclusive.lock() : shared.lock();
        if (stopRequested()) {
            return;
        }
        convertOne(engine, next);
    }
}

void ZtRunScheduler::convertOne(ZtHeicAPI& engine, int index) {
    const Job& job = m_jobs.at(index);
    if (m_startHook) {
        m_startHook(index);
    }
    LOG(INFO) << "file path : " << job.path;
    Outcome outcome;
    outcome.index = index;
    outcome.path = job.path;
    outcome.converted = engine.convertHeicFormat(job.path, job.outputDir, m_options.settings);
    outcome.failure = engine.lastFailure();
    outcome.outputs = engine.lastOutputs();
    if (!outcome.converted) {
        LOG(WARNING) << "convert fail : " << ZtHeicAPI::failureText(outcome.failure) << " : "
                     << job.path;
    }
    reportEnd(std::move(outcome));
}

void ZtRunScheduler::reportEnd(Outcome outcome) {
    std::lock_guard<std::mutex> report(m_report);
    ++m_handled;
    ++(outcome.converted ? m_succeeded : m_failed);
    if (m_endHook) {
        m_endHook(outcome);
    }
}
