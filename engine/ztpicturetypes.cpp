#include "ztpicturetypes.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace ztpicture {

namespace {

// Enough for the 'ftyp' box of every writer seen; brands past it are not read.
const int kHeadBytes = 256;
const int kBoxHeader = 8;
const int kBrandsStart = 16;  // box header, major brand, minor version

// Brands of still pictures: structural HEIF, HEVC-coded stills and AV1-coded stills.
// Sequence-only brands (msf1, hevc, avis) are not among them.
const std::array<const char*, 7> kStillBrands = {"mif1", "mif2", "heic", "heix",
                                                 "heim", "heis", "avif"};

quint32 readBigEndian32(const QByteArray& bytes, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + offset);
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

bool isStillBrand(const QByteArray& brand) {
    return std::any_of(kStillBrands.begin(), kStillBrands.end(),
                       [&brand](const char* still) { return brand == still; });
}

}  // namespace

const QStringList& pictureSuffixes() {
    static const QStringList suffixes{QStringLiteral("heic"), QStringLiteral("heif"),
                                      QStringLiteral("hif"), QStringLiteral("avif")};
    return suffixes;
}

QString dialogPatterns() {
    QStringList patterns;
    for (const QString& suffix : pictureSuffixes()) {
        patterns << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
    }
    return patterns.join(u' ');
}

bool hasPictureSuffix(const QString& path) {
    return pictureSuffixes().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

bool hasPictureBrand(const QByteArray& head) {
    if (head.size() < kBrandsStart || head.mid(4, 4) != "ftyp") {
        return false;
    }
    const quint32 boxSize = readBigEndian32(head, 0);
    if (boxSize < quint32(kBrandsStart)) {
        return false;
    }
    if (isStillBrand(head.mid(kBoxHeader, 4))) {
        return true;
    }
    const int end = int(std::min<quint32>(boxSize, quint32(head.size())));
    for (int offset = kBrandsStart; offset + 4 <= end; offset += 4) {
        if (isStillBrand(head.mid(offset, 4))) {
            return true;
        }
    }
    return false;
}

bool isPictureFile(const QString& path) {
    if (hasPictureSuffix(path)) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return hasPictureBrand(file.read(kHeadBytes));
}

bool isTakenWhenNamed(const QString& path) {
    return path.contains(QLatin1String(".heic")) || path.contains(QLatin1String(".HEIC")) ||
           isPictureFile(path);
}

}  // namespace ztpicture
