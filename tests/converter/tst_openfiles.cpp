// Files named on the command line: paths from the arguments, the message that hands them to
// the running instance, and the main window taking them as a drop.
#include "app/pixvueopenfiles.h"
#include "app/pixvuestartup.h"
#include "app/qsingleinstance.h"
#include "guitestsupport.h"
#include "mainwindow/zentarpixvue.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

class TestOpenFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void argumentsBecomeAbsolutePaths();
    void messageCarriesEveryPath();
    void windowTakesExistingPathsAsADrop();
    void laterStartReachesTheFirst();
};

void TestOpenFiles::initTestCase() {
    pixvue::applyApplicationLook();
}

void TestOpenFiles::argumentsBecomeAbsolutePaths() {
    const QDir work(QStringLiteral("/home/me/photos"));
    using pixvue::pathsFromArguments;
    QCOMPARE(pathsFromArguments({"a.heic", "trip/", "../b.HEIC", "/abs/c.heic"}, work),
             QStringList({"/home/me/photos/a.heic", "/home/me/photos/trip", "/home/me/b.HEIC",
                          "/abs/c.heic"}));
    // Options, empty arguments and repeats are left out; "-" alone is a name.
    QCOMPARE(pathsFromArguments({"--style=fusion", "", "a.heic", "./a.heic", "-"}, work),
             QStringList({"/home/me/photos/a.heic", "/home/me/photos/-"}));
    QCOMPARE(pathsFromArguments({"-x", "--", "-x", "--"}, work),
             QStringList({"/home/me/photos/-x", "/home/me/photos/--"}));
    QCOMPARE(pathsFromArguments({"file:///tmp/with%20space.heic", "file:rel.heic"}, work),
             QStringList({"/tmp/with space.heic", "/home/me/photos/rel.heic"}));
    QCOMPARE(pathsFromArguments({QString::fromUtf8("照片 1.heic")}, work),
             QStringList({QString::fromUtf8("/home/me/photos/照片 1.heic")}));
    QVERIFY(pathsFromArguments({}, work).isEmpty());

    // A restart lists the same files again, whatever their names, and keeps the options.
    const QStringList listed{"/home/me/-x.heic", "/home/me/--",
                             QString::fromUtf8("/tmp/照片 1.heic")};
    const QStringList restart =
        pixvue::restartArguments({"--style=fusion", "gone.heic", "--", "-y"}, listed);
    QCOMPARE(restart.first(), QStringLiteral("--style=fusion"));
    QCOMPARE(pathsFromArguments(restart, work), listed);
    QStringList many;
    for (int i = 0; i < pixvue::kMaxRestartArgumentChars / 10; ++i) {
        many << QStringLiteral("/tmp/a.heic");
    }
    QCOMPARE(pixvue::restartArguments({}, many), QStringList());
}

void TestOpenFiles::messageCarriesEveryPath() {
    const QStringList paths{"/tmp/a.heic", QString::fromUtf8("/tmp/照片\nline.heic"),
                            "/tmp/open_files", "/tmp/dir"};
    QStringList parsed;
    QVERIFY(pixvue::parseOpenFilesMessage(pixvue::openFilesMessage(paths), &parsed));
    QCOMPARE(parsed, paths);

    QVERIFY(pixvue::parseOpenFilesMessage(pixvue::openFilesMessage({}), &parsed));
    QVERIFY(parsed.isEmpty());

    for (const char* other : {"raise_window_noop", "open_filesX", "", "open_files/tmp/a"}) {
        parsed = QStringList({"untouched"});
        QVERIFY2(!pixvue::parseOpenFilesMessage(QString::fromUtf8(other), &parsed), other);
        QCOMPARE(parsed, QStringList({"untouched"}));
    }
}

void TestOpenFiles::windowTakesExistingPathsAsADrop() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("a b.heic"));
    QFile touch(file);
    QVERIFY(touch.open(QIODevice::WriteOnly));
    touch.close();

    zentarPixvue window;
    QSignalSpy dropped(&window, &zentarPixvue::signalUrlsDropped);
    window.openPaths({file, dir.filePath("missing.heic"), dir.path()});
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().value<QList<QUrl>>(),
             QList<QUrl>({QUrl::fromLocalFile(file), QUrl::fromLocalFile(dir.path())}));

    window.openPaths({dir.filePath("missing.heic")});
    window.openPaths({});
    QCOMPARE(dropped.count(), 1);
}

// The path a later start sends arrives as a drop on the first instance's window.
void TestOpenFiles::laterStartReachesTheFirst() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString identifier =
        QStringLiteral("pixvueOpenTest%1").arg(QCoreApplication::applicationPid());
    QSingleInstance first(identifier);
    QVERIFY(!first.isRunning());
    zentarPixvue window;
    QSignalSpy dropped(&window, &zentarPixvue::signalUrlsDropped);
    connect(&first, &QSingleInstance::messageReceived, &window, [&window](const QString& message) {
        QStringList paths;
        if (pixvue::parseOpenFilesMessage(message, &paths)) {
            window.openPaths(paths);
        }
    });

    std::atomic<bool> delivered{false};
    const QString message = pixvue::openFilesMessage({dir.path()});
    std::unique_ptr<QThread> sender(QThread::create([&] {
        QSingleInstance second(identifier);
        delivered = second.isRunning() && second.sendMessage(message, 4000);
    }));
    sender->start();
    guitest::waitFor([&sender] { return sender->isFinished(); });
    sender->wait();
    QVERIFY(delivered);
    QTRY_COMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().value<QList<QUrl>>(),
             QList<QUrl>({QUrl::fromLocalFile(dir.path())}));
}

PIXVUE_GUI_TEST_MAIN(TestOpenFiles)
#include "tst_openfiles.moc"
