#include "kittestimages.h"

#include "kittheme.h"
#include "qcheckboxex.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"

#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace kittest;

class TestKitButtons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        useProgramResources();
        QVERIFY(m_dir.isValid());
    }
    void stateFollowsMouseAndEnabling();
    void keysNeverClick();
    void twoFrameStripPaintsNothingForPressedAndDisabled();
    void missingImageKeepsDesignedSize();
    void imageTextButtonKeepsCornersAndPlacesText();
    void checkBoxPaintsSpriteCells();
    void partiallyCheckedBoxPaintsOnlyText();
    void themeSetsCheckBoxFontAndSprite();

private:
    QTemporaryDir m_dir;
};

namespace {

void sendEnter(QWidget* widget) {
    QEvent event(QEvent::Enter);
    QApplication::sendEvent(widget, &event);
}

void sendLeave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

QColor centre(QWidget* widget) {
    const QImage image = paintedImage(widget);
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

}  // namespace

void TestKitButtons::stateFollowsMouseAndEnabling() {
    const QString strip = writeStrip(m_dir, "four.png", QSize(20, 10), 4);
    QWidget window;
    auto* button = new QIconButton(strip, QSize(20, 10), &window);
    QCOMPARE(button->size(), QSize(20, 10));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy entered(button, &QBaseButton::signalMouseEnter);
    QSignalSpy left(button, &QBaseButton::signalMouseLeave);
    QSignalSpy clicked(button, &QBaseButton::clicked);
    QCOMPARE(button->buttonState(), int(ButtonNormal));
    QCOMPARE(centre(button), frameColors()[0]);

    sendEnter(button);
    QCOMPARE(button->buttonState(), int(ButtonHover));
    QCOMPARE(entered.count(), 1);
    QCOMPARE(centre(button), frameColors()[1]);

    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(button->buttonState(), int(ButtonPressed));
    QCOMPARE(centre(button), frameColors()[2]);
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(button->buttonState(), int(ButtonHover));
    QCOMPARE(clicked.count(), 1);
    {
        // A dialog the click opened over the window takes the mouse: the button rests.
        QDialog modal(&window);
        modal.setModal(true);
        modal.show();
        QTRY_COMPARE(button->buttonState(), int(ButtonNormal));
    }
    sendEnter(button);
    QCOMPARE(button->buttonState(), int(ButtonHover));
    button->hide();
    QCOMPARE(button->buttonState(), int(ButtonNormal));
    button->show();
    entered.clear();
    sendEnter(button);

    sendLeave(button);
    QCOMPARE(button->buttonState(), int(ButtonNormal));
    QCOMPARE(left.count(), 1);

    button->setEnabled(false);
    QCOMPARE(button->buttonState(), int(ButtonDisabled));
    QCOMPARE(centre(button), frameColors()[3]);
    sendEnter(button);
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    sendLeave(button);
    QCOMPARE(button->buttonState(), int(ButtonDisabled));
    QCOMPARE(entered.count(), 1);
    QCOMPARE(left.count(), 1);
    QCOMPARE(clicked.count(), 1);

    button->setEnabled(true);
    QCOMPARE(button->buttonState(), int(ButtonNormal));

    // Disabling the parent disables the look too, and enabling it restores normal.
    window.setEnabled(false);
    QCOMPARE(button->buttonState(), int(ButtonDisabled));
    window.setEnabled(true);
    QCOMPARE(button->buttonState(), int(ButtonNormal));
}

void TestKitButtons::keysNeverClick() {
    const QString strip = writeStrip(m_dir, "keys.png", QSize(40, 20), 4);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(&dialog);
    auto* button = new QImageTextButton(strip, QSize(40, 20), &dialog);
    layout->addWidget(edit);
    layout->addWidget(button);
    QSignalSpy clicked(button, &QBaseButton::clicked);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    button->setFocus();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(button, key);
    }
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(rejected.count(), 0);
    QVERIFY(dialog.isVisible());

    // Return in another widget of the dialog does not click a kit button either.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(clicked.count(), 0);

    // The mouse still clicks.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void TestKitButtons::twoFrameStripPaintsNothingForPressedAndDisabled() {
    const QString strip = writeStrip(m_dir, "two.png", QSize(16, 16), 2);
    QWidget window;
    auto* button = new QIconButton(strip, QSize(16, 16), &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!button->frames()[1].isNull());
    QVERIFY(button->frames()[2].isNull());
    QVERIFY(button->frames()[3].isNull());

    sendEnter(button);
    QCOMPARE(centre(button), frameColors()[1]);
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(centre(button).alpha(), 0);
    QTest::mouseRelease(button, Qt::LeftButton);
    button->setEnabled(false);
    QCOMPARE(centre(button).alpha(), 0);

    // A strip shorter than one frame has no frames at all.
    const QString tiny = writeStrip(m_dir, "tiny.png", QSize(16, 8), 1);
    QIconButton empty(tiny, QSize(16, 16));
    for (const QPixmap& frame : empty.frames()) {
        QVERIFY(frame.isNull());
    }
}

void TestKitButtons::missingImageKeepsDesignedSize() {
    QImageTextButton button(m_dir.filePath("absent.png"), QSize(96, 32));
    QCOMPARE(button.size(), QSize(96, 32));
    QIconButton icon(m_dir.filePath("absent.png"), QSize(14, 14));
    QCOMPARE(icon.size(), QSize(14, 14));
    QIconButton zeroFrame(writeStrip(m_dir, "zero.png", QSize(8, 8), 4), QSize(8, 0));
    QVERIFY(zeroFrame.frames()[0].isNull());
}

void TestKitButtons::imageTextButtonKeepsCornersAndPlacesText() {
    // One frame: a red 5-pixel border around a blue centre, four states alike.
    QImage frame(40, 80, QImage::Format_ARGB32);
    frame.fill(Qt::red);
    QPainter painter(&frame);
    for (int i = 0; i < 4; ++i) {
        painter.fillRect(5, i * 20 + 5, 30, 10, Qt::blue);
    }
    painter.end();
    const QString path = m_dir.filePath("border.png");
    QVERIFY(frame.save(path));

    QImageTextButton button(path, QSize(40, 20));
    QCOMPARE(button.size(), QSize(40, 20));
    button.setFixedSize(200, 20);
    QImage painted = paintedImage(&button);
    QCOMPARE(painted.pixelColor(2, 10), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(197, 10), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(100, 2), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(7, 10), QColor(Qt::blue));
    QCOMPARE(painted.pixelColor(192, 10), QColor(Qt::blue));

    QCOMPARE(button.textColor(ButtonNormal), QColor("#FAAB3E"));
    QCOMPARE(button.textColor(ButtonHover), QColor("#FFFFFF"));
    QCOMPARE(button.textColor(ButtonDisabled), QColor("#DDDDDD"));
    button.setTextColor(Qt::black, Qt::white, Qt::gray, Qt::darkGray);
    QCOMPARE(button.textColor(ButtonPressed), QColor(Qt::gray));
    button.setTextFont(16, 57);
    QCOMPARE(button.textFont().pixelSize(), 16);
    QCOMPARE(button.textFont().weight(), 57);

    // The text lands where its offsets say: black text on the blue centre.
    button.setFixedSize(200, 40);
    button.setText("MMMM");
    button.setTextOffset(150, 0);
    painted = paintedImage(&button);
    auto hasTextIn = [&painted](const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (painted.pixelColor(x, y) == QColor(Qt::black)) {
                    return true;
                }
            }
        }
        return false;
    };
    QVERIFY(hasTextIn(QRect(150, 5, 45, 30)));
    QVERIFY(!hasTextIn(QRect(5, 5, 140, 30)));
    button.setTextOffset(0, 0);
    painted = paintedImage(&button);
    QVERIFY(hasTextIn(QRect(70, 5, 60, 30)));
    QVERIFY(!hasTextIn(QRect(5, 5, 50, 30)));

    QCOMPARE(QImageTextButton::textRect(QRect(0, 0, 100, 30), 10, 4), QRect(10, 4, 90, 26));
    QCOMPARE(QImageTextButton::textAlignment(10, 4), int(Qt::AlignLeft | Qt::AlignTop));
    QCOMPARE(QImageTextButton::textRect(QRect(0, 0, 100, 30), 10, 0), QRect(10, 0, 90, 30));
    QCOMPARE(QImageTextButton::textAlignment(10, 0), 129);
    QCOMPARE(QImageTextButton::textRect(QRect(0, 0, 100, 30), 0, 4), QRect(0, 4, 100, 26));
    QCOMPARE(QImageTextButton::textAlignment(0, 4), 36);
    QCOMPARE(QImageTextButton::textAlignment(0, 0), 132);
}

void TestKitButtons::checkBoxPaintsSpriteCells() {
    QWidget window;
    auto* box = new QCheckBoxEx(&window);
    box->setIndicatorImage(writeSprite(m_dir, "sprite.png", QSize(16, 16)), QRect(0, 0, 32, 64));
    box->setText("Keep EXIF");
    box->setFixedSize(150, 24);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto indicatorColour = [box] { return paintedImage(box).pixelColor(8, 12); };
    auto cellColour = [](int column, int row) { return frameColors()[row * 2 + column]; };
    QCOMPARE(indicatorColour(), cellColour(0, 0));
    sendEnter(box);
    QVERIFY(box->isHovered());
    QCOMPARE(indicatorColour(), cellColour(0, 1));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(100, 12));
    QVERIFY(box->isPressed());
    QCOMPARE(indicatorColour(), cellColour(0, 2));
    // A click on the text toggles the box as well.
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(100, 12));
    QVERIFY(!box->isPressed());
    QVERIFY(box->isChecked());
    QCOMPARE(indicatorColour(), cellColour(1, 1));
    sendLeave(box);
    QCOMPARE(indicatorColour(), cellColour(1, 0));
    box->setEnabled(false);
    QCOMPARE(indicatorColour(), cellColour(1, 3));
    box->setChecked(false);
    QCOMPARE(indicatorColour(), cellColour(0, 3));
}

void TestKitButtons::partiallyCheckedBoxPaintsOnlyText() {
    QCheckBoxEx box;
    box.setIndicatorImage(writeSprite(m_dir, "sprite2.png", QSize(16, 16)), QRect(0, 0, 32, 64));
    box.setText("MMMM");
    box.setFixedSize(150, 24);
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    QCOMPARE(box.indicatorCell(), QPoint(-1, -1));

    const QImage painted = paintedImage(&box);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 16; ++x) {
            QCOMPARE(painted.pixelColor(x, y).alpha(), 0);
        }
    }
    int textPixels = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 26; x < 150; ++x) {
            textPixels += painted.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        }
    }
    QVERIFY(textPixels > 20);
}

void TestKitButtons::themeSetsCheckBoxFontAndSprite() {
    const KitTheme saved = KitTheme::current();
    QCOMPARE(QCheckBoxEx().textFont().pixelSize(), 14);

    KitTheme theme;
    theme.checkBoxFontPixelSize = 13;
    theme.checkBoxSprite = writeSprite(m_dir, "reporter.png", QSize(16, 16));
    KitTheme::setCurrent(theme);
    QCheckBoxEx box;
    KitTheme::setCurrent(saved);

    QCOMPARE(box.textFont().pixelSize(), 13);
    box.setFixedSize(100, 24);
    box.setChecked(true);
    QCOMPARE(paintedImage(&box).pixelColor(8, 12), frameColors()[1]);
}

QTEST_MAIN(TestKitButtons)
#include "tst_kitbuttons.moc"
