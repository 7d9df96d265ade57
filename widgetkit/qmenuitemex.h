#pragma once

#include "widgetkit_global.h"

#include <QColor>
#include <QFont>
#include <QWidget>

// One entry of a drop-down menu: an icon and a text, highlighted under the mouse.
class ZTWIDGETKIT_EXPORT QMenuItemEx : public QWidget {
    Q_OBJECT

public:
    QMenuItemEx(const QString& iconPath, const QSize& size, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_strText; }
    QColor backgroundColor() const { return m_backgroundColor; }

signals:
    void clicked();
    void signalEnter();
    void signalLeave();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strIconPath;
    QString m_strText;
    QFont m_font;
    QColor m_textColor{"#555555"};
    QColor m_backgroundColor{Qt::white};
};
