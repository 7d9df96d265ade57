// Every image the windows name loads with its frame layout; every translated text is translated.

#include "kitfont.h"
#include "pixvueresources.h"
#include "qfaultpostresources.h"

#include <QDirIterator>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMovie>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;
};

QVector<Message> readTs(const QString& path) {
    QVector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            current = Message{context, {}, {}, {}};
        } else if (xml.name() == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            current.type = xml.attributes().value(QLatin1String("type")).toString();
            current.translation = xml.readElementText();
            messages.append(current);
        }
    }
    if (xml.hasError())
        qWarning() << path << xml.errorString() << "at line" << xml.lineNumber();
    return xml.hasError() ? QVector<Message>() : messages;
}

QStringList placeholders(const QString& text) {
    QStringList found;
    auto it = QRegularExpression(QStringLiteral("%\\d")).globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    found.sort();
    return found;
}

bool hasCjk(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

bool isBlank(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

// Every image path the windows name; frame 0 x 0 means one frame of the image's own size.
struct Asset {
    const char* path;
    int frameWidth;
    int frameHeight;
    int frames;
};

const Asset kAssets[] = {
    {":/Img/res/shadow_main.png", 90, 90, 1},
    {":/Img/res/png_logo.png", 26, 26, 1},
    {":/Img/res/png_homeBK.png", 212, 148, 1},
    {":/Img/res/down_arrow_normal.png", 30, 30, 1},
    {":/Img/res/down_arrow_hover.png", 30, 30, 1},
    {":/Img/res/down_arrow_press.png", 30, 30, 1},
    {":/Img/res/png_converting.png", 64, 64, 2},
    {":/Img/res/png_close.png", 36, 36, 1},
    {":/Img/res/png_loadfail.png", 200, 150, 1},
    {":/Img/res/loading_animation.png", 60, 10, 1},
    {":/Img/res/progressbar.png", 90, 10, 1},
    {":/Img/res/png_msgicon.png", 40, 40, 4},
    {":/Img/res/png_latestversion.png", 40, 40, 1},
    {":/Img/res/png_question.png", 48, 48, 1},
    {":/Img/res/btn/btn_menu.png", 20, 20, 4},
    {":/Img/res/btn/btn_min.png", 20, 20, 4},
    {":/Img/res/btn/btn_close.png", 20, 20, 4},
    {":/Img/res/btn/btn_homeaddfile.png", 148, 36, 4},
    {":/Img/res/btn/icon_check.png", 64, 64, 1},
    {":/Img/res/btn/btn_preview.png", 20, 20, 4},
    {":/Img/res/btn/btn_folder.png", 20, 20, 4},
    {":/Img/res/btn/btn_del.png", 20, 20, 4},
    {":/Img/res/btn/btn_add.png", 110, 30, 4},
    {":/Img/res/btn/btn_delete.png", 110, 30, 4},
    {":/Img/res/btn/btn_alter.png", 52, 32, 4},
    {":/Img/res/btn/btn_convert.png", 110, 32, 4},
    {":/Img/res/btn/btn_dlgclose.png", 14, 14, 4},
    {":/Img/res/btn/btn_dlgyes.png", 96, 32, 4},
    {":/Img/res/btn/btn_dlgno.png", 96, 32, 4},
    {":/Img/res/btn/btn_submit.png", 110, 32, 4},
    {":/Img/res/btn/btn_QQ.png", 94, 26, 4},
    {":/Img/res/btn/btn_zentar.png", 168, 38, 4},
    {":/Img/res/appicon/pixvue_16.png", 16, 16, 1},
    {":/Img/res/appicon/pixvue_24.png", 24, 24, 1},
    {":/Img/res/appicon/pixvue_32.png", 32, 32, 1},
    {":/Img/res/appicon/pixvue_48.png", 48, 48, 1},
    {":/Img/res/appicon/pixvue_64.png", 64, 64, 1},
    {":/Img/res/appicon/pixvue_128.png", 128, 128, 1},
    {":/Img/res/appicon/pixvue_256.png", 256, 256, 1},
    {":/QFaultPost/Resources/shadow_main.png", 90, 90, 1},
    {":/res/icon_check_16x16.png", 32, 64, 1},
    {":/res/btn_dlgclose.png", 20, 20, 4},
    {":/res/btn_send.png", 110, 32, 4},
};

}  // namespace

class TestAssets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void imagesHaveTheirFrames_data();
    void imagesHaveTheirFrames();
    void resourceTreesHoldOnlyKnownImages();
    void checkBoxSpritesHoldEveryLook();
    void shadowKeepsItsMarginsEven();
    void busyAnimationMoves();
    void bugReporterIconHasEverySize();
    void hiddenScrollArrowImageIsTransparent();
    void translationsAreComplete_data();
    void translationsAreComplete();
    void typosOfTheSourceTextsStay();
    void chineseTextsHaveGlyphs();
};

void TestAssets::initTestCase() {
    pixvue::initResources();
    qfaultpost::initResources();
}

void TestAssets::imagesHaveTheirFrames_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<int>("frames");
    for (const Asset& asset : kAssets) {
        QTest::newRow(asset.path) << QString::fromLatin1(asset.path)
                                  << QSize(asset.frameWidth, asset.frameHeight) << asset.frames;
    }
}

void TestAssets::imagesHaveTheirFrames() {
    QFETCH(QString, path);
    QFETCH(QSize, frame);
    QFETCH(int, frames);
    QImageReader reader(path);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
    QCOMPARE(image.size(), QSize(frame.width(), frame.height() * frames));
    QVERIFY(image.hasAlphaChannel());

    QVector<QImage> cuts;
    for (int i = 0; i < frames; ++i) {
        const QImage cut = image.copy(0, i * frame.height(), frame.width(), frame.height());
        QVERIFY2(!isBlank(cut), qPrintable(QString("%1: frame %2 is empty").arg(path).arg(i)));
        for (const QImage& earlier : cuts)
            QVERIFY2(earlier != cut, qPrintable(QString("%1: frame %2 repeats").arg(path).arg(i)));
        cuts << cut;
    }
}

void TestAssets::resourceTreesHoldOnlyKnownImages() {
    QSet<QString> known;
    for (const Asset& asset : kAssets)
        known.insert(QString::fromLatin1(asset.path));
    known << QStringLiteral(":/Img/res/gif_checking.gif") << QStringLiteral(":/res/logo.ico");
    for (const QString& root :
         {QStringLiteral(":/Img"), QStringLiteral(":/res"), QStringLiteral(":/QFaultPost")}) {
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        int count = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            QVERIFY2(known.contains(path), qPrintable(path + " is not a known image"));
            ++count;
        }
        QVERIFY2(count > 0, qPrintable(root + " is empty"));
    }
}

void TestAssets::checkBoxSpritesHoldEveryLook() {
    // Cell index = x / 16 * 4 + y / 16: columns unchecked, checked, partial, partial.
    const QImage sprite(QStringLiteral(":/Img/res/btn/icon_check.png"));
    const QImage reporter(QStringLiteral(":/res/icon_check_16x16.png"));
    auto cell = [](const QImage& image, int index) {
        return image.copy(index / 4 * 16, index % 4 * 16, 16, 16);
    };
    QCOMPARE(cell(sprite, 12), cell(sprite, 8));  // the header's partial look
    QVERIFY(cell(sprite, 12) != cell(sprite, 4));
    QVERIFY(cell(sprite, 12) != cell(sprite, 0));
    for (int index = 0; index < 8; ++index)
        QCOMPARE(cell(reporter, index), cell(sprite, index));
    // The centre of a checked box is filled, that of an unchecked one is white.
    QVERIFY(qBlue(cell(sprite, 4).pixel(3, 12)) > qRed(cell(sprite, 4).pixel(3, 12)) + 100);
    QCOMPARE(cell(sprite, 0).pixel(8, 8), qRgb(255, 255, 255));
}

void TestAssets::shadowKeepsItsMarginsEven() {
    // The middle parts are stretched along the window's edges, so they must not vary along them.
    for (const QString& path : {QStringLiteral(":/Img/res/shadow_main.png"),
                                QStringLiteral(":/QFaultPost/Resources/shadow_main.png")}) {
        const QImage shadow = QImage(path).convertToFormat(QImage::Format_ARGB32);
        const int last = shadow.width() - 31;
        for (int d = 0; d < 30; ++d) {
            QVERIFY2(qAbs(qAlpha(shadow.pixel(30, d)) - qAlpha(shadow.pixel(last, d))) <= 2,
                     qPrintable(path));
            QVERIFY2(qAbs(qAlpha(shadow.pixel(d, 30)) - qAlpha(shadow.pixel(d, last))) <= 2,
                     qPrintable(path));
        }
        QVERIFY(qAlpha(shadow.pixel(30, 28)) > 0);  // a shadow next to the content
        QCOMPARE(qAlpha(shadow.pixel(45, 0)), 0);   // fading out at the outer edge
    }
}

void TestAssets::busyAnimationMoves() {
    QMovie movie(QStringLiteral(":/Img/res/gif_checking.gif"));
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() >= 4);
    QVERIFY(movie.jumpToFrame(0));
    const QImage first = movie.currentImage();
    QCOMPARE(first.size(), QSize(40, 40));
    QVERIFY(movie.jumpToNextFrame());
    QVERIFY(movie.currentImage() != first);
    QVERIFY(movie.nextFrameDelay() > 0);
    QCOMPARE(movie.loopCount(), -1);  // runs until stopped
}

void TestAssets::bugReporterIconHasEverySize() {
    QImageReader reader(QStringLiteral(":/res/logo.ico"));
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QSet<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        sizes.insert(image.width());
    }
    for (int size : {16, 24, 32, 48})
        QVERIFY2(sizes.contains(size), qPrintable(QString::number(size)));
}

void TestAssets::hiddenScrollArrowImageIsTransparent() {
    // Style sheets give the scroll bars' arrow buttons this image to hide them.
    const QImage image(QStringLiteral(":/xx.png"));
    QVERIFY(!image.isNull());
    QVERIFY(isBlank(image));
}

void TestAssets::translationsAreComplete_data() {
    QTest::addColumn<QString>("tsFile");
    QTest::addColumn<QString>("qmResource");
    QTest::addColumn<int>("minimumCount");
    QTest::newRow("converter") << QStringLiteral(PIXVUE_TS_FILE)
                               << QStringLiteral(":/translation/zentarpixvue_zh.qm") << 100;
    QTest::newRow("bug reporter") << QStringLiteral(QFAULTPOST_TS_FILE)
                                  << QStringLiteral(":/qfaultpost_zh.qm") << 10;
}

void TestAssets::translationsAreComplete() {
    QFETCH(QString, tsFile);
    QFETCH(QString, qmResource);
    QFETCH(int, minimumCount);
    const QVector<Message> messages = readTs(tsFile);
    QVERIFY2(messages.size() >= minimumCount, qPrintable(tsFile));

    QTranslator translator;
    QVERIFY(translator.load(qmResource));
    const QSet<QString> names = {QStringLiteral("Pixvue"), QStringLiteral("English")};
    QSet<QString> seen;
    for (const Message& m : messages) {
        const QString where = m.context + " / " + m.source;
        QVERIFY2(!seen.contains(where), qPrintable("twice: " + where));
        seen.insert(where);
        QVERIFY2(m.type.isEmpty(), qPrintable(m.type + ": " + where));
        QVERIFY2(!m.translation.trimmed().isEmpty(), qPrintable("untranslated: " + where));
        QVERIFY2(names.contains(m.source) || hasCjk(m.translation),
                 qPrintable("not Chinese: " + where));
        QCOMPARE(placeholders(m.translation), placeholders(m.source));
        QCOMPARE(
            translator.translate(m.context.toUtf8().constData(), m.source.toUtf8().constData()),
            m.translation);
    }
}

void TestAssets::typosOfTheSourceTextsStay() {
    // The programs look texts up by their exact English source.
    QSet<QString> sources;
    for (const Message& m : readTs(QStringLiteral(PIXVUE_TS_FILE)) + readTs(QFAULTPOST_TS_FILE))
        sources.insert(m.context + "|" + m.source);
    for (const char* text :
         {"QUpdatePage|Downlaod( %1 ) Fail! ErrorCode : %2",
          "QLanguageDialog|The progam will restart to apply your change",
          "QCheckingPage|Checking new version,please wait...", "QCheckingPage|Version : ",
          "QConvertImageDlg|Conversion completed, Total:%1,Suc:%2,Fail:%3",
          "QFaultPost|Sorry,uplaod fail,Unkonw error(%1),please retry!",
          "QFaultPost|Sorry, Pixvue an error :(", "QOperatePage|Output path :",
          "QHeaderViewBase|Select %1 pc", "QMessageboxEx|YES", "QExitDialog|Are you sure to exit?"})
        QVERIFY2(sources.contains(QString::fromUtf8(text)), text);
}

void TestAssets::chineseTextsHaveGlyphs() {
    const QString family = kitfont::installFontSubstitutions();
    QVERIFY2(!family.isEmpty(), "no CJK font installed (fonts-wqy-microhei)");
    QFont font(QString::fromLatin1(kitfont::kDesignFontFamily));
    font.setPixelSize(14);
    QCOMPARE(QFontInfo(font).family(), family);

    const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
    QVERIFY(raw.isValid());
    for (const Message& m : readTs(QStringLiteral(PIXVUE_TS_FILE)) + readTs(QFAULTPOST_TS_FILE)) {
        for (const QChar c : m.translation) {
            if (!c.isSpace())
                QVERIFY2(raw.supportsCharacter(c), qPrintable(QString(c) + " in " + m.translation));
        }
    }
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TestAssets test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_assets.moc"
