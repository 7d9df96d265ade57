// The add, collect, delete and preview workers against real folders and samples.
#include "filelist/qheaderviewbase.h"
#include "filelist/qsortfilterproxymodelbase.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtableviewbase.h"
#include "filelisttestsupport.h"
#include "pages/qfilelistcontroller.h"
#include "workers/guihandoff.h"
#include "workers/qaddheicthread.h"
#include "workers/qbgcollectheicthread.h"
#include "workers/qdetheicthread.h"
#include "workers/qshowheicthread.h"
#include "ztconfig.h"
#include "ztheicapi.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTemporaryDir>

#include <thread>

using filelisttest::makeFile;
using filelisttest::rowNames;
using filelisttest::rowPaths;

namespace {

// A guard against hangs only: the sanitizer builds on a loaded machine are many times slower.
const int kRunGuardMs = 600000;

// Waits until done() holds, then for the worker's end. A run that does not end in time is
// stopped first, so that the test fails instead of hanging on a worker that waits for this
// thread.
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The start of an ISO base media file of the brand.
QByteArray ftypHead(const QByteArray& brand) {
    return QByteArray::fromHex("00000014") + "ftyp" + brand + QByteArray(4, '\0') + brand +
           QByteArray(16, '\0');
}

bool finishRun(QFileListController& list, const std::function<bool()>& done) {
    const bool ended = guitest::waitFor(done, kRunGuardMs);
    list.stopWorkers();  // also the collect run an add starts
    QCoreApplication::processEvents();
    return ended;
}

// A view of the list's model, sorted as the page's.
struct ListView {
    explicit ListView(QFileListController& list) {
        proxy.setSourceModel(list.model().data());
        proxy.sort(QHeicDelegate::NameColumn, Qt::AscendingOrder);
        header = new QHeaderViewBase(Qt::Horizontal, &view);
        view.setUp(&proxy, header, &delegate);
    }
    QSortFilterProxyModelBase proxy;
    QTableViewBase view;
    QHeicDelegate delegate;
    QHeaderViewBase* header = nullptr;
};

// Deletes the view's checked rows, as the page's "Remove" does.
bool deleteChecked(QFileListController& list, ListView& lv) {
    QSignalSpy done(&list, &QFileListController::signalDelCompleted);
    list.deleteFiles(QFileListController::checkedPaths(lv.view, *list.model()),
                     QFileListController::rowChecks(&lv.view, list.model()));
    return finishRun(list, [&] { return done.count() == 1; });
}

}  // namespace

class TestFileWorkers : public QObject {
    Q_OBJECT

private slots:
    void init();
    void folderWalkAndSuffixRule();
    void duplicatesListedOnce();
    void sizeTextAndRecord();
    void stoppedAddKeepsRowsAndCompletes();
    void deleteRemovesExactlyTheCheckedRows();
    void stoppedDeleteKeepsTheRest();
    void scatteredDeleteKeepsUnreachedRowsChecked();
    void collectFillsStoreWithinBudget();
    void previewOfUncollectedFileIsNotStored();
    void handOffRunsInOrderOnItsThread();

private:
    // Runs an add to completion; the spies' counts.
    struct AddResult {
        int completed = 0;
        int startRow = -1;
        int pageSwitches = 0;
        int refused = 0;  // the count signalled, 0 when none was
    };
    AddResult addUrls(QFileListController& list, const QList<QUrl>& urls);
    AddResult addFiles(QFileListController& list, const QStringList& paths);
    AddResult finishAdd(QFileListController& list, const std::function<void()>& start);
};

void TestFileWorkers::init() {
    ZtHeicAPI::releaseAllMapData();
}

TestFileWorkers::AddResult TestFileWorkers::finishAdd(QFileListController& list,
                                                      const std::function<void()>& start) {
    QSignalSpy completed(&list, &QFileListController::signalAddCompleted);
    QSignalSpy switches(&list, &QFileListController::signalRecordAdded);
    QSignalSpy finished(&list, &QFileListController::signalAddsFinished);
    start();
    if (!finishRun(list, [&] { return finished.count() > 0; })) {
        return {};
    }
    return {int(completed.count()), completed.value(0).value(0).toInt(), int(switches.count()),
            finished.value(0).value(0).toInt()};
}

TestFileWorkers::AddResult TestFileWorkers::addUrls(QFileListController& list,
                                                    const QList<QUrl>& urls) {
    return finishAdd(list, [&] { list.addUrls(urls); });
}

TestFileWorkers::AddResult TestFileWorkers::addFiles(QFileListController& list,
                                                     const QStringList& paths) {
    return finishAdd(list, [&] { list.addFiles(paths); });
}

void TestFileWorkers::folderWalkAndSuffixRule() {
    QTemporaryDir root;
    const QString folder = root.filePath("drop");
    makeFile(folder, "a.heic");
    makeFile(folder, "b.HEIC");
    makeFile(folder, "c.jpg");
    makeFile(folder, "sub/d.heic");
    makeFile(folder, "sub/x.Heic");
    makeFile(folder, "sub/e.HIF");
    makeFile(folder, "sub/f.heif");
    makeFile(folder, "g.Avif");
    writeFile(folder + "/phone-export", ftypHead("heic"));
    writeFile(folder + "/clip.mp4", ftypHead("isom"));
    makeFile(folder, "notes.txt");
    const QString mixedAlone = makeFile(root.path(), "alone/x.Heic");
    const QString backup = makeFile(root.path(), "alone/photo.heic.bak");
    const QString jpeg = makeFile(root.path(), "alone/y.jpg");
    const QString text = makeFile(root.path(), "alone/z.txt");

    QFileListController list(8);
    auto model = list.model();
    QAbstractItemModelTester tester(model.data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    AddResult result = addUrls(list, {QUrl::fromLocalFile(folder)});
    QCOMPARE(result.completed, 1);
    QCOMPARE(result.startRow, 0);
    QStringList names = rowNames(*model);
    names.sort();
    // Inside a folder: every picture type in any letter case, or by its brand; the rest
    // passed over without a word.
    QCOMPARE(names, QStringList({"a.heic", "b.HEIC", "d.heic", "e.HIF", "f.heif", "g.Avif",
                                 "phone-export", "x.Heic"}));
    QCOMPARE(result.pageSwitches, 8);
    QCOMPARE(result.refused, 0);
    QCOMPARE(list.paths().size(), 8);

    // Dropped alone: the picture types, and any path holding ".heic"; the others counted.
    result = addUrls(list, {QUrl::fromLocalFile(mixedAlone), QUrl::fromLocalFile(backup),
                            QUrl::fromLocalFile(jpeg), QUrl::fromLocalFile(text)});
    QCOMPARE(result.startRow, 8);
    QCOMPARE(rowNames(*model).mid(8), QStringList({"x.Heic", "photo.heic.bak"}));
    QCOMPARE(result.pageSwitches, 2);
    QCOMPARE(result.refused, 2);

    // Picked in the dialog: folders are walked, files tested as when dropped.
    result = addFiles(list, {root.filePath("alone"), text});
    QCOMPARE(result.pageSwitches, 0);
    QCOMPARE(result.refused, 1);

    // Nothing matching: still one completion, no page switch.
    result = addUrls(list, {QUrl::fromLocalFile(jpeg), QUrl("https://example.org/a.heic")});
    QCOMPARE(result.completed, 1);
    QCOMPARE(result.pageSwitches, 0);
    QCOMPARE(model->rowCount(), 10);
    QCOMPARE(list.paths(), rowPaths(*model));
}

void TestFileWorkers::duplicatesListedOnce() {
    QTemporaryDir root;
    const QString file = makeFile(root.path(), "IMG_1.heic");
    const QString other = makeFile(root.path(), "IMG_2.heic");
    QFileListController list(8);
    auto model = list.model();
    QAbstractItemModelTester tester(model.data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    AddResult result = addUrls(list, {QUrl::fromLocalFile(file), QUrl::fromLocalFile(file)});
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(result.pageSwitches, 1);

    // Picked again beside a new one, then with its folder dropped.
    result = addFiles(list, {file, other, file});
    QCOMPARE(result.startRow, 1);
    QCOMPARE(rowNames(*model), QStringList({"IMG_1.heic", "IMG_2.heic"}));
    result = addUrls(list, {QUrl::fromLocalFile(root.path())});
    QCOMPARE(result.pageSwitches, 0);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(list.paths(), rowPaths(*model));
}

void TestFileWorkers::sizeTextAndRecord() {
    QTemporaryDir root;
    const QString file = makeFile(root.path(), "big.heic", 1572864);
    const QString empty = makeFile(root.path(), "empty.heic", 0);
    ZtConfig::NewInstance()->setConvertFormat(PNG);
    QFileListController list(8);
    auto model = list.model();
    addFiles(list, {file, empty});
    ZtConfig::NewInstance()->setConvertFormat(JPG);
    QCOMPARE(model->rowCount(), 2);
    const HeicModelData* record = model->heicData(0);
    QCOMPARE(record->strFileSize, QStringLiteral("1.50 MB"));
    QCOMPARE(model->heicData(1)->strFileSize, QStringLiteral("0.00 KB"));
    QCOMPARE(record->nFileBytes, qint64(1572864));
    QCOMPARE(record->strFilePath, file);
    QCOMPARE(record->strFileName, QStringLiteral("big.heic"));
    QCOMPARE(record->nOutputFormat, int(PNG));
    QCOMPARE(record->nConvertState, int(HeicModelData::Ready));
    QCOMPARE(record->nFolderState, int(HeicModelData::Disabled));
    QCOMPARE(record->nPreviewState, 0);
    QCOMPARE(record->nDeleteState, 0);
    QVERIFY(!record->bBusy);
    QVERIFY(!record->bConvertedJpg && !record->bConvertedPng && !record->bConvertedBmp);
    QCOMPARE(heicSizeText(2590000), QStringLiteral("2.47 MB"));
    // Below 1 MB in KB.
    QCOMPARE(heicSizeText(1048575), QStringLiteral("1024.00 KB"));
    QCOMPARE(heicSizeText(1048576), QStringLiteral("1.00 MB"));
    QCOMPARE(heicSizeText(353894), QStringLiteral("345.60 KB"));
}

void TestFileWorkers::stoppedAddKeepsRowsAndCompletes() {
    QTemporaryDir root;
    for (int i = 0; i < 700; ++i) {
        makeFile(root.path(), QString("many/%1.heic").arg(i, 4, 10, QChar('0')), 0);
    }
    QFileListController list(8);
    auto model = list.model();
    QAbstractItemModelTester tester(model.data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    // The first record asks for the stop, as the wait dialog's button would.
    const QMetaObject::Connection stopper =
        connect(&list, &QFileListController::signalRecordAdded, this,
                [] { QAddHeicThread::setStopFlag(true); });
    QCOMPARE(addUrls(list, {QUrl::fromLocalFile(root.filePath("many"))}).startRow, 0);
    disconnect(stopper);
    const int kept = model->rowCount();
    QVERIFY2(kept > 0 && kept < 700, qPrintable(QString::number(kept)));
    QCOMPARE(list.paths(), rowPaths(*model));

    // The next run starts with a clear stop and lists the rest.
    QCOMPARE(addUrls(list, {QUrl::fromLocalFile(root.filePath("many"))}).startRow, kept);
    QCOMPARE(model->rowCount(), 700);
    QCOMPARE(list.paths().size(), 700);
}

void TestFileWorkers::deleteRemovesExactlyTheCheckedRows() {
    QTemporaryDir root;
    QStringList files;
    for (int i = 0; i < 10; ++i) {
        files << makeFile(root.path(), QString("f%1.heic").arg(i));
    }
    QFileListController list(8);
    auto model = list.model();
    QAbstractItemModelTester tester(model.data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    ListView lv(list);
    QSortFilterProxyModelBase& proxy = lv.proxy;
    QTableViewBase& view = lv.view;
    addFiles(list, files);

    // Rows 2 and 5 (counted from 1), checked in reverse order.
    for (int row : {4, 1}) {
        view.selectionModel()->select(proxy.index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QVERIFY(deleteChecked(list, lv));
    QStringList expected = files;
    expected.removeAt(4);
    expected.removeAt(1);
    QCOMPARE(rowPaths(*model), expected);
    QCOMPARE(list.paths(), expected);
    QVERIFY(!model->containsPath(files.at(1)));

    // Every row.
    view.selectAll();
    QVERIFY(deleteChecked(list, lv));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(list.paths().isEmpty());
}

void TestFileWorkers::stoppedDeleteKeepsTheRest() {
    QTemporaryDir root;
    QStringList files;
    for (int i = 0; i < 1000; ++i) {
        files << makeFile(root.path(), QString("f%1.heic").arg(i, 4, 10, QChar('0')), 0);
    }
    QFileListController list(8);
    auto model = list.model();
    ListView lv(list);
    addFiles(list, files);
    lv.view.selectAll();

    // Stop once the first rows have gone, as the wait dialog's button would.
    connect(model.data(), &QAbstractItemModel::rowsRemoved, this,
            [] { QDetHeicThread::setStopFlag(true); });
    QVERIFY(deleteChecked(list, lv));
    const int left = model->rowCount();
    QVERIFY2(left > 0 && left < 1000, qPrintable(QString::number(left)));
    QCOMPARE(list.paths(), rowPaths(*model));
    QCOMPARE(rowPaths(*model), files.mid(1000 - left));
}

void TestFileWorkers::scatteredDeleteKeepsUnreachedRowsChecked() {
    QTemporaryDir root;
    QStringList files;
    for (int i = 0; i < 600; ++i) {
        files << makeFile(root.path(), QString("s%1.heic").arg(i, 3, 10, QChar('0')), 0);
    }
    QFileListController list(8);
    auto model = list.model();
    ListView lv(list);
    QSortFilterProxyModelBase& proxy = lv.proxy;
    QTableViewBase& view = lv.view;
    QHeaderViewBase* header = lv.header;
    // Listed last to first: the view, sorted by name, shows them the other way round.
    addFiles(list, QStringList(files.rbegin(), files.rend()));
    view.clearSelection();
    QItemSelection everyOther;
    for (int row = 0; row < 600; row += 2) {
        everyOther.select(proxy.index(row, 0), proxy.index(row, 7));
    }
    view.selectionModel()->select(everyOther, QItemSelectionModel::Select);
    QCOMPARE(view.checkedRows().size(), 300);

    // Scattered rows go in one reset per handful; stop after the first.
    connect(model.data(), &QAbstractItemModel::modelReset, this,
            [] { QDetHeicThread::setStopFlag(true); });
    QVERIFY(deleteChecked(list, lv));
    const int left = model->rowCount();
    QVERIFY2(left > 300 && left < 600, qPrintable(QString::number(left)));
    // The checked rows not reached stay checked; the unchecked ones all stay.
    QCOMPARE(view.checkedRows().size(), left - 300);
    QCOMPARE(header->sectionText(1), QString("Select %1 pc").arg(left - 300));
    for (const QModelIndex& index : view.checkedRows()) {
        const int row = proxy.mapToSource(index).row();
        QCOMPARE(files.indexOf(model->heicData(row)->strFilePath) % 2, 0);
    }
    QCOMPARE(list.paths(), rowPaths(*model));
}

void TestFileWorkers::collectFillsStoreWithinBudget() {
    if (!guitest::hasTestData()) {
        QSKIP("no samples (PIXVUE_TESTDATA)");
    }
    const QStringList paths{guitest::sample("libheif/rainbow-451x461.heic"),
                            guitest::sample("pillow_heif/corrupted.heic"),
                            guitest::sample("sdwebimage/TestHDR.heic")};
    // A run to its end. The worker is gone before the store's figures are read here: its
    // destruction waits for the end of its run in a way that race checkers see.
    auto collect = [this](const QStringList& list, int* exceeded, double budgetMb) {
        QBGCollectHeicThread worker;
        connect(&worker, &QBGCollectHeicThread::signalExceedMemoryLimit, this,
                [exceeded] { ++*exceeded; });
        worker.setHeicFileList(list);
        worker.setMemoryBudgetMb(budgetMb);
        worker.startCollect();
        return worker.wait(kRunGuardMs);  // else the worker's end stops it
    };
    int exceeded = 0;
    QVERIFY(collect(paths, &exceeded, ZtHeicAPI::kMemoryBudgetMb));
    QCoreApplication::processEvents();
    QCOMPARE(exceeded, 0);
    // The broken file is passed over; the others are in the store.
    const double used = ZtHeicAPI::m_nUsedMemorySize;
    QVERIFY(used > 0.0);
    ZtHeicAPI engine;
    QVERIFY(engine.collectHeicPicDataToMap(paths.at(0)));  // answered from the store
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, used);

    // Over the budget: the run ends at the first new file with the signal.
    ZtHeicAPI::releaseSpecifiedMapData(paths.at(2));
    const double saved = ZtHeicAPI::m_nUsedMemorySize;
    int fullExceeded = 0;
    QVERIFY(collect({paths.at(0), paths.at(2)}, &fullExceeded, saved / 2));
    QVERIFY(guitest::waitFor([&] { return fullExceeded == 1; }));
    QImage image;
    QVERIFY(engine.getShowImg(paths.at(2), &image));  // decoded for the call only
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, saved);
}

void TestFileWorkers::previewOfUncollectedFileIsNotStored() {
    if (!guitest::hasTestData()) {
        QSKIP("no samples (PIXVUE_TESTDATA)");
    }
    const QString path = guitest::sample("libheif/rainbow-451x461.heic");
    // Results recorded on this thread: a spy would record on the worker's.
    struct Shown {
        int count = 0;
        bool ok = false;
        bool onGuiThread = false;
        QSize size;
    };
    auto show = [this](const QString& file) {
        Shown shown;
        QShowHeicThread worker;
        connect(&worker, &QShowHeicThread::signalShowImge, this,
                [this, &shown](bool ok, QImage* image) {
                    ++shown.count;
                    shown.ok = ok;
                    shown.onGuiThread = QThread::currentThread() == thread();
                    shown.size = image != nullptr ? image->size() : QSize();
                });
        worker.startShow(file);
        guitest::waitFor([&shown] { return shown.count == 1; });
        worker.wait();
        return shown;
    };
    for (int round = 0; round < 2; ++round) {
        const Shown shown = show(path);
        QCOMPARE(shown.count, 1);
        QVERIFY(shown.ok);
        QVERIFY(shown.onGuiThread);  // where the image is read
        QCOMPARE(shown.size, QSize(451, 461));
        QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
    }
    const Shown broken = show(guitest::sample("pillow_heif/corrupted.heic"));
    QCOMPARE(broken.count, 1);
    QVERIFY(!broken.ok);
}

void TestFileWorkers::handOffRunsInOrderOnItsThread() {
    QVector<int> order;
    bool allOnGuiThread = true;
    {
        GuiHandOff handOff;
        std::thread poster([&] {
            for (int i = 0; i < 100; ++i) {
                handOff.post([&, i] {
                    order.append(i);
                    allOnGuiThread = allOnGuiThread && QThread::currentThread() == thread();
                });
            }
        });
        poster.join();
        QVERIFY(order.isEmpty());  // nothing runs before this thread's event loop
        QVERIFY(guitest::waitFor([&] { return order.size() == 100; }));
        handOff.post([&] { order.append(-1); });
    }
    // Work still pending when the hand-off goes is dropped, not run.
    QCoreApplication::processEvents();
    QCOMPARE(order.size(), 100);
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(order.at(i), i);
    }
    QVERIFY(allOnGuiThread);
}

PIXVUE_GUI_TEST_MAIN(TestFileWorkers)
#include "tst_fileworkers.moc"
