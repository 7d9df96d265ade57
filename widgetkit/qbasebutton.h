#pragma once

#include "widgetkit_global.h"

#include <QPushButton>

// Look of a kit button; indexes its state frames and text colours.
enum ButtonState { ButtonNormal = 0, ButtonHover = 1, ButtonPressed = 2, ButtonDisabled = 3 };

// A push button that tracks its look from the mouse and never clicks from the keyboard. A
// dialog that its click opens over its window, or hiding it, puts it back at rest.
class ZTWIDGETKIT_EXPORT QBaseButton : public QPushButton {
    Q_OBJECT

public:
    explicit QBaseButton(QWidget* parent = nullptr);

    void setEnabled(bool enabled);
    int buttonState() const { return state; }

signals:
    void signalMouseEnter();
    void signalMouseLeave();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    int state = ButtonNormal;

private:
    void setState(int newState);
    void rest();
};
