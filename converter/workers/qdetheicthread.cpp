#include "qdetheicthread.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "workers/heicpaths.h"
#include "workers/qbgcollectheicthread.h"
#include "ztheicapi.h"
#include "ztlog.h"

#include <QAbstractProxyModel>

namespace {
const int kChunkFiles = 256;
const int kWaitSliceMs = 50;
}  // namespace

std::atomic<bool> QDetHeicThread::m_bStop{false};

QDetHeicThread::QDetHeicThread(QTableViewBase* pView, QSharedPointer<QHeicModel> pModel,
                               QObject* parent)
    : QThread(parent), m_pView(pView), m_pModel(std::move(pModel)) {}

void QDetHeicThread::setStopFlag(bool bStop) {
    m_bStop = bStop;
}

bool QDetHeicThread::stopFlag() {
    return m_bStop;
}

void QDetHeicThread::startDelete() {
    m_bStop = false;
    m_listPaths = m_pModel ? checkedPaths() : QStringList();
    start(QThread::InheritPriority);
}

void QDetHeicThread::run() {
    QBGCollectHeicThread::setStopFlag(true);
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

QStringList QDetHeicThread::checkedPaths() const {
    QStringList paths;
    if (!m_pView) {
        return paths;
    }
    auto* proxy = qobject_cast<QAbstractProxyModel*>(m_pView->model());
    for (const QModelIndex& index : m_pView->checkedRows()) {
        const int row = proxy != nullptr ? proxy->mapToSource(index).row() : index.row();
        if (const HeicModelData* record = m_pModel->heicData(row)) {
            paths.append(record->strFilePath);
        }
    }
    return paths;
}

void QDetHeicThread::recheck(const QStringList& paths) {
    if (!m_pView || paths.isEmpty()) {
        return;
    }
    const QSet<QString> wanted(paths.begin(), paths.end());
    QAbstractItemModel* rows = m_pView->model();
    QItemSelection selection;
    const int last = rows->columnCount() - 1;
    int runStart = -1;
    for (int row = 0; row <= m_pModel->rowCount(); ++row) {
        const bool checked =
            row < m_pModel->rowCount() && wanted.contains(m_pModel->heicData(row)->strFilePath);
        if (checked && runStart < 0) {
            runStart = row;
        } else if (!checked && runStart >= 0) {
            selection.select(rows->index(runStart, 0), rows->index(row - 1, last));
            runStart = -1;
        }
    }
    m_pView->selectionModel()->select(selection,
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
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
        const QStringList checked = checkedPaths();
        const QStringList removed = m_pModel->removePaths(reached);
        if (m_pModel->lastRemovalWasReset()) {
            recheck(checked);
        }
        removeHeicPaths(removed);
        for (const QString& path : removed) {
            ZtHeicAPI::releaseSpecifiedMapData(path);
        }
    }
    m_chunkDone.release();
}
