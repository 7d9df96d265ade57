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

}  // namespace

TilePipeline::TilePipeline(const std::vector<uint8_t>& file, heif_item_id id,
                           const heif_image_tiling& tiling, Crop crop, int threads,
                           const char* decoderId)
    : m_file(file),
      m_id(id),
      m_decoderId(decoderId),
      m_tiling(tiling),
      m_crop(crop),
      m_workers(std::max<uint32_t>(1, std::min<uint32_t>(uint32_t(threads), tiling.num_rows))),
      m_stride(size_t(tiling.image_width) * 3),
      m_slots(m_workers + 1) {
    for (size_t i = 0; i < m_slots.size(); ++i) {
        m_slots[i].expectedRow = uint32_t(i);
    }
    for (uint32_t i = 0; i < m_workers; ++i) {
        m_threads.emplace_back(&TilePipeline::work, this, i);
    }
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

heif_error_code TilePipeline::error() const {
    std::lock_guard<std::mutex> lock(const_cast<std::mutex&>(m_mutex));
    return m_error;
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

void TilePipeline::work(uint32_t firstRow) {
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
    // A tile may claim more rows than the picture has; only the picture's rows are kept.
    const size_t slotBytes = m_stride * std::min(m_tiling.tile_height, m_tiling.image_height);
    for (uint32_t tileRow = firstRow; tileRow < m_tiling.num_rows; tileRow += m_workers) {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            slot = &m_slots[tileRow % m_slots.size()];
            m_changed.wait(lock, [&] {
                return m_stopping || m_error != heif_error_Ok ||
                       (slot->expectedRow == tileRow && !slot->ready);
            });
            if (m_stopping || m_error != heif_error_Ok) {
                return;
            }
        }
        try {
            slot->pixels.resize(slotBytes);
        } catch (const std::bad_alloc&) {
            fail(heif_error_Memory_allocation_error);
            return;
        }
        if (!decodeRow(handle.get(), tileRow, slot->pixels)) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            slot->ready = true;
        }
        m_changed.notify_all();
    }
}

bool TilePipeline::decodeRow(heif_image_handle* handle, uint32_t tileRow,
                             std::vector<uint8_t>& pixels) {
    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    options->decoder_id = m_decoderId;
    options->ignore_transformations = 1;
    options->convert_hdr_to_8bit = 1;
    const bool singleTile = m_tiling.num_columns == 1 && m_tiling.num_rows == 1;
    const uint32_t rowTop = tileRow * m_tiling.tile_height;
    const uint32_t rowHeight = std::min(m_tiling.tile_height, m_tiling.image_height - rowTop);
    for (uint32_t column = 0; column < m_tiling.num_columns; ++column) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping || m_error != heif_error_Ok) {
                return false;
            }
        }
        heif_image* raw = nullptr;
        const heif_error err =
            singleTile ? heif_decode_image(handle, &raw, heif_colorspace_RGB,
                                           heif_chroma_interleaved_RGB, options.get())
                       : heif_image_handle_decode_image_tile(handle, &raw, heif_colorspace_RGB,
                                                             heif_chroma_interleaved_RGB,
                                                             options.get(), column, tileRow);
        std::unique_ptr<heif_image, ImageDeleter> tile(raw);
        if (err.code != heif_error_Ok || raw == nullptr) {
            fail(err.code == heif_error_Ok ? heif_error_Decoder_plugin_error : err.code);
            return false;
        }
        int tileStride = 0;
        const uint8_t* plane =
            heif_image_get_plane_readonly(raw, heif_channel_interleaved, &tileStride);
        const uint32_t tileWidth =
            uint32_t(std::max(0, heif_image_get_width(raw, heif_channel_interleaved)));
        const uint32_t tileHeight =
            uint32_t(std::max(0, heif_image_get_height(raw, heif_channel_interleaved)));
        const uint32_t left = column * m_tiling.tile_width;
        if (plane == nullptr || left >= m_tiling.image_width) {
            fail(heif_error_Decoder_plugin_error);
            return false;
        }
        const uint32_t columns = std::min(m_tiling.tile_width, m_tiling.image_width - left);
        if (tileWidth < columns || tileHeight < rowHeight) {
            fail(heif_error_Decoder_plugin_error);  // a tile smaller than the grid says
            return false;
        }
        for (uint32_t y = 0; y < rowHeight; ++y) {
            memcpy(pixels.data() + y * m_stride + size_t(left) * 3,
                   plane + size_t(y) * size_t(tileStride), size_t(columns) * 3);
        }
    }
    return true;
}

TilePipeline::Slot* TilePipeline::waitForRow(uint32_t tileRow) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Slot* slot = &m_slots[tileRow % m_slots.size()];
    m_changed.wait(lock, [&] {
        return m_error != heif_error_Ok || (slot->expectedRow == tileRow && slot->ready);
    });
    return m_error == heif_error_Ok ? slot : nullptr;
}

void TilePipeline::releaseRow(uint32_t tileRow) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Slot& slot = m_slots[tileRow % m_slots.size()];
        slot.ready = false;
        slot.expectedRow = tileRow + uint32_t(m_slots.size());
    }
    m_changed.notify_all();
}

const uint8_t* TilePipeline::row(int y) {
    if (y < 0 || y >= m_crop.height) {
        return nullptr;
    }
    const uint32_t storedRow = uint32_t(y + m_crop.top);
    const uint32_t tileRow = storedRow / m_tiling.tile_height;
    // Rows of tiles above the crop window are taken and given back unread.
    while (m_heldRow < int64_t(tileRow)) {
        if (m_heldRow >= 0) {
            releaseRow(uint32_t(m_heldRow));
        }
        ++m_heldRow;
        if (m_heldRow < int64_t(tileRow) && waitForRow(uint32_t(m_heldRow)) == nullptr) {
            return nullptr;
        }
    }
    Slot* slot = waitForRow(tileRow);
    if (slot == nullptr) {
        return nullptr;
    }
    const uint32_t inRow = storedRow - tileRow * m_tiling.tile_height;
    return slot->pixels.data() + size_t(inRow) * m_stride + size_t(m_crop.left) * 3;
}
