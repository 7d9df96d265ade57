#pragma once

#include "kitframe.h"
#include "widgetkit_global.h"

#include <QColor>
#include <QMainWindow>

// A frameless, translucent main window with a 30-pixel soft shadow on every side, a coloured
// title area by which alone it is dragged, and a plain body. A resizable one grows from its
// smallest size by a drag on the shadow along its right or bottom edge.
class ZTWIDGETKIT_EXPORT CFramelessWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kShadowMargin = KitFrame::kShadowMargin;

    explicit CFramelessWindow(QWidget* parent = nullptr);

    // Fixes the window to a content size; the shadow margin lies outside it.
    void setFixedSize(int width, int height);
    // Resizable from this content size up; the title area follows the width.
    void setResizable(int minWidth, int minHeight);
    // The content size: the window without its shadow margin.
    QSize contentSize() const;
    // The edges a press at pos would drag (right, bottom, both, or none).
    Qt::Edges resizeEdgesAt(const QPoint& pos) const;
    bool isResizing() const { return m_resizeEdges != Qt::Edges(); }
    void setTitleSize(const QSize& size);
    void setTitleColor(const QColor& color);
    void setBackgroundColor(const QColor& color);

    QRect titleArea() const { return m_frame.titleBand(); }
    bool isDragging() const { return m_frame.isDragging(); }
    // The shadow margin is drawn where the desktop blends windows, cut off otherwise.
    KitFrame& frame() { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A drag on the edges has ended with the window at a new size.
    virtual void resizeFinished() {}

private:
    void updateResizeCursor(const QPoint& pos);

    KitFrame m_frame;
    bool m_bResizable = false;
    Qt::Edges m_resizeEdges;
    QSize m_pressSize;
    QPoint m_pressGlobal;
};
