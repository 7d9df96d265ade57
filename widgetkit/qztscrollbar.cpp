#include "qztscrollbar.h"

QZTScrollBar::QZTScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

void QZTScrollBar::slotValueChanged(int value) {
    setValue(value);
}

void QZTScrollBar::slotRangeChanged(int min, int max) {
    setMinimum(min);
    setRange(0, max);
    setPageStep(int((max + height()) * 0.75));
    setVisible(max > 0);
}
