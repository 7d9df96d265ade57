#include "qoverlaydialog.h"

#include <QPainter>
#include <QX11Info>

namespace {

const QColor kDimColor(0, 18, 55, 128);

// 0: ask the window system; 1 / 2: a test's answer (no / yes).
int g_blendsForTest = 0;

}  // namespace

QOverlayDialog::QOverlayDialog(QWidget* parent) : QDialog(parent) {
    setFixedSize(kWidth, kHeight);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
}

bool QOverlayDialog::desktopBlendsWindows() {
    if (g_blendsForTest != 0) {
        return g_blendsForTest == 2;
    }
    // Wayland always composites; the offscreen platform keeps the alpha of each window.
    return !QX11Info::isPlatformX11() || QX11Info::isCompositingManagerRunning();
}

void QOverlayDialog::setDesktopBlendsWindowsForTest(bool blends) {
    g_blendsForTest = blends ? 2 : 1;
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
