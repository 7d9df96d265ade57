#pragma once

#include "jpegwriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The filter along one axis of a separable Lanczos-3 resize (widened by the shrink factor): for
// each output position, count weights for the source pixels from its first one on (weights past
// an edge folded onto the edge pixel).
struct ResampleTaps {
    ResampleTaps(int sourceLength, int length);

    std::vector<int> first;
    std::vector<float> weights;
    int count = 0;
};

// Filters source rows across to the output width: samples of 8 or 16 bits, interleaved, become
// floats, a pixel's channels side by side; with four channels the fourth is alpha, and colours
// come out multiplied by it. Safe to use from several threads at once.
class AcrossFilter : public RowTransform {
public:
    AcrossFilter(int sourceWidth, int width, int channels, int bytesPerSample);

    int width() const { return m_width; }
    int channels() const { return m_channels; }
    int bytesPerSample() const { return m_bytesPerSample; }
    // Floats of one filtered row.
    size_t rowFloats() const { return size_t(m_width) * size_t(m_channels); }

    size_t outputBytes() const override { return rowFloats() * sizeof(float); }
    void transform(const uint8_t* rows, size_t stride, int count, uint8_t* out) const override;
    // One row; scratch holds a source row as floats between calls.
    void filterRow(const void* in, float* out, std::vector<float>& scratch) const;

private:
    template <typename Sample>
    void keepRow(const Sample* __restrict in, float* __restrict out) const;
    template <int Channels>
    void filterKeptRow(const float* in, float* out) const;

    const int m_sourceWidth;
    const int m_width;
    const int m_channels;
    const int m_bytesPerSample;
    const ResampleTaps m_taps;
};

// Resizes a picture row by row: source rows, filtered across, are kept in a ring just deep
// enough for the filter down the columns, so neither the source nor the result is held whole.
class RowResampler {
public:
    // Hands out source row y, top to bottom, each row at most once (rows no output row needs
    // are skipped); null when it cannot be had.
    using SourceRows = std::function<const void*(int y)>;

    // With filteredAtSource, the source hands out rows that went through across already.
    RowResampler(std::shared_ptr<const AcrossFilter> across, int sourceHeight, int height,
                 bool filteredAtSource, SourceRows source);

    // Output row y (asked for top to bottom, from any row on), valid until the next call; null
    // when a source row could not be had.
    const void* row(int y);

private:
    bool fillRing(int lastSourceRow);
    void filterDown(int y);
    template <typename Sample>
    void toSamples(Sample* out) const;

    const std::shared_ptr<const AcrossFilter> m_across;
    const bool m_filteredAtSource;
    const SourceRows m_source;
    const ResampleTaps m_down;
    const int m_ringRows;
    std::vector<float> m_column;       // one output row, filtered both ways
    std::vector<float> m_ring;         // filtered source rows, row y at slot y % m_ringRows
    std::vector<const float*> m_taps;  // the ring's rows an output row sums
    std::vector<float> m_scratch;      // a source row as floats, when filtered here
    int m_nextSourceRow = 0;
    std::vector<uint8_t> m_out;
};
