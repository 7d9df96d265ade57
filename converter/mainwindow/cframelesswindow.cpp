#include "cframelesswindow.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>

CFramelessWindow::CFramelessWindow(QWidget* parent)
    : QMainWindow(parent), m_shadow(QStringLiteral(":/Img/res/shadow_main.png")) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CFramelessWindow::setFixedSize(int width, int height) {
    QMainWindow::setFixedSize(width + 2 * kShadowMargin, height + 2 * kShadowMargin);
}

void CFramelessWindow::setTitleSize(const QSize& size) {
    m_titleSize = size;
}

void CFramelessWindow::setTitleColor(const QColor& color) {
    m_titleColor = color;
    update();
}

void CFramelessWindow::setBackgroundColor(const QColor& color) {
    m_backgroundColor = color;
}

QRect CFramelessWindow::titleArea() const {
    return QRect(QPoint(kShadowMargin, kShadowMargin), m_titleSize);
}

void CFramelessWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect area = contentsRect();
    if (m_shadow.width() >= 2 * kShadowMargin && m_shadow.height() >= 2 * kShadowMargin) {
        const QMargins margins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
        qDrawBorderPixmap(&painter, area, margins, m_shadow, m_shadow.rect(), margins,
                          QTileRules(Qt::StretchTile));
    }
    painter.fillRect(area.adjusted(kShadowMargin, kShadowMargin, -kShadowMargin, -kShadowMargin),
                     m_backgroundColor);
    if (m_titleSize.isValid()) {
        painter.fillRect(titleArea(), m_titleColor);
    }
}

void CFramelessWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->pos();
        m_bDragging = m_titleSize.isValid() && titleArea().contains(m_pressPos);
    }
    QMainWindow::mousePressEvent(event);
}

void CFramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging) {
        move(pos() + (event->pos() - m_pressPos));
    }
    QMainWindow::mouseMoveEvent(event);
}

void CFramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_bDragging = false;
    QMainWindow::mouseReleaseEvent(event);
}
