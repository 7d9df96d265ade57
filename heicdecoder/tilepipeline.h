#pragma once

#include "jpegwriter.h"

#include <libheif/heif.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What an EXIF orientation (1..8) asks of the stored picture's pixels.
namespace turning {
// A quarter turn: turned rows come from stored columns.
inline bool swapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}
// Stored columns run right to left.
inline bool flipsX(int orientation) {
    return orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
}
// Stored rows run bottom to top.
inline bool flipsY(int orientation) {
    return orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
}
}  // namespace turning

// The bytes of a band, left unset: each is written before it is read.
class BandBuffer {
public:
    // At least size bytes; what they held before is dropped. Throws std::bad_alloc.
    uint8_t* reserve(size_t size);
    uint8_t* data() const { return m_bytes.get(); }

private:
    std::unique_ptr<uint8_t[]> m_bytes;
    size_t m_size = 0;
};

// Decodes a stored (untransformed) picture one band of tiles at a time on worker threads and
// hands out its rows, inside a crop window, turned by an EXIF orientation. Without a quarter
// turn a band is a row of tiles; with one it is a column of tiles, whose columns become rows.
// Only a few bands are in memory at once, and the caller works while the next ones decode.
// The workers start at the first row asked for. Rows come as RGB, or with RowLayout::Ycc420 as
// the decoder's own 4:2:0 planes (as stored, the crop window at even offsets, tiles of even size).
class TilePipeline : public RgbRowSource {
public:
    struct Crop {
        int left = 0, top = 0, width = 0, height = 0;
    };

    // decoderId names the HEVC decoder plugin to use; null for libheif's choice. orientation
    // (1..8) is the EXIF orientation the rows are turned by (1: as stored).
    TilePipeline(const std::vector<uint8_t>& file, heif_item_id id, const heif_image_tiling& tiling,
                 Crop crop, int threads, const char* decoderId, int orientation = 1,
                 RowLayout layout = RowLayout::Rgb);
    ~TilePipeline() override;
    TilePipeline(const TilePipeline&) = delete;
    TilePipeline& operator=(const TilePipeline&) = delete;

    // Row y of the turned crop window, asked for top to bottom.
    const uint8_t* row(int y) override;
    bool transformRows(std::shared_ptr<const RowTransform> transform) override;
    int width() const { return m_width; }
    int height() const { return m_height; }
    // heif_error_Ok, or the first error a worker met.
    heif_error_code error() const;
    // With Ycc420: a tile's samples are not JPEG's YCbCr, and the rows are to be had as RGB.
    bool layoutRefused() const;

private:
    // One band: a row or column of tiles, as turned rows [firstRow, firstRow + rows).
    struct Band {
        uint32_t tileLine = 0;
        int firstRow = 0;
        int rows = 0;
    };
    struct Slot {
        BandBuffer pixels;
        uint32_t expectedBand = 0;  // the band this slot holds next
        bool ready = false;
    };
    struct Tile {
        const uint8_t* planes[3];  // RGB in the first; or Y, Cb and Cr
        int strides[3];
        uint32_t left, top;  // of the tile in the stored picture
    };

    void planBands();
    void start();
    void work(uint32_t firstBand);
    bool decodeBand(heif_image_handle* handle, const Band& band, uint8_t* pixels);
    bool fillSlot(heif_image_handle* handle, const Band& band, BandBuffer& decoded,
                  BandBuffer& pixels);
    struct Window {
        int x0, x1, y0, y1;  // stored columns [x0, x1) and rows [y0, y1)
    };

    bool readTile(heif_image* decoded, Tile& tile);
    Window windowOf(const Tile& tile) const;
    void placeTile(const Tile& tile, const Band& band, uint8_t* pixels) const;
    void placeYccTile(const Tile& tile, const Band& band, uint8_t* pixels) const;
    void fail(heif_error_code code);
    Slot* waitForBand(uint32_t band);
    void releaseBand(uint32_t band);

    const std::vector<uint8_t>& m_file;
    const heif_item_id m_id;
    const char* const m_decoderId;
    const heif_image_tiling m_tiling;
    const Crop m_crop;
    const bool m_swap;   // rows come from stored columns
    const bool m_flipX;  // stored columns run right to left
    const bool m_flipY;  // stored rows run bottom to top
    const int m_width;
    const int m_height;
    const RowLayout m_layout;
    const size_t m_stride;
    std::shared_ptr<const RowTransform> m_transform;  // set before the workers start
    size_t m_rowBytes;                                // of a handed-out row
    std::vector<Band> m_bands;
    uint32_t m_workers = 1;

    std::vector<Slot> m_slots;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    heif_error_code m_error = heif_error_Ok;
    bool m_refused = false;
    bool m_stopping = false;
    int64_t m_heldBand = -1;
    std::vector<std::thread> m_threads;
};
