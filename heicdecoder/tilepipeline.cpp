#include "tilepipeline.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

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

constexpr size_t kPixelBytes = 3;

size_t rowBytes(RowLayout layout, int width) {
    return layout == RowLayout::Ycc420 ? size_t(width) + 2 * size_t((width + 1) / 2)
                                       : size_t(width) * kPixelBytes;
}

// The decoded samples are what a JPEG stores: 8-bit 4:2:0 of full-range BT.601 (which libheif
// also takes an unspecified matrix for).
bool isJpegYcc(const heif_image* image) {
    if (heif_image_get_chroma_format(image) != heif_chroma_420) {
        return false;
    }
    for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        if (heif_image_get_bits_per_pixel_range(image, channel) != 8) {
            return false;
        }
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_get_nclx_color_profile(image, &nclx).code != heif_error_Ok) {
        return true;  // libheif converts such samples as BT.601, full range
    }
    const heif_matrix_coefficients matrix = nclx->matrix_coefficients;
    const bool fullRange = nclx->full_range_flag != 0;
    heif_nclx_color_profile_free(nclx);
    return fullRange && (matrix == heif_matrix_coefficients_ITU_R_BT_601_6 ||
                         matrix == heif_matrix_coefficients_ITU_R_BT_470_6_System_B_G ||
                         matrix == heif_matrix_coefficients_unspecified);
}

}  // namespace

uint8_t* BandBuffer::reserve(size_t size) {
    if (size > m_size) {
        m_bytes.reset();
        m_bytes.reset(new uint8_t[size]);
        m_size = size;
    }
    return m_bytes.get();
}

TilePipeline::TilePipeline(const std::vector<uint8_t>& file, heif_item_id id,
                           const heif_image_tiling& tiling, Crop crop, int threads,
                           const char* decoderId, int orientation, RowLayout layout)
    : m_file(file),
      m_id(id),
      m_decoderId(decoderId),
      m_tiling(tiling),
      m_crop(crop),
      m_swap(turning::swapsAxes(orientation)),
      m_flipX(turning::flipsX(orientation)),
      m_flipY(turning::flipsY(orientation)),
      m_width(m_swap ? crop.height : crop.width),
      m_height(m_swap ? crop.width : crop.height),
      m_layout(layout),
      m_stride(rowBytes(layout, m_width)),
      m_rowBytes(m_stride) {
    planBands();
    m_workers = std::max<uint32_t>(1, std::min<uint32_t>(uint32_t(threads), m_bands.size()));
    m_slots.resize(m_workers + 1);
    for (size_t i = 0; i < m_slots.size(); ++i) {
        m_slots[i].expectedBand = uint32_t(i);
    }
}

void TilePipeline::start() {
    for (uint32_t i = 0; i < m_workers; ++i) {
        m_threads.emplace_back(&TilePipeline::work, this, i);
    }
}

bool TilePipeline::transformRows(std::shared_ptr<const RowTransform> transform) {
    if (!m_threads.empty() || !transform || m_layout != RowLayout::Rgb) {
        return false;
    }
    m_rowBytes = transform->outputBytes();
    m_transform = std::move(transform);
    return true;
}

TilePipeline::~TilePipeline() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

// The rows or columns of tiles that meet the crop window, in the order of the turned rows.
void TilePipeline::planBands() {
    const uint32_t tileLength = m_swap ? m_tiling.tile_width : m_tiling.tile_height;
    const int start = m_swap ? m_crop.left : m_crop.top;
    const int length = m_swap ? m_crop.width : m_crop.height;
    const bool flip = m_swap ? m_flipX : m_flipY;
    if (tileLength == 0 || length <= 0) {
        return;
    }
    const uint32_t first = uint32_t(start) / tileLength;
    const uint32_t last = uint32_t(start + length - 1) / tileLength;
    for (uint32_t line = first; line <= last; ++line) {
        const int from = std::max(int(line * tileLength), start) - start;
        const int to = std::min(int((line + 1) * tileLength), start + length) - start;
        m_bands.push_back({line, flip ? length - to : from, to - from});
    }
    if (flip) {
        std::reverse(m_bands.begin(), m_bands.end());
    }
}

heif_error_code TilePipeline::error() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

bool TilePipeline::layoutRefused() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refused;
}

void TilePipeline::fail(heif_error_code code) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_error == heif_error_Ok) {
            m_error = code;
        }
    }
    m_changed.notify_all();
}

void TilePipeline::work(uint32_t firstBand) {
    std::unique_ptr<heif_context, ContextDeleter> ctx(heif_context_alloc());
    if (!ctx) {
        fail(heif_error_Memory_allocation_error);
        return;
    }
    heif_context_set_max_decoding_threads(ctx.get(), 0);
    heif_error err = heif_context_read_from_memory_without_copy(ctx.get(), m_file.data(),
                                                                m_file.size(), nullptr);
    heif_image_handle* rawHandle = nullptr;
    if (err.code == heif_error_Ok) {
        err = heif_context_get_image_handle(ctx.get(), m_id, &rawHandle);
    }
    std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    if (err.code != heif_error_Ok) {
        fail(err.code);
        return;
    }
    BandBuffer decoded;  // a band before its transform
    for (uint32_t index = firstBand; index < m_bands.size(); index += m_workers) {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            slot = &m_slots[index % m_slots.size()];
            m_changed.wait(lock, [&] {
                return m_stopping || m_error != heif_error_Ok ||
                       (slot->expectedBand == index && !slot->ready);
            });
            if (m_stopping || m_error != heif_error_Ok) {
                return;
            }
        }
        if (!fillSlot(handle.get(), m_bands[index], decoded, slot->pixels)) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            slot->ready = true;
        }
        m_changed.notify_all();
    }
}

// The stored pixels of the tile inside the crop window.
TilePipeline::Window TilePipeline::windowOf(const Tile& tile) const {
    const uint32_t right = std::min(tile.left + m_tiling.tile_width, m_tiling.image_width);
    const uint32_t bottom = std::min(tile.top + m_tiling.tile_height, m_tiling.image_height);
    return {std::max(int(tile.left), m_crop.left), std::min(int(right), m_crop.left + m_crop.width),
            std::max(int(tile.top), m_crop.top), std::min(int(bottom), m_crop.top + m_crop.height)};
}

// Copies the part of a decoded tile inside the crop window to its turned place in the band.
void TilePipeline::placeTile(const Tile& tile, const Band& band, uint8_t* pixels) const {
    const auto [x0, x1, y0, y1] = windowOf(tile);
    const auto in = [&](int x, int y) {
        return tile.planes[0] + size_t(y - int(tile.top)) * size_t(tile.strides[0]) +
               size_t(x - int(tile.left)) * kPixelBytes;
    };
    const auto along = [](int position, int length, bool flip) {
        return flip ? length - 1 - position : position;
    };
    if (!m_swap) {
        for (int y = y0; y < y1; ++y) {
            const int row = along(y - m_crop.top, m_crop.height, m_flipY) - band.firstRow;
            uint8_t* out = pixels + size_t(row) * m_stride;
            if (!m_flipX) {
                memcpy(out + size_t(x0 - m_crop.left) * kPixelBytes, in(x0, y),
                       size_t(x1 - x0) * kPixelBytes);
                continue;
            }
            for (int x = x0; x < x1; ++x) {
                memcpy(out + size_t(m_crop.width - 1 - (x - m_crop.left)) * kPixelBytes, in(x, y),
                       kPixelBytes);
            }
        }
        return;
    }
    // A stored column becomes a turned row.
    for (int x = x0; x < x1; ++x) {
        const int row = along(x - m_crop.left, m_crop.width, m_flipX) - band.firstRow;
        uint8_t* out = pixels + size_t(row) * m_stride;
        for (int y = y0; y < y1; ++y) {
            memcpy(out + size_t(along(y - m_crop.top, m_crop.height, m_flipY)) * kPixelBytes,
                   in(x, y), kPixelBytes);
        }
    }
}

// Copies the part of a decoded tile inside the crop window into the band's Ycc420 rows: each
// row's luma, then the chroma of its pair of rows. The window and the tiles start at even
// samples, so a pair of rows shares its chroma row.
void TilePipeline::placeYccTile(const Tile& tile, const Band& band, uint8_t* pixels) const {
    const auto [x0, x1, y0, y1] = windowOf(tile);
    const size_t chromaWidth = size_t((m_width + 1) / 2);
    const size_t chromaFrom = size_t(x0 - int(tile.left)) / 2;
    const size_t chromaCount = size_t(x1 - x0 + 1) / 2;
    for (int y = y0; y < y1; ++y) {
        const size_t inRow = size_t(y - int(tile.top));
        uint8_t* out = pixels + size_t(y - m_crop.top - band.firstRow) * m_stride;
        memcpy(out + (x0 - m_crop.left),
               tile.planes[0] + inRow * size_t(tile.strides[0]) + size_t(x0 - int(tile.left)),
               size_t(x1 - x0));
        for (int c = 1; c <= 2; ++c) {
            memcpy(
                out + size_t(m_width) + size_t(c - 1) * chromaWidth + size_t(x0 - m_crop.left) / 2,
                tile.planes[c] + inRow / 2 * size_t(tile.strides[c]) + chromaFrom, chromaCount);
        }
    }
}

// Decodes a band into the slot's pixels, through the transform when there is one.
bool TilePipeline::fillSlot(heif_image_handle* handle, const Band& band, BandBuffer& decoded,
                            BandBuffer& pixels) {
    try {
        pixels.reserve(m_rowBytes * size_t(band.rows));
        if (m_transform) {
            decoded.reserve(m_stride * size_t(band.rows));
        }
    } catch (const std::bad_alloc&) {
        fail(heif_error_Memory_allocation_error);
        return false;
    }
    if (!m_transform) {
        return decodeBand(handle, band, pixels.data());
    }
    if (!decodeBand(handle, band, decoded.data())) {
        return false;
    }
    m_transform->transform(decoded.data(), m_stride, band.rows, pixels.data());
    return true;
}

bool TilePipeline::decodeBand(heif_image_handle* handle, const Band& band, uint8_t* pixels) {
    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    options->decoder_id = m_decoderId;
    options->ignore_transformations = 1;
    options->convert_hdr_to_8bit = 1;
    const bool singleTile = m_tiling.num_columns == 1 && m_tiling.num_rows == 1;
    // The tiles across the band that meet the crop window.
    const uint32_t across = m_swap ? m_tiling.tile_height : m_tiling.tile_width;
    const int cropStart = m_swap ? m_crop.top : m_crop.left;
    const int cropLength = m_swap ? m_crop.height : m_crop.width;
    const uint32_t first = uint32_t(cropStart) / across;
    const uint32_t last = uint32_t(cropStart + cropLength - 1) / across;
    for (uint32_t index = first; index <= last; ++index) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping || m_error != heif_error_Ok) {
                return false;
            }
        }
        const uint32_t column = m_swap ? band.tileLine : index;
        const uint32_t tileRow = m_swap ? index : band.tileLine;
        const bool ycc = m_layout == RowLayout::Ycc420;
        const heif_colorspace colorspace = ycc ? heif_colorspace_YCbCr : heif_colorspace_RGB;
        const heif_chroma chroma = ycc ? heif_chroma_420 : heif_chroma_interleaved_RGB;
        heif_image* raw = nullptr;
        const heif_error err =
            singleTile ? heif_decode_image(handle, &raw, colorspace, chroma, options.get())
                       : heif_image_handle_decode_image_tile(handle, &raw, colorspace, chroma,
                                                             options.get(), column, tileRow);
        std::unique_ptr<heif_image, ImageDeleter> decoded(raw);
        if (err.code != heif_error_Ok || raw == nullptr) {
            fail(err.code == heif_error_Ok ? heif_error_Decoder_plugin_error : err.code);
            return false;
        }
        Tile tile{{}, {}, column * m_tiling.tile_width, tileRow * m_tiling.tile_height};
        if (!readTile(raw, tile)) {
            return false;
        }
        if (ycc) {
            placeYccTile(tile, band, pixels);
        } else {
            placeTile(tile, band, pixels);
        }
    }
    return true;
}

// Finds the tile's planes and checks that they cover its part of the grid.
bool TilePipeline::readTile(heif_image* decoded, Tile& tile) {
    const bool ycc = m_layout == RowLayout::Ycc420;
    if (ycc && !isJpegYcc(decoded)) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_refused = true;
        }
        fail(heif_error_Unsupported_feature);
        return false;
    }
    const heif_channel channels[3] = {ycc ? heif_channel_Y : heif_channel_interleaved,
                                      heif_channel_Cb, heif_channel_Cr};
    for (int i = 0; i < (ycc ? 3 : 1); ++i) {
        tile.planes[i] = heif_image_get_plane_readonly(decoded, channels[i], &tile.strides[i]);
        if (tile.planes[i] == nullptr) {
            fail(heif_error_Decoder_plugin_error);
            return false;
        }
    }
    const uint32_t tileWidth = uint32_t(std::max(0, heif_image_get_width(decoded, channels[0])));
    const uint32_t tileHeight = uint32_t(std::max(0, heif_image_get_height(decoded, channels[0])));
    if (tile.left >= m_tiling.image_width || tile.top >= m_tiling.image_height) {
        fail(heif_error_Decoder_plugin_error);
        return false;
    }
    const uint32_t columns = std::min(m_tiling.tile_width, m_tiling.image_width - tile.left);
    const uint32_t rows = std::min(m_tiling.tile_height, m_tiling.image_height - tile.top);
    if (tileWidth < columns || tileHeight < rows) {
        fail(heif_error_Decoder_plugin_error);  // a tile smaller than the grid says
        return false;
    }
    return true;
}

TilePipeline::Slot* TilePipeline::waitForBand(uint32_t band) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Slot* slot = &m_slots[band % m_slots.size()];
    m_changed.wait(lock, [&] {
        return m_error != heif_error_Ok || (slot->expectedBand == band && slot->ready);
    });
    return m_error == heif_error_Ok ? slot : nullptr;
}

void TilePipeline::releaseBand(uint32_t band) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Slot& slot = m_slots[band % m_slots.size()];
        slot.ready = false;
        slot.expectedBand = band + uint32_t(m_slots.size());
    }
    m_changed.notify_all();
}

const uint8_t* TilePipeline::row(int y) {
    if (y < 0 || y >= m_height || m_bands.empty()) {
        return nullptr;
    }
    if (m_threads.empty()) {
        start();
    }
    // Bands above the row are waited for and given back unread.
    while (m_heldBand < 0 ||
           m_bands[size_t(m_heldBand)].firstRow + m_bands[size_t(m_heldBand)].rows <= y) {
        if (m_heldBand >= 0) {
            if (waitForBand(uint32_t(m_heldBand)) == nullptr) {
                return nullptr;
            }
            releaseBand(uint32_t(m_heldBand));
        }
        ++m_heldBand;
    }
    Slot* slot = waitForBand(uint32_t(m_heldBand));
    if (slot == nullptr) {
        return nullptr;
    }
    const Band& band = m_bands[size_t(m_heldBand)];
    return slot->pixels.data() + size_t(y - band.firstRow) * m_rowBytes;
}
