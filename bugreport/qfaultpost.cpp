#include "qfaultpost.h"

#include "faultpostsetup.h"
#include "qadaptivelabel.h"
#include "qcheckboxex.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qmultilinelabel.h"
#include "qtaskthread.h"
#include "ztlog.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProcess>
#include <QVBoxLayout>

namespace {

const QColor kTitleBandColor("#718AB9");
const QColor kWhite("#FFFFFF");
constexpr int kContentWidth = 470;
constexpr int kContentHeight = 362;
constexpr int kTitleHeight = 44;
constexpr int kLineWidth = 438;

}  // namespace

QFaultPost::QFaultPost(QWidget* parent)
    : CFramelessDialog(parent), m_strConverterProgram(qfaultpost::converterProgramPath()) {
    setObjectName(QStringLiteral("QFaultPostClass"));
    setWindowIcon(QIcon(QStringLiteral(":/res/logo.ico")));
    setWindowTitle(tr("Pixvue"));
    setDialogSize(kContentWidth, kContentHeight);
    setTitleSize(QSize(kContentWidth, kTitleHeight));
    setTitleColor(kTitleBandColor);
    createWidgets();
    layOut();
}

QFaultPost::~QFaultPost() {
    // The upload blocks on its own event loop; quitting the thread ends that loop early.
    for (QTaskThread* task : findChildren<QTaskThread*>()) {
        task->stopAndWait();
    }
}

void QFaultPost::createWidgets() {
    m_pTitleLabel = new QAdaptiveLabel(kWhite, FontSpec(16), this);
    m_pTitleLabel->setFixedHeight(22);
    m_pTitleLabel->setText(tr("Crash feedback"));
    m_pCloseButton = new QIconButton(QStringLiteral(":/res/btn_dlgclose.png"), QSize(20, 20), this);
    connect(m_pCloseButton, &QIconButton::clicked, this, &QFaultPost::close);

    m_pErrorLabel = new QAdaptiveLabel(QColor("#E95454"), FontSpec(16, 57), this);
    m_pErrorLabel->setFixedHeight(22);
    m_pErrorLabel->setText(tr("Sorry, Pixvue an error :("));

    m_pExplainLabel = new QMultiLineLabel(QColor("#444444"), FontSpec(14, 50), this);
    m_pExplainLabel->setFixedSize(kLineWidth, 18);
    m_pExplainLabel->setText(
        tr("We collected the error information and generated the report (which does not have "
           "your privacy), please send it to us to help us fix this error"));

    m_pRestartBox = new QCheckBoxEx(this);
    m_pRestartBox->setText(tr("Restart Program"));
    m_pSendBox = new QCheckBoxEx(this);
    m_pSendBox->setText(tr("Send error report"));
    connect(m_pRestartBox, &QCheckBoxEx::clicked, this, &QFaultPost::slotCheckBtnClicked);
    connect(m_pSendBox, &QCheckBoxEx::clicked, this, &QFaultPost::slotCheckBtnClicked);

    m_pDescriptionEdit = new QPlainTextEdit(this);
    m_pDescriptionEdit->setFixedSize(kLineWidth, 66);
    m_pDescriptionEdit->setFont(FontSpec(14).toFont());
    // Typed text clearly darker than the grey hint.
    QPalette palette = m_pDescriptionEdit->palette();
    palette.setColor(QPalette::Text, QColor("#333333"));
    palette.setColor(QPalette::PlaceholderText, QColor("#999999"));
    m_pDescriptionEdit->setPalette(palette);
    m_pDescriptionEdit->setPlaceholderText(tr("Please enter a description of the error"));
    connect(m_pDescriptionEdit, &QPlainTextEdit::textChanged, this,
            &QFaultPost::slotTextEditTextChanged);

    m_pConfirmButton =
        new QImageTextButton(QStringLiteral(":/res/btn_send.png"), QSize(110, 32), this);
    m_pConfirmButton->setText(tr("Confirm"));
    m_pConfirmButton->setTextColor(kWhite, kWhite, kWhite, kWhite);
    m_pConfirmButton->setTextFont(16, 50);
    m_pConfirmButton->setEnabled(false);
    connect(m_pConfirmButton, &QImageTextButton::clicked, this, &QFaultPost::slotBtnClicked);
}

QHBoxLayout* QFaultPost::createTitleRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_pTitleLabel);
    row->addStretch();
    row->addWidget(m_pCloseButton);
    row->addSpacing(20);
    return row;
}

QHBoxLayout* QFaultPost::createButtonRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(m_pConfirmButton);
    row->addSpacing(20);
    return row;
}

void QFaultPost::layOut() {
    auto* main = new QVBoxLayout(this);
    main->setSpacing(0);
    main->setContentsMargins(46, 30, 30, 30);
    main->addSpacing(11);
    main->addLayout(createTitleRow());
    main->addSpacing(24);
    main->addWidget(m_pErrorLabel);
    main->addSpacing(15);
    main->addWidget(m_pExplainLabel);
    main->addSpacing(15);
    main->addWidget(m_pRestartBox);
    main->addSpacing(15);
    main->addWidget(m_pSendBox);
    main->addSpacing(15);
    main->addWidget(m_pDescriptionEdit);
    main->addSpacing(15);
    main->addLayout(createButtonRow());
    main->addStretch();
}

void QFaultPost::setDumpFileName(const QString& name) {
    m_strDumpFileName = qfaultpost::isBareFileName(name) ? name : QString();
}

QString QFaultPost::trimmedDescription() const {
    return m_pDescriptionEdit->toPlainText().trimmed();
}

bool QFaultPost::hasSomethingToDo() const {
    return m_pRestartBox->isChecked() || m_pSendBox->isChecked() || !trimmedDescription().isEmpty();
}

void QFaultPost::slotCheckBtnClicked() {
    m_pConfirmButton->setEnabled(hasSomethingToDo());
}

void QFaultPost::slotTextEditTextChanged() {
    m_pConfirmButton->setEnabled(hasSomethingToDo());
}

void QFaultPost::slotBtnClicked() {
    m_pConfirmButton->setEnabled(false);
    // The restart waits for no upload: one that fails, or never ends offline, does not stop it.
    if (m_pRestartBox->isChecked() && !m_bRestarted) {
        restartConverter();
    }
    if (m_pSendBox->isChecked() || !trimmedDescription().isEmpty()) {
        startUpload();
        LOG(INFO) << "User slect send dump file";
    } else {
        close();
    }
}

void QFaultPost::startUpload() {
    // The settings store knows no mail address of the user: the report goes without one.
    const QString mail;
    const QString name = m_pSendBox->isChecked() ? m_strDumpFileName : QString();
    auto* task = new QTaskThread(this);
    connect(task, &QTaskThread::signalUplaodCompleted, this, &QFaultPost::slotUplaodCompleted);
    connect(task, &QThread::finished, task, &QObject::deleteLater);
    task->setBugReport(mail, trimmedDescription(), name);
    task->start(QThread::InheritPriority);
}

void QFaultPost::done(int result) {
    m_bDone = true;
    CFramelessDialog::done(result);
}

void QFaultPost::slotUplaodCompleted(bool success, int errorCode) {
    if (m_bDone) {
        return;
    }
    if (!success) {
        const QString text = errorCode <= 500
                                 ? tr("Sorry,uplaod fail,Network error(%1),please retry!")
                                 : tr("Sorry,uplaod fail,Unkonw error(%1),please retry!");
        m_pErrorLabel->setText(text.arg(errorCode));
        m_pConfirmButton->setEnabled(true);
        return;
    }
    LOG(INFO) << "Upload dump file success!";
    close();
}

void QFaultPost::restartConverter() {
    m_bRestarted = true;
    // No arguments: the converter would take any as files to open.
    if (QProcess::startDetached(m_strConverterProgram, QStringList())) {
        LOG(INFO) << "Restart Pixvue: " << m_strConverterProgram;
    } else {
        LOG(ERROR) << "Cannot restart Pixvue: " << m_strConverterProgram;
    }
}
