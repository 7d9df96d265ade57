#include "enginetestsupport.h"
#include "ztconfig.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"

#include <QColorSpace>
#include <QDate>
#include <QDateTime>
#include <QTransform>

using namespace enginetest;

namespace {

enum Mode { JpgKeepExif, JpgNoExif, Png, Bmp };

ZtConfig* config() {
    return ZtConfig::NewInstance();
}

void setMode(Mode mode, const QString& size = "100%", const QString& quality = "90%") {
    config()->setConvertFormat(mode == Png ? PNG : mode == Bmp ? BMP : JPG);
    config()->setKeepExif(mode == JpgKeepExif);
    config()->setPicSize(size);
    config()->setPicQuality(quality);
}

// The picture turned by an EXIF orientation, by Qt's own reading of such a tag.
QImage turned(const QImage& image, int orientation) {
    QImage result = image;
    switch (orientation) {
        case 6:
            result = image.transformed(QTransform().rotate(90));
            break;
        case 0:
        case 1:
            break;
        default:
            qFatal("turn %d not needed by the samples", orientation);
    }
    return result;
}

QString exiftool(const QStringList& arguments) {
    QProcess tool;
    tool.start("exiftool", arguments);
    tool.waitForFinished(60000);
    return QString(tool.readAllStandardOutput()).trimmed();
}

QByteArray iccOf(const QString& path) {
    QProcess tool;
    tool.start("exiftool", {"-b", "-ICC_Profile", path});
    tool.waitForFinished(60000);
    return tool.readAllStandardOutput();
}

QByteArray sourceIcc(const QString& heic) {
    heif_context* ctx = heif_context_alloc();
    QByteArray icc;
    if (heif_context_read_from_file(ctx, QFile::encodeName(heic).constData(), nullptr).code ==
        heif_error_Ok) {
        heif_image_handle* handle = nullptr;
        heif_context_get_primary_image_handle(ctx, &handle);
        icc.resize(int(heif_image_handle_get_raw_color_profile_size(handle)));
        if (!icc.isEmpty()) {
            heif_image_handle_get_raw_color_profile(handle, icc.data());
        }
        heif_image_handle_release(handle);
    }
    heif_context_free(ctx);
    return icc;
}

int storedBitDepth(const QString& heic) {
    heif_context* ctx = heif_context_alloc();
    int depth = 0;
    if (heif_context_read_from_file(ctx, QFile::encodeName(heic).constData(), nullptr).code ==
        heif_error_Ok) {
        heif_image_handle* handle = nullptr;
        heif_context_get_primary_image_handle(ctx, &handle);
        depth = heif_image_handle_get_luma_bits_per_pixel(handle);
        heif_image_handle_release(handle);
    }
    heif_context_free(ctx);
    return depth;
}

// The PNG as libpng reads it, without complaint: 8-bit as libheif's 8-bit decode, or for a
// deeper source 16-bit and sample for sample heif-dec's PNG.
void checkPngAgainstLibheif(const QString& png, const QString& source, const QImage& reference) {
    const PngFile ours = readPng(png);
    QVERIFY2(ours.problem.isEmpty(), qPrintable(png + ": " + ours.problem));
    if (storedBitDepth(source) <= 8) {
        QCOMPARE(ours.bitDepth, 8);
        QCOMPARE(ours.image(), reference);
        return;
    }
    const QString peerPath = QFileInfo(png).path() + "/peer.png.tmp";
    QVERIFY(run("heif-dec", {source, peerPath + ".png"}));
    const PngFile peer = readPng(peerPath + ".png");
    QFile::remove(peerPath + ".png");
    QCOMPARE(ours.bitDepth, 16);
    QCOMPARE(ours.channels, peer.channels);
    QVERIFY2(ours.pixels == peer.pixels, qPrintable(png));
}

// Today's resize (and Qt's smooth one before it) against ImageMagick's Lanczos: about 51 dB.
constexpr double kLanczosDecibels = 50.0;

}  // namespace

class TestEngineFidelity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void oneGenerationFromTheDecodedPixels_data();
    void oneGenerationFromTheDecodedPixels();
    void collectedAndFreshGiveTheSameFile();
    void transparency();
    void colourProfiles();
    void exifDescribesTheWrittenPicture();
    void otherPicturesNamedHeic();
    void outputsKeepTheModificationTime();

private:
    QString freshDir(const QString& name);
    QString newLogText();
    void checkHalfSizeAgainstLanczos(const QString& source, const QList<QImage>& references);

    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    QString m_fixtures;
    qint64 m_logOffset = 0;
};

void TestEngineFidelity::initTestCase() {
    QVERIFY(m_home.isValid() && m_scratch.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    ztlog::setUpLogging();
    m_fixtures = m_scratch.path() + "/fixtures";
    QVERIFY(makeFixtures(m_fixtures));
}

void TestEngineFidelity::init() {
    ZtHeicAPI::releaseAllMapData();
    setMode(JpgKeepExif);
}

void TestEngineFidelity::cleanupTestCase() {
    ZtHeicAPI::releaseAllMapData();
    ZtConfig::ReleaseConfigInstance();
}

QString TestEngineFidelity::freshDir(const QString& name) {
    return freshOutputDir(m_scratch.path(), name);
}

QString TestEngineFidelity::newLogText() {
    return logSince(m_home.path(), m_logOffset);
}

void TestEngineFidelity::oneGenerationFromTheDecodedPixels_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("extraTurn");  // from libheif's picture to the upright one
    QTest::addColumn<bool>("halfSize");  // also checked at 50 %
    QTest::newRow("orient-6 fixture") << m_fixtures + "/orient-6.heic" << 0 << true;
    QTest::newRow("multi3 fixture") << m_fixtures + "/multi3.heic" << 0 << true;
    if (!hasTestData()) {
        return;
    }
    struct Row {
        const char* file;
        int extraTurn;
        bool halfSize;
    };
    const Row rows[] = {
        {"pillow_heif/arrow.heic", 0, false},
        {"libvips/heic-orientation-6.heic", 0, true},
        {"libvips/apple-heic-gainmap.heic", 0, false},
        {"libvips/Example1.heic", 6, true},
        {"pillow_heif/iPhoneXR.heic", 0, false},
        {"pillow_heif/pug.heic", 0, false},
        {"pillow_heif/PUG3.HEIC", 0, false},
        {"pillow_heif/xiaomi.heic", 0, false},
        {"pillow_heif/spatial_photo.heic", 0, false},
        {"pillow_heif/cat.hif", 0, false},
        {"pillow_heif/image_small.heic", 0, false},
        {"pillow_heif/L_exif_xmp_iptc.heic", 0, false},
        {"pillow_heif/RGBA_10__29x100.heif", 0, true},
        {"libheif/rainbow-451x461.heic", 0, true},
        {"libheif/example.heic", 0, true},
        {"libheif/colors-with-alpha-thumbnail.heic", 0, true},
        {"sdwebimage/TestHDR.heic", 0, true},
    };
    for (const Row& row : rows) {
        if (sampleIsTested(row.file)) {
            QTest::newRow(row.file) << sample(row.file) << row.extraTurn << row.halfSize;
        }
    }
}

// PNG and BMP hold libheif's pixels exactly (a PNG read back by libpng, 16 bits a sample for a
// deeper source, as heif-dec writes it); a JPG is as close to them as one JPEG generation at the
// same quality, with keep EXIF on and off; some rows are checked at 50 % too.
void TestEngineFidelity::oneGenerationFromTheDecodedPixels() {
    QFETCH(QString, source);
    QFETCH(int, extraTurn);
    QFETCH(bool, halfSize);
    QList<QImage> references;
    for (const QImage& image : libheifReference(source)) {
        references << turned(image, extraTurn);
    }
    QVERIFY(!references.isEmpty());

    for (Mode mode : {Png, Bmp, JpgNoExif, JpgKeepExif}) {
        setMode(mode, "100%", mode == Png ? "10%" : "90%");  // PNG is lossless at any quality
        const QString out = freshDir("generation");
        QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
        const QStringList written = filesIn(out);
        QCOMPARE(written.size(), references.size());
        for (int i = 0; i < written.size(); ++i) {
            const QImage reference = references[i];
            const QImage image = upright(out + written[i]);
            QCOMPARE(image.size(), reference.size());
            if (mode == Png) {
                checkPngAgainstLibheif(out + written[i], source, reference);
            } else if (mode == Bmp) {
                QCOMPARE(image.convertToFormat(QImage::Format_RGB888), onWhite(reference));
            } else {
                const QImage flat = onWhite(reference);
                const double ours = psnr(image, flat);
                const double single = psnr(jpegGeneration(flat, 90), flat);
                QVERIFY2(ours > single - 0.3,
                         qPrintable(QString("%1 dB against %2 dB").arg(ours).arg(single)));
            }
        }
    }
    if (halfSize) {
        checkHalfSizeAgainstLanczos(source, references);
    }
}

// At 50 % a BMP is as close to ImageMagick's Lanczos resize of libheif's pixels as a good
// resize filter gets.
void TestEngineFidelity::checkHalfSizeAgainstLanczos(const QString& source,
                                                     const QList<QImage>& references) {
    setMode(Bmp, "50%");
    const QString out = freshDir("half");
    QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
    const QStringList written = filesIn(out);
    QCOMPARE(written.size(), references.size());
    for (int i = 0; i < written.size(); ++i) {
        const QImage image = upright(out + written[i]);
        const QString full = out + "reference.png";
        const QString half = out + "reference-half.png";
        QVERIFY(onWhite(references[i]).save(full));
        const QString box = QString("%1x%2!").arg(image.width()).arg(image.height());
        QVERIFY(run("convert-im6.q16", {full, "-filter", "Lanczos", "-resize", box, half}));
        const double decibels = psnr(image, QImage(half));
        QVERIFY2(decibels > kLanczosDecibels, qPrintable(QString("%1 dB").arg(decibels)));
    }
}

// Whether the background collection reached a file or not, its conversion gives the same
// bytes; a stored stream of another quality is not used.
void TestEngineFidelity::collectedAndFreshGiveTheSameFile() {
    const QString source =
        bigSamplesAreTested() ? sample("pillow_heif/arrow.heic") : m_fixtures + "/orient-6.heic";
    struct Case {
        Mode mode;
        const char* size;
        const char* collectQuality;
        const char* convertQuality;
        bool usesStore;
    };
    const Case cases[] = {
        {JpgKeepExif, "100%", "100%", "100%", true},  // the defaults
        {JpgKeepExif, "100%", "50%", "90%", false},  {JpgKeepExif, "50%", "90%", "90%", false},
        {JpgNoExif, "100%", "90%", "90%", false},    {Png, "100%", "100%", "100%", false},
    };
    for (const Case& c : cases) {
        const QString label = QString("mode %1 size %2 collected at %3")
                                  .arg(c.mode)
                                  .arg(c.size)
                                  .arg(c.collectQuality);
        ZtHeicAPI::releaseAllMapData();
        setMode(c.mode, c.size, c.convertQuality);
        const QString freshOut = freshDir("fresh");
        QVERIFY(ZtHeicAPI().convertHeicFormat(source, freshOut));

        setMode(c.mode, c.size, c.collectQuality);
        ZtHeicAPI engine;
        QVERIFY(engine.collectHeicPicDataToMap(source));
        setMode(c.mode, c.size, c.convertQuality);
        const QString storedOut = freshDir("stored");
        newLogText();
        QVERIFY(engine.convertHeicFormat(source, storedOut));
        QCOMPARE(newLogText().contains("the file  is collected"), c.usesStore);

        const QStringList names = filesIn(freshOut);
        QCOMPARE(filesIn(storedOut), names);
        for (const QString& name : names) {
            QVERIFY2(readAll(freshOut + name) == readAll(storedOut + name), qPrintable(label));
        }
    }
}

// Transparency stays in PNG; JPG and BMP show the picture over white.
void TestEngineFidelity::transparency() {
    // Resized, the colour of a transparent pixel does not bleed into its visible neighbours.
    QImage edge(64, 64, QImage::Format_RGBA8888);
    edge.fill(Qt::transparent);
    for (int y = 0; y < edge.height(); ++y) {
        for (int x = 32; x < edge.width(); ++x) {
            edge.setPixelColor(x, y, Qt::white);
        }
    }
    const QString edgeSource = freshDir("edge") + "edge.heic";
    QVERIFY(edge.save(edgeSource, "PNG"));
    setMode(Png, "50%", "100%");
    const QString edgeOut = freshDir("edgeout");
    QVERIFY(ZtHeicAPI().convertHeicFormat(edgeSource, edgeOut));
    const QImage half = QImage(edgeOut + filesIn(edgeOut).value(0));
    QCOMPARE(half.size(), QSize(32, 32));
    for (int x = 0; x < half.width(); ++x) {
        const QColor pixel = half.pixelColor(x, 16);
        QVERIFY2(pixel.alpha() == 0 || pixel.lightness() == 255,
                 qPrintable(QString("column %1: %2").arg(x).arg(pixel.name(QColor::HexArgb))));
    }

    if (!hasTestData()) {
        QSKIP("PIXVUE_TESTDATA does not hold the real samples");
    }
    const QString source = sample("pillow_heif/RGBA_10__29x100.heif");
    const QImage reference = libheifReference(source).value(0);
    QVERIFY(reference.hasAlphaChannel());
    int transparent = 0;
    for (Mode mode : {Png, Bmp, JpgNoExif, JpgKeepExif}) {
        setMode(mode, "100%", "100%");
        const QString out = freshDir("alpha");
        QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
        const QImage image = upright(out + filesIn(out).value(0));
        QCOMPARE(image.hasAlphaChannel(), mode == Png);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb want = reference.pixel(x, y);
                const QRgb got = image.pixel(x, y);
                if (mode == Png) {
                    // 16 bits a sample here, read by Qt at 8: rounded unlike libheif's 8 bits.
                    QVERIFY(qAbs(qAlpha(got) - qAlpha(want)) <= 1);
                } else if (qAlpha(want) < 128) {
                    ++transparent;
                    const QRgb flat = onWhite(reference).pixel(x, y);
                    const int tolerance = mode == Bmp ? 0 : 16;
                    QVERIFY2(qAbs(qRed(got) - qRed(flat)) <= tolerance &&
                                 qAbs(qGreen(got) - qGreen(flat)) <= tolerance &&
                                 qAbs(qBlue(got) - qBlue(flat)) <= tolerance,
                             qPrintable(QString("(%1,%2) not laid over white").arg(x).arg(y)));
                }
            }
        }
    }
    QVERIFY(transparent > 0);
}

// The source's profile reaches JPG and PNG byte for byte, also one whose length field is
// wrong (repaired to a length libpng takes); an nclx description that is not sRGB becomes a
// matching profile.
void TestEngineFidelity::colourProfiles() {
    QStringList sources = {m_fixtures + "/badicc.heic", m_fixtures + "/av1-badicc.avif"};
    if (hasTestData()) {
        sources << sample("libheif/rainbow-451x461.heic");
    }
    if (bigSamplesAreTested()) {
        sources << sample("pillow_heif/arrow.heic") << sample("pillow_heif/spatial_photo.heic");
    }
    for (const QString& source : sources) {
        QByteArray expected = sourceIcc(source);
        QVERIFY2(expected.size() > 128, qPrintable(source));
        if (source.endsWith("badicc.heic") || source.endsWith("badicc.avif")) {
            // 634 bytes, the last tag's data ending at the last: padded to a multiple of 4.
            QCOMPARE(expected.size(), 634);
            expected.append(2, '\0');
        }
        qToBigEndian(quint32(expected.size()), reinterpret_cast<uchar*>(expected.data()));
        for (Mode mode : {Png, JpgNoExif, JpgKeepExif}) {
            setMode(mode, mode == JpgKeepExif ? "100%" : "25%");
            const QString out = freshDir("icc");
            QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
            const QString written = out + filesIn(out).value(0);
            QVERIFY2(iccOf(written) == expected, qPrintable(source + " " + written));
            if (mode == Png) {
                const PngFile png = readPng(written);
                QVERIFY2(png.problem.isEmpty(), qPrintable(written + ": " + png.problem));
                QVERIFY(png.icc == expected);
            }
            QVERIFY2(QImage(written).colorSpace().isValid(), qPrintable(written));
        }
    }
    QStringList nclx = {m_fixtures + "/nclx-p3.heic", m_fixtures + "/av1-nclx-p3.avif"};
    if (hasTestData()) {
        nclx << sample("sdwebimage/TestHDR.heic");
    }
    for (const QString& source : nclx) {
        for (Mode mode : {Png, JpgNoExif, JpgKeepExif}) {
            setMode(mode);
            const QString out = freshDir("nclx");
            QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
            const QByteArray icc = iccOf(out + filesIn(out).value(0));
            QVERIFY2(icc.mid(16, 4) == "RGB " && icc.mid(36, 4) == "acsp", qPrintable(source));
        }
    }
    setMode(Png);
    const QString out = freshDir("p3");
    QVERIFY(ZtHeicAPI().convertHeicFormat(m_fixtures + "/nclx-p3.heic", out));
    const QColorSpace space = QColorSpace::fromIccProfile(iccOf(out + "nclx-p3.png"));
    QCOMPARE(space.primaries(), QColorSpace::Primaries::DciP3D65);
    QCOMPARE(space.transferFunction(), QColorSpace::TransferFunction::SRgb);
    // sRGB needs no profile.
    QVERIFY(ZtHeicAPI().convertHeicFormat(m_fixtures + "/multi3.heic", out));
    QVERIFY(iccOf(out + "multi3.png").isEmpty());
}

// The dimension tags give the written size; the orientation and every other tag stay.
void TestEngineFidelity::exifDescribesTheWrittenPicture() {
    QStringList sources = {m_fixtures + "/orient-6.heic"};
    if (bigSamplesAreTested()) {
        sources << sample("pillow_heif/xiaomi.heic") << sample("pillow_heif/arrow.heic");
    }
    for (const QString& source : sources) {
        for (const char* size : {"100%", "50%"}) {
            setMode(JpgKeepExif, size);
            const QString out = freshDir("dims");
            QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
            const QString written = out + filesIn(out).value(0);
            const QSize stored = QImageReader(written).size();
            const QString tags = exiftool({"-s3", "-n", "-EXIF:ExifImageWidth",
                                           "-EXIF:ExifImageHeight", "-EXIF:Orientation", written});
            const QStringList values = tags.split('\n');
            QCOMPARE(values.size(), 3);
            QCOMPARE(values[0].toInt(), stored.width());
            QCOMPARE(values[1].toInt(), stored.height());
            QCOMPARE(values[2].toInt(), source.contains("xiaomi") ? 1 : 6);
        }
    }
}

// Phones' "most compatible" exports and downloads: a JPEG named .heic converts, its EXIF
// kept; a file that is no picture still fails.
void TestEngineFidelity::otherPicturesNamedHeic() {
    const QString jpeg = m_fixtures + "/exifjpeg.heic";
    setMode(JpgKeepExif);
    QString out = freshDir("other");
    QVERIFY(ZtHeicAPI().convertHeicFormat(jpeg, out));
    QCOMPARE(filesIn(out), QStringList{"exifjpeg.jpg"});
    QCOMPARE(exiftool({"-s3", "-n", "-Orientation", "-Make", out + "exifjpeg.jpg"}),
             QString("6\nPixvueTest"));
    QCOMPARE(upright(out + "exifjpeg.jpg").size(), QSize(64, 96));

    setMode(Png);
    out = freshDir("other");
    QVERIFY(ZtHeicAPI().convertHeicFormat(jpeg, out));
    QCOMPARE(QImage(out + "exifjpeg.png").size(), QSize(64, 96));
    QImage preview;
    QVERIFY(ZtHeicAPI().getShowImg(jpeg, &preview));
    QCOMPARE(preview.size(), QSize(64, 96));

    newLogText();
    QVERIFY(!ZtHeicAPI().convertHeicFormat(m_fixtures + "/text.heic", out));
    QVERIFY(newLogText().contains("Heic to Jpg data fail,the result is : ["));
    QCOMPARE(filesIn(out), QStringList{"exifjpeg.png"});
}

void TestEngineFidelity::outputsKeepTheModificationTime() {
    const QString source = m_scratch.path() + "/dated.heic";
    QFile::remove(source);
    QVERIFY(QFile::copy(m_fixtures + "/multi3.heic", source));
    const QDateTime taken(QDate(2021, 7, 4), QTime(10, 30, 0));
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(taken, QFileDevice::FileModificationTime));
    }
    for (Mode mode : {JpgKeepExif, JpgNoExif, Png, Bmp}) {
        setMode(mode);
        const QString out = freshDir("dated");
        QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
        const QStringList written = filesIn(out);
        QCOMPARE(written.size(), 3);
        for (const QString& name : written) {
            QCOMPARE(QFileInfo(out + name).lastModified(), taken);
        }
    }
}

QTEST_GUILESS_MAIN(TestEngineFidelity)
#include "tst_enginefidelity.moc"
