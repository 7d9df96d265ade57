#pragma once

#include "jpegwriter.h"
#include "ztconfig.h"

#include <QByteArray>
#include <QSize>

#include <functional>
#include <memory>

// Where an encoder's bytes go.
class EncodedOutput {
public:
    virtual ~EncodedOutput() = default;
    // Appends bytes after the last ones; false when they could not be written.
    virtual bool append(const char* data, qint64 size) = 0;
    // Writes bytes at an offset from the start, the output growing as needed.
    virtual bool writeAt(qint64 offset, const char* data, qint64 size) = 0;
};

// The bytes kept in memory.
class MemoryOutput : public EncodedOutput {
public:
    bool append(const char* data, qint64 size) override;
    bool writeAt(qint64 offset, const char* data, qint64 size) override;
    QByteArray bytes;
};

// A picture handed out as rows.
struct RowPicture {
    int width = 0;
    int height = 0;
    int channels = 3;        // 3 (RGB) or 4 (RGBA, alpha not premultiplied), interleaved
    int bytesPerSample = 1;  // 1, or 2 (native byte order)
    QByteArray icc;          // colour profile; empty for sRGB
    // Row y, asked for top to bottom, each at most once; valid until the next call; null when
    // it cannot be had.
    std::function<const void*(int y)> rows;
    // When set: has the rows handed out go through a transform where they are made, before
    // the first row; false when they cannot.
    std::function<bool(std::shared_ptr<const RowTransform>)> transformAtSource;
};

// Encodes the picture, resized to size with a Lanczos-3 filter on this thread when it has
// another size, row by row into out: PNG lossless (16 bits and alpha kept), BMP (24 bits,
// bottom-up) and JPG at quality, both laid over white where transparent. The colour profile
// is embedded in PNG and JPG. False when a row cannot be had, memory runs out or out fails.
bool encodeRows(const RowPicture& picture, const QSize& size, ConvertFormat format, int quality,
                EncodedOutput& out);
