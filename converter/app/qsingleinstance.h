#pragma once

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

// One running instance per user and identifier. The first instance holds a lock file and
// listens on a local socket beside it (both in the runtime directory); a later one finds the
// lock held and may send the first a message. A lock left by a killed instance is recovered.
class QSingleInstance : public QObject {
    Q_OBJECT

public:
    explicit QSingleInstance(const QString& identifier, QObject* parent = nullptr);
    ~QSingleInstance() override;

    // True when another live process holds the lock.
    bool isRunning() const { return !m_bPrimary; }

    // Delivers message to the running instance; false when none took it within timeoutMs.
    bool sendMessage(const QString& message, int timeoutMs) const;

    // The window that activateWindow() brings to the front; with activateOnMessage every
    // received message does so.
    void setActivationWindow(QWidget* window, bool activateOnMessage = true);
    QWidget* activationWindow() const { return m_pActivationWindow; }

    // Gives up the lock and the socket, so that a new process can become the instance.
    void release();

    QString lockFilePath() const { return m_strLockPath; }
    QString serverName() const { return m_strServerName; }

signals:
    void messageReceived(const QString& message);

public slots:
    // Restores the activation window from the minimised state, raises, activates and shows it.
    void activateWindow();

private:
    static QString runtimeDirectory();
    void listen();
    void slotNewConnection();
    void readMessage(QLocalSocket* socket);

    QString m_strLockPath;
    QString m_strServerName;
    QLockFile m_lock;
    bool m_bPrimary = false;
    QLocalServer* m_pServer = nullptr;
    QPointer<QWidget> m_pActivationWindow;
};
