// HEIF, camera HIF and AVIF inputs: which files are taken, how they convert, how bad ones fail.
#include "enginetestsupport.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"
#include "ztpicturetypes.h"

#include <QtEndian>

using namespace enginetest;

namespace {

// An 'ftyp' box of the brands, then other bytes; declaredSize replaces its size field.
QByteArray ftyp(const QByteArray& major, const QList<QByteArray>& compatible,
                int declaredSize = -1) {
    QByteArray box = major + QByteArray(4, '\0');
    for (const QByteArray& brand : compatible) {
        box += brand;
    }
    QByteArray size(4, '\0');
    qToBigEndian(quint32(declaredSize >= 0 ? declaredSize : box.size() + 8),
                 reinterpret_cast<uchar*>(size.data()));
    return size + "ftyp" + box + QByteArray(32, 'x');
}

}  // namespace

class TestHeifInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void pictureTypes_data();
    void pictureTypes();
    void convertsUpright_data();
    void convertsUpright();
    void badInputsFailCleanly_data();
    void badInputsFailCleanly();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    QString m_fixtures;
};

void TestHeifInputs::initTestCase() {
    QVERIFY(m_home.isValid() && m_scratch.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    ztlog::setUpLogging();
    m_fixtures = m_scratch.path() + "/fixtures";
    QVERIFY(makeFixtures(m_fixtures));
}

void TestHeifInputs::cleanupTestCase() {
    ZtHeicAPI::releaseAllMapData();
}

void TestHeifInputs::pictureTypes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("takenWhenNamed");

    const QByteArray text("just some text, no picture at all");
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, '\0');
    // The suffix decides, in any letter case, whatever the content.
    QTest::newRow("heic") << "a.heic" << text << true << true;
    QTest::newRow("HEIF") << "b.HEIF" << text << true << true;
    QTest::newRow("Hif") << "c.Hif" << text << true << true;
    QTest::newRow("aViF") << "d.aViF" << png << true << true;
    // Otherwise the brands of the first bytes.
    QTest::newRow("avif brand, no suffix") << "e" << ftyp("avif", {"mif1", "miaf"}) << true << true;
    QTest::newRow("heic brand as .jpg")
        << "f.jpg" << ftyp("heic", {"mif1", "heic"}) << true << true;
    QTest::newRow("compatible mif1") << "g.bin" << ftyp("isom", {"mp41", "mif1"}) << true << true;
    QTest::newRow("mif2 major") << "h.dat" << ftyp("mif2", {}) << true << true;
    QTest::newRow("video") << "i.mp4" << ftyp("isom", {"isom", "mp41", "avc1"}) << false << false;
    QTest::newRow("image sequence")
        << "j.seq" << ftyp("msf1", {"msf1", "hevc", "avis"}) << false << false;
    QTest::newRow("brand past the box")
        << "k.bin" << ftyp("isom", {"isom", "avif"}, 20) << false << false;
    QTest::newRow("box shorter than a header") << "l.bin" << ftyp("avif", {}, 12) << false << false;
    QTest::newRow("cut short") << "m.bin" << QByteArray::fromHex("00000018") + "ftypav" << false
                               << false;
    QTest::newRow("png") << "n.png" << png << false << false;
    QTest::newRow("text") << "o.txt" << text << false << false;
    QTest::newRow("empty") << "p" << QByteArray() << false << false;
    // A dropped name holding ".heic" is taken; the conversion decides.
    QTest::newRow("backup of a heic") << "q.heic.bak" << text << false << true;
    QTest::newRow("upper-case backup") << "r.HEIC.old" << text << false << true;
    QTest::newRow("mixed-case inside") << "s.Heic.old" << text << false << false;
}

void TestHeifInputs::pictureTypes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, picture);
    QFETCH(bool, takenWhenNamed);
    const QString path = m_scratch.path() + "/types/" + name;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    QCOMPARE(ztpicture::isPictureFile(path), picture);
    QCOMPARE(ztpicture::isTakenWhenNamed(path), takenWhenNamed);
    QVERIFY(!ztpicture::isPictureFile(m_scratch.path() + "/types/missing.jpg"));
    QCOMPARE(ztpicture::dialogPatterns(),
             QStringLiteral("*.heic *.HEIC *.heif *.HEIF *.hif *.HIF *.avif *.AVIF"));
}

void TestHeifInputs::convertsUpright_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("kind");
    for (const char* name : {"av1-plain.avif", "av1-irot90.avif", "av1-imirh.avif", "av1-grid.avif",
                             "av1-clap.avif"}) {
        QTest::newRow(name) << QString(m_fixtures + "/" + name) << QString();
    }
    if (!hasTestData()) {
        return;
    }
    const QStringList avif = QDir(sample("avif")).entryList({"*.avif"}, QDir::Files, QDir::Name);
    for (const QString& name : avif) {
        const QString relative = "avif/" + name;
        if (sampleIsTested(relative)) {
            const QString kind = name.startsWith("kimono")   ? "kimono"
                                 : name == "Monochrome.avif" ? "grey"
                                                             : QString();
            QTest::newRow(qPrintable(relative)) << sample(relative) << kind;
        }
    }
    for (const char* relative : {"pillow_heif/cat.hif", "pillow_heif/RGBA_10__29x100.heif"}) {
        if (sampleIsTested(relative) && bigSamplesAreTested()) {
            QTest::newRow(relative) << sample(relative) << QString();
        }
    }
}

// BMP is libheif's own upright 8-bit decode laid over white, JPG one encoding from it.
void TestHeifInputs::convertsUpright() {
    QFETCH(QString, source);
    QFETCH(QString, kind);
    const QList<QImage> references = libheifReference(source);
    QVERIFY(!references.isEmpty());
    const QImage reference = onWhite(references.first());

    const QString bmpDir = freshOutputDir(m_scratch.path(), "bmp");
    ZtHeicAPI bmpEngine;
    QVERIFY(bmpEngine.convertHeicFormat(source, bmpDir, {BMP, false, 100, 100}));
    QCOMPARE(filesIn(bmpDir).size(), references.size());
    const QImage bmp = QImage(bmpDir + filesIn(bmpDir).first());
    QCOMPARE(bmp.size(), reference.size());
    QVERIFY2(psnr(bmp, reference) > 60, qPrintable(QString::number(psnr(bmp, reference))));

    const QString jpgDir = freshOutputDir(m_scratch.path(), "jpg");
    ZtHeicAPI jpgEngine;
    QVERIFY(jpgEngine.convertHeicFormat(source, jpgDir, {JPG, true, 100, 100}));
    const QImage jpg = upright(jpgDir + filesIn(jpgDir).first());
    QCOMPARE(jpg.size(), reference.size());
    // The fixtures' hard colour edges suffer from JPEG's chroma subsampling (25-30 dB); a
    // turned or mirrored picture is below 10.
    const double jpgPsnr = psnr(jpg, reference);
    QVERIFY2(jpgPsnr > 20, qPrintable(QString::number(jpgPsnr)));

    if (kind == "kimono") {
        // Against the picture the file was encoded from: upright is about 35 dB, turned 11.
        const QImage original(sample("avif/kimono.png"));
        QVERIFY2(psnr(jpg, original) > 30, qPrintable(QString::number(psnr(jpg, original))));
    } else if (kind == "grey") {
        const QImage rgb = bmp.convertToFormat(QImage::Format_RGB888);
        QVERIFY(
            rgb.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB888) ==
            rgb);
    }
}

void TestHeifInputs::badInputsFailCleanly_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"av1-truncated.avif", "heic-truncated.hif", "empty.hif", "av1-huge.avif"}) {
        QTest::newRow(name) << QString(name);
    }
    // Another picture format under the name converts like any picture.
    QTest::newRow("png.avif") << QStringLiteral("png.avif");
}

// A clear failure and no file left behind, for every format.
void TestHeifInputs::badInputsFailCleanly() {
    QFETCH(QString, name);
    const bool otherPicture = name == "png.avif";
    for (ConvertFormat format : {JPG, PNG, BMP}) {
        const QString out = freshOutputDir(m_scratch.path(), "bad");
        ZtHeicAPI engine;
        QCOMPARE(engine.convertHeicFormat(m_fixtures + "/" + name, out, {format, true, 100, 90}),
                 otherPicture);
        if (otherPicture) {
            QCOMPARE(QImage(out + filesIn(out).value(0)).size(), QSize(96, 64));
            continue;
        }
        QVERIFY(engine.lastFailure() != ZtHeicAPI::Failure::None);
        QCOMPARE(filesIn(out), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestHeifInputs)
#include "tst_heifinputs.moc"
