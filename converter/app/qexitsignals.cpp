#include "qexitsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>

namespace {

int g_signalPipe[2] = {-1, -1};

void onExitSignal(int) {
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

QExitSignals::QExitSignals(QObject* parent) : QObject(parent) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_pNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &QExitSignals::slotReadSignal);
    setHandler(SIGTERM, onExitSignal);
    setHandler(SIGHUP, onExitSignal);
}

QExitSignals::~QExitSignals() {
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGHUP, SIG_DFL);
    delete m_pNotifier;
    m_pNotifier = nullptr;
    for (int& fd : g_signalPipe) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

void QExitSignals::slotReadSignal() {
    char buffer[16];
    while (read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    emit signalExitRequested();
}
