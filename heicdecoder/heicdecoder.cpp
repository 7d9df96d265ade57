#include "heic_to_jpgdata.h"
#include "jpegwriter.h"
#include "tiffblock.h"
#include "tilepipeline.h"

#include <libheif/heif.h>
#include <libheif/heif_items.h>
#include <libheif/heif_properties.h>

#include <sys/stat.h>

#include <algorithm>
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
constexpr size_t kMaxExifBlock = 16u * 1024 * 1024;

void initialiseLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        heif_init(nullptr);
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
using ContextPtr = std::unique_ptr<heif_context, ContextDeleter>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleDeleter>;

// --- Geometry: the container's transformations folded into one crop and one orientation.

// A rotation or mirror as a 2x2 matrix on screen coordinates (x right, y down).
struct Turn {
    int a = 1, b = 0, c = 0, d = 1;

    Turn then(const Turn& next) const {
        return {next.a * a + next.b * c, next.a * b + next.b * d, next.c * a + next.d * c,
                next.c * b + next.d * d};
    }
    bool swapsAxes() const { return a == 0; }
};

// The turn that each EXIF orientation asks for to make the stored picture upright.
const Turn kExifTurns[9] = {
    {},           {1, 0, 0, 1},  {-1, 0, 0, 1},  {-1, 0, 0, -1}, {1, 0, 0, -1},
    {0, 1, 1, 0}, {0, -1, 1, 0}, {0, -1, -1, 0}, {0, 1, -1, 0}};

int exifOrientationOf(const Turn& turn) {
    for (int code = 1; code <= 8; ++code) {
        const Turn& t = kExifTurns[code];
        if (t.a == turn.a && t.b == turn.b && t.c == turn.c && t.d == turn.d) {
            return code;
        }
    }
    return 1;
}

Turn rotationCcw(int degrees) {
    switch (degrees) {
        case 90:
            return kExifTurns[8];
        case 180:
            return kExifTurns[3];
        case 270:
            return kExifTurns[6];
        default:
            return {};
    }
}

struct Geometry {
    int left = 0, top = 0, right = 0, bottom = 0;  // pixels cut from each stored edge
    Turn turn;                                     // stored -> as the container shows it
};

// Adds a crop given in the turned picture's coordinates to the stored edges.
void addCrop(Geometry& geo, int storedWidth, int storedHeight, const int borders[4]) {
    // borders: left, right, top, bottom of the turned picture, as unit directions there.
    const int dirs[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    (void)storedWidth;
    (void)storedHeight;
    for (int i = 0; i < 4; ++i) {
        // The inverse of an orthogonal turn is its transpose.
        const int sx = geo.turn.a * dirs[i][0] + geo.turn.c * dirs[i][1];
        const int sy = geo.turn.b * dirs[i][0] + geo.turn.d * dirs[i][1];
        int& edge = sx < 0 ? geo.left : sx > 0 ? geo.right : sy < 0 ? geo.top : geo.bottom;
        edge += std::max(0, borders[i]);
    }
}

Geometry containerGeometry(heif_context* ctx, heif_item_id id, int storedWidth, int storedHeight) {
    Geometry geo;
    const int count = heif_item_get_transformation_properties(ctx, id, nullptr, 0);
    if (count <= 0) {
        return geo;
    }
    std::vector<heif_property_id> props(static_cast<size_t>(count));
    heif_item_get_transformation_properties(ctx, id, props.data(), count);
    for (heif_property_id prop : props) {
        switch (heif_item_get_property_type(ctx, id, prop)) {
            case heif_item_property_type_transform_rotation:
                geo.turn = geo.turn.then(
                    rotationCcw(heif_item_get_property_transform_rotation_ccw(ctx, id, prop)));
                break;
            case heif_item_property_type_transform_mirror: {
                const auto dir = heif_item_get_property_transform_mirror(ctx, id, prop);
                if (dir == heif_transform_mirror_direction_horizontal) {
                    geo.turn = geo.turn.then(kExifTurns[2]);
                } else if (dir == heif_transform_mirror_direction_vertical) {
                    geo.turn = geo.turn.then(kExifTurns[4]);
                }
                break;
            }
            case heif_item_property_type_transform_crop: {
                const int w = storedWidth - geo.left - geo.right;
                const int h = storedHeight - geo.top - geo.bottom;
                const int shownWidth = geo.turn.swapsAxes() ? h : w;
                const int shownHeight = geo.turn.swapsAxes() ? w : h;
                if (shownWidth <= 0 || shownHeight <= 0) {
                    break;  // nothing left to crop (libheif asserts on an empty picture)
                }
                int l = 0, t = 0, r = 0, b = 0;
                heif_item_get_property_transform_crop_borders(ctx, id, prop, shownWidth,
                                                              shownHeight, &l, &t, &r, &b);
                const int borders[4] = {l, r, t, b};
                addCrop(geo, storedWidth, storedHeight, borders);
                break;
            }
            default:
                break;
        }
    }
    return geo;
}

// --- Metadata

tiffblock::Bytes exifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1) {
        return {};
    }
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size == 0 || size > kMaxExifBlock) {
        return {};
    }
    std::vector<uint8_t> block(size);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) {
        return {};
    }
    return tiffblock::tiffFromHeifExif(block.data(), block.size());
}

// The EXIF that the stream carries: the file's own, with the container's orientation added
// when the file's EXIF has no Orientation tag and the container turns the picture.
tiffblock::Bytes streamExif(tiffblock::Bytes exif, const Turn& containerTurn) {
    const int containerOrientation = exifOrientationOf(containerTurn);
    if (tiffblock::orientation(exif) != 0 || containerOrientation == 1) {
        return exif;
    }
    if (exif.empty() || !tiffblock::setOrientation(exif, containerOrientation)) {
        return tiffblock::withOrientationOnly(containerOrientation);
    }
    return exif;
}

std::vector<uint8_t> iccOf(const heif_image_handle* handle) {
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    std::vector<uint8_t> icc(size);
    if (size > 0 &&
        heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok) {
        icc.clear();
    }
    return icc;
}

// Puts an EXIF block too large for one APP1 segment into the stream; exiv2 leaves out the
// tags that do not fit.
bool insertLargeExif(const tiffblock::Bytes& tiff, unsigned char** jpeg, size_t* size) {
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order =
            Exiv2::ExifParser::decode(exif, tiff.data(), uint32_t(tiff.size()));
        if (exif.empty()) {
            return true;
        }
        auto image = Exiv2::ImageFactory::open(*jpeg, long(*size));
        image->readMetadata();
        image->setByteOrder(order);
        image->setExifData(exif);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const size_t newSize = size_t(io.size());
        auto* buffer = static_cast<unsigned char*>(malloc(newSize));
        if (buffer == nullptr) {
            return false;
        }
        io.seek(0, Exiv2::BasicIo::beg);
        if (size_t(io.read(buffer, long(newSize))) != newSize) {
            free(buffer);
            return false;
        }
        free(*jpeg);
        *jpeg = buffer;
        *size = newSize;
        return true;
    } catch (const Exiv2::AnyError&) {
        return true;  // the stream stays valid, without EXIF
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// --- Decoding

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
    return code == heif_error_Memory_allocation_error ? HeicDecodeOutOfMemory
                                                      : HeicDecodeDecodeError;
}

int decodeToJpeg(heif_context* ctx, const std::vector<uint8_t>& file, heif_item_id id, int quality,
                 CImageData& out) {
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_image_handle(ctx, id, &rawHandle).code != heif_error_Ok) {
        return HeicDecodeNoImage;
    }
    HandlePtr handle(rawHandle);
    heif_image_tiling tiling{};
    if (heif_image_handle_get_image_tiling(rawHandle, 0, &tiling).code != heif_error_Ok ||
        tiling.num_columns == 0 || tiling.num_rows == 0 ||
        !gridTilesAreImages(ctx, rawHandle, id, tiling)) {
        return HeicDecodeDecodeError;
    }
    if (tiling.num_columns == 1 && tiling.num_rows == 1) {
        // An untiled picture is decoded whole; the tiling reports it as displayed.
        tiling.image_width = tiling.tile_width =
            uint32_t(std::max(0, heif_image_handle_get_ispe_width(rawHandle)));
        tiling.image_height = tiling.tile_height =
            uint32_t(std::max(0, heif_image_handle_get_ispe_height(rawHandle)));
    }
    if (tiling.tile_width == 0 || tiling.tile_height == 0 || tiling.image_width == 0 ||
        tiling.image_height == 0) {
        return HeicDecodeDecodeError;
    }
    if (uint64_t(tiling.image_width) * tiling.image_height > kMaxPixels ||
        tiling.image_width > uint32_t(std::numeric_limits<int>::max() / 4) ||
        tiling.image_height > uint32_t(std::numeric_limits<int>::max() / 4)) {
        return HeicDecodeTooLarge;
    }
    const int width = int(tiling.image_width);
    const int height = int(tiling.image_height);
    const Geometry geo = containerGeometry(ctx, id, width, height);
    TilePipeline::Crop crop;
    crop.left = geo.left;
    crop.top = geo.top;
    crop.width = width - geo.left - geo.right;
    crop.height = height - geo.top - geo.bottom;
    if (crop.width <= 0 || crop.height <= 0) {
        return HeicDecodeDecodeError;
    }

    const tiffblock::Bytes exif = streamExif(exifOf(rawHandle), geo.turn);
    const std::vector<uint8_t> icc = iccOf(rawHandle);
    JpegMetadata meta;
    meta.exifTiff = &exif;
    meta.icc = icc.empty() ? nullptr : icc.data();
    meta.iccSize = icc.size();

    unsigned char* jpeg = nullptr;
    size_t jpegSize = 0;
    {
        TilePipeline pipeline(file, id, tiling, crop,
                              int(std::max(1u, std::thread::hardware_concurrency())));
        const bool encoded =
            encodeJpeg(crop.width, crop.height, pipeline, quality, meta, &jpeg, &jpegSize);
        const heif_error_code decodeError = pipeline.error();
        if (decodeError != heif_error_Ok) {
            free(jpeg);
            return resultOfHeifError(decodeError);
        }
        if (!encoded) {
            return HeicDecodeEncodeError;
        }
    }
    if (exif.size() > kMaxApp1Tiff && !insertLargeExif(exif, &jpeg, &jpegSize)) {
        free(jpeg);
        return HeicDecodeOutOfMemory;
    }
    if (jpegSize > size_t(std::numeric_limits<int32_t>::max())) {
        free(jpeg);
        return HeicDecodeTooLarge;
    }
    out.data = jpeg;
    out.size = int32_t(jpegSize);
    return HeicDecodeOk;
}

bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        bytes.resize(size_t(info.st_size));
        ok = bytes.empty() || fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    fclose(file);
    return ok;
}

uint64_t readBigEndian(const uint8_t* p, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

// libheif aborts on a top-level box that claims more bytes than the file has, so such files
// are refused here. Only the media data box may run past the end (a cut-off download): its
// contents are read through the item locations, which libheif checks.
bool topLevelBoxesFit(const std::vector<uint8_t>& file) {
    size_t pos = 0;
    while (file.size() - pos >= 8) {
        uint64_t boxSize = readBigEndian(&file[pos], 4);
        const bool isMediaData = memcmp(&file[pos + 4], "mdat", 4) == 0;
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
            return isMediaData;
        }
        pos += size_t(boxSize);
    }
    return pos > 0;
}

void freeAll(std::list<CImageData>& images) {
    for (CImageData& image : images) {
        free(image.data);
    }
    images.clear();
}

int decodeFile(const std::vector<uint8_t>& file, std::list<CImageData>& images, int quality) {
    if (!topLevelBoxesFit(file)) {
        return HeicDecodeNotHeif;
    }
    heif_context* rawContext = heif_context_alloc();
    if (rawContext == nullptr) {
        return HeicDecodeOutOfMemory;
    }
    ContextPtr ctx(rawContext);
    // Pixels are decoded by the tile pipeline with contexts of its own.
    heif_context_set_max_decoding_threads(rawContext, 0);
    const heif_error opened =
        heif_context_read_from_memory_without_copy(rawContext, file.data(), file.size(), nullptr);
    if (opened.code != heif_error_Ok) {
        if (opened.code == heif_error_Memory_allocation_error) {
            return HeicDecodeOutOfMemory;
        }
        return opened.subcode == heif_suberror_Security_limit_exceeded ? HeicDecodeTooLarge
                                                                       : HeicDecodeNotHeif;
    }
    const int count = heif_context_get_number_of_top_level_images(rawContext);
    if (count <= 0) {
        return HeicDecodeNoImage;
    }
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_context_get_list_of_top_level_image_IDs(rawContext, ids.data(), count);

    std::list<CImageData> decoded;
    for (heif_item_id id : ids) {
        CImageData image{nullptr, 0};
        const int result = decodeToJpeg(rawContext, file, id, quality, image);
        if (result != HeicDecodeOk) {
            freeAll(decoded);
            return result;
        }
        decoded.push_back(image);
    }
    images.splice(images.end(), decoded);
    return HeicDecodeOk;
}

}  // namespace

int heic_to_jpgdata(const char* path, std::list<CImageData>& images, int quality) {
    if (path == nullptr || *path == '\0') {
        return HeicDecodeBadArgument;
    }
    initialiseLibraries();
    try {
        std::vector<uint8_t> file;
        if (!readWholeFile(path, file)) {
            return HeicDecodeUnreadable;
        }
        return decodeFile(file, images, std::clamp(quality, 1, 100));
    } catch (const std::bad_alloc&) {
        return HeicDecodeOutOfMemory;
    } catch (...) {
        return HeicDecodeDecodeError;
    }
}
