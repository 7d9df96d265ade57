// The convert worker and its progress dialog on real files in real folders. The pictures are
// small JPEGs named .heic, which the engine converts like any picture, so that many files go
// through quickly; the HEIC samples are the end-to-end tests' part.
#include "app/pixvuestartup.h"
#include "dialogs/dialogframe.h"
#include "dialogs/qconvertimagedlg.h"
#include "filelisttestsupport.h"
#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "testpictures.h"
#include "workers/qconvertheicthread.h"
#include "ztconfig.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QImageReader>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTranslator>

#include <atomic>
#include <memory>
#include <mutex>

using testpictures::makeBroken;
using testpictures::makePicture;

namespace {

// A model of the files, one row each, as the add worker lists them.
QSharedPointer<QHeicModel> modelOf(const QStringList& paths) {
    auto model = QSharedPointer<QHeicModel>::create(6);
    QList<ModelDataBase*> records;
    for (const QString& path : paths) {
        auto* record = new HeicModelData;
        record->strFilePath = path;
        record->strFileName = QFileInfo(path).fileName();
        records.append(record);
    }
    model->addModelData(records);
    return model;
}

QVariant allRows(const QHeicModel& model) {
    QModelIndexList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.index(row, 0);
    }
    return QVariant::fromValue(rows);
}

QList<int> states(const QHeicModel& model) {
    QList<int> list;
    for (int row = 0; row < model.rowCount(); ++row) {
        list << model.heicData(row)->nConvertState;
    }
    return list;
}

QStringList outputs(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Hears the worker on the GUI thread, as the dialog does (queued).
class Recorder : public QObject {
    Q_OBJECT

public:
    QList<QPair<int, int>> progress;
    QList<int> finished;  // success, fail, total
    QList<QList<int>> statesAtProgress;
    const QHeicModel* model = nullptr;

    void listen(QConvertHeicThread& worker) {
        connect(&worker, &QConvertHeicThread::signalConvertNum, this, [this](int n, int total) {
            progress.append({n, total});
            if (model != nullptr) {
                statesAtProgress.append(states(*model));
            }
        });
        connect(&worker, &QConvertHeicThread::signalConvertFinished, this,
                [this](int ok, int failed, int total) {
                    finished = {ok, failed, total};
                });
    }
    bool waitFinished() {
        return guitest::waitFor([this] { return !finished.isEmpty(); });
    }
};

// Holds the conversion at the start of one file until released.
class FileGate {
public:
    explicit FileGate(const QString& path) : m_path(path) {}
    ~FileGate() { m_open.release(1000); }
    void attach(QConvertHeicThread& worker) {
        worker.setFileStartHook([this](const QString& started) {
            if (started == m_path) {
                m_reached.release();
                m_open.acquire();
            }
        });
    }
    QConvertImageDlg::WorkerSetup setup() {
        return [this](QConvertHeicThread& worker) { attach(worker); };
    }
    bool waitReached() {
        return guitest::waitFor([this] { return m_reached.tryAcquire(); });
    }
    void open() { m_open.release(1000); }

private:
    QString m_path;
    QSemaphore m_reached;
    QSemaphore m_open;
};

// On the heap: ThreadSanitizer forgets a freed object's locks, but not those of a stack frame
// used again, whose reuse by the next worker it would take for a lock-order inversion.
std::unique_ptr<QConvertHeicThread> newWorker(int parallel) {
    return std::make_unique<QConvertHeicThread>(nullptr, parallel);
}

}  // namespace

class TestConvertWorker : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void oneFileAtATimeCountsAndRows();
    void skippedEntriesAndMarksOfEarlierFormats();
    void stopDuringSecondOfFive();
    void severalAtOnceHandleEachFileOnce();
    void stopWhileSeveralRunLeavesWholeFiles();
    void largePictureRunsAlone();
    void settingsAreTakenAtTheStart();
    void dialogShowsProgressAndCounts();
    void dialogWhenEverythingFailsAndWhileConverting();
    void failureReasonInBothLanguages();

private:
    struct Run {
        Recorder recorder;
        QSharedPointer<QHeicModel> model;
    };
    void convert(Run& run, const QStringList& paths, const QString& out, int parallel,
                 const QConvertImageDlg::WorkerSetup& setup = {});

    QTemporaryDir m_dir;
};

void TestConvertWorker::init() {
    guitest::resetSettings();
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestConvertWorker::cleanup() {
    QConvertHeicThread::setDefaultParallelFiles(0);
}

void TestConvertWorker::convert(Run& run, const QStringList& paths, const QString& out,
                                int parallel, const QConvertImageDlg::WorkerSetup& setup) {
    if (run.model.isNull()) {
        run.model = modelOf(paths);
    }
    run.recorder.model = run.model.data();
    QAbstractItemModelTester tester(run.model.data());
    auto owned = newWorker(parallel);
    QConvertHeicThread& worker = *owned;
    if (setup) {
        setup(worker);
    }
    run.recorder.listen(worker);
    worker.startConvert(allRows(*run.model), out);
    QVERIFY(run.recorder.waitFinished());
    QVERIFY(worker.wait(60000));
}

void TestConvertWorker::oneFileAtATimeCountsAndRows() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    {
        Run empty;
        convert(empty, {}, out, 1);
        QVERIFY(empty.recorder.progress.isEmpty());
        QCOMPARE(empty.recorder.finished, QList<int>({0, 0, 0}));
    }
    const QStringList paths{makePicture(m_dir.path(), "in/one.heic"),
                            makeBroken(m_dir.path(), "in/two.heic"),
                            makePicture(m_dir.path(), "in/three.heic")};
    Run run;
    convert(run, paths, out, 1);
    using P = QPair<int, int>;
    QCOMPARE(run.recorder.progress, QList<P>({P(1, 3), P(2, 3), P(3, 3)}));
    QCOMPARE(run.recorder.finished, QList<int>({2, 1, 3}));
    QCOMPARE(states(*run.model), QList<int>({2, 3, 2}));
    // Each file's row has its result when the count of that file arrives.
    QCOMPARE(run.recorder.statesAtProgress.value(0), QList<int>({2, 0, 0}));
    QCOMPARE(run.recorder.statesAtProgress.value(1), QList<int>({2, 3, 0}));
    const HeicModelData* failed = run.model->heicData(1);
    QCOMPARE(failed->nFolderState, int(HeicModelData::Disabled));
    QCOMPARE(failed->strFailReason, QStringLiteral("not a picture"));
    QVERIFY(!failed->bConvertedJpg);
    QCOMPARE(run.model->heicData(0)->nFolderState, int(HeicModelData::Normal));
    QVERIFY(run.model->heicData(2)->bConvertedJpg && !run.model->heicData(2)->bConvertedPng);
    QCOMPARE(outputs(out), QStringList({"one.jpg", "three.jpg"}));
}

void TestConvertWorker::skippedEntriesAndMarksOfEarlierFormats() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    const QString photo = makePicture(m_dir.path(), "photo.heic");
    Run run;
    run.model = modelOf({photo, QString(), makePicture(m_dir.path(), "second.heic")});
    QModelIndexList rows{run.model->index(0, 0), run.model->index(1, 0), QModelIndex(),
                         run.model->index(2, 0)};
    Recorder recorder;
    {
        auto owned = newWorker(1);
        QConvertHeicThread& worker = *owned;
        recorder.listen(worker);
        worker.startConvert(QVariant::fromValue(rows), out);
        QVERIFY(recorder.waitFinished());
    }
    // The row without a path and the index without a record count for nothing.
    QCOMPARE(recorder.progress.size(), 2);
    QCOMPARE(recorder.finished, QList<int>({2, 0, 4}));
    QCOMPARE(run.model->heicData(1)->nConvertState, int(HeicModelData::Ready));

    ZtConfig::NewInstance()->setConvertFormat(PNG);
    Run again;
    again.model = run.model;
    convert(again, {}, out, 1);
    const HeicModelData* record = run.model->heicData(0);
    QVERIFY(record->bConvertedJpg && record->bConvertedPng && !record->bConvertedBmp);
    QVERIFY(outputs(out).contains("photo.jpg") && outputs(out).contains("photo.png"));
}

void TestConvertWorker::stopDuringSecondOfFive() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths << makePicture(m_dir.path(), QString("in/p%1.heic").arg(i));
    }
    auto model = modelOf(paths);
    Recorder recorder;
    recorder.model = model.data();
    FileGate gate(paths.at(1));
    auto owned = newWorker(1);
    QConvertHeicThread& worker = *owned;
    gate.attach(worker);
    recorder.listen(worker);
    worker.startConvert(allRows(*model), out);
    QVERIFY(gate.waitReached());
    QVERIFY(guitest::waitFor([&] { return model->heicData(1)->nConvertState == 1; }));
    QConvertHeicThread::setStopFlag(true);
    gate.open();
    QVERIFY(recorder.waitFinished());
    QCOMPARE(recorder.finished, QList<int>({2, 0, 5}));
    QCOMPARE(recorder.progress.size(), 2);
    QCOMPARE(states(*model), QList<int>({2, 2, 0, 0, 0}));
    QCOMPARE(outputs(out), QStringList({"p1.jpg", "p2.jpg"}));
    QVERIFY(worker.stopRequested() && QConvertHeicThread::stopFlag());  // until its next start
}

void TestConvertWorker::severalAtOnceHandleEachFileOnce() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    QStringList paths;
    for (int i = 0; i < 20; ++i) {
        paths << makePicture(m_dir.path(), QString("in/f%1.heic").arg(i, 2, 10, QChar('0')));
    }
    for (int i = 0; i < 4; ++i) {
        paths << makeBroken(m_dir.path(), QString("in/bad%1.heic").arg(i));
    }
    // The same name in two folders: two outputs, neither overwritten by the other.
    paths << makePicture(m_dir.path(), "a/same.heic") << makePicture(m_dir.path(), "b/same.heic");
    Run run;
    convert(run, paths, out, 4);
    QCOMPARE(run.recorder.finished, QList<int>({22, 4, 26}));
    QCOMPARE(run.recorder.progress.size(), 26);
    for (int i = 0; i < run.recorder.progress.size(); ++i) {
        QCOMPARE(run.recorder.progress.at(i), qMakePair(i + 1, 26));
    }
    const QList<int> finalStates = states(*run.model);
    QCOMPARE(finalStates.count(2), 22);
    QCOMPARE(finalStates.count(3), 4);
    const QStringList written = outputs(out);
    QCOMPARE(written.size(), 22);
    QVERIFY(written.contains("same.jpg") && written.contains("same_1.jpg"));
}

void TestConvertWorker::stopWhileSeveralRunLeavesWholeFiles() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    QStringList paths;
    for (int i = 0; i < 60; ++i) {
        paths << makePicture(m_dir.path(), QString("in/s%1.heic").arg(i, 2, 10, QChar('0')));
    }
    auto model = modelOf(paths);
    Recorder recorder;
    std::atomic<int> started{0};
    {
        auto owned = newWorker(3);
        QConvertHeicThread& worker = *owned;
        worker.setFileStartHook([&started, &worker](const QString&) {
            if (++started == 10) {
                worker.stop();
            }
        });
        recorder.listen(worker);
        worker.startConvert(allRows(*model), out);
        QVERIFY(recorder.waitFinished());
    }
    const int handled = recorder.finished.value(0) + recorder.finished.value(1);
    QCOMPARE(recorder.finished.value(2), 60);
    QCOMPARE(handled, recorder.progress.size());
    QCOMPARE(handled, started.load());
    QVERIFY(handled < 60);
    for (int i = 0; i < recorder.progress.size(); ++i) {
        QCOMPARE(recorder.progress.at(i).first, i + 1);
    }
    const QList<int> finalStates = states(*model);
    QCOMPARE(finalStates.count(2), recorder.finished.value(0));
    QCOMPARE(finalStates.count(0), 60 - handled);
    const QStringList written = outputs(out);
    QCOMPARE(written.size(), recorder.finished.value(0));
    for (const QString& name : written) {
        QVERIFY2(name.endsWith(".jpg") && !QImageReader(out + name).read().isNull(),
                 qPrintable(name));
    }
}

void TestConvertWorker::largePictureRunsAlone() {
    if (!guitest::hasTestData()) {
        QSKIP("no samples (PIXVUE_TESTDATA): a HEIF file is needed for its header");
    }
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    QStringList paths;
    const QString large = m_dir.filePath("in/large.heic");
    QDir().mkpath(m_dir.filePath("in"));
    QVERIFY(QFile::copy(guitest::sample("libheif/rainbow-451x461.heic"), large));
    for (int i = 0; i < 12; ++i) {
        const QString small = m_dir.filePath(QString("in/small%1.heic").arg(i));
        QVERIFY(QFile::copy(guitest::sample("pillow_heif/L_exif_xmp_iptc.heic"), small));
        paths << small;
        if (i == 5) {
            paths << large;
        }
    }
    std::mutex lock;
    int inHand = 0;
    int inHandAtLargeStart = -1;
    bool largeRunning = false;
    int startedBesideLarge = 0;
    const auto countStart = [&](const QString& path) {
        std::lock_guard<std::mutex> guard(lock);
        ++inHand;
        if (path == large) {
            inHandAtLargeStart = inHand;
            largeRunning = true;
        } else if (largeRunning) {
            ++startedBesideLarge;
        }
    };
    const auto countEnd = [&](const QString& path) {
        std::lock_guard<std::mutex> guard(lock);
        --inHand;
        largeRunning = largeRunning && path != large;
    };
    Run run;
    convert(run, paths, out, 3, [&](QConvertHeicThread& worker) {
        // 451 x 461 counts as large here, 64 x 64 does not.
        worker.setLargePicturePixels(100000);
        worker.setFileStartHook(countStart);
        worker.setFileEndHook(countEnd);
    });
    QCOMPARE(run.recorder.finished, QList<int>({13, 0, 13}));
    QCOMPARE(inHandAtLargeStart, 1);
    QCOMPARE(startedBesideLarge, 0);
}

void TestConvertWorker::settingsAreTakenAtTheStart() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    const QStringList paths{makePicture(m_dir.path(), "in/x1.heic"),
                            makePicture(m_dir.path(), "in/x2.heic"),
                            makePicture(m_dir.path(), "in/x3.heic")};
    ZtConfig::NewInstance()->setConvertFormat(JPG);
    FileGate gate(paths.at(1));
    auto model = modelOf(paths);
    Recorder recorder;
    auto owned = newWorker(1);
    QConvertHeicThread& worker = *owned;
    gate.attach(worker);
    recorder.listen(worker);
    worker.startConvert(allRows(*model), out);
    QVERIFY(gate.waitReached());
    ZtConfig::NewInstance()->setConvertFormat(BMP);
    ZtConfig::NewInstance()->setPicSize(QStringLiteral("50%"));
    gate.open();
    QVERIFY(recorder.waitFinished());
    QCOMPARE(outputs(out), QStringList({"x1.jpg", "x2.jpg", "x3.jpg"}));
    QCOMPARE(QImageReader(out + "x3.jpg").size(), QSize(48, 32));
    QVERIFY(model->heicData(2)->bConvertedJpg && !model->heicData(2)->bConvertedBmp);
}

void TestConvertWorker::dialogShowsProgressAndCounts() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    auto model =
        modelOf({makePicture(m_dir.path(), "in/d1.heic"), makeBroken(m_dir.path(), "in/d2.heic"),
                 makePicture(m_dir.path(), "in/d3.heic")});
    guitest::UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QConvertImageDlg dialog(allRows(*model), out, nullptr, 1);
    QSignalSpy refreshes(&dialog, &QConvertImageDlg::signalRefreshTableView);
    dialog.show();
    QCOMPARE(dialog.titleLabel()->text(), QStringLiteral("Converting"));
    QVERIFY(dialog.stopButton()->isVisible());
    QVERIFY(!dialog.viewFilesButton()->isVisible() && !dialog.completedButton()->isVisible());
    QVERIFY(guitest::waitFor([&] { return dialog.isCompleted(); }));
    QCOMPARE(refreshes.count(), 3);
    QCOMPARE(dialog.statusLabel()->text(),
             QStringLiteral("Conversion completed, Total:3,Suc:2,Fail:1"));
    QCOMPARE(dialog.titleLabel()->text(), QStringLiteral("Convert Completed"));
    QCOMPARE(dialog.outcome(), QConvertImageDlg::SomeFailed);
    QCOMPARE(dialog.animationLabel()->pixmap().toImage(),
             pixvue::messageIcon(pixvue::WarningIcon, QSize(64, 64)).toImage());
    QVERIFY(!dialog.stopButton()->isVisible());
    QVERIFY(dialog.completedButton()->isVisible());
    QVERIFY(dialog.viewFilesButton()->isVisible() && dialog.viewFilesButton()->isEnabled());
    QTest::mouseClick(dialog.viewFilesButton(), Qt::LeftButton);
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(out)}));
    QVERIFY(!dialog.isVisible());
    QDesktopServices::unsetUrlHandler("file");
}

void TestConvertWorker::dialogWhenEverythingFailsAndWhileConverting() {
    const QString out = m_dir.filePath("out") + "//";
    QDir().mkpath(out);
    const QStringList paths{makeBroken(m_dir.path(), "in/e1.heic"),
                            makeBroken(m_dir.path(), "in/e2.heic")};
    auto model = modelOf(paths);
    FileGate gate(paths.at(0));
    QConvertImageDlg dialog(allRows(*model), out, nullptr, 1, gate.setup());
    dialog.show();
    QVERIFY(gate.waitReached());
    // While converting, Escape does not close it; "Stop Convert" ends after the file in hand.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    gate.open();
    QVERIFY(guitest::waitFor([&] { return dialog.isCompleted(); }));
    // A stop tells what was left unconverted.
    QCOMPARE(dialog.statusLabel()->text(),
             QStringLiteral("Conversion stopped, Total:2,Suc:0,Fail:1,Not converted:1"));
    QCOMPARE(dialog.titleLabel()->text(), QStringLiteral("Convert Stopped"));
    QVERIFY(dialog.viewFilesButton()->isVisible() && !dialog.viewFilesButton()->isEnabled());
    QTest::mouseClick(dialog.completedButton(), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());

    // Every file failed: a failure, not the success picture.
    QConvertImageDlg failed(allRows(*model), out, nullptr, 1);
    QVERIFY(guitest::waitFor([&] { return failed.isCompleted(); }));
    QCOMPARE(failed.statusLabel()->text(),
             QStringLiteral("Conversion failed, Total:2,Suc:0,Fail:2"));
    QCOMPARE(failed.titleLabel()->text(), QStringLiteral("Convert Failed"));
    QCOMPARE(failed.outcome(), QConvertImageDlg::AllFailed);
    QCOMPARE(failed.animationLabel()->pixmap().toImage(),
             pixvue::messageIcon(pixvue::FailureIcon, QSize(64, 64)).toImage());
    QCOMPARE(QConvertImageDlg::outcomeOf(3, 0, 3), QConvertImageDlg::AllConverted);
}

void TestConvertWorker::failureReasonInBothLanguages() {
    HeicModelData record;
    record.strFailReason =
        QString::fromLatin1(ZtHeicAPI::failureText(ZtHeicAPI::Failure::OutputNotWritable));
    QCOMPARE(record.failReasonText(), QStringLiteral("output folder not writable"));
    QTranslator chinese;
    QVERIFY(pixvue::loadTranslation(chinese, Chinese));
    QCoreApplication::installTranslator(&chinese);
    QCOMPARE(record.failReasonText(), QString::fromUtf8("输出文件夹不可写入"));
    // Every reason the engine gives has its Chinese text.
    for (int f = int(ZtHeicAPI::Failure::NotAPicture); f <= int(ZtHeicAPI::Failure::ExifNotWritten);
         ++f) {
        record.strFailReason = QString::fromLatin1(ZtHeicAPI::failureText(ZtHeicAPI::Failure(f)));
        QVERIFY2(record.failReasonText() != record.strFailReason, qPrintable(record.strFailReason));
    }
    QCoreApplication::removeTranslator(&chinese);
}

PIXVUE_GUI_TEST_MAIN(TestConvertWorker)
#include "tst_convertworker.moc"
