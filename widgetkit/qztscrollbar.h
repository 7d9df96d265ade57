#pragma once

#include "widgetkit_global.h"

#include <QScrollBar>

// A thin scroll bar that mirrors another one and hides itself when there is nothing to scroll.
class ZTWIDGETKIT_EXPORT QZTScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit QZTScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

public slots:
    void slotValueChanged(int value);
    void slotRangeChanged(int min, int max);
};
