#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QFrame>

// A rule: one line from the top-left to the bottom-right corner of the widget.
class ZTWIDGETKIT_EXPORT QLineEx : public QFrame {
    Q_OBJECT

public:
    QLineEx(const QColor& color, int penWidth, int penStyle, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    int m_nPenWidth;
    int m_nPenStyle;
};
