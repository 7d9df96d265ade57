#pragma once

#include <QDialog>

// A modal overlay over the main window: its outer size, frameless and translucent, the content
// area dimmed and the shadow margin left uncovered.
class QOverlayDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 1060;
    static constexpr int kHeight = 708;
    static constexpr int kMargin = 30;

    explicit QOverlayDialog(QWidget* parent = nullptr);

    // Shows the overlay on top of owner's window.
    void showOver(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
};
