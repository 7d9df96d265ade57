#pragma once

#include "qbasebutton.h"
#include "stateframes.h"

#include <QColor>
#include <QFont>
#include <QMargins>

#include <array>

// A button drawn from its state strip with a nine-patch stretch and a text on top.
class ZTWIDGETKIT_EXPORT QImageTextButton : public QBaseButton {
    Q_OBJECT

public:
    QImageTextButton(const QString& imagePath, const QSize& frameSize, QWidget* parent = nullptr);

    void setTextColor(const QColor& normal, const QColor& hover, const QColor& pressed,
                      const QColor& disabled);
    void setTextFont(int pixelSize, int weight,
                     const QString& family = QStringLiteral("Microsoft YaHei"));
    void setTextOffset(int x, int y);

    const StateFrames& frames() const { return m_frames; }
    QColor textColor(int buttonState) const;
    const QFont& textFont() const { return m_textFont; }

    // Where and how the text goes for the given offsets inside rect.
    static QRect textRect(const QRect& rect, int offsetX, int offsetY);
    static int textAlignment(int offsetX, int offsetY);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StateFrames m_frames;
    std::array<QColor, 4> m_textColors;
    QMargins m_borderMargins{5, 5, 5, 5};
    QFont m_textFont;
    int m_nTextOffsetX = 0;
    int m_nTextOffsetY = 0;
};
