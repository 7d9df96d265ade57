#include "qiconbutton.h"

#include <QPainter>

QIconButton::QIconButton(const QString& imagePath, const QSize& frameSize, QWidget* parent)
    : QBaseButton(parent), m_frames(loadStateFrames(imagePath, frameSize)) {
    setFixedSize(frameSize);
}

void QIconButton::paintEvent(QPaintEvent*) {
    if (state < 0 || state > 3 || m_frames[state].isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(contentsRect(), m_frames[state]);
}
