#include "qoverlaydialog.h"

#include <QPainter>

QOverlayDialog::QOverlayDialog(QWidget* parent) : QDialog(parent) {
    setFixedSize(kWidth, kHeight);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
}

void QOverlayDialog::showOver(QWidget* owner) {
    if (owner != nullptr) {
        move(owner->window()->geometry().topLeft());
    }
    show();
}

void QOverlayDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(contentsRect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                     QColor(0, 18, 55, 128));
}
