#include "heifmetadata.h"

#include "iccprofile.h"

#include <exiv2/exiv2.hpp>

#include <cstdlib>
#include <memory>

namespace heifmetadata {
namespace {

constexpr size_t kMaxExifBlock = 16u * 1024 * 1024;

// Sets the tag to value when the block has it with another value; true when it changed.
bool setWhereDifferent(Exiv2::ExifData& exif, const char* key, int value) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() != 1 || it->toLong() == value) {
        return false;
    }
    it->setValue(std::to_string(value));
    return true;
}

void setPictureSize(tiffblock::Bytes& tiff, int width, int height) {
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order =
            Exiv2::ExifParser::decode(exif, tiff.data(), uint32_t(tiff.size()));
        bool changed = setWhereDifferent(exif, "Exif.Photo.PixelXDimension", width);
        changed |= setWhereDifferent(exif, "Exif.Photo.PixelYDimension", height);
        changed |= setWhereDifferent(exif, "Exif.Image.ImageWidth", width);
        changed |= setWhereDifferent(exif, "Exif.Image.ImageLength", height);
        if (!changed) {
            return;
        }
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, tiff.data(), uint32_t(tiff.size()), order, exif);
        if (!blob.empty()) {
            tiff.assign(blob.begin(), blob.end());
        }
    } catch (const Exiv2::AnyError&) {
        // an unreadable block stays as the file has it
    }
}

iccprofile::Transfer transferOf(heif_transfer_characteristics transfer, bool& known) {
    known = true;
    switch (transfer) {
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
            return iccprofile::Transfer::Gamma22;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
            return iccprofile::Transfer::Gamma28;
        case heif_transfer_characteristic_linear:
            return iccprofile::Transfer::Linear;
        case heif_transfer_characteristic_ITU_R_BT_2100_0_PQ:
            return iccprofile::Transfer::Pq;
        case heif_transfer_characteristic_ITU_R_BT_2100_0_HLG:
            return iccprofile::Transfer::Hlg;
        case heif_transfer_characteristic_ITU_R_BT_709_5:
        case heif_transfer_characteristic_unspecified:
        case heif_transfer_characteristic_ITU_R_BT_601_6:
        case heif_transfer_characteristic_IEC_61966_2_1:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
            return iccprofile::Transfer::Srgb;  // displays show these with the sRGB curve
        default:
            known = false;
            return iccprofile::Transfer::Srgb;
    }
}

bool isSrgbPrimaries(heif_color_primaries primaries) {
    return primaries == heif_color_primaries_ITU_R_BT_709_5 ||
           primaries == heif_color_primaries_unspecified;
}

std::vector<uint8_t> nclxProfile(const heif_image_handle* handle) {
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok ||
        nclx == nullptr) {
        return {};
    }
    std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owner(
        nclx, heif_nclx_color_profile_free);
    bool known = false;
    const iccprofile::Transfer transfer = transferOf(nclx->transfer_characteristics, known);
    if (!known ||
        (isSrgbPrimaries(nclx->color_primaries) && transfer == iccprofile::Transfer::Srgb)) {
        return {};
    }
    const iccprofile::Chromaticities primaries{
        nclx->color_primary_red_x,   nclx->color_primary_red_y,  nclx->color_primary_green_x,
        nclx->color_primary_green_y, nclx->color_primary_blue_x, nclx->color_primary_blue_y,
        nclx->color_primary_white_x, nclx->color_primary_white_y};
    if (primaries.redY <= 0 || primaries.greenY <= 0 || primaries.blueY <= 0 ||
        primaries.whiteY <= 0) {
        return {};
    }
    return iccprofile::rgbProfile(primaries, transfer, "RGB from nclx");
}

}  // namespace

tiffblock::Bytes exifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1) {
        return {};
    }
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size == 0 || size > kMaxExifBlock) {
        return {};
    }
    std::vector<uint8_t> block(size);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) {
        return {};
    }
    return tiffblock::tiffFromHeifExif(block.data(), block.size());
}

tiffblock::Bytes pictureExif(tiffblock::Bytes exif, const Turn& containerTurn, int width,
                             int height) {
    setPictureSize(exif, width, height);
    const int containerOrientation = exifOrientationOf(containerTurn);
    if (tiffblock::orientation(exif) != 0 || containerOrientation == 1) {
        return exif;
    }
    if (exif.empty() || !tiffblock::setOrientation(exif, containerOrientation)) {
        return tiffblock::withOrientationOnly(containerOrientation);
    }
    return exif;
}

std::vector<uint8_t> iccOf(const heif_image_handle* handle) {
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size > 0) {
        std::vector<uint8_t> raw(size);
        if (heif_image_handle_get_raw_color_profile(handle, raw.data()).code == heif_error_Ok) {
            std::vector<uint8_t> icc = iccprofile::repaired(raw.data(), raw.size());
            if (!icc.empty()) {
                return icc;
            }
        }
    }
    return nclxProfile(handle);
}

bool insertLargeExif(const tiffblock::Bytes& tiff, unsigned char** jpeg, size_t* size) {
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order =
            Exiv2::ExifParser::decode(exif, tiff.data(), uint32_t(tiff.size()));
        if (exif.empty()) {
            return true;
        }
        auto image = Exiv2::ImageFactory::open(*jpeg, long(*size));
        image->readMetadata();
        image->setByteOrder(order);
        image->setExifData(exif);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        const size_t newSize = size_t(io.size());
        auto* buffer = static_cast<unsigned char*>(malloc(newSize));
        if (buffer == nullptr) {
            return false;
        }
        io.seek(0, Exiv2::BasicIo::beg);
        if (size_t(io.read(buffer, long(newSize))) != newSize) {
            free(buffer);
            return false;
        }
        free(*jpeg);
        *jpeg = buffer;
        *size = newSize;
        return true;
    } catch (const Exiv2::AnyError&) {
        return true;  // the stream stays valid, without EXIF
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace heifmetadata
