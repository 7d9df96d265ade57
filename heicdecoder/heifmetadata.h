#pragma once

#include "heifgeometry.h"
#include "tiffblock.h"

#include <libheif/heif.h>

#include <cstddef>
#include <vector>

namespace heifmetadata {

// The image's EXIF as a TIFF block; empty when it has none or none that can be read.
tiffblock::Bytes exifOf(const heif_image_handle* handle);

// The EXIF that the decoded picture carries: the file's own, with the container's orientation
// added when the file's EXIF has no Orientation tag and the container turns the picture, and the
// picture dimension tags it has set to the decoded size.
tiffblock::Bytes pictureExif(tiffblock::Bytes exif, const Turn& containerTurn, int width,
                             int height);

// The image's colour profile: its ICC (repaired where its header disagrees with its length),
// or one made from an nclx description that is not sRGB; empty for sRGB and unknown colour.
std::vector<uint8_t> iccOf(const heif_image_handle* handle);

// Puts an EXIF block too large for one APP1 segment into the JPEG; exiv2 leaves out the tags
// that do not fit. False only when memory runs out.
bool insertLargeExif(const tiffblock::Bytes& tiff, unsigned char** jpeg, size_t* size);

}  // namespace heifmetadata
