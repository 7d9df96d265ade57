#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Resizes a picture row by row with a separable Lanczos-3 filter (widened by the shrink factor):
// source rows are kept in a ring just deep enough for the filter down the columns, and each
// output row is filtered down, then across, so neither the source nor the result is held whole.
// Samples are 8 or 16 bits, interleaved; with four channels the fourth is alpha, and colours are
// filtered weighted by it.
class RowResampler {
public:
    // Hands out source row y, top to bottom, each row at most once (rows no output row needs
    // are skipped); null when it cannot be had.
    using SourceRows = std::function<const void*(int y)>;

    RowResampler(int sourceWidth, int sourceHeight, int width, int height, int channels,
                 int bytesPerSample, SourceRows source);

    // Output row y (asked for top to bottom, from any row on), valid until the next call; null
    // when a source row could not be had.
    const void* row(int y);

private:
    // The filter along one axis: for each output position, count weights for the source
    // pixels from its first one on (weights past an edge folded onto the edge pixel).
    struct Taps {
        std::vector<int> first;
        std::vector<float> weights;
        int count = 0;
    };

    static Taps tapsFor(int sourceLength, int length);
    bool fillRing(int lastSourceRow);
    template <typename Sample>
    void keepRow(const Sample* __restrict in, float* __restrict out) const;
    void filterDown(int y);
    template <int Channels, typename Sample>
    void filterAcross(const float* in, Sample* out) const;
    template <typename Sample>
    void filterAcross(const float* in, Sample* out) const;

    const int m_width;
    const int m_channels;
    const int m_bytesPerSample;
    const SourceRows m_source;
    const Taps m_across;
    const Taps m_down;
    const int m_ringRows;
    std::vector<float> m_column;  // one row filtered down, at the source's width, four floats
                                  // a pixel
    std::vector<float> m_ring;    // source rows as floats, row y at slot y % m_ringRows
    int m_nextSourceRow = 0;
    std::vector<uint8_t> m_out;
};
