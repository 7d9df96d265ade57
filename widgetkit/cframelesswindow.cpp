#include "cframelesswindow.h"

#include "kittheme.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
const int kResizeGrip = 12;       // pixels of the shadow that resize the window
const int kShapedResizeGrip = 4;  // the same, where the shadow is cut off
}  // namespace

CFramelessWindow::CFramelessWindow(QWidget* parent) : QMainWindow(parent), m_frame(*this) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);
    m_frame.setTitleSize(QSize());
    m_frame.setShadowImage(KitTheme::current().shadowImage);
}

void CFramelessWindow::setFixedSize(int width, int height) {
    QMainWindow::setFixedSize(width + 2 * kShadowMargin, height + 2 * kShadowMargin);
}

void CFramelessWindow::setResizable(int minWidth, int minHeight) {
    setMinimumSize(minWidth + 2 * kShadowMargin, minHeight + 2 * kShadowMargin);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_bResizable = true;
    m_frame.setGripWidth(kShapedResizeGrip);
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
    const QSize titleSize = m_frame.titleSize();
    if (m_bResizable && titleSize.isValid()) {
        m_frame.setTitleSize(QSize(contentSize().width(), titleSize.height()));
    }
    m_frame.updateShape();
    QMainWindow::resizeEvent(event);
}

void CFramelessWindow::setTitleSize(const QSize& size) {
    m_frame.setTitleSize(size);
}

void CFramelessWindow::setTitleColor(const QColor& color) {
    m_frame.setTitleColor(color);
    update();
}

void CFramelessWindow::setBackgroundColor(const QColor& color) {
    m_frame.setBodyColor(color);
}

void CFramelessWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_frame.paint(painter);
}

void CFramelessWindow::mousePressEvent(QMouseEvent* event) {
    m_frame.press(*event);
    if (event->button() == Qt::LeftButton) {
        m_resizeEdges = resizeEdgesAt(event->pos());
        m_pressSize = size();
        m_pressGlobal = event->globalPos();
    }
    QMainWindow::mousePressEvent(event);
}

void CFramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_frame.isDragging()) {
        m_frame.move(*event);
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
        updateResizeCursor(event->pos());
    }
    QMainWindow::mouseMoveEvent(event);
}

void CFramelessWindow::updateResizeCursor(const QPoint& pos) {
    const Qt::Edges edges = resizeEdgesAt(pos);
    if (edges == (Qt::RightEdge | Qt::BottomEdge)) {
        setCursor(Qt::SizeFDiagCursor);
    } else if (edges != Qt::Edges()) {
        setCursor(edges & Qt::RightEdge ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
}

void CFramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_frame.release();
    if (isResizing()) {
        m_resizeEdges = Qt::Edges();
        if (size() != m_pressSize) {
            resizeFinished();
        }
    }
    QMainWindow::mouseReleaseEvent(event);
}
