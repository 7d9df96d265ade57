#include "qexitdialog.h"

#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qmessageboxex.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

QExitDialog::QExitDialog(QWidget* parent) : CFramelessDialog(parent) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Exit"));
    m_pBtnClose = frame.closeButton;
    frame.layout->addSpacing(40);
    frame.layout->addLayout(createMessageRow());
    frame.layout->addSpacing(58);
    frame.layout->addLayout(createButtonRow());
    frame.layout->addStretch();
}

QLayout* QExitDialog::createMessageRow() {
    auto* question = new QImageLable(QStringLiteral(":/Img/res/png_question.png"), this);
    question->setFixedSize(48, 48);
    auto* text = new QAdaptiveLabel(QColor("#666666"), FontSpec(15, 50), this);
    text->setFixedHeight(20);
    text->setText(tr("Are you sure to exit?"));

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(44);
    row->addWidget(question);
    row->addSpacing(12);
    row->addWidget(text);
    row->addStretch();
    return row;
}

QLayout* QExitDialog::createButtonRow() {
    const QMessageboxEx::ButtonRow row = QMessageboxEx::createButtonRow(tr("YES"), tr("NO"), this);
    m_pBtnYes = row.yes;
    m_pBtnNo = row.no;
    connect(m_pBtnYes, &QImageTextButton::clicked, this, &QExitDialog::slotBtnClicked);
    connect(m_pBtnNo, &QImageTextButton::clicked, this, &QExitDialog::close);
    return row.layout;
}

void QExitDialog::slotBtnClicked() {
    if (sender() == m_pBtnYes) {
        accept();
    } else {
        close();
    }
}
