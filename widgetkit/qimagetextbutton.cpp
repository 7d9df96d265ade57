#include "qimagetextbutton.h"

#include <qdrawutil.h>
#include <QPainter>

QImageTextButton::QImageTextButton(const QString& imagePath, const QSize& frameSize,
                                   QWidget* parent)
    : QBaseButton(parent),
      m_frames(loadStateFrames(imagePath, frameSize)),
      m_textColors{QColor("#FAAB3E"), QColor("#FFFFFF"), QColor("#FAAB3E"), QColor("#DDDDDD")} {
    m_textFont.setFamily(QStringLiteral("Microsoft YaHei"));
    m_textFont.setPixelSize(14);
    m_textFont.setWeight(50);
    // Without its image the button keeps its designed size, so layouts do not collapse.
    setFixedSize(m_frames[0].isNull() ? frameSize : m_frames[0].size());
}

void QImageTextButton::setTextColor(const QColor& normal, const QColor& hover,
                                    const QColor& pressed, const QColor& disabled) {
    m_textColors = {normal, hover, pressed, disabled};
    update();
}

void QImageTextButton::setTextFont(int pixelSize, int weight, const QString& family) {
    m_textFont.setFamily(family);
    m_textFont.setPixelSize(pixelSize > 0 ? pixelSize : 14);
    m_textFont.setWeight(weight);
    update();
}

void QImageTextButton::setTextOffset(int x, int y) {
    m_nTextOffsetX = x;
    m_nTextOffsetY = y;
    update();
}

QColor QImageTextButton::textColor(int buttonState) const {
    return buttonState >= 0 && buttonState < 4 ? m_textColors[buttonState] : QColor();
}

QRect QImageTextButton::textRect(const QRect& rect, int offsetX, int offsetY) {
    if (offsetX != 0 && offsetY != 0) {
        return QRect(offsetX, offsetY, rect.width() - offsetX, rect.height() - offsetY);
    }
    if (offsetX != 0) {
        return QRect(offsetX, 0, rect.width() - offsetX, rect.height());
    }
    if (offsetY != 0) {
        return QRect(0, offsetY, rect.width(), rect.height() - offsetY);
    }
    return rect;
}

int QImageTextButton::textAlignment(int offsetX, int offsetY) {
    if (offsetX != 0 && offsetY != 0) {
        return Qt::AlignLeft | Qt::AlignTop;
    }
    if (offsetX != 0) {
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (offsetY != 0) {
        return Qt::AlignHCenter | Qt::AlignTop;
    }
    return Qt::AlignCenter;
}

void QImageTextButton::paintEvent(QPaintEvent*) {
    if (state < 0 || state > 3) {
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    const QPixmap& frame = m_frames[state];
    if (!frame.isNull()) {
        qDrawBorderPixmap(&painter, area, m_borderMargins, frame, frame.rect(), m_borderMargins,
                          QTileRules(Qt::StretchTile));
    }
    painter.setPen(m_textColors[state]);
    painter.setFont(m_textFont);
    painter.drawText(textRect(area, m_nTextOffsetX, m_nTextOffsetY),
                     textAlignment(m_nTextOffsetX, m_nTextOffsetY), text());
}
