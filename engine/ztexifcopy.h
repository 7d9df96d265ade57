#pragma once

#include <QByteArray>
#include <QSize>

// Puts every EXIF tag of the source JPEG stream into the JPEG bytes of target, without
// touching its pixels or its ICC profile; the byte order of the source is kept, and the
// picture dimensions tags are set to size. A source without EXIF leaves target as it is.
// Tags that do not fit in one APP1 segment are left out. False when exiv2 fails.
bool copyExifInto(const unsigned char* source, size_t sourceSize, QByteArray& target, QSize size);

// Once, before several threads use exiv2.
void initialiseExiv2();
