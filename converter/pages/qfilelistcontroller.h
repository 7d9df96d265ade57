#pragma once

#include "workers/qdetheicthread.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QUrl>

#include <functional>

class QAddHeicThread;
class QBGCollectHeicThread;
class QHeicModel;
class QTableViewBase;
class QThreadKeeper;

// The file list behind the operate page: owns the model, the add, collect and delete workers
// and the keeper that stops and waits for them. Keeps g_listHeicPaths as a read-only copy of
// the model's paths in the order they were added. Lives on the GUI thread.
class QFileListController : public QObject {
    Q_OBJECT

public:
    explicit QFileListController(int nColumns, QObject* parent = nullptr);
    // Stops and waits for every worker.
    ~QFileListController() override;

    QSharedPointer<QHeicModel> model() const { return m_pModel; }
    // Listed files in the order they were added.
    const QStringList& paths() const { return m_listPaths; }

    // Starts an add worker; adds that overlap share one wait (signalAddsStarted once).
    void addUrls(const QList<QUrl>& listUrls);
    void addFiles(const QStringList& listPaths);
    // Starts a delete worker on the files; checks keep the view's checked rows over a reset.
    void deleteFiles(const QStringList& listPaths, const QDetHeicThread::RowChecks& checks);
    // Removes one row at once, with its decoded images.
    void removeRow(int row);
    // Decodes the listed files ahead of use; a running collect makes way for the new one.
    void startCollect();

    void stopWorkers();
    int runningWorkers() const;

    // Called with each add worker before it starts (tests steer it there).
    void setAddWorkerSetup(std::function<void(QAddHeicThread&)> setup);

    // The checked rows of a view of the model, as paths, and the checks again after a reset.
    static QStringList checkedPaths(const QTableViewBase& view, const QHeicModel& model);
    static QDetHeicThread::RowChecks rowChecks(QTableViewBase* view,
                                               QSharedPointer<QHeicModel> model);

signals:
    void signalAddsStarted();
    void signalRecordAdded();
    void signalAddCompleted(int nStartRow);
    // The last of overlapping adds has ended; nRefused files were no picture Pixvue converts.
    void signalAddsFinished(int nRefused);
    void signalDelCompleted();

private:
    QAddHeicThread* newAddWorker();  // connected and kept, not started
    void onAddCompleted(int nStartRow);
    void stopCollect();
    void followModel();

    QSharedPointer<QHeicModel> m_pModel;
    QStringList m_listPaths;
    QThreadKeeper* m_pWorkers = nullptr;
    QPointer<QBGCollectHeicThread> m_pCollect;
    int m_nAddsRunning = 0;
    int m_nRefused = 0;  // files the running adds did not take
    std::function<void(QAddHeicThread&)> m_addWorkerSetup;
};
