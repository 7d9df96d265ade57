#include "gallerycanvas.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <QWidget>

#include <cstdio>

namespace {

const int kSheetWidth = 1400;
const int kSheetGap = 16;
const int kCaptionHeight = 18;
const QColor kSheetColor("#8E96A3");

}  // namespace

GalleryCanvas::GalleryCanvas(const QString& outDir, const QString& language)
    : m_strOutDir(QDir(outDir).absoluteFilePath(language)), m_strLanguage(language) {}

QString GalleryCanvas::pick(const QString& english, const QString& chinese) const {
    return isChinese() ? chinese : english;
}

void GalleryCanvas::shoot(const QString& name, QWidget* widget, const QColor& backdrop,
                          int padding) {
    if (widget->isWindow() && !widget->isVisible()) {
        widget->show();
    }
    widget->ensurePolished();
    if (widget->layout() != nullptr) {
        widget->layout()->activate();
    }
    QApplication::processEvents();
    if (!widget->isWindow() && widget->size().isEmpty()) {
        widget->adjustSize();
    }

    QImage image(widget->size() + QSize(2 * padding, 2 * padding), QImage::Format_ARGB32);
    image.fill(backdrop);
    // Only what the widget paints itself, over the backdrop (the page it would stand on).
    widget->render(&image, QPoint(padding, padding), QRegion(), QWidget::DrawChildren);

    const QString path = QDir(m_strOutDir).filePath(m_strGroup + "/" + name + ".png");
    if (save(image, path)) {
        m_shots.append({m_strGroup, name, image});
        m_shotFiles.append(path);
    }
}

bool GalleryCanvas::save(const QImage& image, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path)) {
        std::fprintf(stderr, "pixvue-gallery: cannot write %s\n", qPrintable(path));
        m_bFailed = true;
        return false;
    }
    ++m_nWritten;
    return true;
}

QImage GalleryCanvas::contactSheet(const QVector<const Shot*>& shots) const {
    // Rows of shots, left to right, each with its name underneath.
    QFont caption(QStringLiteral("DejaVu Sans"));
    caption.setPixelSize(11);
    const QFontMetrics metrics(caption);
    auto cellWidth = [&metrics](const Shot* shot) {
        return qMax(shot->image.width(), metrics.horizontalAdvance(shot->name) + 4);
    };
    QVector<QPoint> places;
    int x = kSheetGap;
    int y = kSheetGap;
    int rowHeight = 0;
    int width = 0;
    for (const Shot* shot : shots) {
        const QSize size = shot->image.size();
        if (x > kSheetGap && x + cellWidth(shot) > kSheetWidth) {
            x = kSheetGap;
            y += rowHeight + kCaptionHeight + kSheetGap;
            rowHeight = 0;
        }
        places.append(QPoint(x, y));
        x += cellWidth(shot) + kSheetGap;
        width = qMax(width, x);
        rowHeight = qMax(rowHeight, size.height());
    }
    QImage sheet(width, y + rowHeight + kCaptionHeight + kSheetGap, QImage::Format_ARGB32);
    sheet.fill(kSheetColor);
    QPainter painter(&sheet);
    painter.setFont(caption);
    painter.setPen(Qt::white);
    for (int i = 0; i < shots.size(); ++i) {
        const Shot* shot = shots[i];
        painter.drawImage(places[i], shot->image);
        painter.drawText(QRect(places[i].x(), places[i].y() + shot->image.height() + 2,
                               cellWidth(shot), kCaptionHeight - 2),
                         Qt::AlignLeft | Qt::AlignTop, shot->name);
    }
    return sheet;
}

bool GalleryCanvas::finish() {
    QStringList groups;
    for (const Shot& shot : m_shots) {
        if (!groups.contains(shot.group)) {
            groups.append(shot.group);
        }
    }
    for (const QString& group : groups) {
        QVector<const Shot*> shots;
        for (const Shot& shot : m_shots) {
            if (shot.group == group) {
                shots.append(&shot);
            }
        }
        save(contactSheet(shots), QDir(m_strOutDir).filePath(group + ".png"));
    }
    return !m_bFailed;
}

void GalleryCanvas::hover(QWidget* widget) {
    QEvent event(QEvent::Enter);
    QApplication::sendEvent(widget, &event);
}

void GalleryCanvas::leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

void GalleryCanvas::press(QWidget* widget, const QPoint& pos) {
    const QPoint at = pos.x() < 0 ? widget->rect().center() : pos;
    QMouseEvent event(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
