#include "ztpicture.h"

#include "heic_to_jpgdata.h"
#include "zticcembed.h"
#include "ztpngwriter.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QVector>
#include <QtEndian>

#include <cstdlib>
#include <new>

namespace {

// 16-bit samples (RGB or RGBA) as a 64-bit QImage, opaque where the picture has no alpha.
QImage deepImageOf(const CPixelData& data) {
    const bool alpha = data.channels == 4;
    QImage image(data.width, data.height, alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const quint16*>(data.pixels + qint64(y) * data.stride);
        auto* out = reinterpret_cast<quint16*>(image.scanLine(y));
        for (int x = 0; x < data.width; ++x, in += data.channels, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = alpha ? in[3] : 0xFFFF;
        }
    }
    return image;
}

// The QImage takes the decoder's pixel buffer over.
QImage imageOf(CPixelData& data) {
    if (data.bitsPerSample == 16) {
        return deepImageOf(data);
    }
    const QImage::Format format =
        data.channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    unsigned char* pixels = data.pixels;
    QImage image(pixels, data.width, data.height, data.stride, format, free, pixels);
    if (image.isNull()) {
        return image;
    }
    data.pixels = nullptr;
    return image;
}

QByteArray bytesOf(const unsigned char* data, int32_t size) {
    return data == nullptr ? QByteArray()
                           : QByteArray(reinterpret_cast<const char*>(data), int(size));
}

// The EXIF orientation that undoes the transformation Qt reads for a picture.
int orientationOf(QImageIOHandler::Transformations transformation) {
    switch (int(transformation)) {
        case QImageIOHandler::TransformationMirror:
            return 2;
        case QImageIOHandler::TransformationRotate180:
            return 3;
        case QImageIOHandler::TransformationFlip:
            return 4;
        case QImageIOHandler::TransformationFlipAndRotate90:
            return 5;
        case QImageIOHandler::TransformationRotate90:
            return 6;
        case QImageIOHandler::TransformationMirrorAndRotate90:
            return 7;
        case QImageIOHandler::TransformationRotate270:
            return 8;
        default:
            return 1;
    }
}

// The TIFF block of a JPEG's first "Exif" APP1 segment; empty when it has none.
QByteArray jpegExifTiff(const QByteArray& jpeg) {
    const auto byteAt = [&jpeg](int i) { return uchar(jpeg.at(i)); };
    if (jpeg.size() < 4 || byteAt(0) != 0xFF || byteAt(1) != 0xD8) {
        return {};
    }
    int pos = 2;
    while (pos + 4 <= jpeg.size() && byteAt(pos) == 0xFF) {
        const uchar marker = byteAt(pos + 1);
        if (marker == 0xDA || marker == 0xD9) {
            break;  // the picture data starts: no more metadata
        }
        const int length = byteAt(pos + 2) << 8 | byteAt(pos + 3);
        if (length < 2 || pos + 2 + length > jpeg.size()) {
            break;
        }
        const QByteArray body = jpeg.mid(pos + 4, length - 2);
        if (marker == 0xE1 && body.startsWith(QByteArray("Exif\0\0", 6))) {
            return body.mid(6);
        }
        pos += 2 + length;
    }
    return {};
}

QImage eightBit(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                         : QImage::Format_RGB888);
}

bool isDeep(const QImage& image) {
    return image.depth() == 64;
}

void putLittleEndian(QByteArray& out, int at, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[at + i] = char(value >> (8 * i));
    }
}

// The picture as a 24-bit BMP. Its rows run bottom-up: each is written at its offset as it
// comes, top to bottom.
bool encodeBmpPicture(const QImage& picture, QByteArray& out) {
    const QImage image = picture.format() == QImage::Format_RGB888
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB888);
    constexpr int kHeaderBytes = 14 + 40;
    const qint64 rowBytes = (qint64(image.width()) * 3 + 3) & ~qint64(3);
    const qint64 fileBytes = kHeaderBytes + rowBytes * image.height();
    if (image.isNull() || fileBytes > INT32_MAX) {
        return false;
    }
    try {
        out = QByteArray(int(fileBytes), '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    out[0] = 'B';
    out[1] = 'M';
    putLittleEndian(out, 2, quint32(fileBytes), 4);
    putLittleEndian(out, 10, kHeaderBytes, 4);
    putLittleEndian(out, 14, 40, 4);
    putLittleEndian(out, 18, quint32(image.width()), 4);
    putLittleEndian(out, 22, quint32(image.height()), 4);
    putLittleEndian(out, 26, 1, 2);   // planes
    putLittleEndian(out, 28, 24, 2);  // bits a pixel
    putLittleEndian(out, 34, quint32(rowBytes * image.height()), 4);
    putLittleEndian(out, 38, 2835, 4);  // 72 dpi
    putLittleEndian(out, 42, 2835, 4);
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = image.constScanLine(y);
        auto* to = reinterpret_cast<uchar*>(out.data()) + kHeaderBytes +
                   rowBytes * (image.height() - 1 - y);
        for (int x = 0; x < image.width(); ++x, in += 3, to += 3) {
            to[0] = in[2];
            to[1] = in[1];
            to[2] = in[0];
        }
    }
    return true;
}

// The rows of an 8-bit RGB picture.
class ImageRows : public RgbRowSource {
public:
    explicit ImageRows(const QImage& image) : m_image(image) {}
    const uint8_t* row(int y) override { return m_image.constScanLine(y); }

private:
    const QImage& m_image;
};

// The picture as a JPEG from libjpeg-turbo, its colour profile in APP2 segments.
bool encodeJpegPicture(const QImage& picture, const QByteArray& icc, int quality, QByteArray& out) {
    const QImage image = picture.format() == QImage::Format_RGB888
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) {
        return false;
    }
    JpegMetadata meta;
    if (isRgbProfile(icc) && icc.size() <= kMaxJpegIccBytes) {
        meta.icc = reinterpret_cast<const uint8_t*>(icc.constData());
        meta.iccSize = size_t(icc.size());
    }
    ImageRows rows(image);
    unsigned char* encoded = nullptr;
    size_t size = 0;
    if (!heic_encode_jpeg(image.width(), image.height(), rows, quality, meta, &encoded, &size)) {
        return false;
    }
    const bool fits = size <= size_t(INT32_MAX);
    if (fits) {
        out = QByteArray(reinterpret_cast<const char*>(encoded), int(size));
    }
    free(encoded);
    return fits;
}

}  // namespace

int decodeHeicPictures(const QString& path, QList<ZtPicture>& pictures, bool deep) {
    std::list<CPixelData> decoded;
    const int result = heic_to_pixeldata(QFile::encodeName(path).constData(), decoded, deep);
    for (CPixelData& data : decoded) {
        ZtPicture picture;
        picture.image = imageOf(data);
        picture.orientation = data.orientation;
        picture.exifTiff = bytesOf(data.exif, data.exifSize);
        picture.icc = bytesOf(data.icc, data.iccSize);
        heic_free_pixeldata(data);
        pictures.append(picture);
    }
    return result;
}

bool readOtherPicture(const QString& path, ZtPicture& picture) {
    QFile file(path);
    // Only regular files: opening a pipe would wait for a writer.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    picture.orientation = orientationOf(reader.transformation());
    picture.exifTiff = jpegExifTiff(bytes);  // empty for anything but a JPEG
    picture.icc = image.colorSpace().iccProfile();
    picture.image = eightBit(image);
    picture.image.setColorSpace(QColorSpace());
    return !picture.image.isNull();
}

QImage overWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image;
    }
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QImage rgb(rgba.size(), QImage::Format_RGB888);
    if (rgb.isNull()) {
        return rgb;
    }
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* in = rgba.constScanLine(y);
        uchar* out = rgb.scanLine(y);
        for (int x = 0; x < rgba.width(); ++x, in += 4, out += 3) {
            const unsigned alpha = in[3];
            for (int c = 0; c < 3; ++c) {
                out[c] = uchar((in[c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
            }
        }
    }
    return rgb;
}

bool writePngPicture(const QImage& picture, const QByteArray& icc, const PngSink& sink) {
    const bool alpha = picture.hasAlphaChannel();
    const bool deep = isDeep(picture);
    const QImage::Format wanted = deep ? (alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
                                       : (alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const QImage image = picture.format() == wanted ? picture : picture.convertToFormat(wanted);
    if (image.isNull()) {
        return false;
    }
    PngLayout layout;
    layout.width = image.width();
    layout.height = image.height();
    layout.channels = alpha ? 4 : 3;
    layout.bitDepth = deep ? 16 : 8;
    layout.icc = icc;
    if (!deep) {
        return encodePng(
            layout, [&image](int y) { return image.constScanLine(y); }, sink);
    }
    // Native 16-bit RGBA rows to big-endian RGB(A) samples.
    QVector<uchar> row(layout.width * layout.channels * 2);
    return encodePng(
        layout,
        [&](int y) {
            const auto* in = reinterpret_cast<const quint16*>(image.constScanLine(y));
            uchar* to = row.data();
            for (int x = 0; x < layout.width; ++x, in += 4) {
                for (int c = 0; c < layout.channels; ++c, to += 2) {
                    qToBigEndian(in[c], to);
                }
            }
            return static_cast<const uchar*>(row.constData());
        },
        sink);
}

bool encodePicture(const QImage& image, const QByteArray& icc, const QString& format, int quality,
                   QByteArray& out) {
    out.clear();
    if (format == QLatin1String("png")) {
        return writePngPicture(image, icc, [&out](const QByteArray& bytes) {
            out += bytes;
            return true;
        });
    }
    if (format == QLatin1String("bmp")) {
        return encodeBmpPicture(image, out);
    }
    return encodeJpegPicture(image, icc, qBound(1, quality, 100), out);
}
