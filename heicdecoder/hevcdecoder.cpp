#include "hevcdecoder.h"

#include <libheif/heif.h>

#include <cstdlib>
#include <string>

namespace {

bool hasHevcDecoder(const std::string& name) {
    const heif_decoder_descriptor* descriptors[16] = {};
    const int count = heif_get_decoder_descriptors(heif_compression_HEVC, descriptors, 16);
    for (int i = 0; i < count; ++i) {
        const char* id = heif_decoder_descriptor_get_id_name(descriptors[i]);
        if (id != nullptr && name == id) {
            return true;
        }
    }
    return false;
}

std::string chooseHevcDecoder() {
    const char* wanted = std::getenv("PIXVUE_HEVC_DECODER");
    const std::string name = wanted != nullptr && *wanted != '\0' ? wanted : "ffmpeg";
    return hasHevcDecoder(name) ? name : std::string();
}

}  // namespace

const char* preferredHevcDecoder() {
    static const std::string chosen = chooseHevcDecoder();
    return chosen.empty() ? nullptr : chosen.c_str();
}
