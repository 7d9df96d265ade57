#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPixmap>

// A frameless, translucent main window with a 30-pixel soft shadow on every side, a coloured
// title area by which alone it is dragged, and a plain body.
class CFramelessWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kShadowMargin = 30;

    explicit CFramelessWindow(QWidget* parent = nullptr);

    // Fixes the window to a content size; the shadow margin lies outside it.
    void setFixedSize(int width, int height);
    void setTitleSize(const QSize& size);
    void setTitleColor(const QColor& color);
    void setBackgroundColor(const QColor& color);

    QRect titleArea() const;
    bool isDragging() const { return m_bDragging; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint m_pressPos{-1, -1};
    bool m_bDragging = false;
    QSize m_titleSize;
    QColor m_titleColor{"#FFFFFF"};
    QColor m_backgroundColor{"#FFFFFF"};
    QPixmap m_shadow;
};
