#include "heic_to_jpgdata.h"
#include "heifgeometry.h"
#include "heifmetadata.h"
#include "hevcdecoder.h"
#include "jpegwriter.h"
#include "tiffblock.h"
#include "tilepipeline.h"

#include <libheif/heif.h>
#include <libheif/heif_items.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <exiv2/exiv2.hpp>

namespace {

// A decode needing more pixels than this fails instead of exhausting memory.
constexpr uint64_t kMaxPixels = 256ull * 1000 * 1000;

void initialiseLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        heif_init(nullptr);
        preferredHevcDecoder();
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

struct ContextDeleter {
    void operator()(heif_context* ctx) const { heif_context_free(ctx); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct MallocDeleter {
    void operator()(unsigned char* data) const { free(data); }
};
using ContextPtr = std::unique_ptr<heif_context, ContextDeleter>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleDeleter>;
using ImagePtr = std::unique_ptr<heif_image, ImageDeleter>;
using OptionsPtr = std::unique_ptr<heif_decoding_options, OptionsDeleter>;
using MallocPtr = std::unique_ptr<unsigned char, MallocDeleter>;

// An interleaved picture of 8- or 16-bit samples in a malloc buffer.
struct PixelBuffer {
    MallocPtr data;
    int width = 0, height = 0, channels = 0, sampleBytes = 1;
    size_t stride() const { return size_t(width) * size_t(channels) * size_t(sampleBytes); }
    unsigned char* row(int y) const { return data.get() + stride() * size_t(y); }
};

bool allocate(PixelBuffer& buffer, int width, int height, int channels, int sampleBytes = 1) {
    buffer.width = width;
    buffer.height = height;
    buffer.channels = channels;
    buffer.sampleBytes = sampleBytes;
    buffer.data.reset(static_cast<unsigned char*>(malloc(buffer.stride() * size_t(height))));
    return buffer.data != nullptr;
}

// The rows of a whole RGB picture for the JPEG encoder.
class BufferRows : public RgbRowSource {
public:
    explicit BufferRows(const PixelBuffer& buffer) : m_buffer(buffer) {}
    const uint8_t* row(int y) override { return m_buffer.row(y); }

private:
    const PixelBuffer& m_buffer;
};

// The bytes of a file and the HEVC decoder plugin asked for (null for libheif's choice).
struct Source {
    const std::vector<uint8_t>& bytes;
    const char* decoderId;
};

// What is known of one image before its pixels are decoded.
struct PreparedImage {
    heif_item_id id = 0;
    const char* decoderId = nullptr;
    HandlePtr handle;
    heif_image_tiling tiling{};
    TilePipeline::Crop crop;
    tiffblock::Bytes exif;
    std::vector<uint8_t> icc;
    bool hasAlpha = false;
    int bitDepth = 8;  // of the stored samples
};

// libheif decodes a single grid tile without checking that the tile item is an image it can
// decode (and then dereferences a null image), so every tile of a grid is looked up first.
bool gridTilesAreImages(heif_context* ctx, const heif_image_handle* handle, heif_item_id id,
                        const heif_image_tiling& tiling) {
    if (heif_item_get_item_type(ctx, id) != heif_fourcc('g', 'r', 'i', 'd')) {
        return true;
    }
    for (uint32_t y = 0; y < tiling.num_rows; ++y) {
        for (uint32_t x = 0; x < tiling.num_columns; ++x) {
            heif_item_id tileId = 0;
            if (heif_image_handle_get_grid_image_tile_id(handle, 0, x, y, &tileId).code !=
                heif_error_Ok) {
                return false;
            }
            heif_image_handle* tile = nullptr;
            const heif_error err = heif_context_get_image_handle(ctx, tileId, &tile);
            HandlePtr release(tile);
            if (err.code != heif_error_Ok || tile == nullptr) {
                return false;
            }
        }
    }
    return true;
}

int resultOfHeifError(heif_error_code code) {
    switch (code) {
        case heif_error_Memory_allocation_error:
            return HeicDecodeOutOfMemory;
        case heif_error_Plugin_loading_error:
            return HeicDecodeCodingNotSupported;  // no installed plugin takes the coding
        default:
            return HeicDecodeDecodeError;
    }
}

int readTiling(heif_context* ctx, PreparedImage& image) {
    heif_image_handle* handle = image.handle.get();
    heif_image_tiling& tiling = image.tiling;
    if (heif_image_handle_get_image_tiling(handle, 0, &tiling).code != heif_error_Ok ||
        tiling.num_columns == 0 || tiling.num_rows == 0 ||
        !gridTilesAreImages(ctx, handle, image.id, tiling)) {
        return HeicDecodeDecodeError;
    }
    if (tiling.num_columns == 1 && tiling.num_rows == 1) {
        // An untiled picture is decoded whole; the tiling reports it as displayed.
        tiling.image_width = tiling.tile_width =
            uint32_t(std::max(0, heif_image_handle_get_ispe_width(handle)));
        tiling.image_height = tiling.tile_height =
            uint32_t(std::max(0, heif_image_handle_get_ispe_height(handle)));
    }
    if (tiling.tile_width == 0 || tiling.tile_height == 0 || tiling.image_width == 0 ||
        tiling.image_height == 0) {
        return HeicDecodeDecodeError;
    }
    // Tiles asked for past the grid's last column or row would be read out of its tile list.
    if (uint64_t(tiling.tile_width) * tiling.num_columns < tiling.image_width ||
        uint64_t(tiling.tile_height) * tiling.num_rows < tiling.image_height) {
        return HeicDecodeDecodeError;
    }
    if (uint64_t(tiling.image_width) * tiling.image_height > kMaxPixels ||
        tiling.image_width > uint32_t(std::numeric_limits<int>::max() / 4) ||
        tiling.image_height > uint32_t(std::numeric_limits<int>::max() / 4)) {
        return HeicDecodeTooLarge;
    }
    return HeicDecodeOk;
}

// Opens the image, checks its size and reads its crop window and metadata.
int prepareImage(heif_context* ctx, heif_item_id id, const Source& source, PreparedImage& image) {
    image.id = id;
    image.decoderId = source.decoderId;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_image_handle(ctx, id, &rawHandle).code != heif_error_Ok) {
        return HeicDecodeNoImage;
    }
    image.handle.reset(rawHandle);
    if (const int result = readTiling(ctx, image); result != HeicDecodeOk) {
        return result;
    }
    const int width = int(image.tiling.image_width);
    const int height = int(image.tiling.image_height);
    const Geometry geo = containerGeometry(ctx, id, width, height);
    image.crop.left = geo.left;
    image.crop.top = geo.top;
    image.crop.width = width - geo.left - geo.right;
    image.crop.height = height - geo.top - geo.bottom;
    if (image.crop.width <= 0 || image.crop.height <= 0) {
        return HeicDecodeDecodeError;
    }
    image.exif = heifmetadata::pictureExif(heifmetadata::exifOf(rawHandle), geo.turn,
                                           image.crop.width, image.crop.height);
    image.icc = heifmetadata::iccOf(rawHandle);
    image.hasAlpha = heif_image_handle_has_alpha_channel(rawHandle) != 0;
    image.bitDepth = std::max(8, heif_image_handle_get_luma_bits_per_pixel(rawHandle));
    return HeicDecodeOk;
}

// Samples of more than 8 bits, as libheif gives them, moved up to fill 16 bits (as heif-dec
// writes them in a PNG).
void widenSamples(PixelBuffer& buffer, int bitDepth) {
    const int shift = 16 - std::min(bitDepth, 16);
    for (int y = 0; y < buffer.height && shift > 0; ++y) {
        auto* samples = reinterpret_cast<uint16_t*>(buffer.row(y));
        for (size_t i = 0; i < size_t(buffer.width) * size_t(buffer.channels); ++i) {
            samples[i] = uint16_t(samples[i] << shift);
        }
    }
}

// The crop window of the whole picture, decoded by libheif in one go: RGBA, or RGB(A) of
// native 16-bit samples when deep is asked for and the picture has more than 8 bits.
int decodeWhole(const PreparedImage& image, bool deep, PixelBuffer& out) {
    deep = deep && image.bitDepth > 8;
    const int channels = deep && !image.hasAlpha ? 3 : 4;
    const heif_chroma chroma = !deep           ? heif_chroma_interleaved_RGBA
                               : channels == 4 ? heif_chroma_interleaved_RRGGBBAA_LE
                                               : heif_chroma_interleaved_RRGGBB_LE;
    OptionsPtr options(heif_decoding_options_alloc());
    options->decoder_id = image.decoderId;
    options->ignore_transformations = 1;
    options->convert_hdr_to_8bit = deep ? 0 : 1;
    heif_image* raw = nullptr;
    const heif_error err =
        heif_decode_image(image.handle.get(), &raw, heif_colorspace_RGB, chroma, options.get());
    ImagePtr decoded(raw);
    if (err.code != heif_error_Ok || raw == nullptr) {
        return resultOfHeifError(err.code);
    }
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
    const TilePipeline::Crop& crop = image.crop;
    if (plane == nullptr ||
        heif_image_get_width(raw, heif_channel_interleaved) < crop.left + crop.width ||
        heif_image_get_height(raw, heif_channel_interleaved) < crop.top + crop.height) {
        return HeicDecodeDecodeError;
    }
    if (!allocate(out, crop.width, crop.height, channels, deep ? 2 : 1)) {
        return HeicDecodeOutOfMemory;
    }
    const size_t pixelBytes = size_t(channels) * size_t(out.sampleBytes);
    for (int y = 0; y < crop.height; ++y) {
        memcpy(out.row(y),
               plane + size_t(crop.top + y) * size_t(stride) + size_t(crop.left) * pixelBytes,
               out.stride());
    }
    if (deep) {
        widenSamples(out, heif_image_get_bits_per_pixel_range(raw, heif_channel_interleaved));
    }
    return HeicDecodeOk;
}

std::atomic<int> g_decoderThreads{0};

int decoderThreads() {
    const int wanted = g_decoderThreads.load();
    return wanted > 0 ? wanted : int(std::max(1u, std::thread::hardware_concurrency()));
}

// The crop window as RGB, decoded a row of tiles at a time.
int decodeRgbRows(const Source& source, const PreparedImage& image, PixelBuffer& out) {
    if (!allocate(out, image.crop.width, image.crop.height, 3)) {
        return HeicDecodeOutOfMemory;
    }
    TilePipeline pipeline(source.bytes, image.id, image.tiling, image.crop, decoderThreads(),
                          image.decoderId);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* row = pipeline.row(y);
        if (row == nullptr) {
            return resultOfHeifError(pipeline.error());
        }
        memcpy(out.row(y), row, out.stride());
    }
    return HeicDecodeOk;
}

// An RGBA picture laid over white.
int overWhite(const PixelBuffer& rgba, PixelBuffer& rgb) {
    if (!allocate(rgb, rgba.width, rgba.height, 3)) {
        return HeicDecodeOutOfMemory;
    }
    for (int y = 0; y < rgba.height; ++y) {
        const unsigned char* in = rgba.row(y);
        unsigned char* out = rgb.row(y);
        for (int x = 0; x < rgba.width; ++x, in += 4, out += 3) {
            const unsigned alpha = in[3];
            for (int c = 0; c < 3; ++c) {
                out[c] = uint8_t((in[c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
            }
        }
    }
    return HeicDecodeOk;
}

int encodeStream(RgbRowSource& rows, const PreparedImage& image, int quality, MallocPtr& jpeg,
                 size_t& size, RowLayout layout = RowLayout::Rgb) {
    JpegMetadata meta;
    meta.exifTiff = &image.exif;
    meta.icc = image.icc.empty() ? nullptr : image.icc.data();
    meta.iccSize = image.icc.size();
    unsigned char* raw = nullptr;
    if (!encodeJpeg(image.crop.width, image.crop.height, rows, quality, meta, &raw, &size,
                    layout)) {
        return HeicDecodeEncodeError;
    }
    jpeg.reset(raw);
    return HeicDecodeOk;
}

// The picture is stored as a JPEG stores it: 8-bit 4:2:0, the crop window and the tiles at even
// samples. Its samples may then go to the encoder as they are, without a turn through RGB.
bool storedLikeJpeg(const PreparedImage& image) {
    heif_colorspace colorspace = heif_colorspace_undefined;
    heif_chroma chroma = heif_chroma_undefined;
    heif_image_handle* handle = image.handle.get();
    if (heif_image_handle_get_preferred_decoding_colorspace(handle, &colorspace, &chroma).code !=
        heif_error_Ok) {
        return false;
    }
    const heif_image_tiling& tiling = image.tiling;
    return colorspace == heif_colorspace_YCbCr && chroma == heif_chroma_420 &&
           heif_image_handle_get_luma_bits_per_pixel(handle) == 8 &&
           heif_image_handle_get_chroma_bits_per_pixel(handle) == 8 && image.crop.left % 2 == 0 &&
           image.crop.top % 2 == 0 && (tiling.num_columns == 1 || tiling.tile_width % 2 == 0) &&
           (tiling.num_rows == 1 || tiling.tile_height % 2 == 0);
}

// Streams the picture from the tile pipeline to the encoder. With Ycc420, refused tells whether
// the decoded samples turned out not to be JPEG's YCbCr.
int encodeTiles(const Source& source, const PreparedImage& image, int quality, RowLayout layout,
                MallocPtr& jpeg, size_t& size, bool* refused = nullptr) {
    TilePipeline pipeline(source.bytes, image.id, image.tiling, image.crop, decoderThreads(),
                          image.decoderId, 1, layout);
    const int result = encodeStream(pipeline, image, quality, jpeg, size, layout);
    if (refused != nullptr) {
        *refused = pipeline.layoutRefused();
    }
    const heif_error_code decodeError = pipeline.error();
    return decodeError != heif_error_Ok ? resultOfHeifError(decodeError) : result;
}

// A picture with transparency is laid over white as a whole; any other streams from the
// tile pipeline to the encoder.
int encodePicture(const Source& source, const PreparedImage& image, int quality, MallocPtr& jpeg,
                  size_t& size) {
    if (image.hasAlpha) {
        PixelBuffer rgba, rgb;
        int result = decodeWhole(image, false, rgba);
        if (result == HeicDecodeOk) {
            result = overWhite(rgba, rgb);
        }
        rgba.data.reset();
        if (result != HeicDecodeOk) {
            return result;
        }
        BufferRows rows(rgb);
        return encodeStream(rows, image, quality, jpeg, size);
    }
    if (storedLikeJpeg(image)) {
        bool refused = false;
        const int result =
            encodeTiles(source, image, quality, RowLayout::Ycc420, jpeg, size, &refused);
        if (!refused) {
            return result;
        }
    }
    return encodeTiles(source, image, quality, RowLayout::Rgb, jpeg, size);
}

int decodeToJpeg(heif_context* ctx, const Source& source, heif_item_id id, int quality,
                 CImageData& out) {
    PreparedImage image;
    if (const int result = prepareImage(ctx, id, source, image); result != HeicDecodeOk) {
        return result;
    }
    MallocPtr jpeg;
    size_t size = 0;
    if (const int result = encodePicture(source, image, quality, jpeg, size);
        result != HeicDecodeOk) {
        return result;
    }
    if (image.exif.size() > kMaxApp1Tiff) {
        unsigned char* raw = jpeg.release();
        const bool inserted = heifmetadata::insertLargeExif(image.exif, &raw, &size);
        jpeg.reset(raw);
        if (!inserted) {
            return HeicDecodeOutOfMemory;
        }
    }
    if (size > size_t(std::numeric_limits<int32_t>::max())) {
        return HeicDecodeTooLarge;
    }
    out.data = jpeg.release();
    out.size = int32_t(size);
    return HeicDecodeOk;
}

// A malloc copy of bytes; false when memory runs out.
bool copyOut(const std::vector<uint8_t>& bytes, unsigned char*& data, int32_t& size) {
    data = nullptr;
    size = 0;
    if (bytes.empty()) {
        return true;
    }
    data = static_cast<unsigned char*>(malloc(bytes.size()));
    if (data == nullptr) {
        return false;
    }
    memcpy(data, bytes.data(), bytes.size());
    size = int32_t(bytes.size());
    return true;
}

int decodeToPixels(heif_context* ctx, const Source& source, heif_item_id id, bool deep,
                   CPixelData& out) {
    PreparedImage image;
    if (const int result = prepareImage(ctx, id, source, image); result != HeicDecodeOk) {
        return result;
    }
    PixelBuffer pixels;
    const int result = image.hasAlpha || (deep && image.bitDepth > 8)
                           ? decodeWhole(image, deep, pixels)
                           : decodeRgbRows(source, image, pixels);
    if (result != HeicDecodeOk) {
        return result;
    }
    out = CPixelData{};
    if (!copyOut(image.exif, out.exif, out.exifSize) || !copyOut(image.icc, out.icc, out.iccSize)) {
        heic_free_pixeldata(out);
        return HeicDecodeOutOfMemory;
    }
    const int orientation = tiffblock::orientation(image.exif);
    out.orientation = orientation == 0 ? 1 : orientation;
    out.width = pixels.width;
    out.height = pixels.height;
    out.channels = pixels.channels;
    out.bitsPerSample = pixels.sampleBytes * 8;
    out.stride = int32_t(pixels.stride());
    out.pixels = pixels.data.release();
    return HeicDecodeOk;
}

// The rows of a whole decoded picture, turned by an EXIF orientation.
class TurnedRows : public RgbRowSource {
public:
    TurnedRows(const PixelBuffer& buffer, int orientation)
        : m_buffer(buffer),
          m_orientation(orientation),
          m_swap(turning::swapsAxes(orientation)),
          m_pixelBytes(size_t(buffer.channels) * size_t(buffer.sampleBytes)),
          m_row(size_t(width()) * m_pixelBytes) {}

    int width() const { return m_swap ? m_buffer.height : m_buffer.width; }
    int height() const { return m_swap ? m_buffer.width : m_buffer.height; }

    const uint8_t* row(int y) override {
        if (m_orientation == 1) {
            return m_buffer.row(y);
        }
        const bool flipX = turning::flipsX(m_orientation);
        const bool flipY = turning::flipsY(m_orientation);
        const auto along = [](int position, int length, bool flip) {
            return flip ? length - 1 - position : position;
        };
        for (int x = 0; x < width(); ++x) {
            const int storedX =
                m_swap ? along(y, m_buffer.width, flipX) : along(x, m_buffer.width, flipX);
            const int storedY =
                m_swap ? along(x, m_buffer.height, flipY) : along(y, m_buffer.height, flipY);
            memcpy(m_row.data() + size_t(x) * m_pixelBytes,
                   m_buffer.row(storedY) + size_t(storedX) * m_pixelBytes, m_pixelBytes);
        }
        return m_row.data();
    }

private:
    const PixelBuffer& m_buffer;
    const int m_orientation;
    const bool m_swap;
    const size_t m_pixelBytes;
    std::vector<uint8_t> m_row;
};

// What a streamed decode hands out.
struct StreamChoice {
    bool deep = false;     // 16-bit samples for pictures stored with more than 8 bits
    bool upright = false;  // rows turned by the picture's orientation
};

HeicStreamedPicture describe(const PreparedImage& image, int orientation, bool turned) {
    HeicStreamedPicture picture{};
    picture.orientation = orientation;
    picture.turned = turned;
    picture.exif = &image.exif;
    picture.icc = &image.icc;
    return picture;
}

// A picture with transparency, or deep samples, is decoded whole; any other streams from the
// tile pipeline, a band of tiles at a time.
int streamPicture(heif_context* ctx, const Source& source, heif_item_id id,
                  const StreamChoice& choice, HeicPictureSink& sink) {
    PreparedImage image;
    if (const int result = prepareImage(ctx, id, source, image); result != HeicDecodeOk) {
        return result;
    }
    const int stored = tiffblock::orientation(image.exif);
    const int orientation = stored >= 1 && stored <= 8 ? stored : 1;
    const int turn = choice.upright ? orientation : 1;
    HeicStreamedPicture picture = describe(image, orientation, choice.upright);
    if (image.hasAlpha || (choice.deep && image.bitDepth > 8)) {
        PixelBuffer pixels;
        if (const int result = decodeWhole(image, choice.deep, pixels); result != HeicDecodeOk) {
            return result;
        }
        TurnedRows rows(pixels, turn);
        picture.width = rows.width();
        picture.height = rows.height();
        picture.channels = pixels.channels;
        picture.bitsPerSample = pixels.sampleBytes * 8;
        return sink.take(picture, rows);
    }
    TilePipeline pipeline(source.bytes, image.id, image.tiling, image.crop, decoderThreads(),
                          image.decoderId, turn);
    picture.width = pipeline.width();
    picture.height = pipeline.height();
    picture.channels = 3;
    picture.bitsPerSample = 8;
    const int result = sink.take(picture, pipeline);
    const heif_error_code decodeError = pipeline.error();
    return decodeError != heif_error_Ok ? resultOfHeifError(decodeError) : result;
}

// Only regular files: opened without blocking, so that a pipe or device named like a photo
// fails at once instead of waiting for a writer.
bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(fdopen(fd, "rb"), fclose);
    if (!file) {
        close(fd);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    bytes.resize(size_t(info.st_size));
    return bytes.empty() || fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

uint64_t readBigEndian(const uint8_t* p, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

// Walks the top-level boxes, calling visit(type) for each; false when one is malformed or
// claims more bytes than the file has. Only the media data box may run past the end (a cut-off
// download): its contents are read through the item locations, which libheif checks.
template <typename Visit>
bool walkTopLevelBoxes(const std::vector<uint8_t>& file, Visit visit) {
    size_t pos = 0;
    while (file.size() - pos >= 8) {
        uint64_t boxSize = readBigEndian(&file[pos], 4);
        const char* type = reinterpret_cast<const char*>(&file[pos + 4]);
        visit(type);
        size_t header = 8;
        if (boxSize == 1) {
            if (file.size() - pos < 16) {
                return false;
            }
            boxSize = readBigEndian(&file[pos + 8], 8);
            header = 16;
        } else if (boxSize == 0) {
            return true;  // runs to the end of the file
        }
        if (boxSize < header) {
            return false;
        }
        if (boxSize > file.size() - pos) {
            return memcmp(type, "mdat", 4) == 0;
        }
        pos += size_t(boxSize);
    }
    return pos > 0;
}

// libheif aborts on a top-level box that claims more bytes than the file has, so such files
// are refused here.
bool topLevelBoxesFit(const std::vector<uint8_t>& file) {
    return walkTopLevelBoxes(file, [](const char*) {});
}

// Whether the file holds a movie box: an image sequence (an animation) stored as a track.
bool hasImageSequence(const std::vector<uint8_t>& file) {
    bool found = false;
    walkTopLevelBoxes(file, [&found](const char* type) { found |= memcmp(type, "moov", 4) == 0; });
    return found;
}

void release(CImageData& image) {
    free(image.data);
    image.data = nullptr;
}

void release(CPixelData& image) {
    heic_free_pixeldata(image);
}

// A picture handed to a sink leaves nothing to release.
struct StreamedImage {};
void release(StreamedImage&) {}

// Decodes every top-level image of the file with decodeOne; all of them or none.
template <typename Image, typename DecodeOne>
int decodeFile(const Source& source, std::list<Image>& images, DecodeOne decodeOne) {
    const std::vector<uint8_t>& file = source.bytes;
    if (!topLevelBoxesFit(file)) {
        return HeicDecodeNotHeif;
    }
    ContextPtr ctx(heif_context_alloc());
    if (!ctx) {
        return HeicDecodeOutOfMemory;
    }
    // Pixels are decoded by the tile pipeline with contexts of its own.
    heif_context_set_max_decoding_threads(ctx.get(), 0);
    const heif_error opened =
        heif_context_read_from_memory_without_copy(ctx.get(), file.data(), file.size(), nullptr);
    if (opened.code != heif_error_Ok) {
        if (opened.code == heif_error_Memory_allocation_error) {
            return HeicDecodeOutOfMemory;
        }
        if (opened.subcode == heif_suberror_Security_limit_exceeded) {
            return HeicDecodeTooLarge;
        }
        return hasImageSequence(file) ? HeicDecodeSequenceNotSupported : HeicDecodeNotHeif;
    }
    const int count = heif_context_get_number_of_top_level_images(ctx.get());
    if (count <= 0) {
        return hasImageSequence(file) ? HeicDecodeSequenceNotSupported : HeicDecodeNoImage;
    }
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_context_get_list_of_top_level_image_IDs(ctx.get(), ids.data(), count);

    std::list<Image> decoded;
    for (heif_item_id id : ids) {
        Image image{};
        const int result = decodeOne(ctx.get(), source, id, image);
        if (result != HeicDecodeOk) {
            for (Image& done : decoded) {
                release(done);
            }
            return result;
        }
        decoded.push_back(image);
    }
    images.splice(images.end(), decoded);
    return HeicDecodeOk;
}

uint64_t largestPicturePixels(heif_context* ctx) {
    const int count = heif_context_get_number_of_top_level_images(ctx);
    std::vector<heif_item_id> ids(static_cast<size_t>(std::max(count, 0)));
    heif_context_get_list_of_top_level_image_IDs(ctx, ids.data(), count);
    uint64_t largest = 0;
    for (heif_item_id id : ids) {
        heif_image_handle* handle = nullptr;
        if (heif_context_get_image_handle(ctx, id, &handle).code != heif_error_Ok) {
            continue;
        }
        const uint64_t pixels = uint64_t(std::max(heif_image_handle_get_width(handle), 0)) *
                                uint64_t(std::max(heif_image_handle_get_height(handle), 0));
        largest = std::max(largest, pixels);
        heif_image_handle_release(handle);
    }
    return largest;
}

// Reads the file and decodes it, turning exceptions into result codes; restart is called before
// the file is decoded again by another decoder.
template <typename Image, typename DecodeOne, typename Restart>
int decodePath(const char* path, std::list<Image>& images, DecodeOne decodeOne, Restart restart) {
    if (path == nullptr || *path == '\0') {
        return HeicDecodeBadArgument;
    }
    initialiseLibraries();
    try {
        std::vector<uint8_t> file;
        if (!readWholeFile(path, file)) {
            return HeicDecodeUnreadable;
        }
        // The faster plugin does not decode every picture (10-bit ones, other codings): those
        // are decoded again by libheif's own choice.
        const char* preferred = preferredHevcDecoder();
        const int result = decodeFile(Source{file, preferred}, images, decodeOne);
        const bool retry =
            result == HeicDecodeDecodeError || result == HeicDecodeCodingNotSupported;
        if (!retry || preferred == nullptr) {
            return result;
        }
        restart();
        return decodeFile(Source{file, nullptr}, images, decodeOne);
    } catch (const std::bad_alloc&) {
        return HeicDecodeOutOfMemory;
    } catch (...) {
        return HeicDecodeDecodeError;
    }
}

template <typename Image, typename DecodeOne>
int decodePath(const char* path, std::list<Image>& images, DecodeOne decodeOne) {
    return decodePath(path, images, decodeOne, [] {});
}

}  // namespace

int heic_to_jpgdata(const char* path, std::list<CImageData>& images, int quality) {
    const int clamped = std::clamp(quality, 1, 100);
    return decodePath(
        path, images,
        [clamped](heif_context* ctx, const Source& source, heif_item_id id, CImageData& image) {
            return decodeToJpeg(ctx, source, id, clamped, image);
        });
}

int heic_to_pixeldata(const char* path, std::list<CPixelData>& images, bool deep) {
    return decodePath(
        path, images,
        [deep](heif_context* ctx, const Source& source, heif_item_id id, CPixelData& image) {
            return decodeToPixels(ctx, source, id, deep, image);
        });
}

void heic_free_pixeldata(CPixelData& image) {
    free(image.pixels);
    free(image.exif);
    free(image.icc);
    image.pixels = image.exif = image.icc = nullptr;
    image.exifSize = image.iccSize = 0;
}

uint64_t heic_picture_pixels(const char* path) {
    if (path == nullptr || *path == '\0') {
        return 0;
    }
    initialiseLibraries();
    try {
        std::vector<uint8_t> file;
        if (!readWholeFile(path, file) || !topLevelBoxesFit(file)) {
            return 0;
        }
        ContextPtr ctx(heif_context_alloc());
        if (!ctx ||
            heif_context_read_from_memory_without_copy(ctx.get(), file.data(), file.size(), nullptr)
                    .code != heif_error_Ok) {
            return 0;
        }
        return largestPicturePixels(ctx.get());
    } catch (...) {
        return 0;
    }
}

int heic_stream_pictures(const char* path, bool deep, bool upright, HeicPictureSink& sink) {
    std::list<StreamedImage> taken;
    const StreamChoice choice{deep, upright};
    return decodePath(
        path, taken,
        [&](heif_context* ctx, const Source& source, heif_item_id id, StreamedImage&) {
            return streamPicture(ctx, source, id, choice, sink);
        },
        [&sink] { sink.restart(); });
}

void heic_set_decoder_threads(int threads) {
    g_decoderThreads.store(std::max(0, threads));
}

bool heic_encode_jpeg(int width, int height, RgbRowSource& rows, int quality,
                      const JpegMetadata& meta, unsigned char** out, size_t* outSize) {
    try {
        return encodeJpeg(width, height, rows, quality, meta, out, outSize);
    } catch (...) {
        return false;
    }
}

bool heic_encode_jpeg_to(int width, int height, RgbRowSource& rows, int quality,
                         const JpegMetadata& meta, const JpegSink& sink) {
    try {
        return encodeJpegTo(width, height, rows, quality, meta, sink);
    } catch (...) {
        return false;
    }
}
