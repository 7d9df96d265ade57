#include "qoverlaydialog.h"

#include "kitframe.h"

#include <QPainter>

namespace {

const QColor kDimColor(0, 18, 55, 128);

}  // namespace

QOverlayDialog::QOverlayDialog(QWidget* parent)
    : QDialog(parent), m_bDesktopBlends(kitframe::desktopBlendsWindows()) {
    setFixedSize(kWidth, kHeight);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
}

void QOverlayDialog::showOver(QWidget* owner) {
    m_backdrop = QPixmap();
    if (owner != nullptr) {
        QWidget* window = owner->window();
        setFixedSize(window->size().expandedTo(QSize(kWidth, kHeight)));
        move(window->geometry().topLeft());
        if (!desktopBlendsWindows()) {
            m_backdrop = window->grab();
        }
    }
    show();
}

void QOverlayDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_backdrop.isNull()) {
        painter.drawPixmap(0, 0, m_backdrop);
    }
    painter.fillRect(contentsRect().adjusted(kMargin, kMargin, -kMargin, -kMargin), kDimColor);
}
