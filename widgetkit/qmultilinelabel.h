#pragma once

#include "kitfont.h"

#include <QColor>
#include <QLabel>

// A word-wrapping label that grows to as many text lines as its text needs at its width.
class ZTWIDGETKIT_EXPORT QMultiLineLabel : public QLabel {
    Q_OBJECT

public:
    QMultiLineLabel(const QColor& textColor, const FontSpec& font, QWidget* parent = nullptr);

    // With fitWidth a text of one line also narrows the label to the text.
    void setText(const QString& text, bool fitWidth = false);
    QString text() const { return m_strText; }
    void setAlignment(int alignment);
    void setTextColor(const QColor& color);
    QColor textColor() const { return m_textColor; }

private:
    int oneLineWidth(const QString& text) const;

    QColor m_textColor;
    QFont m_font;
    QString m_strText;
    int m_nAlignment = Qt::AlignLeft | Qt::AlignVCenter;
};
