#include "qconvertheicthread.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "workers/liveworkers.h"

#include <QModelIndexList>

QConvertHeicThread::QConvertHeicThread(QObject* parent, int nParallelFiles)
    : QThread(parent), m_nParallelFiles(nParallelFiles) {
    qRegisterMetaType<QModelIndexList>("QModelIndexList");
    LiveWorkers<QConvertHeicThread>::enter(this);
}

QConvertHeicThread::~QConvertHeicThread() {
    stop();
    wait();
    { std::lock_guard<std::mutex> running(m_running); }
    LiveWorkers<QConvertHeicThread>::leave(this);
}

void QConvertHeicThread::stop() {
    std::lock_guard<std::mutex> lock(m_schedulerLock);
    m_bStop = true;
    if (m_pScheduler != nullptr) {
        m_pScheduler->stop();
    }
}

bool QConvertHeicThread::stopRequested() const {
    return m_bStop;
}

void QConvertHeicThread::setStopFlag(bool bStop) {
    if (bStop) {
        LiveWorkers<QConvertHeicThread>::stopAll();
    }
}

bool QConvertHeicThread::stopFlag() {
    return LiveWorkers<QConvertHeicThread>::anyStopped();
}

void QConvertHeicThread::setDefaultParallelFiles(int nFiles) {
    ZtRunScheduler::setDefaultParallelFiles(nFiles);
}

int QConvertHeicThread::defaultParallelFiles() {
    return ZtRunScheduler::defaultParallelFiles();
}

void QConvertHeicThread::setFileStartHook(FileHook hook) {
    m_fileStartHook = std::move(hook);
}

void QConvertHeicThread::setFileEndHook(FileHook hook) {
    m_fileEndHook = std::move(hook);
}

void QConvertHeicThread::setLargePicturePixels(quint64 pixels) {
    m_nLargePicturePixels = pixels > 0 ? pixels : kLargePicturePixels;
}

void QConvertHeicThread::startConvert(const QVariant& listIndex, const QString& strOutputDir) {
    const QModelIndexList indexes = listIndex.value<QModelIndexList>();
    m_rows.clear();
    m_jobs.clear();
    m_jobRows.clear();
    for (const QModelIndex& index : indexes) {
        const auto* record = static_cast<const HeicModelData*>(QTableModelBase::record(index));
        if (record != nullptr && !record->strFilePath.isEmpty()) {
            m_jobs.append({record->strFilePath, strOutputDir});
            m_jobRows.append(m_rows.size());
        }
        m_rows.append(QPersistentModelIndex(index));
    }
    m_nTotal = indexes.size();
    m_settings = ZtHeicAPI::currentSettings();
    m_nHandled = 0;
    m_bStop = false;
    start(QThread::InheritPriority);
}

void QConvertHeicThread::run() {
    std::lock_guard<std::mutex> running(m_running);
    ZtRunScheduler scheduler(m_jobs, {m_settings, m_nParallelFiles, m_nLargePicturePixels});
    scheduler.setStartHook([this](int job) { onFileStart(job); });
    scheduler.setEndHook([this](const ZtRunScheduler::Outcome& outcome) { onFileEnd(outcome); });
    {
        std::lock_guard<std::mutex> lock(m_schedulerLock);
        m_pScheduler = &scheduler;
        if (m_bStop) {
            scheduler.stop();
        }
    }
    scheduler.run();
    {
        std::lock_guard<std::mutex> lock(m_schedulerLock);
        m_pScheduler = nullptr;
    }
    post({Report::Finished, -1, ZtHeicAPI::Failure::None, scheduler.handled(),
          scheduler.succeeded(), scheduler.failed()});
}

void QConvertHeicThread::onFileStart(int job) {
    post({Report::Started, m_jobRows.at(job), ZtHeicAPI::Failure::None, 0, 0, 0});
    if (m_fileStartHook) {
        m_fileStartHook(m_jobs.at(job).path);
    }
}

void QConvertHeicThread::onFileEnd(const ZtRunScheduler::Outcome& outcome) {
    ++m_nHandled;
    post({outcome.converted ? Report::Succeeded : Report::Failed, m_jobRows.at(outcome.index),
          outcome.failure, m_nHandled, 0, 0});
    if (m_fileEndHook) {
        m_fileEndHook(outcome.path);
    }
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
