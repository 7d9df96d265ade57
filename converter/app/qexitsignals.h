#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (the session ends, the terminal closes) into a Qt signal on the
// thread that created this object, so that the program ends through its normal clean-up.
// SIGINT keeps its default handling. One object per process.
class QExitSignals : public QObject {
    Q_OBJECT

public:
    explicit QExitSignals(QObject* parent = nullptr);
    ~QExitSignals() override;

signals:
    void signalExitRequested();

private:
    void slotReadSignal();

    QSocketNotifier* m_pNotifier = nullptr;
};
