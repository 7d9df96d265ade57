#include "pixvuetestservice.h"
#include "programsandbox.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <csignal>

namespace {

// One upload as the service received it: "user&/yyyyMMdd.log&lines".
struct Upload {
    QString user;
    QString fileName;
    QStringList lines;
};

Upload parseUpload(const RecordedRequest& request) {
    const QString payload = request.json().value("logs").toString();
    const int first = payload.indexOf('&');
    const int second = payload.indexOf('&', first + 1);
    Upload upload;
    upload.user = payload.left(first);
    upload.fileName = payload.mid(first + 1, second - first - 1);
    upload.lines = payload.mid(second + 1).split('\n');
    if (upload.lines.last().isEmpty()) {
        upload.lines.removeLast();
    }
    return upload;
}

QList<Upload> uploads(const PixvueTestService& service) {
    QList<Upload> result;
    for (const RecordedRequest& request : service.requests("/client/logs")) {
        result << parseUpload(request);
    }
    return result;
}

QStringList allLines(const QList<Upload>& list) {
    QStringList lines;
    for (const Upload& upload : list) {
        lines << upload.lines;
    }
    return lines;
}

// The complete lines of a file (the last one only when it ends with a line end).
QStringList completeLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    lines.removeLast();
    return lines;
}

QStringList nonEmpty(const QStringList& lines) {
    QStringList result;
    for (const QString& line : lines) {
        if (!line.isEmpty()) {
            result << line;
        }
    }
    return result;
}

void appendLines(const QString& path, const QString& prefix, int first, int count) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QByteArray text;
    for (int i = first; i < first + count; ++i) {
        text += QString("%1 %2 some text of a log line\n").arg(prefix).arg(i).toUtf8();
    }
    file.write(text);
}

}  // namespace

class TestLogSender : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void drainsBacklogInBatches();
    void startsTodayAfterYesterday();
    void resendsWhatWasNotAcknowledged();
    void followsAGrowingFile();
    void missingLogFileSendsNothing();
    void exitSignalWakesForALastUpload();
    void uploadsOnlyWhileAllowedWithHomeAsTilde();

private:
    void startSender(int intervalMs);
    void stopSender(int signalNumber = SIGTERM);
    QString progressValue(const QString& key) const;
    void writeProgress(const QString& path, const QString& line);

    std::unique_ptr<PixvueTestService> m_service;
    std::unique_ptr<ProgramSandbox> m_sandbox;
    std::unique_ptr<QProcess> m_process;
};

void TestLogSender::init() {
    m_service = std::make_unique<PixvueTestService>();
    QVERIFY(m_service->start());
    m_service->setReply("/client/logs", ScriptedReply::envelope(0));
    m_sandbox = std::make_unique<ProgramSandbox>("ZtLogSender_HC");
    QVERIFY(m_sandbox->isValid());
    m_sandbox->writeUrlFile(m_service->baseUrl());
    m_process = std::make_unique<QProcess>();
}

void TestLogSender::cleanup() {
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished();
    }
}

void TestLogSender::startSender(int intervalMs) {
    QStringList environment;
    if (intervalMs > 0) {
        environment << QString("ZT_LOGSENDER_INTERVAL_MS=%1").arg(intervalMs);
    }
    // The sender echoes each payload on its error output; nobody reads it here.
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_sandbox->start(*m_process, {}, environment);
    QVERIFY(m_process->waitForStarted());
}

void TestLogSender::stopSender(int signalNumber) {
    ::kill(static_cast<pid_t>(m_process->processId()), signalNumber);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);
}

QString TestLogSender::progressValue(const QString& key) const {
    return QSettings(m_sandbox->dataDirectory() + "logTmp.ini", QSettings::IniFormat)
        .value(key)
        .toString();
}

void TestLogSender::writeProgress(const QString& path, const QString& line) {
    QSettings progress(m_sandbox->dataDirectory() + "logTmp.ini", QSettings::IniFormat);
    progress.setValue("Info/Path", path);
    progress.setValue("Info/Line", line);
}

void TestLogSender::drainsBacklogInBatches() {
    appendLines(m_sandbox->todayLogPath(), "backlog", 1, 25000);
    startSender(500);
    QVERIFY(m_service->waitForRequests(3, 20000));
    stopSender();

    const QList<Upload> sent = uploads(*m_service);
    QVERIFY(sent.size() >= 4);  // three batches, then the last upload on exit
    QCOMPARE(sent.at(0).lines.size(), 10000);
    QCOMPARE(sent.at(0).lines.first(), QString("backlog 1 some text of a log line"));
    QCOMPARE(sent.at(1).lines.first(), QString("backlog 10001 some text of a log line"));
    QCOMPARE(sent.at(1).lines.size(), 10000);
    QCOMPARE(sent.at(2).lines.first(), QString("backlog 20001 some text of a log line"));
    QVERIFY(sent.at(2).lines.contains("backlog 25000 some text of a log line"));
    QCOMPARE(sent.at(0).fileName, "/" + QDate::currentDate().toString("yyyyMMdd") + ".log");

    // The sender logs into the file it follows: everything up to its last upload arrived once.
    const QStringList received = allLines(sent);
    const QStringList file = nonEmpty(completeLines(m_sandbox->todayLogPath()));
    QCOMPARE(file.mid(0, received.size()), received);
    QCOMPARE(progressValue("Info/Line").toLongLong(), received.size());
    QVERIFY(progressValue("Info/Path").endsWith(sent.at(0).fileName));
}

void TestLogSender::startsTodayAfterYesterday() {
    const QString yesterday = m_sandbox->dataDirectory() + "/Trace/" +
                              QDate::currentDate().addDays(-1).toString("yyyyMMdd") + ".log";
    appendLines(yesterday, "old", 1, 30);
    writeProgress(yesterday, "10");
    appendLines(m_sandbox->todayLogPath(), "today", 1, 5);
    startSender(60000);
    QVERIFY(m_service->waitForRequests(1, 15000));
    stopSender();

    const Upload first = uploads(*m_service).first();
    QCOMPARE(first.lines.mid(0, 5),
             QStringList({"today 1 some text of a log line", "today 2 some text of a log line",
                          "today 3 some text of a log line", "today 4 some text of a log line",
                          "today 5 some text of a log line"}));
    QVERIFY(!allLines(uploads(*m_service)).join('\n').contains("old "));
    QVERIFY(progressValue("Info/Path").endsWith(first.fileName));
}

void TestLogSender::resendsWhatWasNotAcknowledged() {
    // A count that is no number starts from line 0; a failed upload is sent again.
    appendLines(m_sandbox->todayLogPath(), "line", 1, 10);
    writeProgress(
        m_sandbox->dataDirectory() + "/Trace/" + QDate::currentDate().toString("yyyyMMdd") + ".log",
        "many");
    m_service->queueReply("/client/logs", ScriptedReply::httpError(500));
    m_service->queueReply("/client/logs", ScriptedReply::envelope(3, "busy"));
    startSender(300);
    QVERIFY(m_service->waitForRequests(3, 15000));
    stopSender();

    const QList<Upload> sent = uploads(*m_service);
    const QStringList firstTen = sent.at(0).lines.mid(0, 10);
    QCOMPARE(firstTen.first(), QString("line 1 some text of a log line"));
    QCOMPARE(firstTen.size(), 10);
    QCOMPARE(sent.at(1).lines.mid(0, 10), firstTen);
    QCOMPARE(sent.at(2).lines.mid(0, 10), firstTen);
    QVERIFY(sent.at(3).lines.isEmpty() || !sent.at(3).lines.contains(firstTen.first()));
    QVERIFY(progressValue("Info/Line").toLongLong() >= 10);
}

void TestLogSender::followsAGrowingFile() {
    // Lines arrive in two writes and with empty lines between them while the sender runs.
    const QString path = m_sandbox->todayLogPath();
    startSender(150);
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append | QIODevice::Unbuffered));
    for (int i = 1; i <= 60; ++i) {
        file.write(QString("grow %1 first half").arg(i).toUtf8());
        QTest::qWait(25);
        file.write(i % 7 == 0 ? " second half\n\n\n" : " second half\n");
    }
    file.close();
    const int before = m_service->requestCount();
    QVERIFY(m_service->waitForRequests(before + 2, 10000));
    stopSender(SIGHUP);

    const QStringList received = allLines(uploads(*m_service));
    const QStringList all = completeLines(path);
    const QStringList written = nonEmpty(all);
    QCOMPARE(written.mid(0, received.size()), received);
    // The sender's own lines may land inside a half-written one; each half still arrives once.
    const QString text = received.join('\n');
    for (int i = 1; i <= 60; ++i) {
        QCOMPARE(text.count(QString("grow %1 first half").arg(i)), 1);
    }
    QCOMPARE(text.count(" second half"), 60);
    // The saved count covers every line read, empty ones included.
    qint64 consumed = 0;
    for (int taken = 0; taken < received.size(); ++consumed) {
        taken += all.at(static_cast<int>(consumed)).isEmpty() ? 0 : 1;
    }
    while (consumed < all.size() && all.at(static_cast<int>(consumed)).isEmpty()) {
        ++consumed;
    }
    QCOMPARE(progressValue("Info/Line").toLongLong(), consumed);
}

void TestLogSender::missingLogFileSendsNothing() {
    startSender(200);
    QVERIFY(m_service->waitForRequests(1, 15000));
    // The sender keeps writing into the removed file through its open descriptor.
    QVERIFY(QFile::remove(m_sandbox->todayLogPath()));
    QTest::qWait(300);
    m_service->clearRequests();
    QTest::qWait(1000);
    QCOMPARE(m_service->requestCount(), 0);

    QString ownLog;
    const QString fdDir = QString("/proc/%1/fd").arg(m_process->processId());
    for (const QFileInfo& fd : QDir(fdDir).entryInfoList(QDir::System | QDir::Files)) {
        if (fd.symLinkTarget().contains(".log")) {
            QFile removed(fd.filePath());
            if (removed.open(QIODevice::ReadOnly)) {
                ownLog += QString::fromUtf8(removed.readAll());
            }
        }
    }
    QVERIFY2(ownLog.contains("log file is not exist!"), qPrintable(ownLog.right(2000)));
    stopSender();
    QCOMPARE(m_service->requestCount(), 0);
}

void TestLogSender::exitSignalWakesForALastUpload() {
    appendLines(m_sandbox->todayLogPath(), "line", 1, 3);
    startSender(0);  // the real minute
    QVERIFY(m_service->waitForRequests(1, 15000));
    stopSender(SIGTERM);  // well within the minute the sender would otherwise sleep
    QCOMPARE(m_service->requestCount(), 2);
    const QList<Upload> sent = uploads(*m_service);
    QVERIFY(!sent.at(1).lines.join('\n').contains("line 1 "));
    QVERIFY(sent.at(1).lines.join('\n').contains("log sender thread exit"));
}

void TestLogSender::uploadsOnlyWhileAllowedWithHomeAsTilde() {
    const QString home = QDir::homePath();
    appendLines(m_sandbox->todayLogPath(), "open files: " + home + "/Pictures/a.heic", 1, 1);
    appendLines(m_sandbox->todayLogPath(), "open files: " + home + "2/b.heic", 1, 1);

    // Not allowed: the sender ends at once and sends nothing.
    m_sandbox->writeLogUploadConsent(false);
    startSender(100);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(m_service->requestCount(), 0);

    m_sandbox->writeLogUploadConsent(true);
    startSender(100);
    QVERIFY(m_service->waitForRequests(1, 15000));
    const QString text = allLines(uploads(*m_service)).join('\n');
    QVERIFY2(text.contains("open files: ~/Pictures/a.heic 1 "), qPrintable(text));
    QVERIFY(!text.contains(home + "/"));
    QVERIFY(text.contains("open files: " + home + "2/b.heic 1 "));

    // Switched off while it runs: it ends by itself before its next upload.
    m_sandbox->writeLogUploadConsent(false);
    QVERIFY(m_process->waitForFinished(15000));
    QCOMPARE(m_process->exitCode(), 0);
    QFile log(m_sandbox->todayLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll().count("log upload is switched off"), 4);
}

QTEST_GUILESS_MAIN(TestLogSender)
#include "tst_logsender.moc"
