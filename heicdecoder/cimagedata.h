#pragma once

#include <cstdint>
#include <list>

// One decoded image: a complete JPEG stream in a malloc buffer, released with free().
struct CImageData {
    unsigned char* data;
    int32_t size;
};

using CImageDataList = std::list<CImageData>;

// One decoded image as pixels: the stored picture with the clean aperture applied, not turned.
// Every buffer is a malloc buffer, released with heic_free_pixeldata().
struct CPixelData {
    unsigned char* pixels;  // height rows of stride bytes, RGB or RGBA (alpha not premultiplied)
                            // of 8-bit samples, or of native 16-bit ones (bitsPerSample)
    int32_t width;
    int32_t height;
    int32_t stride;
    int32_t channels;     // 3 or 4
    int32_t orientation;  // EXIF orientation (1..8) that turns the picture upright
    unsigned char* exif;  // TIFF block of the image's EXIF, null when it has none
    int32_t exifSize;
    unsigned char* icc;  // colour profile, null for sRGB
    int32_t iccSize;
    int32_t bitsPerSample;  // 8 or 16
};
