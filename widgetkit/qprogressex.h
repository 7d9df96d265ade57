#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

// A rounded progress bar whose filled part can carry a highlight image running rightwards.
class ZTWIDGETKIT_EXPORT QProgressEx : public QWidget {
    Q_OBJECT

public:
    explicit QProgressEx(QWidget* parent = nullptr, bool animated = false);

    void setValue(int percent);
    int value() const { return m_nValue; }
    void setAnimated(bool animated);
    bool isAnimated() const { return m_bAnimated; }
    void setImage(const QString& path);
    void setText(const QString& text);
    void setTrackColor(const QColor& color);
    void setFillColor(const QColor& color);
    int animationOffset() const { return m_nOffset; }
    // The animation timer starts when an animated bar with a value above 0 is visible, and
    // stops when the bar is hidden or no longer animated.
    bool isAnimationRunning() const { return m_timer.isActive(); }

    // Part of an image iw x ih to draw when its right edge stands at offset inside a fill of
    // fillWidth: the source rectangle and the target's left and width; empty when nothing shows.
    struct Slice {
        QRect source;
        int left = 0;
        int width = 0;
    };
    static Slice highlightSlice(int imageWidth, int imageHeight, int offset, int fillWidth);

public slots:
    void updateAnimation();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int fillWidth() const { return width() * m_nValue / 100; }
    void startAnimationIfFilled();

    int m_nValue = 0;
    QTimer m_timer;
    QPixmap m_animationImage;
    QPixmap m_currentSlice;
    int m_nOffset = 0;
    bool m_bAnimated;
    QColor m_trackColor{"#EAEAEA"};
    QColor m_fillColor{"#DAEEFF"};
    QString m_strText;
};
