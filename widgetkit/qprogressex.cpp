#include "qprogressex.h"

#include "kittheme.h"
#include "stateframes.h"

#include <QPainter>
#include <QPainterPath>

QProgressEx::QProgressEx(QWidget* parent, bool animated)
    : QWidget(parent),
      m_animationImage(loadKitPixmap(KitTheme::current().progressAnimation)),
      m_bAnimated(animated) {
    connect(&m_timer, &QTimer::timeout, this, &QProgressEx::updateAnimation);
}

void QProgressEx::setValue(int percent) {
    m_nValue = qBound(0, percent, 100);
    if (isVisible()) {
        startAnimationIfFilled();
    }
    update();
}

void QProgressEx::setAnimated(bool animated) {
    m_bAnimated = animated;
    if (!animated) {
        m_timer.stop();
    }
    update();
}

void QProgressEx::startAnimationIfFilled() {
    if (m_bAnimated && !m_timer.isActive() && m_nValue > 0) {
        m_timer.start(15);
    }
}

void QProgressEx::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    startAnimationIfFilled();
}

void QProgressEx::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void QProgressEx::setImage(const QString& path) {
    m_animationImage = loadKitPixmap(path);
    update();
}

void QProgressEx::setText(const QString& text) {
    m_strText = text;
    update();
}

void QProgressEx::setTrackColor(const QColor& color) {
    m_trackColor = color;
    update();
}

void QProgressEx::setFillColor(const QColor& color) {
    m_fillColor = color;
    update();
}

void QProgressEx::updateAnimation() {
    if (!isVisible()) {
        return;
    }
    if (m_nOffset - fillWidth() < m_animationImage.width()) {
        m_nOffset += 5;
    } else {
        m_nOffset = 0;
    }
    update();
}

QProgressEx::Slice QProgressEx::highlightSlice(int imageWidth, int imageHeight, int offset,
                                               int fillWidth) {
    Slice slice;
    const int iw = imageWidth;
    const int o = offset;
    if (o > iw && o < fillWidth) {
        slice.source = QRect(0, 0, iw, imageHeight);
        slice.left = o - iw;
    } else if (o > iw) {
        const int visible = iw + fillWidth - o;
        if (visible > 0) {
            slice.source = QRect(0, 0, visible, imageHeight);
            slice.left = fillWidth - visible;
        }
    } else if (o < fillWidth) {
        if (o > 0) {
            slice.source = QRect(iw - o, 0, o, imageHeight);
        }
    } else if (fillWidth > 0) {
        slice.source = QRect(iw - o, 0, fillWidth, imageHeight);
    }
    slice.width = slice.source.width();
    return slice;
}

void QProgressEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect area = rect();
    const int radius = area.height() < 4 ? 2 : 5;

    QPainterPath track;
    track.addRoundedRect(area, radius, radius);
    painter.fillPath(track, m_trackColor);

    const int fw = area.width() * m_nValue / 100;
    if (m_nValue != 0) {
        QPainterPath fill;
        fill.addRoundedRect(QRect(area.x(), area.y(), fw, area.height()), radius, radius);
        painter.fillPath(fill, m_fillColor);
    }

    if (m_bAnimated && !m_animationImage.isNull()) {
        const Slice slice =
            highlightSlice(m_animationImage.width(), m_animationImage.height(), m_nOffset, fw);
        if (slice.width > 0) {
            m_currentSlice = m_animationImage.copy(slice.source);
            int left = area.x() + slice.left;
            int right = left + slice.width;
            if (left == area.left()) {
                left += radius;
            }
            if (right == area.left() + area.width()) {
                right -= radius;
            }
            if (right > left) {
                painter.drawPixmap(QRect(left, area.y(), right - left, area.height()),
                                   m_currentSlice);
            }
        }
    }

    if (!m_strText.isEmpty()) {
        painter.setPen(QColor("white"));
        painter.drawText(area, Qt::AlignCenter, m_strText);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
}
