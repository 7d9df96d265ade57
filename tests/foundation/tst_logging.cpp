#include "ztexitsignals.h"
#include "ztfuncname.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QRegularExpression kLinePattern(
    R"(^\[(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2},\d{3})\]\[INFO\]-->\[([^,\]]+),(\d+)\] (.*)$)");

struct LogLine {
    QString function;
    QString message;
};

}  // namespace

class TestLogging : public QObject {
    Q_OBJECT

private slots:
    void shortFunctionName_data();
    void shortFunctionName();
    void modulesShareOneDailyFile();
    void programPastMidnightMovesToNewFile();
    void linesReachTheFileBeforeACrash();
    void exitSignalsArriveAndCloseTheirPipe();

private:
    QProcess* startProbe(const QString& dataHome, const QStringList& arguments,
                         const QStringList& wrapper = {});
    QStringList traceFiles(const QString& dataHome) const;
    QList<LogLine> parseFile(const QString& path) const;
};

void TestLogging::shortFunctionName_data() {
    QTest::addColumn<QString>("pretty");
    QTest::addColumn<QString>("expected");
    QTest::newRow("member") << "void ZtConfig::setPicSize(const QString&)"
                            << "ZtConfig::setPicSize";
    QTest::newRow("constructor") << "ZtConfig::ZtConfig()"
                                 << "ZtConfig::ZtConfig";
    QTest::newRow("main") << "int main(int, char**)"
                          << "main";
    QTest::newRow("const member") << "bool ZtHeicAPI::isReady() const"
                                  << "ZtHeicAPI::isReady";
    QTest::newRow("namespaced") << "void ztlog::{anonymous}::Rollover::handle(const Data*)"
                                << "ztlog::Rollover::handle";
    QTest::newRow("template return")
        << "QList<QString> QProcessThread::paths(std::map<int, long int>)"
        << "QProcessThread::paths";
    QTest::newRow("lambda") << "QOperatePage::start()::<lambda()>"
                            << "QOperatePage::start";
    QTest::newRow("pointer return") << "static ZtConfig* ZtConfig::NewInstance()"
                                    << "ZtConfig::NewInstance";
    QTest::newRow("operator") << "bool Foo::operator()(int)"
                              << "Foo::operator()";
}

void TestLogging::shortFunctionName() {
    QFETCH(QString, pretty);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(ztlog::shortFunctionName(pretty.toUtf8().constData())),
             expected);
}

QProcess* TestLogging::startProbe(const QString& dataHome, const QStringList& arguments,
                                  const QStringList& wrapper) {
    auto* process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    // faketime preloads itself ahead of a sanitizer runtime.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    if (wrapper.isEmpty()) {
        process->start(LOGPROBE_PATH, arguments);
    } else {
        process->start(wrapper.first(), wrapper.mid(1) + QStringList{LOGPROBE_PATH} + arguments);
    }
    return process;
}

QStringList TestLogging::traceFiles(const QString& dataHome) const {
    QDir trace(dataHome + "/zentar/Pixvue/Trace");
    QStringList files;
    for (const QString& name : trace.entryList({"*.log"}, QDir::Files, QDir::Name)) {
        files << trace.filePath(name);
    }
    return files;
}

QList<LogLine> TestLogging::parseFile(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<LogLine> lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        if (raw.isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch match = kLinePattern.match(QString::fromUtf8(raw));
        if (!match.hasMatch()) {
            qWarning() << "malformed line:" << raw;
            return {};
        }
        lines.append({match.captured(2), match.captured(4)});
    }
    return lines;
}

void TestLogging::modulesShareOneDailyFile() {
    QTemporaryDir home;
    const int count = 400;
    QProcess* probe = startProbe(home.path(), {"lines", QString::number(count)});
    QVERIFY(probe->waitForFinished(60000));
    QCOMPARE(probe->exitCode(), 0);

    const QStringList files = traceFiles(home.path());
    QCOMPARE(files.size(), 1);
    QCOMPARE(QFileInfo(files.first()).fileName(),
             QDate::currentDate().toString("yyyyMMdd") + ".log");

    // Every line is whole and well-formed; each module's lines arrive complete and in order.
    const QList<LogLine> lines = parseFile(files.first());
    QMap<QString, int> nextIndex;
    QMap<QString, QString> functionOfTag;
    for (const LogLine& line : lines) {
        const QStringList words = line.message.split(' ');
        QCOMPARE(words.size(), 2);
        const QString& tag = words.at(0);
        QCOMPARE(words.at(1).toInt(), nextIndex.value(tag));
        nextIndex[tag] += 1;
        functionOfTag[tag] = line.function;
    }
    for (const char* tag : {"exe", "libA", "libB", "threadA", "threadB"}) {
        QCOMPARE(nextIndex.value(tag), count);
    }
    QCOMPARE(functionOfTag.value("exe"), QString("main"));
    QCOMPARE(functionOfTag.value("libA"), QString("ZtLogProbeA::write"));
    QCOMPARE(functionOfTag.value("threadB"), QString("ZtLogProbeB::write"));
}

void TestLogging::programPastMidnightMovesToNewFile() {
    if (QStandardPaths::findExecutable("faketime").isEmpty()) {
        QSKIP("faketime is not installed");
    }
    QTemporaryDir home;
    const QDate today = QDate::currentDate();
    const QString start = today.toString("yyyy-MM-dd") + " 23:59:58";
    QProcess* probe = startProbe(home.path(), {"rollover", "4"}, {"faketime", "-f", "@" + start});
    QVERIFY(probe->waitForFinished(60000));
    QCOMPARE(probe->exitCode(), 0);

    const QStringList files = traceFiles(home.path());
    QCOMPARE(files.size(), 2);
    QCOMPARE(QFileInfo(files.at(0)).fileName(), today.toString("yyyyMMdd") + ".log");
    QCOMPARE(QFileInfo(files.at(1)).fileName(), today.addDays(1).toString("yyyyMMdd") + ".log");
    const QList<LogLine> before = parseFile(files.at(0));
    const QList<LogLine> after = parseFile(files.at(1));
    QCOMPARE(before.size(), 1);
    QCOMPARE(before.first().message, QString("before midnight"));
    QCOMPARE(after.size(), 1);
    QCOMPARE(after.first().message, QString("after midnight"));
}

// A crash handler and the log sender read the file while the program runs: every line is in it
// as soon as it is logged.
void TestLogging::linesReachTheFileBeforeACrash() {
    QTemporaryDir home;
    QProcess* probe = startProbe(home.path(), {"vanish", "3"});
    QVERIFY(probe->waitForFinished(60000));
    QCOMPARE(probe->exitCode(), 3);
    const QStringList files = traceFiles(home.path());
    QCOMPARE(files.size(), 1);
    QCOMPARE(parseFile(files.first()).size(), 3);
}
namespace {

int openDescriptorCount() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
        .size();
}

}  // namespace

// SIGTERM and SIGHUP reach the event loop as a signal and a flag; SIGINT does when asked for;
// nothing stays open or installed afterwards.
void TestLogging::exitSignalsArriveAndCloseTheirPipe() {
    const int descriptorsBefore = openDescriptorCount();
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        ZtExitSignals exitSignals(nullptr, ZtExitSignals::Interrupt::StopThenExit);
        QSignalSpy spy(&exitSignals, &ZtExitSignals::signalExitRequested);
        QVERIFY(!ZtExitSignals::exitRequested());
        QCOMPARE(::raise(signalNumber), 0);
        QVERIFY(ZtExitSignals::exitRequested());
        QVERIFY(spy.wait(60000));
    }
    QCOMPARE(openDescriptorCount(), descriptorsBefore);
    struct sigaction current {};
    sigaction(SIGTERM, nullptr, &current);
    QVERIFY(current.sa_handler == SIG_DFL);
    sigaction(SIGINT, nullptr, &current);
    QVERIFY(current.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
