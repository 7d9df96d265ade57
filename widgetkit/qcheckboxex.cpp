#include "qcheckboxex.h"

#include "kittheme.h"
#include "stateframes.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

QCheckBoxEx::QCheckBoxEx(QWidget* parent) : QCheckBox(parent) {
    const KitTheme& theme = KitTheme::current();
    m_textFont = QApplication::font();
    m_textFont.setPixelSize(theme.checkBoxFontPixelSize);
    setIndicatorImage(theme.checkBoxSprite, theme.checkBoxSpriteRegion);
    installEventFilter(this);
}

void QCheckBoxEx::setIndicatorImage(const QString& path, const QRect& region) {
    const QPixmap image = loadKitPixmap(path);
    m_indicatorSprite = image.isNull() ? QPixmap() : image.copy(region);
    update();
}

void QCheckBoxEx::setIndicatorSize(const QSize& size) {
    m_indicatorSize = size;
    updateGeometry();
    update();
}

void QCheckBoxEx::setIndicatorLeftOffset(int offset) {
    m_nIndicatorLeft = offset;
    updateGeometry();
    update();
}

void QCheckBoxEx::setSpacing(int spacing) {
    m_nSpacing = spacing;
    updateGeometry();
    update();
}

void QCheckBoxEx::setBackgroundAlpha(int alpha) {
    m_nBackgroundAlpha = qBound(0, alpha, 255);
    update();
}

void QCheckBoxEx::setTextFont(const QFont& font) {
    m_textFont = font;
    updateGeometry();
    update();
}

void QCheckBoxEx::setTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

void QCheckBoxEx::setDrawBorder(bool draw) {
    m_bDrawBorder = draw;
    update();
}

void QCheckBoxEx::setBorderColor(const QColor& color) {
    m_borderColor = color;
    update();
}

void QCheckBoxEx::setBorderWidth(int width) {
    m_nBorderWidth = width;
    update();
}

bool QCheckBoxEx::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this) {
        switch (event->type()) {
            case QEvent::Enter:
            case QEvent::Leave:
                m_bHover = event->type() == QEvent::Enter;
                update();
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
                m_bPressed = event->type() == QEvent::MouseButtonPress;
                update();
                break;
            default:
                break;
        }
    }
    return QCheckBox::eventFilter(watched, event);
}

QPoint QCheckBoxEx::indicatorCell() const {
    if (checkState() == Qt::PartiallyChecked) {
        return QPoint(-1, -1);
    }
    const int column = checkState() == Qt::Checked ? 1 : 0;
    int row = 0;
    if (!isEnabled()) {
        row = 3;
    } else if (m_bHover) {
        row = m_bPressed ? 2 : 1;
    }
    return QPoint(column, row);
}

QRect QCheckBoxEx::indicatorRect() const {
    const QRect area = contentsRect();
    return QRect(area.left() + m_nIndicatorLeft,
                 int((area.height() - m_indicatorSize.height()) * 0.5), m_indicatorSize.width(),
                 m_indicatorSize.height());
}

void QCheckBoxEx::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.fillRect(area, QColor(255, 255, 255, m_nBackgroundAlpha));

    const QRect indicator = indicatorRect();
    const QPoint cell = indicatorCell();
    if (cell.x() >= 0 && !m_indicatorSprite.isNull()) {
        const QRect source(cell.x() * m_indicatorSize.width(), cell.y() * m_indicatorSize.height(),
                           m_indicatorSize.width(), m_indicatorSize.height());
        painter.drawPixmap(indicator, m_indicatorSprite, source);
    }

    const QRect textArea(indicator.right() + 1 + m_nSpacing, area.top(),
                         area.width() - m_indicatorSize.width() - m_nSpacing - m_nIndicatorLeft,
                         area.height());
    painter.setFont(m_textFont);
    painter.setPen(isEnabled() ? m_textColor : QColor("#999999"));
    painter.drawText(textArea, Qt::AlignVCenter, text());

    if (m_bDrawBorder) {
        QPen pen(m_borderColor);
        pen.setWidth(m_nBorderWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(event->rect().adjusted(0, 0, -1, -1));
    }
}

bool QCheckBoxEx::hitButton(const QPoint& pos) const {
    return contentsRect().contains(pos);
}

QSize QCheckBoxEx::sizeHint() const {
    const QFontMetrics metrics(m_textFont);
    const int textWidth = metrics.horizontalAdvance(text());
    const int width = m_nIndicatorLeft + m_indicatorSize.width() + m_nSpacing + textWidth + 2;
    const int height = qMax(m_indicatorSize.height(), metrics.height());
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(),
                 height + margins.top() + margins.bottom());
}

QSize QCheckBoxEx::minimumSizeHint() const {
    return sizeHint();
}
