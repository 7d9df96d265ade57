#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace iccprofile {

// A profile as stored in a file, made usable. Phones have been seen writing a header length that
// disagrees with the data; such a profile is cut or zero-padded to the end of its last tag's
// data rounded up to a multiple of 4, and that length goes into its header (libpng refuses
// any other).
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
