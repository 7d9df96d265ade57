// Location removal from a JPEG's EXIF and XMP.
#include "ztlocationstrip.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

#include <exiv2/exiv2.hpp>

namespace {

QByteArray plainJpeg() {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

QByteArray jpegWithLocation() {
    const QByteArray plain = plainJpeg();
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(plain.constData()),
                                           long(plain.size()));
    image->readMetadata();
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Maker";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:01:02 03:04:05";
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    exif["Exif.GPSInfo.GPSLatitude"] = "64/1 8/1 0/1";
    Exiv2::XmpData xmp;
    xmp["Xmp.photoshop.City"] = "Reykjavik";
    xmp["Xmp.exif.GPSLatitude"] = "64,8.0N";
    xmp["Xmp.Iptc4xmpCore.Location"] = "Harbour";
    xmp["Xmp.dc.title"] = "Boats";
    image->setExifData(exif);
    image->setXmpData(xmp);
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    QByteArray bytes(int(io.size()), Qt::Uninitialized);
    io.seek(0, Exiv2::BasicIo::beg);
    io.read(reinterpret_cast<Exiv2::byte*>(bytes.data()), long(bytes.size()));
    return bytes;
}

struct Metadata {
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
};

Metadata read(const QByteArray& jpeg) {
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()),
                                           long(jpeg.size()));
    image->readMetadata();
    return {image->exifData(), image->xmpData()};
}

bool has(const Exiv2::ExifData& exif, const char* key) {
    return exif.findKey(Exiv2::ExifKey(key)) != exif.end();
}

bool has(const Exiv2::XmpData& xmp, const char* key) {
    return xmp.findKey(Exiv2::XmpKey(key)) != xmp.end();
}

}  // namespace

class TestLocationStrip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Exiv2::XmpParser::initialize(); }

    // Every place a location is kept is emptied; everything else stays, pixels included.
    void removesTheLocationOnly() {
        QByteArray jpeg = jpegWithLocation();
        const Metadata before = read(jpeg);
        QVERIFY(has(before.exif, "Exif.GPSInfo.GPSLatitude"));
        QVERIFY(has(before.xmp, "Xmp.photoshop.City"));
        const QImage pixels = QImage::fromData(jpeg);

        QVERIFY(removeLocationFromJpeg(jpeg));
        Metadata after = read(jpeg);
        for (const auto& datum : after.exif) {
            QVERIFY2(datum.groupName() != "GPSInfo", datum.key().c_str());
        }
        QVERIFY(!has(after.exif, "Exif.Image.GPSTag"));
        for (const char* key :
             {"Xmp.photoshop.City", "Xmp.exif.GPSLatitude", "Xmp.Iptc4xmpCore.Location"}) {
            QVERIFY2(!has(after.xmp, key), key);
        }
        QCOMPARE(after.exif["Exif.Image.Make"].toString(), std::string("Maker"));
        QCOMPARE(after.exif["Exif.Photo.DateTimeOriginal"].toString(),
                 std::string("2024:01:02 03:04:05"));
        QVERIFY(has(after.xmp, "Xmp.dc.title"));
        QCOMPARE(QImage::fromData(jpeg), pixels);

        // Without a location, and on bytes that are no JPEG.
        QByteArray plain = plainJpeg();
        const QByteArray unchanged = plain;
        QVERIFY(removeLocationFromJpeg(plain));
        QCOMPARE(plain, unchanged);
        QByteArray garbage("not a picture");
        QVERIFY(!removeLocationFromJpeg(garbage));
        QCOMPARE(garbage, QByteArray("not a picture"));
    }
};

QTEST_GUILESS_MAIN(TestLocationStrip)
#include "tst_locationstrip.moc"
