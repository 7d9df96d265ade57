#include "enginetestsupport.h"
#include "heic_to_jpgdata.h"
#include "ztexiforientation.h"

#include <sys/resource.h>

#include <cstdlib>
#include <future>
#include <vector>

using namespace enginetest;

namespace {

struct Streams {
    std::list<CImageData> list;
    ~Streams() {
        for (CImageData& image : list) {
            free(image.data);
        }
    }
    QByteArray at(int index) const {
        auto it = list.begin();
        std::advance(it, index);
        return QByteArray(reinterpret_cast<const char*>(it->data), it->size);
    }
};

int orientationOf(const QByteArray& jpeg) {
    return ztexif::readExifOrientation(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                       size_t(jpeg.size()));
}

// Byte length of the first "Exif" APP1 segment, 0 when there is none.
int exifSegmentLength(const QByteArray& jpeg) {
    const int at = jpeg.indexOf(QByteArray("Exif\0\0", 6));
    if (at < 4 || uchar(jpeg[at - 4]) != 0xFF || uchar(jpeg[at - 3]) != 0xE1) {
        return 0;
    }
    return uchar(jpeg[at - 2]) << 8 | uchar(jpeg[at - 1]);
}

// A JPEG stream holding only an APP1 "Exif" whose IFD0 has one Orientation entry.
QByteArray jpegWithOrientationEntry(bool bigEndian, uint16_t type, uint16_t value) {
    QByteArray tiff;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            tiff.append(char(v >> (8 * (bigEndian ? bytes - 1 - i : i))));
        }
    };
    tiff.append(bigEndian ? "MM" : "II");
    put(42, 2);
    put(8, 4);  // IFD0 offset
    put(1, 2);  // one entry
    put(0x0112, 2);
    put(type, 2);
    put(1, 4);
    put(value, 2);
    put(0, 2);
    put(0, 4);  // no next IFD
    const int length = 2 + 6 + tiff.size();
    QByteArray jpeg("\xFF\xD8\xFF\xE1", 4);
    jpeg.append(char(length >> 8)).append(char(length & 0xFF));
    jpeg.append(QByteArray("Exif\0\0", 6)).append(tiff);
    return jpeg.append("\xFF\xD9");
}

// The process's address space in use (VmSize), 0 when unknown.
qulonglong addressSpaceKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:")) {
            return line.simplified().split(' ').value(1).toULongLong();
        }
    }
    return 0;
}

}  // namespace

class TestHeicDecoder : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void realSamples_data();
    void realSamples();
    void orientationTravelsInExif();
    void badInputFailsAndLeavesTheList();
    void qualityAndConcurrentCalls();
    void exifLargerThanOneSegment();
    void exifOrientationReaderRejectsMalformedTags();
    void tileTallerThanThePictureNeedsLittleMemory();

private:
    QTemporaryDir m_scratch;
    QString m_fixtures;
};

void TestHeicDecoder::initTestCase() {
    QVERIFY(m_scratch.isValid());
    m_fixtures = m_scratch.path() + "/fixtures";
    QVERIFY(makeFixtures(m_fixtures));
}

void TestHeicDecoder::realSamples_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("images");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");  // 0: no Orientation tag
    QTest::addColumn<bool>("icc");
    struct Row {
        const char* file;
        int images;
        QSize stored;
        int orientation;
        bool icc;
    };
    const Row rows[] = {
        {"pillow_heif/arrow.heic", 1, {4032, 3024}, 6, true},
        {"libvips/heic-orientation-6.heic", 1, {4032, 3024}, 6, true},
        {"libvips/apple-heic-gainmap.heic", 1, {5712, 4284}, 6, true},
        {"libvips/Example1.heic", 1, {4032, 3024}, 6, true},
        {"pillow_heif/200MP.heic", 1, {16320, 12240}, 6, true},
        {"pillow_heif/iPhoneXR.heic", 1, {4032, 3024}, 1, true},
        {"pillow_heif/pug.heic", 1, {4032, 3024}, 1, true},
        {"pillow_heif/PUG3.HEIC", 1, {4032, 3024}, 0, false},
        {"pillow_heif/xiaomi.heic", 1, {2592, 1944}, 1, false},
        {"pillow_heif/spatial_photo.heic", 2, {2560, 2560}, 0, true},
        {"pillow_heif/cat.hif", 1, {4240, 2832}, 0, false},
        {"pillow_heif/image_small.heic", 1, {3464, 5196}, 0, false},
        {"pillow_heif/L_exif_xmp_iptc.heic", 1, {64, 64}, 0, false},
        {"pillow_heif/RGBA_10__29x100.heif", 1, {29, 100}, 0, false},
        {"libheif/rainbow-451x461.heic", 1, {451, 461}, 0, true},
        {"libheif/example.heic", 2, {1280, 854}, 0, false},
        {"libheif/colors-with-alpha-thumbnail.heic", 1, {72, 72}, 0, false},
        {"sdwebimage/TestHDR.heic", 1, {600, 400}, 1, true},  // a profile made from its nclx
    };
    for (const Row& row : rows) {
        if (!sampleIsTested(row.file)) {
            continue;
        }
        QTest::newRow(row.file) << QString(row.file) << row.images << row.stored << row.orientation
                                << row.icc;
    }
}

// Every top-level picture in file order, cropped by the clean aperture but not turned,
// as a complete JPEG carrying the orientation of the rule and the ICC profile.
void TestHeicDecoder::realSamples() {
    if (!hasTestData()) {
        QSKIP("PIXVUE_TESTDATA does not hold the real samples");
    }
    QFETCH(QString, file);
    QFETCH(int, images);
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(bool, icc);

    Streams streams;
    QCOMPARE(heic_to_jpgdata(QFile::encodeName(sample(file)).constData(), streams.list, 80), 0);
    QCOMPARE(int(streams.list.size()), images);
    for (int i = 0; i < images; ++i) {
        const QByteArray jpeg = streams.at(i);
        QVERIFY(jpeg.startsWith("\xFF\xD8"));
        QVERIFY(jpeg.endsWith("\xFF\xD9"));
        const QImage image = QImage::fromData(jpeg);
        QCOMPARE(image.size(), stored);
        QCOMPARE(orientationOf(jpeg), orientation);
        if (i == 0) {
            QCOMPARE(jpeg.contains("ICC_PROFILE"), icc);
        }
        if (icc && i == 0) {
            QVERIFY(image.colorSpace().isValid());
        }
    }
}

// The EXIF tag wins; without one the container's rotation or mirror is written into the
// EXIF (a new block when the file has none); the rest of the EXIF arrives unchanged.
void TestHeicDecoder::orientationTravelsInExif() {
    for (int n = 1; n <= 8; ++n) {
        Streams streams;
        const QString path = m_fixtures + QString("/orient-%1.heic").arg(n);
        QCOMPARE(heic_to_jpgdata(QFile::encodeName(path).constData(), streams.list, 90), 0);
        const QByteArray jpeg = streams.at(0);
        QCOMPARE(orientationOf(jpeg), n);
        QVERIFY(jpeg.contains("PixvueTest"));
        QCOMPARE(QImage::fromData(jpeg).size(), QSize(96, 64));
    }
    const QList<QPair<QString, int>> containerOnly = {
        {"irot90.heic", 8}, {"imirh.heic", 2}, {"noexif.heic", 0}};
    for (const auto& [name, expected] : containerOnly) {
        Streams streams;
        const QString path = m_fixtures + "/" + name;
        QCOMPARE(heic_to_jpgdata(QFile::encodeName(path).constData(), streams.list, 90), 0);
        QCOMPARE(orientationOf(streams.at(0)), expected);
        QCOMPARE(exifSegmentLength(streams.at(0)) > 0, expected != 0);
    }
    if (hasTestData()) {
        // EXIF 6 and no irot: the tag alone says it.
        Streams streams;
        const QByteArray path = QFile::encodeName(sample("libvips/Example1.heic"));
        QCOMPARE(heic_to_jpgdata(path.constData(), streams.list, 50), 0);
        QCOMPARE(orientationOf(streams.at(0)), 6);
    }
}

void TestHeicDecoder::badInputFailsAndLeavesTheList() {
    QStringList paths = {m_fixtures + "/jpeg.heic",     m_fixtures + "/text.heic",
                         m_fixtures + "/missing.heic",  m_fixtures + "/huge.heic",
                         m_fixtures + "/noispe.heic",   m_fixtures + "/avc.heic",
                         m_fixtures + "/sequence.heic", m_fixtures + "/av1-grid-short.avif"};
    QVERIFY(QDir(m_fixtures).mkpath("x.heic"));
    paths << m_fixtures + "/x.heic";
    if (hasTestData()) {
        paths << brokenSamples();
        // A grid one of whose tiles (the ninth, in the second row) is of a type that is no
        // picture.
        QFile grid(sample("pillow_heif/arrow.heic"));
        QVERIFY(grid.open(QIODevice::ReadOnly));
        QByteArray bytes = grid.readAll();
        int type = -1;
        for (int tile = 1; tile <= 9; ++tile) {
            type = bytes.indexOf("infe", type + 1);
        }
        type += 12;
        QCOMPARE(bytes.mid(type, 4), QByteArray("hvc1"));
        bytes.replace(type, 4, "zzzz");
        QFile broken(m_fixtures + "/tile-not-a-picture.heic");
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write(bytes) == bytes.size());
        broken.close();
        paths << broken.fileName();
    }
    unsigned char sentinel = 0;
    for (const QString& path : paths) {
        std::list<CImageData> images = {{&sentinel, 1}};
        const int result = heic_to_jpgdata(QFile::encodeName(path).constData(), images, 50);
        QVERIFY2(result != 0, qPrintable(path));
        QCOMPARE(int(images.size()), 1);
        QCOMPARE(images.front().data, &sentinel);
    }
    std::list<CImageData> images;
    const QMap<QString, int> reasons = {{"huge.heic", HeicDecodeTooLarge},
                                        {"avc.heic", HeicDecodeCodingNotSupported},
                                        {"sequence.heic", HeicDecodeSequenceNotSupported}};
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it) {
        const QByteArray path = QFile::encodeName(m_fixtures + "/" + it.key());
        QCOMPARE(heic_to_jpgdata(path.constData(), images, 50), it.value());
    }
    QVERIFY(heic_to_jpgdata(nullptr, images, 50) != 0);
    QVERIFY(heic_to_jpgdata("", images, 50) != 0);
    QVERIFY(images.empty());
}

// Quality reaches the encoder; calls from several threads give the bytes of a lone call.
void TestHeicDecoder::qualityAndConcurrentCalls() {
    QStringList files = {m_fixtures + "/multi3.heic", m_fixtures + "/orient-6.heic"};
    if (hasTestData()) {
        files << sample("libheif/example.heic") << sample("libheif/rainbow-451x461.heic")
              << sample("pillow_heif/arrow.heic");
    }
    const auto decode = [](const QString& path, int quality) {
        Streams streams;
        const int result =
            heic_to_jpgdata(QFile::encodeName(path).constData(), streams.list, quality);
        QByteArrayList out;
        for (int i = 0; result == 0 && i < int(streams.list.size()); ++i) {
            out << streams.at(i);
        }
        return out;
    };
    QMap<QString, QByteArrayList> alone;
    for (const QString& file : files) {
        alone[file] = decode(file, 75);
        QVERIFY(!alone[file].isEmpty());
    }
    const QByteArray low = decode(files.last(), 10).value(0);
    const QByteArray high = decode(files.last(), 95).value(0);
    QVERIFY(!low.isEmpty() && low.size() < high.size());

    QStringList jobs;
    for (int round = 0; round < 3; ++round) {
        jobs << files;
    }
    // Plain threads: their joins are visible to ThreadSanitizer, Qt's thread pool hand-offs not.
    std::vector<std::future<QByteArrayList>> futures;
    for (const QString& job : jobs) {
        futures.push_back(
            std::async(std::launch::async, [&decode, job] { return decode(job, 75); }));
    }
    QList<QByteArrayList> results;
    for (std::future<QByteArrayList>& future : futures) {
        results << future.get();
    }
    for (int i = 0; i < jobs.size(); ++i) {
        QCOMPARE(results[i], alone[jobs[i]]);
    }
}

// 192 KB of EXIF: the stream carries one valid APP1 segment with the tags that fit.
void TestHeicDecoder::exifLargerThanOneSegment() {
    if (!hasTestData()) {
        QSKIP("PIXVUE_TESTDATA does not hold the real samples");
    }
    Streams streams;
    QCOMPARE(heic_to_jpgdata(QFile::encodeName(sample("pillow_heif/xiaomi.heic")).constData(),
                             streams.list, 60),
             0);
    const QByteArray jpeg = streams.at(0);
    QVERIFY(exifSegmentLength(jpeg) > 1000);
    QVERIFY(jpeg.contains("Xiaomi"));
    QCOMPARE(orientationOf(jpeg), 1);
    QCOMPARE(QImage::fromData(jpeg).size(), QSize(2592, 1944));
}

// Only the eight defined orientations are reported; anything else reads as no tag at all.
void TestHeicDecoder::exifOrientationReaderRejectsMalformedTags() {
    for (bool bigEndian : {true, false}) {
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(orientationOf(jpegWithOrientationEntry(bigEndian, 3, uint16_t(n))), n);
        }
        for (uint16_t bad : {0, 9, 0x0100, 0xFFFF}) {
            QCOMPARE(orientationOf(jpegWithOrientationEntry(bigEndian, 3, bad)), 0);
        }
        QCOMPARE(orientationOf(jpegWithOrientationEntry(bigEndian, 4, 6)), 0);  // not a SHORT
    }
    QByteArray cut = jpegWithOrientationEntry(true, 3, 6);
    cut.chop(2 + 8);  // the segment now runs past the end of the stream
    QCOMPARE(orientationOf(cut.append("\xFF\xD9")), 0);
}

// A grid whose tiles claim 40000 rows (the picture has 3024) fails to decode without holding
// memory for the rows that do not exist: it runs under an address-space limit that the
// picture's own rows fit in and the claimed rows would not.
void TestHeicDecoder::tileTallerThanThePictureNeedsLittleMemory() {
    if (!hasTestData()) {
        QSKIP("no samples folder (PIXVUE_TESTDATA)");
    }
#ifdef PIXVUE_SANITIZED
    QSKIP("address-space limits do not work under the sanitizers");
#endif
    QFile grid(sample("pillow_heif/arrow.heic"));
    QVERIFY(grid.open(QIODevice::ReadOnly));
    QByteArray bytes = grid.readAll();
    const int tileSize = bytes.indexOf("ispe") + 8;  // the tiles' 512x512 comes first
    QCOMPARE(bytes.mid(tileSize, 8), QByteArray("\0\0\x02\0\0\0\x02\0", 8));
    bytes.replace(tileSize + 4, 4, QByteArray("\0\0\x9c\x40", 4));  // 40000 rows
    const QString path = m_fixtures + "/tall-tiles.heic";
    QFile tall(path);
    QVERIFY(tall.open(QIODevice::WriteOnly) && tall.write(bytes) == bytes.size());
    tall.close();

    const qulonglong vmKb = addressSpaceKb();
    QVERIFY(vmKb > 0);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(vmKb + 768 * 1024) * 1024;
    QVERIFY(saved.rlim_cur == RLIM_INFINITY || limited.rlim_cur < saved.rlim_cur);
    QCOMPARE(setrlimit(RLIMIT_AS, &limited), 0);
    Streams streams;
    const int result = heic_to_jpgdata(QFile::encodeName(path).constData(), streams.list, 50);
    QCOMPARE(setrlimit(RLIMIT_AS, &saved), 0);
    QCOMPARE(result, int(HeicDecodeDecodeError));
    QVERIFY(streams.list.empty());
}

QTEST_GUILESS_MAIN(TestHeicDecoder)
#include "tst_heicdecoder.moc"
