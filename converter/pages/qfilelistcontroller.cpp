#include "qfilelistcontroller.h"

#include "core/heicpaths.h"
#include "core/qthreadkeeper.h"
#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "workers/qaddheicthread.h"
#include "workers/qbgcollectheicthread.h"
#include "ztheicapi.h"
#include "ztlog.h"

#include <QAbstractProxyModel>
#include <QItemSelection>
#include <QSet>

#include <algorithm>

QFileListController::QFileListController(int nColumns, QObject* parent)
    : QObject(parent), m_pModel(QSharedPointer<QHeicModel>::create(nColumns)) {
    m_pWorkers = new QThreadKeeper(this);
    followModel();
    g_listHeicPaths.clear();
}

QFileListController::~QFileListController() {
    stopWorkers();
}

void QFileListController::followModel() {
    // The rows are the files in the order they were added: the path list follows them.
    QHeicModel* model = m_pModel.data();
    const auto change = [this](const std::function<void(QStringList&)>& edit) {
        edit(m_listPaths);
        g_listHeicPaths = m_listPaths;
    };
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [model, change](const QModelIndex&, int first, int last) {
                change([&](QStringList& paths) {
                    for (int row = first; row <= last; ++row) {
                        const HeicModelData* record = model->heicData(row);
                        paths.insert(row, record != nullptr ? record->strFilePath : QString());
                    }
                });
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [change](const QModelIndex&, int first, int last) {
                change([&](QStringList& paths) {
                    paths.erase(paths.begin() + first, paths.begin() + last + 1);
                });
            });
    connect(model, &QAbstractItemModel::modelReset, this, [model, change] {
        change([&](QStringList& paths) {
            paths.clear();
            for (int row = 0; row < model->rowCount(); ++row) {
                paths.append(model->heicData(row)->strFilePath);
            }
        });
    });
}

void QFileListController::setAddWorkerSetup(std::function<void(QAddHeicThread&)> setup) {
    m_addWorkerSetup = std::move(setup);
}

QAddHeicThread* QFileListController::newAddWorker() {
    if (m_nAddsRunning++ == 0) {
        emit signalAddsStarted();
    }
    stopCollect();  // the disk and the cores go to the add
    auto* worker = new QAddHeicThread(m_pModel, this);
    connect(worker, &QAddHeicThread::signalChagePageToOperate, this,
            &QFileListController::signalRecordAdded);
    connect(worker, &QAddHeicThread::signalAddCompleted, this,
            &QFileListController::onAddCompleted);
    connect(worker, &QAddHeicThread::signalFilesRefused, this,
            [this](int nCount) { m_nRefused += nCount; });
    m_pWorkers->keep(worker, [worker] { worker->stop(); });
    if (m_addWorkerSetup) {
        m_addWorkerSetup(*worker);
    }
    return worker;
}

void QFileListController::addUrls(const QList<QUrl>& listUrls) {
    newAddWorker()->startAddUrls(listUrls);
}

void QFileListController::addFiles(const QStringList& listPaths) {
    newAddWorker()->startAddFiles(listPaths);
}

void QFileListController::onAddCompleted(int nStartRow) {
    emit signalAddCompleted(nStartRow);
    startCollect();
    if (--m_nAddsRunning == 0) {
        emit signalAddsFinished(std::exchange(m_nRefused, 0));
    }
}

void QFileListController::deleteFiles(const QStringList& listPaths,
                                      const QDetHeicThread::RowChecks& checks) {
    stopCollect();
    auto* worker = new QDetHeicThread(m_pModel, this);
    worker->setRowChecks(checks);
    connect(worker, &QDetHeicThread::signalDelCompleted, this,
            &QFileListController::signalDelCompleted);
    m_pWorkers->keep(worker, [worker] { worker->stop(); });
    worker->startDelete(listPaths);
}

void QFileListController::removeRow(int row) {
    const HeicModelData* record = m_pModel->heicData(row);
    if (record == nullptr) {
        return;
    }
    const QString path = record->strFilePath;
    m_pModel->removeRows(row, 1);
    ZtHeicAPI::releaseSpecifiedMapData(path);
}

void QFileListController::stopCollect() {
    if (m_pCollect) {
        m_pCollect->stop();
    }
}

void QFileListController::startCollect() {
    stopCollect();  // the new run covers what the old one had left
    auto* worker = new QBGCollectHeicThread(this);
    connect(worker, &QBGCollectHeicThread::signalExceedMemoryLimit, this,
            [] { LOG(INFO) << "collect stopped: the memory budget is spent"; });
    m_pWorkers->keep(worker, [worker] { worker->stop(); });
    worker->setHeicFileList(m_listPaths);
    worker->startCollect();
    m_pCollect = worker;
}

void QFileListController::stopWorkers() {
    m_pWorkers->stopAll();
}

int QFileListController::runningWorkers() const {
    return m_pWorkers->runningCount();
}

QStringList QFileListController::checkedPaths(const QTableViewBase& view, const QHeicModel& model) {
    QStringList paths;
    auto* proxy = qobject_cast<QAbstractProxyModel*>(view.model());
    for (const QModelIndex& index : view.checkedRows()) {
        const int row = proxy != nullptr ? proxy->mapToSource(index).row() : index.row();
        if (const HeicModelData* record = model.heicData(row)) {
            paths.append(record->strFilePath);
        }
    }
    return paths;
}

QDetHeicThread::RowChecks QFileListController::rowChecks(QTableViewBase* view,
                                                         QSharedPointer<QHeicModel> model) {
    QPointer<QTableViewBase> guard(view);
    const auto read = [guard, model] {
        return guard ? checkedPaths(*guard, *model) : QStringList();
    };
    const auto restore = [guard, model](const QStringList& paths) {
        if (!guard || paths.isEmpty()) {
            return;
        }
        // The view may sort: each row is checked where the view shows it.
        const QSet<QString> wanted(paths.begin(), paths.end());
        QAbstractItemModel* rows = guard->model();
        auto* proxy = qobject_cast<QAbstractProxyModel*>(rows);
        QVector<int> viewRows;
        for (int row = 0; row < model->rowCount(); ++row) {
            if (wanted.contains(model->heicData(row)->strFilePath)) {
                viewRows.append(proxy != nullptr ? proxy->mapFromSource(model->index(row, 0)).row()
                                                 : row);
            }
        }
        std::sort(viewRows.begin(), viewRows.end());
        QItemSelection selection;
        const int last = rows->columnCount() - 1;
        for (int i = 0; i < viewRows.size();) {
            int end = i;
            while (end + 1 < viewRows.size() && viewRows.at(end + 1) == viewRows.at(end) + 1) {
                ++end;
            }
            selection.select(rows->index(viewRows.at(i), 0), rows->index(viewRows.at(end), last));
            i = end + 1;
        }
        guard->selectionModel()->select(selection,
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    return {read, restore};
}
