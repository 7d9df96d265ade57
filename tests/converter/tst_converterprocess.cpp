// The real zentarPixvue program, started with temporary user folders from a copy of its
// program folder (so that Cfg/Url.ini can point at 127.0.0.1).
#include "guitestsupport.h"
#include "pixvuetestservice.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <memory>

#include <signal.h>
#include <unistd.h>

namespace {

const int kGenerousMs = 60000;

// One installation and one user: a bin folder with the programs and Cfg/, and XDG folders.
class Installation {
public:
    explicit Installation(bool withLogSender, const QString& serviceUrl = QString()) {
        const QString source = qEnvironmentVariable("PIXVUE_BIN_DIR");
        QDir().mkpath(bin() + "/Cfg");
        m_bReady = QFile::copy(source + "/zentarPixvue", program()) &&
                   QFile::copy(source + "/Cfg/Version.ini", bin() + "/Cfg/Version.ini");
        if (withLogSender) {
            m_bReady = m_bReady && QFile::copy(source + "/ZtLogSender_HC", logSender());
        }
        // Nothing is ever sent past this machine; port 9 is closed when no service is given.
        const QString url =
            serviceUrl.isEmpty() ? QStringLiteral("http://127.0.0.1:9") : serviceUrl;
        QSettings urls(bin() + "/Cfg/Url.ini", QSettings::IniFormat);
        urls.setValue("ServerUrl/ServerUrl", url);
        urls.setValue("PublicIp/PublicIpUrl", url + "/cityjson");
        urls.setValue("WebSite/WebSiteUrl", url);
        urls.sync();
        for (const char* dir : {"data", "config", "runtime"}) {
            QDir().mkpath(m_root.path() + "/" + dir);
        }
        QFile::setPermissions(m_root.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ~Installation() { killAll(); }

    bool isReady() const { return m_bReady && m_root.isValid(); }
    QString root() const { return m_root.path(); }
    QString bin() const { return m_root.path() + "/bin"; }
    QString program() const { return bin() + "/zentarPixvue"; }
    QString logSender() const { return bin() + "/ZtLogSender_HC"; }
    QString dataDirectory() const { return m_root.path() + "/data/zentar/Pixvue/"; }
    QString lockFile() const {
        return m_root.path() + "/runtime/zentarPixvue-" + QString::number(getuid()) + ".lock";
    }

    std::unique_ptr<QProcess> start(const QString& quitAfterStart = QString(),
                                    const QStringList& arguments = {"--first", "second arg"},
                                    const QString& workingDirectory = QString(),
                                    const QStringList& environment = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& assignment : environment) {
            env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
        }
        env.insert("XDG_DATA_HOME", m_root.path() + "/data");
        env.insert("XDG_CONFIG_HOME", m_root.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_root.path() + "/runtime");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("PIXVUE_QUIT_AFTER_START");
        if (!quitAfterStart.isEmpty()) {
            env.insert("PIXVUE_QUIT_AFTER_START", quitAfterStart);
        }
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(workingDirectory.isEmpty() ? m_root.path() : workingDirectory);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(program(), arguments);
        return process;
    }

    // The network consent as the program's question stores it.
    void setConsent(bool updateCheck, bool logUpload) const {
        QDir().mkpath(dataDirectory());
        QSettings settings(dataDirectory() + "Configures.ini", QSettings::IniFormat);
        settings.setValue("Privacy/CheckUpdate", updateCheck);
        settings.setValue("Privacy/SendLogs", logUpload);
    }

    void setLanguage(int language) const {
        QDir().mkpath(dataDirectory());
        QSettings settings(dataDirectory() + "Configures.ini", QSettings::IniFormat);
        settings.setValue("Language/LanguageType", language);
    }

    // Every log of the data directory, oldest first.
    QString log() const {
        QString text;
        QDir trace(dataDirectory() + "Trace");
        for (const QString& name : trace.entryList({"*.log"}, QDir::Files, QDir::Name)) {
            QFile file(trace.filePath(name));
            if (file.open(QIODevice::ReadOnly)) {
                text += QString::fromUtf8(file.readAll());
            }
        }
        return text;
    }

    int logCount(const QString& line) const { return log().count(line); }

    // The rows the program listed at the end of each of its add runs, in order.
    QList<int> listCounts() const {
        static const QRegularExpression line("Add heic completed, list count : (\\d+)");
        QList<int> counts;
        QRegularExpressionMatchIterator it = line.globalMatch(log());
        while (it.hasNext()) {
            counts << it.next().captured(1).toInt();
        }
        return counts;
    }

    // Running processes of one of this installation's programs.
    QList<qint64> processesOf(const QString& path) const {
        QList<qint64> pids;
        for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
            bool isPid = false;
            const qint64 pid = entry.toLongLong(&isPid);
            if (isPid && QFile::symLinkTarget("/proc/" + entry + "/exe") == path &&
                !isZombie(pid)) {
                pids.append(pid);
            }
        }
        return pids;
    }

    qint64 lockHolder() const {
        QFile file(lockFile());
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
    }

    void killAll() const {
        for (const QString& path : {program(), logSender()}) {
            for (qint64 pid : processesOf(path)) {
                ::kill(pid_t(pid), SIGKILL);
            }
        }
    }

private:
    static bool isZombie(qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            return true;
        }
        const QByteArray text = stat.readAll();
        const int end = text.lastIndexOf(')');
        return end < 0 || text.mid(end + 2, 1) == "Z";
    }

    QTemporaryDir m_root;
    bool m_bReady = false;
};

bool finishes(QProcess& process) {
    return process.waitForFinished(kGenerousMs) && process.exitStatus() == QProcess::NormalExit;
}

// The rows listed once the run-th add run (from 1) has ended; -1 if it never ends.
int rowsAfterRun(const Installation& install, int run) {
    QList<int> counts;
    guitest::waitFor(
        [&] {
            counts = install.listCounts();
            return counts.size() >= run;
        },
        kGenerousMs);
    return counts.size() >= run ? counts.at(run - 1) : -1;
}

// A later start from workingDirectory that hands its arguments over and ends with 0.
bool handsOver(const Installation& install, const QStringList& arguments,
               const QString& workingDirectory) {
    auto later = install.start(QString(), arguments, workingDirectory);
    return finishes(*later) && later->exitCode() == 0;
}

bool touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

}  // namespace

class TestConverterProcess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void secondStartRaisesTheFirst();
    void filesOfBothStartsAreListed();
    void namedPathsFollowTheDropRules();
    void killedInstanceDoesNotBlock();
    void restartLeavesOneNewInstance();
    void chineseSetting();
    void bannersAppendPerStart();
    void logSenderLivesWithTheProgram();
    void unansweredVersionCheckDelaysNothing();
    void networkWaitsForConsent();
    void consoleAnswersWithoutAWindow();
    void firstStartFollowsTheDesktopLanguage();
};

void TestConverterProcess::initTestCase() {
    const QString bin = qEnvironmentVariable("PIXVUE_BIN_DIR");
    if (!QFile::exists(bin + "/zentarPixvue")) {
        QSKIP("zentarPixvue is not built");
    }
}

void TestConverterProcess::secondStartRaisesTheFirst() {
    Installation install(false);
    QVERIFY(install.isReady());
    auto first = install.start();
    QVERIFY(first->waitForStarted());
    QVERIFY(guitest::waitFor([&] { return install.lockHolder() == first->processId(); }));

    auto second = install.start();
    QVERIFY(finishes(*second));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(install.log().contains("KESTRO is running"));
    QVERIFY(guitest::waitFor(
        [&] { return install.log().contains("message from a later start: raise_window_noop"); }));
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(install.processesOf(install.program()), QList<qint64>{first->processId()});
    QCOMPARE(install.logCount("====================START===================="), 2);
    first->terminate();
    QVERIFY(finishes(*first));
    QCOMPARE(install.logCount("====================END===================="), 1);
}

// The first start lists its files; a later one hands its own (relative to where it was
// started) to the first, which lists them too, and ends.
void TestConverterProcess::filesOfBothStartsAreListed() {
    Installation install(false);
    QVERIFY(install.isReady());
    QTemporaryDir photos;
    QVERIFY(photos.isValid());
    const QString first = photos.filePath(QString::fromUtf8("第一 photo.heic"));
    const QString second = photos.filePath("second.heic");
    const QString later = photos.filePath("later.HEIC");
    for (const QString& path : {first, second, later}) {
        QVERIFY(touch(path));
    }

    auto running = install.start(QString(), {first, second});
    QVERIFY(running->waitForStarted());
    QCOMPARE(rowsAfterRun(install, 1), 2);
    QVERIFY(install.log().contains("open files: " + first + ", " + second));

    QVERIFY(handsOver(install, {"later.HEIC", "./missing.heic"}, photos.path()));
    QCOMPARE(rowsAfterRun(install, 2), 3);
    QVERIFY(install.log().contains("open files: " + later));
    QVERIFY(install.log().contains("open files: not found " + photos.filePath("missing.heic")));
    QVERIFY(install.log().contains("message from a later start: raise_window_noop"));
    QCOMPARE(running->state(), QProcess::Running);
    running->terminate();
    QVERIFY(finishes(*running));
    QCOMPARE(running->exitCode(), 0);
}

// Named paths are taken as a drop of them: a folder is walked for its HEIC files, another file
// or a missing one adds nothing, and a file already listed is not listed twice.
void TestConverterProcess::namedPathsFollowTheDropRules() {
    Installation install(false);
    QVERIFY(install.isReady());
    QTemporaryDir photos;
    QVERIFY(photos.isValid());
    const QString album = photos.filePath("album");
    for (const QString& path :
         {album + "/a.heic", album + "/deeper/b.HEIC", album + "/c.jpg", album + "/notes.txt",
          photos.filePath("notes.txt"), photos.filePath("last.heic")}) {
        QVERIFY(touch(path));
    }

    auto running = install.start(QString(), {album + "/"});
    QVERIFY(running->waitForStarted());
    QCOMPARE(rowsAfterRun(install, 1), 2);
    QVERIFY(install.log().contains("open files: " + album));

    QVERIFY(handsOver(install, {"notes.txt"}, photos.path()));
    QCOMPARE(rowsAfterRun(install, 2), 2);

    QVERIFY(handsOver(install, {"gone.heic"}, photos.path()));
    QVERIFY(guitest::waitFor([&] {
        return install.log().contains("open files: not found " + photos.filePath("gone.heic"));
    }));

    QVERIFY(handsOver(install, {"../../last.heic", "../a.heic"}, album + "/deeper"));
    QCOMPARE(rowsAfterRun(install, 3), 3);
    QCOMPARE(install.listCounts().size(), 3);  // the missing file started no add run
    QCOMPARE(running->state(), QProcess::Running);
    running->terminate();
    QVERIFY(finishes(*running));
    QCOMPARE(running->exitCode(), 0);
}

void TestConverterProcess::killedInstanceDoesNotBlock() {
    Installation install(false);
    QVERIFY(install.isReady());
    auto killed = install.start();
    QVERIFY(killed->waitForStarted());
    QVERIFY(guitest::waitFor([&] { return install.lockHolder() == killed->processId(); }));
    killed->kill();
    QVERIFY(killed->waitForFinished());
    QVERIFY(QFile::exists(install.lockFile()));  // left behind

    // The next start takes the lock over and listens where the killed one did.
    auto next = install.start();
    QVERIFY(next->waitForStarted());
    QVERIFY(guitest::waitFor([&] { return install.lockHolder() == next->processId(); }));
    auto probe = install.start();
    QVERIFY(finishes(*probe));
    QCOMPARE(probe->exitCode(), 0);
    QVERIFY(guitest::waitFor(
        [&] { return install.log().contains("message from a later start: raise_window_noop"); }));
    QCOMPARE(install.logCount("KESTRO is running"), 1);

    next->terminate();
    QVERIFY(finishes(*next));
    QCOMPARE(next->exitCode(), 0);
    QCOMPARE(install.logCount("====================END===================="), 1);
}

void TestConverterProcess::restartLeavesOneNewInstance() {
    Installation install(false);
    QVERIFY(install.isReady());
    auto old = install.start("8888");
    QVERIFY(old->waitForStarted());
    const qint64 oldPid = old->processId();
    QVERIFY(finishes(*old));
    // main() returns 8888; a POSIX exit status keeps its low eight bits.
    QCOMPARE(old->exitCode(), 8888 & 0xFF);

    QVERIFY(guitest::waitFor([&] {
        const qint64 holder = install.lockHolder();
        return holder != 0 && holder != oldPid &&
               install.processesOf(install.program()).contains(holder);
    }));
    const qint64 newPid = install.lockHolder();
    QCOMPARE(install.processesOf(install.program()), QList<qint64>{newPid});
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(newPid));
    QVERIFY(cmdline.open(QIODevice::ReadOnly));
    // Its options again; the files it lists instead of the named ones (none exists here).
    QList<QByteArray> arguments = cmdline.readAll().split('\0');
    arguments.removeAll(QByteArray());
    QCOMPARE(arguments.mid(1), QList<QByteArray>({"--first"}));

    // The new one is the instance: a further start is refused.
    auto probe = install.start();
    QVERIFY(finishes(*probe));
    QCOMPARE(probe->exitCode(), 0);
    QCOMPARE(install.logCount("KESTRO is running"), 1);
    QCOMPARE(install.processesOf(install.program()), QList<qint64>{newPid});
    install.killAll();
}

void TestConverterProcess::chineseSetting() {
    for (int language : {1, 0, 5}) {
        Installation install(false);
        QVERIFY(install.isReady());
        install.setLanguage(language);
        auto run = install.start("0");
        QVERIFY(finishes(*run));
        QCOMPARE(run->exitCode(), 0);
        QCOMPARE(install.log().contains("language is chinese"), language == 1);
    }
}

void TestConverterProcess::bannersAppendPerStart() {
    Installation install(false);
    QVERIFY(install.isReady());
    for (int run = 0; run < 2; ++run) {
        auto process = install.start("0");
        QVERIFY(finishes(*process));
        QCOMPARE(process->exitCode(), 0);
    }
    const QString log = install.log();
    const QStringList files = QDir(install.dataDirectory() + "Trace").entryList({"*.log"});
    QVERIFY2(!files.isEmpty(), qPrintable(install.dataDirectory()));
    QVERIFY(QRegularExpression("^\\d{8}\\.log$").match(files.first()).hasMatch());
    const QString start = "====================START====================";
    const QString end = "====================END====================";
    const int start1 = log.indexOf(start);
    const int end1 = log.indexOf(end, start1);
    const int start2 = log.indexOf(start, end1);
    const int end2 = log.indexOf(end, start2);
    QVERIFY(start1 >= 0 && end1 > start1 && start2 > end1 && end2 > start2);
    QCOMPARE(log.count(start), 2);
    QCOMPARE(log.count(end), 2);
}

void TestConverterProcess::logSenderLivesWithTheProgram() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/client/logs", ScriptedReply::envelope(0));
    Installation install(true, service.baseUrl());
    QVERIFY(install.isReady());
    install.setConsent(true, true);
    auto run = install.start();
    QVERIFY(run->waitForStarted());
    QVERIFY(guitest::waitFor([&] { return install.processesOf(install.logSender()).size() == 1; }));
    // Its first upload, right after it started from the program's folder.
    auto logUploads = [&] { return service.requests("/client/logs").size(); };
    QVERIFY(guitest::waitFor([&] { return logUploads() >= 1; }, kGenerousMs));

    // The session ends: the program ends as after a confirmed exit, the sender with it.
    run->terminate();
    QVERIFY(finishes(*run));
    QCOMPARE(run->exitCode(), 0);
    QCOMPARE(install.logCount("====================END===================="), 1);
    QVERIFY(install.processesOf(install.logSender()).isEmpty());
    // Asked to end, the sender uploaded once more.
    QVERIFY(guitest::waitFor([&] { return logUploads() >= 2; }, kGenerousMs));
    QCOMPARE(service.requests("/client/logs").size(),
             service.requests().size() - service.requests("/client/queryVersion").size());

    // A program that is killed takes the sender with it as well.
    auto killed = install.start();
    QVERIFY(killed->waitForStarted());
    QVERIFY(guitest::waitFor([&] { return install.processesOf(install.logSender()).size() == 1; }));
    killed->kill();
    QVERIFY(killed->waitForFinished());
    QVERIFY(guitest::waitFor([&] { return install.processesOf(install.logSender()).isEmpty(); }));
}

// The start-up version check runs beside the window: a service that never answers neither
// holds the start nor the end.
void TestConverterProcess::unansweredVersionCheckDelaysNothing() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/client/queryVersion", ScriptedReply::neverReply());
    Installation install(false, service.baseUrl());
    QVERIFY(install.isReady());
    install.setConsent(true, false);
    auto run = install.start();
    QVERIFY(run->waitForStarted());
    QVERIFY(service.waitForRequests(1, kGenerousMs));
    QCOMPARE(service.lastRequest().path, QByteArray("/client/queryVersion"));
    run->terminate();
    QVERIFY(finishes(*run));
    QCOMPARE(run->exitCode(), 0);
    QCOMPARE(install.logCount("====================END===================="), 1);
}

// Nothing leaves the machine before the user agreed; after it, the version check and the log
// uploads; the switch turned off in the settings ends the log sender before its next upload.
void TestConverterProcess::networkWaitsForConsent() {
    PixvueTestService service;
    QVERIFY(service.start());
    service.setReply("/client/logs", ScriptedReply::envelope(0));
    Installation install(true, service.baseUrl());
    QVERIFY(install.isReady());
    const QStringList fastSender{"ZT_LOGSENDER_INTERVAL_MS=200"};

    auto asking = install.start(QString(), {}, QString(), fastSender);
    QVERIFY(guitest::waitFor(
        [&] { return install.logCount("asking for the network consent") == 1; }, kGenerousMs));
    asking->terminate();
    QVERIFY(finishes(*asking));
    QCOMPARE(service.requestCount(), 0);
    QVERIFY(!install.log().contains("log sender start success"));

    install.setConsent(true, true);
    auto agreed = install.start(QString(), {}, QString(), fastSender);
    QVERIFY(service.waitForRequests(3, kGenerousMs));
    QCOMPARE(service.requests("/client/queryVersion").size(), 1);
    QVERIFY(service.requests("/client/logs").size() >= 2);
    QCOMPARE(install.logCount("asking for the network consent"), 1);

    install.setConsent(true, false);
    QVERIFY(guitest::waitFor([&] { return install.processesOf(install.logSender()).isEmpty(); },
                             kGenerousMs));
    const int uploads = service.requests("/client/logs").size();
    QCOMPARE(agreed->state(), QProcess::Running);
    agreed->terminate();
    QVERIFY(finishes(*agreed));
    QCOMPARE(service.requests("/client/logs").size(), uploads);
    QVERIFY(install.log().contains("log upload is switched off"));
}

// --help and --version answer on the console; without a display the program says so in one
// line and ends with 1, leaving no crash dump and starting no bug reporter.
void TestConverterProcess::consoleAnswersWithoutAWindow() {
    Installation install(false);
    QVERIFY(install.isReady());
    for (const QString argument : {"--help", "--version"}) {
        QProcess run;
        run.start(install.program(), {argument});
        QVERIFY(finishes(run));
        QCOMPARE(run.exitCode(), 0);
        const QString output = QString::fromUtf8(run.readAllStandardOutput());
        QVERIFY2(output.startsWith(argument == "--help" ? "Usage: pixvue" : "pixvue 1."),
                 qPrintable(output));
    }
    QVERIFY(!QFile::exists(install.dataDirectory()));

    QProcess headless;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", install.root() + "/data");
    env.insert("XDG_CONFIG_HOME", install.root() + "/config");
    env.insert("XDG_RUNTIME_DIR", install.root() + "/runtime");
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        env.remove(name);
    }
    headless.setProcessEnvironment(env);
    headless.start(install.program(), QStringList());
    QVERIFY(finishes(headless));
    QCOMPARE(headless.exitCode(), 1);
    const QStringList lines =
        QString::fromUtf8(headless.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains("cannot open a display"), qPrintable(lines.first()));
    QVERIFY(QDir(install.dataDirectory() + "DumpFile").isEmpty());
}

// Until a language is picked, a Chinese desktop gets the Chinese window.
void TestConverterProcess::firstStartFollowsTheDesktopLanguage() {
    for (const QString locale : {"zh_CN.UTF-8", "de_DE.UTF-8"}) {
        Installation install(false);
        QVERIFY(install.isReady());
        install.setConsent(false, false);
        auto run = install.start("0", {}, QString(), {"LC_ALL=" + locale, "LANG=" + locale});
        QVERIFY(finishes(*run));
        QCOMPARE(run->exitCode(), 0);
        QCOMPARE(install.log().contains("language is chinese"), locale.startsWith("zh"));
    }
}

PIXVUE_GUI_TEST_MAIN(TestConverterProcess)
#include "tst_converterprocess.moc"
