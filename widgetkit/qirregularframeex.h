#pragma once

#include "widgetkit_global.h"

#include <QFrame>

// A white popup body with a small arrow on top, pointing up at the centre.
class ZTWIDGETKIT_EXPORT QIrregularFrameEX : public QFrame {
    Q_OBJECT

public:
    explicit QIrregularFrameEX(QWidget* parent = nullptr);

    void setArrowSize(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nArrowHeight = 8;
    int m_nArrowWidth = 12;
};
