#pragma once

#include <QDialog>
#include <QPixmap>

// A modal overlay over the main window: its outer size (at least the designed one), frameless and
// translucent, the content area dimmed and the shadow margin left uncovered. Where the window
// system does not blend translucent windows (X11 without a compositing manager), it would show its
// dimming colour alone, nearly black; there it dims a picture of the window it covers instead.
class QOverlayDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 1060;
    static constexpr int kHeight = 708;
    static constexpr int kMargin = 30;

    explicit QOverlayDialog(QWidget* parent = nullptr);

    // Shows the overlay on top of owner's window, at its size.
    void showOver(QWidget* owner);

    // Whether the desktop shows what lies beneath this translucent window; it follows the
    // desktop unless set (tests).
    bool desktopBlendsWindows() const { return m_bDesktopBlends; }
    void setDesktopBlendsWindows(bool blends) { m_bDesktopBlends = blends; }

    bool coversWithPicture() const { return !m_backdrop.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_backdrop;  // the covered window, where the desktop does not blend
    bool m_bDesktopBlends;
};
