#pragma once

#include "ztheicapi_global.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Which files Pixvue takes: HEIC, HEIF (also the cameras' .hif) and AVIF still pictures.
namespace ztpicture {

// "heic", "heif", "hif", "avif": the suffixes taken, in lower case.
ZTHEICAPI_EXPORT const QStringList& pictureSuffixes();

// "*.heic *.HEIC *.heif ...": the suffixes in both cases, for a file dialog's filter.
ZTHEICAPI_EXPORT QString dialogPatterns();

// True when the file's suffix is one of pictureSuffixes(), in any letter case.
ZTHEICAPI_EXPORT bool hasPictureSuffix(const QString& path);

// True when head, the first bytes of a file, is an ISO base media 'ftyp' box whose major or
// compatible brand names a HEIF, HEIC or AVIF still picture.
ZTHEICAPI_EXPORT bool hasPictureBrand(const QByteArray& head);

// True when the file at path is a picture Pixvue takes: by its suffix, or, where the suffix
// is another, by the brand of its first bytes.
ZTHEICAPI_EXPORT bool isPictureFile(const QString& path);

// A path dropped or named by itself: a picture file, or any path holding ".heic" or ".HEIC"
// (such as photo.heic.bak), which the conversion then takes or refuses.
ZTHEICAPI_EXPORT bool isTakenWhenNamed(const QString& path);

}  // namespace ztpicture
