#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Small helpers for the TIFF structure inside an EXIF block.
namespace tiffblock {

using Bytes = std::vector<uint8_t>;

bool isTiffHeader(const uint8_t* data, size_t size);

// The TIFF part of a HEIF "Exif" item: it starts after a 4-byte big-endian offset. Real files
// carry wrong offsets, so a TIFF header near the start is searched when the offset does not
// lead to one. Empty when no TIFF header is found.
Bytes tiffFromHeifExif(const uint8_t* block, size_t size);

// The Orientation tag of IFD0 (1..8), 0 when it is absent, malformed or out of range.
int orientation(const Bytes& tiff);

// Sets the Orientation tag of IFD0, adding it when missing. False when IFD0 is unreadable.
bool setOrientation(Bytes& tiff, int value);

// A minimal big-endian TIFF block whose IFD0 holds only the Orientation tag.
Bytes withOrientationOnly(int value);

}  // namespace tiffblock
