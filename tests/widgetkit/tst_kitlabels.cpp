#include "kittestimages.h"

#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qlineex.h"
#include "qmultilinelabel.h"
#include "qprogressex.h"

#include <QFontMetrics>
#include <QtTest>

using namespace kittest;

class TestKitLabels : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        useProgramResources();
        QVERIFY(m_dir.isValid());
    }
    void progressWithoutValuePaintsOnlyTrack();
    void progressTimerStartsOnlyWhenAnimatedAndFilled();
    void progressTimerStopsWhileHiddenOrStill();
    void progressHighlightRestartsAfterCrossingTheFill();
    void progressHighlightSlices();
    void adaptiveLabelFitsItsText();
    void multiLineLabelGrowsByLines();
    void imageLableCentresSmallPicture();
    void imageLableScalesLargePictureOnce();
    void lineDrawsRule();

private:
    QTemporaryDir m_dir;
};

void TestKitLabels::progressWithoutValuePaintsOnlyTrack() {
    QProgressEx bar(nullptr, true);
    bar.setImage(writeSolid(m_dir, "red.png", QSize(20, 10), Qt::red));
    bar.setFixedSize(200, 10);
    QImage painted = paintedImage(&bar);
    for (int x = 10; x < 190; x += 10) {
        QCOMPARE(painted.pixelColor(x, 5), QColor("#EAEAEA"));
    }
    bar.setValue(50);
    painted = paintedImage(&bar);
    QCOMPARE(painted.pixelColor(20, 5), QColor("#DAEEFF"));
    QCOMPARE(painted.pixelColor(150, 5), QColor("#EAEAEA"));
}

void TestKitLabels::progressTimerStartsOnlyWhenAnimatedAndFilled() {
    QProgressEx still(nullptr, false);
    still.show();
    QVERIFY(QTest::qWaitForWindowExposed(&still));
    still.setValue(40);
    QVERIFY(!still.isAnimationRunning());

    QProgressEx animated(nullptr, true);
    animated.show();
    QVERIFY(QTest::qWaitForWindowExposed(&animated));
    animated.setValue(0);
    QVERIFY(!animated.isAnimationRunning());
    animated.setValue(1);
    QVERIFY(animated.isAnimationRunning());
    animated.setValue(0);
    QVERIFY(animated.isAnimationRunning());

    animated.setValue(250);
    QCOMPARE(animated.value(), 100);
    animated.setValue(-3);
    QCOMPARE(animated.value(), 0);
}

void TestKitLabels::progressTimerStopsWhileHiddenOrStill() {
    QProgressEx bar(nullptr, true);
    bar.setFixedSize(200, 10);
    bar.setValue(30);
    QVERIFY(!bar.isAnimationRunning());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QVERIFY(bar.isAnimationRunning());

    bar.hide();
    QVERIFY(!bar.isAnimationRunning());
    bar.show();
    QVERIFY(bar.isAnimationRunning());

    bar.setAnimated(false);
    QVERIFY(!bar.isAnimationRunning());
    bar.hide();
    bar.show();
    QVERIFY(!bar.isAnimationRunning());
    bar.setValue(60);
    QVERIFY(!bar.isAnimationRunning());

    // An empty bar shown again has nothing to animate.
    QProgressEx empty(nullptr, true);
    empty.setFixedSize(200, 10);
    empty.show();
    QVERIFY(QTest::qWaitForWindowExposed(&empty));
    QVERIFY(!empty.isAnimationRunning());
}

void TestKitLabels::progressHighlightRestartsAfterCrossingTheFill() {
    // Animated only after the value is set, so that no timer moves the highlight meanwhile.
    QProgressEx bar(nullptr, false);
    bar.setImage(writeSolid(m_dir, "red20.png", QSize(20, 10), Qt::red));
    bar.setFixedSize(200, 10);
    bar.setValue(100);

    // Hidden, the highlight stands still.
    bar.updateAnimation();
    QCOMPARE(bar.animationOffset(), 0);

    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.setAnimated(true);
    QVERIFY(!bar.isAnimationRunning());
    QVector<int> offsets;
    for (int tick = 0; tick < 100; ++tick) {
        bar.updateAnimation();
        offsets << bar.animationOffset();
    }
    // It runs 5 pixels a tick until it has left the fill by the image width, then restarts.
    QCOMPARE(offsets[0], 5);
    QCOMPARE(offsets[43], 220);
    QCOMPARE(offsets[44], 0);
    QCOMPARE(offsets[45], 5);
    QCOMPARE(offsets[88], 220);
    QCOMPARE(offsets[89], 0);

    // With half the bar filled it restarts sooner.
    bar.setValue(50);
    while (bar.animationOffset() != 0) {
        bar.updateAnimation();
    }
    int ticks = 0;
    do {
        bar.updateAnimation();
        ++ticks;
    } while (bar.animationOffset() != 0);
    QCOMPARE(ticks, 25);
}

void TestKitLabels::progressHighlightSlices() {
    // Image 20 wide, fill 100 wide.
    auto slice = QProgressEx::highlightSlice(20, 10, 60, 100);
    QCOMPARE(slice.source, QRect(0, 0, 20, 10));
    QCOMPARE(slice.left, 40);
    slice = QProgressEx::highlightSlice(20, 10, 110, 100);
    QCOMPARE(slice.source, QRect(0, 0, 10, 10));
    QCOMPARE(slice.left, 90);
    slice = QProgressEx::highlightSlice(20, 10, 125, 100);
    QCOMPARE(slice.width, 0);
    slice = QProgressEx::highlightSlice(20, 10, 8, 100);
    QCOMPARE(slice.source, QRect(12, 0, 8, 10));
    QCOMPARE(slice.left, 0);
    slice = QProgressEx::highlightSlice(20, 10, 0, 100);
    QCOMPARE(slice.width, 0);
    slice = QProgressEx::highlightSlice(20, 10, 15, 6);
    QCOMPARE(slice.source, QRect(5, 0, 6, 10));
    slice = QProgressEx::highlightSlice(20, 10, 15, 0);
    QCOMPARE(slice.width, 0);

    // Painted: the whole highlight at 40..60 inside a fill of 100.
    QProgressEx bar(nullptr, true);
    bar.setImage(writeSolid(m_dir, "red-paint.png", QSize(20, 10), Qt::red));
    bar.setFixedSize(200, 10);
    bar.setValue(50);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    while (bar.animationOffset() != 60) {
        bar.updateAnimation();
    }
    const QImage painted = paintedImage(&bar);
    QCOMPARE(painted.pixelColor(50, 5), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(30, 5), QColor("#DAEEFF"));
    QCOMPARE(painted.pixelColor(70, 5), QColor("#DAEEFF"));
    QCOMPARE(painted.pixelColor(150, 5), QColor("#EAEAEA"));
}

void TestKitLabels::adaptiveLabelFitsItsText() {
    const FontSpec font(16, 57);
    QAdaptiveLabel label(QColor("#E95454"), font);
    QCOMPARE(label.font().pixelSize(), 16);
    QCOMPARE(label.font().weight(), 57);
    QCOMPARE(label.styleSheet(), QString("color:#e95454"));

    const QString text = "Sorry, Pixvue an error :(";
    const QRect measured = QFontMetrics(font.toFont()).boundingRect(text);
    label.setFixedHeight(2);
    label.setText(text);
    QCOMPARE(label.text(), text);
    QCOMPARE(label.width(), measured.width() + 4);
    QCOMPARE(label.height(), measured.height());

    // A taller label keeps its height.
    label.setFixedHeight(60);
    label.setText("x");
    QCOMPARE(label.height(), 60);

    label.setTextColor(QColor("#006BED"));
    QCOMPARE(label.styleSheet(), QString("color:#006bed"));
}

void TestKitLabels::multiLineLabelGrowsByLines() {
    const FontSpec font(15, 50);
    const QFontMetrics metrics(font.toFont());
    QMultiLineLabel label(QColor("#666666"), font);
    QCOMPARE(int(label.alignment()), 129);
    QVERIFY(label.wordWrap());

    const int labelWidth = 120;
    QString text = "ab";
    while (metrics.boundingRect(text + " ab").width() <= 2 * labelWidth) {
        text += " ab";
    }
    const QRect measured = metrics.boundingRect(text);
    QVERIFY(measured.width() > labelWidth);

    label.setFixedSize(labelWidth, 20);
    label.setText(text, true);
    QCOMPARE(label.height(), measured.height() * 2);
    QCOMPARE(label.width(), labelWidth);

    // A short text with fitWidth narrows the label to the text, which still fits on one line.
    for (const QString& shortText : {QString("ab"), QString("Are you sure to exit?")}) {
        label.setFixedWidth(320);
        label.setText(shortText, true);
        const QRect shortRect = metrics.boundingRect(shortText);
        QCOMPARE(label.height(), shortRect.height());
        QVERIFY(label.width() < 320);
        QVERIFY(label.width() >= shortRect.width());
        QVERIFY2(label.heightForWidth(label.width()) <= metrics.lineSpacing() + 1,
                 qPrintable(shortText));
    }

    // A label without width does not divide by zero.
    QMultiLineLabel unsized(Qt::black, font);
    unsized.setFixedWidth(0);
    unsized.setText(text);
    QCOMPARE(unsized.height(), measured.height());
}

void TestKitLabels::imageLableCentresSmallPicture() {
    QImageLable label(writeSolid(m_dir, "small.png", QSize(10, 6), Qt::red));
    label.setFixedSize(40, 30);
    const QImage painted = paintedImage(&label);
    QCOMPARE(label.pixmap().size(), QSize(10, 6));
    QCOMPARE(painted.pixelColor(15, 12), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(24, 17), QColor(Qt::red));
    QCOMPARE(painted.pixelColor(14, 12).alpha(), 0);
    QCOMPARE(painted.pixelColor(25, 12).alpha(), 0);
    QCOMPARE(painted.pixelColor(15, 11).alpha(), 0);

    // A missing picture paints nothing and does not crash.
    QImageLable empty(m_dir.filePath("absent.png"));
    empty.setFixedSize(20, 20);
    QCOMPARE(paintedImage(&empty).pixelColor(10, 10).alpha(), 0);
}

void TestKitLabels::imageLableScalesLargePictureOnce() {
    QImageLable label(writeSolid(m_dir, "large.png", QSize(400, 100), Qt::blue));
    label.setFixedSize(100, 100);
    paintedImage(&label);
    QCOMPARE(label.pixmap().size(), QSize(100, 25));
    const qint64 scaledKey = label.pixmap().cacheKey();

    paintedImage(&label);
    QCOMPARE(label.pixmap().cacheKey(), scaledKey);

    // It stays scaled when the widget grows; a smaller widget scales it down again.
    label.setFixedSize(300, 300);
    paintedImage(&label);
    QCOMPARE(label.pixmap().cacheKey(), scaledKey);
    label.setFixedSize(50, 50);
    const QImage painted = paintedImage(&label);
    QCOMPARE(label.pixmap().size(), QSize(48, 12));
    QCOMPARE(painted.pixelColor(25, 25), QColor(Qt::blue));

    // A picture as wide as the widget and taller is scaled by its height.
    QImageLable tall(writeSolid(m_dir, "tall.png", QSize(50, 200), Qt::blue));
    tall.setFixedSize(50, 100);
    paintedImage(&tall);
    QCOMPARE(tall.pixmap().size(), QSize(25, 100));
}

void TestKitLabels::lineDrawsRule() {
    QLineEx line(QColor("#AFB9D7"), 1, Qt::SolidLine);
    line.setFixedSize(100, 1);
    const QImage painted = paintedImage(&line);
    QCOMPARE(painted.pixelColor(0, 0), QColor("#AFB9D7"));
    QCOMPARE(painted.pixelColor(99, 0), QColor("#AFB9D7"));
}

QTEST_MAIN(TestKitLabels)
#include "tst_kitlabels.moc"
