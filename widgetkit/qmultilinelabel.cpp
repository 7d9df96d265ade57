#include "qmultilinelabel.h"

#include <QFontMetrics>
#include <QtMath>

#include <cmath>

QMultiLineLabel::QMultiLineLabel(const QColor& textColor, const FontSpec& font, QWidget* parent)
    : QLabel(parent), m_textColor(textColor), m_font(font.toFont()) {
    setFont(m_font);
    setStyleSheet(QStringLiteral("color:%1").arg(m_textColor.name()));
    QLabel::setAlignment(static_cast<Qt::Alignment>(m_nAlignment));
    setWordWrap(true);
}

int QMultiLineLabel::oneLineWidth(const QString& text) const {
    return qCeil(QFontMetricsF(m_font).horizontalAdvance(text)) + 1;
}

void QMultiLineLabel::setText(const QString& text, bool fitWidth) {
    m_strText = text;
    const QRect measured = QFontMetrics(m_font).boundingRect(text);
    const int labelWidth = width();
    const int lines =
        labelWidth > 0 ? int(std::ceil(double(measured.width()) / double(labelWidth))) : 1;
    setFixedHeight(measured.height() * lines);
    if (fitWidth && lines < 2) {
        // The ink rectangle can be narrower than the text's advance (a trailing full-width
        // mark), and word wrap would then push the last character onto a hidden second line.
        setFixedWidth(qMax(measured.width(), oneLineWidth(text)));
    }
    QLabel::setText(text);
    update();
}

void QMultiLineLabel::setAlignment(int alignment) {
    m_nAlignment = alignment;
    QLabel::setAlignment(static_cast<Qt::Alignment>(alignment));
    update();
}

void QMultiLineLabel::setTextColor(const QColor& color) {
    m_textColor = color;
    setStyleSheet(QStringLiteral("color:%1").arg(m_textColor.name()));
    update();
}
