// Decodes arbitrary bytes as a HEIF file with heic_to_jpgdata and heic_to_pixeldata and checks
// what comes back.
#include "heic_to_jpgdata.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kQuality = 85;

void require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "invariant broken: %s\n", what);
        abort();
    }
}

// One scratch file per process, in $TMPDIR, rewritten for every input.
std::string g_path;

void removeScratchFile() {
    if (!g_path.empty()) {
        unlink(g_path.c_str());
    }
}

void writeScratchFile(const uint8_t* data, size_t size) {
    const int fd = open(g_path.c_str(), O_WRONLY | O_TRUNC);
    require(fd >= 0, "scratch file opens");
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        require(n > 0, "scratch file takes the input");
        written += size_t(n);
    }
    close(fd);
}

bool isJpegStream(const CImageData& image) {
    return image.data != nullptr && image.size >= 4 && image.data[0] == 0xFF &&
           image.data[1] == 0xD8 && image.data[image.size - 2] == 0xFF &&
           image.data[image.size - 1] == 0xD9;
}

void checkPixels(size_t streams, bool deep) {
    std::list<CPixelData> pictures;
    const int pixelResult = heic_to_pixeldata(g_path.c_str(), pictures, deep);
    require(pixelResult == HeicDecodeOk || pixelResult == HeicDecodeOutOfMemory,
            "pixels decode too");
    require(pixelResult != HeicDecodeOk || pictures.size() == streams,
            "as many pictures as streams");
    for (CPixelData& picture : pictures) {
        const int pixelBytes = picture.channels * picture.bitsPerSample / 8;
        require(picture.pixels != nullptr && picture.width > 0 && picture.height > 0 &&
                    (picture.channels == 3 || picture.channels == 4) &&
                    (picture.bitsPerSample == 8 || (deep && picture.bitsPerSample == 16)) &&
                    picture.stride >= picture.width * pixelBytes && picture.orientation >= 1 &&
                    picture.orientation <= 8,
                "each picture is whole and upright-able");
        // Every pixel is there to be read.
        volatile unsigned sum = 0;
        for (int y = 0; y < picture.height; ++y) {
            sum += picture.pixels[size_t(y) * size_t(picture.stride) +
                                  size_t(picture.width * pixelBytes - 1)];
        }
        static_cast<void>(sum);
        heic_free_pixeldata(picture);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = getenv("TMPDIR");
    std::string pattern =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/fuzz_heic_to_jpgdata.XXXXXX";
    const int fd = mkstemp(pattern.data());
    require(fd >= 0, "scratch file is created");
    close(fd);
    g_path = pattern;
    atexit(removeScratchFile);
    return 0;
}

// Keeps the first sample of each pixel, the way a resize hands its work to the decoding threads.
class FirstSamples : public RowTransform {
public:
    explicit FirstSamples(int width) : m_width(size_t(width)) {}
    size_t outputBytes() const override { return m_width; }
    void transform(const uint8_t* rows, size_t stride, int count, uint8_t* out) const override {
        for (int y = 0; y < count; ++y, rows += stride, out += m_width) {
            for (size_t x = 0; x < m_width; ++x) {
                out[x] = rows[x * 3];
            }
        }
    }

private:
    const size_t m_width;
};

// Reads every row of every picture, every other picture through a transform.
class RowReader : public HeicPictureSink {
public:
    void restart() override { m_pictures = 0; }
    int take(const HeicStreamedPicture& picture, RgbRowSource& rows) override {
        require(picture.width > 0 && picture.height > 0, "a streamed picture has pixels");
        const bool transformed = m_pictures++ % 2 == 1 && picture.channels == 3 &&
                                 rows.transformRows(std::make_shared<FirstSamples>(picture.width));
        const size_t rowBytes = transformed ? size_t(picture.width)
                                            : size_t(picture.width) * size_t(picture.channels) *
                                                  size_t(picture.bitsPerSample / 8);
        volatile unsigned sum = 0;
        for (int y = 0; y < picture.height; ++y) {
            const uint8_t* row = rows.row(y);
            if (row == nullptr) {
                return HeicDecodeDecodeError;
            }
            sum = sum + row[0] + row[rowBytes - 1];
        }
        return HeicDecodeOk;
    }

private:
    int m_pictures = 0;
};

void checkStream() {
    for (bool upright : {false, true}) {
        RowReader reader;
        const int result = heic_stream_pictures(g_path.c_str(), false, upright, reader);
        require(result >= HeicDecodeOk && result <= HeicDecodeSequenceNotSupported,
                "known result code when streamed");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeScratchFile(data, size);

    // An entry already in the list must stay first and untouched.
    static unsigned char marker = 0x5A;
    std::list<CImageData> images{{&marker, 1}};
    const int result = heic_to_jpgdata(g_path.c_str(), images, kQuality);

    require(result >= HeicDecodeOk && result <= HeicDecodeSequenceNotSupported,
            "known result code");
    require(!images.empty() && images.front().data == &marker && images.front().size == 1 &&
                marker == 0x5A,
            "the entry already in the list is kept");
    images.pop_front();
    checkStream();
    if (result != HeicDecodeOk) {
        require(images.empty(), "a failure adds nothing");
        return 0;
    }
    require(!images.empty(), "success gives at least one image");
    for (const CImageData& image : images) {
        require(isJpegStream(image), "each image is a whole JPEG stream");
        free(image.data);
    }

    // The whole picture is held in memory, where the streams only held a few rows; also with
    // the samples of a deep picture kept.
    for (bool deep : {false, true}) {
        checkPixels(images.size(), deep);
    }
    return 0;
}
