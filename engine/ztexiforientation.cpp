#include "ztexiforientation.h"

#include <cstdint>
#include <cstring>

namespace ztexif {
namespace {

constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kTypeShort = 3;

uint16_t read16(const unsigned char* p, bool bigEndian) {
    return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

uint32_t read32(const unsigned char* p, bool bigEndian) {
    return bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                     : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// Length of the stream up to and including its last end marker, 0 when there is none.
size_t streamEnd(const unsigned char* data, size_t size) {
    for (size_t i = size; i >= 2; --i) {
        if (data[i - 2] == 0xFF && data[i - 1] == 0xD9) {
            return i;
        }
    }
    return 0;
}

int orientationInTiff(const unsigned char* tiff, size_t size) {
    if (size < 8) {
        return 0;
    }
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        bigEndian = true;
    } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
        return 0;
    }
    if (read16(tiff + 2, bigEndian) != 42) {
        return 0;
    }
    const uint32_t ifd = read32(tiff + 4, bigEndian);
    if (ifd > size - 2) {
        return 0;
    }
    const uint16_t count = read16(tiff + ifd, bigEndian);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        if (entry + 12 > size) {
            return 0;
        }
        if (read16(tiff + entry, bigEndian) == kOrientationTag) {
            if (read16(tiff + entry + 2, bigEndian) != kTypeShort) {
                return 0;
            }
            const int value = read16(tiff + entry + 8, bigEndian);
            return value >= 1 && value <= 8 ? value : 0;
        }
    }
    return 0;
}

}  // namespace

int readExifOrientation(const unsigned char* data, size_t size) {
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return 0;
    }
    const size_t end = streamEnd(data, size);
    // Walk the marker segments that precede the picture data.
    size_t pos = 2;
    while (pos + 4 <= end && data[pos] == 0xFF) {
        const unsigned char marker = data[pos + 1];
        if (marker == 0xD9 || marker == 0xDA) {
            break;
        }
        if (marker == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        const size_t length = read16(data + pos + 2, true);
        if (length < 2 || pos + 2 + length > end) {
            return 0;
        }
        const unsigned char* segment = data + pos + 4;
        const size_t segmentSize = length - 2;
        if (marker == 0xE1 && length >= 16 && memcmp(segment, "Exif\0\0", 6) == 0) {
            return orientationInTiff(segment + 6, segmentSize - 6);
        }
        pos += 2 + length;
    }
    return 0;
}

}  // namespace ztexif
