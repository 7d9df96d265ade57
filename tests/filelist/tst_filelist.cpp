// The file list's view, header and delegate as a user works them.
#include "app/pixvuestartup.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtableviewbase.h"
#include "filelisttestsupport.h"
#include "pages/qfilelistcontroller.h"
#include "pages/qoperatepage.h"
#include "qimagetextbutton.h"
#include "qztscrollbar.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolTip>

using filelisttest::addThroughPage;
using filelisttest::makeFiles;

class TestFileList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void checkBoxesAndHeaderBox();
    void buttonsOfARow();
    void sortedByNameSizeOrState();
    void removeButtonsEmptyTheList();
    void toolTipAndStateTexts();
    void overlayScrollBar();

private:
    struct Page {
        QStackedWidget stack;
        QFrame home;
        QOperatePage* page;
        std::unique_ptr<QAbstractItemModelTester> tester;
        Page() : page(new QOperatePage(&stack, &stack)) {
            stack.addWidget(&home);
            stack.addWidget(page);
            stack.resize(1000, 594);
            tester = std::make_unique<QAbstractItemModelTester>(
                page->model().data(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        }
        ~Page() { stack.removeWidget(&home); }
        QTableViewBase* view() const { return page->tableView(); }
        HeicModelData* record(int row) const { return page->model()->heicData(row); }
        // Paints the list, so that the records know where their boxes and buttons are.
        void paint() const {
            QCoreApplication::processEvents();
            view()->grab();
        }
        // A mouse move over the list, no button held.
        void move(const QPoint& pos) const {
            QMouseEvent event(QEvent::MouseMove, pos, view()->viewport()->mapToGlobal(pos),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view()->viewport(), &event);
        }
        void click(const QPoint& pos, Qt::MouseButton button = Qt::LeftButton) const {
            QTest::mouseClick(view()->viewport(), button, Qt::NoModifier, pos);
            paint();
        }
    };
    QTemporaryDir m_files;
};

void TestFileList::initTestCase() {
    pixvue::applyApplicationLook();
}

void TestFileList::checkBoxesAndHeaderBox() {
    Page list;
    QVERIFY(addThroughPage(*list.page, makeFiles(m_files.filePath("three"), 3)));
    list.paint();
    QHeaderViewBase* header = list.page->headerView();
    // New rows start checked.
    QCOMPARE(list.view()->checkedRows().size(), 3);
    QCOMPARE(header->checkBoxState(), int(ModelDataBase::Checked));
    QCOMPARE(header->sectionText(1), QStringLiteral("Select 3 pc"));
    QCOMPARE(list.record(0)->nCheckBoxState, int(ModelDataBase::Checked));

    list.click(list.record(1)->rcCheckBox.center());
    QCOMPARE(list.view()->checkedRows().size(), 2);
    QCOMPARE(header->checkBoxState(), int(ModelDataBase::Partial));
    QCOMPARE(header->sectionText(1), QStringLiteral("Select 2 pc"));
    QCOMPARE(list.record(1)->nCheckBoxState & ModelDataBase::Checked, 0);
    QVERIFY(list.page->removeButton()->isEnabled());

    // A click elsewhere on a row toggles it too; the last checked row unchecks by its box.
    list.click(list.record(0)->rcCheckBox.center() + QPoint(150, 0));
    QCOMPARE(header->sectionText(1), QStringLiteral("Select 1 pc"));
    list.click(list.record(2)->rcCheckBox.center());
    QCOMPARE(list.view()->checkedRows().size(), 0);
    QCOMPARE(header->checkBoxState(), int(ModelDataBase::Unchecked));
    QCOMPARE(header->sectionText(1), QStringLiteral("File Name"));
    QVERIFY(!list.page->removeButton()->isEnabled());
    QVERIFY(!list.page->convertButton()->isEnabled());

    // The header box: some checked -> all; all -> none.
    list.click(list.record(1)->rcCheckBox.center());
    QSignalSpy headerClicks(header, &QHeaderViewBase::signalHeaderCheckBoxClicked);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      header->checkBoxRect().center());
    QCOMPARE(headerClicks.count(), 1);
    QCOMPARE(list.view()->checkedRows().size(), 3);
    QCOMPARE(header->sectionText(1), QStringLiteral("Select 3 pc"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      header->checkBoxRect().center());
    QCOMPARE(list.view()->checkedRows().size(), 0);
    QCOMPARE(header->checkBoxState(), int(ModelDataBase::Unchecked));
    // A press on a section's text selects no column.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(400, 27));
    QCOMPARE(list.view()->checkedRows().size(), 0);
}

void TestFileList::buttonsOfARow() {
    Page list;
    QVERIFY(addThroughPage(*list.page, makeFiles(m_files.filePath("buttons"), 2)));
    list.paint();
    QSignalSpy previews(list.page, &QOperatePage::signalShowImage);
    QSignalSpy folders(list.view(), &QTableViewBase::signalOpenFolder);
    const int checked = list.view()->checkedRows().size();

    list.move(list.record(1)->rcPreview.center());
    QCOMPARE(list.record(1)->nPreviewState, int(HeicModelData::Hovered));
    list.click(list.record(1)->rcPreview.center());
    QCOMPARE(previews.count(), 1);
    QCOMPARE(previews.first().first().toString(), list.record(1)->strFilePath);
    QCOMPARE(list.view()->checkedRows().size(), checked);  // the preview is no toggle
    // The preview took the mouse away: the eye is back at rest.
    QCOMPARE(list.record(1)->nPreviewState, int(HeicModelData::Normal));

    // Never converted in this format: the folder button is disabled and does nothing.
    QCOMPARE(list.record(0)->nFolderState, int(HeicModelData::Disabled));
    list.click(list.record(0)->rcFolder.center());
    QCOMPARE(folders.count(), 0);
    list.record(0)->nFolderState = HeicModelData::Normal;
    list.click(list.record(0)->rcFolder.center());
    QCOMPARE(folders.count(), 1);

    // Looks follow the mouse; a busy record does not react.
    list.move(list.record(0)->rcDelete.center());
    QCOMPARE(list.record(0)->nDeleteState, int(HeicModelData::Hovered));
    QCOMPARE(list.record(0)->nHover, 1);
    QCOMPARE(list.record(1)->nHover, 0);
    list.move(list.record(0)->rcPreview.center());
    QCOMPARE(list.record(0)->nDeleteState, int(HeicModelData::Normal));
    QCOMPARE(list.record(0)->nPreviewState, int(HeicModelData::Hovered));
    // Leaving the list rests every button.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(list.view(), &leave);
    QCOMPARE(list.record(0)->nPreviewState, int(HeicModelData::Normal));
    list.record(1)->bBusy = true;
    QSignalSpy deletes(list.page->model().data(), &QAbstractItemModel::rowsRemoved);
    list.click(list.record(1)->rcDelete.center());
    QCOMPARE(deletes.count(), 0);
}

void TestFileList::sortedByNameSizeOrState() {
    QCOMPARE(naturalCompare("IMG_2.heic", "img_10.heic"), -1);
    QCOMPARE(naturalCompare("a10", "a9"), 1);
    QVERIFY(naturalCompare("a010", "a10") != 0);  // equal value, still one order
    QCOMPARE(naturalCompare("b", "B1"), -1);
    QCOMPARE(naturalCompare("x", "x"), 0);

    Page list;
    const QString dir = m_files.filePath("sorted");
    const auto file = [&dir](const char* name, qint64 size) {
        return filelisttest::makeFile(dir, QString::fromLatin1(name), size);
    };
    QVERIFY(addThroughPage(*list.page, {file("photo_10.heic", 3000), file("Photo_2.heic", 1000),
                                        file("photo_1.heic", 500)}));
    const auto names = [&list] {
        QStringList shown;
        for (const QString& path : list.page->listedPaths()) {
            shown << QFileInfo(path).completeBaseName();
        }
        return shown.join(' ');
    };
    QCOMPARE(names(), QStringLiteral("photo_1 Photo_2 photo_10"));

    // A later add sorts in; only its row is checked, where it went.
    list.view()->clearSelection();
    QVERIFY(addThroughPage(*list.page, {file("photo_3.heic", 2000)}));
    QCOMPARE(names(), QStringLiteral("photo_1 Photo_2 photo_3 photo_10"));
    const QModelIndexList checked = list.view()->checkedRows();
    QCOMPARE(checked.size(), 1);
    QCOMPARE(checked.first().row(), 2);

    QHeaderViewBase* header = list.page->headerView();
    const auto clickHeader = [header](int section) {
        const QPoint at(header->sectionViewportPosition(section) + 10,
                        QHeaderViewBase::kHeight / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    clickHeader(QHeicDelegate::SizeColumn);
    QCOMPARE(names(), QStringLiteral("photo_1 Photo_2 photo_3 photo_10"));
    list.page->model()->heicData(0)->setFileSize(4000);  // photo_10
    clickHeader(QHeicDelegate::SizeColumn);              // again: largest first
    QCOMPARE(names(), QStringLiteral("photo_10 photo_3 Photo_2 photo_1"));
    QCOMPARE(list.view()->checkedRows().first().row(), 1);  // photo_3 stays checked

    list.page->model()->heicData(0)->nConvertState = HeicModelData::Failed;     // photo_10
    list.page->model()->heicData(2)->nConvertState = HeicModelData::Completed;  // photo_1
    clickHeader(QHeicDelegate::StateColumn);
    QCOMPARE(names(), QStringLiteral("Photo_2 photo_3 photo_1 photo_10"));
    // Other headers do not sort; the name's brings the first order back.
    clickHeader(QHeicDelegate::FormatColumn);
    QCOMPARE(names(), QStringLiteral("Photo_2 photo_3 photo_1 photo_10"));
    clickHeader(QHeicDelegate::NameColumn);
    QCOMPARE(names(), QStringLiteral("photo_1 Photo_2 photo_3 photo_10"));
}

void TestFileList::removeButtonsEmptyTheList() {
    Page list;
    const QStringList files = makeFiles(m_files.filePath("remove"), 3);
    QVERIFY(addThroughPage(*list.page, files));
    list.stack.setCurrentWidget(list.page);
    list.paint();
    list.click(list.record(1)->rcDelete.center());
    QCOMPARE(filelisttest::rowPaths(*list.page->model()), QStringList({files[0], files[2]}));
    QCOMPARE(list.page->fileList()->paths(), QStringList({files[0], files[2]}));
    QCOMPARE(list.stack.currentWidget(), list.page);
    list.click(list.record(0)->rcDelete.center());
    list.click(list.record(0)->rcDelete.center());
    QCOMPARE(list.page->model()->rowCount(), 0);
    QVERIFY(list.page->fileList()->paths().isEmpty());
    QCOMPARE(list.stack.currentWidget(), &list.home);
}

void TestFileList::toolTipAndStateTexts() {
    Page list;
    const QString longName =
        QString("a_photo_name_that_is_far_wider_than_the_file_name_column_of_the_list.heic");
    const QString path = filelisttest::makeFile(m_files.filePath("tip"), longName);
    QVERIFY(addThroughPage(*list.page, {path}));
    list.stack.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list.stack));
    list.paint();
    const QRect name = list.view()->visualRect(list.view()->model()->index(0, 1));
    list.move(name.center());
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), path);
    QToolTip::hideText();

    QCOMPARE(QHeicDelegate::stateText(HeicModelData::Converting), QStringLiteral("Converting..."));
    QCOMPARE(QHeicDelegate::stateColor(HeicModelData::Failed), QColor("#ff0000"));
    QVERIFY(QHeicDelegate::stateText(4).isEmpty());
    QCOMPARE(QHeicDelegate::formatText(7), QStringLiteral("7"));
    // The name column draws an ellipsis, not the whole name, into its cell.
    const QFontMetrics metrics([] {
        QFont font = QApplication::font();
        font.setPixelSize(12);
        return font;
    }());
    QVERIFY(metrics.horizontalAdvance(longName) > name.width() - 10);
    QVERIFY(
        metrics.elidedText(longName, Qt::ElideRight, name.width() - 10).endsWith(QChar(0x2026)));
}

void TestFileList::overlayScrollBar() {
    Page list;
    QVERIFY(addThroughPage(*list.page, makeFiles(m_files.filePath("many"), 20)));
    list.stack.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list.stack));
    list.paint();
    QTableViewBase* view = list.view();
    QZTScrollBar* bar = view->overlayScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->geometry(), QRect(view->width() - 9, 54, 8, view->height() - 56));
    for (int row = 0; row < 20; ++row) {
        QCOMPARE(view->rowHeight(row), 54);
    }
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(view, &enter);
    QVERIFY(bar->isVisible());
    bar->setValue(bar->maximum());
    QCOMPARE(view->verticalScrollBar()->value(), bar->maximum());
    view->verticalScrollBar()->setValue(0);
    QCOMPARE(bar->value(), 0);
    list.move(QPoint(300, 30));
    QCOMPARE(list.record(0)->nHover, 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view, &leave);
    QVERIFY(!bar->isVisible());
    QCOMPARE(list.record(0)->nHover, 0);
}

PIXVUE_GUI_TEST_MAIN(TestFileList)
#include "tst_filelist.moc"
