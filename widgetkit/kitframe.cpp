#include "kitframe.h"

#include "stateframes.h"
#include "ztlog.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QX11Info>

namespace {

// Where the shadow is cut off, a thin outline (and a resizable window's grip) stands in for it.
const QColor kOutlineColor("#C5CCDC");

}  // namespace

namespace kitframe {

bool desktopBlendsWindows() {
    return !QX11Info::isPlatformX11() || QX11Info::isCompositingManagerRunning();
}

}  // namespace kitframe

KitFrame::KitFrame(QWidget& widget)
    : m_widget(widget), m_bDrawsShadow(kitframe::desktopBlendsWindows()) {}

void KitFrame::setDrawsShadow(bool draws) {
    m_bDrawsShadow = draws;
    updateShape();
    m_widget.update();
}

void KitFrame::setGripWidth(int width) {
    m_nGripWidth = qBound(0, width, kShadowMargin);
    updateShape();
}

void KitFrame::setShadowImage(const QString& path) {
    m_shadow = loadKitPixmap(path);
    if (!m_shadow.isNull() &&
        (m_shadow.width() < 2 * kShadowMargin || m_shadow.height() < 2 * kShadowMargin)) {
        LOG(ERROR) << "Shadow image " << path << " is smaller than its margins";
        m_shadow = QPixmap();
    }
}

QRect KitFrame::titleBand() const {
    return QRect(QPoint(kShadowMargin, kShadowMargin), m_titleSize);
}

QRect KitFrame::contentRect() const {
    return m_widget.rect().adjusted(kShadowMargin, kShadowMargin, -kShadowMargin, -kShadowMargin);
}

QRect KitFrame::shapeRect() const {
    const int grip = qMax(1, m_nGripWidth);
    return contentRect().adjusted(-1, -1, grip, grip);
}

void KitFrame::paint(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect area = m_widget.contentsRect();
    if (!m_bDrawsShadow) {
        painter.fillRect(shapeRect(), kOutlineColor);
    } else if (!m_shadow.isNull()) {
        const QMargins margins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
        qDrawBorderPixmap(&painter, area, margins, m_shadow, m_shadow.rect(), margins,
                          QTileRules(Qt::StretchTile));
    }
    painter.fillRect(contentRect(), m_bodyColor);
    if (m_titleSize.isValid()) {
        painter.fillRect(titleBand(), m_titleColor);
    }
}

void KitFrame::press(const QMouseEvent& event) {
    if (event.button() == Qt::LeftButton) {
        m_pressPos = event.pos();
        m_bDragging = m_titleSize.isValid() && titleBand().contains(m_pressPos);
    }
}

void KitFrame::move(const QMouseEvent& event) {
    if (m_bDragging) {
        m_widget.move(m_widget.pos() + (event.pos() - m_pressPos));
    }
}

void KitFrame::updateShape() {
    if (m_bDrawsShadow) {
        m_widget.clearMask();
    } else {
        m_widget.setMask(QRegion(shapeRect()));
    }
}
