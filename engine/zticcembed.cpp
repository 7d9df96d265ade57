#include "zticcembed.h"

#include <QtEndian>

#include <array>

namespace {

constexpr int kMaxIccChunk = 65519;  // an APP2 segment's room after "ICC_PROFILE\0", seq, count

bool isRgbProfile(const QByteArray& icc) {
    return icc.size() >= 128 && icc.mid(16, 4) == "RGB ";
}

quint32 crc32(const QByteArray& bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc = table[(crc ^ uchar(ch)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray bigEndian32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, reinterpret_cast<uchar*>(bytes.data()));
    return bytes;
}

// Where the first segment after SOI and a JFIF APP0 starts.
int afterJfif(const QByteArray& jpeg) {
    int pos = 2;
    if (jpeg.size() >= pos + 4 && uchar(jpeg[pos]) == 0xFF && uchar(jpeg[pos + 1]) == 0xE0) {
        pos += 2 + (uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]));
    }
    return pos;
}

}  // namespace

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

bool embedPngIcc(QByteArray& png, const QByteArray& icc) {
    static const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
    constexpr int kIhdrEnd = 8 + 4 + 4 + 13 + 4;
    if (!png.startsWith(kSignature) || png.size() < kIhdrEnd || png.mid(12, 4) != "IHDR") {
        return false;
    }
    if (!isRgbProfile(icc) || png.contains("iCCP")) {
        return true;
    }
    // qCompress gives a zlib stream behind a 4-byte length of its own.
    QByteArray data = QByteArray("ICC Profile\0\0", 13) + qCompress(icc, 9).mid(4);
    QByteArray chunk = "iCCP" + data;
    const QByteArray full = bigEndian32(quint32(data.size())) + chunk + bigEndian32(crc32(chunk));
    png.insert(kIhdrEnd, full);
    return true;
}
