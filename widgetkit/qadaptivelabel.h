#pragma once

#include "kitfont.h"

#include <QColor>
#include <QLabel>

// A one-line label with its own font and colour that fixes its size to its text.
class ZTWIDGETKIT_EXPORT QAdaptiveLabel : public QLabel {
    Q_OBJECT

public:
    QAdaptiveLabel(const QColor& textColor, const FontSpec& font, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_strText; }
    void setAlignment(int alignment);
    void setTextColor(const QColor& color);
    QColor textColor() const { return m_textColor; }

private:
    QColor m_textColor;
    QFont m_font;
    QString m_strText;
    int m_nAlignment = 0;
};
