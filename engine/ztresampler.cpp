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

// Positions are taken at pixel centres; taps past an edge repeat the edge pixel.
ResampleTaps::ResampleTaps(int sourceLength, int length) {
    const double scale = double(sourceLength) / double(length);
    const double stretch = std::max(1.0, scale);
    const double reach = kLobes * stretch;
    const int span = 2 * int(std::ceil(reach));
    count = std::min(span, sourceLength);
    first.resize(size_t(length));
    weights.assign(size_t(length) * size_t(count), 0.0f);
    std::vector<double> folded(static_cast<size_t>(count));
    for (int i = 0; i < length; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int start = int(std::floor(centre - reach)) + 1;
        const int from = std::clamp(start, 0, sourceLength - count);
        std::fill(folded.begin(), folded.end(), 0.0);
        double sum = 0.0;
        for (int t = 0; t < span; ++t) {
            const double weight = lanczos((start + t - centre) / stretch);
            folded[size_t(std::clamp(start + t, 0, sourceLength - 1) - from)] += weight;
            sum += weight;
        }
        first[size_t(i)] = from;
        float* row = &weights[size_t(i) * size_t(count)];
        for (int t = 0; t < count; ++t) {
            row[t] = float(folded[size_t(t)] / sum);
        }
    }
}

AcrossFilter::AcrossFilter(int sourceWidth, int width, int channels, int bytesPerSample)
    : m_sourceWidth(sourceWidth),
      m_width(width),
      m_channels(channels),
      m_bytesPerSample(bytesPerSample),
      m_taps(sourceWidth, width) {}

// A source row as floats, four a pixel so that a pixel is one vector; with alpha, colours
// multiplied by it, so that filtering weighs pixels by their opacity.
template <typename Sample>
void AcrossFilter::keepRow(const Sample* __restrict in, float* __restrict out) const {
    const size_t floats = size_t(m_sourceWidth) * kLanes;
    if (m_channels != 4) {
        for (size_t i = 0; i < floats; i += kLanes, in += 3) {
            out[i] = float(in[0]);
            out[i + 1] = float(in[1]);
            out[i + 2] = float(in[2]);
            out[i + 3] = 0.0f;
        }
        return;
    }
    constexpr float kScale = 1.0f / kMaxSample<Sample>;
    for (size_t i = 0; i < floats; i += 4) {
        const float alpha = float(in[i + 3]);
        for (size_t c = 0; c < 3; ++c) {
            out[i + c] = float(in[i + c]) * alpha * kScale;
        }
        out[i + 3] = alpha;
    }
}

template <int Channels>
void AcrossFilter::filterKeptRow(const float* in, float* out) const {
    const int count = m_taps.count;
    const float* weights = m_taps.weights.data();
    for (int x = 0; x < m_width; ++x, out += Channels, weights += count) {
        const float* pixel = in + size_t(m_taps.first[size_t(x)]) * kLanes;
        // Two sums, so that each addition need not wait for the one before.
        Pixel even = {0.0f, 0.0f, 0.0f, 0.0f};
        Pixel odd = even;
        int t = 0;
        for (; t + 1 < count; t += 2, pixel += 2 * kLanes) {
            Pixel first;
            Pixel second;
            memcpy(&first, pixel, sizeof first);
            memcpy(&second, pixel + kLanes, sizeof second);
            even += weights[t] * first;
            odd += weights[t + 1] * second;
        }
        if (t < count) {
            Pixel last;
            memcpy(&last, pixel, sizeof last);
            even += weights[t] * last;
        }
        const Pixel sum = even + odd;
        for (int c = 0; c < Channels; ++c) {
            out[c] = sum[c];
        }
    }
}

void AcrossFilter::filterRow(const void* in, float* out, std::vector<float>& scratch) const {
    scratch.resize(size_t(m_sourceWidth) * kLanes);
    if (m_bytesPerSample == 2) {
        keepRow(static_cast<const uint16_t*>(in), scratch.data());
    } else {
        keepRow(static_cast<const uint8_t*>(in), scratch.data());
    }
    if (m_channels == 4) {
        filterKeptRow<4>(scratch.data(), out);
    } else {
        filterKeptRow<3>(scratch.data(), out);
    }
}

void AcrossFilter::transform(const uint8_t* rows, size_t stride, int count, uint8_t* out) const {
    std::vector<float> scratch;
    for (int y = 0; y < count; ++y, rows += stride, out += outputBytes()) {
        filterRow(rows, reinterpret_cast<float*>(out), scratch);  // rows of whole floats
    }
}

RowResampler::RowResampler(std::shared_ptr<const AcrossFilter> across, int sourceHeight, int height,
                           bool filteredAtSource, SourceRows source)
    : m_across(std::move(across)),
      m_filteredAtSource(filteredAtSource),
      m_source(std::move(source)),
      m_down(sourceHeight, height),
      m_ringRows(std::min(m_down.count + 1, sourceHeight)),
      m_column(m_across->rowFloats()),
      m_ring(size_t(m_ringRows) * m_column.size()),
      m_taps(size_t(m_down.count)),
      m_out(m_column.size() * size_t(m_across->bytesPerSample())) {}

// Sums the taps a block of floats at a time, so that the sums stay in registers.
void RowResampler::filterDown(int y) {
    constexpr size_t kBlock = 4 * kLanes;
    const size_t rowFloats = m_column.size();
    const int first = m_down.first[size_t(y)];
    const float* weights = &m_down.weights[size_t(y) * size_t(m_down.count)];
    for (int t = 0; t < m_down.count; ++t) {
        m_taps[size_t(t)] = &m_ring[size_t((first + t) % m_ringRows) * rowFloats];
    }
    float* out = m_column.data();
    size_t i = 0;
    for (; i + kBlock <= rowFloats; i += kBlock) {
        Pixel sums[4] = {};
        for (int t = 0; t < m_down.count; ++t) {
            const float* in = m_taps[size_t(t)] + i;
            for (size_t v = 0; v < 4; ++v) {
                Pixel value;
                memcpy(&value, in + v * kLanes, sizeof value);
                sums[v] += weights[t] * value;
            }
        }
        memcpy(out + i, sums, sizeof sums);
    }
    for (; i < rowFloats; ++i) {
        float sum = 0.0f;
        for (int t = 0; t < m_down.count; ++t) {
            sum += weights[t] * m_taps[size_t(t)][i];
        }
        out[i] = sum;
    }
}

template <typename Sample>
void RowResampler::toSamples(Sample* out) const {
    const float* in = m_column.data();
    if (m_across->channels() != 4) {
        for (size_t i = 0; i < m_column.size(); ++i) {
            out[i] = clampedSample<Sample>(in[i]);
        }
        return;
    }
    // Colours were weighted by their alpha: a transparent pixel's colour adds nothing.
    for (size_t i = 0; i < m_column.size(); i += 4) {
        const float alpha = std::clamp(in[i + 3], 0.0f, kMaxSample<Sample>);
        const float undo = alpha > 0.0f ? kMaxSample<Sample> / alpha : 0.0f;
        for (size_t c = 0; c < 3; ++c) {
            out[i + c] = clampedSample<Sample>(in[i + c] * undo);
        }
        out[i + 3] = clampedSample<Sample>(in[i + 3]);
    }
}

// Keeps source rows, filtered across, in the ring until it holds lastSourceRow.
bool RowResampler::fillRing(int lastSourceRow) {
    for (; m_nextSourceRow <= lastSourceRow; ++m_nextSourceRow) {
        const void* in = m_source(m_nextSourceRow);
        if (in == nullptr) {
            return false;
        }
        float* out = &m_ring[size_t(m_nextSourceRow % m_ringRows) * m_column.size()];
        if (m_filteredAtSource) {
            memcpy(out, in, m_across->outputBytes());
        } else {
            m_across->filterRow(in, out, m_scratch);
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
    if (m_across->bytesPerSample() == 2) {
        toSamples(reinterpret_cast<uint16_t*>(m_out.data()));
    } else {
        toSamples(m_out.data());
    }
    return m_out.data();
}
