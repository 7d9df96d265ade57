#include "qthreadkeeper.h"

#include "ztlog.h"

QThreadKeeper::QThreadKeeper(QObject* parent) : QObject(parent) {}

QThreadKeeper::~QThreadKeeper() {
    stopAll();
}

void QThreadKeeper::adopt(QThread* thread, StopRequest requestStop) {
    if (thread == nullptr) {
        return;
    }
    m_kept.append({thread, std::move(requestStop)});
    connect(thread, &QThread::finished, this, [this, thread] { forget(thread); });
    connect(thread, &QObject::destroyed, this, [this, thread] { forget(thread); });
}

void QThreadKeeper::keep(QThread* thread, StopRequest requestStop) {
    if (thread != nullptr) {
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        adopt(thread, std::move(requestStop));
    }
}

void QThreadKeeper::forget(QThread* thread) {
    for (int i = m_kept.size() - 1; i >= 0; --i) {
        if (m_kept[i].thread.isNull() || m_kept[i].thread.data() == thread) {
            m_kept.removeAt(i);
        }
    }
}

void QThreadKeeper::stopAll() {
    // A copy: a thread that finishes meanwhile removes itself from m_kept.
    const QList<Kept> kept = m_kept;
    for (const Kept& entry : kept) {
        if (!entry.thread.isNull() && entry.requestStop) {
            entry.requestStop();
        }
    }
    for (const Kept& entry : kept) {
        if (entry.thread.isNull()) {
            continue;
        }
        entry.thread->quit();
        if (!entry.thread->wait()) {
            LOG(ERROR) << "a background thread did not end";
        }
    }
    m_kept.clear();
}

int QThreadKeeper::runningCount() const {
    int running = 0;
    for (const Kept& entry : m_kept) {
        if (!entry.thread.isNull() && entry.thread->isRunning()) {
            ++running;
        }
    }
    return running;
}
