#pragma once

// Helpers shared by the engine tests: samples, fixtures, reference pictures, comparisons.

#include <QColor>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

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

// heif-dec's pictures of the file (clean aperture, rotation and mirror of the container
// applied), in file order.
inline QList<QImage> heifDecReference(const QString& heic, const QString& scratchDir) {
    QDir scratch(scratchDir + "/heif-dec");
    scratch.removeRecursively();
    QDir().mkpath(scratch.path());
    QList<QImage> images;
    // JPEG for speed; PNG for sources deeper than 8 bits, which heif-dec cannot write as JPEG.
    if (!run("heif-dec", {"--quiet", "-q", "95", heic, scratch.filePath("ref.jpg")}) ||
        (scratch.exists("ref.jpg") && QFileInfo(scratch.filePath("ref.jpg")).size() == 0)) {
        scratch.removeRecursively();
        QDir().mkpath(scratch.path());
        if (!run("heif-dec", {"--quiet", heic, scratch.filePath("ref.png")})) {
            return images;
        }
        images.append(QImage(scratch.filePath("ref.png")));
        scratch.removeRecursively();
        return images;
    }
    if (scratch.exists("ref.jpg")) {
        images.append(QImage(scratch.filePath("ref.jpg")));
    }
    for (int i = 1; scratch.exists(QString("ref-%1.jpg").arg(i)); ++i) {
        images.append(QImage(scratch.filePath(QString("ref-%1.jpg").arg(i))));
    }
    scratch.removeRecursively();
    return images;
}

// A small square copy of the picture, for comparisons that tolerate coding differences.
inline QImage thumbnail(const QImage& image, int side = 48) {
    return image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
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

inline QImage readWithoutTurning(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read();
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace enginetest
