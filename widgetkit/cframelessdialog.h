#pragma once

#include "kitframe.h"
#include "widgetkit_global.h"

#include <QColor>
#include <QDialog>

#include <functional>

// Base of every dialog: frameless and translucent, with a 30-pixel soft shadow on every side,
// a coloured title band by which alone the dialog is dragged, and a plain body.
class ZTWIDGETKIT_EXPORT CFramelessDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kShadowMargin = KitFrame::kShadowMargin;

    explicit CFramelessDialog(QWidget* parent = nullptr);

    // Answers modal dialogs without a person (tests, scripted runs): while an answerer is set,
    // exec() shows nothing and returns what the answerer returns. It may click the dialog's
    // buttons first, as a user would. An answerer set on this dialog comes first, then one set
    // for the nearest owner (this dialog or a widget above it), which answers every dialog made
    // under that owner.
    using ExecAnswerer = std::function<int(CFramelessDialog&)>;
    void setExecAnswerer(ExecAnswerer answerer);
    static void setExecAnswerer(QWidget& owner, ExecAnswerer answerer);
    bool hasExecAnswerer() const;

    int exec() override;

    // Fixes the dialog to a content size; the shadow margin lies outside it.
    void setDialogSize(int width, int height);
    void setTitleSize(const QSize& size);
    void setTitleColor(const QColor& color);
    void setBodyColor(const QColor& color);
    void setShadowImage(const QString& path);

    QSize titleSize() const { return m_frame.titleSize(); }
    QRect titleBand() const { return m_frame.titleBand(); }
    bool isDragging() const { return m_frame.isDragging(); }
    // The shadow margin is drawn where the desktop blends windows, cut off otherwise.
    KitFrame& frame() { return m_frame; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ExecAnswerer findExecAnswerer() const;

    KitFrame m_frame;
    ExecAnswerer m_execAnswerer;
};
