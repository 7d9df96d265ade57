#pragma once

#include <cstdint>
#include <list>

// One decoded image: a complete JPEG stream in a malloc buffer, released with free().
struct CImageData {
    unsigned char* data;
    int32_t size;
};

using CImageDataList = std::list<CImageData>;
