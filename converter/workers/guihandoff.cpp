#include "guihandoff.h"

#include <QMetaObject>

GuiHandOff::~GuiHandOff() {
    std::lock_guard<std::mutex> lock(m_mutex);  // after a post under way
    m_pending.clear();
}

void GuiHandOff::post(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.push_back(std::move(work));
    // By name: the event carries nothing of ours, so no unguarded copy crosses the threads.
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void GuiHandOff::runNext() {
    std::function<void()> work;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pending.empty()) {
            return;
        }
        work = std::move(m_pending.front());
        m_pending.pop_front();
    }
    work();
}
