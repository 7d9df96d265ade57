#include "qadaptivelabel.h"

#include <QFontMetrics>

QAdaptiveLabel::QAdaptiveLabel(const QColor& textColor, const FontSpec& font, QWidget* parent)
    : QLabel(parent), m_textColor(textColor), m_font(font.toFont()) {
    setFont(m_font);
    setStyleSheet(QStringLiteral("color:%1").arg(m_textColor.name()));
    adjustSize();
}

void QAdaptiveLabel::setText(const QString& text) {
    m_strText = text;
    const QRect measured = QFontMetrics(m_font).boundingRect(text);
    if (height() < measured.height()) {
        setFixedHeight(measured.height());
    }
    setFixedWidth(measured.width() + 4);
    QLabel::setText(text);
    update();
}

void QAdaptiveLabel::setAlignment(int alignment) {
    m_nAlignment = alignment;
    QLabel::setAlignment(static_cast<Qt::Alignment>(alignment));
    update();
}

void QAdaptiveLabel::setTextColor(const QColor& color) {
    m_textColor = color;
    setStyleSheet(QStringLiteral("color:%1").arg(m_textColor.name()));
}
