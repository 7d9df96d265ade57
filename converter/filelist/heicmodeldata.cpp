#include "heicmodeldata.h"

#include "stateframes.h"

#include <QCoreApplication>

namespace {
const int kCell = 16;

// The engine's failure reasons, for the translation tools.
[[maybe_unused]] const char* const kFailReasons[] = {
    QT_TRANSLATE_NOOP("HeicModelData", "not a picture"),
    QT_TRANSLATE_NOOP("HeicModelData", "damaged or truncated file"),
    QT_TRANSLATE_NOOP("HeicModelData", "file cannot be read"),
    QT_TRANSLATE_NOOP("HeicModelData", "picture too large"),
    QT_TRANSLATE_NOOP("HeicModelData", "not enough memory"),
    QT_TRANSLATE_NOOP("HeicModelData", "picture size too small"),
    QT_TRANSLATE_NOOP("HeicModelData", "output folder not writable"),
    QT_TRANSLATE_NOOP("HeicModelData", "disk full"),
    QT_TRANSLATE_NOOP("HeicModelData", "EXIF could not be written"),
};
}  // namespace

QPixmap ModelDataBase::checkBoxCell(int look) const {
    if (look >= 0 && look < listCheckBoxPixmap.size()) {
        return listCheckBoxPixmap.at(look);
    }
    return listCheckBoxPixmap.value(0);
}

QList<QPixmap> checkBoxCells() {
    static const QList<QPixmap> cells = [] {
        QList<QPixmap> list;
        const QPixmap image = loadKitPixmap(QStringLiteral(":/Img/res/btn/icon_check.png"));
        for (int x = 0; x < image.width(); x += kCell) {
            for (int y = 0; y < image.height(); y += kCell) {
                list.append(image.copy(x, y, kCell, kCell));
            }
        }
        return list;
    }();
    return cells;
}

QString ModelDataBase::displayText(int column) const {
    return column == 0 ? strLabel : QString();
}

QString HeicModelData::displayText(int column) const {
    switch (column) {
        case 1:
            return strFileName;
        case 2:
            return strFileSize;
        case 3:
            return QString::number(nOutputFormat);
        case 4:
            return QString::number(nConvertState);
        default:
            return ModelDataBase::displayText(column);
    }
}

bool HeicModelData::isConvertedTo(int format) const {
    switch (format) {
        case 0:
            return bConvertedJpg;
        case 1:
            return bConvertedPng;
        case 2:
            return bConvertedBmp;
        default:
            return false;
    }
}

void HeicModelData::setConvertedTo(int format) {
    switch (format) {
        case 0:
            bConvertedJpg = true;
            break;
        case 1:
            bConvertedPng = true;
            break;
        case 2:
            bConvertedBmp = true;
            break;
        default:
            break;
    }
}

QString HeicModelData::failReasonText() const {
    return QCoreApplication::translate("HeicModelData", strFailReason.toUtf8().constData());
}

QString heicSizeText(qint64 bytes) {
    const double kilobytes = double(bytes) / 1024.0;
    if (kilobytes < 1024.0) {
        return QStringLiteral("%1 KB").arg(kilobytes, 0, 'f', 2);
    }
    return QStringLiteral("%1 MB").arg(kilobytes / 1024.0, 0, 'f', 2);
}

void HeicModelData::restButtons() {
    nPreviewState = Normal;
    nDeleteState = Normal;
    if (nFolderState != Disabled) {
        nFolderState = Normal;
    }
}

void HeicModelData::setFileSize(qint64 bytes) {
    nFileBytes = bytes;
    strFileSize = heicSizeText(bytes);
}

bool ModelDataBase::sortsBefore(const ModelDataBase& other, int column) const {
    return naturalCompare(displayText(column), other.displayText(column)) < 0;
}

bool HeicModelData::sortsBefore(const ModelDataBase& other, int column) const {
    const auto* heic = dynamic_cast<const HeicModelData*>(&other);
    if (heic == nullptr) {
        return ModelDataBase::sortsBefore(other, column);
    }
    if (column == 2 && nFileBytes != heic->nFileBytes) {
        return nFileBytes < heic->nFileBytes;
    }
    if (column == 4 && nConvertState != heic->nConvertState) {
        return nConvertState < heic->nConvertState;
    }
    const int byName = naturalCompare(strFileName, heic->strFileName);
    return byName != 0 ? byName < 0 : strFilePath < heic->strFilePath;
}

namespace {

int digitRunEnd(const QString& text, int from) {
    while (from < text.size() && text.at(from).isDigit()) {
        ++from;
    }
    return from;
}

// Two runs of digits by value: without leading zeros the longer is larger.
int compareNumbers(QStringRef a, QStringRef b) {
    while (a.size() > 1 && a.at(0) == QLatin1Char('0')) {
        a = a.mid(1);
    }
    while (b.size() > 1 && b.at(0) == QLatin1Char('0')) {
        b = b.mid(1);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

}  // namespace

int naturalCompare(const QString& a, const QString& b) {
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const int endA = digitRunEnd(a, i);
            const int endB = digitRunEnd(b, j);
            const int byValue = compareNumbers(a.midRef(i, endA - i), b.midRef(j, endB - j));
            if (byValue != 0) {
                return byValue;
            }
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded();
        const QChar cb = b.at(j).toCaseFolded();
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return i < a.size() ? 1 : -1;
    }
    return QString::compare(a, b);  // equal but for case or leading zeros: a fixed order
}
