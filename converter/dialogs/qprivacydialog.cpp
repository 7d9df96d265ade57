#include "qprivacydialog.h"

#include "dialogs/dialogframe.h"
#include "qcheckboxex.h"
#include "qimagetextbutton.h"
#include "qmultilinelabel.h"
#include "ztconfig.h"
#include "ztlog.h"

#include <QVBoxLayout>

namespace {

const int kLeftMargin = 40;
const int kTextWidth = 400;

}  // namespace

QPrivacyDialog::QPrivacyDialog(QWidget* parent) : CFramelessDialog(parent) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Privacy"));
    frame.layout->addSpacing(18);
    frame.layout->addLayout(createChoiceRows());
    frame.layout->addSpacing(18);
    frame.layout->addLayout(createButtonRow());
    frame.layout->addStretch();
}

QCheckBoxEx* QPrivacyDialog::createBox(const QString& text, bool checked) {
    auto* box = new QCheckBoxEx(this);
    box->setText(text);
    box->setChecked(checked);
    box->setFixedHeight(20);
    return box;
}

QLayout* QPrivacyDialog::createChoiceRows() {
    auto* prompt = new QMultiLineLabel(QColor("#444444"), FontSpec(14, 50), this);
    prompt->setFixedSize(kTextWidth, 40);
    prompt->setText(
        tr("Pixvue sends nothing over the network without your consent. "
           "You can change this later in the menu."));
    const ZtConfig* config = ZtConfig::NewInstance();
    m_pUpdateBox =
        createBox(tr("Check for a new version at start-up"), config->isUpdateCheckAllowed());
    m_pLogBox =
        createBox(tr("Send the program's logs to help fix problems"), config->isLogUploadAllowed());

    auto* rows = new QVBoxLayout();
    rows->setContentsMargins(kLeftMargin, 0, 0, 0);
    rows->setSpacing(14);
    rows->addWidget(prompt);
    rows->addWidget(m_pUpdateBox);
    rows->addWidget(m_pLogBox);
    return rows;
}

QLayout* QPrivacyDialog::createButtonRow() {
    const pixvue::ConfirmCancelRow row =
        pixvue::createConfirmCancelRow(tr("Confirm"), tr("Cancel"), this);
    m_pBtnConfirm = row.confirm;
    m_pBtnCancel = row.cancel;
    connect(m_pBtnConfirm, &QImageTextButton::clicked, this, &QPrivacyDialog::slotBtnClicked);
    connect(m_pBtnCancel, &QImageTextButton::clicked, this, &QPrivacyDialog::close);
    return row.layout;
}

void QPrivacyDialog::slotBtnClicked() {
    const bool updates = m_pUpdateBox->isChecked();
    const bool logs = m_pLogBox->isChecked();
    ZtConfig::NewInstance()->setConsent(updates, logs);
    LOG(INFO) << "consent: update check " << updates << ", log upload " << logs;
    emit signalConsentChanged();
    accept();
}

void QPrivacyDialog::done(int result) {
    ZtConfig* config = ZtConfig::NewInstance();
    if (result != QDialog::Accepted && !config->isConsentAnswered()) {
        config->setConsent(false, false);
        LOG(INFO) << "consent: no answer, nothing is sent";
        emit signalConsentChanged();
    }
    CFramelessDialog::done(result);
}
