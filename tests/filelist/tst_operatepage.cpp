// The operate page's settings, output directory and conversion request, and the overlays the
// main window shows for it.
#include "app/pixvuestartup.h"
#include "core/heicpaths.h"
#include "core/qthreadkeeper.h"
#include "dialogs/qshowimagedlg.h"
#include "dialogs/qstopadddelimgdlg.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qtableviewbase.h"
#include "filelisttestsupport.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qfilelistcontroller.h"
#include "pages/qoperatepage.h"
#include "qadaptivelabel.h"
#include "qcheckboxex.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qmessageboxex.h"
#include "workers/qaddheicthread.h"
#include "workers/qdetheicthread.h"
#include "ztconfig.h"
#include "ztheicapi.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStackedWidget>
#include <QTemporaryDir>

using filelisttest::addThroughPage;
using filelisttest::makeFiles;

class TestOperatePage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void settingsFollowTheControls();
    void formatSwitchUpdatesRows();
    void outputDirectoryRule();
    void convertBuildsTheOutputDirectory();
    void oneWaitOverlayPerAddAndDelete();
    void overlappingAddsShareOneOverlay();
    void stopOfOverlappingAddsStaysPressed();
    void stopButtonOfTheWaitOverlay();
    void overlayDimsTheWindowItCovers();
    void previewOverlay();
    void closingStopsRunningWorkers();

private:
    QTemporaryDir m_files;
};

void TestOperatePage::initTestCase() {
    pixvue::applyApplicationLook();
}

void TestOperatePage::init() {
    guitest::resetSettings();
}

void TestOperatePage::settingsFollowTheControls() {
    QStackedWidget stack;
    QOperatePage page(&stack);
    ZtConfig* config = ZtConfig::NewInstance();
    QCOMPARE(page.formatCombo()->currentIndex(), int(config->getConvertFormat()));
    QCOMPARE(page.pathEdit()->text(), guitest::desktopDirectory() + "/Pixvue");
    QVERIFY(page.pathEdit()->isReadOnly());
    QVERIFY(!page.removeButton()->isEnabled());
    QVERIFY(!page.convertButton()->isEnabled());

    page.sizeCombo()->setCurrentText("70%");
    QCOMPARE(config->getPicSize(), QStringLiteral("70%"));
    page.qualityCombo()->setCurrentText("40%");
    QCOMPARE(config->getPicQuality(), QStringLiteral("40%"));

    // Visibility by format.
    page.show();
    page.formatCombo()->setCurrentIndex(PNG);
    QCOMPARE(config->getConvertFormat(), PNG);
    QVERIFY(page.qualityCombo()->isVisible());
    QVERIFY(!page.keepExifBox()->isVisible());
    QVERIFY(!page.stripLocationBox()->isVisible());
    QVERIFY(!page.modeLabel()->isVisible());
    page.formatCombo()->setCurrentIndex(BMP);
    QVERIFY(!page.qualityCombo()->isVisible());
    QVERIFY(!page.qualityLabel()->isVisible());
    page.formatCombo()->setCurrentIndex(JPG);
    QVERIFY(page.qualityCombo()->isVisible());
    QVERIFY(page.keepExifBox()->isVisible());
    QVERIFY(page.stripLocationBox()->isVisible());
    // The controls keep the chosen values across the format reload.
    QCOMPARE(page.qualityCombo()->currentText(), QStringLiteral("40%"));

    // The keep-EXIF box acts.
    QVERIFY(page.keepExifBox()->isChecked());
    QTest::mouseClick(page.keepExifBox(), Qt::LeftButton);
    QVERIFY(!config->isKeepExif());
    // The remove-location box: off at first, then on, and a conversion's settings follow it.
    QVERIFY(!page.stripLocationBox()->isChecked());
    QVERIFY(!ZtHeicAPI::currentSettings().stripLocation);
    QTest::mouseClick(page.stripLocationBox(), Qt::LeftButton);
    QVERIFY(config->isStripLocation());
    ZtConfig::ReleaseConfigInstance();
    QVERIFY(!ZtConfig::NewInstance()->isKeepExif());  // written to the file
    QVERIFY(ZtHeicAPI::currentSettings().stripLocation);
    QOperatePage again(&stack);
    QVERIFY(!again.keepExifBox()->isChecked());
    QVERIFY(again.stripLocationBox()->isChecked());
    QCOMPARE(again.sizeCombo()->currentText(), QStringLiteral("70%"));
}

void TestOperatePage::formatSwitchUpdatesRows() {
    QStackedWidget stack;
    QOperatePage page(&stack);
    QAbstractItemModelTester tester(page.model().data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(addThroughPage(page, makeFiles(m_files.filePath("formats"), 3)));
    QHeicModel& model = *page.model();
    // The first file was converted to JPG.
    model.heicData(0)->bConvertedJpg = true;
    model.heicData(0)->nConvertState = HeicModelData::Completed;
    model.heicData(0)->nFolderState = HeicModelData::Normal;

    page.formatCombo()->setCurrentIndex(PNG);
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(model.heicData(row)->nOutputFormat, int(PNG));
        QCOMPARE(model.heicData(row)->nConvertState, int(HeicModelData::Ready));
        QCOMPARE(model.heicData(row)->nFolderState, int(HeicModelData::Disabled));
    }
    page.formatCombo()->setCurrentIndex(JPG);
    QCOMPARE(model.heicData(0)->nConvertState, int(HeicModelData::Completed));
    QCOMPARE(model.heicData(0)->nFolderState, int(HeicModelData::Normal));
    QCOMPARE(model.heicData(1)->nConvertState, int(HeicModelData::Ready));
    QCOMPARE(model.heicData(1)->nFolderState, int(HeicModelData::Disabled));
    QCOMPARE(model.heicData(1)->nOutputFormat, int(JPG));
}

void TestOperatePage::outputDirectoryRule() {
    for (const char* path : {"/", "/usr", "/usr/share/photos", "/etc/", "/var/tmp", "/proc/1",
                             "/home/../usr/lib", "/lib64"}) {
        QVERIFY2(QOperatePage::isSystemDirectory(path), path);
    }
    for (const char* path : {"/usr2", "/home/me/usr", "/home/me", "/tmp/photos", "/mnt/var"}) {
        QVERIFY2(!QOperatePage::isSystemDirectory(path), path);
    }

    QStackedWidget stack;
    QOperatePage page(&stack);
    QString answer = "/usr/share";
    QString askedStart;
    page.setDirectoryChooser([&](QWidget*, const QString&, const QString& start) {
        askedStart = start;
        return answer;
    });
    const QString before = page.pathEdit()->text();
    guitest::DialogAnswers answers;
    answers.answerFor(page);
    QString warning;
    answers.answer([&warning](CFramelessDialog& dialog) {
        auto& box = static_cast<QMessageboxEx&>(dialog);
        warning = box.yesButton()->text();
        return int(QDialog::Accepted);
    });
    page.alterButton()->click();
    QCOMPARE(askedStart, before);
    QCOMPARE(answers.asked(), 1);
    QCOMPARE(answers.askedClasses(), QStringList({"QMessageboxEx"}));
    QCOMPARE(warning, QStringLiteral("OK"));
    QCOMPARE(page.pathEdit()->text(), before);

    answer = "/home/me/usr";
    page.alterButton()->click();
    QCOMPARE(answers.asked(), 1);
    QCOMPARE(page.pathEdit()->text(), answer);
    QCOMPARE(page.lastOutputDir(), answer);
    answer.clear();  // cancelled
    page.alterButton()->click();
    QCOMPARE(page.pathEdit()->text(), QStringLiteral("/home/me/usr"));

    // The next start offers the folder chosen.
    ZtConfig::ReleaseConfigInstance();
    QOperatePage next(&stack);
    QCOMPARE(next.pathEdit()->text(), QStringLiteral("/home/me/usr"));
}

void TestOperatePage::convertBuildsTheOutputDirectory() {
    QStackedWidget stack;
    QOperatePage page(&stack);
    const QStringList files = makeFiles(m_files.filePath("convert"), 4);
    QVERIFY(addThroughPage(page, files));
    page.tableView()->selectionModel()->select(
        page.tableView()->model()->index(1, 0),
        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    QList<QPair<QModelIndexList, QString>> converts;
    connect(&page, &QOperatePage::signalConvertImage, this,
            [&converts](QVariant& rows, const QString& path) {
                converts.append({rows.value<QModelIndexList>(), path});
            });

    // The default directory, created with its format folder.
    ZtConfig::NewInstance()->setOutPutType(DefaultOutPut);
    page.formatCombo()->setCurrentIndex(PNG);
    const QString pixvue = guitest::desktopDirectory() + "/Pixvue";
    QDir(pixvue).removeRecursively();
    page.convertButton()->click();
    QCOMPARE(converts.count(), 1);
    const QString output = converts.first().second;
    QCOMPARE(output, pixvue + "//PNG//");
    QVERIFY(QFileInfo(pixvue + "/PNG").isDir());
    QCOMPARE(page.lastOutputDir(), output);
    const QModelIndexList rows = converts.first().first;
    QStringList converted;
    for (const QModelIndex& index : rows) {
        converted << page.model()->heicData(index.row())->strFilePath;
    }
    converted.sort();
    QCOMPARE(converted, QStringList({files[0], files[2], files[3]}));

    // The user's directory, missing parents included.
    ZtConfig::NewInstance()->setOutPutType(CustomOutPut);
    const QString custom = m_files.filePath("out/deeper");
    page.setDirectoryChooser([custom](QWidget*, const QString&, const QString&) { return custom; });
    page.alterButton()->click();
    page.formatCombo()->setCurrentIndex(BMP);
    page.convertButton()->click();
    QCOMPARE(converts.at(1).second, custom + "//BMP//");
    QVERIFY(QFileInfo(custom + "/BMP").isDir());
}

void TestOperatePage::overlappingAddsShareOneOverlay() {
    zentarPixvue window;
    QOperatePage* page = window.operatePage();
    const QStringList first = makeFiles(m_files.filePath("first"), 3);
    const QStringList second = makeFiles(m_files.filePath("second"), 4);
    QSignalSpy stops(page, &QOperatePage::signalStopOp);
    QSignalSpy completed(page, &QOperatePage::signalOpCompleted);
    // The second starts before the first can end: its completion waits for this thread.
    page->addHeicFiles(first);
    page->addHeicFiles(second);
    QCOMPARE(stops.count(), 1);
    QCOMPARE(window.findChildren<QStopAddDelImgDlg*>().size(), 1);
    QVERIFY(guitest::waitFor([&] { return page->model()->rowCount() == 7; }));
    QVERIFY(guitest::waitFor([&] { return page->runningWorkers() == 0; }));
    QCoreApplication::processEvents();
    QCOMPARE(completed.count(), 1);
    QVERIFY(guitest::waitFor([&] { return window.findChildren<QStopAddDelImgDlg*>().isEmpty(); }));
}

void TestOperatePage::oneWaitOverlayPerAddAndDelete() {
    zentarPixvue window;
    QOperatePage* page = window.operatePage();
    QAbstractItemModelTester tester(page->model().data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString folder = m_files.filePath("wait");
    makeFiles(folder, 10);
    QSignalSpy stops(page, &QOperatePage::signalStopOp);
    QSignalSpy completed(page, &QOperatePage::signalOpCompleted);
    guitest::dropUrls(window, {QUrl::fromLocalFile(folder)});
    QCOMPARE(stops.count(), 1);
    QCOMPARE(stops.first().first().toInt(), 0);
    QList<QStopAddDelImgDlg*> overlays = window.findChildren<QStopAddDelImgDlg*>();
    QCOMPARE(overlays.size(), 1);
    QCOMPARE(overlays.first()->stopButton()->text(), QStringLiteral("Stop Add"));
    QCOMPARE(overlays.first()->size(), QSize(1060, 708));
    QPointer<QStopAddDelImgDlg> overlay = overlays.first();
    QVERIFY(guitest::waitFor([&] { return completed.count() == 1; }));
    QVERIFY(guitest::waitFor([&] { return overlay.isNull(); }));  // closed and gone
    QCOMPARE(window.pageStack()->currentIndex(), int(zentarPixvue::OperatePage));
    QCOMPARE(page->model()->rowCount(), 10);

    // Rows 2 and 5 stay checked, "Remove" deletes exactly those behind the "Deleting" overlay.
    QTableViewBase* view = page->tableView();
    view->clearSelection();
    for (int row : {1, 4}) {
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    const QStringList before = page->listedPaths();
    page->removeButton()->click();
    QCOMPARE(stops.count(), 2);
    QCOMPARE(stops.last().first().toInt(), 1);
    overlays = window.findChildren<QStopAddDelImgDlg*>();
    QCOMPARE(overlays.size(), 1);
    QCOMPARE(overlays.first()->statusLabel()->text(),
             QStringLiteral("Deleting Heic Files, please wait..."));
    QVERIFY(guitest::waitFor([&] { return completed.count() == 2; }));
    QStringList expected = before;
    expected.removeAt(4);
    expected.removeAt(1);
    QCOMPARE(page->listedPaths(), expected);
    QStringList kept = page->fileList()->paths();
    kept.sort();
    expected.sort();
    QCOMPARE(kept, expected);

    // Removing every row returns to the home page.
    page->headerView()->slotUpdateCheckBox();
    view->selectAll();
    page->removeButton()->click();
    QVERIFY(guitest::waitFor([&] { return completed.count() == 3; }));
    QCOMPARE(page->model()->rowCount(), 0);
    QVERIFY(page->fileList()->paths().isEmpty());
    QCOMPARE(window.pageStack()->currentIndex(), int(zentarPixvue::HomePage));
    QVERIFY(guitest::waitFor([&] { return window.findChildren<QStopAddDelImgDlg*>().isEmpty(); }));
}

// The overlay's stop ends every add running, and an add started after it does not undo it.
void TestOperatePage::stopOfOverlappingAddsStaysPressed() {
    const QString many = m_files.filePath("many");
    const QString more = m_files.filePath("more");
    for (int i = 0; i < 2000; ++i) {
        filelisttest::makeFile(many, QString("m%1.heic").arg(i), 0);
        filelisttest::makeFile(more, QString("n%1.heic").arg(i), 0);
    }
    const QStringList late = makeFiles(m_files.filePath("late"), 3);
    zentarPixvue window;
    QOperatePage* page = window.operatePage();
    QSignalSpy completed(page, &QOperatePage::signalOpCompleted);
    const auto rowsUnder = [page](const QString& dir) {
        int rows = 0;
        for (const QString& path : page->fileList()->paths()) {
            rows += path.startsWith(dir + "/") ? 1 : 0;
        }
        return rows;
    };
    // Two adds overlap; each waits for this thread after its first batch, so both still run.
    page->addHeicFiles({many});
    page->addHeicFiles({more});
    const QList<QStopAddDelImgDlg*> overlays = window.findChildren<QStopAddDelImgDlg*>();
    QCOMPARE(overlays.size(), 1);
    overlays.first()->stopButton()->click();
    // A third add starts while the stopped ones may still run: it lists its files, the others
    // stay stopped.
    page->addHeicFiles(late);
    QVERIFY(guitest::waitFor([&] { return completed.count() == 1; }));
    QVERIFY(guitest::waitFor([&] { return page->runningWorkers() == 0; }));
    QVERIFY2(rowsUnder(many) < 2000, qPrintable(QString::number(rowsUnder(many))));
    QVERIFY2(rowsUnder(more) < 2000, qPrintable(QString::number(rowsUnder(more))));
    QCOMPARE(rowsUnder(m_files.filePath("late")), 3);
    QCOMPARE(page->fileList()->paths(), filelisttest::rowPaths(*page->model()));
    QCOMPARE(g_listHeicPaths, page->fileList()->paths());
}

void TestOperatePage::stopButtonOfTheWaitOverlay() {
    QAddHeicThread add(nullptr);
    QDetHeicThread del(nullptr);
    QVERIFY(!QAddHeicThread::stopFlag() && !QDetHeicThread::stopFlag());
    QStopAddDelImgDlg adding(0);
    QCOMPARE(adding.statusLabel()->text(), QStringLiteral("Adding Heic Files, please wait..."));
    QVERIFY(adding.isAnimating());
    adding.show();
    adding.slotTimerOut();
    QVERIFY(adding.animationPhase());
    adding.stopButton()->click();
    QVERIFY(add.stopRequested() && del.stopRequested());
    QVERIFY(QAddHeicThread::stopFlag() && QDetHeicThread::stopFlag());
    QVERIFY(!adding.isVisible());
    QVERIFY(!adding.isAnimating());
    QStopAddDelImgDlg other(5);
    QVERIFY(other.stopButton()->text().isEmpty());
    QVERIFY(other.statusLabel()->text().isEmpty());
}

void TestOperatePage::overlayDimsTheWindowItCovers() {
    zentarPixvue window;
    const QPoint inside(100, 600);  // in the content area, clear of the overlay's controls
    const QColor beneath = window.grab().toImage().pixelColor(inside);
    auto dimmed = [](int channel, int dim) { return (dim * 128 + channel * 127) / 255; };

    // Where the desktop blends, the overlay is the dim colour at half opacity.
    QStopAddDelImgDlg blended(1, &window);
    blended.setDesktopBlendsWindows(true);
    blended.showOver(&window);
    QVERIFY(!blended.coversWithPicture());
    QColor own = blended.grab().toImage().pixelColor(inside);
    QCOMPARE(own.alpha(), 128);
    QCOMPARE(blended.grab().toImage().pixelColor(5, 5).alpha(), 0);  // the shadow margin

    // Elsewhere it dims a picture of the window, opaque, instead of nearly black.
    QStopAddDelImgDlg pictured(1, &window);
    pictured.setDesktopBlendsWindows(false);
    pictured.showOver(&window);
    QVERIFY(pictured.coversWithPicture());
    own = pictured.grab().toImage().pixelColor(inside);
    QCOMPARE(own.alpha(), 255);
    QVERIFY(qAbs(own.red() - dimmed(beneath.red(), 0)) <= 2);
    QVERIFY(qAbs(own.green() - dimmed(beneath.green(), 18)) <= 2);
    QVERIFY(qAbs(own.blue() - dimmed(beneath.blue(), 55)) <= 2);
    QVERIFY2(own.lightness() > 100, qPrintable(own.name()));
}

void TestOperatePage::previewOverlay() {
    if (!guitest::hasTestData()) {
        QSKIP("no samples (PIXVUE_TESTDATA)");
    }
    zentarPixvue window;
    window.operatePage()->signalShowImage(guitest::sample("libheif/rainbow-451x461.heic"));
    QList<QShowImageDlg*> dialogs = window.findChildren<QShowImageDlg*>();
    QCOMPARE(dialogs.size(), 1);
    QPointer<QShowImageDlg> preview = dialogs.first();
    QVERIFY(preview->isModal());
    QVERIFY(preview->loadingLabel()->isVisible());
    QVERIFY(guitest::waitFor([&] { return preview->isLoaded(); }));
    QVERIFY(!preview->loadFailed());
    QVERIFY(!preview->loadingLabel()->isVisible());
    QCOMPARE(preview->imageLabel()->size(), QSize(600, 600));
    QCOMPARE(preview->imageLabel()->pixmap().size(), QSize(451, 461));
    // Only the close mark closes it.
    QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, QPoint(500, 350));
    QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(preview->isVisible());
    // The close mark lies in the dimmed area, clear of the window's title bar and its buttons.
    const QRect mark = preview->closeMark()->geometry();
    QCOMPARE(mark, QRect(1060 - 30 - 20 - 36, 30 + 54 + 20, 36, 36));
    QVERIFY(!mark.intersects(window.titleArea()));
    QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier,
                      preview->closeMark()->geometry().center());
    QVERIFY(guitest::waitFor([&] { return preview.isNull(); }));

    // Over a larger window the overlay takes its size.
    window.resize(1260, 808);
    window.operatePage()->signalShowImage(guitest::sample("pillow_heif/corrupted.heic"));
    preview = window.findChildren<QShowImageDlg*>().value(0);
    QVERIFY(preview);
    QCOMPARE(preview->size(), QSize(1260, 808));
    QCOMPARE(preview->closeMark()->geometry().topRight(), QPoint(1260 - 30 - 20 - 1, 104));
    QCOMPARE(preview->imageLabel()->geometry().center(), QRect(0, 0, 1260, 808).center());
    QVERIFY(guitest::waitFor([&] { return preview->isLoaded(); }));
    QVERIFY(preview->loadFailed());
    QCOMPARE(preview->imageLabel()->pixmap().size(), QSize(200, 150));
    // Closed at once, while a third preview still decodes: the worker ends on its own.
    window.operatePage()->signalShowImage(guitest::sample("sdwebimage/TestHDR.heic"));
    for (QShowImageDlg* dialog : window.findChildren<QShowImageDlg*>()) {
        dialog->close();
    }
    window.stopBackgroundWork();
    QCOMPARE(window.threadKeeper()->runningCount(), 0);
}

void TestOperatePage::closingStopsRunningWorkers() {
    const QString folder = m_files.filePath("quit");
    for (int i = 0; i < 2000; ++i) {
        filelisttest::makeFile(folder, QString("q%1.heic").arg(i), 0);
    }
    auto window = std::make_unique<zentarPixvue>();
    QOperatePage* page = window->operatePage();
    QSignalSpy completed(page, &QOperatePage::signalOpCompleted);
    guitest::dropUrls(*window, {QUrl::fromLocalFile(folder)});
    window->stopBackgroundWork();
    QCOMPARE(page->runningWorkers(), 0);
    window.reset();  // no thread is destroyed running, no queued result reaches a dead page
    QCoreApplication::processEvents();
}

PIXVUE_GUI_TEST_MAIN(TestOperatePage)
#include "tst_operatepage.moc"
