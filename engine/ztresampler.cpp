#include "ztresampler.h"

#include <QColorSpace>

#include <algorithm>
#include <cmath>
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
Sample clampedSample(float value) {
    constexpr float kMax = float((1u << (8 * sizeof(Sample))) - 1u);
    return Sample(std::clamp(value + 0.5f, 0.0f, kMax));
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
      m_ring(size_t(m_ringRows) * size_t(width) * size_t(channels)),
      m_out(size_t(width) * size_t(channels) * size_t(bytesPerSample)) {}

// Positions are taken at pixel centres; taps past an edge repeat the edge pixel.
RowResampler::Taps RowResampler::tapsFor(int sourceLength, int length) {
    const double scale = double(sourceLength) / double(length);
    const double stretch = std::max(1.0, scale);
    const double reach = kLobes * stretch;
    Taps taps;
    taps.count = 2 * int(std::ceil(reach));
    taps.index.resize(size_t(length) * size_t(taps.count));
    taps.weights.resize(taps.index.size());
    for (int i = 0; i < length; ++i) {
        const double centre = (i + 0.5) * scale - 0.5;
        const int first = int(std::floor(centre - reach)) + 1;
        int* index = &taps.index[size_t(i) * size_t(taps.count)];
        float* weights = &taps.weights[size_t(i) * size_t(taps.count)];
        double sum = 0.0;
        std::vector<double> raw(size_t(taps.count));
        for (int t = 0; t < taps.count; ++t) {
            raw[size_t(t)] = lanczos((first + t - centre) / stretch);
            sum += raw[size_t(t)];
            index[t] = std::clamp(first + t, 0, sourceLength - 1);
        }
        for (int t = 0; t < taps.count; ++t) {
            weights[t] = float(raw[size_t(t)] / sum);
        }
    }
    return taps;
}

template <typename Sample>
void RowResampler::filterAcross(const Sample* in, float* out) const {
    const int* index = m_across.index.data();
    const float* weights = m_across.weights.data();
    for (int x = 0; x < m_width; ++x, out += m_channels) {
        float sums[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int t = 0; t < m_across.count; ++t, ++index, ++weights) {
            const Sample* pixel = in + size_t(*index) * size_t(m_channels);
            for (int c = 0; c < m_channels; ++c) {
                sums[c] += *weights * float(pixel[c]);
            }
        }
        std::copy(sums, sums + m_channels, out);
    }
}

template <typename Sample>
void RowResampler::filterDown(int y, Sample* out) const {
    const size_t rowFloats = size_t(m_width) * size_t(m_channels);
    const int* index = &m_down.index[size_t(y) * size_t(m_down.count)];
    const float* weights = &m_down.weights[size_t(y) * size_t(m_down.count)];
    std::vector<float> sums(rowFloats, 0.0f);
    for (int t = 0; t < m_down.count; ++t) {
        const float* in = &m_ring[size_t(index[t] % m_ringRows) * rowFloats];
        const float weight = weights[t];
        for (size_t i = 0; i < rowFloats; ++i) {
            sums[i] += weight * in[i];
        }
    }
    for (size_t i = 0; i < rowFloats; ++i) {
        out[i] = clampedSample<Sample>(sums[i]);
    }
}

// Filters source rows across until the ring holds lastSourceRow.
bool RowResampler::fillRing(int lastSourceRow) {
    const size_t rowFloats = size_t(m_width) * size_t(m_channels);
    for (; m_nextSourceRow <= lastSourceRow; ++m_nextSourceRow) {
        const void* in = m_source(m_nextSourceRow);
        if (in == nullptr) {
            return false;
        }
        float* out = &m_ring[size_t(m_nextSourceRow % m_ringRows) * rowFloats];
        if (m_bytesPerSample == 2) {
            filterAcross(static_cast<const uint16_t*>(in), out);
        } else {
            filterAcross(static_cast<const uint8_t*>(in), out);
        }
    }
    return true;
}

const void* RowResampler::row(int y) {
    const int* index = &m_down.index[size_t(y) * size_t(m_down.count)];
    if (!fillRing(index[m_down.count - 1])) {
        return nullptr;
    }
    if (m_bytesPerSample == 2) {
        filterDown(y, reinterpret_cast<uint16_t*>(m_out.data()));
    } else {
        filterDown(y, m_out.data());
    }
    return m_out.data();
}

QImage resampled(const QImage& picture, const QSize& size) {
    if (picture.size() == size || picture.isNull() || size.isEmpty()) {
        return size.isEmpty() ? QImage() : picture;
    }
    const bool deep = picture.depth() == 64;
    const bool alpha = picture.hasAlphaChannel();
    const QImage::Format format = deep    ? picture.format()
                                  : alpha ? QImage::Format_RGBA8888
                                          : QImage::Format_RGB888;
    const QImage image = picture.format() == format ? picture : picture.convertToFormat(format);
    QImage out(size, format);
    if (image.isNull() || out.isNull()) {
        return QImage();
    }
    const int channels = deep || alpha ? 4 : 3;
    try {
        RowResampler resampler(image.width(), image.height(), size.width(), size.height(), channels,
                               deep ? 2 : 1,
                               [&image](int y) -> const void* { return image.constScanLine(y); });
        const size_t rowBytes = size_t(size.width()) * size_t(channels) * (deep ? 2u : 1u);
        for (int y = 0; y < size.height(); ++y) {
            std::copy_n(static_cast<const uchar*>(resampler.row(y)), rowBytes, out.scanLine(y));
        }
    } catch (const std::bad_alloc&) {
        return QImage();
    }
    out.setColorSpace(picture.colorSpace());
    return out;
}
