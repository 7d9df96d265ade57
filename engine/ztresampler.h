#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <vector>

// Resizes a picture row by row with a separable Lanczos-3 filter (widened by the shrink factor):
// each source row is filtered across as it arrives and kept in a ring just deep enough for the
// filter down the columns, so neither the source nor the result has to be held whole.
// Samples are 8 or 16 bits, interleaved, channels each filtered on their own.
class RowResampler {
public:
    // Hands out source row y, top to bottom, each row once; null when it cannot be had.
    using SourceRows = std::function<const void*(int y)>;

    RowResampler(int sourceWidth, int sourceHeight, int width, int height, int channels,
                 int bytesPerSample, SourceRows source);

    // Output row y (asked for top to bottom), valid until the next call; null when a source
    // row could not be had.
    const void* row(int y);

private:
    // The filter along one axis: for each output position, count source indices (edges
    // repeated) and their weights.
    struct Taps {
        std::vector<int> index;
        std::vector<float> weights;
        int count = 0;
    };

    static Taps tapsFor(int sourceLength, int length);
    bool fillRing(int lastSourceRow);
    template <typename Sample>
    void filterAcross(const Sample* in, float* out) const;
    template <typename Sample>
    void filterDown(int y, Sample* out) const;

    const int m_width;
    const int m_channels;
    const int m_bytesPerSample;
    const SourceRows m_source;
    const Taps m_across;
    const Taps m_down;
    const int m_ringRows;
    std::vector<float> m_ring;  // rows filtered across, source row y at slot y % m_ringRows
    int m_nextSourceRow = 0;
    std::vector<uint8_t> m_out;
};

// The picture resized to size with RowResampler; the same picture when it has that size
// already, a null picture when memory runs out. 8-bit RGB(A) and 64-bit pictures keep their
// format; others become 8-bit RGB(A) first.
QImage resampled(const QImage& image, const QSize& size);
