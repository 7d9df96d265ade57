#include "qirregularframeex.h"

#include <QPainter>
#include <QPainterPath>

QIrregularFrameEX::QIrregularFrameEX(QWidget* parent) : QFrame(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

void QIrregularFrameEX::setArrowSize(int width, int height) {
    m_nArrowWidth = width;
    m_nArrowHeight = height;
    update();
}

void QIrregularFrameEX::paintEvent(QPaintEvent*) {
    const QRect area = contentsRect();
    const double w = area.width();
    const double h = area.height();
    const double a = m_nArrowHeight;
    const double b = m_nArrowWidth;
    QPainterPath path;
    path.moveTo(0, a);
    path.lineTo(w / 2 - b / 2, a);
    path.lineTo(w / 2, 0);
    path.lineTo(w / 2 + b / 2, a);
    path.lineTo(w, a);
    path.lineTo(w, h);
    path.lineTo(0, h);
    path.closeSubpath();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QColor("#FFFFFF"));
    painter.setBrush(QColor("#FFFFFF"));
    painter.drawPath(path);
}
