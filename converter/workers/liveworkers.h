#pragma once

#include <QSet>

#include <mutex>

// The live workers of one class, so that the class-wide stop reaches each of them. A worker
// enters when it is made and leaves when it has ended; it has stop() and stopRequested().
template <class Worker>
class LiveWorkers {
public:
    static void enter(Worker* worker) {
        std::lock_guard<std::mutex> lock(mutex());
        workers().insert(worker);
    }
    static void leave(Worker* worker) {
        std::lock_guard<std::mutex> lock(mutex());
        workers().remove(worker);
    }
    static void stopAll() {
        std::lock_guard<std::mutex> lock(mutex());
        for (Worker* worker : workers()) {
            worker->stop();
        }
    }
    static bool anyStopped() {
        std::lock_guard<std::mutex> lock(mutex());
        for (const Worker* worker : workers()) {
            if (worker->stopRequested()) {
                return true;
            }
        }
        return false;
    }

private:
    static std::mutex& mutex() {
        static std::mutex lock;
        return lock;
    }
    static QSet<Worker*>& workers() {
        static QSet<Worker*> live;
        return live;
    }
};
