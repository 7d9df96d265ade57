#include "qlanguagedialog.h"

#include "core/pixvueexit.h"
#include "dialogs/dialogframe.h"
#include "kitcombobox.h"
#include "qadaptivelabel.h"
#include "qimagetextbutton.h"
#include "qlineex.h"
#include "qmultilinelabel.h"
#include "ztconfig.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const int kLeftMargin = 40;

}  // namespace

QLanguageDialog::QLanguageDialog(QWidget* parent) : CFramelessDialog(parent) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Language"));
    frame.layout->addSpacing(24);
    frame.layout->addLayout(createChoiceRow());
    frame.layout->addLayout(createNoteRows());
    frame.layout->addSpacing(24);
    frame.layout->addLayout(createButtonRow());
    frame.layout->addStretch();

    m_pComboBox->setCurrentIndex(ZtConfig::NewInstance()->getLanguageType() == Chinese ? 1 : 0);
    connect(m_pComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QLanguageDialog::slotComboBoxSelectChanged);
    slotComboBoxSelectChanged(m_pComboBox->currentIndex());
}

QLayout* QLanguageDialog::createChoiceRow() {
    auto* prompt = new QAdaptiveLabel(QColor("#444444"), FontSpec(14, 50), this);
    prompt->setFixedHeight(20);
    prompt->setText(tr("Please select language :"));
    m_pComboBox = new QComboBox(this);
    styleKitComboBox(m_pComboBox);
    m_pComboBox->addItem(tr("English"));
    m_pComboBox->addItem(tr("Chinese"));
    m_pComboBox->setFixedSize(200, 32);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(kLeftMargin);
    row->addWidget(prompt);
    row->addSpacing(12);
    row->addWidget(m_pComboBox);
    row->addStretch();
    return row;
}

QLayout* QLanguageDialog::createNoteRows() {
    auto* rule = new QLineEx(QColor("#E3E3E3"), 1, Qt::SolidLine, this);
    rule->setFixedSize(390, 1);
    auto* note = new QMultiLineLabel(QColor("#666666"), FontSpec(13, 50), this);
    note->setFixedSize(350, 18);
    note->setText(tr("The progam will restart to apply your change"));

    auto* rows = new QVBoxLayout();
    rows->setContentsMargins(kLeftMargin, 16, 0, 0);
    rows->setSpacing(12);
    rows->addWidget(rule);
    rows->addWidget(note);
    return rows;
}

QLayout* QLanguageDialog::createButtonRow() {
    const pixvue::ConfirmCancelRow row =
        pixvue::createConfirmCancelRow(tr("Confirm"), tr("Cancel"), this);
    m_pBtnConfirm = row.confirm;
    m_pBtnCancel = row.cancel;
    connect(m_pBtnConfirm, &QImageTextButton::clicked, this, &QLanguageDialog::slotBtnClicked);
    connect(m_pBtnCancel, &QImageTextButton::clicked, this, &QLanguageDialog::close);
    return row.layout;
}

void QLanguageDialog::slotComboBoxSelectChanged(int index) {
    const int stored = ZtConfig::NewInstance()->getLanguageType() == Chinese ? 1 : 0;
    m_pBtnConfirm->setEnabled(index != stored);
}

void QLanguageDialog::slotBtnClicked() {
    const int index = m_pComboBox->currentIndex();
    ZtConfig::NewInstance()->setLanguageType(index == 1 ? Chinese : English);
    QCoreApplication::exit(pixvue::kRestartExitCode);
    close();
}
