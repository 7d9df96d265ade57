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
    QT_TRANSLATE_NOOP("HeicModelData", "picture coding not supported"),
    QT_TRANSLATE_NOOP("HeicModelData", "image sequence not supported"),
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
    const HeicModelData* heic = other.heicData();
    if (heic == nullptr) {
        return ModelDataBase::sortsBefore(other, column);
    }
    if (column == 2 && nFileBytes != heic->nFileBytes) {
        return nFileBytes < heic->nFileBytes;
    }
    if (column == 4 && nConvertState != heic->nConvertState) {
        return nConvertState < heic->nConvertState;
    }
    const int byName = nameSortKey().compare(heic->nameSortKey());
    if (byName != 0) {
        return byName < 0;
    }
    const int byCase = QString::compare(strFileName, heic->strFileName);
    return byCase != 0 ? byCase < 0 : strFilePath < heic->strFilePath;
}

const QString& HeicModelData::nameSortKey() const {
    if (m_strNameKey.isEmpty() && !strFileName.isEmpty()) {
        m_strNameKey = naturalSortKey(strFileName);
    }
    return m_strNameKey;
}

QString naturalSortKey(const QString& text) {
    QString key;
    key.reserve(text.size() + 8);
    int i = 0;
    while (i < text.size()) {
        if (!text.at(i).isDigit()) {
            key += text.at(i).toCaseFolded();
            ++i;
            continue;
        }
        int end = i;
        while (end < text.size() && text.at(end).isDigit()) {
            ++end;
        }
        while (i < end - 1 && text.at(i) == QLatin1Char('0')) {
            ++i;  // leading zeros do not count
        }
        // A number: "0", its length (a longer one is larger), its digits.
        key += QLatin1Char('0');
        key += QChar(ushort(u'0' + (end - i)));
        key += text.midRef(i, end - i);
        i = end;
    }
    return key;
}

int naturalCompare(const QString& a, const QString& b) {
    int result = naturalSortKey(a).compare(naturalSortKey(b));
    if (result == 0) {
        result = QString::compare(a, b);  // equal but for case or leading zeros: a fixed order
    }
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}
