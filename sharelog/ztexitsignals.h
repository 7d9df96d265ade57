#pragma once

#include "ztsharelog_global.h"

#include <QObject>

#include <atomic>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (the session ends, the terminal closes) into a Qt signal on the
// thread that created this object, so that the program ends through its normal clean-up.
// A console program may also take SIGINT: the first asks to stop, a second ends the process at
// once. Without an event loop, exitRequested() tells whether a signal came. One object per
// process.
class ZTSHARELOG_EXPORT ZtExitSignals : public QObject {
    Q_OBJECT

public:
    enum class Interrupt { KeepDefault, StopThenExit };

    explicit ZtExitSignals(QObject* parent = nullptr, Interrupt interrupt = Interrupt::KeepDefault);
    ~ZtExitSignals() override;
    ZtExitSignals(const ZtExitSignals&) = delete;
    ZtExitSignals& operator=(const ZtExitSignals&) = delete;

    // True once one of the signals arrived; safe to poll from any thread.
    static bool exitRequested();

signals:
    void signalExitRequested();

private:
    void slotReadSignal();

    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bTakesInterrupt = false;
};
