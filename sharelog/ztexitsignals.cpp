#include "ztexitsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>

namespace {

int g_signalPipe[2] = {-1, -1};
std::atomic<int> g_interrupts{0};
std::atomic<bool> g_exitRequested{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "signal handlers need lock-free atomics");

constexpr int kInterruptedExitCode = 128 + SIGINT;

// Only async-signal-safe calls here; a full pipe already holds a wake-up.
void wakeReader() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

void onExitSignal(int) {
    g_exitRequested.store(true);
    wakeReader();
}

void onInterrupt(int signalNumber) {
    if (g_interrupts.fetch_add(1) > 0) {
        _exit(kInterruptedExitCode);
    }
    onExitSignal(signalNumber);
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

void closePipe() {
    for (int& fd : g_signalPipe) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

}  // namespace

ZtExitSignals::ZtExitSignals(QObject* parent, Interrupt interrupt)
    : QObject(parent), m_bTakesInterrupt(interrupt == Interrupt::StopThenExit) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_interrupts.store(0);
    g_exitRequested.store(false);
    m_pNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &ZtExitSignals::slotReadSignal);
    setHandler(SIGTERM, onExitSignal);
    setHandler(SIGHUP, onExitSignal);
    if (m_bTakesInterrupt) {
        setHandler(SIGINT, onInterrupt);
    }
}

ZtExitSignals::~ZtExitSignals() {
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGHUP, SIG_DFL);
    if (m_bTakesInterrupt) {
        setHandler(SIGINT, SIG_DFL);
    }
    delete m_pNotifier;
    m_pNotifier = nullptr;
    closePipe();
}

bool ZtExitSignals::exitRequested() {
    return g_exitRequested.load();
}

void ZtExitSignals::slotReadSignal() {
    char buffer[16];
    while (read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    emit signalExitRequested();
}
