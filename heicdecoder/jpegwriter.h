#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Work on rows, done where the rows are made: each row becomes outputBytes() bytes of another
// layout. Called from several threads at once.
class RowTransform {
public:
    virtual ~RowTransform() = default;
    virtual size_t outputBytes() const = 0;
    // count rows, stride bytes apart, into out, outputBytes() apart.
    virtual void transform(const uint8_t* rows, size_t stride, int count, uint8_t* out) const = 0;
};

// Hands out interleaved 8-bit RGB rows, top to bottom, each row once.
class RgbRowSource {
public:
    virtual ~RgbRowSource() = default;
    // Row y of the picture, valid until the next call; null when the pixels cannot be had.
    virtual const uint8_t* row(int y) = 0;
    // Before the first row: has row() hand out rows that went through transform, on the
    // source's own threads. False when the source does not do that.
    virtual bool transformRows(std::shared_ptr<const RowTransform> /*transform*/) { return false; }
};

// How the rows handed to the JPEG writer are laid out.
enum class RowLayout {
    Rgb,  // interleaved 8-bit RGB
    // JPEG's own YCbCr (full-range BT.601) with chroma halved both ways: each row holds its luma
    // samples, then the Cb and then the Cr samples of its pair of rows, (width + 1) / 2 each.
    Ycc420,
};

struct JpegMetadata {
    const std::vector<uint8_t>* exifTiff = nullptr;  // written as APP1 "Exif\0\0" when it fits
    const uint8_t* icc = nullptr;                    // written as APP2 ICC_PROFILE segments
    size_t iccSize = 0;
};

// Largest TIFF block that one APP1 segment carries after its "Exif\0\0" prefix.
constexpr size_t kMaxApp1Tiff = 65533 - 6;

// Encodes the rows as a baseline 4:2:0 JPEG into a malloc buffer owned by the caller.
// Returns false (and no buffer) on any libjpeg error or when memory runs out.
bool encodeJpeg(int width, int height, RgbRowSource& rows, int quality, const JpegMetadata& meta,
                unsigned char** out, size_t* outSize, RowLayout layout = RowLayout::Rgb);

// Takes encoded bytes in order; false to give up.
using JpegSink = std::function<bool(const uint8_t* data, size_t size)>;

// The same, the bytes handed to sink as they are made.
bool encodeJpegTo(int width, int height, RgbRowSource& rows, int quality, const JpegMetadata& meta,
                  const JpegSink& sink);
