#include "cframelesswindow.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>

namespace {
const int kResizeGrip = 12;  // pixels of the shadow that resize the window
}  // namespace

CFramelessWindow::CFramelessWindow(QWidget* parent)
    : QMainWindow(parent), m_shadow(QStringLiteral(":/Img/res/shadow_main.png")) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CFramelessWindow::setFixedSize(int width, int height) {
    QMainWindow::setFixedSize(width + 2 * kShadowMargin, height + 2 * kShadowMargin);
}

void CFramelessWindow::setResizable(int minWidth, int minHeight) {
    setMinimumSize(minWidth + 2 * kShadowMargin, minHeight + 2 * kShadowMargin);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_bResizable = true;
    setMouseTracking(true);
}

QSize CFramelessWindow::contentSize() const {
    return size() - QSize(2 * kShadowMargin, 2 * kShadowMargin);
}

Qt::Edges CFramelessWindow::resizeEdgesAt(const QPoint& pos) const {
    Qt::Edges edges;
    if (!m_bResizable || !rect().contains(pos)) {
        return edges;
    }
    // The inner part of the shadow, where the window's edge seems to be.
    const int right = width() - kShadowMargin;
    const int bottom = height() - kShadowMargin;
    if (pos.x() >= right && pos.x() < right + kResizeGrip && pos.y() < bottom + kResizeGrip) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() >= bottom && pos.y() < bottom + kResizeGrip && pos.x() < right + kResizeGrip) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void CFramelessWindow::resizeEvent(QResizeEvent* event) {
    if (m_bResizable && m_titleSize.isValid()) {
        m_titleSize.setWidth(contentSize().width());
    }
    QMainWindow::resizeEvent(event);
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
        m_resizeEdges = resizeEdgesAt(m_pressPos);
        m_pressSize = size();
        m_pressGlobal = event->globalPos();
    }
    QMainWindow::mousePressEvent(event);
}

void CFramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging) {
        move(pos() + (event->pos() - m_pressPos));
    } else if (isResizing()) {
        const QPoint delta = event->globalPos() - m_pressGlobal;
        QSize wanted = m_pressSize;
        if (m_resizeEdges & Qt::RightEdge) {
            wanted.rwidth() += delta.x();
        }
        if (m_resizeEdges & Qt::BottomEdge) {
            wanted.rheight() += delta.y();
        }
        resize(wanted.expandedTo(minimumSize()));
    } else if (m_bResizable && event->buttons() == Qt::NoButton) {
        const Qt::Edges edges = resizeEdgesAt(event->pos());
        if (edges == (Qt::RightEdge | Qt::BottomEdge)) {
            setCursor(Qt::SizeFDiagCursor);
        } else if (edges != Qt::Edges()) {
            setCursor(edges & Qt::RightEdge ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        } else {
            unsetCursor();
        }
    }
    QMainWindow::mouseMoveEvent(event);
}

void CFramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_bDragging = false;
    if (isResizing()) {
        m_resizeEdges = Qt::Edges();
        if (size() != m_pressSize) {
            resizeFinished();
        }
    }
    QMainWindow::mouseReleaseEvent(event);
}
