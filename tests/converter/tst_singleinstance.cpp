// The single-instance guard within one process: lock, message, activation, stale locks.
#include "app/qsingleinstance.h"
#include "guitestsupport.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QWidget>

#include <atomic>
#include <memory>

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondIsRefusedAndReachesTheFirst();
    void messageRaisesTheMinimisedWindow();
    void releaseLetsTheNextOneIn();
    void staleLockOfADeadProcess();

private:
    static QString identifier();
    // Sends message from another thread, as a second process would; true when delivered.
    static bool sendFromAnotherThread(const QString& message);
};

QString TestSingleInstance::identifier() {
    return QStringLiteral("pixvueTest%1").arg(QCoreApplication::applicationPid());
}

bool TestSingleInstance::sendFromAnotherThread(const QString& message) {
    std::atomic<bool> refused{false};
    std::atomic<bool> delivered{false};
    std::unique_ptr<QThread> sender(QThread::create([&] {
        QSingleInstance second(identifier());
        refused = second.isRunning();
        delivered = second.sendMessage(message, 4000);
    }));
    sender->start();
    // The first instance answers on this thread's event loop.
    guitest::waitFor([&sender] { return sender->isFinished(); });
    sender->wait();
    return refused && delivered;
}

void TestSingleInstance::secondIsRefusedAndReachesTheFirst() {
    QSingleInstance first(identifier());
    QVERIFY(!first.isRunning());
    QVERIFY(!first.sendMessage("to myself", 100));
    QSignalSpy received(&first, &QSingleInstance::messageReceived);
    QVERIFY(sendFromAnotherThread(QStringLiteral("raise_window_noop")));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.first().first().toString(), QStringLiteral("raise_window_noop"));

    const QString unicode = QString::fromUtf8("第二个 \n message");
    QVERIFY(sendFromAnotherThread(unicode));
    QTRY_COMPARE(received.count(), 2);
    QCOMPARE(received.last().first().toString(), unicode);
}

void TestSingleInstance::messageRaisesTheMinimisedWindow() {
    QSingleInstance first(identifier());
    QWidget window;
    first.setActivationWindow(&window, true);
    window.showMinimized();
    QVERIFY(window.windowState() & Qt::WindowMinimized);
    QVERIFY(sendFromAnotherThread(QStringLiteral("raise_window_noop")));
    QTRY_VERIFY(!(window.windowState() & Qt::WindowMinimized));
    QVERIFY(window.isVisible());

    // Without activation on message the window stays as it is.
    first.setActivationWindow(&window, false);
    window.showMinimized();
    QSignalSpy received(&first, &QSingleInstance::messageReceived);
    QVERIFY(sendFromAnotherThread(QStringLiteral("raise_window_noop")));
    QTRY_COMPARE(received.count(), 1);
    QVERIFY(window.windowState() & Qt::WindowMinimized);
}

void TestSingleInstance::releaseLetsTheNextOneIn() {
    auto first = std::make_unique<QSingleInstance>(identifier());
    QVERIFY(!first->isRunning());
    QVERIFY(QSingleInstance(identifier()).isRunning());
    first->release();
    QSingleInstance next(identifier());
    QVERIFY(!next.isRunning());
    first.reset();  // the released one leaves the new lock alone
    QVERIFY(QFile::exists(next.lockFilePath()));
    QVERIFY(QSingleInstance(identifier()).isRunning());
}

void TestSingleInstance::staleLockOfADeadProcess() {
    QProcess gone;
    gone.start("true", QStringList());
    QVERIFY(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QString lockPath;
    {
        QSingleInstance probe(identifier());
        lockPath = probe.lockFilePath();
    }
    // A lock file as QLockFile writes it, of a process that no longer runs.
    QFile lock(lockPath);
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(QByteArray::number(deadPid) + "\n" + QCoreApplication::applicationName().toUtf8() +
               "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();

    QSingleInstance next(identifier());
    QVERIFY(!next.isRunning());
    QSignalSpy received(&next, &QSingleInstance::messageReceived);
    QVERIFY(sendFromAnotherThread(QStringLiteral("raise_window_noop")));
    QTRY_COMPARE(received.count(), 1);
}

PIXVUE_GUI_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
