#include "qimagelable.h"

#include "stateframes.h"

#include <QPainter>

QImageLable::QImageLable(const QString& imagePath, QWidget* parent)
    : QFrame(parent), m_pixmap(loadKitPixmap(imagePath)) {}

void QImageLable::setPixmap(const QPixmap& pixmap) {
    m_pixmap = pixmap;
    update();
}

void QImageLable::setBackgroundColor(const QColor& color) {
    m_backgroundColor = color;
}

void QImageLable::fitPixmapInto(const QSize& area) {
    const int pw = m_pixmap.width();
    const int ph = m_pixmap.height();
    if (m_pixmap.isNull() || area.width() <= 0 || area.height() <= 0) {
        return;
    }
    // A picture that already fits (also one scaled here before) is left alone.
    if (pw <= area.width() && ph <= area.height()) {
        return;
    }
    const double rw = double(pw) / area.width();
    const double rh = double(ph) / area.height();
    const double ratio = rw >= rh ? rw : rh;
    m_pixmap = m_pixmap.scaled(qMax(1, int(pw / ratio)), qMax(1, int(ph / ratio)),
                               Qt::KeepAspectRatio, Qt::FastTransformation);
}

void QImageLable::paintEvent(QPaintEvent*) {
    fitPixmapInto(rect().size());
    if (m_pixmap.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawPixmap((area.width() - m_pixmap.width()) / 2,
                       (area.height() - m_pixmap.height()) / 2, m_pixmap);
}
