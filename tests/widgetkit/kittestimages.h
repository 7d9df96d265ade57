#pragma once

// Images the kit tests draw themselves: strips of solid frames and sprites of solid cells,
// written into a temporary folder.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <QWidget>

#ifdef KIT_TEST_WITH_PIXVUE_RESOURCES
#include "pixvueresources.h"
#endif

namespace kittest {

// Makes the converter's images available when this build has them.
inline void useProgramResources() {
#ifdef KIT_TEST_WITH_PIXVUE_RESOURCES
    pixvue::initResources();
    KitTheme::setCurrent(pixvue::kitTheme());
#endif
}

inline const QVector<QColor>& frameColors() {
    static const QVector<QColor> colors{
        QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(0, 0, 255), QColor(255, 255, 0),
        QColor(255, 0, 255), QColor(0, 255, 255), QColor(128, 0, 0), QColor(0, 128, 0)};
    return colors;
}

// A vertical strip of `frames` solid frames of frameSize, frame i in frameColors()[i].
inline QString writeStrip(const QTemporaryDir& dir, const QString& name, QSize frameSize,
                          int frames) {
    QImage image(frameSize.width(), frameSize.height() * frames, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (int i = 0; i < frames; ++i) {
        painter.fillRect(0, i * frameSize.height(), frameSize.width(), frameSize.height(),
                         frameColors()[i]);
    }
    painter.end();
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

// A 2 x 4 sprite of cell-sized cells; cell (column, row) in frameColors()[row * 2 + column].
inline QString writeSprite(const QTemporaryDir& dir, const QString& name, QSize cell) {
    QImage image(cell.width() * 2, cell.height() * 4, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            painter.fillRect(column * cell.width(), row * cell.height(), cell.width(),
                             cell.height(), frameColors()[row * 2 + column]);
        }
    }
    painter.end();
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

inline QString writeSolid(const QTemporaryDir& dir, const QString& name, QSize size,
                          const QColor& color) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

// What the widget paints itself, over a transparent background.
inline QImage paintedImage(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

inline QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

}  // namespace kittest
