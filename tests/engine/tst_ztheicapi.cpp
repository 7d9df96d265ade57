#include "enginetestsupport.h"
#include "heic_to_jpgdata.h"
#include "ztconfig.h"
#include "ztexiforientation.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"

#include <QColorSpace>
#include <QDate>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <future>
#include <memory>

using namespace enginetest;

namespace {

enum Mode { JpgKeepExif, JpgNoExif, Png, Bmp };

const char* modeName(Mode mode) {
    static const char* names[] = {"jpg+exif", "jpg", "png", "bmp"};
    return names[mode];
}

int orientationOfFile(const QString& path) {
    const QByteArray bytes = readAll(path);
    return ztexif::readExifOrientation(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                       size_t(bytes.size()));
}

// Tag names and values that exiftool reads from the EXIF and maker notes of a file.
QMap<QString, QString> exifTags(const QString& path) {
    QProcess tool;
    tool.start("exiftool", {"-a", "-G1", "-s", "-n", "-EXIF:all", "-MakerNotes:all", path});
    tool.waitForFinished(60000);
    QMap<QString, QString> tags;
    for (const QByteArray& line : tool.readAllStandardOutput().split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0) {
            tags.insert(QString(line.left(colon)).simplified(),
                        QString(line.mid(colon + 1)).trimmed());
        }
    }
    return tags;
}

QString exiftoolValue(const QString& path, const QString& tag) {
    QProcess tool;
    tool.start("exiftool", {"-s3", "-" + tag, path});
    tool.waitForFinished(60000);
    return QString(tool.readAllStandardOutput()).trimmed();
}

}  // namespace

class TestZtHeicAPI : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void storeCollectsOnceAndCountsWhatItHolds();
    void budgetIsCheckedBeforeDecoding();
    void previewShowsFirstImageUpright();
    void uprightInEveryOutputMode_data();
    void uprightInEveryOutputMode();
    void exifArrivesWhole();
    void colourProfileSurvivesRotation();
    void outputNames();
    void pictureSize();
    void failedWritesLeaveNothingHalfWritten();
    void badInputEndsAsFailure();
    void storeUnderConcurrentUse();
    void concurrentConversionsTakeDistinctNames();

private:
    ZtConfig* config() { return ZtConfig::NewInstance(); }
    void setMode(Mode mode, const QString& size = "100%", const QString& quality = "90%");
    QString freshDir(const QString& name);
    QString copyFixture(const QString& fixture, const QString& asName);
    QString newLogText();
    bool mountTmpfs(const QString& dir, const QString& options);
    void checkUpright(const QString& source, Mode mode, const QString& sizeText, int percent,
                      QSize upright, int extraTurn);

    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    QString m_fixtures;
    qint64 m_logOffset = 0;
    QStringList m_mounts;
    QHash<QString, QList<QImage>> m_references;
};

void TestZtHeicAPI::initTestCase() {
    QVERIFY(m_home.isValid() && m_scratch.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    ztlog::setUpLogging();
    m_fixtures = m_scratch.path() + "/fixtures";
    QVERIFY(makeFixtures(m_fixtures));
}

void TestZtHeicAPI::init() {
    ZtHeicAPI::releaseAllMapData();
    setMode(JpgKeepExif);
    newLogText();
}

void TestZtHeicAPI::cleanupTestCase() {
    for (const QString& dir : m_mounts) {
        run("umount", {dir});
    }
    ZtHeicAPI::releaseAllMapData();
    ZtConfig::ReleaseConfigInstance();
}

void TestZtHeicAPI::setMode(Mode mode, const QString& size, const QString& quality) {
    config()->setConvertFormat(mode == Png ? PNG : mode == Bmp ? BMP : JPG);
    config()->setKeepExif(mode == JpgKeepExif);
    config()->setPicSize(size);
    config()->setPicQuality(quality);
}

QString TestZtHeicAPI::freshDir(const QString& name) {
    return freshOutputDir(m_scratch.path(), name);
}

QString TestZtHeicAPI::copyFixture(const QString& fixture, const QString& asName) {
    const QString dir = m_scratch.path() + "/named/";
    QDir().mkpath(dir);
    QFile::remove(dir + asName);
    QFile::copy(fixture, dir + asName);
    return dir + asName;
}

// The log lines written since the last call.
QString TestZtHeicAPI::newLogText() {
    return logSince(m_home.path(), m_logOffset);
}

bool TestZtHeicAPI::mountTmpfs(const QString& dir, const QString& options) {
    QDir().mkpath(dir);
    if (!run("mount", {"-t", "tmpfs", "-o", options, "tmpfs", dir}, 10000)) {
        return false;
    }
    m_mounts << dir;
    return true;
}

void TestZtHeicAPI::storeCollectsOnceAndCountsWhatItHolds() {
    const QString a = copyFixture(m_fixtures + "/orient-1.heic", "Case.heic");
    const QString b = copyFixture(m_fixtures + "/orient-6.heic", "case.heic");
    ZtHeicAPI engine;
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
    QVERIFY(engine.collectHeicPicDataToMap(a));
    const double one = ZtHeicAPI::m_nUsedMemorySize;
    QVERIFY(one > 0.0);
    QVERIFY(engine.collectHeicPicDataToMap(a));
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, one);

    // A new engine object keeps the figure; letter case makes another entry.
    ZtHeicAPI other;
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, one);
    QVERIFY(other.collectHeicPicDataToMap(b));
    const double two = ZtHeicAPI::m_nUsedMemorySize;
    QVERIFY(two > one);

    ZtHeicAPI::releaseSpecifiedMapData(m_fixtures + "/not-there.heic");
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, two);
    ZtHeicAPI::releaseSpecifiedMapData(a);
    QVERIFY(qAbs(ZtHeicAPI::m_nUsedMemorySize - (two - one)) < 1e-9);
    QVERIFY(other.collectHeicPicDataToMap(a));  // decoded again after its release
    QVERIFY(qAbs(ZtHeicAPI::m_nUsedMemorySize - two) < 1e-9);

    ZtHeicAPI::releaseAllMapData();
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
    ZtHeicAPI::initMapData();
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);

    QVERIFY(!engine.collectHeicPicDataToMap(m_fixtures + "/text.heic"));
    QVERIFY(newLogText().contains("collect data failed"));
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
    QVERIFY(!engine.isExceedMemoryLimit());
}

void TestZtHeicAPI::budgetIsCheckedBeforeDecoding() {
    ZtHeicAPI engine;
    QVERIFY(engine.collectHeicPicDataToMap(m_fixtures + "/orient-1.heic"));
    // A budget just spent: not exceeded yet, so one more file is taken.
    const double held = ZtHeicAPI::m_nUsedMemorySize;
    engine.setMemoryBudgetMb(held);
    QVERIFY(!engine.isExceedMemoryLimit());
    QVERIFY(engine.collectHeicPicDataToMap(m_fixtures + "/orient-2.heic"));
    QVERIFY(ZtHeicAPI::m_nUsedMemorySize > held);
    QVERIFY(engine.isExceedMemoryLimit());
    newLogText();
    QVERIFY(!engine.collectHeicPicDataToMap(m_fixtures + "/orient-3.heic"));
    const QString log = newLogText();
    QVERIFY(log.contains("exceed Memory Limit"));
    QVERIFY(log.contains("ZtHeicAPI::collectHeicPicDataToMap"));
    QVERIFY(engine.collectHeicPicDataToMap(m_fixtures + "/orient-1.heic"));  // already held

    ZtHeicAPI::releaseAllMapData();
    QVERIFY(!engine.isExceedMemoryLimit());
    QVERIFY(engine.collectHeicPicDataToMap(m_fixtures + "/orient-3.heic"));
}

void TestZtHeicAPI::previewShowsFirstImageUpright() {
    ZtHeicAPI engine;
    QImage image;
    QVERIFY(engine.getShowImg(m_fixtures + "/multi3.heic", &image));
    QVERIFY(newLogText().contains("the file is not collected"));
    QCOMPARE(image.size(), QSize(64, 64));
    QVERIFY(qRed(image.pixel(32, 32)) > 200 && qGreen(image.pixel(32, 32)) < 60);

    const QImage quadrants = thumbnail(QImage(m_fixtures + "/quadrants.png"));
    for (bool collected : {false, true}) {
        const QString path = m_fixtures + "/orient-6.heic";
        if (collected) {
            QVERIFY(engine.collectHeicPicDataToMap(path));
        }
        QImage upright;
        QVERIFY(engine.getShowImg(path, &upright));
        QVERIFY(newLogText().contains(collected ? "the file  is collected"
                                                : "the file is not collected"));
        QCOMPARE(upright.size(), QSize(64, 96));
        QVERIFY(meanDifference(thumbnail(upright), turnedSquare(quadrants, 6)) < 12);
    }
    QImage none;
    QVERIFY(!engine.getShowImg(m_fixtures + "/text.heic", &none));
    QVERIFY(!engine.getShowImg(m_fixtures + "/orient-1.heic", nullptr));
}

void TestZtHeicAPI::uprightInEveryOutputMode_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<int>("extraTurn");  // from heif-dec's picture to the upright one

    struct Row {
        QString source;
        QSize upright;
        int percent;
        int extraTurn;
    };
    QList<Row> rows;
    for (int n = 1; n <= 8; ++n) {
        rows.append({m_fixtures + QString("/orient-%1.heic").arg(n),
                     n >= 5 ? QSize(64, 96) : QSize(96, 64), 100, 0});
    }
    rows.append({m_fixtures + "/irot90.heic", QSize(64, 96), 100, 0});
    rows.append({m_fixtures + "/imirh.heic", QSize(96, 64), 100, 0});
    // A grid turned by its EXIF tag alone: tiles are placed turned and mirrored.
    for (int n = 2; n <= 8; ++n) {
        const QString grid = m_fixtures + QString("/av1-grid-orient-%1.avif").arg(n);
        const QSize upright = n >= 5 ? QSize(64, 96) : QSize(96, 64);
        rows.append({grid, upright, 100, n});
        if (n == 5 || n == 7) {
            rows.append({grid, upright, 50, n});
        }
    }
    if (hasTestData()) {
        const QList<Row> samples = {
            {"pillow_heif/arrow.heic", {3024, 4032}, 100, 0},
            {"libvips/heic-orientation-6.heic", {3024, 4032}, 100, 0},
            {"libvips/apple-heic-gainmap.heic", {4284, 5712}, 100, 0},
            {"libvips/Example1.heic", {3024, 4032}, 100, 6},
            {"pillow_heif/200MP.heic", {12240, 16320}, 25, 0},
            {"pillow_heif/iPhoneXR.heic", {4032, 3024}, 100, 0},
            {"pillow_heif/pug.heic", {4032, 3024}, 100, 0},
            {"pillow_heif/PUG3.HEIC", {4032, 3024}, 100, 0},
            {"pillow_heif/xiaomi.heic", {2592, 1944}, 100, 0},
            {"pillow_heif/spatial_photo.heic", {2560, 2560}, 100, 0},
            {"pillow_heif/cat.hif", {4240, 2832}, 100, 0},
            {"pillow_heif/image_small.heic", {3464, 5196}, 100, 0},
            {"pillow_heif/L_exif_xmp_iptc.heic", {64, 64}, 100, 0},
            {"pillow_heif/RGBA_10__29x100.heif", {29, 100}, 100, 0},
            {"libheif/rainbow-451x461.heic", {451, 461}, 100, 0},
            {"libheif/example.heic", {1280, 854}, 100, 0},
            {"libheif/colors-with-alpha-thumbnail.heic", {72, 72}, 100, 0},
            {"sdwebimage/TestHDR.heic", {600, 400}, 100, 0},
        };
        for (Row row : samples) {
            if (!sampleIsTested(row.source)) {
                continue;
            }
            row.source = sample(row.source);
            rows.append(row);
        }
    }
    for (const Row& row : rows) {
        for (int mode = JpgKeepExif; mode <= Bmp; ++mode) {
            const QString name =
                QFileInfo(row.source).fileName() + " " + modeName(Mode(mode)) +
                (row.percent == 100 ? QString() : QString(" %1%").arg(row.percent));
            QTest::newRow(qPrintable(name))
                << row.source << mode << QString::number(row.percent) + "%" << row.percent
                << row.upright << row.extraTurn;
        }
    }
}

// Compares each written picture, turned by its EXIF tag when it keeps one, with heif-dec's.
void TestZtHeicAPI::uprightInEveryOutputMode() {
    QFETCH(QString, source);
    QFETCH(int, mode);
    QFETCH(QString, sizeText);
    QFETCH(int, percent);
    QFETCH(QSize, upright);
    QFETCH(int, extraTurn);

    if (!m_references.contains(source)) {
        QList<QImage> thumbs;
        for (const QImage& image : libheifReference(source)) {
            thumbs << turnedSquare(thumbnail(image), extraTurn);
        }
        m_references.insert(source, thumbs);
    }
    const QList<QImage> references = m_references.value(source);
    QVERIFY(!references.isEmpty());

    setMode(Mode(mode), sizeText);
    const QString out = freshDir("upright");
    ZtHeicAPI engine;
    QVERIFY(engine.convertHeicFormat(source, out));
    const QStringList written = filesIn(out);
    QCOMPARE(written.size(), references.size());
    QCOMPARE(engine.getSuccessfulNum(), references.size());

    const QSize expected(upright.width() * percent / 100, upright.height() * percent / 100);
    for (int i = 0; i < written.size(); ++i) {
        const QString path = out + written[i];
        QImage image = readWithoutTurning(path);
        const int tag = orientationOfFile(path);
        if (mode == JpgKeepExif) {
            const bool sideways = tag >= 5 && tag <= 8;
            QCOMPARE(sideways ? image.size().transposed() : image.size(), expected);
        } else {
            QVERIFY2(tag <= 1, "the pixels are turned, no tag may turn them again");
            QCOMPARE(image.size(), expected);
        }
        const double difference = meanDifference(
            turnedSquare(thumbnail(image), mode == JpgKeepExif ? tag : 1), references[i]);
        QVERIFY2(difference < 12, qPrintable(QString("difference %1").arg(difference)));
    }
}

// Every EXIF tag of the decoder's stream arrives, in its byte order, also from the store and
// for EXIF bigger than one segment; keep EXIF off writes none.
void TestZtHeicAPI::exifArrivesWhole() {
    if (!hasTestData()) {
        QSKIP("PIXVUE_TESTDATA does not hold the real samples");
    }
    for (const char* name :
         {"pillow_heif/iPhoneXR.heic", "pillow_heif/xiaomi.heic", "pillow_heif/200MP.heic"}) {
        if (!sampleIsTested(name) && !QByteArray(name).contains("iPhoneXR")) {
            continue;  // one 12 MP sample under the sanitizers
        }
        const QString source = sample(name);
        std::list<CImageData> images;
        QCOMPARE(heic_to_jpgdata(QFile::encodeName(source).constData(), images, 50), 0);
        const QString streamPath = m_scratch.path() + "/stream.jpg";
        {
            QFile stream(streamPath);
            QVERIFY(stream.open(QIODevice::WriteOnly));
            stream.write(reinterpret_cast<const char*>(images.front().data), images.front().size);
        }
        for (CImageData& image : images) {
            free(image.data);
        }
        const QMap<QString, QString> expected = exifTags(streamPath);
        QVERIFY(expected.size() > 20);
        const QString byteOrder = exiftoolValue(streamPath, "ExifByteOrder");

        ZtHeicAPI engine;
        for (bool stored : {false, true}) {
            if (stored) {
                QVERIFY(engine.collectHeicPicDataToMap(source));
            }
            setMode(JpgKeepExif, stored ? "50%" : "100%");
            const QString out = freshDir("exif");
            QVERIFY(engine.convertHeicFormat(source, out));
            const QString written = out + filesIn(out).value(0);
            const QMap<QString, QString> tags = exifTags(written);
            for (auto it = expected.begin(); it != expected.end(); ++it) {
                QVERIFY2(tags.contains(it.key()), qPrintable(QString(name) + " lost " + it.key()));
                if (!it.key().contains("Dimension") && !it.key().contains("ExifImage") &&
                    !it.key().contains("ImageWidth") && !it.key().contains("ImageHeight") &&
                    !it.key().contains("Offset")) {
                    QCOMPARE(tags.value(it.key()), it.value());
                }
            }
            QCOMPARE(exiftoolValue(written, "ExifByteOrder"), byteOrder);
            if (stored) {
                QCOMPARE(exiftoolValue(written, "ExifImageWidth"),
                         QString::number(QImageReader(written).size().width()));
            }
        }
        ZtHeicAPI::releaseAllMapData();
    }
    setMode(JpgNoExif);
    const QString out = freshDir("noexif");
    QVERIFY(ZtHeicAPI().convertHeicFormat(sample("pillow_heif/arrow.heic"), out));
    QVERIFY(exifTags(out + "arrow.jpg").isEmpty());
}

void TestZtHeicAPI::colourProfileSurvivesRotation() {
    if (!hasTestData()) {
        QSKIP("PIXVUE_TESTDATA does not hold the real samples");
    }
    const QString source = sample("pillow_heif/arrow.heic");
    for (Mode mode : {JpgKeepExif, JpgNoExif, Png}) {
        setMode(mode, "25%");
        const QString out = freshDir("icc");
        QVERIFY(ZtHeicAPI().convertHeicFormat(source, out));
        const QString written = out + filesIn(out).value(0);
        QVERIFY2(exiftoolValue(written, "ProfileDescription").contains("P3"), modeName(mode));
        QVERIFY(readWithoutTurning(written).colorSpace().isValid());
    }
}

void TestZtHeicAPI::outputNames() {
    const QString source = copyFixture(m_fixtures + "/orient-1.heic", "IMG.heic");
    const QString out = freshDir("names");
    ZtHeicAPI engine;
    engine.setSuccessfulNum(0);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(engine.convertHeicFormat(source, out));
    }
    QCOMPARE(filesIn(out), QStringList({"IMG.jpg", "IMG_1.jpg", "IMG_2.jpg"}));
    QVERIFY(newLogText().contains("fileInfo.fileName():IMG.heic"));

    const QString other = freshDir("names-png");
    QFile(other + "IMG.png").open(QIODevice::WriteOnly);
    QVERIFY(engine.convertHeicFormat(source, other));
    QVERIFY(QFile::exists(other + "IMG.jpg"));
    QFile(other + "IMG_1.png").open(QIODevice::WriteOnly);
    QVERIFY(engine.convertHeicFormat(source, other));
    QVERIFY(QFile::exists(other + "IMG_2.jpg"));

    // From _10 on the listing order puts IMG_10 before IMG_2: no existing file is replaced.
    const QString many = freshDir("names-many");
    for (const char* name :
         {"IMG.jpg", "IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg", "IMG_4.jpg", "IMG_5.jpg", "IMG_6.jpg",
          "IMG_7.jpg", "IMG_8.jpg", "IMG_9.jpg", "IMG_10.jpg"}) {
        QFile file(many + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }
    QVERIFY(engine.convertHeicFormat(source, many));
    QCOMPARE(filesIn(many).size(), 12);
    QCOMPARE(readAll(many + "IMG_10.jpg"), QByteArray("kept"));
    QVERIFY(QFile::exists(many + "IMG_11.jpg"));

    const QString multi = freshDir("names-multi");
    setMode(Png);
    QVERIFY(engine.convertHeicFormat(m_fixtures + "/multi3.heic", multi));
    QCOMPARE(filesIn(multi), QStringList({"multi3.png", "multi3_1.png", "multi3_2.png"}));
    QCOMPARE(engine.getSuccessfulNum(), 3 + 2 + 1 + 3);

    // Other suffixes and names with blanks, quotes and non-ASCII letters.
    const QString odd = freshDir("names-odd");
    setMode(Bmp);
    const QString hif = copyFixture(m_fixtures + "/orient-1.heic", "camera.hif");
    const QString quoted =
        copyFixture(m_fixtures + "/orient-1.heic", QString::fromUtf8("my \"big\" 'day' 照片.HEIC"));
    QVERIFY(engine.convertHeicFormat(hif, odd));
    QVERIFY(engine.convertHeicFormat(quoted, odd));
    QCOMPARE(filesIn(odd),
             QStringList({"camera.bmp", QString::fromUtf8("my \"big\" 'day' 照片.bmp")}));
}

void TestZtHeicAPI::pictureSize() {
    const QString source = m_fixtures + "/orient-1.heic";  // 96 x 64
    ZtHeicAPI engine;
    const QList<QPair<QString, QSize>> sizes = {
        {"50%", {48, 32}}, {"25%", {24, 16}}, {"150%", {144, 96}}, {"%5%0%", {48, 32}}};
    for (bool stored : {false, true}) {
        if (stored) {
            QVERIFY(engine.collectHeicPicDataToMap(source));
        }
        for (const auto& [text, size] : sizes) {
            setMode(JpgKeepExif, text);
            const QString out = freshDir("size");
            QVERIFY(engine.convertHeicFormat(source, out));
            QCOMPARE(QImageReader(out + "orient-1.jpg").size(), size);
        }
        for (const char* text : {"0%", "abc"}) {
            setMode(Png, text);
            const QString out = freshDir("size-zero");
            newLogText();
            QVERIFY(!engine.convertHeicFormat(source, out));
            QVERIFY(newLogText().contains("Image save fail "));
            QVERIFY(filesIn(out).isEmpty());
        }
    }
}

// An output folder that is missing, read-only or full ends the file with false and leaves
// no partial file; a file of several pictures is written whole or not at all.
void TestZtHeicAPI::failedWritesLeaveNothingHalfWritten() {
    ZtHeicAPI engine;
    setMode(JpgNoExif);
    QVERIFY(
        !engine.convertHeicFormat(m_fixtures + "/orient-1.heic", m_scratch.path() + "/no/such/"));
    QVERIFY(newLogText().contains("Image save fail "));
    QCOMPARE(engine.lastFailure(), ZtHeicAPI::Failure::OutputNotWritable);

    const QString readOnly = m_scratch.path() + "/readonly";
    if (!mountTmpfs(readOnly, "ro,size=64k")) {
        QSKIP("mounting a tmpfs needs root");
    }
    QVERIFY(!engine.convertHeicFormat(m_fixtures + "/orient-1.heic", readOnly + "/"));
    QVERIFY(filesIn(readOnly).isEmpty());
    QCOMPARE(QString(ZtHeicAPI::failureText(engine.lastFailure())),
             QString("output folder not writable"));

    // Room for the first of three 12 KB bitmaps only.
    const QString full = m_scratch.path() + "/full";
    QVERIFY(mountTmpfs(full, "size=20k"));
    setMode(Bmp);
    newLogText();
    QVERIFY(!engine.convertHeicFormat(m_fixtures + "/multi3.heic", full + "/"));
    QVERIFY(newLogText().contains("Image save fail "));
    QCOMPARE(filesIn(full), QStringList());
    QCOMPARE(engine.lastFailure(), ZtHeicAPI::Failure::DiskFull);
    QCOMPARE(ZtHeicAPI::failureText(engine.lastFailure()), "disk full");
    if (hasTestData()) {
        // A 90 KB PNG does not fit either; nothing of it stays.
        setMode(Png);
        QVERIFY(!engine.convertHeicFormat(sample("libheif/rainbow-451x461.heic"), full + "/"));
        QCOMPARE(engine.lastFailure(), ZtHeicAPI::Failure::DiskFull);
        QCOMPARE(filesIn(full), QStringList());
    }

    // The failed files left no temporary files behind: a small one fits, and a later success
    // clears the reason.
    setMode(JpgNoExif);
    QVERIFY(engine.convertHeicFormat(m_fixtures + "/orient-1.heic", full + "/"));
    QCOMPARE(filesIn(full), QStringList{"orient-1.jpg"});
    QCOMPARE(engine.lastFailure(), ZtHeicAPI::Failure::None);
}

void TestZtHeicAPI::badInputEndsAsFailure() {
    const QMap<QString, ZtHeicAPI::Failure> reasons = {
        {m_fixtures + "/text.heic", ZtHeicAPI::Failure::NotAPicture},
        {m_fixtures + "/huge.heic", ZtHeicAPI::Failure::TooLarge},
        {m_fixtures + "/avc.heic", ZtHeicAPI::Failure::CodingNotSupported},
        {m_fixtures + "/sequence.heic", ZtHeicAPI::Failure::SequenceNotSupported},
        {m_fixtures + "/gone.heic", ZtHeicAPI::Failure::Unreadable},
        {m_fixtures + "/folder.heic", ZtHeicAPI::Failure::Unreadable},
        {m_fixtures + "/pipe.heic", ZtHeicAPI::Failure::Unreadable},
    };
    QStringList paths = reasons.keys();
    QDir().mkpath(m_fixtures + "/folder.heic");
    // A pipe with no writer: reading it would wait for ever.
    QVERIFY(mkfifo(QFile::encodeName(m_fixtures + "/pipe.heic").constData(), 0600) == 0 ||
            errno == EEXIST);
    QCOMPARE(ZtHeicAPI::picturePixels(m_fixtures + "/pipe.heic"), quint64(0));
    if (hasTestData()) {
        paths << brokenSamples();
    }
    const QString out = freshDir("bad");
    // Every way a picture is streamed: a file cut short mid-tile fails in each.
    const QList<QPair<Mode, QString>> modes = {{JpgKeepExif, "100%"},
                                               {JpgKeepExif, "50%"},
                                               {JpgNoExif, "100%"},
                                               {Png, "100%"},
                                               {Bmp, "50%"}};
    for (const auto& [mode, size] : modes) {
        setMode(mode, size);
        for (const QString& path : paths) {
            ZtHeicAPI engine;
            newLogText();
            QVERIFY2(!engine.convertHeicFormat(path, out), qPrintable(path));
            QVERIFY(newLogText().contains("Heic to Jpg data fail,the result is : ["));
            // A broken sample is a damaged HEIF, too large for what it claims, or no HEIF.
            const ZtHeicAPI::Failure failure = engine.lastFailure();
            QVERIFY2(reasons.contains(path) ? failure == reasons.value(path)
                                            : failure == ZtHeicAPI::Failure::Damaged ||
                                                  failure == ZtHeicAPI::Failure::TooLarge ||
                                                  failure == ZtHeicAPI::Failure::NotAPicture,
                     qPrintable(path + ": " + ZtHeicAPI::failureText(failure)));
            QVERIFY(!engine.collectHeicPicDataToMap(path));
            QImage preview;
            QVERIFY(!engine.getShowImg(path, &preview));
        }
    }
    QVERIFY(filesIn(out).isEmpty());
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
}

// One thread collects and releases while others preview and convert the same files.
void TestZtHeicAPI::storeUnderConcurrentUse() {
    QStringList files;
    for (int n = 1; n <= 8; ++n) {
        files << m_fixtures + QString("/orient-%1.heic").arg(n);
    }
    files << m_fixtures + "/multi3.heic";
    setMode(Png, "50%");
    std::atomic<bool> failed{false};
    std::atomic<bool> collecting{true};
    // Plain threads: their joins are visible to ThreadSanitizer, Qt's thread pool hand-offs not.
    auto collector = std::async(std::launch::async, [&] {
        ZtHeicAPI engine;
        for (int round = 0; round < 6; ++round) {
            for (const QString& file : files) {
                failed = failed || !engine.collectHeicPicDataToMap(file);
            }
            ZtHeicAPI::releaseSpecifiedMapData(files[round % files.size()]);
            if (round % 2 == 1) {
                ZtHeicAPI::releaseAllMapData();
            }
        }
        collecting = false;
    });
    auto previewer = std::async(std::launch::async, [&] {
        ZtHeicAPI engine;
        while (collecting) {
            for (const QString& file : files) {
                QImage image;
                failed = failed || !engine.getShowImg(file, &image) || image.isNull();
            }
        }
    });
    const QString out = freshDir("concurrent");
    auto converter = std::async(std::launch::async, [&] {
        ZtHeicAPI engine;
        while (collecting) {
            for (const QString& file : files) {
                failed = failed || !engine.convertHeicFormat(file, out);
            }
        }
    });
    collector.get();
    previewer.get();
    converter.get();
    QVERIFY(!failed);
    ZtHeicAPI::releaseAllMapData();
    QCOMPARE(ZtHeicAPI::m_nUsedMemorySize, 0.0);
    for (const QString& name : filesIn(out)) {
        QVERIFY2(QImage(out + name).width() == 48 || QImage(out + name).width() == 32,
                 qPrintable(name));
    }
}

// Files of one name from several folders converted at once into one folder: none is lost.
void TestZtHeicAPI::concurrentConversionsTakeDistinctNames() {
    const QString out = freshDir("names-concurrent");
    QStringList sources;
    for (int i = 0; i < 6; ++i) {
        const QString folder = m_scratch.filePath(QString("same-%1").arg(i));
        QDir().mkpath(folder);
        QFile::remove(folder + "/IMG.heic");
        QVERIFY(QFile::copy(m_fixtures + "/multi3.heic", folder + "/IMG.heic"));
        sources << folder + "/IMG.heic";
    }
    const ZtHeicAPI::Settings settings{JPG, false, 100, 90};
    std::vector<std::future<bool>> runs;
    for (const QString& source : sources) {
        runs.push_back(std::async(std::launch::async, [&out, &settings, source] {
            ZtHeicAPI engine;
            return engine.convertHeicFormat(source, out, settings);
        }));
    }
    for (std::future<bool>& run : runs) {
        QVERIFY(run.get());
    }
    QCOMPARE(filesIn(out).size(), 6 * 3);
    QVERIFY(filesIn(out).contains("IMG_17.jpg"));
    QCOMPARE(ZtHeicAPI::picturePixels(m_fixtures + "/multi3.heic"),
             quint64(QImageReader(out + "IMG.jpg").size().width()) *
                 quint64(QImageReader(out + "IMG.jpg").size().height()));
    if (hasTestData()) {
        // From the header alone: the 200 MP sample is not decoded for this.
        QCOMPARE(ZtHeicAPI::picturePixels(sample("pillow_heif/200MP.heic")),
                 quint64(16320) * 12240);
    }
}

QTEST_MAIN(TestZtHeicAPI)
#include "tst_ztheicapi.moc"
