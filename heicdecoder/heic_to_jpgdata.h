#pragma once

#include "cimagedata.h"
#include "jpegwriter.h"

#include <cstdint>

#if defined(ZTHEICDECODER_LIBRARY)
#define ZTHEICDECODER_EXPORT __attribute__((visibility("default")))
#else
#define ZTHEICDECODER_EXPORT
#endif

// Result codes of heic_to_jpgdata; 0 is success.
enum HeicDecodeResult : int {
    HeicDecodeOk = 0,
    HeicDecodeBadArgument = 1,
    HeicDecodeUnreadable = 2,
    HeicDecodeNotHeif = 3,
    HeicDecodeNoImage = 4,
    HeicDecodeTooLarge = 5,
    HeicDecodeDecodeError = 6,
    HeicDecodeEncodeError = 7,
    HeicDecodeOutOfMemory = 8,
    HeicDecodeCodingNotSupported = 9,     // no installed decoder takes the picture's coding
    HeicDecodeSequenceNotSupported = 10,  // the file holds an image sequence and no still picture
};

// Decodes every top-level image of the HEIF file at path (UTF-8), in file order, into JPEG
// streams of the given quality appended to images. The clean-aperture crop is applied; rotation
// and mirror are not: they travel as the Orientation tag of the stream's EXIF (APP1), beside the
// ICC profile (APP2). On failure the list is left as it was and a non-zero code is returned.
// Safe to call from several threads at once.
ZTHEICDECODER_EXPORT int heic_to_jpgdata(const char* path, std::list<CImageData>& images,
                                         int quality);

// Decodes every top-level image of the HEIF file at path (UTF-8), in file order, into pixels
// appended to images (see CPixelData): 8-bit, or with deep, 16-bit for pictures stored with more
// than 8 bits. Same result codes as heic_to_jpgdata; on failure the list is left as it was.
// Safe to call from several threads at once.
ZTHEICDECODER_EXPORT int heic_to_pixeldata(const char* path, std::list<CPixelData>& images,
                                           bool deep = false);

// Frees the buffers of one decoded image and clears its pointers.
ZTHEICDECODER_EXPORT void heic_free_pixeldata(CPixelData& image);

// Pixels of the largest top-level image of the HEIF file at path, from its header alone;
// 0 when the file cannot be read as HEIF.
ZTHEICDECODER_EXPORT uint64_t heic_picture_pixels(const char* path);

// Decoding threads per file for the calls that follow (0, the default: one per core).
ZTHEICDECODER_EXPORT void heic_set_decoder_threads(int threads);

// Encodes 8-bit RGB rows, top to bottom, as a baseline JPEG of the given quality into a malloc
// buffer the caller frees; the EXIF block and colour profile of meta are written when set.
// False (and no buffer) when a row cannot be had, the encoder fails or memory runs out.
ZTHEICDECODER_EXPORT bool heic_encode_jpeg(int width, int height, RgbRowSource& rows, int quality,
                                           const JpegMetadata& meta, unsigned char** out,
                                           size_t* outSize);
