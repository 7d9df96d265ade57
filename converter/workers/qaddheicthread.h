#pragma once

#include "guihandoff.h"

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

// Lists dropped files and folders, or picked files, in the file list. The walk runs in the
// thread; the found files are added to the model on the GUI thread in batches, skipping paths
// already listed; the walk goes on when the GUI thread has listed a batch, so that a stop
// request ends it soon. signalChagePageToOperate() follows every added record,
// signalAddCompleted() ends every run.
class QAddHeicThread : public QThread {
    Q_OBJECT

public:
    QAddHeicThread(QSharedPointer<QHeicModel> pModel, QObject* parent = nullptr);

    void startAddUrls(const QList<QUrl>& listUrls);
    void startAddFiles(const QStringList& listPaths);

    static void setStopFlag(bool bStop);
    static bool stopFlag();

signals:
    void signalAddCompleted(int nStartRow);
    void signalChagePageToOperate();

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
    void addFile(const QFileInfo& info);
    void flush(bool force);
    void waitForBatch();
    void addBatch(const QVector<FoundFile>& files);  // on the GUI thread

    QSharedPointer<QHeicModel> m_pModel;  // used on the GUI thread only
    QStringList m_listPaths;
    QList<QUrl> m_listUrls;
    int m_nFormat = 0;
    int m_nStartRow = 0;
    QVector<FoundFile> m_batch;  // the worker thread's
    QElapsedTimer m_batchClock;
    QSemaphore m_batchDone;  // released by the GUI thread for each batch it has listed
    GuiHandOff m_handOff;    // last: goes first

    static std::atomic<bool> m_bStop;
};
