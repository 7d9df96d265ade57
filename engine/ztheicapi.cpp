#include "ztheicapi.h"

#include "heic_to_jpgdata.h"
#include "ztconfig.h"
#include "ztexifcopy.h"
#include "ztexiforientation.h"
#include "ztimageorientation.h"
#include "ztlocationstrip.h"
#include "ztlog.h"
#include "ztpicture.h"
#include "ztrowencoder.h"

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

#include <malloc.h>
#include <unistd.h>
#include <cstdlib>
#include <functional>
#include <memory>
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
    const QString plain = outputDir + QFileInfo(sourcePath).completeBaseName() +
                          ZtHeicAPI::outputExtension(settings.format);
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

// The size a picture of size, turned upright when turned, gets from the size setting: taken on
// the stored picture, so that a turned and an unturned conversion agree.
QSize outputSize(QSize size, bool swapped, int percent) {
    if (swapped) {
        size.transpose();
    }
    QSize scaled = size.scaled(scaledBox(size, percent), Qt::KeepAspectRatio);
    if (swapped) {
        scaled.transpose();
    }
    return scaled;
}

// The rows of a picture held whole.
class ImageRowSource : public RgbRowSource {
public:
    explicit ImageRowSource(const QImage& image) : m_image(image) {}
    const uint8_t* row(int y) override { return m_image.constScanLine(y); }

private:
    const QImage& m_image;
};

// An output file being written, under a name reserved for it until it is committed.
class PendingOutput : public EncodedOutput {
public:
    explicit PendingOutput(const QString& path) : m_file(path) {}

    // Unbuffered, because a buffered QSaveFile loses a short write on a full disk and still
    // commits.
    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool append(const char* data, qint64 size) override {
        m_lastPiece = size;
        m_refused = m_file.write(data, size) != size;
        return !m_refused;
    }
    // Whether a write failed (rather than the bytes not being made).
    bool refused() const { return m_refused; }
    bool writeAt(qint64 offset, const char* data, qint64 size) override {
        return m_file.seek(offset) && append(data, size);
    }
    Outcome failure() const { return writeFailure(m_file.fileName(), m_lastPiece); }
    Outcome commit(const QDateTime& modified) {
        if (modified.isValid()) {
            m_file.setFileTime(modified, QFileDevice::FileModificationTime);
        }
        return m_file.commit() ? Outcome::Written : failure();
    }

private:
    QSaveFile m_file;
    qint64 m_lastPiece = 0;
    bool m_refused = false;
};

// Writes the whole file or nothing; the file gets the source's modification time, so that
// galleries sort outputs like their photos.
Outcome writeFileAtomically(const QString& path, const QByteArray& bytes,
                            const QDateTime& modified) {
    PendingOutput file(path);
    if (!file.open() || !file.append(bytes.constData(), bytes.size())) {
        return file.failure();
    }
    return file.commit(modified);
}

// Takes the pictures of a HEIF file as they decode and encodes each into a file of its own,
// none of them under its final name before all are done.
class StreamedConversion : public HeicPictureSink {
public:
    StreamedConversion(const ConversionSettings& settings, std::function<QString()> choosePath)
        : m_settings(settings), m_choosePath(std::move(choosePath)) {}

    void restart() override {
        m_outputs.clear();
        m_failure = Outcome::Written;
        m_exifFailed = false;
    }

    int take(const HeicStreamedPicture& picture, RgbRowSource& rows) override {
        m_failure = convert(picture, rows);
        return m_failure == Outcome::Written ? HeicDecodeOk : HeicDecodeEncodeError;
    }

    Outcome failure() const { return m_failure; }
    QSize lastSize() const { return m_size; }
    // The files put under their final names.
    const QStringList& committed() const { return m_committed; }

    // Puts every picture under its final name; the number of pictures written.
    int commit(const QDateTime& modified, Outcome* outcome) {
        int written = 0;
        *outcome = Outcome::Written;
        for (Output& output : m_outputs) {
            *outcome = output.file->commit(modified);
            const QString path = output.name->path();
            output.name->release();
            if (*outcome != Outcome::Written) {
                break;
            }
            m_committed.append(path);
            ++written;
        }
        m_outputs.clear();
        if (*outcome == Outcome::Written && m_exifFailed) {
            *outcome = Outcome::ExifFailed;
        }
        return written;
    }

private:
    struct Output {
        std::unique_ptr<ReservedOutput> name;
        std::unique_ptr<PendingOutput> file;
    };

    Outcome convert(const HeicStreamedPicture& picture, RgbRowSource& rows) {
        m_size = QSize(picture.width, picture.height);
        if (m_size.isEmpty()) {
            return Outcome::EmptyImage;
        }
        const bool swapped = picture.turned && picture.orientation >= 5;
        const QSize size = outputSize(m_size, swapped, m_settings.sizePercent);
        if (size.isEmpty()) {
            return Outcome::SizeZero;
        }
        RowPicture source;
        source.width = picture.width;
        source.height = picture.height;
        source.channels = picture.channels;
        source.bytesPerSample = picture.bitsPerSample / 8;
        source.icc = QByteArray(reinterpret_cast<const char*>(picture.icc->data()),
                                int(picture.icc->size()));
        source.rows = [&rows](int y) -> const void* { return rows.row(y); };
        source.transformAtSource = [&rows](std::shared_ptr<const RowTransform> transform) {
            return rows.transformRows(std::move(transform));
        };

        Output output{std::make_unique<ReservedOutput>(), nullptr};
        output.file = std::make_unique<PendingOutput>(output.name->reserve(m_choosePath));
        if (!output.file->open()) {
            return output.file->failure();
        }
        if (m_settings.copiesExif()) {
            // EXIF is put into the encoded bytes, then the whole file is written.
            MemoryOutput encoded;
            if (!encodeRows(source, size, m_settings.format, m_settings.quality, encoded)) {
                return Outcome::EncodeFailed;
            }
            const QByteArray exif(reinterpret_cast<const char*>(picture.exif->data()),
                                  int(picture.exif->size()));
            const bool exifCopied = copyExifInto(exif, encoded.bytes, size);
            if (m_settings.stripLocation &&
                !(exifCopied && removeLocationFromJpeg(encoded.bytes))) {
                return Outcome::ExifFailed;  // nothing is written: the location must not get out
            }
            // On failure the picture is kept without EXIF, as it would be after a failed re-save.
            m_exifFailed |= !exifCopied;
            if (!output.file->append(encoded.bytes.constData(), encoded.bytes.size())) {
                return output.file->failure();
            }
        } else if (!encodeRows(source, size, m_settings.format, m_settings.quality, *output.file)) {
            return output.file->refused() ? output.file->failure() : Outcome::EncodeFailed;
        }
        m_outputs.push_back(std::move(output));
        return Outcome::Written;
    }

    const ConversionSettings& m_settings;
    const std::function<QString()> m_choosePath;
    std::vector<Output> m_outputs;
    QStringList m_committed;
    Outcome m_failure = Outcome::Written;
    bool m_exifFailed = false;
    QSize m_size;
};

// Logs why a picture of the given size was not written.
void logWriteFailure(Outcome outcome, QSize size) {
    switch (outcome) {
        case Outcome::EmptyImage:
            LOG(INFO) << "Image width or height is 0,width : [" << size.width() << "] ,height : [ "
                      << size.height() << "]";
            break;
        case Outcome::ExifFailed:
            LOG(INFO) << "bitmap save fail ";
            break;
        default:
            LOG(INFO) << "Image save fail ";
            break;
    }
}

// Puts the streamed pictures under their names, or says why there are none.
bool finishStreamed(StreamedConversion& streamed, int result, const QString& sourcePath,
                    int& successful, ZtHeicAPI::Failure& failure) {
    Outcome outcome = streamed.failure();
    if (result == HeicDecodeOk) {
        successful += streamed.commit(QFileInfo(sourcePath).lastModified(), &outcome);
    } else if (result != HeicDecodeEncodeError || outcome == Outcome::Written) {
        LOG(INFO) << "Heic to Jpg data fail,the result is : [" << result << "]";
        failure = decodeFailure(result, sourcePath);
        return false;
    }
    if (outcome == Outcome::Written) {
        return true;
    }
    logWriteFailure(outcome, streamed.lastSize());
    failure = outcomeFailure(outcome);
    return false;
}

// A picture that is no HEIF but one Qt reads, handed to the conversion as rows; the result code
// of the take, or HeicDecodeNotHeif when it cannot be read.
int convertOtherPicture(const QString& path, bool upright, StreamedConversion& conversion) {
    ZtPicture picture;
    if (!readOtherPicture(path, picture)) {
        return HeicDecodeNotHeif;
    }
    const bool alpha = picture.image.hasAlphaChannel();
    const QImage image =
        (upright ? uprightImage(picture.image, picture.orientation) : picture.image)
            .convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const std::vector<uint8_t> exif(picture.exifTiff.begin(), picture.exifTiff.end());
    const std::vector<uint8_t> icc(picture.icc.begin(), picture.icc.end());
    HeicStreamedPicture described{image.width(),       image.height(), alpha ? 4 : 3, 8,
                                  picture.orientation, upright,        &exif,         &icc};
    ImageRowSource rows(image);
    return conversion.take(described, rows);
}

// The pictures of one HEIF file as the decoder's JPEG streams, written as they are.
class SourcePictures {
public:
    bool fromStore = false;

    int load(const QMap<QString, std::list<CImageData>>& store, const QString& path,
             const ConversionSettings& settings) {
        const int quality = jpegQuality(settings.quality);
        int storedQuality = -1;
        fromStore =
            copyStoredStreams(store, path, m_streams, &storedQuality) && storedQuality == quality;
        if (fromStore) {
            return HeicDecodeOk;
        }
        m_streams.clear();
        return decodeStreams(path, quality, m_streams);
    }

    bool hasNext() const { return m_next < m_streams.size(); }

    // Writes the next picture and lets its stream go.
    Outcome convertNext(const ConversionSettings& settings, const Target& target, QSize* size) {
        QByteArray stream = std::exchange(m_streams[m_next++], QByteArray());
        if (settings.stripLocation && !removeLocationFromJpeg(stream)) {
            return Outcome::ExifFailed;
        }
        *size = jpegSize(stream);
        if (size->width() <= 0 || size->height() <= 0) {
            return Outcome::EmptyImage;
        }
        return writeFileAtomically(target.nextPath(), stream, target.modified);
    }

private:
    QVector<QByteArray> m_streams;
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
    const auto choosePath = [&] {
        const QString replaced = replacedOutput(sourcePath, outputDir, settings);
        return !replaced.isEmpty()
                   ? replaced
                   : outputDir + getConvertedFileName(sourcePath, outputDir, settings.format);
    };
    const auto finish = [&](StreamedConversion& streamed, int result) {
        const bool converted =
            finishStreamed(streamed, result, sourcePath, m_nSuccessfulNum, m_eLastFailure);
        m_lastOutputs = streamed.committed();
        return converted;
    };
    if (!settings.writesStreams()) {
        StreamedConversion streamed(settings, choosePath);
        const int result =
            heic_stream_pictures(QFile::encodeName(sourcePath).constData(), settings.format == PNG,
                                 !settings.copiesExif(), streamed);
        return finish(streamed,
                      result == HeicDecodeNotHeif
                          ? convertOtherPicture(sourcePath, !settings.copiesExif(), streamed)
                          : result);
    }
    SourcePictures source;
    const int result = source.load(m_mapHeicPicData, sourcePath, settings);
    if (source.fromStore) {
        LOG(INFO) << "the file  is collected";
    }
    if (result == HeicDecodeNotHeif) {
        StreamedConversion streamed(settings, choosePath);
        return finish(streamed, convertOtherPicture(sourcePath, false, streamed));
    }
    if (result != HeicDecodeOk) {
        LOG(INFO) << "Heic to Jpg data fail,the result is : [" << result << "]";
        m_eLastFailure = decodeFailure(result, sourcePath);
        return false;
    }
    ReservedOutput output;
    const Target target{[&] { return output.reserve(choosePath); },
                        QFileInfo(sourcePath).lastModified()};
    while (source.hasNext()) {
        QSize size;
        const Outcome outcome = source.convertNext(settings, target, &size);
        const QString written = output.path();
        output.release();
        if (outcome == Outcome::Written) {
            m_lastOutputs.append(written);
            ++m_nSuccessfulNum;
            continue;
        }
        logWriteFailure(outcome, size);
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

QString ZtHeicAPI::outputExtension(ConvertFormat format) {
    switch (format) {
        case PNG:
            return QStringLiteral(".png");
        case BMP:
            return QStringLiteral(".bmp");
        default:
            return QStringLiteral(".jpg");
    }
}

void ZtHeicAPI::setDecoderThreads(int threads) {
    heic_set_decoder_threads(threads);
}

void ZtHeicAPI::setUpAllocator() {
    // Below 32 MB from the heap, and up to 64 MB of freed heap kept for reuse.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

// Called under the naming lock: names being written by other conversions count as taken.
QString ZtHeicAPI::getConvertedFileName(const QString& sourcePath, const QString& outputDir,
                                        ConvertFormat format) {
    const QFileInfo source(sourcePath);
    const QString base = source.completeBaseName();
    const QString ext = outputExtension(format);
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
