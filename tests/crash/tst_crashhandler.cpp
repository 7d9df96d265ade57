// The crash handler in a real dying process: pixvue-crashtest, copied into a temporary bin
// folder, crashes with its data directory in a temporary XDG_DATA_HOME; a stand-in QFaultPost
// beside it records how it was started.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <csignal>

namespace {

const char kZone[] = "Asia/Shanghai";  // no daylight saving time: one offset all year
constexpr int kGuardMs = 60000;

// The stand-in records its arguments, its blocked signals and whether descriptor 42 came
// along, then renames the record into place, so that a reader never sees half of it.
const char kStandIn[] = R"(#!/bin/sh
# Builtins only up to here: the shell itself blocks signals while it starts a command.
while read -r key value; do
  if [ "$key" = "SigBlk:" ]; then blocked=$value; fi
done < /proc/$$/status
if [ -e /proc/$$/fd/42 ]; then fd42=open; else fd42=closed; fi
dir=$(dirname "$0")
{
  echo "$#"
  for a in "$@"; do echo "$a"; done
  echo "SigBlk: $blocked"
  echo "fd42=$fd42"
} > "$dir/.record.$$"
mv "$dir/.record.$$" "$dir/started.$$"
)";

struct CrashRun {
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1;
    QDateTime before;
    QDateTime after;
};

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class CrashSandbox {
public:
    explicit CrashSandbox(bool withStandIn) {
        m_program = m_bin.path() + "/pixvue-crashtest";
        m_ok = QFile::copy(qEnvironmentVariable("PIXVUE_CRASHTEST"), m_program) &&
               QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner);
        if (withStandIn) {
            QFile standIn(reporterPath());
            m_ok = m_ok && standIn.open(QIODevice::WriteOnly) && standIn.write(kStandIn) > 0;
            standIn.close();
            m_ok =
                m_ok && QFile::setPermissions(
                            reporterPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    bool isValid() const { return m_ok && m_bin.isValid() && m_data.isValid(); }
    QString binDir() const { return m_bin.path(); }
    QString program() const { return m_program; }
    QString reporterPath() const { return m_bin.path() + "/QFaultPost"; }
    QString dataDir() const { return m_data.path() + "/zentar/Pixvue/"; }
    QString dumpDir() const { return dataDir() + "DumpFile/"; }

    CrashRun run(const QString& mode) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", m_data.path());
        env.insert("TZ", kZone);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        CrashRun run;
        run.before = QDateTime::currentDateTime();
        process.start(m_program, {mode});
        process.waitForFinished(kGuardMs);
        run.after = QDateTime::currentDateTime();
        run.exitStatus = process.exitStatus();
        run.exitCode = process.exitCode();
        return run;
    }

    QStringList dumps() const {
        return QDir(dumpDir()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QStringList records() const { return QDir(binDir()).entryList({"started.*"}, QDir::Files); }

    // All lines of the day's logs.
    QStringList logLines() const {
        QStringList lines;
        const QDir trace(dataDir() + "Trace");
        for (const QString& name : trace.entryList({"*.log"}, QDir::Files, QDir::Name)) {
            lines << readText(trace.filePath(name)).split('\n', Qt::SkipEmptyParts);
        }
        return lines;
    }

private:
    QTemporaryDir m_bin;
    QTemporaryDir m_data;
    QString m_program;
    bool m_ok = false;
};

// "  #03 0x00007f... /path/module +0x1a2b (symbol+0x12)" -> (module, offset)
QList<QPair<QString, QString>> backtraceFrames(const QString& report) {
    static const QRegularExpression frame(R"(^  #\d+ 0x[0-9a-f]+ (\S+) \+(0x[0-9a-f]+))",
                                          QRegularExpression::MultilineOption);
    QList<QPair<QString, QString>> frames;
    auto it = frame.globalMatch(report);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        frames.append({match.captured(1), match.captured(2)});
    }
    return frames;
}

// addr2line on every frame of the program itself: "function\nfile:line" per frame.
QString resolveProgramFrames(const QString& report, const QString& program) {
    QStringList offsets;
    for (const auto& frame : backtraceFrames(report)) {
        if (frame.first == program) {
            offsets << frame.second;
        }
    }
    if (offsets.isEmpty()) {
        return QString();
    }
    QProcess addr2line;
    addr2line.start("addr2line", QStringList{"-f", "-C", "-e", program} + offsets);
    addr2line.waitForFinished(kGuardMs);
    return QString::fromUtf8(addr2line.readAllStandardOutput());
}

}  // namespace

class TestCrashHandler : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fatalSignalWritesDumpLogsAndStartsReporterOnce_data();
    void fatalSignalWritesDumpLogsAndStartsReporterOnce();
    void withoutReporterDumpAndLogLinesRemain();
    void dumpThatCannotBeCreatedSkipsReporter();
    void stackOverflowAndWorkerThreadAreReported();
    void interruptIsNotCaught();

private:
    void verifyDump(const CrashSandbox& sandbox, const CrashRun& run, int signal,
                    const QString& function, QString* dumpName);
    void verifyLogLines(const CrashSandbox& sandbox, bool withStartLine);
};

void TestCrashHandler::initTestCase() {
    QVERIFY2(QFile::exists(qEnvironmentVariable("PIXVUE_CRASHTEST")),
             "PIXVUE_CRASHTEST must name the pixvue-crashtest program");
    QVERIFY2(QTimeZone(kZone).isValid(), "the tzdata package is needed");
}

void TestCrashHandler::verifyDump(const CrashSandbox& sandbox, const CrashRun& run, int signal,
                                  const QString& function, QString* dumpName) {
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 128 + signal);

    const QStringList dumps = sandbox.dumps();
    QCOMPARE(dumps.size(), 1);
    const QRegularExpressionMatch name =
        QRegularExpression(R"(^zentarHeic_(\d{14})\.dmp$)").match(dumps.first());
    QVERIFY2(name.hasMatch(), qPrintable(dumps.first()));
    const QString zone = QTimeZone(kZone).id();
    const QString earliest = run.before.toTimeZone(QTimeZone(kZone)).toString("yyyyMMddhhmmss");
    const QString latest = run.after.toTimeZone(QTimeZone(kZone)).toString("yyyyMMddhhmmss");
    QVERIFY2(name.captured(1) >= earliest && name.captured(1) <= latest,
             qPrintable(name.captured(1) + " not within " + earliest + ".." + latest + " " + zone));
    *dumpName = dumps.first();

    const QString report = readText(sandbox.dumpDir() + dumps.first());
    QVERIFY(report.startsWith("Pixvue crash report\n"));
    QVERIFY(report.contains("program: " + sandbox.program() + "\n"));
    QVERIFY2(report.contains(QStringLiteral("signal: %1 (").arg(signal)), qPrintable(report));
    QVERIFY(report.contains(QRegularExpression(R"(\nthread: \d+ \()")));
    QVERIFY(report.contains(QRegularExpression(R"(\n  rip +0x[0-9a-f]{16})")));
    QVERIFY(report.contains("\nmemory map:\n"));
    QVERIFY(report.contains(sandbox.program() + "\n"));  // the program's own mapping
    QVERIFY(report.endsWith("end of report\n"));

    const QString resolved = resolveProgramFrames(report, sandbox.program());
    QVERIFY2(resolved.contains(function), qPrintable(report.left(4000) + "\n--\n" + resolved));
    QVERIFY2(resolved.contains(QRegularExpression(R"(crashtest\.cpp:[1-9]\d*)")),
             qPrintable(resolved));
}

void TestCrashHandler::verifyLogLines(const CrashSandbox& sandbox, bool withStartLine) {
    const QStringList lines = sandbox.logLines();
    static const QRegularExpression handlerLine(
        R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}\]\[INFO\]-->\[ApplicationCrashHandler,\d+\] (.*)$)");
    QStringList messages;
    int testLine = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains("crash test: ")) {
            testLine = i;
        }
        const QRegularExpressionMatch match = handlerLine.match(lines[i]);
        if (match.hasMatch()) {
            QVERIFY2(testLine >= 0 && i > testLine, qPrintable(lines.join('\n')));
            messages << match.captured(1);
        }
    }
    QStringList expected{sandbox.dumpDir()};
    if (withStartLine) {
        expected << "start FaultPost file :" + sandbox.reporterPath();
    }
    QCOMPARE(messages, expected);
}

void TestCrashHandler::fatalSignalWritesDumpLogsAndStartsReporterOnce_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("code");
    QTest::newRow("null pointer") << "null" << SIGSEGV << "crashByNullPointer"
                                  << "code: 1 (SEGV_MAPERR";
    QTest::newRow("division by zero") << "divzero" << SIGFPE << "crashByDivisionByZero"
                                      << "code: 1 (FPE_INTDIV";
    QTest::newRow("abort") << "abort" << SIGABRT << "crashByAbort"
                           << "(SI_TKILL";
}

void TestCrashHandler::fatalSignalWritesDumpLogsAndStartsReporterOnce() {
    QFETCH(QString, mode);
    QFETCH(int, signal);
    QFETCH(QString, function);
    QFETCH(QString, code);
    CrashSandbox sandbox(true);
    QVERIFY(sandbox.isValid());
    QVERIFY(!QFileInfo::exists(sandbox.dumpDir()));

    const CrashRun run = sandbox.run(mode);
    QString dumpName;
    verifyDump(sandbox, run, signal, function, &dumpName);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY(readText(sandbox.dumpDir() + dumpName).contains(code));
    if (signal == SIGSEGV) {
        QVERIFY(
            readText(sandbox.dumpDir() + dumpName).contains("fault address: 0x0000000000000000\n"));
    }
    verifyLogLines(sandbox, true);

    QVERIFY(QTest::qWaitFor([&] { return !sandbox.records().isEmpty(); }, kGuardMs));
    QCOMPARE(sandbox.records().size(), 1);
    const QStringList record =
        readText(sandbox.binDir() + "/" + sandbox.records().first()).split('\n');
    QCOMPARE(record.mid(0, 3), (QStringList{"2", sandbox.reporterPath(), dumpName}));
    QVERIFY2(record.value(3).endsWith("0000000000000000"), qPrintable(record.value(3)));
    QCOMPARE(record.value(4), QString("fd42=closed"));
}

void TestCrashHandler::withoutReporterDumpAndLogLinesRemain() {
    CrashSandbox sandbox(false);
    QVERIFY(sandbox.isValid());
    const CrashRun run = sandbox.run("null");
    QString dumpName;
    verifyDump(sandbox, run, SIGSEGV, "crashByNullPointer", &dumpName);
    verifyLogLines(sandbox, true);
}

void TestCrashHandler::dumpThatCannotBeCreatedSkipsReporter() {
    CrashSandbox sandbox(true);
    QVERIFY(sandbox.isValid());
    // A file where the dump folder belongs: the dump cannot be created, as on a full disk.
    QVERIFY(QDir().mkpath(sandbox.dataDir()));
    QFile blocker(sandbox.dataDir() + "DumpFile");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const CrashRun run = sandbox.run("null");
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 128 + SIGSEGV);
    QVERIFY(QFileInfo(sandbox.dataDir() + "DumpFile").isFile());
    // The reporter is started only after the second line, which is missing.
    verifyLogLines(sandbox, false);
    QVERIFY(sandbox.records().isEmpty());
}

void TestCrashHandler::stackOverflowAndWorkerThreadAreReported() {
    {
        CrashSandbox sandbox(false);
        QVERIFY(sandbox.isValid());
        const CrashRun run = sandbox.run("overflow");
        QString dumpName;
        verifyDump(sandbox, run, SIGSEGV, "crashByStackOverflow", &dumpName);
    }
    {
        CrashSandbox sandbox(false);
        QVERIFY(sandbox.isValid());
        const CrashRun run = sandbox.run("thread");
        QString dumpName;
        verifyDump(sandbox, run, SIGSEGV, "crashByNullPointer", &dumpName);
        const QString report = readText(sandbox.dumpDir() + dumpName);
        const QString pid = QRegularExpression(R"(\nprocess: (\d+)\n)").match(report).captured(1);
        const QString tid = QRegularExpression(R"(\nthread: (\d+) )").match(report).captured(1);
        QVERIFY(!pid.isEmpty() && !tid.isEmpty());
        QVERIFY2(pid != tid, "the report names the faulting worker thread");
    }
}

void TestCrashHandler::interruptIsNotCaught() {
    CrashSandbox sandbox(true);
    QVERIFY(sandbox.isValid());
    const CrashRun run = sandbox.run("sigint");
    QCOMPARE(run.exitStatus, QProcess::CrashExit);
    QVERIFY(!QFileInfo::exists(sandbox.dumpDir()));
    const QStringList lines = sandbox.logLines();
    QVERIFY(!lines.isEmpty());
    QVERIFY(!lines.join('\n').contains("ApplicationCrashHandler"));
}

QTEST_GUILESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
