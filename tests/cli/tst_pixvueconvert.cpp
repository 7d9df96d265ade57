// The real pixvue-convert program on the real samples, with no display, as a script, a user at
// a terminal and a file manager run it.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

const int kGenerousMs = 300000;

QString program() {
    return qEnvironmentVariable("PIXVUE_BIN_DIR") + "/pixvue-convert";
}

QString sample(const QString& name) {
    return qEnvironmentVariable("PIXVUE_TESTDATA") + "/" + name;
}

bool hasSamples() {
    return QFileInfo::exists(sample("pillow_heif/arrow.heic"));
}

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Where a run finds itself: no display, its own empty home and XDG folders.
class Sandbox {
public:
    Sandbox() {
        for (const char* dir : {"home", "config", "data", "in", "out"}) {
            QDir().mkpath(path(dir));
        }
    }
    QString path(const QString& name) const { return m_root.path() + "/" + name; }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(name);
        }
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path("no-bus"));
        return env;
    }

    // Copies a sample into in/, under another name when given.
    QString add(const QString& name, const QString& as = QString()) const {
        const QString target = path("in/") + (as.isEmpty() ? QFileInfo(name).fileName() : as);
        QFile::copy(sample(name), target);
        return target;
    }

    Result run(const QStringList& arguments, QProcessEnvironment env = {}) const {
        QProcess process;
        process.setProcessEnvironment(env.isEmpty() ? environment() : env);
        process.setWorkingDirectory(m_root.path());
        process.start(program(), arguments);
        process.waitForFinished(kGenerousMs);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    // Nothing of the window's settings or data was made.
    bool userFoldersEmpty() const {
        for (const char* dir : {"home", "config", "data"}) {
            if (!QDir(path(dir)).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
                return false;
            }
        }
        return true;
    }

private:
    QTemporaryDir m_root;
};

QList<QJsonObject> jsonLines(const QByteArray& out) {
    QList<QJsonObject> lines;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty()) {
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(line, &error);
            lines.append(error.error == QJsonParseError::NoError
                             ? document.object()
                             : QJsonObject{{"bad", line.constData()}});
        }
    }
    return lines;
}

QJsonObject lineFor(const QList<QJsonObject>& lines, const QString& pathEnd) {
    for (const QJsonObject& line : lines) {
        if (line.value("path").toString().endsWith(pathEnd)) {
            return line;
        }
    }
    return {};
}

// A whole JPEG: its start and end markers.
bool isWholeJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    return bytes.startsWith("\xFF\xD8") && bytes.endsWith("\xFF\xD9");
}

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// exiftool's value of a tag, or every GPS and XMP location line with "-location".
QString exiftool(const QString& path, const QString& tag) {
    QProcess process;
    const QStringList arguments = tag == "-location" ? QStringList{"-s",
                                                                   "-G1",
                                                                   "-a",
                                                                   "-gps:all",
                                                                   "-xmp-exif:gps*",
                                                                   "-xmp:City",
                                                                   "-xmp:State",
                                                                   "-xmp:Country",
                                                                   "-xmp:Location*",
                                                                   path}
                                                     : QStringList{"-s3", "-" + tag, path};
    process.start("exiftool", arguments);
    process.waitForFinished(kGenerousMs);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Key=value lines by section ("[Desktop Action convertToJpg]"), as a file manager reads them.
QMap<QString, QMap<QString, QString>> readKeyFile(const QString& path) {
    QMap<QString, QMap<QString, QString>> sections;
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2);
        } else if (line.contains('=') && !line.startsWith('#')) {
            sections[section].insert(line.section('=', 0, 0), line.section('=', 1));
        }
    }
    return sections;
}

// The fake desktop's notification service.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        bodies.append(body);
        return uint(bodies.size());
    }
};

}  // namespace

class TestPixvueConvert : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QProcess::ExitStatus>(); }

    void init() {
        if (!QFileInfo(program()).isExecutable()) {
            QFAIL("pixvue-convert is not built");
        }
    }

    // Sources named and found in a folder, with no display: outputs, names, JSON lines, statuses.
    void convertsLikeTheWindow() {
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        Sandbox box;
        box.add("pillow_heif/arrow.heic");
        box.add("libheif/example.heic");  // two pictures
        box.add("pillow_heif/corrupted.heic");
        QFile::copy(sample("SOURCES.md"), box.path("in/notes.txt"));  // skipped in a folder
        const Result first = box.run({"--json", "-o", box.path("out"), box.path("in"),
                                      box.path("in/notes.txt"), box.path("missing.heic")});
        QCOMPARE(first.status, 1);
        const QList<QJsonObject> lines = jsonLines(first.out);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lineFor(lines, "arrow.heic").value("result").toString(), QString("converted"));
        QCOMPARE(lineFor(lines, "example.heic").value("outputs").toArray().size(), 2);
        QCOMPARE(lineFor(lines, "corrupted.heic").value("reason").toString(),
                 QString("damaged or truncated file"));
        QCOMPARE(lineFor(lines, "notes.txt").value("reason").toString(), QString("not a picture"));
        QCOMPARE(lineFor(lines, "missing.heic").value("result").toString(), QString("failed"));
        QCOMPARE(namesIn(box.path("out")),
                 QStringList({"arrow.jpg", "example.jpg", "example_1.jpg"}));
        for (const QString& name : namesIn(box.path("out"))) {
            QVERIFY2(isWholeJpeg(box.path("out/") + name), qPrintable(name));
        }
        QVERIFY(first.err.contains("3 failed"));
        QVERIFY(box.userFoldersEmpty());

        // Again: numbered names; replaced with --overwrite; beside the source by default.
        const QString arrow = box.path("in/arrow.heic");
        QCOMPARE(box.run({"-o", box.path("out"), arrow}).status, 0);
        QVERIFY(QFileInfo::exists(box.path("out/arrow_1.jpg")));
        const Result replaced =
            box.run({"--overwrite", "-f", "png", "-s", "50%", "-o", box.path("out"), arrow});
        QCOMPARE(replaced.status, 0);
        const Result again = box.run({"--overwrite", "-f", "png", "-o", box.path("out"), arrow});
        QCOMPARE(again.status, 0);
        QCOMPARE(namesIn(box.path("out")).filter(".png"), QStringList{"arrow.png"});
        QCOMPARE(box.run({"--quiet", "-f", "bmp", "-s", "10", arrow}).status, 0);
        QVERIFY(QFileInfo::exists(box.path("in/arrow.bmp")));
    }

    // Usage errors, a folder without pictures and an output folder that cannot be written.
    void refusesBadInput() {
        Sandbox box;
        QFile notes(box.path("in/notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture\n");
        notes.close();
        const QList<QStringList> usageErrors{{"-q", "0", "x.heic"},
                                             {"--quality=101", "x.heic"},
                                             {"-f", "gif", "x.heic"},
                                             {"--bogus", "x.heic"},
                                             {"-s", "0", "x.heic"},
                                             {"-j", "0", "x.heic"},
                                             {}};
        for (const QStringList& arguments : usageErrors) {
            const Result result = box.run(arguments);
            QVERIFY2(result.status == 2 && result.err.contains("--help"),
                     qPrintable(arguments.join(' ')));
        }
        const Result empty = box.run({box.path("in")});
        QCOMPARE(empty.status, 1);
        QVERIFY(empty.err.contains("no picture found"));

        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        const QString arrow = box.add("pillow_heif/arrow.heic");
        // A file stands where the output folder should be: even root cannot write there.
        const Result unwritable = box.run({"--json", "-o", box.path("in/notes.txt"), arrow});
        QCOMPARE(unwritable.status, 1);
        QCOMPARE(jsonLines(unwritable.out).value(0).value("reason").toString(),
                 QString("output folder not writable"));
        QCOMPARE(namesIn(box.path("in")), QStringList({"arrow.heic", "notes.txt"}));
    }

    // Ctrl-C in a run of 40 files: no file starts after it, those in hand finish whole. Two
    // signals sent together end the run at once: the files in hand are dropped, not left partial.
    void stopsOnSignals() {
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        Sandbox box;
        for (int i = 0; i < 40; ++i) {
            box.add("pillow_heif/arrow.heic", QString("p%1.heic").arg(i, 2, 10, QChar('0')));
        }
        const int jobs = 2;
        for (const bool twice : {false, true}) {
            QDir(box.path("out")).removeRecursively();
            QProcess process;
            process.setProcessEnvironment(box.environment());
            process.start(program(), {"--json", "-j", QString::number(jobs), "-o", box.path("out"),
                                      box.path("in")});
            QTRY_VERIFY_WITH_TIMEOUT(!namesIn(box.path("out")).isEmpty(), kGenerousMs);
            ::kill(pid_t(process.processId()), SIGINT);
            int endedAtStop = 40;
            if (twice) {
                ::kill(pid_t(process.processId()), SIGTERM);
            } else {
                QByteArray err;
                QTRY_VERIFY_WITH_TIMEOUT(
                    (err += process.readAllStandardError()).contains("stopping"), kGenerousMs);
                endedAtStop = namesIn(box.path("out")).size();
            }
            QVERIFY(process.waitForFinished(kGenerousMs));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            // Which of two pending signals is taken first is the kernel's choice.
            QVERIFY2(process.exitCode() == 130 || (twice && process.exitCode() == 143),
                     qPrintable(QString::number(process.exitCode())));
            const QStringList outputs = namesIn(box.path("out"));
            QVERIFY2(outputs.size() <= endedAtStop + jobs, qPrintable(outputs.join(' ')));
            for (const QString& name : outputs) {
                QVERIFY2(QRegularExpression("^p\\d\\d\\.jpg$").match(name).hasMatch(),
                         qPrintable(name));
                QVERIFY2(isWholeJpeg(box.path("out/") + name), qPrintable(name));
            }
            const QList<QJsonObject> lines = jsonLines(process.readAllStandardOutput());
            QCOMPARE(lines.size(), 40);
            int notStarted = 0;
            for (const QJsonObject& line : lines) {
                notStarted += line.value("result").toString() == "not started" ? 1 : 0;
            }
            QVERIFY(notStarted >= 40 - endedAtStop - jobs);
        }
    }

    // SIGTERM alone: the files in hand finish, status 143.
    void stopsOnSigterm() {
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        Sandbox box;
        for (int i = 0; i < 12; ++i) {
            box.add("pillow_heif/arrow.heic", QString("p%1.heic").arg(i));
        }
        QProcess process;
        process.setProcessEnvironment(box.environment());
        process.start(program(), {"-j", "1", "-o", box.path("out"), box.path("in")});
        QTRY_VERIFY_WITH_TIMEOUT(!namesIn(box.path("out")).isEmpty(), kGenerousMs);
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(kGenerousMs));
        QCOMPARE(process.exitCode(), 143);
        QVERIFY(namesIn(box.path("out")).size() < 12);
    }

    // --strip-location: no GPS or XMP location, the other tags as they were.
    void stripsLocation() {
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        if (QStandardPaths::findExecutable("exiftool").isEmpty()) {
            QSKIP("exiftool absent (libimage-exiftool-perl)");
        }
        Sandbox box;
        const QStringList photos{box.add("libvips/heic-orientation-6.heic"),
                                 box.add("pillow_heif/xiaomi.heic")};
        QCOMPARE(box.run({"-o", box.path("out"), "--strip-location", photos[0], photos[1]}).status,
                 0);
        QCOMPARE(box.run({"-o", box.path("out"), "-s", "50", "--strip-location", photos[0]}).status,
                 0);
        QCOMPARE(box.run({"-o", box.path("kept"), photos[0]}).status, 0);
        QVERIFY(exiftool(box.path("kept/heic-orientation-6.jpg"), "-location").contains("GPS"));
        const QStringList outputs{"heic-orientation-6.jpg", "xiaomi.jpg",
                                  "heic-orientation-6_1.jpg"};
        for (const QString& output : outputs) {
            const QString path = box.path("out/") + output;
            QVERIFY2(exiftool(path, "-location").isEmpty(), qPrintable(output));
            const QString source = output.startsWith("xiaomi") ? photos[1] : photos[0];
            for (const char* tag : {"Make", "Model", "DateTimeOriginal", "ExposureTime"}) {
                QCOMPARE(exiftool(path, tag), exiftool(source, tag));
            }
        }
    }

    // The file managers' actions: their keys, and their commands run on a sample.
    void fileManagerActions() {
        const QString actions = QStringLiteral(PACKAGING_DIR) + "/filemanager/";
        const auto kio = readKeyFile(actions + "pixvue-convert.kio.desktop");
        QCOMPARE(kio.value("Desktop Entry").value("Type"), QString("Service"));
        for (const char* type : {"image/heic;", "image/heif;", "image/avif;"}) {
            QVERIFY(kio.value("Desktop Entry").value("MimeType").contains(type));
        }
        QStringList commands;
        for (const QString& action :
             kio.value("Desktop Entry").value("Actions").split(';', Qt::SkipEmptyParts)) {
            commands.append(kio.value("Desktop Action " + action).value("Exec"));
            QVERIFY(kio.value("Desktop Action " + action).value("Name").startsWith("Convert to "));
        }
        for (const char* format : {"jpg", "png"}) {
            const auto nemo = readKeyFile(actions + "pixvue-convert-" + format + ".nemo_action");
            const QMap<QString, QString> keys = nemo.value("Nemo Action");
            QCOMPARE(keys.value("Name"), QString("Convert to ") + QString(format).toUpper());
            QCOMPARE(keys.value("Selection"), QString("notnone"));
            QCOMPARE(keys.value("Extensions"), QString("heic;heif;hif;avif;"));
            commands.append(keys.value("Exec"));
        }
        QCOMPARE(commands.size(), 4);
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        Sandbox box;
        QDir().mkpath(box.path("path"));
        QFile::link(program(), box.path("path/pixvue-convert"));
        QProcessEnvironment env = box.environment();
        env.insert("PATH", box.path("path") + ":" + env.value("PATH"));
        const QString photo = box.add("pillow_heif/arrow.heic", "my photo.heic");
        for (const QString& command : commands) {
            QVERIFY2(command.startsWith("pixvue-convert --notify -f "), qPrintable(command));
            QString line = command;
            line.replace("%F", "'" + photo + "'");
            QProcess shell;
            shell.setProcessEnvironment(env);
            shell.start("sh", {"-c", line});
            QVERIFY(shell.waitForFinished(kGenerousMs));
            QCOMPARE(shell.exitCode(), 0);
        }
        // Outputs of a format that hold something (numbered as the window numbers them).
        const auto outputsOf = [&box](const char* suffix) {
            int count = 0;
            for (const QString& name : namesIn(box.path("in")).filter(suffix)) {
                count += QFileInfo(box.path("in/") + name).size() > 0 ? 1 : 0;
            }
            return count;
        };
        QCOMPARE(outputsOf(".jpg"), 2);
        QCOMPARE(outputsOf(".png"), 2);

        // The Nautilus extension, loaded by Python with a stand-in for its bindings.
        if (QStandardPaths::findExecutable("python3").isEmpty()) {
            QSKIP("python3 absent");
        }
        QDir().mkpath(box.path("py/gi"));
        QFile stub(box.path("py/gi/__init__.py"));
        stub.open(QIODevice::WriteOnly);
        stub.write(
            "import types\n"
            "def require_version(name, version): pass\n"
            "class MenuItem:\n"
            "    def __init__(self, **keys): self.keys = keys; self.handlers = []\n"
            "    def connect(self, signal, handler, *args): self.handlers.append((handler, args))\n"
            "    def activate(self):\n"
            "        for handler, args in self.handlers: handler(self, *args)\n"
            "class GObject: pass\n"
            "class MenuProvider: pass\n"
            "repository = types.SimpleNamespace(\n"
            "    GObject=types.SimpleNamespace(GObject=GObject),\n"
            "    Nautilus=types.SimpleNamespace(MenuProvider=MenuProvider, MenuItem=MenuItem))\n"
            "import sys; sys.modules['gi.repository'] = repository\n");
        stub.close();
        QProcess python;
        QProcessEnvironment pyEnv = env;
        pyEnv.insert("PYTHONPATH", box.path("py"));
        python.setProcessEnvironment(pyEnv);
        python.start("python3",
                     {"-c",
                      "import runpy, sys, types\n"
                      "ext = types.SimpleNamespace(**runpy.run_path(sys.argv[1]))\n"
                      "f = lambda p: types.SimpleNamespace(get_location=lambda: "
                      "types.SimpleNamespace(get_path=lambda: p))\n"
                      "menu = ext.PixvueConvertMenu()\n"
                      "assert menu.get_file_items([f(sys.argv[3])]) == []\n"
                      "items = menu.get_file_items(None, [f(sys.argv[2])])\n"
                      "print(','.join(i.keys['label'] for i in items))\n"
                      "items[1].activate()\n",
                      actions + "pixvue-convert-nautilus.py", photo, box.path("in/my photo.jpg")});
        QVERIFY(python.waitForFinished(kGenerousMs));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(python.readAllStandardOutput().trimmed(),
                 QByteArray("Convert to JPG,Convert to PNG"));
        QTRY_COMPARE_WITH_TIMEOUT(outputsOf(".png"), 3, kGenerousMs);
    }

    // --notify: one notification with the counts and the first failure on a bus with the
    // service; nothing, and no complaint, without the service or without a bus.
    void notifiesTheDesktop() {
        if (!hasSamples()) {
            QSKIP("camera samples absent (PIXVUE_TESTDATA)");
        }
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            QSKIP("dbus-daemon absent (package dbus-daemon)");
        }
        Sandbox box;
        const QString photo = box.add("pillow_heif/arrow.heic");
        const QString broken = box.add("pillow_heif/corrupted.heic");
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY(daemon.waitForReadyRead(kGenerousMs));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QProcessEnvironment env = box.environment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);

        const auto runAsync = [&](const QStringList& arguments) {
            QProcess process;
            process.setProcessEnvironment(env);
            QSignalSpy finished(&process,
                                QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
            process.start(program(), arguments);
            finished.wait(kGenerousMs);  // the fake service answers meanwhile
            return Result{process.exitCode(), process.readAllStandardOutput(),
                          process.readAllStandardError()};
        };
        const Result unserved = runAsync({"--notify", "-o", box.path("out"), photo});
        QCOMPARE(unserved.status, 0);

        {
            QDBusConnection bus = QDBusConnection::connectToBus(address, "fake-desktop");
            FakeNotifications service;
            QVERIFY(bus.registerObject("/org/freedesktop/Notifications", &service,
                                       QDBusConnection::ExportAllSlots));
            QVERIFY(bus.registerService("org.freedesktop.Notifications"));
            const Result served =
                runAsync({"--notify", "--quiet", "-o", box.path("out"), photo, broken});
            QCOMPARE(served.status, 1);
            QTRY_COMPARE(service.bodies,
                         QStringList{"1 converted, 1 failed: corrupted.heic: damaged or "
                                     "truncated file"});
            bus.unregisterService("org.freedesktop.Notifications");
        }
        QDBusConnection::disconnectFromBus("fake-desktop");
        daemon.kill();
        daemon.waitForFinished(kGenerousMs);

        const Result busless = box.run({"--notify", "-o", box.path("out"), photo});
        QCOMPARE(busless.status, 0);
        QCOMPARE(busless.err, QByteArray("pixvue-convert: 1 converted, 0 failed\n"));
    }
};

QTEST_GUILESS_MAIN(TestPixvueConvert)
#include "tst_pixvueconvert.moc"
