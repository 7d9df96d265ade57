#include "qdetheicthread.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "workers/liveworkers.h"
#include "ztheicapi.h"
#include "ztlog.h"

namespace {
const int kChunkFiles = 256;
const int kWaitSliceMs = 50;
}  // namespace

QDetHeicThread::QDetHeicThread(QSharedPointer<QHeicModel> pModel, QObject* parent)
    : QThread(parent), m_pModel(std::move(pModel)) {
    LiveWorkers<QDetHeicThread>::enter(this);
}

QDetHeicThread::~QDetHeicThread() {
    stop();
    wait();
    LiveWorkers<QDetHeicThread>::leave(this);
}

void QDetHeicThread::setRowChecks(RowChecks checks) {
    m_checks = std::move(checks);
}

void QDetHeicThread::stop() {
    m_bStop = true;
}

bool QDetHeicThread::stopRequested() const {
    return m_bStop;
}

void QDetHeicThread::setStopFlag(bool bStop) {
    if (bStop) {
        LiveWorkers<QDetHeicThread>::stopAll();
    }
}

bool QDetHeicThread::stopFlag() {
    return LiveWorkers<QDetHeicThread>::anyStopped();
}

void QDetHeicThread::startDelete(const QStringList& listPaths) {
    m_bStop = false;
    m_listPaths = listPaths;
    start(QThread::InheritPriority);
}

void QDetHeicThread::run() {
    m_chunkDone.tryAcquire(m_chunkDone.available());
    for (int first = 0; first < m_listPaths.size() && !m_bStop; first += kChunkFiles) {
        const QStringList chunk = m_listPaths.mid(first, kChunkFiles);
        m_handOff.post([this, chunk] { removeChunk(chunk); });
        if (!waitForChunk()) {
            break;
        }
    }
    m_handOff.post([this] {
        emit signalDelCompleted();
        LOG(INFO) << "Delete all selected heic";
    });
}

bool QDetHeicThread::waitForChunk() {
    // In slices: a stop request must not wait for a GUI thread that waits for us.
    while (!m_chunkDone.tryAcquire(1, kWaitSliceMs)) {
        if (m_bStop) {
            return false;
        }
    }
    return true;
}

void QDetHeicThread::removeChunk(const QStringList& paths) {
    QStringList reached;
    for (const QString& path : paths) {
        if (m_bStop) {
            break;
        }
        reached.append(path);
    }
    if (m_pModel) {
        const QStringList checked = m_checks.read ? m_checks.read() : QStringList();
        const QStringList removed = m_pModel->removePaths(reached);
        if (m_pModel->lastRemovalWasReset() && m_checks.restore) {
            m_checks.restore(checked);
        }
        for (const QString& path : removed) {
            ZtHeicAPI::releaseSpecifiedMapData(path);
        }
    }
    m_chunkDone.release();
}
