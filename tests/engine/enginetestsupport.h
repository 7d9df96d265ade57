#pragma once

// Helpers shared by the engine tests: samples, fixtures, reference pictures, comparisons.

#include <QBuffer>
#include <QColor>
#include <QColorSpace>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <libheif/heif.h>
#include <png.h>

#include <csetjmp>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace enginetest {

inline QString testData() {
    return qEnvironmentVariable("PIXVUE_TESTDATA");
}

inline bool hasTestData() {
    return !testData().isEmpty() && QFileInfo(testData() + "/pillow_heif/arrow.heic").exists();
}

inline QString sample(const QString& name) {
    return testData() + "/" + name;
}

// Whether a sample is in the fixed subset that the sanitizer builds run: every orientation
// source (EXIF and container), a grid, a multi-image file, alpha, a clean aperture, monochrome,
// a deep HDR source, and AVIF turned and monochrome. The release build runs every sample.
inline bool runsUnderSanitizers(const QString& file) {
    static const QStringList subset = {"pillow_heif/arrow.heic",
                                       "pillow_heif/L_exif_xmp_iptc.heic",
                                       "pillow_heif/RGBA_10__29x100.heif",
                                       "libheif/rainbow-451x461.heic",
                                       "libheif/example.heic",
                                       "libheif/colors-with-alpha-thumbnail.heic",
                                       "sdwebimage/TestHDR.heic",
                                       "avif/kimono.rotate90.avif",
                                       "avif/Monochrome.avif"};
    return subset.contains(file);
}

// Whether this build takes the sample into its data-driven tests.
inline bool sampleIsTested(const QString& file) {
#ifdef PIXVUE_SANITIZED
    return runsUnderSanitizers(file);
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Whether tests may use the big real samples beyond the data-driven ones: not under the
// sanitizers, where each 12 MP decode takes long.
inline bool bigSamplesAreTested() {
#ifdef PIXVUE_SANITIZED
    return false;
#else
    return hasTestData();
#endif
}

// The samples that are broken on purpose, as paths.
inline QStringList brokenSamples() {
    QStringList paths;
    for (const char* name :
         {"pillow_heif/empty.heic", "pillow_heif/corrupted.heic", "pillow_heif/corrupted.hif",
          "pillow_heif/corrupted/truncated.heic", "pillow_heif/heif_truncated/truncated.heic",
          "libheif/github_15.heic", "libheif/github_44.heic", "libheif/github_48.heic",
          "libheif/uaf_heif_context.h_117_1.heic",
          "libheif/clusterfuzz-testcase-minimized-file-fuzzer-5752063708495872.heic",
          "libheif/clusterfuzz-testcase-minimized-file-fuzzer-5643900194127872.heic"}) {
        paths << sample(name);
    }
    return paths;
}

// An emptied output folder scratch/out/name/, ending with the separator the engine wants.
inline QString freshOutputDir(const QString& scratch, const QString& name) {
    const QString dir = scratch + "/out/" + name + "/";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir;
}

// The lines of today's log under the data home written since offset, which moves on.
inline QString logSince(const QString& dataHome, qint64& offset) {
    QFile log(dataHome + "/zentar/Pixvue/Trace/" + QDate::currentDate().toString("yyyyMMdd") +
              ".log");
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    log.seek(qMin(offset, log.size()));
    const QString text = QString::fromUtf8(log.readAll());
    offset = log.pos();
    return text;
}

// Runs the fixture script into folder; false (with output printed) when it fails.
inline bool makeFixtures(const QString& folder) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start("bash", {QStringLiteral(FIXTURE_SCRIPT), folder});
    if (!script.waitForFinished(120000) || script.exitCode() != 0) {
        qWarning("%s", script.readAll().constData());
        return false;
    }
    return true;
}

inline bool run(const QString& program, const QStringList& arguments, int timeoutMs = 300000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAll().constData());
        return false;
    }
    return true;
}

// libheif's own 8-bit decode of every top-level image (clean aperture, rotation and mirror of
// the container applied), in file order: RGB888, or RGBA8888 where the image has alpha.
inline QList<QImage> libheifReference(const QString& path) {
    QList<QImage> images;
    heif_context* ctx = heif_context_alloc();
    heif_context_set_max_decoding_threads(ctx, 2);
    heif_context_set_security_limits(ctx, heif_get_disabled_security_limits());  // 200 MP
    if (heif_context_read_from_file(ctx, QFile::encodeName(path).constData(), nullptr).code ==
        heif_error_Ok) {
        const int count = heif_context_get_number_of_top_level_images(ctx);
        QVector<heif_item_id> ids(count);
        heif_context_get_list_of_top_level_image_IDs(ctx, ids.data(), count);
        for (heif_item_id id : ids) {
            heif_image_handle* handle = nullptr;
            heif_context_get_image_handle(ctx, id, &handle);
            const bool alpha = heif_image_handle_has_alpha_channel(handle);
            heif_decoding_options* options = heif_decoding_options_alloc();
            options->convert_hdr_to_8bit = 1;
            heif_image* decoded = nullptr;
            heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                              options);
            heif_decoding_options_free(options);
            if (decoded != nullptr) {
                int stride = 0;
                const uint8_t* plane =
                    heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
                const int w = heif_image_get_width(decoded, heif_channel_interleaved);
                const int h = heif_image_get_height(decoded, heif_channel_interleaved);
                QImage image(w, h, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
                for (int y = 0; y < h; ++y) {
                    memcpy(image.scanLine(y), plane + size_t(y) * size_t(stride),
                           size_t(w) * (alpha ? 4 : 3));
                }
                images.append(image);
                heif_image_release(decoded);
            }
            heif_image_handle_release(handle);
        }
    }
    heif_context_free(ctx);
    return images;
}

// The picture laid over white, as RGB888.
inline QImage onWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB888);
    }
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QImage rgb(rgba.size(), QImage::Format_RGB888);
    for (int y = 0; y < rgba.height(); ++y) {
        for (int x = 0; x < rgba.width(); ++x) {
            const uchar* p = rgba.constScanLine(y) + 4 * x;
            uchar* q = rgb.scanLine(y) + 3 * x;
            for (int c = 0; c < 3; ++c) {
                q[c] = uchar((p[c] * p[3] + 255 * (255 - p[3]) + 127) / 255);
            }
        }
    }
    return rgb;
}

// Peak signal-to-noise ratio of the RGB channels, in dB; 99 for equal pictures.
inline double psnr(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 0.0;
    }
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < 3 * x.width(); ++i) {
            const double d = double(p[i]) - double(q[i]);
            sum += d * d;
        }
    }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// The picture as a JPEG at quality and read back: one generation, for comparisons.
inline QImage jpegGeneration(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpg", quality);
    return QImage::fromData(bytes, "jpg");
}

// A small square copy of the picture, for comparisons that tolerate coding differences.
inline QImage thumbnail(const QImage& image, int side = 48) {
    return onWhite(image)
        .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// The square picture as seen after an EXIF orientation, by mapping each pixel.
inline QImage turnedSquare(const QImage& square, int orientation) {
    const int n = square.width();
    QImage result(n, n, QImage::Format_RGB32);
    for (int v = 0; v < n; ++v) {
        for (int u = 0; u < n; ++u) {
            int x = u, y = v;
            switch (orientation) {
                case 2:
                    x = n - 1 - u;
                    break;
                case 3:
                    x = n - 1 - u;
                    y = n - 1 - v;
                    break;
                case 4:
                    y = n - 1 - v;
                    break;
                case 5:
                    x = v;
                    y = u;
                    break;
                case 6:
                    x = v;
                    y = n - 1 - u;
                    break;
                case 7:
                    x = n - 1 - v;
                    y = n - 1 - u;
                    break;
                case 8:
                    x = n - 1 - v;
                    y = u;
                    break;
                default:
                    break;
            }
            result.setPixel(u, v, square.pixel(x, y));
        }
    }
    return result;
}

// Mean absolute difference per channel (0..255) of two pictures of the same size.
inline double meanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 255.0;
    }
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

// The files of an output folder, hidden ones included, by name.
inline QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The picture as a viewer shows it, turned by its EXIF orientation.
inline QImage upright(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

inline QImage readWithoutTurning(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read();
}

// A PNG file as libpng reads it, with libpng's first complaint (warning or error), if any.
struct PngFile {
    QString problem;
    int width = 0, height = 0, bitDepth = 0, channels = 0;
    QByteArray icc;
    QByteArray pixels;  // rows without padding; 16-bit samples big-endian, as stored

    // The pixels as an 8-bit QImage (16-bit samples cut to their high byte).
    QImage image() const {
        const bool alpha = channels == 4;
        QImage out(width, height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        const int step = bitDepth / 8;
        for (int y = 0; y < height && !pixels.isEmpty(); ++y) {
            const char* in = pixels.constData() + qint64(y) * width * channels * step;
            for (int i = 0; i < width * channels; ++i) {
                out.scanLine(y)[i] = uchar(in[i * step]);
            }
        }
        return out;
    }
};

inline PngFile readPng(const QString& path) {
    struct Reader {
        static void fail(png_structp png, png_const_charp message) {
            static_cast<PngFile*>(png_get_error_ptr(png))->problem += message;
            png_longjmp(png, 1);
        }
        static void warn(png_structp png, png_const_charp message) {
            static_cast<PngFile*>(png_get_error_ptr(png))->problem += message;
        }
    };
    PngFile result;
    FILE* file = fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr) {
        result.problem = "cannot open";
        return result;
    }
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &result, Reader::fail, Reader::warn);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        result.width = int(png_get_image_width(png, info));
        result.height = int(png_get_image_height(png, info));
        result.bitDepth = png_get_bit_depth(png, info);
        result.channels = png_get_channels(png, info);
        png_charp name = nullptr;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        int compression = 0;
        if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0) {
            result.icc = QByteArray(reinterpret_cast<const char*>(profile), int(length));
        }
        const size_t rowBytes = png_get_rowbytes(png, info);
        result.pixels.resize(int(rowBytes * size_t(result.height)));
        for (int y = 0; y < result.height; ++y) {
            png_read_row(png, reinterpret_cast<png_bytep>(result.pixels.data()) + rowBytes * y,
                         nullptr);
        }
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(file);
    return result;
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace enginetest
