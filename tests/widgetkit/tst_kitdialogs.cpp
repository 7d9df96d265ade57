#include "kittestimages.h"

#include "cframelessdialog.h"
#include "cframelesswindow.h"
#include "kitcombobox.h"
#include "kittheme.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qirregularframeex.h"
#include "qmenuitemex.h"
#include "qmessageboxex.h"
#include "qztscrollbar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace kittest;

class TestKitDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        useProgramResources();
        QVERIFY(m_dir.isValid());
    }
    void dialogPaintsShadowBodyAndTitle();
    void dialogMovesOnlyByTitleBand();
    void windowShapesItselfWhereNothingBlends();
    void messageBoxModeZeroAcceptsOnYesRejectsOnClose();
    void messageBoxButtonModesAndIcons();
    void menuItemHighlightsAndClicks();
    void scrollBarFollowsRange();
    void popupFrameDrawsArrow();
    void comboBoxDropsAStyledList();
    void kitResourcesLoad();
    void execAnswererStandsInForTheUser();

private:
    QTemporaryDir m_dir;
};

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(widget, QEvent::MouseButtonPress, from, button, button);
    sendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, button);
    sendMouse(widget, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// What the frame paints, without the widget's shape applied.
QImage framePainted(const QWidget& widget, const KitFrame& frame) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    frame.paint(painter);
    return image;
}

}  // namespace

void TestKitDialogs::dialogPaintsShadowBodyAndTitle() {
    CFramelessDialog dialog;
    QVERIFY(dialog.isModal());
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    dialog.setShadowImage(writeSolid(m_dir, "shadow.png", QSize(90, 90), QColor(0, 0, 0, 60)));
    dialog.setDialogSize(200, 100);
    QCOMPARE(dialog.size(), QSize(260, 160));
    dialog.setTitleSize(QSize(200, 20));
    dialog.setTitleColor(QColor("#718AB9"));
    dialog.setBodyColor(QColor("#F3F6FD"));

    const QImage painted = paintedImage(&dialog);
    QCOMPARE(painted.pixelColor(5, 5), QColor(0, 0, 0, 60));
    QCOMPARE(painted.pixelColor(250, 150), QColor(0, 0, 0, 60));
    QCOMPARE(painted.pixelColor(40, 40), QColor("#718AB9"));
    QCOMPARE(painted.pixelColor(40, 60), QColor("#F3F6FD"));
    QCOMPARE(painted.pixelColor(229, 129), QColor("#F3F6FD"));

    // Offscreen the desktop blends, so the margin is drawn and the shape is whole.
    QVERIFY(kitframe::desktopBlendsWindows());
    QVERIFY(dialog.frame().drawsShadow());
    QVERIFY(dialog.mask().isEmpty());

    // Where nothing blends, the margin is neither drawn nor part of the dialog's shape.
    dialog.frame().setDrawsShadow(false);
    QCOMPARE(dialog.mask(), QRegion(29, 29, 202, 102));  // with a 1-pixel outline
    const QImage unshadowed = framePainted(dialog, dialog.frame());
    QCOMPARE(unshadowed.pixelColor(5, 5).alpha(), 0);
    QCOMPARE(unshadowed.pixelColor(28, 28).alpha(), 0);
    QCOMPARE(unshadowed.pixelColor(29, 29), QColor("#C5CCDC"));
    QCOMPARE(unshadowed.pixelColor(40, 40), QColor("#718AB9"));
    QCOMPARE(unshadowed.pixelColor(229, 129), QColor("#F3F6FD"));
    dialog.frame().setDrawsShadow(true);
    QVERIFY(dialog.mask().isEmpty());

    // A shadow image too small for its margins is refused rather than drawn broken.
    dialog.setShadowImage(writeSolid(m_dir, "small-shadow.png", QSize(20, 20), Qt::black));
    QCOMPARE(paintedImage(&dialog).pixelColor(5, 5).alpha(), 0);
}

// The main window's frame: shadow as the dialog's; without blending its shape keeps a thin
// strip on the right and bottom, where a resizable window is grabbed.
void TestKitDialogs::windowShapesItselfWhereNothingBlends() {
    CFramelessWindow window;
    window.setResizable(400, 300);
    window.resize(460, 360);
    window.setTitleSize(QSize(400, 40));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.frame().drawsShadow());
    QVERIFY(window.mask().isEmpty());
    window.frame().setDrawsShadow(false);
    QCOMPARE(window.mask(), QRegion(29, 29, 405, 305));
    QCOMPARE(window.resizeEdgesAt(QPoint(431, 200)), Qt::Edges(Qt::RightEdge));
    window.resize(560, 360);
    QCOMPARE(window.mask(), QRegion(29, 29, 505, 305));
    QCOMPARE(window.titleArea(), QRect(30, 30, 500, 40));
    const QImage unshadowed = framePainted(window, window.frame());
    QCOMPARE(unshadowed.pixelColor(5, 5).alpha(), 0);
    QCOMPARE(unshadowed.pixelColor(532, 200), QColor("#C5CCDC"));  // the grip strip
}

void TestKitDialogs::dialogMovesOnlyByTitleBand() {
    CFramelessDialog dialog;
    dialog.setDialogSize(470, 242);
    dialog.setTitleSize(QSize(470, 44));
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    // Outside the band: in the body, and in the shadow margin above the band.
    drag(&dialog, QPoint(200, 150), QPoint(260, 190));
    QCOMPARE(dialog.pos(), start);
    drag(&dialog, QPoint(200, 10), QPoint(260, 50));
    QCOMPARE(dialog.pos(), start);
    // Another button inside the band does not drag.
    drag(&dialog, QPoint(200, 40), QPoint(260, 80), Qt::RightButton);
    QCOMPARE(dialog.pos(), start);

    sendMouse(&dialog, QEvent::MouseButtonPress, QPoint(200, 40), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(dialog.isDragging());
    sendMouse(&dialog, QEvent::MouseMove, QPoint(260, 70), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(dialog.pos(), start + QPoint(60, 30));
    sendMouse(&dialog, QEvent::MouseButtonRelease, QPoint(200, 40), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!dialog.isDragging());
    sendMouse(&dialog, QEvent::MouseMove, QPoint(300, 100), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dialog.pos(), start + QPoint(60, 30));
}

void TestKitDialogs::messageBoxModeZeroAcceptsOnYesRejectsOnClose() {
    {
        QMessageboxEx box("Tips", "Saved.", 1, 0);
        QVERIFY(!box.yesButton()->isHidden());
        QVERIFY(box.noButton()->isHidden());
        QCOMPARE(box.yesButton()->text(), QString("YES"));
        QCOMPARE(box.size(), QSize(530, 302));
        QTimer::singleShot(0, &box, [&box] { QTest::mouseClick(box.yesButton(), Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }
    {
        QMessageboxEx box("Tips", "Saved.", 1, 0);
        QTimer::singleShot(0, &box,
                           [&box] { QTest::mouseClick(box.closeButton(), Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Rejected));
    }
    {
        QMessageboxEx box("Tips", "Delete?", 2, 2);
        QVERIFY(!box.noButton()->isHidden());
        QTimer::singleShot(0, &box, [&box] { QTest::mouseClick(box.noButton(), Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Rejected));
    }
}

void TestKitDialogs::messageBoxButtonModesAndIcons() {
    QMessageboxEx noOnly("t", "x", 0, 1);
    QVERIFY(noOnly.yesButton()->isHidden());
    QVERIFY(!noOnly.noButton()->isHidden());
    QCOMPARE(noOnly.iconLabel()->size(), QSize(0, 0));
    QVERIFY(noOnly.iconLabel()->isHidden());

    QMessageboxEx both("t", "x", 0, 7);
    QVERIFY(!both.yesButton()->isHidden());
    QVERIFY(!both.noButton()->isHidden());
    both.setButtonText("Confirm", "Cancel");
    QCOMPARE(both.yesButton()->text(), QString("Confirm"));
    QCOMPARE(both.noButton()->text(), QString("Cancel"));

    if (!QFile::exists(":/Img/res/png_msgicon.png")) {
        QSKIP("The program's image resources are not linked into this build");
    }
    const QImage icons(":/Img/res/png_msgicon.png");
    const int rowHeight = icons.height() / 4;
    for (int kind : {1, 2, 3, 4, 9}) {
        QMessageboxEx box("t", "x", kind, 0);
        QCOMPARE(box.iconLabel()->size(), QSize(icons.width(), rowHeight));
        const int row = kind <= 4 ? kind - 1 : 0;
        QCOMPARE(box.iconLabel()->pixmap().toImage().convertToFormat(
                     QImage::Format_ARGB32_Premultiplied),
                 icons.copy(0, row * rowHeight, icons.width(), rowHeight)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void TestKitDialogs::menuItemHighlightsAndClicks() {
    QMenuItemEx item(writeSolid(m_dir, "icon.png", QSize(16, 16), Qt::red), QSize(138, 36));
    QCOMPARE(item.size(), QSize(138, 36));
    item.setText("Feedback");
    QSignalSpy entered(&item, &QMenuItemEx::signalEnter);
    QSignalSpy left(&item, &QMenuItemEx::signalLeave);
    QSignalSpy clicked(&item, &QMenuItemEx::clicked);

    QImage painted = paintedImage(&item);
    QCOMPARE(painted.pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(painted.pixelColor(20, 18), QColor(Qt::red));

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&item, &enter);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(paintedImage(&item).pixelColor(2, 2), QColor("#DFF5FF"));
    QTest::mousePress(&item, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&item, &leave);
    QCOMPARE(left.count(), 1);
    QCOMPARE(item.backgroundColor(), QColor(Qt::white));
}

void TestKitDialogs::scrollBarFollowsRange() {
    QWidget window;
    auto* bar = new QZTScrollBar(Qt::Vertical, &window);
    bar->setFixedSize(8, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    bar->slotRangeChanged(0, 0);
    QVERIFY(bar->isHidden());
    bar->slotRangeChanged(0, 600);
    QVERIFY(!bar->isHidden());
    QCOMPARE(bar->maximum(), 600);
    QCOMPARE(bar->pageStep(), 600);
    bar->slotValueChanged(250);
    QCOMPARE(bar->value(), 250);
    bar->slotRangeChanged(0, -5);
    QVERIFY(bar->isHidden());
}

void TestKitDialogs::popupFrameDrawsArrow() {
    QIrregularFrameEX frame;
    QVERIFY(frame.testAttribute(Qt::WA_TranslucentBackground));
    frame.setFixedSize(138, 100);
    const QImage painted = paintedImage(&frame);
    QCOMPARE(painted.pixelColor(69, 4), QColor(Qt::white));
    QCOMPARE(painted.pixelColor(10, 4).alpha(), 0);
    QCOMPARE(painted.pixelColor(10, 50), QColor(Qt::white));
}

void TestKitDialogs::comboBoxDropsAStyledList() {
    QWidget page;  // a window with a style sheet of its own, as the program's pages have
    page.setStyleSheet(QStringLiteral("QLabel{color:#444444;}"));
    auto& combo = *new QComboBox(&page);
    styleKitComboBox(&combo);
    for (int percent = 100; percent > 0; percent -= 10) {
        combo.addItem(QStringLiteral("%1%").arg(percent));
    }
    combo.setMaxVisibleItems(5);
    combo.setFixedSize(96, 32);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    QTRY_VERIFY(view->isVisible());
    // A list of five 32-pixel items below the box, not a menu of all ten over it.
    QCOMPARE(view->visualRect(view->model()->index(0, 0)).height(), 32);
    QVERIFY(view->window()->height() < 6 * 32);
    QVERIFY(view->window()->y() >= combo.mapToGlobal(QPoint(0, combo.height())).y() - 1);
    // The current item in the title colour, its text set in from the edge.
    const QImage items = view->viewport()->grab().toImage();
    for (int x = 0; x < 9; ++x) {
        for (int y = 2; y < 30; ++y) {
            QCOMPARE(items.pixelColor(x, y), QColor("#718AB9"));
        }
    }
    combo.hidePopup();
}

void TestKitDialogs::kitResourcesLoad() {
#ifndef KIT_TEST_WITH_PIXVUE_RESOURCES
    QSKIP("The program's image resources are not linked into this build");
#else
    struct Strip {
        const char* path;
        QSize frame;
    };
    for (const Strip& strip : {Strip{":/Img/res/btn/btn_dlgclose.png", QSize(14, 14)},
                               Strip{":/Img/res/btn/btn_dlgyes.png", QSize(96, 32)},
                               Strip{":/Img/res/btn/btn_dlgno.png", QSize(96, 32)}}) {
        QIconButton button(strip.path, strip.frame);
        for (const QPixmap& frame : button.frames()) {
            QVERIFY2(!frame.isNull(), strip.path);
        }
    }
    const KitTheme theme = pixvue::kitTheme();
    const QImage sprite(theme.checkBoxSprite);
    QVERIFY(sprite.width() >= 32 && sprite.height() >= 64);
    const QImage shadow(theme.shadowImage);
    QVERIFY(shadow.width() > 60 && shadow.height() > 60);
    QVERIFY(!QImage(theme.progressAnimation).isNull());
    QVERIFY(!QImage(theme.messageIcons).isNull());
#endif
}

void TestKitDialogs::execAnswererStandsInForTheUser() {
    int asked = 0;
    const CFramelessDialog::ExecAnswerer answerer = [&asked](CFramelessDialog& dialog) {
        ++asked;
        auto& box = static_cast<QMessageboxEx&>(dialog);
        QTest::mouseClick(asked == 1 ? box.yesButton() : box.noButton(), Qt::LeftButton);
        return dialog.result();
    };
    // One dialog's own answerer, and an owner's for every dialog made under it.
    QMessageboxEx first("Title", "Text", 0, 2);
    first.setExecAnswerer(answerer);
    QCOMPARE(first.exec(), int(QDialog::Accepted));
    QWidget owner;
    QWidget page(&owner);
    CFramelessDialog::setExecAnswerer(owner, answerer);
    QMessageboxEx second("Title", "Text", 0, 2, &page);
    QVERIFY(second.hasExecAnswerer());
    QCOMPARE(second.exec(), int(QDialog::Rejected));
    QVERIFY(!second.isVisible());
    QCOMPARE(asked, 2);

    // Nothing is answered elsewhere, nor once the owner's answerer is gone.
    QMessageboxEx stranger("Title", "Text", 0, 2);
    QVERIFY(!stranger.hasExecAnswerer());
    CFramelessDialog::setExecAnswerer(owner, {});
    QVERIFY(!second.hasExecAnswerer());
    QMessageboxEx third("Title", "Text", 0, 2, &page);
    QTimer::singleShot(0, third.yesButton(),
                       [&third] { QTest::mouseClick(third.yesButton(), Qt::LeftButton); });
    QCOMPARE(third.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(TestKitDialogs)
#include "tst_kitdialogs.moc"
