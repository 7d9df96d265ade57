#pragma once

#include "workers/guihandoff.h"

#include <QPointer>
#include <QSemaphore>
#include <QSharedPointer>
#include <QStringList>
#include <QThread>

#include <atomic>

class QHeicModel;
class QTableViewBase;

// Removes the checked files from the file list without freezing the window: the thread hands
// the files to the GUI thread a few at a time, each removed there with its path in
// g_listHeicPaths and its decoded images, and waits for each handful before the next.
class QDetHeicThread : public QThread {
    Q_OBJECT

public:
    QDetHeicThread(QTableViewBase* pView, QSharedPointer<QHeicModel> pModel,
                   QObject* parent = nullptr);

    // Takes the checked rows' files and starts the thread.
    void startDelete();

    static void setStopFlag(bool bStop);
    static bool stopFlag();

signals:
    void signalDelCompleted();

protected:
    void run() override;

private:
    bool waitForChunk();
    // On the GUI thread.
    void removeChunk(const QStringList& paths);
    QStringList checkedPaths() const;
    void recheck(const QStringList& paths);

    QPointer<QTableViewBase> m_pView;
    QSharedPointer<QHeicModel> m_pModel;  // used on the GUI thread only
    QStringList m_listPaths;
    QSemaphore m_chunkDone;
    GuiHandOff m_handOff;  // last: goes first

    static std::atomic<bool> m_bStop;
};
