#include "zticcembed.h"

namespace {

constexpr int kMaxIccChunk = 65519;  // an APP2 segment's room after "ICC_PROFILE\0", seq, count

// Where the first segment after SOI and a JFIF APP0 starts.
int afterJfif(const QByteArray& jpeg) {
    int pos = 2;
    if (jpeg.size() >= pos + 4 && uchar(jpeg[pos]) == 0xFF && uchar(jpeg[pos + 1]) == 0xE0) {
        pos += 2 + (uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]));
    }
    return pos;
}

}  // namespace

bool isRgbProfile(const QByteArray& icc) {
    return icc.size() >= 128 && icc.mid(16, 4) == "RGB ";
}

bool embedJpegIcc(QByteArray& jpeg, const QByteArray& icc) {
    if (jpeg.size() < 4 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8) {
        return false;
    }
    if (!isRgbProfile(icc) || jpeg.contains("ICC_PROFILE")) {
        return true;
    }
    const int count = (icc.size() + kMaxIccChunk - 1) / kMaxIccChunk;
    if (count > 255) {
        return true;  // too large for the marker's numbering: left out
    }
    QByteArray segments;
    for (int i = 0; i < count; ++i) {
        const QByteArray chunk = icc.mid(i * kMaxIccChunk, kMaxIccChunk);
        const int length = 2 + 14 + chunk.size();
        segments += char(0xFF);
        segments += char(0xE2);
        segments += char(length >> 8);
        segments += char(length & 0xFF);
        segments += QByteArray("ICC_PROFILE\0", 12);
        segments += char(i + 1);
        segments += char(count);
        segments += chunk;
    }
    const int at = afterJfif(jpeg);
    if (at > jpeg.size()) {
        return false;
    }
    jpeg.insert(at, segments);
    return true;
}
