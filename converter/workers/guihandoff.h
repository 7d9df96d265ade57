#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Hands work from a worker thread to the thread this object lives on (the GUI thread, where
// the worker object was made) in a way that race checkers see. Qt's event queue orders a posted
// call with locks they cannot see, so the work itself is kept in a queue under a lock of our
// own; the event only wakes the GUI thread, which takes the work out under that lock. Works run
// in the order they were posted, and in order with other events posted on that thread. Work not
// yet run when this object goes is dropped: make it the worker's last member, so that it goes
// before whatever the work uses.
class GuiHandOff : public QObject {
    Q_OBJECT

public:
    GuiHandOff() = default;
    ~GuiHandOff() override;

    // From any thread.
    void post(std::function<void()> work);

private slots:
    void runNext();

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_pending;
};
