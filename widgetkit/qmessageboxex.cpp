#include "qmessageboxex.h"

#include "kittheme.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qlineex.h"
#include "qmultilinelabel.h"
#include "stateframes.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const int kContentWidth = 470;
const int kContentHeight = 242;
const int kTitleHeight = 44;

QImageTextButton* createDialogButton(const QString& image, const QColor& textColor,
                                     QWidget* parent) {
    auto* button = new QImageTextButton(image, QSize(96, 32), parent);
    button->setTextFont(16, 50, QStringLiteral("Microsoft YaHei"));
    button->setTextColor(textColor, textColor, textColor, textColor);
    return button;
}

}  // namespace

QMessageboxEx::QMessageboxEx(const QString& title, const QString& text, int iconKind,
                             int buttonMode, QWidget* parent)
    : CFramelessDialog(parent),
      m_nIconKind(iconKind),
      m_nButtonMode(buttonMode),
      m_strTitle(title),
      m_strText(text) {
    setDialogSize(kContentWidth, kContentHeight);
    setTitleSize(QSize(kContentWidth, kTitleHeight));
    setTitleColor(QColor("#F3F6FD"));

    m_pLine = new QLineEx(QColor("#AFB9D7"), 1, Qt::SolidLine, this);
    m_pLine->setFixedSize(kContentWidth, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
    layout->addSpacing(12);
    layout->addLayout(createTitleRow());
    layout->addSpacing(10);
    layout->addWidget(m_pLine);
    layout->addSpacing(40);
    layout->addLayout(createMessageRow());
    layout->addSpacing(58);
    layout->addLayout(createOwnButtonRow());
    layout->addStretch();

    applyIcon();
    applyButtonMode();
    m_pTitle->setText(m_strTitle);
    m_pText->setText(m_strText, true);
}

QLayout* QMessageboxEx::createTitleRow() {
    m_pTitle = new QAdaptiveLabel(QColor("#444444"), FontSpec(16, 50), this);
    m_pTitle->setFixedHeight(22);
    m_pBtnClose = new QIconButton(KitTheme::current().dialogCloseButton, QSize(14, 14), this);
    connect(m_pBtnClose, &QIconButton::clicked, this, &QMessageboxEx::close);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(15);
    row->addWidget(m_pTitle);
    row->addStretch();
    row->addWidget(m_pBtnClose);
    row->addSpacing(20);
    return row;
}

QLayout* QMessageboxEx::createMessageRow() {
    m_pIcon = new QImageLable(QString(), this);
    m_pText = new QMultiLineLabel(QColor("#666666"), FontSpec(15, 50), this);
    m_pText->setFixedSize(320, 20);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(44);
    row->addWidget(m_pIcon);
    row->addSpacing(12);
    row->addWidget(m_pText);
    row->addStretch();
    return row;
}

QMessageboxEx::ButtonRow QMessageboxEx::createButtonRow(const QString& yes, const QString& no,
                                                        QWidget* parent) {
    ButtonRow row;
    row.yes = createDialogButton(KitTheme::current().dialogYesButton, QColor("#444444"), parent);
    row.no = createDialogButton(KitTheme::current().dialogNoButton, QColor("#FFFFFF"), parent);
    row.yes->setText(yes);
    row.no->setText(no);

    row.layout = new QHBoxLayout();
    row.layout->setContentsMargins(0, 0, 0, 0);
    row.layout->setSpacing(0);
    row.layout->addStretch();
    row.layout->addWidget(row.yes);
    row.layout->addSpacing(20);
    row.layout->addWidget(row.no);
    row.layout->addSpacing(20);
    return row;
}

QLayout* QMessageboxEx::createOwnButtonRow() {
    const ButtonRow row = createButtonRow(tr("YES"), tr("NO"), this);
    m_pBtnYes = row.yes;
    m_pBtnNo = row.no;
    connect(m_pBtnYes, &QImageTextButton::clicked, this, &QMessageboxEx::slotBtnClicked);
    connect(m_pBtnNo, &QImageTextButton::clicked, this, &QMessageboxEx::close);
    return row.layout;
}

void QMessageboxEx::applyIcon() {
    if (m_nIconKind == 0) {
        m_pIcon->setFixedSize(0, 0);
        m_pIcon->hide();
        return;
    }
    const QPixmap icons = loadKitPixmap(KitTheme::current().messageIcons);
    const int rowHeight = icons.height() / 4;
    m_pIcon->setFixedSize(icons.width(), rowHeight);
    const int row = (m_nIconKind >= 1 && m_nIconKind <= 4) ? m_nIconKind - 1 : 0;
    if (rowHeight > 0) {
        m_pIcon->setPixmap(icons.copy(0, row * rowHeight, icons.width(), rowHeight));
    }
}

void QMessageboxEx::applyButtonMode() {
    m_pBtnYes->setVisible(m_nButtonMode != 1);
    m_pBtnNo->setVisible(m_nButtonMode != 0);
}

void QMessageboxEx::setButtonText(const QString& yes, const QString& no) {
    m_pBtnYes->setText(yes);
    m_pBtnNo->setText(no);
}

void QMessageboxEx::slotBtnClicked() {
    if (sender() == m_pBtnYes) {
        accept();
    } else {
        close();
    }
}
