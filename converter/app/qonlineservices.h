#pragma once

// What the converter does on the network by itself, each only while the user agrees: the
// version check at start-up and the log sender.

#include <QObject>
#include <QString>

#include <memory>

class QProcess;
class zentarPixvue;

class QOnlineServices : public QObject {
    Q_OBJECT

public:
    // logSenderProgram: the log sender to start (the one beside the converter in the program).
    QOnlineServices(zentarPixvue* window, const QString& logSenderProgram);
    // Ends the log sender.
    ~QOnlineServices() override;

    bool isLogSenderRunning() const;

public slots:
    // Starts what the stored consent allows and not yet runs; ends the log sender when the
    // uploads are no longer allowed. The version check runs once per start.
    void slotApplyConsent();

private:
    void startLogSender();
    void stopLogSender();

    zentarPixvue* m_pWindow;
    QString m_strLogSenderProgram;
    std::unique_ptr<QProcess> m_pLogSender;
    bool m_bVersionChecked = false;
};
