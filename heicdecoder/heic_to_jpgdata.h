#pragma once

#include "cimagedata.h"
#include "jpegwriter.h"

#include <cstdint>
#include <vector>

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

// One picture handed out row by row by heic_stream_pictures.
struct HeicStreamedPicture {
    int width;  // of the rows handed out
    int height;
    int channels;       // 3 (RGB) or 4 (RGBA, alpha not premultiplied), interleaved
    int bitsPerSample;  // 8, or 16 (native byte order, moved up to fill 16 bits)
    int orientation;    // EXIF orientation (1..8) that turns the stored picture upright
    bool turned;        // the rows are turned upright already
    const std::vector<uint8_t>* exif;  // TIFF block of the picture's EXIF; empty without
    const std::vector<uint8_t>* icc;   // colour profile; empty for sRGB
};

// Takes the pictures of a streamed decode.
class HeicPictureSink {
public:
    virtual ~HeicPictureSink() = default;
    // The file is decoded again from its first picture, by another decoder: what was taken
    // before is to be dropped.
    virtual void restart() = 0;
    // Takes one picture, reading its rows (RgbRowSource here hands out rows of the picture's
    // layout) top to bottom; HeicDecodeOk, or another code to stop.
    virtual int take(const HeicStreamedPicture& picture, RgbRowSource& rows) = 0;
};

// Decodes every top-level image of the HEIF file at path (UTF-8), in file order, handing each
// to the sink as rows while its tiles decode on the decoding threads: a band of tiles at a time,
// so that a picture is never held whole unless it has transparency or deep samples (with deep).
// With upright, the rows come turned by the picture's orientation (a quarter turn decodes
// columns of tiles). The clean-aperture crop is applied. Same result codes as heic_to_jpgdata;
// the sink's own code when it stopped and the decoding had not failed.
ZTHEICDECODER_EXPORT int heic_stream_pictures(const char* path, bool deep, bool upright,
                                              HeicPictureSink& sink);

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

// The same, the encoded bytes handed to sink as they are made.
ZTHEICDECODER_EXPORT bool heic_encode_jpeg_to(int width, int height, RgbRowSource& rows,
                                              int quality, const JpegMetadata& meta,
                                              const JpegSink& sink);
