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
    const double megabytes = double(bytes) / 1024.0 / 1024.0;
    return QStringLiteral("%1 MB").arg(megabytes, 0, 'f', 2);
}
