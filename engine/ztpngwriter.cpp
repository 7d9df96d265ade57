#include "ztpngwriter.h"

#include "zticcembed.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Raw rows per band: large enough for deflate to find its matches, small enough to keep all
// cores busy on a phone photo.
constexpr size_t kBandBytes = size_t(1) << 20;
constexpr int kDeflateLevel = 4;  // the fastest with lazy matching: files near libpng's default
constexpr int kFilterCount = 5;   // None, Sub, Up, Average, Paeth

void appendBigEndian32(QByteArray& out, quint32 value) {
    uchar bytes[4];
    qToBigEndian(value, bytes);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

void appendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    appendBigEndian32(out, quint32(data.size()));
    const int start = out.size();
    out.append(type, 4);
    out.append(data);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.constData() + start),
                            uInt(out.size() - start));
    appendBigEndian32(out, quint32(crc));
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// One row filtered each way; the filter whose bytes, read as signed, sum smallest is taken.
class RowFilter {
public:
    RowFilter(size_t rowBytes, int bytesPerPixel)
        : m_bytes(rowBytes), m_bpp(size_t(bytesPerPixel)), m_candidates(kFilterCount * rowBytes) {}

    // Writes the filter type and the filtered row to out (1 + rowBytes bytes).
    void filter(const uchar* row, const uchar* prior, uchar* out) {
        const uint64_t sums[kFilterCount] = {
            apply(0, row, prior, [](int, int, int) { return 0; }),
            apply(1, row, prior, [](int a, int, int) { return a; }),
            apply(2, row, prior, [](int, int b, int) { return b; }),
            apply(3, row, prior, [](int a, int b, int) { return (a + b) >> 1; }),
            apply(4, row, prior, paeth)};
        const int best = int(std::min_element(sums, sums + kFilterCount) - sums);
        out[0] = uchar(best);
        memcpy(out + 1, m_candidates.data() + size_t(best) * m_bytes, m_bytes);
    }

private:
    // Filters the row with the predictor (of left, above, above left) into the candidate of
    // that type; the sum of its bytes read as signed.
    template <typename Predict>
    uint64_t apply(int type, const uchar* row, const uchar* prior, Predict predict) {
        uchar* out = m_candidates.data() + size_t(type) * m_bytes;
        uint64_t sum = 0;
        for (size_t i = 0; i < m_bytes; ++i) {
            const bool first = i < m_bpp;
            const int a = first ? 0 : row[i - m_bpp];
            const int c = first ? 0 : prior[i - m_bpp];
            out[i] = uchar(row[i] - predict(a, prior[i], c));
            sum += uint64_t(std::abs(int(int8_t(out[i]))));
        }
        return sum;
    }

    const size_t m_bytes;
    const size_t m_bpp;
    std::vector<uchar> m_candidates;
};

// A run of rows, filtered and deflated on its own thread into a raw deflate stream.
struct Band {
    std::vector<uchar> raw;  // the row above the band, then the band's rows
    int rows = 0;
    bool last = false;
    std::vector<uchar> deflated;
    uLong adler = 0;
    size_t filteredSize = 0;
    bool ok = false;
};

bool deflateBand(const std::vector<uchar>& filtered, Band& band) {
    z_stream stream{};
    if (deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    band.deflated.resize(deflateBound(&stream, uLong(filtered.size())) + 64);
    stream.next_in = const_cast<Bytef*>(filtered.data());
    stream.avail_in = uInt(filtered.size());
    stream.next_out = band.deflated.data();
    stream.avail_out = uInt(band.deflated.size());
    // Each band ends byte-aligned with a full flush, so the streams join into one.
    const int result = deflate(&stream, band.last ? Z_FINISH : Z_FULL_FLUSH);
    const bool done = band.last ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0;
    band.deflated.resize(stream.total_out);
    deflateEnd(&stream);
    return done;
}

void compressBand(Band& band, size_t rowBytes, int bytesPerPixel) {
    try {
        RowFilter filter(rowBytes, bytesPerPixel);
        std::vector<uchar> filtered((rowBytes + 1) * size_t(band.rows));
        for (int r = 0; r < band.rows; ++r) {
            const uchar* prior = band.raw.data() + size_t(r) * rowBytes;
            filter.filter(prior + rowBytes, prior, filtered.data() + size_t(r) * (rowBytes + 1));
        }
        band.adler = adler32(adler32(0L, Z_NULL, 0), filtered.data(), uInt(filtered.size()));
        band.filteredSize = filtered.size();
        band.ok = deflateBand(filtered, band);
    } catch (const std::bad_alloc&) {
        band.ok = false;
    }
}

QByteArray header(const PngLayout& layout) {
    QByteArray ihdr;
    appendBigEndian32(ihdr, quint32(layout.width));
    appendBigEndian32(ihdr, quint32(layout.height));
    ihdr.append(char(layout.bitDepth));
    ihdr.append(char(layout.channels == 4 ? 6 : 2));  // RGBA or RGB
    ihdr.append(3, '\0');                             // deflate, adaptive filters, no interlace
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", ihdr);
    const QByteArray& icc = layout.icc;
    if (isRgbProfile(icc)) {
        // qCompress gives a zlib stream behind a 4-byte length of its own.
        appendChunk(out, "iCCP", QByteArray("ICC Profile\0\0", 13) + qCompress(icc, 6).mid(4));
    }
    return out;
}

// Fills the next bands from the rows; false when a row cannot be had.
bool fillBands(std::vector<Band>& bands, const PngRowSource& rows, int& nextRow, int height,
               int rowsPerBand, size_t rowBytes, std::vector<uchar>& prior) {
    for (Band& band : bands) {
        band.rows = std::min(rowsPerBand, height - nextRow);
        band.last = nextRow + band.rows == height;
        band.raw.resize(rowBytes * size_t(band.rows + 1));
        memcpy(band.raw.data(), prior.data(), rowBytes);
        for (int r = 0; r < band.rows; ++r) {
            const uchar* row = rows(nextRow++);
            if (row == nullptr) {
                return false;
            }
            memcpy(band.raw.data() + size_t(r + 1) * rowBytes, row, rowBytes);
        }
        memcpy(prior.data(), band.raw.data() + size_t(band.rows) * rowBytes, rowBytes);
    }
    return true;
}

void compressInParallel(std::vector<Band>& bands, size_t rowBytes, int bytesPerPixel) {
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < bands.size(); ++i) {
        helpers.emplace_back(compressBand, std::ref(bands[i]), rowBytes, bytesPerPixel);
    }
    compressBand(bands[0], rowBytes, bytesPerPixel);
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

}  // namespace

bool encodePng(const PngLayout& layout, const PngRowSource& rows, const PngSink& sink) {
    if (layout.width <= 0 || layout.height <= 0 || (layout.channels != 3 && layout.channels != 4) ||
        (layout.bitDepth != 8 && layout.bitDepth != 16)) {
        return false;
    }
    try {
        const int bytesPerPixel = layout.channels * layout.bitDepth / 8;
        const size_t rowBytes = size_t(layout.width) * size_t(bytesPerPixel);
        const int rowsPerBand = int(std::clamp<size_t>(kBandBytes / rowBytes, 1, 1 << 16));
        const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
        if (!sink(header(layout))) {
            return false;
        }
        std::vector<uchar> prior(rowBytes, 0);
        uLong adler = adler32(0L, Z_NULL, 0);
        bool first = true;
        for (int nextRow = 0; nextRow < layout.height;) {
            const int remainingBands = (layout.height - nextRow + rowsPerBand - 1) / rowsPerBand;
            std::vector<Band> bands(size_t(std::min(cores, remainingBands)));
            if (!fillBands(bands, rows, nextRow, layout.height, rowsPerBand, rowBytes, prior)) {
                return false;
            }
            compressInParallel(bands, rowBytes, bytesPerPixel);
            QByteArray chunks;
            for (const Band& band : bands) {
                if (!band.ok) {
                    return false;
                }
                adler = adler32_combine(adler, band.adler, z_off_t(band.filteredSize));
                QByteArray data = first ? QByteArray("\x78\x01", 2) : QByteArray();
                first = false;
                data.append(reinterpret_cast<const char*>(band.deflated.data()),
                            int(band.deflated.size()));
                if (band.last) {
                    appendBigEndian32(data, quint32(adler));
                }
                appendChunk(chunks, "IDAT", data);
            }
            if (!sink(chunks)) {
                return false;
            }
        }
        QByteArray end;
        appendChunk(end, "IEND", QByteArray());
        return sink(end);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
