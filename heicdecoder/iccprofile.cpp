#include "iccprofile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

namespace iccprofile {
namespace {

constexpr size_t kHeaderSize = 128;

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
    }
}

void append32(std::vector<uint8_t>& out, uint32_t value) {
    out.resize(out.size() + 4);
    put32(out, out.size() - 4, value);
}

void append16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

void appendTag(std::vector<uint8_t>& out, const char* signature) {
    out.insert(out.end(), signature, signature + 4);
}

void appendFixed(std::vector<uint8_t>& out, double value) {
    append32(out, uint32_t(int32_t(std::lround(value * 65536.0))));
}

void padTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 3; ++k) {
                m[r][c] += a[r][k] * b[k][c];
            }
        }
    }
    return m;
}

Matrix inverse(const Matrix& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inv{};
    inv[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    inv[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inv[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inv[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    inv[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inv[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inv[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    inv[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inv[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return inv;
}

std::array<double, 3> xyz(double x, double y) {
    return {x / y, 1.0, (1.0 - x - y) / y};
}

// RGB -> XYZ of the primaries, white mapping to Y = 1.
Matrix rgbToXyz(const Chromaticities& p) {
    const auto r = xyz(p.redX, p.redY), g = xyz(p.greenX, p.greenY), b = xyz(p.blueX, p.blueY);
    const Matrix primaries{{{r[0], g[0], b[0]}, {r[1], g[1], b[1]}, {r[2], g[2], b[2]}}};
    const auto w = xyz(p.whiteX, p.whiteY);
    const Matrix inv = inverse(primaries);
    Matrix m = primaries;
    for (int c = 0; c < 3; ++c) {
        const double scale = inv[c][0] * w[0] + inv[c][1] * w[1] + inv[c][2] * w[2];
        for (int r2 = 0; r2 < 3; ++r2) {
            m[r2][c] *= scale;
        }
    }
    return m;
}

// Bradford adaptation from the white point to the ICC's D50.
Matrix adaptationToD50(double whiteX, double whiteY) {
    const Matrix bradford{
        {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
    const auto src = xyz(whiteX, whiteY);
    const std::array<double, 3> d50{0.9642, 1.0, 0.8249};
    Matrix gain{};
    for (int i = 0; i < 3; ++i) {
        const double s =
            bradford[i][0] * src[0] + bradford[i][1] * src[1] + bradford[i][2] * src[2];
        const double d =
            bradford[i][0] * d50[0] + bradford[i][1] * d50[1] + bradford[i][2] * d50[2];
        gain[i][i] = d / s;
    }
    return multiply(inverse(bradford), multiply(gain, bradford));
}

double pqToRelative(double e) {
    const double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128, c1 = 3424.0 / 4096,
                 c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
    const double p = std::pow(e, 1.0 / m2);
    const double nits = 10000.0 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1.0 / m1);
    return std::min(1.0, nits / 203.0);  // reference white at 203 cd/m2
}

double hlgToRelative(double e) {
    const double a = 0.17883277, b = 0.28466892, c = 0.55991073;
    const double scene = e <= 0.5 ? e * e / 3.0 : (std::exp((e - c) / a) + b) / 12.0;
    return std::min(1.0, std::pow(scene / 0.26496256, 1.2));  // reference white at 75 %
}

void appendCurve(std::vector<uint8_t>& out, Transfer transfer) {
    const auto parametric = [&out](uint16_t function, std::initializer_list<double> values) {
        appendTag(out, "para");
        append32(out, 0);
        append16(out, function);
        append16(out, 0);
        for (double v : values) {
            appendFixed(out, v);
        }
    };
    switch (transfer) {
        case Transfer::Srgb:
            parametric(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
            return;
        case Transfer::Gamma22:
            parametric(0, {2.2});
            return;
        case Transfer::Gamma28:
            parametric(0, {2.8});
            return;
        case Transfer::Linear:
            parametric(0, {1.0});
            return;
        case Transfer::Pq:
        case Transfer::Hlg:
            break;
    }
    constexpr int kEntries = 1024;
    appendTag(out, "curv");
    append32(out, 0);
    append32(out, kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const double e = double(i) / (kEntries - 1);
        const double v = transfer == Transfer::Pq ? pqToRelative(e) : hlgToRelative(e);
        append16(out, uint16_t(std::lround(std::clamp(v, 0.0, 1.0) * 65535.0)));
    }
}

void appendText(std::vector<uint8_t>& out, const std::string& text) {
    appendTag(out, "mluc");
    append32(out, 0);
    append32(out, 1);   // one record
    append32(out, 12);  // record size
    out.insert(out.end(), {'e', 'n', 'U', 'S'});
    append32(out, uint32_t(text.size() * 2));
    append32(out, 28);  // offset of the string from the tag start
    for (char ch : text) {
        append16(out, uint16_t(uint8_t(ch)));
    }
}

void appendXyz(std::vector<uint8_t>& out, double x, double y, double z) {
    appendTag(out, "XYZ ");
    append32(out, 0);
    appendFixed(out, x);
    appendFixed(out, y);
    appendFixed(out, z);
}

struct Tag {
    const char* signature;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> assemble(const std::vector<Tag>& tags) {
    std::vector<uint8_t> out(kHeaderSize, 0);
    const size_t tableSize = 4 + 12 * tags.size();
    append32(out, uint32_t(tags.size()));
    out.resize(kHeaderSize + tableSize);
    size_t offset = out.size();
    std::vector<uint8_t> body;
    for (size_t i = 0; i < tags.size(); ++i) {
        const size_t entry = kHeaderSize + 4 + 12 * i;
        memcpy(&out[entry], tags[i].signature, 4);
        // Tags with the same data share it.
        size_t at = offset + body.size();
        for (size_t j = 0; j < i; ++j) {
            if (tags[j].data == tags[i].data) {
                at = (out[kHeaderSize + 4 + 12 * j + 4] << 24) |
                     (out[kHeaderSize + 4 + 12 * j + 5] << 16) |
                     (out[kHeaderSize + 4 + 12 * j + 6] << 8) | out[kHeaderSize + 4 + 12 * j + 7];
                break;
            }
        }
        if (at == offset + body.size()) {
            body.insert(body.end(), tags[i].data.begin(), tags[i].data.end());
            padTo4(body);
        }
        put32(out, entry + 4, uint32_t(at));
        put32(out, entry + 8, uint32_t(tags[i].data.size()));
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void writeHeader(std::vector<uint8_t>& out) {
    put32(out, 0, uint32_t(out.size()));
    put32(out, 8, 0x04300000);  // version 4.3
    memcpy(&out[12], "mntr", 4);
    memcpy(&out[16], "RGB ", 4);
    memcpy(&out[20], "XYZ ", 4);
    memcpy(&out[36], "acsp", 4);
    put32(out, 64, 0);  // perceptual intent
    put32(out, 68, uint32_t(std::lround(0.9642 * 65536)));
    put32(out, 72, 0x10000);
    put32(out, 76, uint32_t(std::lround(0.8249 * 65536)));
}

uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Where the data of the profile's last tag ends; the whole size when the tag table says more
// than the bytes hold.
size_t endOfTagData(const uint8_t* data, size_t size) {
    if (size < kHeaderSize + 4) {
        return size;
    }
    const size_t count = read32(data + kHeaderSize);
    if (count > (size - kHeaderSize - 4) / 12) {
        return size;
    }
    size_t end = kHeaderSize + 4 + 12 * count;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kHeaderSize + 4 + 12 * i;
        end = std::max(end, size_t(read32(entry + 4)) + size_t(read32(entry + 8)));
    }
    return end;
}

}  // namespace

std::vector<uint8_t> repaired(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kHeaderSize || size > UINT32_MAX ||
        memcmp(data + 36, "acsp", 4) != 0) {
        return {};
    }
    std::vector<uint8_t> profile(data, data + size);
    if (read32(data) == size) {
        return profile;
    }
    // Readers want the header's length to be the profile's, and a multiple of 4.
    const size_t length = (std::min(size, endOfTagData(data, size)) + 3) & ~size_t(3);
    profile.resize(length, 0);
    put32(profile, 0, uint32_t(length));
    return profile;
}

std::vector<uint8_t> dataColourSpace(const std::vector<uint8_t>& profile) {
    if (profile.size() < kHeaderSize) {
        return {};
    }
    return {profile.begin() + 16, profile.begin() + 20};
}

std::vector<uint8_t> rgbProfile(const Chromaticities& p, Transfer transfer,
                                const char* description) {
    const Matrix adapted = multiply(adaptationToD50(p.whiteX, p.whiteY), rgbToXyz(p));
    std::vector<Tag> tags;
    const auto add = [&tags](const char* signature, auto fill) {
        Tag tag{signature, {}};
        fill(tag.data);
        tags.push_back(std::move(tag));
    };
    add("desc", [&](auto& d) { appendText(d, description); });
    add("cprt", [&](auto& d) { appendText(d, "No copyright, use freely"); });
    add("wtpt", [&](auto& d) { appendXyz(d, 0.9642, 1.0, 0.8249); });
    const char* colourants[3] = {"rXYZ", "gXYZ", "bXYZ"};
    for (int c = 0; c < 3; ++c) {
        add(colourants[c],
            [&](auto& d) { appendXyz(d, adapted[0][c], adapted[1][c], adapted[2][c]); });
    }
    for (const char* trc : {"rTRC", "gTRC", "bTRC"}) {
        add(trc, [&](auto& d) { appendCurve(d, transfer); });
    }
    std::vector<uint8_t> out = assemble(tags);
    writeHeader(out);
    return out;
}

}  // namespace iccprofile
