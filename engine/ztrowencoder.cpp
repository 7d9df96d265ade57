#include "ztrowencoder.h"

#include "heic_to_jpgdata.h"
#include "zticcembed.h"
#include "ztpngwriter.h"
#include "ztresampler.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

using Rows = std::function<const void*(int y)>;

// Rows of 8-bit RGB from rows of any layout: alpha laid over white, 16-bit samples narrowed.
class RgbRows : public RgbRowSource {
public:
    RgbRows(const RowPicture& picture, Rows rows)
        : m_picture(picture), m_rows(std::move(rows)), m_row(size_t(picture.width) * 3) {}

    const uint8_t* row(int y) override {
        const void* in = m_rows(y);
        if (in == nullptr || (m_picture.channels == 3 && m_picture.bytesPerSample == 1)) {
            return static_cast<const uint8_t*>(in);
        }
        const int channels = m_picture.channels;
        uint8_t* out = m_row.data();
        for (int x = 0; x < m_picture.width; ++x, out += 3) {
            unsigned sample[4];
            for (int c = 0; c < channels; ++c) {
                const size_t at = size_t(x) * size_t(channels) + size_t(c);
                sample[c] = m_picture.bytesPerSample == 2
                                ? static_cast<const uint16_t*>(in)[at] >> 8
                                : static_cast<const uint8_t*>(in)[at];
            }
            const unsigned alpha = channels == 4 ? sample[3] : 255u;
            for (int c = 0; c < 3; ++c) {
                out[c] = uint8_t((sample[c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
            }
        }
        return m_row.data();
    }

private:
    const RowPicture& m_picture;
    const Rows m_rows;
    std::vector<uint8_t> m_row;
};

bool encodeJpeg(const RowPicture& picture, const Rows& rows, int quality, EncodedOutput& out) {
    JpegMetadata meta;
    if (isRgbProfile(picture.icc) && picture.icc.size() <= kMaxJpegIccBytes) {
        meta.icc = reinterpret_cast<const uint8_t*>(picture.icc.constData());
        meta.iccSize = size_t(picture.icc.size());
    }
    RgbRows rgb(picture, rows);
    return heic_encode_jpeg_to(picture.width, picture.height, rgb, qBound(1, quality, 100), meta,
                               [&out](const uint8_t* data, size_t size) {
                                   return out.append(reinterpret_cast<const char*>(data),
                                                     qint64(size));
                               });
}

void putLittleEndian(uchar* out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[i] = uchar(value >> (8 * i));
    }
}

constexpr int kBmpHeaderBytes = 14 + 40;

bool writeBmpHeader(int width, int height, qint64 rowBytes, EncodedOutput& out) {
    const qint64 fileBytes = kBmpHeaderBytes + rowBytes * height;
    if (fileBytes > INT32_MAX) {
        return false;
    }
    uchar header[kBmpHeaderBytes] = {'B', 'M'};
    putLittleEndian(header + 2, quint32(fileBytes), 4);
    putLittleEndian(header + 10, kBmpHeaderBytes, 4);
    putLittleEndian(header + 14, 40, 4);
    putLittleEndian(header + 18, quint32(width), 4);
    putLittleEndian(header + 22, quint32(height), 4);
    putLittleEndian(header + 26, 1, 2);   // planes
    putLittleEndian(header + 28, 24, 2);  // bits a pixel
    putLittleEndian(header + 34, quint32(rowBytes * height), 4);
    putLittleEndian(header + 38, 2835, 4);  // 72 dpi
    putLittleEndian(header + 42, 2835, 4);
    return out.writeAt(0, reinterpret_cast<const char*>(header), kBmpHeaderBytes);
}

// A 24-bit BMP. Its rows run bottom-up: a band of rows at a time is laid out in file order and
// written at its offset.
bool encodeBmp(const RowPicture& picture, const Rows& rows, EncodedOutput& out) {
    const qint64 rowBytes = (qint64(picture.width) * 3 + 3) & ~qint64(3);
    if (!writeBmpHeader(picture.width, picture.height, rowBytes, out)) {
        return false;
    }
    RgbRows rgb(picture, rows);
    const int bandRows = int(qBound<qint64>(1, (qint64(1) << 22) / rowBytes, picture.height));
    std::vector<uchar> band(size_t(rowBytes) * size_t(bandRows), 0);
    for (int top = 0; top < picture.height; top += bandRows) {
        const int count = std::min(bandRows, picture.height - top);
        for (int r = 0; r < count; ++r) {
            const uint8_t* in = rgb.row(top + r);
            if (in == nullptr) {
                return false;
            }
            uchar* to = band.data() + size_t(count - 1 - r) * size_t(rowBytes);
            for (int x = 0; x < picture.width; ++x, in += 3, to += 3) {
                to[0] = in[2];
                to[1] = in[1];
                to[2] = in[0];
            }
        }
        const qint64 offset = kBmpHeaderBytes + rowBytes * (picture.height - top - count);
        if (!out.writeAt(offset, reinterpret_cast<const char*>(band.data()), rowBytes * count)) {
            return false;
        }
    }
    return true;
}

bool encodePngRows(const RowPicture& picture, const Rows& rows, EncodedOutput& out) {
    PngLayout layout;
    layout.width = picture.width;
    layout.height = picture.height;
    layout.channels = picture.channels;
    layout.bitDepth = picture.bytesPerSample * 8;
    layout.icc = picture.icc;
    const PngSink sink = [&out](const QByteArray& bytes) {
        return out.append(bytes.constData(), bytes.size());
    };
    if (picture.bytesPerSample == 1) {
        return encodePng(
            layout, [&rows](int y) { return static_cast<const uchar*>(rows(y)); }, sink);
    }
    // Native 16-bit samples to big-endian ones, as PNG stores them.
    std::vector<uchar> row(size_t(picture.width) * size_t(picture.channels) * 2);
    return encodePng(
        layout,
        [&](int y) -> const uchar* {
            const auto* in = static_cast<const quint16*>(rows(y));
            if (in == nullptr) {
                return nullptr;
            }
            for (size_t i = 0; i < row.size() / 2; ++i) {
                qToBigEndian(in[i], row.data() + 2 * i);
            }
            return row.data();
        },
        sink);
}

}  // namespace

bool MemoryOutput::append(const char* data, qint64 size) {
    bytes.append(data, int(size));
    return true;
}

bool MemoryOutput::writeAt(qint64 offset, const char* data, qint64 size) {
    if (bytes.size() < offset + size) {
        bytes.resize(int(offset + size));
    }
    memcpy(bytes.data() + offset, data, size_t(size));
    return true;
}

bool encodeRows(const RowPicture& source, const QSize& size, ConvertFormat format, int quality,
                EncodedOutput& out) {
    if (source.width <= 0 || source.height <= 0 || size.isEmpty()) {
        return false;
    }
    try {
        RowPicture picture = source;
        Rows rows = source.rows;
        std::unique_ptr<RowResampler> resampler;
        if (size != QSize(source.width, source.height)) {
            auto across = std::make_shared<const AcrossFilter>(
                source.width, size.width(), source.channels, source.bytesPerSample);
            // Filtered across on the decoding threads where the source can.
            const bool atSource = source.transformAtSource && source.transformAtSource(across);
            resampler = std::make_unique<RowResampler>(across, source.height, size.height(),
                                                       atSource, source.rows);
            rows = [&resampler](int y) { return resampler->row(y); };
            picture.width = size.width();
            picture.height = size.height();
        }
        switch (format) {
            case PNG:
                return encodePngRows(picture, rows, out);
            case BMP:
                return encodeBmp(picture, rows, out);
            default:
                return encodeJpeg(picture, rows, quality, out);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}
