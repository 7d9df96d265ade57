#include "qconvertheicthread.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "ztlog.h"

#include <QModelIndexList>

#include <thread>
#include <vector>

std::atomic<bool> QConvertHeicThread::m_bStop{false};
std::atomic<int> QConvertHeicThread::m_nDefaultParallelFiles{0};
QConvertHeicThread::FileHook QConvertHeicThread::s_fileStartHook;
QConvertHeicThread::FileHook QConvertHeicThread::s_fileEndHook;
std::atomic<quint64> QConvertHeicThread::m_nLargePicturePixels{kLargePicturePixels};

QConvertHeicThread::QConvertHeicThread(QObject* parent, int nParallelFiles)
    : QThread(parent), m_nParallelFiles(nParallelFiles) {
    qRegisterMetaType<QModelIndexList>("QModelIndexList");
}

QConvertHeicThread::~QConvertHeicThread() {
    if (isRunning()) {
        m_bStop = true;
        wait();
    }
    std::lock_guard<std::mutex> running(m_running);
    std::lock_guard<std::mutex> report(m_report);
}

void QConvertHeicThread::setStopFlag(bool bStop) {
    m_bStop = bStop;
}

bool QConvertHeicThread::stopFlag() {
    return m_bStop;
}

void QConvertHeicThread::setDefaultParallelFiles(int nFiles) {
    m_nDefaultParallelFiles = qMax(0, nFiles);
}

int QConvertHeicThread::defaultParallelFiles() {
    return m_nDefaultParallelFiles > 0 ? m_nDefaultParallelFiles.load()
                                       : qMax(1, QThread::idealThreadCount());
}

void QConvertHeicThread::setFileStartHook(FileHook hook) {
    s_fileStartHook = std::move(hook);
}

void QConvertHeicThread::setFileEndHook(FileHook hook) {
    s_fileEndHook = std::move(hook);
}

void QConvertHeicThread::setLargePicturePixels(quint64 pixels) {
    m_nLargePicturePixels = pixels > 0 ? pixels : kLargePicturePixels;
}

int QConvertHeicThread::parallelFiles() const {
    return m_nParallelFiles > 0 ? m_nParallelFiles : defaultParallelFiles();
}

void QConvertHeicThread::startConvert(const QVariant& listIndex, const QString& strOutputDir) {
    const QModelIndexList indexes = listIndex.value<QModelIndexList>();
    m_rows.clear();
    m_jobs.clear();
    for (const QModelIndex& index : indexes) {
        const auto* record = static_cast<const HeicModelData*>(QTableModelBase::record(index));
        if (record != nullptr && !record->strFilePath.isEmpty()) {
            m_jobs.append({m_rows.size(), record->strFilePath});
        }
        m_rows.append(QPersistentModelIndex(index));
    }
    m_nTotal = indexes.size();
    m_strOutputDir = strOutputDir;
    m_settings = ZtHeicAPI::currentSettings();
    m_nNextJob = 0;
    m_nHandled = m_nSucceeded = m_nFailed = 0;
    m_bStop = false;
    start(QThread::InheritPriority);
}

void QConvertHeicThread::run() {
    std::lock_guard<std::mutex> running(m_running);
    const auto convertFile = [this](ZtHeicAPI& engine, const Job& job) {
        LOG(INFO) << "file path : " << job.path;
        const bool bSucceeded = engine.convertHeicFormat(job.path, m_strOutputDir, m_settings);
        if (!bSucceeded) {
            LOG(WARNING) << "convert fail : " << ZtHeicAPI::failureText(engine.lastFailure())
                         << " : " << job.path;
        }
        reportEnd(job, bSucceeded, engine.lastFailure());
    };
    const int workers = qBound(1, parallelFiles(), qMax(1, m_jobs.size()));
    // Every core busy, none oversubscribed: the decoder's threads are shared out.
    ZtHeicAPI::setDecoderThreads(workers > 1 ? qMax(1, QThread::idealThreadCount() / workers) : 0);
    std::vector<std::thread> helpers;
    for (int i = 1; i < workers; ++i) {
        helpers.emplace_back([this, &convertFile, workers] { convertJobs(convertFile, workers); });
    }
    convertJobs(convertFile, workers);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    ZtHeicAPI::setDecoderThreads(0);
    std::lock_guard<std::mutex> report(m_report);
    post({Report::Finished, -1, ZtHeicAPI::Failure::None, m_nHandled, m_nSucceeded, m_nFailed});
}

void QConvertHeicThread::convertJobs(const FileConverter& convertFile, int workers) {
    ZtHeicAPI engine;
    while (!m_bStop) {
        const int next = m_nNextJob++;
        if (next >= m_jobs.size()) {
            return;
        }
        const Job& job = m_jobs.at(next);
        // A very large picture waits for the others to end and runs alone: memory stays bounded.
        const bool alone =
            workers > 1 && ZtHeicAPI::picturePixels(job.path) > m_nLargePicturePixels;
        std::unique_lock<std::shared_mutex> exclusive(m_largeGate, std::defer_lock);
        std::shared_lock<std::shared_mutex> shared(m_largeGate, std::defer_lock);
        alone ? exclusive.lock() : shared.lock();
        if (m_bStop) {
            return;
        }
        reportStart(job);
        if (s_fileStartHook) {
            s_fileStartHook(job.path);
        }
        convertFile(engine, job);
        if (s_fileEndHook) {
            s_fileEndHook(job.path);
        }
    }
}

void QConvertHeicThread::reportStart(const Job& job) {
    std::lock_guard<std::mutex> report(m_report);
    post({Report::Started, job.row, ZtHeicAPI::Failure::None, m_nHandled, 0, 0});
}

void QConvertHeicThread::reportEnd(const Job& job, bool bSucceeded, ZtHeicAPI::Failure failure) {
    std::lock_guard<std::mutex> report(m_report);
    ++m_nHandled;
    ++(bSucceeded ? m_nSucceeded : m_nFailed);
    post({bSucceeded ? Report::Succeeded : Report::Failed, job.row, failure, m_nHandled, 0, 0});
}

void QConvertHeicThread::post(const Report& report) {
    m_handOff.post([this, report] { deliver(report); });
}

void QConvertHeicThread::deliver(const Report& report) {
    switch (report.kind) {
        case Report::Started:
        case Report::Succeeded:
        case Report::Failed:
            applyRowChange(report);
            if (report.kind != Report::Started) {
                emit signalConvertNum(report.nHandled, m_nTotal);
            }
            break;
        case Report::Finished:
            emit signalConvertFinished(report.nSucceeded, report.nFailed, m_nTotal);
            break;
    }
}

void QConvertHeicThread::applyRowChange(const Report& report) {
    const QModelIndex index = m_rows.value(report.row);
    auto* record = static_cast<HeicModelData*>(QTableModelBase::record(index));
    if (record == nullptr) {
        return;  // removed meanwhile
    }
    switch (report.kind) {
        case Report::Started:
            record->nConvertState = HeicModelData::Converting;
            record->strFailReason.clear();
            break;
        case Report::Succeeded:
            record->nConvertState = HeicModelData::Completed;
            record->nFolderState = HeicModelData::Normal;
            record->setConvertedTo(m_settings.format);
            break;
        case Report::Failed:
            record->nConvertState = HeicModelData::Failed;
            record->strFailReason = QString::fromLatin1(ZtHeicAPI::failureText(report.failure));
            break;
        case Report::Finished:
            break;
    }
    QTableModelBase::recordChanged(index);
}
