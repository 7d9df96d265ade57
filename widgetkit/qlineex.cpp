#include "qlineex.h"

#include <QPainter>

QLineEx::QLineEx(const QColor& color, int penWidth, int penStyle, QWidget* parent)
    : QFrame(parent), m_color(color), m_nPenWidth(penWidth), m_nPenStyle(penStyle) {}

void QLineEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen = painter.pen();
    pen.setColor(m_color);
    pen.setWidth(m_nPenWidth);
    const bool knownStyle = m_nPenStyle >= Qt::NoPen && m_nPenStyle <= Qt::CustomDashLine;
    pen.setStyle(knownStyle ? static_cast<Qt::PenStyle>(m_nPenStyle) : Qt::SolidLine);
    painter.setPen(pen);
    const QRect area = rect();
    painter.drawLine(0, 0, area.width(), area.height());
}
