// Feeds arbitrary bytes to both EXIF orientation readers: as a JPEG stream to
// ztexif::readExifOrientation and as a HEIF "Exif" item to the tiffblock helpers.
#include "tiffblock.h"
#include "ztexiforientation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kMaxApp1Tiff = 65533 - 6;

void require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "invariant broken: %s\n", what);
        abort();
    }
}

// A JPEG stream whose only segment before the end marker is an APP1 "Exif" holding tiff.
std::vector<uint8_t> jpegWithExif(const tiffblock::Bytes& tiff) {
    const size_t length = 2 + 6 + tiff.size();
    std::vector<uint8_t> jpeg = {
        0xFF, 0xD8, 0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
    jpeg.insert(jpeg.end(), tiff.begin(), tiff.end());
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9);
    return jpeg;
}

int orientationInJpeg(const tiffblock::Bytes& tiff) {
    const std::vector<uint8_t> jpeg = jpegWithExif(tiff);
    return ztexif::readExifOrientation(jpeg.data(), jpeg.size());
}

void checkJpegReader(const uint8_t* data, size_t size) {
    const int value = ztexif::readExifOrientation(data, size);
    require(value >= 0 && value <= 8, "readExifOrientation in 0..8");
}

void checkTiffBlock(const uint8_t* data, size_t size) {
    const tiffblock::Bytes tiff = tiffblock::tiffFromHeifExif(data, size);
    require(tiff.empty() || tiffblock::isTiffHeader(tiff.data(), tiff.size()),
            "tiffFromHeifExif gives a TIFF header or nothing");
    require(tiff.size() <= size, "tiffFromHeifExif stays inside the block");

    const int found = tiffblock::orientation(tiff);
    require(found >= 0 && found <= 8, "orientation in 0..8");
    const bool fitsOneSegment = !tiff.empty() && tiff.size() <= kMaxApp1Tiff;
    if (found != 0 && fitsOneSegment) {
        require(orientationInJpeg(tiff) == found, "both readers agree on a valid tag");
    }

    const int wanted = 1 + (size > 0 ? data[size - 1] % 8 : 0);
    tiffblock::Bytes changed = tiff;
    if (!tiffblock::setOrientation(changed, wanted)) {
        require(changed == tiff, "a failed setOrientation leaves the block as it was");
        return;
    }
    require(tiffblock::orientation(changed) == wanted, "orientation reads what was set");
    require(changed.size() >= tiff.size(), "setOrientation never shortens the block");
    if (changed.size() <= kMaxApp1Tiff) {
        require(orientationInJpeg(changed) == wanted, "the JPEG reader sees what was set");
    }
    // Setting it again finds the tag in place.
    const size_t sizeAfterFirst = changed.size();
    require(tiffblock::setOrientation(changed, wanted) && changed.size() == sizeAfterFirst,
            "a second setOrientation rewrites the tag in place");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkJpegReader(data, size);
    checkTiffBlock(data, size);
    return 0;
}
