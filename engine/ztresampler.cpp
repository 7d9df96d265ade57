#include "ztresampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr double kLobes = 3.0;
constexpr double kPi = 3.14159265358979323846;

double sinc(double x) {
    return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

double lanczos(double x) {
    return std::abs(x) < kLobes ? sinc(x) * sinc(x / kLobes) : 0.0;
}

template <typename Sample>
constexpr float kMaxSample = float((1u << (8 * sizeof(Sample))) - 1u);

// Floats kept per pixel: RGB padded to four, so that a pixel is one vector.
constexpr size_t kLanes = 4;
using Pixel = float __attribute__((vector_size(16)));

template <typename Sample>
Sample clampedSample(float value) {
    return Sample(std::clamp(value + 0.5f, 0.0f, kMaxSample<Sample>));
}

}  // namespace

RowResampler::RowResampler(int sourceWidth, int sourceHeight, int width, int height, int channels,
                           int bytesPerSample, SourceRows source)
    : m_width(width),
      m_channels(channels),
      m_bytesPerSample(bytesPerSample),
      m_source(std::move(source)),
      m_across(tapsFor(sourceWidth, width)),
      m_down(tapsFor(sourceHeight, height)),
      m_ringRows(std::min(m_down.count + 1, sourceHeight)),
      m_column(size_t(sourceWidth) * kLanes),
      m_ring(size_t(m_ringRows) * m_column.size()),
      m_out(size_t(width) * size_t(channels) * size_t(bytesPerSample)) {}

// Positions are taken at pixel centres; taps past an edge repeat the edge pixel.
RowResampler::Taps RowResampler::tapsFor(int sourceLength, int length) {
    const double scale = double(sourceLength) / double(length);
    const double stretch = std::max(1.0, scale);
    const double reach = kLobes * stretch;
    Taps taps;
    const int span = 2 * int(std::ceil(reach));
    taps.count = std::min(span, sourceLength);
    taps.first.resize(size_t(length));
    taps.weights.assign(size_t(length) * size_t(taps.count), 0.0f);
    std::vector<double> folded(size_t(taps.count));
    for (int i = 0; i < length; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int start = int(std::floor(centre - reach)) + 1;
        const int first = std::clamp(start, 0, sourceLength - taps.count);
        std::fill(folded.begin(), folded.end(), 0.0);
        double sum = 0.0;
        for (int t = 0; t < span; ++t) {
            const double weight = lanczos((start + t - centre) / stretch);
            folded[size_t(std::clamp(start + t, 0, sourceLength - 1) - first)] += weight;
            sum += weight;
        }
        taps.first[size_t(i)] = first;
        float* weights = &taps.weights[size_t(i) * size_t(taps.count)];
        for (int t = 0; t < taps.count; ++t) {
            weights[t] = float(folded[size_t(t)] / sum);
        }
    }
    return taps;
}

template <int Channels, typename Sample>
void RowResampler::filterAcross(const float* in, Sample* out) const {
    const int count = m_across.count;
    const float* weights = m_across.weights.data();
    for (int x = 0; x < m_width; ++x, out += Channels, weights += count) {
        const float* pixel = in + size_t(m_across.first[size_t(x)]) * kLanes;
        Pixel sum = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int t = 0; t < count; ++t, pixel += kLanes) {
            Pixel value;
            memcpy(&value, pixel, sizeof value);
            sum += weights[t] * value;
        }
        float sums[kLanes];
        memcpy(sums, &sum, sizeof sums);
        if (Channels == 4) {
            // Colours were weighted by their alpha: a transparent pixel's colour adds nothing.
            const float alpha = std::clamp(sums[3], 0.0f, kMaxSample<Sample>);
            const float undo = alpha > 0.0f ? kMaxSample<Sample> / alpha : 0.0f;
            for (int c = 0; c < 3; ++c) {
                sums[c] *= undo;
            }
        }
        for (int c = 0; c < Channels; ++c) {
            out[c] = clampedSample<Sample>(sums[c]);
        }
    }
}

template <typename Sample>
void RowResampler::filterAcross(const float* in, Sample* out) const {
    if (m_channels == 4) {
        filterAcross<4>(in, out);
    } else {
        filterAcross<3>(in, out);
    }
}

void RowResampler::filterDown(int y) {
    const size_t rowFloats = m_column.size();
    const int first = m_down.first[size_t(y)];
    const float* weights = &m_down.weights[size_t(y) * size_t(m_down.count)];
    std::fill(m_column.begin(), m_column.end(), 0.0f);
    float* __restrict sums = m_column.data();
    for (int t = 0; t < m_down.count; ++t) {
        const float* __restrict in = &m_ring[size_t((first + t) % m_ringRows) * rowFloats];
        const float weight = weights[t];
        for (size_t i = 0; i < rowFloats; ++i) {
            sums[i] += weight * in[i];
        }
    }
}

template <typename Sample>
void RowResampler::keepRow(const Sample* __restrict in, float* __restrict out) const {
    if (m_channels != 4) {
        for (size_t i = 0; i < m_column.size(); i += kLanes, in += 3) {
            out[i] = float(in[0]);
            out[i + 1] = float(in[1]);
            out[i + 2] = float(in[2]);
            out[i + 3] = 0.0f;
        }
        return;
    }
    // Colours premultiplied by alpha, so that filtering weighs pixels by their opacity.
    constexpr float kScale = 1.0f / kMaxSample<Sample>;
    for (size_t i = 0; i < m_column.size(); i += 4) {
        const float alpha = float(in[i + 3]);
        for (size_t c = 0; c < 3; ++c) {
            out[i + c] = float(in[i + c]) * alpha * kScale;
        }
        out[i + 3] = alpha;
    }
}

// Keeps source rows as floats in the ring until it holds lastSourceRow.
bool RowResampler::fillRing(int lastSourceRow) {
    for (; m_nextSourceRow <= lastSourceRow; ++m_nextSourceRow) {
        const void* in = m_source(m_nextSourceRow);
        if (in == nullptr) {
            return false;
        }
        float* out = &m_ring[size_t(m_nextSourceRow % m_ringRows) * m_column.size()];
        if (m_bytesPerSample == 2) {
            keepRow(static_cast<const uint16_t*>(in), out);
        } else {
            keepRow(static_cast<const uint8_t*>(in), out);
        }
    }
    return true;
}

const void* RowResampler::row(int y) {
    m_nextSourceRow = std::max(m_nextSourceRow, m_down.first[size_t(y)]);
    if (!fillRing(m_down.first[size_t(y)] + m_down.count - 1)) {
        return nullptr;
    }
    filterDown(y);
    if (m_bytesPerSample == 2) {
        filterAcross(m_column.data(), reinterpret_cast<uint16_t*>(m_out.data()));
    } else {
        filterAcross(m_column.data(), m_out.data());
    }
    return m_out.data();
}
