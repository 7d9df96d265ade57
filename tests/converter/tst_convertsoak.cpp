// A long session, kept within a minute: a few hundred files dropped on the main window, half of
// them removed while the store is being filled, a conversion stopped in the middle, the files
// dropped again and the window closed while a conversion runs. Whatever is listed is either
// converted whole or not written, and the lists and the store stay consistent.
#include "app/pixvuestartup.h"
#include "convertrunsupport.h"
#include "core/qthreadkeeper.h"
#include "enginetestsupport.h"
#include "pages/qfilelistcontroller.h"
#include "workers/qconvertheicthread.h"
#include "ztheicapi.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

using convertrun::Choice;

namespace {

#ifdef PIXVUE_SANITIZED
const int kSmallFiles = 160;
#else
const int kSmallFiles = 300;
#endif
const QSize kSmallSize(64, 48);
// Files converted before the gate holds the rest.
const int kFilesBeforeHold = 12;

// Real small samples listed beside the pictures (the list takes .heic names only).
struct RealSample {
    const char* source;
    const char* name;
    QSize size;
};
const RealSample kRealSamples[] = {
    {"libheif/rainbow-451x461.heic", "rainbow-451x461.heic", {451, 461}},
    {"libheif/colors-with-alpha-thumbnail.heic", "colors-with-alpha-thumbnail.heic", {72, 72}},
    {"pillow_heif/RGBA_10__29x100.heif", "RGBA_10__29x100.heic", {29, 100}},
    {"pillow_heif/L_exif_xmp_iptc.heic", "L_exif_xmp_iptc.heic", {64, 64}},
};

// A small JPEG named .heic, each in its own colour.
bool makePicture(const QString& path, int index) {
    QImage image(kSmallSize, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(index * 7 % 360, 200, 180));
    return image.save(path, "JPG");
}

// Lets the first files of a conversion start, then holds every further one at its start until
// opened or until the conversion is asked to stop.
class StartGate {
public:
    StartGate(zentarPixvue& window, int passing) : m_window(&window), m_nPassing(passing) {
        window.setConvertWorkerSetup([this](QConvertHeicThread& worker) {
            worker.setFileStartHook([this](const QString&) { onStart(); });
        });
    }
    ~StartGate() {
        open();
        if (m_window) {
            m_window->setConvertWorkerSetup({});
        }
    }
    StartGate(const StartGate&) = delete;
    StartGate& operator=(const StartGate&) = delete;

    bool waitHeld() {
        return guitest::waitFor([this] { return m_nHeld.load() > 0; });
    }
    void open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = true;
        m_opened.notify_all();
    }

private:
    void onStart() {
        if (m_nStarted++ < m_nPassing) {
            return;
        }
        ++m_nHeld;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_bOpen && !QConvertHeicThread::stopFlag()) {
            m_opened.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    QPointer<zentarPixvue> m_window;
    const int m_nPassing;
    std::atomic<int> m_nStarted{0};
    std::atomic<int> m_nHeld{0};
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_bOpen = false;
};

struct Counts {
    int total = -1;
    int succeeded = -1;
    int failed = -1;
    int notConverted = 0;  // after a stop
};

Counts countsOf(const QString& status) {
    const QRegularExpression pattern(
        "^Conversion (?:completed|stopped), Total:(\\d+),Suc:(\\d+),"
        "Fail:(\\d+)(?:,Not converted:(\\d+))?$");
    const QRegularExpressionMatch match = pattern.match(status);
    if (!match.hasMatch()) {
        return {};
    }
    return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
            match.captured(4).toInt()};
}

bool storeWithinBudget() {
    return !ZtHeicAPI().isExceedMemoryLimit();
}

}  // namespace

class TestConvertSoak : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void longSession();

private:
    void removeEverySecondRow(QOperatePage& page, QStringList& removed);
    void stoppedConversion(zentarPixvue& window, const Choice& choice);
    void closeWhileConverting(std::unique_ptr<zentarPixvue>& window, const Choice& choice,
                              guitest::DialogAnswers& answers);
    void checkOutputs(const QString& dir, const QStringList& listed, int expectedFiles);

    QTemporaryDir m_work;
    QString m_input;
    QStringList m_files;
    QMap<QString, QSize> m_sizes;  // of each file's picture, upright
};

void TestConvertSoak::initTestCase() {
    pixvue::applyApplicationLook();
    QVERIFY(m_work.isValid());
    m_input = m_work.filePath("photos");
    QDir().mkpath(m_input + "/more");
    for (int i = 0; i < kSmallFiles; ++i) {
        // Some in a sub-folder: the drop walks it.
        const QString path = QString("%1/%2small_%3.heic")
                                 .arg(m_input, i % 3 == 0 ? "more/" : "")
                                 .arg(i, 3, 10, QChar('0'));
        QVERIFY(makePicture(path, i));
        m_files << path;
        m_sizes.insert(path, kSmallSize);
    }
    if (!guitest::hasTestData()) {
        qInfo("no samples (PIXVUE_TESTDATA): the session lists small pictures only");
        return;
    }
    for (const RealSample& sample : kRealSamples) {
        const QString path = m_input + "/" + sample.name;
        QVERIFY2(QFile::copy(guitest::sample(sample.source), path), sample.source);
        m_files << path;
        m_sizes.insert(path, sample.size);
    }
}

void TestConvertSoak::cleanup() {
    // The window, and with it every worker, has gone: the decoded images go, as at the
    // program's end.
    ZtHeicAPI::releaseAllMapData();
}

void TestConvertSoak::longSession() {
    guitest::DialogAnswers answers;
    answers.answer(convertrun::yesToExit());
    auto window = convertrun::openFreshWindow();
    QVERIFY(window);
    answers.answerFor(*window);
    QOperatePage& page = *window->operatePage();
    QAbstractItemModelTester tester(page.model().data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    QVERIFY(convertrun::dropAndWait(*window, m_input));
    QStringList listed = convertrun::rowPaths(*page.model());
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()),
             QSet<QString>(m_files.begin(), m_files.end()));
    QCOMPARE(page.fileList()->paths(), listed);

    // The collect worker has just started on the new rows: half of them go meanwhile.
    QStringList removed;
    removeEverySecondRow(page, removed);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY(storeWithinBudget());

    stoppedConversion(*window, {JPG, true, "100%", "100%", m_work.filePath("stopped")});
    if (QTest::currentTestFailed()) {
        return;
    }

    QVERIFY(convertrun::dropAndWait(*window, m_input));
    listed = convertrun::rowPaths(*page.model());
    QCOMPARE(listed.size(), m_files.size());
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()),
             QSet<QString>(m_files.begin(), m_files.end()));
    QCOMPARE(page.fileList()->paths(), listed);
    QVERIFY(storeWithinBudget());

    closeWhileConverting(window, {PNG, true, "50%", "80%", m_work.filePath("closed")}, answers);
}

void TestConvertSoak::removeEverySecondRow(QOperatePage& page, QStringList& removed) {
    QSignalSpy completed(&page, &QOperatePage::signalOpCompleted);
    QTableViewBase* view = page.tableView();
    const QStringList before = convertrun::rowPaths(*page.model());
    const int columns = view->model()->columnCount() - 1;
    QItemSelection half;
    for (int row = 0; row < view->model()->rowCount(); row += 2) {
        half.select(view->model()->index(row, 0), view->model()->index(row, columns));
        const auto* record = static_cast<const HeicModelData*>(
            QTableModelBase::record(view->model()->index(row, 0)));
        removed << record->strFilePath;
    }
    view->clearSelection();
    view->selectionModel()->select(half, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(view->checkedRows().size(), removed.size());
    qInfo("removing %d of %d rows; %d page workers running", removed.size(), before.size(),
          page.runningWorkers());
    QTest::mouseClick(page.removeButton(), Qt::LeftButton);
    QVERIFY(guitest::waitFor([&completed] { return completed.count() > 0; }));
    const QStringList kept = convertrun::rowPaths(*page.model());
    QCOMPARE(kept.size(), before.size() - removed.size());
    for (const QString& path : qAsConst(removed)) {
        QVERIFY2(!kept.contains(path), qPrintable(path));
    }
    QCOMPARE(page.fileList()->paths(), kept);
}

// "Stop Convert" while files are in hand: the files started are finished, no other is begun.
void TestConvertSoak::stoppedConversion(zentarPixvue& window, const Choice& choice) {
    QOperatePage& page = *window.operatePage();
    convertrun::choose(page, choice);
    QVERIFY(convertrun::storeHolds(choice));
    convertrun::checkAllRows(page);
    const int rows = page.model()->rowCount();
    StartGate gate(window, kFilesBeforeHold);
    QConvertImageDlg* dialog = convertrun::clickConvert(window);
    QVERIFY(dialog != nullptr);
    QVERIFY(gate.waitHeld());
    QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
    gate.open();
    const Counts counts = countsOf(convertrun::waitCompleted(dialog));
    QCOMPARE(counts.total, rows);
    QCOMPARE(counts.failed, 0);
    QVERIFY(counts.succeeded > kFilesBeforeHold);
    QVERIFY(counts.succeeded < rows);
    // The stop says what was left.
    QCOMPARE(counts.notConverted, rows - counts.succeeded);
    QCOMPARE(dialog->titleLabel()->text(), QStringLiteral("Convert Stopped"));
    QCOMPARE(dialog->outcome(), QConvertImageDlg::Stopped);
    QVERIFY(convertrun::closeCompleted(dialog));
    const QStringList listed = convertrun::rowPaths(*page.model());
    int completed = 0;
    for (const QString& path : listed) {
        const int state = convertrun::rowOf(*page.model(), path)->nConvertState;
        QVERIFY2(state == HeicModelData::Completed || state == HeicModelData::Ready,
                 qPrintable(path));
        completed += state == HeicModelData::Completed ? 1 : 0;
    }
    QCOMPARE(completed, counts.succeeded);
    checkOutputs(convertrun::outputDir(choice), listed, counts.succeeded);
    QCOMPARE(page.fileList()->paths(), listed);

    // The converted rows are unchecked: "Convert" again converts the rest, no file twice.
    QCOMPARE(page.tableView()->checkedRows().size(), rows - counts.succeeded);
    dialog = convertrun::clickConvert(window);
    QVERIFY(dialog != nullptr);
    const Counts rest = countsOf(convertrun::waitCompleted(dialog));
    QCOMPARE(rest.total, rows - counts.succeeded);
    QCOMPARE(rest.succeeded, rest.total);
    QVERIFY(convertrun::closeCompleted(dialog));
    QVERIFY(page.tableView()->checkedRows().isEmpty());
    checkOutputs(convertrun::outputDir(choice), listed, rows);
}

// The window closed (exit confirmed) while files are in hand: they are finished or not
// written, every worker has ended before the window goes, and the store is within its budget.
void TestConvertSoak::closeWhileConverting(std::unique_ptr<zentarPixvue>& window,
                                           const Choice& choice, guitest::DialogAnswers& answers) {
    QOperatePage& page = *window->operatePage();
    convertrun::choose(page, choice);
    QVERIFY(convertrun::storeHolds(choice));
    convertrun::checkAllRows(page);
    const QStringList listed = convertrun::rowPaths(*page.model());
    StartGate gate(*window, kFilesBeforeHold);
    QPointer<QConvertImageDlg> dialog = convertrun::clickConvert(*window);
    QVERIFY(dialog);
    QPointer<QConvertHeicThread> worker = dialog->worker();
    QVERIFY(gate.waitHeld());
    QCOMPARE(page.fileList()->paths(), listed);
    QVERIFY(window->close());
    QCOMPARE(answers.askedClasses(), QStringList({"QExitDialog"}));
    QCOMPARE(answers.unexpected(), 0);
    QVERIFY(QConvertHeicThread::stopFlag());
    QVERIFY(worker.isNull() || worker->isFinished());
    QCOMPARE(page.runningWorkers(), 0);
    QCOMPARE(window->threadKeeper()->runningCount(), 0);
    window.reset();
    QCoreApplication::processEvents();
    QVERIFY(dialog.isNull());
    const QString dir = convertrun::outputDir(choice);
    checkOutputs(dir, listed, -1);
    QVERIFY(convertrun::entries(dir).size() > kFilesBeforeHold);
    QVERIFY(convertrun::entries(dir).size() < listed.size());
    QVERIFY2(ZtHeicAPI::m_nUsedMemorySize <= 500.0,
             qPrintable(QString::number(ZtHeicAPI::m_nUsedMemorySize)));
}

// Every output is the whole picture of a listed file, nothing else lies in the folder (no
// temporary file of an unfinished write); expectedFiles < 0: any number.
void TestConvertSoak::checkOutputs(const QString& dir, const QStringList& listed,
                                   int expectedFiles) {
    QMap<QString, QString> byName;  // output name -> source
    const QString ext = convertrun::extension(ZtConfig::NewInstance()->getConvertFormat());
    for (const QString& path : listed) {
        byName.insert(QFileInfo(path).completeBaseName() + ext, path);
    }
    const int percent = convertrun::percent(ZtConfig::NewInstance()->getPicSize());
    const QStringList written = convertrun::entries(dir);
    if (expectedFiles >= 0) {
        QCOMPARE(written.size(), expectedFiles);
    }
    for (const QString& name : written) {
        QVERIFY2(byName.contains(name), qPrintable(dir + name));
        const QImage picture = QImageReader(dir + name).read();
        QVERIFY2(!picture.isNull(), qPrintable(dir + name));
        const QSize full = m_sizes.value(byName.value(name));
        const QSize expected(full.width() * percent / 100, full.height() * percent / 100);
        QVERIFY2(qAbs(picture.width() - expected.width()) <= 1 &&
                     qAbs(picture.height() - expected.height()) <= 1,
                 qPrintable(dir + name));
    }
}

PIXVUE_GUI_TEST_MAIN(TestConvertSoak)
#include "tst_convertsoak.moc"
