#include "qsingleinstance.h"

#include "ztlog.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <unistd.h>

namespace {

// A message travels as a QDataStream QString; the receiver answers one byte when it has it.
const char kAck = 'A';
const int kRetryPauseMs = 50;

}  // namespace

QSingleInstance::QSingleInstance(const QString& identifier, QObject* parent)
    : QObject(parent),
      m_strLockPath(runtimeDirectory() + "/" + identifier + "-" + QString::number(getuid()) +
                    ".lock"),
      m_strServerName(runtimeDirectory() + "/" + identifier + "-" + QString::number(getuid()) +
                      ".socket"),
      m_lock(m_strLockPath) {
    // Only a dead holder makes a lock stale, never its age: a long session keeps its lock.
    m_lock.setStaleLockTime(0);
    m_bPrimary = m_lock.tryLock(0);
    if (!m_bPrimary && m_lock.error() != QLockFile::LockFailedError) {
        // No lock can be made (a folder without write access): run unguarded rather than
        // refuse to start for an instance that does not exist.
        LOG(ERROR) << "cannot create the instance lock " << m_strLockPath;
        m_bPrimary = true;
    }
    if (m_bPrimary) {
        listen();
    }
}

QSingleInstance::~QSingleInstance() {
    release();
}

QString QSingleInstance::runtimeDirectory() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

void QSingleInstance::listen() {
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a killed instance would make listen() fail; we hold the lock, so
    // nobody else listens on it.
    QLocalServer::removeServer(m_strServerName);
    if (!m_pServer->listen(m_strServerName)) {
        LOG(WARNING) << "QtSingleCoreApplication: listen on local socket failed, "
                     << m_pServer->errorString();
        return;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &QSingleInstance::slotNewConnection);
}

void QSingleInstance::slotNewConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        readMessage(socket);
    }
}

void QSingleInstance::readMessage(QLocalSocket* socket) {
    QDataStream in(socket);
    in.startTransaction();
    QString message;
    in >> message;
    if (!in.commitTransaction()) {
        return;  // the rest is still on its way
    }
    socket->write(&kAck, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit messageReceived(message);
}

bool QSingleInstance::sendMessage(const QString& message, int timeoutMs) const {
    if (m_bPrimary) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first instance may hold the lock a moment before it listens.
    for (;;) {
        socket.connectToServer(m_strServerName);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            break;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(kRetryPauseMs);
    }
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << message;
    socket.write(frame);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
        return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            return false;
        }
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAck;
}

void QSingleInstance::setActivationWindow(QWidget* window, bool activateOnMessage) {
    m_pActivationWindow = window;
    disconnect(this, &QSingleInstance::messageReceived, this, &QSingleInstance::activateWindow);
    if (activateOnMessage) {
        connect(this, &QSingleInstance::messageReceived, this, &QSingleInstance::activateWindow);
    }
}

void QSingleInstance::activateWindow() {
    if (m_pActivationWindow.isNull()) {
        return;
    }
    QWidget* window = m_pActivationWindow.data();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    window->show();
}

void QSingleInstance::release() {
    if (m_pServer != nullptr) {
        m_pServer->close();
        delete m_pServer;
        m_pServer = nullptr;
    }
    if (m_bPrimary) {
        m_lock.unlock();
    }
}
