#include "ztheicapi.h"

#include "heic_to_jpgdata.h"
#include "ztconfig.h"
#include "ztexifcopy.h"
#include "ztexiforientation.h"
#include "ztimageorientation.h"
#include "ztlocationstrip.h"
#include "ztlog.h"
#include "ztpicture.h"
#include "ztresampler.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSaveFile>
#include <QSet>
#include <QStorageInfo>
#include <QVector>

#include <unistd.h>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <utility>

double ZtHeicAPI::m_nUsedMemorySize = 0.0;
QMap<QString, std::list<CImageData>> ZtHeicAPI::m_mapHeicPicData;

namespace {

// Guards the store, the qualities of its streams and its memory figure: one collecting writer,
// previewing and converting readers. Readers copy what they need and let go before the slow work.
std::shared_mutex& storeLock() {
    static std::shared_mutex lock;
    return lock;
}

// The JPEG quality each stored file's streams were encoded at.
QHash<QString, int>& storedQualities() {
    static QHash<QString, int> qualities;
    return qualities;
}

using ReadLock = std::shared_lock<std::shared_mutex>;
using WriteLock = std::unique_lock<std::shared_mutex>;

double megabytes(qint64 bytes) {
    return double(bytes) / 1024.0 / 1024.0;
}

int percentValue(QString text) {
    text.remove(QLatin1Char('%'));
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

// The quality a JPEG encoder uses for a picture quality setting.
int jpegQuality(int pictureQuality) {
    return qBound(1, pictureQuality, 100);
}

int decodeHeic(const QString& path, std::list<CImageData>& images, int quality) {
    return heic_to_jpgdata(QFile::encodeName(path).constData(), images, quality);
}

void freeImages(std::list<CImageData>& images) {
    for (CImageData& image : images) {
        free(image.data);
    }
    images.clear();
}

// Streams decoded for one call, as byte arrays; the decoder's buffers are freed at once.
int decodeStreams(const QString& path, int quality, QVector<QByteArray>& streams) {
    std::list<CImageData> decoded;
    const int result = decodeHeic(path, decoded, quality);
    for (CImageData& image : decoded) {
        streams.append(QByteArray(reinterpret_cast<const char*>(image.data), image.size));
    }
    freeImages(decoded);
    return result;
}

// Copies of the stored streams of path, and their quality; false when the store has no entry.
bool copyStoredStreams(const QMap<QString, std::list<CImageData>>& store, const QString& path,
                       QVector<QByteArray>& streams, int* quality = nullptr) {
    ReadLock locker(storeLock());
    const auto it = store.constFind(path);
    if (it == store.constEnd()) {
        return false;
    }
    for (const CImageData& image : it.value()) {
        streams.append(QByteArray(reinterpret_cast<const char*>(image.data), image.size));
    }
    if (quality != nullptr) {
        *quality = storedQualities().value(path, -1);
    }
    return true;
}

QImage readJpeg(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return reader.read();
}

QSize jpegSize(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

QString extensionFor(ConvertFormat format) {
    switch (format) {
        case PNG:
            return QStringLiteral(".png");
        case BMP:
            return QStringLiteral(".bmp");
        default:
            return QStringLiteral(".jpg");
    }
}

// The box of the picture size setting: each side truncated, the product in 32 bits.
QSize scaledBox(const QSize& size, int percent) {
    const auto side = [percent](int length) {
        const qint64 product = qBound<qint64>(INT32_MIN, qint64(percent) * length, INT32_MAX);
        return int(double(product) / 100.0);
    };
    return QSize(side(size.width()), side(size.height()));
}

enum class Outcome {
    Written,
    EmptyImage,
    SizeZero,
    EncodeFailed,
    NotWritable,
    DiskFull,
    ExifFailed
};

// A failed write of bytes into path: no room on its disk, or no way to write there.
Outcome writeFailure(const QString& path, qint64 bytes) {
    const QString folder = QFileInfo(path).absolutePath();
    // access() sees a read-only file system also for root, whom permissions do not stop.
    if (!QFileInfo(folder).isDir() || access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        return Outcome::NotWritable;
    }
    const QStorageInfo storage(folder);
    return storage.isValid() && storage.bytesAvailable() < bytes + 65536 ? Outcome::DiskFull
                                                                         : Outcome::NotWritable;
}

// Hands the pieces of a file, in order, to write (false when writing failed); false when it gave
// up.
using FileProducer = std::function<bool(const PngSink& write)>;

// Writes the whole file or nothing: a failed write leaves no partial file behind. Unbuffered,
// because a buffered QSaveFile loses a short write on a full disk and still commits. The file
// gets the source's modification time, so that galleries sort outputs like their photos.
Outcome writeFileAtomically(const QString& path, const FileProducer& produce,
                            const QDateTime& modified) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return writeFailure(path, 0);
    }
    qint64 lastPiece = 0;
    bool writeFailed = false;
    const bool produced = produce([&](const QByteArray& piece) {
        lastPiece = piece.size();
        writeFailed = file.write(piece) != piece.size();
        return !writeFailed;
    });
    if (!produced) {
        file.cancelWriting();
        file.commit();
        return writeFailed ? writeFailure(path, lastPiece) : Outcome::EncodeFailed;
    }
    if (modified.isValid()) {
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    }
    return file.commit() ? Outcome::Written : writeFailure(path, lastPiece);
}

Outcome writeFileAtomically(const QString& path, const QByteArray& bytes,
                            const QDateTime& modified) {
    return writeFileAtomically(
        path, [&bytes](const PngSink& write) { return write(bytes); }, modified);
}

// The choices of one conversion and what follows from them.
struct ConversionSettings : ZtHeicAPI::Settings {
    explicit ConversionSettings(const ZtHeicAPI::Settings& settings)
        : ZtHeicAPI::Settings(settings) {}

    bool isJpg() const { return format != PNG && format != BMP; }
    bool copiesExif() const { return keepExif && isJpg(); }
    // The decoder's stream, at this quality, is then exactly the file to write.
    bool writesStreams() const { return copiesExif() && sizePercent == 100; }
};

// Output paths being written by some conversion: taken, though not on disk yet.
std::mutex& namingLock() {
    static std::mutex lock;
    return lock;
}

QSet<QString>& reservedOutputs() {
    static QSet<QString> paths;
    return paths;
}

bool outputTaken(const QString& path) {
    return reservedOutputs().contains(path) || QFileInfo::exists(path);
}

// The output path chosen for one picture, reserved until the picture is written or given up.
class ReservedOutput {
public:
    ReservedOutput() = default;
    ReservedOutput(const ReservedOutput&) = delete;
    ReservedOutput& operator=(const ReservedOutput&) = delete;
    ~ReservedOutput() { release(); }

    QString reserve(const std::function<QString()>& choose) {
        release();
        std::lock_guard<std::mutex> lock(namingLock());
        m_path = choose();
        reservedOutputs().insert(m_path);
        return m_path;
    }

    const QString& path() const { return m_path; }

    void release() {
        if (m_path.isEmpty()) {
            return;
        }
        std::lock_guard<std::mutex> lock(namingLock());
        reservedOutputs().remove(m_path);
        m_path.clear();
    }

private:
    QString m_path;
};

// With overwrite, the plain output name, to be replaced when it exists; empty when another
// conversion writes it now, when it is the source itself, or without overwrite.
QString replacedOutput(const QString& sourcePath, const QString& outputDir,
                       const ZtHeicAPI::Settings& settings) {
    const QString plain =
        outputDir + QFileInfo(sourcePath).completeBaseName() + extensionFor(settings.format);
    const bool replaceable =
        settings.overwrite && !reservedOutputs().contains(plain) &&
        QFileInfo(plain).canonicalFilePath() != QFileInfo(sourcePath).canonicalFilePath() &&
        !QFileInfo(plain).isDir();
    return replaceable ? plain : QString();
}

// Whether the file starts like an ISO media file (a HEIF), however damaged the rest is.
bool looksLikeHeif(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(12).mid(4, 4) == "ftyp";
}

ZtHeicAPI::Failure decodeFailure(int result, const QString& path) {
    switch (result) {
        case HeicDecodeUnreadable:
            return QFileInfo(path).size() == 0 && QFileInfo(path).isFile()
                       ? ZtHeicAPI::Failure::Damaged
                       : ZtHeicAPI::Failure::Unreadable;
        case HeicDecodeTooLarge:
            return ZtHeicAPI::Failure::TooLarge;
        case HeicDecodeOutOfMemory:
            return ZtHeicAPI::Failure::OutOfMemory;
        case HeicDecodeCodingNotSupported:
            return ZtHeicAPI::Failure::CodingNotSupported;
        case HeicDecodeSequenceNotSupported:
            return ZtHeicAPI::Failure::SequenceNotSupported;
        case HeicDecodeNotHeif:
        case HeicDecodeNoImage:
            return looksLikeHeif(path) || QFileInfo(path).size() == 0
                       ? ZtHeicAPI::Failure::Damaged
                       : ZtHeicAPI::Failure::NotAPicture;
        default:
            return ZtHeicAPI::Failure::Damaged;
    }
}

ZtHeicAPI::Failure outcomeFailure(Outcome outcome) {
    switch (outcome) {
        case Outcome::EmptyImage:
            return ZtHeicAPI::Failure::Damaged;
        case Outcome::SizeZero:
            return ZtHeicAPI::Failure::PictureSizeZero;
        case Outcome::EncodeFailed:
            return ZtHeicAPI::Failure::OutOfMemory;
        case Outcome::NotWritable:
            return ZtHeicAPI::Failure::OutputNotWritable;
        case Outcome::DiskFull:
            return ZtHeicAPI::Failure::DiskFull;
        case Outcome::ExifFailed:
            return ZtHeicAPI::Failure::ExifNotWritten;
        case Outcome::Written:
            break;
    }
    return ZtHeicAPI::Failure::None;
}

}  // namespace

ZtHeicAPI& ZtHeicAPI::operator=(const ZtHeicAPI& other) {
    m_nSuccessfulNum = other.m_nSuccessfulNum;
    return *this;
}

ZtHeicAPI& ZtHeicAPI::operator=(ZtHeicAPI&& other) noexcept {
    m_nSuccessfulNum = other.m_nSuccessfulNum;
    return *this;
}

// ---- Decoded-image store

bool ZtHeicAPI::collectHeicPicDataToMap(const QString& path) {
    {
        ReadLock locker(storeLock());
        if (m_mapHeicPicData.contains(path)) {
            return true;
        }
        if (m_nUsedMemorySize > m_dMemoryBudgetMb) {
            LOG(ERROR) << "exceed Memory Limit";
            return false;
        }
    }
    // At the picture quality of the moment, so that a JPG conversion can write the stream.
    const int quality = jpegQuality(percentValue(ZtConfig::NewInstance()->getPicQuality()));
    std::list<CImageData> images;
    if (decodeHeic(path, images, quality) != 0) {
        LOG(ERROR) << "collect data failed";
        return false;
    }
    qint64 bytes = 0;
    for (const CImageData& image : images) {
        bytes += image.size;
    }
    WriteLock locker(storeLock());
    if (m_mapHeicPicData.contains(path)) {
        freeImages(images);  // collected meanwhile by another thread
        return true;
    }
    m_nUsedMemorySize += megabytes(bytes);
    m_mapHeicPicData.insert(path, std::move(images));
    storedQualities().insert(path, quality);
    return true;
}

bool ZtHeicAPI::isExceedMemoryLimit() {
    ReadLock locker(storeLock());
    return m_nUsedMemorySize > m_dMemoryBudgetMb;
}

bool ZtHeicAPI::getShowImg(const QString& path, QImage* out) {
    if (out == nullptr) {
        return false;
    }
    QVector<QByteArray> streams;
    if (copyStoredStreams(m_mapHeicPicData, path, streams)) {
        LOG(INFO) << "the file  is collected";
        if (streams.isEmpty()) {
            return false;
        }
        const QByteArray& first = streams.first();
        *out = uprightImage(readJpeg(first), ztexif::readExifOrientation(
                                                 reinterpret_cast<const uchar*>(first.constData()),
                                                 size_t(first.size())));
        return out->width() > 0 && out->height() > 0;
    }
    LOG(INFO) << "the file is not collected";
    QList<ZtPicture> pictures;
    if (decodeHeicPictures(path, pictures) != 0) {
        ZtPicture other;
        if (!readOtherPicture(path, other)) {
            return false;
        }
        pictures = {other};
    }
    if (pictures.isEmpty()) {
        return false;
    }
    *out = uprightImage(pictures.first().image, pictures.first().orientation);
    return out->width() > 0 && out->height() > 0;
}

void ZtHeicAPI::releaseSpecifiedMapData(const QString& path) {
    WriteLock locker(storeLock());
    auto it = m_mapHeicPicData.find(path);
    if (it == m_mapHeicPicData.end()) {
        return;
    }
    for (const CImageData& image : it.value()) {
        m_nUsedMemorySize -= megabytes(image.size);
    }
    m_nUsedMemorySize = qMax(0.0, m_nUsedMemorySize);
    freeImages(it.value());
    m_mapHeicPicData.erase(it);
    storedQualities().remove(path);
}

void ZtHeicAPI::releaseAllMapData() {
    WriteLock locker(storeLock());
    for (auto it = m_mapHeicPicData.begin(); it != m_mapHeicPicData.end(); ++it) {
        freeImages(it.value());
    }
    m_mapHeicPicData.clear();
    storedQualities().clear();
    m_nUsedMemorySize = 0.0;
}

void ZtHeicAPI::initMapData() {
    releaseAllMapData();
}

// ---- Conversion

namespace {

// Where the pictures of one file go: the output path is computed when a picture is ready.
struct Target {
    std::function<QString()> nextPath;
    QDateTime modified;
};

// The pictures of one source file, as the decoder's JPEG streams (written as they are) or as
// pixels (encoded once in the output format).
class SourcePictures {
public:
    bool fromStore = false;

    int load(const QMap<QString, std::list<CImageData>>& store, const QString& path,
             const ConversionSettings& settings) {
        int result = HeicDecodeOk;
        if (settings.writesStreams()) {
            const int quality = jpegQuality(settings.quality);
            int storedQuality = -1;
            fromStore = copyStoredStreams(store, path, m_streams, &storedQuality) &&
                        storedQuality == quality;
            if (fromStore) {
                return HeicDecodeOk;
            }
            m_streams.clear();
            result = decodeStreams(path, quality, m_streams);
        } else {
            result = decodeHeicPictures(path, m_pictures, settings.format == PNG);
        }
        if (result == HeicDecodeNotHeif) {
            ZtPicture picture;
            if (readOtherPicture(path, picture)) {
                m_streams.clear();
                m_pictures = {picture};
                return HeicDecodeOk;
            }
        }
        return result;
    }

    bool hasNext() const { return m_next < m_streams.size() + m_pictures.size(); }

    // Converts and writes the next picture and lets its data go.
    Outcome convertNext(const ConversionSettings& settings, const Target& target, QSize* size) {
        const int index = m_next++;
        if (index < m_streams.size()) {
            QByteArray stream = std::exchange(m_streams[index], QByteArray());
            if (settings.stripLocation && !removeLocationFromJpeg(stream)) {
                return Outcome::ExifFailed;
            }
            return writeStream(stream, target, size);
        }
        ZtPicture picture = std::exchange(m_pictures[index - m_streams.size()], ZtPicture());
        return convertPicture(picture, settings, target, size);
    }

private:
    static Outcome writeStream(const QByteArray& stream, const Target& target, QSize* size) {
        *size = jpegSize(stream);
        if (size->width() <= 0 || size->height() <= 0) {
            return Outcome::EmptyImage;
        }
        return writeFileAtomically(target.nextPath(), stream, target.modified);
    }

    static Outcome convertPicture(ZtPicture& picture, const ConversionSettings& settings,
                                  const Target& target, QSize* size) {
        *size = picture.image.size();
        if (size->width() <= 0 || size->height() <= 0) {
            return Outcome::EmptyImage;
        }
        const QSize box = scaledBox(picture.image.size(), settings.sizePercent);
        QImage image =
            resampled(picture.image, picture.image.size().scaled(box, Qt::KeepAspectRatio));
        picture.image = QImage();
        if (!settings.copiesExif()) {
            image = uprightImage(image, picture.orientation);
        }
        if (settings.format != PNG) {
            image = overWhite(image);
        }
        if (image.isNull()) {
            return box.isEmpty() ? Outcome::SizeZero : Outcome::EncodeFailed;
        }
        const QString path = target.nextPath();
        if (settings.format == PNG) {
            // Written as it is deflated: the file is never held whole.
            return writeFileAtomically(
                path,
                [&](const PngSink& write) { return writePngPicture(image, picture.icc, write); },
                target.modified);
        }
        QByteArray encoded;
        if (!encodePicture(image, picture.icc, path.right(3), settings.quality, encoded)) {
            return Outcome::EncodeFailed;
        }
        if (settings.copiesExif() && settings.stripLocation) {
            // Nothing is written when this fails: the location must not get out.
            const bool stripped = copyExifInto(picture.exifTiff, encoded, image.size()) &&
                                  removeLocationFromJpeg(encoded);
            return stripped ? writeFileAtomically(path, encoded, target.modified)
                            : Outcome::ExifFailed;
        }
        if (settings.copiesExif() && !copyExifInto(picture.exifTiff, encoded, image.size())) {
            // The picture is kept without EXIF, as it would be after a failed re-save.
            const Outcome written = writeFileAtomically(path, encoded, target.modified);
            return written == Outcome::Written ? Outcome::ExifFailed : written;
        }
        return writeFileAtomically(path, encoded, target.modified);
    }

    QVector<QByteArray> m_streams;
    QList<ZtPicture> m_pictures;
    int m_next = 0;
};

}  // namespace

ZtHeicAPI::Settings ZtHeicAPI::currentSettings() {
    const ZtConfig* config = ZtConfig::NewInstance();
    return {config->getConvertFormat(), config->isKeepExif(), percentValue(config->getPicSize()),
            percentValue(config->getPicQuality()), config->isStripLocation()};
}

bool ZtHeicAPI::convertHeicFormat(const QString& sourcePath, const QString& outputDir) {
    return convertHeicFormat(sourcePath, outputDir, currentSettings());
}

bool ZtHeicAPI::convertHeicFormat(const QString& sourcePath, const QString& outputDir,
                                  const Settings& chosen) {
    m_eLastFailure = Failure::None;
    m_lastOutputs.clear();
    const ConversionSettings settings(chosen);
    SourcePictures source;
    const int result = source.load(m_mapHeicPicData, sourcePath, settings);
    if (source.fromStore) {
        LOG(INFO) << "the file  is collected";
    }
    if (result != HeicDecodeOk) {
        LOG(INFO) << "Heic to Jpg data fail,the result is : [" << result << "]";
        m_eLastFailure = decodeFailure(result, sourcePath);
        return false;
    }
    ReservedOutput output;
    const Target target{
        [&] {
            return output.reserve([&] {
                const QString replaced = replacedOutput(sourcePath, outputDir, settings);
                return !replaced.isEmpty() ? replaced
                                           : outputDir + getConvertedFileName(sourcePath, outputDir,
                                                                              settings.format);
            });
        },
        QFileInfo(sourcePath).lastModified()};
    while (source.hasNext()) {
        QSize size;
        const Outcome outcome = source.convertNext(settings, target, &size);
        const QString written = output.path();
        output.release();
        switch (outcome) {
            case Outcome::Written:
                m_lastOutputs.append(written);
                ++m_nSuccessfulNum;
                continue;
            case Outcome::EmptyImage:
                LOG(INFO) << "Image width or height is 0,width : [" << size.width()
                          << "] ,height : [ " << size.height() << "]";
                break;
            case Outcome::ExifFailed:
                LOG(INFO) << "bitmap save fail ";
                break;
            default:
                LOG(INFO) << "Image save fail ";
                break;
        }
        m_eLastFailure = outcomeFailure(outcome);
        return false;
    }
    return true;
}

quint64 ZtHeicAPI::picturePixels(const QString& path) {
    return heic_picture_pixels(QFile::encodeName(path).constData());
}

const char* ZtHeicAPI::failureText(Failure failure) {
    switch (failure) {
        case Failure::None:
            return "";
        case Failure::NotAPicture:
            return "not a picture";
        case Failure::Damaged:
            return "damaged or truncated file";
        case Failure::Unreadable:
            return "file cannot be read";
        case Failure::TooLarge:
            return "picture too large";
        case Failure::OutOfMemory:
            return "not enough memory";
        case Failure::PictureSizeZero:
            return "picture size too small";
        case Failure::OutputNotWritable:
            return "output folder not writable";
        case Failure::DiskFull:
            return "disk full";
        case Failure::ExifNotWritten:
            return "EXIF could not be written";
        case Failure::CodingNotSupported:
            return "picture coding not supported";
        case Failure::SequenceNotSupported:
            return "image sequence not supported";
    }
    return "";
}

void ZtHeicAPI::setDecoderThreads(int threads) {
    heic_set_decoder_threads(threads);
}

// Called under the naming lock: names being written by other conversions count as taken.
QString ZtHeicAPI::getConvertedFileName(const QString& sourcePath, const QString& outputDir,
                                        ConvertFormat format) {
    const QFileInfo source(sourcePath);
    const QString base = source.completeBaseName();
    const QString ext = extensionFor(format);
    QString candidate = base + ext;
    if (!outputTaken(outputDir + candidate)) {
        return candidate;
    }
    LOG(INFO) << "fileInfo.fileName():" << source.fileName();
    const auto stem = [](const QString& name) { return name.left(qMax(0, name.size() - 4)); };
    int n = 0;
    for (const QString& entry : QDir(outputDir).entryList()) {
        if (stem(entry) == stem(candidate)) {
            ++n;
            candidate = base + "_" + QString::number(n) + ext;
        }
    }
    // The walk above can end on a taken name (base_10 sorts before base_2): count on.
    QString name = n > 0 ? base + "_" + QString::number(n) + ext : base + ext;
    while (outputTaken(outputDir + name)) {
        name = base + "_" + QString::number(++n) + ext;
    }
    return name;
}
