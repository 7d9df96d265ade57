#include "qbasebutton.h"

#include <QEvent>
#include <QKeyEvent>

QBaseButton::QBaseButton(QWidget* parent) : QPushButton(parent) {
    // Inside a dialog Return would otherwise click the default button.
    setAutoDefault(false);
    setDefault(false);
}

void QBaseButton::setEnabled(bool enabled) {
    QPushButton::setEnabled(enabled);
    setState(enabled ? ButtonNormal : ButtonDisabled);
}

void QBaseButton::setState(int newState) {
    if (state == newState) {
        return;
    }
    state = newState;
    update();
}

void QBaseButton::mousePressEvent(QMouseEvent* event) {
    if (isEnabled()) {
        setState(ButtonPressed);
    }
    QPushButton::mousePressEvent(event);
}

void QBaseButton::mouseReleaseEvent(QMouseEvent* event) {
    if (isEnabled()) {
        setState(ButtonHover);
    }
    QPushButton::mouseReleaseEvent(event);
}

void QBaseButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return;
        default:
            QPushButton::keyPressEvent(event);
    }
}

void QBaseButton::enterEvent(QEvent* event) {
    if (isEnabled()) {
        setState(ButtonHover);
        emit signalMouseEnter();
        // A modal dialog over the window takes the mouse without a leave event.
        window()->installEventFilter(this);
    }
    QPushButton::enterEvent(event);
}

void QBaseButton::leaveEvent(QEvent* event) {
    if (isEnabled()) {
        setState(ButtonNormal);
        emit signalMouseLeave();
    }
    QPushButton::leaveEvent(event);
}

void QBaseButton::rest() {
    if (isEnabled()) {
        setState(ButtonNormal);
    }
}

void QBaseButton::hideEvent(QHideEvent* event) {
    rest();
    QPushButton::hideEvent(event);
}

bool QBaseButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::WindowBlocked) {
        rest();
    }
    return QPushButton::eventFilter(watched, event);
}

void QBaseButton::changeEvent(QEvent* event) {
    // Also follows enabling through a parent or QWidget::setEnabled.
    if (event->type() == QEvent::EnabledChange) {
        setState(isEnabled() ? ButtonNormal : ButtonDisabled);
    }
    QPushButton::changeEvent(event);
}
