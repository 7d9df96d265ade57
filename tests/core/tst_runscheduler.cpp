// The run scheduler on real files in real folders, without widgets: small JPEGs named .heic
// (the engine converts any picture it reads) and files that are no picture at all.
#include "core/ztrunscheduler.h"
#include "testpictures.h"
#include "ztlogsetup.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <mutex>

using testpictures::makeBroken;
using testpictures::makePicture;

class TestRunScheduler : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void parallelRunReportsEachFileOnceWithItsOutcome();
    void stopLeavesTheRestUnstarted();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_dir;
};

void TestRunScheduler::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    ztlog::setUpLogging();
}

void TestRunScheduler::parallelRunReportsEachFileOnceWithItsOutcome() {
    const QString out = m_dir.filePath("out") + "/";
    QDir().mkpath(out);
    QVector<ZtRunScheduler::Job> jobs;
    for (int i = 0; i < 8; ++i) {
        jobs.append({makePicture(m_dir.path(), QString("in/p%1.heic").arg(i)), out});
    }
    jobs.append({makeBroken(m_dir.path(), "in/broken.heic"), out});
    jobs.append({m_dir.filePath("in/missing.heic"), out});
    jobs.append({makePicture(m_dir.path(), "a/same.heic"), out});
    jobs.append({makePicture(m_dir.path(), "b/same.heic"), out});
    // An output folder that cannot be made: the file fails with that reason.
    jobs.append({makePicture(m_dir.path(), "in/blocked.heic"),
                 makeBroken(m_dir.path(), "not-a-folder") + "/"});

    ZtRunScheduler scheduler(jobs, {ZtHeicAPI::Settings(), 3});
    std::atomic<int> started{0};
    QVector<ZtRunScheduler::Outcome> outcomes;  // in the order of the counts
    scheduler.setStartHook([&](int) { ++started; });
    scheduler.setEndHook([&](const ZtRunScheduler::Outcome& outcome) { outcomes.append(outcome); });
    scheduler.run();

    QCOMPARE(started.load(), jobs.size());
    QCOMPARE(scheduler.handled(), jobs.size());
    QCOMPARE(scheduler.succeeded(), 10);
    QCOMPARE(scheduler.failed(), 3);
    QSet<int> seen;
    QStringList written;
    for (const ZtRunScheduler::Outcome& outcome : outcomes) {
        QVERIFY(!seen.contains(outcome.index));
        seen.insert(outcome.index);
        QCOMPARE(outcome.path, jobs.at(outcome.index).path);
        QCOMPARE(outcome.converted, outcome.failure == ZtHeicAPI::Failure::None);
        QCOMPARE(outcome.outputs.size(), outcome.converted ? 1 : 0);
        for (const QString& output : outcome.outputs) {
            QVERIFY2(QFileInfo(output).isFile(), qPrintable(output));
            written << QFileInfo(output).fileName();
        }
    }
    QCOMPARE(seen.size(), jobs.size());
    const auto failureOf = [&](int index) {
        for (const ZtRunScheduler::Outcome& outcome : outcomes) {
            if (outcome.index == index) {
                return outcome.failure;
            }
        }
        return ZtHeicAPI::Failure::None;
    };
    QCOMPARE(failureOf(8), ZtHeicAPI::Failure::NotAPicture);
    QCOMPARE(failureOf(9), ZtHeicAPI::Failure::Unreadable);
    QCOMPARE(failureOf(12), ZtHeicAPI::Failure::OutputNotWritable);
    // The same name from two folders: two outputs, neither overwritten.
    QVERIFY(written.contains("same.jpg") && written.contains("same_1.jpg"));
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), 10);
}

void TestRunScheduler::stopLeavesTheRestUnstarted() {
    const QString out = m_dir.filePath("stopped") + "/";
    QDir().mkpath(out);
    QVector<ZtRunScheduler::Job> jobs;
    for (int i = 0; i < 6; ++i) {
        jobs.append({makePicture(m_dir.path(), QString("in/s%1.heic").arg(i)), out});
    }
    ZtRunScheduler scheduler(jobs, {ZtHeicAPI::Settings(), 1});
    QList<int> started;
    scheduler.setStartHook([&](int index) {
        started << index;
        if (index == 2) {
            scheduler.stop();  // the file in hand still ends
        }
    });
    scheduler.run();
    QVERIFY(scheduler.stopRequested());
    QCOMPARE(started, QList<int>({0, 1, 2}));
    QCOMPARE(scheduler.handled(), 3);
    QCOMPARE(scheduler.succeeded(), 3);
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"s0.jpg", "s1.jpg", "s2.jpg"}));

    // Stopped before it runs: nothing starts.
    ZtRunScheduler early(jobs, {ZtHeicAPI::Settings(), 3});
    early.stop();
    early.run();
    QCOMPARE(early.handled(), 0);
}

QTEST_GUILESS_MAIN(TestRunScheduler)
#include "tst_runscheduler.moc"
