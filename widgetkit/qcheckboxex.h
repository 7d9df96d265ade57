#pragma once

#include "widgetkit_global.h"

#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QPixmap>

// A check box drawn from a 2 x 4 sprite of indicator cells: column 0 unchecked, 1 checked;
// rows normal, hover, hover and pressed, disabled. Partially checked boxes show only the text.
class ZTWIDGETKIT_EXPORT QCheckBoxEx : public QCheckBox {
    Q_OBJECT

public:
    explicit QCheckBoxEx(QWidget* parent = nullptr);

    // Takes the sprite from region of the image at path.
    void setIndicatorImage(const QString& path, const QRect& region);
    void setIndicatorSize(const QSize& size);
    void setIndicatorLeftOffset(int offset);
    void setSpacing(int spacing);
    void setBackgroundAlpha(int alpha);
    void setTextFont(const QFont& font);
    void setTextColor(const QColor& color);
    void setDrawBorder(bool draw);
    void setBorderColor(const QColor& color);
    void setBorderWidth(int width);

    bool isHovered() const { return m_bHover; }
    bool isPressed() const { return m_bPressed; }
    const QFont& textFont() const { return m_textFont; }
    // The sprite cell painted for the current state; (-1, -1) when no indicator is drawn.
    QPoint indicatorCell() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRect indicatorRect() const;

    bool m_bHover = false;
    bool m_bPressed = false;
    QPixmap m_indicatorSprite;
    int m_nIndicatorLeft = 0;
    int m_nSpacing = 10;
    int m_nBackgroundAlpha = 0;
    QFont m_textFont;
    QColor m_textColor{"#444444"};
    QSize m_indicatorSize{16, 16};
    bool m_bDrawBorder = false;
    QColor m_borderColor{221, 221, 221, 255};
    int m_nBorderWidth = 1;
};
