#pragma once

#include <QByteArray>
#include <QSize>

// Puts every tag of the EXIF block (TIFF structure) into the JPEG bytes of target, without
// touching its pixels or its colour profile; the byte order of the block is kept, and the
// picture dimension tags it has are set to size. An empty block leaves target as it is.
// Tags that do not fit in one APP1 segment are left out. False when exiv2 fails.
bool copyExifInto(const QByteArray& exifTiff, QByteArray& target, QSize size);

// Once, before several threads use exiv2.
void initialiseExiv2();
