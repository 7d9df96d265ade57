#include "tiffblock.h"

#include <algorithm>
#include <cstring>

namespace tiffblock {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntrySize = 12;
constexpr size_t kTiffSearchWindow = 64;

struct Reader {
    const Bytes& tiff;
    bool bigEndian;

    bool has(size_t offset, size_t count) const {
        return offset <= tiff.size() && count <= tiff.size() - offset;
    }
    uint16_t u16(size_t offset) const {
        const uint8_t* p = tiff.data() + offset;
        return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
    }
    uint32_t u32(size_t offset) const {
        const uint8_t* p = tiff.data() + offset;
        return bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                         : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

void put16(uint8_t* p, uint16_t v, bool bigEndian) {
    if (bigEndian) {
        p[0] = uint8_t(v >> 8);
        p[1] = uint8_t(v);
    } else {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
    }
}

void put32(uint8_t* p, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        p[bigEndian ? 3 - i : i] = uint8_t(v >> (8 * i));
    }
}

// Offset of IFD0 and its entry count, or false when they do not fit in the block.
bool locateIfd0(const Reader& r, size_t& ifdOffset, size_t& count) {
    ifdOffset = r.u32(4);
    if (!r.has(ifdOffset, 2)) {
        return false;
    }
    count = r.u16(ifdOffset);
    return r.has(ifdOffset + 2, count * kEntrySize + 4);
}

// Offset of the Orientation entry in IFD0, or 0 when there is none.
size_t findOrientationEntry(const Reader& r, size_t ifdOffset, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifdOffset + 2 + i * kEntrySize;
        if (r.u16(entry) == kOrientationTag) {
            return entry;
        }
    }
    return 0;
}

}  // namespace

bool isTiffHeader(const uint8_t* data, size_t size) {
    if (size < 8) {
        return false;
    }
    return (data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
           (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42);
}

Bytes tiffFromHeifExif(const uint8_t* block, size_t size) {
    if (block == nullptr || size < 4 + 8) {
        return {};
    }
    const uint32_t offset =
        uint32_t(block[0]) << 24 | uint32_t(block[1]) << 16 | uint32_t(block[2]) << 8 | block[3];
    if (offset <= size - 4 && isTiffHeader(block + 4 + offset, size - 4 - offset)) {
        return Bytes(block + 4 + offset, block + size);
    }
    const size_t window = std::min(size, kTiffSearchWindow);
    for (size_t start = 0; start < window; ++start) {
        if (isTiffHeader(block + start, size - start)) {
            return Bytes(block + start, block + size);
        }
    }
    return {};
}

int orientation(const Bytes& tiff) {
    if (!isTiffHeader(tiff.data(), tiff.size())) {
        return 0;
    }
    const Reader r{tiff, tiff[0] == 'M'};
    size_t ifd = 0;
    size_t count = 0;
    if (!locateIfd0(r, ifd, count)) {
        return 0;
    }
    const size_t entry = findOrientationEntry(r, ifd, count);
    if (entry == 0 || r.u16(entry + 2) != kTypeShort) {
        return 0;
    }
    const int value = r.u16(entry + 8);
    return value >= 1 && value <= 8 ? value : 0;
}

bool setOrientation(Bytes& tiff, int value) {
    if (!isTiffHeader(tiff.data(), tiff.size())) {
        return false;
    }
    const bool bigEndian = tiff[0] == 'M';
    const Reader r{tiff, bigEndian};
    size_t ifd = 0;
    size_t count = 0;
    if (!locateIfd0(r, ifd, count)) {
        return false;
    }
    if (const size_t entry = findOrientationEntry(r, ifd, count)) {
        put16(&tiff[entry + 2], kTypeShort, bigEndian);
        put32(&tiff[entry + 4], 1, bigEndian);
        put16(&tiff[entry + 8], uint16_t(value), bigEndian);
        put16(&tiff[entry + 10], 0, bigEndian);
        return true;
    }
    // Write a new IFD0 with the extra entry at the end; the old one stays as unused bytes and
    // every offset of the other entries keeps pointing at the same data.
    uint8_t added[kEntrySize];
    put16(added, kOrientationTag, bigEndian);
    put16(added + 2, kTypeShort, bigEndian);
    put32(added + 4, 1, bigEndian);
    put16(added + 8, uint16_t(value), bigEndian);
    put16(added + 10, 0, bigEndian);

    Bytes ifdBytes;
    ifdBytes.resize(2);
    put16(ifdBytes.data(), uint16_t(count + 1), bigEndian);
    bool inserted = false;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + i * kEntrySize;
        if (!inserted && r.u16(entry) > kOrientationTag) {
            ifdBytes.insert(ifdBytes.end(), added, added + kEntrySize);
            inserted = true;
        }
        ifdBytes.insert(ifdBytes.end(), tiff.begin() + entry, tiff.begin() + entry + kEntrySize);
    }
    if (!inserted) {
        ifdBytes.insert(ifdBytes.end(), added, added + kEntrySize);
    }
    const size_t next = ifd + 2 + count * kEntrySize;
    ifdBytes.insert(ifdBytes.end(), tiff.begin() + next, tiff.begin() + next + 4);

    if (tiff.size() % 2 != 0) {
        tiff.push_back(0);
    }
    const size_t newOffset = tiff.size();
    if (count + 1 > 0xFFFF || newOffset > 0xFFFFFFF0u) {
        return false;
    }
    tiff.insert(tiff.end(), ifdBytes.begin(), ifdBytes.end());
    put32(&tiff[4], uint32_t(newOffset), bigEndian);
    return true;
}

Bytes withOrientationOnly(int value) {
    Bytes tiff = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    tiff.resize(8 + 2 + kEntrySize + 4, 0);
    put16(&tiff[8], 1, true);
    put16(&tiff[10], kOrientationTag, true);
    put16(&tiff[12], kTypeShort, true);
    put32(&tiff[14], 1, true);
    put16(&tiff[18], uint16_t(value), true);
    return tiff;
}

}  // namespace tiffblock
