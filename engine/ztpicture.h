#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

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
