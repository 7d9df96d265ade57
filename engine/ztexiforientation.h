#pragma once

#include "ztheicapi_global.h"

#include <cstddef>

namespace ztexif {

// The Orientation tag (274) of the EXIF block in a JPEG stream's first "Exif" APP1 segment;
// 0 when the stream, the segment or the tag is missing or malformed.
ZTHEICAPI_EXPORT int readExifOrientation(const unsigned char* data, size_t size);

}  // namespace ztexif
