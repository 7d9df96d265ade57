#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGHUP (terminal closed) and SIGTERM into a Qt signal on the thread that created this
// object. SIGINT keeps its default handling.
class ExitSignals : public QObject {
    Q_OBJECT

public:
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;

signals:
    void signalExitRequested();

private:
    void slotReadSignal();

    QSocketNotifier* m_pNotifier = nullptr;
};
