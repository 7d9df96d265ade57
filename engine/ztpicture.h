#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include "ztpngwriter.h"

// One decoded picture, not yet turned upright.
struct ZtPicture {
    QImage image;         // 8-bit RGB, or RGBA when the picture has transparency; 64-bit
                          // (16 bits a sample) for a deep picture decoded as such
    int orientation = 1;  // EXIF orientation that turns it upright
    QByteArray exifTiff;  // its EXIF as a TIFF block; empty without
    QByteArray icc;       // its colour profile; empty for sRGB
};

// Every image of the HEIC file, in file order; the decoder's result code (0 on success). With
// deep, pictures stored with more than 8 bits keep 16 bits a sample.
int decodeHeicPictures(const QString& path, QList<ZtPicture>& pictures, bool deep = false);

// A file that is no HEIF but a picture Qt reads (a JPEG or PNG named .heic, for example).
bool readOtherPicture(const QString& path, ZtPicture& picture);

// The picture laid over white when it has transparency; as it is otherwise.
QImage overWhite(const QImage& image);

// The picture encoded as "jpg", "png" or "bmp", the colour profile embedded in JPG and PNG.
// PNG is lossless whatever the quality, keeps alpha and 16-bit samples.
bool encodePicture(const QImage& image, const QByteArray& icc, const QString& format, int quality,
                   QByteArray& out);

// The picture as a PNG handed to the sink as it is made: lossless, 16 bits a sample for a 64-bit
// picture, alpha where it has any, the colour profile embedded.
bool writePngPicture(const QImage& picture, const QByteArray& icc, const PngSink& sink);
