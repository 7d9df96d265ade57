#include "ztpicture.h"

#include "heic_to_jpgdata.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdlib>

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
