#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace iccprofile {

// A profile as stored in a file, made usable: the length in its header is set to the length
// of its data (phones have been seen writing one that disagrees, which PNG writers refuse).
// Empty when the bytes are no ICC profile.
std::vector<uint8_t> repaired(const uint8_t* data, size_t size);

// The colour space of an RGB profile's data ("RGB ", "GRAY", ...), empty when unreadable.
std::vector<uint8_t> dataColourSpace(const std::vector<uint8_t>& profile);

enum class Transfer { Srgb, Gamma22, Gamma28, Linear, Pq, Hlg };

struct Chromaticities {
    double redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY;
};

// A matrix/TRC RGB profile (ICC v4) for the primaries, white point and transfer function.
std::vector<uint8_t> rgbProfile(const Chromaticities& primaries, Transfer transfer,
                                const char* description);

}  // namespace iccprofile
