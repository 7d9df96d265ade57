#pragma once

#include "qbasebutton.h"
#include "stateframes.h"

// A button drawn only from its state strip, sized to one frame.
class ZTWIDGETKIT_EXPORT QIconButton : public QBaseButton {
    Q_OBJECT

public:
    QIconButton(const QString& imagePath, const QSize& frameSize, QWidget* parent = nullptr);

    const StateFrames& frames() const { return m_frames; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StateFrames m_frames;
};
