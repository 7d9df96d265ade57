#pragma once

#include <QByteArray>

#include <functional>

// The layout of a PNG to write: 8 or 16 bits per sample, RGB or RGBA (alpha not premultiplied).
struct PngLayout {
    int width = 0;
    int height = 0;
    int channels = 3;  // 3 or 4
    int bitDepth = 8;  // 8 or 16; 16-bit samples are handed over big-endian, as PNG stores them
    QByteArray icc;    // embedded as iCCP when it is an RGB profile
};

// Hands out row y of the picture, top to bottom, each row once; valid until the next call.
// Null when the pixels cannot be had.
using PngRowSource = std::function<const uchar*(int y)>;

// Takes the file's bytes in order, a few megabytes at a time; false to give up.
using PngSink = std::function<bool(const QByteArray& bytes)>;

// Encodes a lossless PNG: each row with the filter that suits it best, deflated at a fast level
// in bands on all cores (each band a deflate stream of its own ending in a full flush, their
// Adler-32 sums combined), each band's data one IDAT chunk handed to the sink as it is done.
// False when a row cannot be had, memory runs out or the sink gives up.
bool encodePng(const PngLayout& layout, const PngRowSource& rows, const PngSink& sink);
