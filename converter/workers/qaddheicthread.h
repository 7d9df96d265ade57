#pragma once

#include "workers/guihandoff.h"

#include <QElapsedTimer>
#include <QList>
#include <QSemaphore>
#include <QSharedPointer>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QVector>

#include <atomic>

class QFileInfo;
class QHeicModel;

// Lists dropped or picked files and folders in the file list: the HEIC, HEIF and AVIF pictures
// among them (ztpicturetypes.h). The walk runs in the thread; the found files are added to the
// model on the GUI thread in batches, skipping paths already listed; the walk goes on when the
// GUI thread has listed a batch, so that a stop request ends it soon.
// signalChagePageToOperate() follows every added record, signalAddCompleted() ends every run.
class QAddHeicThread : public QThread {
    Q_OBJECT

public:
    QAddHeicThread(QSharedPointer<QHeicModel> pModel, QObject* parent = nullptr);
    // Stops and waits for the run.
    ~QAddHeicThread() override;

    // Each start clears this worker's stop.
    void startAddUrls(const QList<QUrl>& listUrls);
    void startAddFiles(const QStringList& listPaths);

    // Ends this worker's run after its current file. From any thread.
    void stop();
    bool stopRequested() const;

    // True stops every live add worker; false leaves them (a start clears its own stop).
    static void setStopFlag(bool bStop);
    // Whether some live add worker has been asked to stop.
    static bool stopFlag();

signals:
    void signalAddCompleted(int nStartRow);
    void signalChagePageToOperate();
    // Before signalAddCompleted(): how many files, dropped or named by themselves, were not
    // taken because they are no picture Pixvue converts.
    void signalFilesRefused(int nCount);

protected:
    void run() override;

private:
    struct FoundFile {
        QString path;
        QString name;
        qint64 size = 0;
    };

    void startRun();
    void walkUrls();
    void walkDirectory(const QString& path);
    void walkPickedPaths();
    void addNamedPath(const QString& path);  // a folder is walked, a file tested
    void addFile(const QFileInfo& info);
    void flush(bool force);
    void waitForBatch();
    void addBatch(const QVector<FoundFile>& files);  // on the GUI thread

    QSharedPointer<QHeicModel> m_pModel;  // used on the GUI thread only
    QStringList m_listPaths;
    QList<QUrl> m_listUrls;
    int m_nFormat = 0;
    int m_nStartRow = 0;
    int m_nRefused = 0;          // the worker thread's
    QVector<FoundFile> m_batch;  // the worker thread's
    QElapsedTimer m_batchClock;
    QSemaphore m_batchDone;  // released by the GUI thread for each batch it has listed
    std::atomic<bool> m_bStop{false};
    GuiHandOff m_handOff;  // last: goes first
};
