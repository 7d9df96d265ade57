#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QFrame>
#include <QPixmap>

// Shows a picture centred; a picture larger than the widget is scaled down once, at the
// first paint, and kept scaled.
class ZTWIDGETKIT_EXPORT QImageLable : public QFrame {
    Q_OBJECT

public:
    explicit QImageLable(const QString& imagePath, QWidget* parent = nullptr);

    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return m_pixmap; }
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitPixmapInto(const QSize& area);

    QPixmap m_pixmap;
    QColor m_backgroundColor{"#FFFFFF"};
};
