#include "qmenuitemex.h"

#include <QPainter>
#include <QPixmap>

QMenuItemEx::QMenuItemEx(const QString& iconPath, const QSize& size, QWidget* parent)
    : QWidget(parent), m_strIconPath(iconPath), m_font(QStringLiteral("Microsoft YaHei"), 14, 50) {
    setFixedSize(size);
}

void QMenuItemEx::setText(const QString& text) {
    m_strText = text;
    update();
}

void QMenuItemEx::mousePressEvent(QMouseEvent*) {
    emit clicked();
}

void QMenuItemEx::enterEvent(QEvent* event) {
    m_backgroundColor = QColor("#DFF5FF");
    emit signalEnter();
    update();
    QWidget::enterEvent(event);
}

void QMenuItemEx::leaveEvent(QEvent* event) {
    m_backgroundColor = Qt::white;
    emit signalLeave();
    update();
    QWidget::leaveEvent(event);
}

void QMenuItemEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.fillRect(area, m_backgroundColor);

    const QPixmap icon(m_strIconPath);
    if (!icon.isNull()) {
        painter.drawPixmap(14, (height() - icon.height()) / 2, icon);
    }
    QFont textFont;
    textFont.setFamily(m_font.family());
    textFont.setWeight(m_font.weight());
    textFont.setPixelSize(m_font.pointSize());
    painter.setFont(textFont);
    painter.setPen(m_textColor);
    const int textLeft = icon.width() + 28;
    painter.drawText(QRect(textLeft, 0, width() - textLeft, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_strText);
}
