#include "jpegwriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

[[noreturn]] void onJpegError(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void onJpegMessage(j_common_ptr) {}

// A growing malloc buffer as libjpeg destination, sized up front from the picture so that it
// rarely has to be moved.
struct BufferDestination {
    jpeg_destination_mgr base;
    unsigned char* buffer;
    size_t capacity;
    bool failed;
};

void initDestination(j_compress_ptr) {}

boolean growDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<BufferDestination*>(cinfo->dest);
    const size_t grown = dest->capacity + dest->capacity / 2 + 65536;
    auto* bigger = static_cast<unsigned char*>(realloc(dest->buffer, grown));
    if (bigger == nullptr) {
        dest->failed = true;
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    dest->base.next_output_byte = bigger + dest->capacity;
    dest->base.free_in_buffer = grown - dest->capacity;
    dest->buffer = bigger;
    dest->capacity = grown;
    return TRUE;
}

void termDestination(j_compress_ptr) {}

void writeExif(j_compress_ptr cinfo, const std::vector<uint8_t>& tiff) {
    if (tiff.empty() || tiff.size() > kMaxApp1Tiff) {
        return;
    }
    static const uint8_t kPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    jpeg_write_m_header(cinfo, JPEG_APP0 + 1, unsigned(sizeof kPrefix + tiff.size()));
    for (uint8_t byte : kPrefix) {
        jpeg_write_m_byte(cinfo, byte);
    }
    for (uint8_t byte : tiff) {
        jpeg_write_m_byte(cinfo, byte);
    }
}

void writeMetadata(j_compress_ptr cinfo, const JpegMetadata& meta) {
    if (meta.exifTiff != nullptr) {
        writeExif(cinfo, *meta.exifTiff);
    }
    if (meta.icc != nullptr && meta.iccSize > 0) {
        jpeg_write_icc_profile(cinfo, meta.icc, unsigned(meta.iccSize));
    }
}

bool writeRgbRows(jpeg_compress_struct& cinfo, RgbRowSource& source) {
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(source.row(int(cinfo.next_scanline)));
        if (row == nullptr) {
            return false;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    return true;
}

// count samples, the last repeated up to the padded width.
void copyPadded(const uint8_t* in, size_t count, JSAMPROW out, size_t padded) {
    memcpy(out, in, count);
    memset(out + count, in[count - 1], padded - count);
}

// Hands Ycc420 rows to libjpeg as its own planes, a row of MCUs at a time; the MCUs past the
// picture's right and bottom edges repeat its last sample and row.
bool writeYccRows(jpeg_compress_struct& cinfo, RgbRowSource& source) {
    constexpr int kRows = 2 * DCTSIZE;
    const size_t width = cinfo.image_width;
    const size_t chromaWidth = (width + 1) / 2;
    const size_t lumaStride = (width + kRows - 1) / kRows * kRows;
    const size_t chromaStride = (chromaWidth + DCTSIZE - 1) / DCTSIZE * DCTSIZE;
    std::vector<JSAMPLE> luma(lumaStride * kRows), cb(chromaStride * DCTSIZE),
        cr(chromaStride * DCTSIZE);
    JSAMPROW lumaRows[kRows], cbRows[DCTSIZE], crRows[DCTSIZE];
    JSAMPARRAY planes[3] = {lumaRows, cbRows, crRows};
    const int height = int(cinfo.image_height);
    for (int top = 0; top < height; top += kRows) {
        for (int r = 0; r < kRows; ++r) {
            const int pair = r / 2;
            if (top + r >= height) {  // below the picture: its last row again
                lumaRows[r] = lumaRows[r - 1];
                cbRows[pair] = cbRows[(r - 1) / 2];
                crRows[pair] = crRows[(r - 1) / 2];
                continue;
            }
            const uint8_t* row = source.row(top + r);
            if (row == nullptr) {
                return false;
            }
            lumaRows[r] = luma.data() + size_t(r) * lumaStride;
            copyPadded(row, width, lumaRows[r], lumaStride);
            if (r % 2 == 0) {
                cbRows[pair] = cb.data() + size_t(pair) * chromaStride;
                crRows[pair] = cr.data() + size_t(pair) * chromaStride;
                copyPadded(row + width, chromaWidth, cbRows[pair], chromaStride);
                copyPadded(row + width + chromaWidth, chromaWidth, crRows[pair], chromaStride);
            }
        }
        jpeg_write_raw_data(&cinfo, planes, kRows);
    }
    return true;
}

// False when the row source gave out; libjpeg errors leave through the error manager.
bool encode(jpeg_compress_struct& cinfo, RgbRowSource& source, int quality,
            const JpegMetadata& meta, RowLayout layout) {
    const bool ycc = layout == RowLayout::Ycc420;
    cinfo.input_components = 3;
    cinfo.in_color_space = ycc ? JCS_YCbCr : JCS_RGB;
    jpeg_set_defaults(&cinfo);  // 4:2:0 either way
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.raw_data_in = ycc ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    writeMetadata(&cinfo, meta);
    if (!(ycc ? writeYccRows(cinfo, source) : writeRgbRows(cinfo, source))) {
        return false;
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

// Hands the encoded bytes to a sink a megabyte at a time.
struct SinkDestination {
    jpeg_destination_mgr base;
    std::vector<unsigned char> buffer;
    const JpegSink* sink;
};

void flushTo(j_compress_ptr cinfo, size_t bytes) {
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    if (bytes > 0 && !(*dest->sink)(dest->buffer.data(), bytes)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    dest->base.next_output_byte = dest->buffer.data();
    dest->base.free_in_buffer = dest->buffer.size();
}

boolean emptySinkBuffer(j_compress_ptr cinfo) {
    flushTo(cinfo, reinterpret_cast<SinkDestination*>(cinfo->dest)->buffer.size());
    return TRUE;
}

void termSink(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    flushTo(cinfo, dest->buffer.size() - dest->base.free_in_buffer);
}

bool dimensionsFit(int width, int height) {
    return width > 0 && height > 0 && width <= JPEG_MAX_DIMENSION && height <= JPEG_MAX_DIMENSION;
}

// Encodes into dest; false on any libjpeg error or when the rows give out.
bool compress(int width, int height, RgbRowSource& rows, int quality, const JpegMetadata& meta,
              jpeg_destination_mgr* dest, RowLayout layout = RowLayout::Rgb) {
    jpeg_compress_struct cinfo;
    ErrorManager error;
    cinfo.err = jpeg_std_error(&error.base);
    error.base.error_exit = onJpegError;
    error.base.output_message = onJpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = dest;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    const bool complete = encode(cinfo, rows, quality, meta, layout);
    jpeg_destroy_compress(&cinfo);
    return complete;
}

}  // namespace

bool encodeJpeg(int width, int height, RgbRowSource& rows, int quality, const JpegMetadata& meta,
                unsigned char** out, size_t* outSize, RowLayout layout) {
    *out = nullptr;
    *outSize = 0;
    if (!dimensionsFit(width, height)) {
        return false;
    }
    BufferDestination dest{};
    dest.capacity = size_t(width) * size_t(height) / 4 + 65536 + meta.iccSize;
    dest.buffer = static_cast<unsigned char*>(malloc(dest.capacity));
    if (dest.buffer == nullptr) {
        return false;
    }
    dest.base.next_output_byte = dest.buffer;
    dest.base.free_in_buffer = dest.capacity;
    dest.base.init_destination = initDestination;
    dest.base.empty_output_buffer = growDestination;
    dest.base.term_destination = termDestination;
    if (!compress(width, height, rows, quality, meta, &dest.base, layout)) {
        free(dest.buffer);
        return false;
    }
    *out = dest.buffer;
    *outSize = dest.capacity - dest.base.free_in_buffer;
    return true;
}

bool encodeJpegTo(int width, int height, RgbRowSource& rows, int quality, const JpegMetadata& meta,
                  const JpegSink& sink) {
    if (!dimensionsFit(width, height)) {
        return false;
    }
    SinkDestination dest{};
    dest.buffer.resize(size_t(1) << 20);
    dest.sink = &sink;
    dest.base.next_output_byte = dest.buffer.data();
    dest.base.free_in_buffer = dest.buffer.size();
    dest.base.init_destination = initDestination;
    dest.base.empty_output_buffer = emptySinkBuffer;
    dest.base.term_destination = termSink;
    return compress(width, height, rows, quality, meta, &dest.base);
}
