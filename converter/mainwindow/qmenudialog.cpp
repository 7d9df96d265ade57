#include "qmenudialog.h"

#include "qirregularframeex.h"
#include "qlineex.h"
#include "qmenuitemex.h"

#include <QGraphicsDropShadowEffect>

namespace {

const int kItemLeft = 10;
const int kFirstItemTop = 16;
const int kItemPitch = 37;
const QSize kItemSize(130, 34);
const int kLineTops[] = {50, 87, 124, 160, 198, 235, 272, 309};
// Item ids from the top down: the network switches come last but one, above "Exit".
const int kItemOrder[] = {
    QMenuDialog::OfficialWeb, QMenuDialog::Language,  QMenuDialog::CheckUpdate,
    QMenuDialog::Feedback,    QMenuDialog::ContactUs, QMenuDialog::HelpCenter,
    QMenuDialog::About,       QMenuDialog::Privacy,   QMenuDialog::Exit};
// Items and lines lie on the panel, so that its shadow effect draws them with it; a sibling
// over a widget with a graphics effect is painted over at partial updates.
const QPoint kPanelOrigin(6, 6);

}  // namespace

QMenuDialog::QMenuDialog(QWidget* parent) : QWidget(parent) {
    setFixedSize(150, 352);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    createPanel();
    createItems();
    createLines();
}

void QMenuDialog::createPanel() {
    auto* panel = new QIrregularFrameEX(this);
    panel->setGeometry(QRect(kPanelOrigin, QSize(138, 340)));
    panel->setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 255);"));
    panel->setArrowSize(12, 8);
    auto* shadow = new QGraphicsDropShadowEffect(panel);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor("#C4C4C4"));
    shadow->setBlurRadius(10);
    panel->setGraphicsEffect(shadow);
    m_pPanel = panel;
}

void QMenuDialog::createItems() {
    const QString texts[kItemCount] = {tr("Official Web"), tr("Language"),   tr("Check update"),
                                       tr("Feedback"),     tr("Contact Us"), tr("Help center"),
                                       tr("About"),        tr("Exit"),       tr("Privacy")};
    for (int id = 1; id <= kItemCount; ++id) {
        auto* item = new QMenuItemEx(QString(), kItemSize, m_pPanel);
        item->setText(texts[id - 1]);
        connect(item, &QMenuItemEx::clicked, this, &QMenuDialog::slotItemClicked);
        m_items.append(item);
    }
    for (int row = 0; row < kItemCount; ++row) {
        item(kItemOrder[row])
            ->move(QPoint(kItemLeft, kFirstItemTop + kItemPitch * row) - kPanelOrigin);
    }
}

void QMenuDialog::createLines() {
    for (int top : kLineTops) {
        auto* line = new QLineEx(QColor("#E3E3E3"), 1, Qt::SolidLine, m_pPanel);
        line->setGeometry(QRect(QPoint(kItemLeft, top) - kPanelOrigin, QSize(130, 1)));
        m_lines.append(line);
    }
}

QMenuItemEx* QMenuDialog::item(int id) const {
    return (id >= 1 && id <= m_items.size()) ? m_items[id - 1] : nullptr;
}

void QMenuDialog::slotItemClicked() {
    const int index = m_items.indexOf(qobject_cast<QMenuItemEx*>(sender()));
    if (index >= 0) {
        emit signalItemClicked(index + 1);
    }
}

void QMenuDialog::enterEvent(QEvent* event) {
    show();
    QWidget::enterEvent(event);
}

void QMenuDialog::leaveEvent(QEvent* event) {
    hide();
    QWidget::leaveEvent(event);
}
