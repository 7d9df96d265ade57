#pragma once

#include "jpegwriter.h"

#include <libheif/heif.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Decodes a stored (untransformed) picture one row of tiles at a time on worker threads and
// hands its rows, inside a crop window, to the JPEG encoder. Only a few rows of tiles are in
// memory at once, and the encoder works while the next tiles decode.
class TilePipeline : public RgbRowSource {
public:
    struct Crop {
        int left = 0, top = 0, width = 0, height = 0;
    };

    // decoderId names the HEVC decoder plugin to use; null for libheif's choice.
    TilePipeline(const std::vector<uint8_t>& file, heif_item_id id, const heif_image_tiling& tiling,
                 Crop crop, int threads, const char* decoderId);
    ~TilePipeline() override;
    TilePipeline(const TilePipeline&) = delete;
    TilePipeline& operator=(const TilePipeline&) = delete;

    const uint8_t* row(int y) override;
    // heif_error_Ok, or the first error a worker met.
    heif_error_code error() const;

private:
    struct Slot {
        std::vector<uint8_t> pixels;
        uint32_t expectedRow = 0;  // the row of tiles this slot holds next
        bool ready = false;
    };

    void work(uint32_t firstRow);
    bool decodeRow(heif_image_handle* handle, uint32_t tileRow, std::vector<uint8_t>& pixels);
    void fail(heif_error_code code);
    Slot* waitForRow(uint32_t tileRow);
    void releaseRow(uint32_t tileRow);

    const std::vector<uint8_t>& m_file;
    const heif_item_id m_id;
    const char* const m_decoderId;
    const heif_image_tiling m_tiling;
    const Crop m_crop;
    const uint32_t m_workers;
    const size_t m_stride;

    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    heif_error_code m_error = heif_error_Ok;
    bool m_stopping = false;
    int64_t m_heldRow = -1;
    std::vector<std::thread> m_threads;
};
