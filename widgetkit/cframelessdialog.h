#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QDialog>
#include <QPixmap>

#include <functional>

// Base of every dialog: frameless and translucent, with a 30-pixel soft shadow on every side,
// a coloured title band by which alone the dialog is dragged, and a plain body.
class ZTWIDGETKIT_EXPORT CFramelessDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kShadowMargin = 30;

    explicit CFramelessDialog(QWidget* parent = nullptr);

    // Answers modal dialogs without a person (tests, scripted runs): while an answerer is set,
    // exec() shows nothing and returns what the answerer returns. It may click the dialog's
    // buttons first, as a user would.
    using ExecAnswerer = std::function<int(CFramelessDialog&)>;
    static void setExecAnswerer(ExecAnswerer answerer);
    static bool hasExecAnswerer();

    int exec() override;

    // Fixes the dialog to a content size; the shadow margin lies outside it.
    void setDialogSize(int width, int height);
    void setTitleSize(const QSize& size);
    void setTitleColor(const QColor& color);
    void setBodyColor(const QColor& color);
    void setShadowImage(const QString& path);

    QSize titleSize() const { return m_titleSize; }
    QRect titleBand() const;
    bool isDragging() const { return m_bDragging; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint m_pressPos{-1, -1};
    bool m_bDragging = false;
    QSize m_titleSize{0, 0};
    QColor m_titleColor{"#FFFFFF"};
    QColor m_bodyColor{"#FFFFFF"};
    QPixmap m_shadow;
};
