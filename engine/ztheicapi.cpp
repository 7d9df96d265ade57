#include "ztheicapi.h"

#include "heic_to_jpgdata.h"
#include "ztconfig.h"
#include "ztexifcopy.h"
#include "ztexiforientation.h"
#include "ztimageorientation.h"
#include "ztlog.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QVector>

#include <cstdlib>
#include <mutex>
#include <shared_mutex>

double ZtHeicAPI::m_nUsedMemorySize = 0.0;
QMap<QString, std::list<CImageData>> ZtHeicAPI::m_mapHeicPicData;

namespace {

constexpr double kMemoryLimitMb = 500.0;
constexpr int kStoreQuality = 50;

// Guards the store and its memory figure: one collecting writer, previewing and converting
// readers. Readers copy what they need and let go before the slow work.
std::shared_mutex& storeLock() {
    static std::shared_mutex lock;
    return lock;
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

int decodeHeic(const QString& path, std::list<CImageData>& images, int quality) {
    return heic_to_jpgdata(QFile::encodeName(path).constData(), images, quality);
}

void freeImages(std::list<CImageData>& images) {
    for (CImageData& image : images) {
        free(image.data);
    }
    images.clear();
}

// Images decoded for one call; their buffers are freed when it ends.
struct OwnedImages {
    std::list<CImageData> list;
    ~OwnedImages() { freeImages(list); }
};

QByteArray bytesOf(const CImageData& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data), image.size);
}

// Copies of the stored streams of path; false when the store has no entry for it.
bool copyStoredStreams(const QMap<QString, std::list<CImageData>>& store, const QString& path,
                       QVector<QByteArray>& streams) {
    ReadLock locker(storeLock());
    const auto it = store.constFind(path);
    if (it == store.constEnd()) {
        return false;
    }
    for (const CImageData& image : it.value()) {
        streams.append(bytesOf(image));
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

bool encodeImage(const QImage& image, const QString& format, int quality, QByteArray& out) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format.toLatin1());
    writer.setQuality(quality);
    return writer.write(image);
}

// Writes the whole file or nothing: a failed write leaves no partial file behind. Unbuffered,
// because a buffered QSaveFile loses a short write on a full disk and still commits.
bool writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

struct ConversionSettings {
    ConvertFormat format;
    bool keepExif;
    int sizePercent;
    int quality;

    bool copiesExif() const { return keepExif && format != PNG && format != BMP; }
};

ConversionSettings readSettings(const ZtConfig* config) {
    return {config->getConvertFormat(), config->isKeepExif(), percentValue(config->getPicSize()),
            percentValue(config->getPicQuality())};
}

enum class Outcome { Written, EmptyImage, SaveFailed, ExifFailed };

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
        if (m_nUsedMemorySize > kMemoryLimitMb) {
            LOG(ERROR) << "exceed Memory Limit";
            return false;
        }
    }
    std::list<CImageData> images;
    if (decodeHeic(path, images, kStoreQuality) != 0) {
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
    return true;
}

bool ZtHeicAPI::isExceedMemoryLimit() {
    ReadLock locker(storeLock());
    return m_nUsedMemorySize > kMemoryLimitMb;
}

bool ZtHeicAPI::getShowImg(const QString& path, QImage* out) {
    if (out == nullptr) {
        return false;
    }
    QVector<QByteArray> streams;
    if (copyStoredStreams(m_mapHeicPicData, path, streams)) {
        LOG(INFO) << "the file  is collected";
    } else {
        LOG(INFO) << "the file is not collected";
        OwnedImages decoded;
        if (decodeHeic(path, decoded.list, kStoreQuality) != 0 || decoded.list.empty()) {
            return false;
        }
        streams.append(bytesOf(decoded.list.front()));
    }
    if (streams.isEmpty()) {
        return false;
    }
    const QByteArray& first = streams.first();
    const QImage image = readJpeg(first);
    if (image.width() <= 0 || image.height() <= 0) {
        return false;
    }
    *out = uprightImage(image, ztexif::readExifOrientation(
                                   reinterpret_cast<const unsigned char*>(first.constData()),
                                   size_t(first.size())));
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
}

void ZtHeicAPI::releaseAllMapData() {
    WriteLock locker(storeLock());
    for (auto it = m_mapHeicPicData.begin(); it != m_mapHeicPicData.end(); ++it) {
        freeImages(it.value());
    }
    m_mapHeicPicData.clear();
    m_nUsedMemorySize = 0.0;
}

void ZtHeicAPI::initMapData() {
    releaseAllMapData();
}

// ---- Conversion

namespace {

// Converts one decoded stream and writes it; name is computed only when the pixels are ready.
template <typename NameFor>
Outcome convertImage(const QByteArray& stream, bool freshAtQuality, int decodedQuality,
                     const ConversionSettings& settings, NameFor nameFor, QSize* readSize) {
    const auto* data = reinterpret_cast<const unsigned char*>(stream.constData());
    const int orientation = ztexif::readExifOrientation(data, size_t(stream.size()));

    // A fresh stream at the wanted quality and size already is the JPG file to write: its EXIF
    // and ICC travel inside, and a second JPEG generation would only lose detail.
    if (freshAtQuality && settings.copiesExif() && settings.quality == decodedQuality) {
        const QSize size = jpegSize(stream);
        *readSize = size;
        if (size.width() <= 0 || size.height() <= 0) {
            return Outcome::EmptyImage;
        }
        if (scaledBox(size, settings.sizePercent) == size) {
            return writeFileAtomically(nameFor(), stream) ? Outcome::Written : Outcome::SaveFailed;
        }
    }

    const QImage decoded = readJpeg(stream);
    *readSize = decoded.size();
    if (decoded.width() <= 0 || decoded.height() <= 0) {
        return Outcome::EmptyImage;
    }
    const QSize box = scaledBox(decoded.size(), settings.sizePercent);
    QImage image = decoded.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image.setColorSpace(decoded.colorSpace());
    if (!settings.copiesExif()) {
        image = uprightImage(image, orientation);
    }

    const QString path = nameFor();
    const QString format = path.right(3);
    QByteArray encoded;
    if (image.isNull() || !encodeImage(image, format, settings.quality, encoded)) {
        return Outcome::SaveFailed;
    }
    if (settings.copiesExif() &&
        !copyExifInto(data, size_t(stream.size()), encoded, image.size())) {
        // The picture is kept without EXIF, as it would be after a failed re-save.
        writeFileAtomically(path, encoded);
        return Outcome::ExifFailed;
    }
    return writeFileAtomically(path, encoded) ? Outcome::Written : Outcome::SaveFailed;
}

}  // namespace

bool ZtHeicAPI::convertHeicFormat(const QString& sourcePath, const QString& outputDir) {
    ZtConfig* config = ZtConfig::NewInstance();
    QVector<QByteArray> streams;
    const bool fromStore = copyStoredStreams(m_mapHeicPicData, sourcePath, streams);
    int decodedQuality = -1;
    if (fromStore) {
        LOG(INFO) << "the file  is collected";
    } else {
        decodedQuality = percentValue(config->getPicQuality());
        OwnedImages decoded;
        const int result = decodeHeic(sourcePath, decoded.list, decodedQuality);
        if (result != 0) {
            LOG(INFO) << "Heic to Jpg data fail,the result is : [" << result << "]";
            return false;
        }
        for (CImageData& image : decoded.list) {
            streams.append(bytesOf(image));
            free(image.data);
            image.data = nullptr;
        }
        decoded.list.clear();
    }

    for (QByteArray& stream : streams) {
        const ConversionSettings settings = readSettings(config);
        QSize size;
        const Outcome outcome = convertImage(
            stream, !fromStore, decodedQuality, settings,
            [&] { return outputDir + getConvertedFileName(sourcePath, outputDir); }, &size);
        stream = QByteArray();
        switch (outcome) {
            case Outcome::EmptyImage:
                LOG(INFO) << "Image width or height is 0,width : [" << size.width()
                          << "] ,height : [ " << size.height() << "]";
                return false;
            case Outcome::SaveFailed:
                LOG(INFO) << "Image save fail ";
                return false;
            case Outcome::ExifFailed:
                LOG(INFO) << "bitmap save fail ";
                return false;
            case Outcome::Written:
                ++m_nSuccessfulNum;
                break;
        }
    }
    return true;
}

QString ZtHeicAPI::getConvertedFileName(const QString& sourcePath, const QString& outputDir) {
    const QFileInfo source(sourcePath);
    const QString base = source.completeBaseName();
    const QString ext = extensionFor(ZtConfig::NewInstance()->getConvertFormat());
    QString candidate = base + ext;
    if (!QFileInfo::exists(outputDir + candidate)) {
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
    while (QFileInfo::exists(outputDir + name)) {
        name = base + "_" + QString::number(++n) + ext;
    }
    return name;
}
