#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QSize>

class QMouseEvent;
class QPainter;
class QWidget;

namespace kitframe {

// Whether the desktop blends translucent windows with what lies below them. Wayland always
// does and the offscreen platform keeps each window's alpha; X11 does only with a compositing
// manager running, and otherwise shows a translucent margin opaque.
ZTWIDGETKIT_EXPORT bool desktopBlendsWindows();

}  // namespace kitframe

// The look and the drag that frameless windows and dialogs share: a soft shadow in a 30-pixel
// margin on every side, a coloured title band by which alone the widget is dragged, and a plain
// body. Where the desktop cannot blend, the margin is cut off the widget's shape instead (but for
// a 1-pixel outline), so that no opaque band shows around it; the widget keeps its size and layout.
class ZTWIDGETKIT_EXPORT KitFrame {
public:
    static constexpr int kShadowMargin = 30;

    explicit KitFrame(QWidget& widget);

    // Whether the shadow margin is drawn (the default follows desktopBlendsWindows()).
    bool drawsShadow() const { return m_bDrawsShadow; }
    void setDrawsShadow(bool draws);
    // Extra pixels kept on the right and bottom of a cut-off shape, for a resize grip.
    void setGripWidth(int width);

    // Loads the shadow image; one smaller than its margins is refused (logged).
    void setShadowImage(const QString& path);
    void setTitleSize(const QSize& size) { m_titleSize = size; }
    void setTitleColor(const QColor& color) { m_titleColor = color; }
    void setBodyColor(const QColor& color) { m_bodyColor = color; }
    QSize titleSize() const { return m_titleSize; }
    QRect titleBand() const;
    QRect contentRect() const;
    bool isDragging() const { return m_bDragging; }
    QPoint pressPos() const { return m_pressPos; }

    void paint(QPainter& painter) const;
    // Call from the widget's mouse handlers; a press in the title band starts a drag.
    void press(const QMouseEvent& event);
    void move(const QMouseEvent& event);
    void release() { m_bDragging = false; }
    // Call when the widget's size changes: shapes it to its content where nothing blends.
    void updateShape();

private:
    // The shape where the shadow is cut off: the content, a 1-pixel outline and the grip.
    QRect shapeRect() const;

    QWidget& m_widget;
    QPoint m_pressPos{-1, -1};
    bool m_bDragging = false;
    bool m_bDrawsShadow = true;
    int m_nGripWidth = 0;
    QSize m_titleSize{0, 0};
    QColor m_titleColor{"#FFFFFF"};
    QColor m_bodyColor{"#FFFFFF"};
    QPixmap m_shadow;
};
