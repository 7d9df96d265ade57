#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

// Keeps the background threads of a window so that they can all be stopped and waited for
// before the window, and the data they use, go away.
class QThreadKeeper : public QObject {
    Q_OBJECT

public:
    using StopRequest = std::function<void()>;

    explicit QThreadKeeper(QObject* parent = nullptr);
    ~QThreadKeeper() override;

    // Keeps thread until it has finished. requestStop asks it to end soon (sets its stop flag);
    // it is called on the keeper's thread.
    void adopt(QThread* thread, StopRequest requestStop = {});
    // Adopts thread and deletes it once it has finished: for workers started and forgotten.
    void keep(QThread* thread, StopRequest requestStop = {});

    // Asks every kept thread to stop, then waits for each to finish.
    void stopAll();

    int runningCount() const;

private:
    struct Kept {
        QPointer<QThread> thread;
        StopRequest requestStop;
    };
    void forget(QThread* thread);

    QList<Kept> m_kept;
};
