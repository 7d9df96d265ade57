#include "qfeedbackdialog.h"

#include "core/qthreadkeeper.h"
#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qlineex.h"
#include "qmultilinelabel.h"
#include "workers/qtaskthread.h"
#include "ztlog.h"

#include <QDate>
#include <QDateTime>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMovie>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {

const int kCodeLength = 4;
const int kNoisePoints = 100;
const int kNoiseWidth = 84;
const int kNoiseAlpha = 90;

// Shared by every verification label.
int s_codeColors[kCodeLength] = {Qt::black, Qt::black, Qt::black, Qt::black};

// Capitals and digits that no reader takes for another (no I/1/L, O/0, S/5, Z/2, B/8).
const char kCodeAlphabet[] = "ACDEFGHJKMNPQRTUVWXY34679";
// Dark colours that stand out on the light ground.
const Qt::GlobalColor kCodeColors[] = {Qt::black,    Qt::darkRed,  Qt::darkGreen,
                                       Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta};

QRandomGenerator seededFromClock() {
    return QRandomGenerator(quint32(QDateTime::currentMSecsSinceEpoch()));
}

// Contents of the dialog, in dialog coordinates (the shadow margin included).
const int kLeft = 74;
const int kEditorTop = 108;
const int kEditorWidth = 512;
const int kEditorHeight = 92;
const int kMailRowTop = 250;
const int kCodeRowTop = 290;
const int kRowHeight = 30;
const int kButtonTop = 364;

const char kContentStyle[] =
    "QPlainTextEdit { border: 1px solid #CCCCCC;  background : white; color: #444444; }"
    "QPlainTextEdit:hover{\tborder: 1px solid #696969; }";
const char kMailStyle[] =
    "QLineEdit { border: 1px solid #CCCCCC;  background : white; color: #444444; }"
    "QLineEdit:hover{\tborder: 1px solid #696969; }";
const char kCodeStyle[] =
    "QLineEdit { border: 1px solid #CCCCCC;  background : white; color: #444444; }"
    "QLineEdit:hover{\tborder: 1px solid #444444; }";

QAdaptiveLabel* createRowLabel(const QString& text, const char* color, QWidget* parent) {
    auto* label = new QAdaptiveLabel(QColor(color), FontSpec(14, 50), parent);
    label->setFixedHeight(20);
    label->setText(text);
    return label;
}

}  // namespace

// --- verification code --------------------------------------------------------------------

QVerCodeLabel::QVerCodeLabel(QWidget* parent) : QLabel(parent), m_pColors(s_codeColors) {
    setFixedSize(80, 30);
    setCursor(Qt::PointingHandCursor);
    refreshCode();
}

void QVerCodeLabel::refreshCode() {
    QRandomGenerator letters = seededFromClock();
    m_strCode.clear();
    const quint32 alphabetSize = sizeof(kCodeAlphabet) - 1;
    for (int i = 0; i < kCodeLength; ++i) {
        m_strCode.append(QLatin1Char(kCodeAlphabet[letters.generate() % alphabetSize]));
    }
    QRandomGenerator colours = seededFromClock();
    const quint32 colourCount = sizeof(kCodeColors) / sizeof(kCodeColors[0]);
    for (int i = 0; i < kCodeLength; ++i) {
        m_pColors[i] = int(kCodeColors[colours.generate() % colourCount]);
    }
    m_noise.clear();
    for (int i = 0; i < kNoisePoints; ++i) {
        const int y = int(colours.generate() % quint32(height()));
        const int x = int(colours.generate() % kNoiseWidth);
        m_noise.append(QPoint(x, y));
    }
    update();
}

QColor QVerCodeLabel::codeColor(int index) const {
    return QColor(Qt::GlobalColor(m_pColors[qBound(0, index, kCodeLength - 1)]));
}

void QVerCodeLabel::mousePressEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    refreshCode();
}

void QVerCodeLabel::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor("#F2FAFF"));
    painter.setFont(FontSpec(17, 75).toFont());
    for (int i = 0; i < m_noise.size(); ++i) {
        QColor faint(Qt::GlobalColor(m_pColors[i % kCodeLength]));
        faint.setAlpha(kNoiseAlpha);  // the letters stand out of the noise
        painter.setPen(faint);
        painter.drawPoint(m_noise[i]);
    }
    for (int i = 0; i < m_strCode.size(); ++i) {
        painter.setPen(QColor(Qt::GlobalColor(m_pColors[i])));
        painter.drawText(QRect(20 * i, 0, 20, height()), Qt::AlignCenter, QString(m_strCode[i]));
    }
}

// --- dialog -------------------------------------------------------------------------------

QFeedbackDialog::QFeedbackDialog(QThreadKeeper& keeper, QWidget* parent)
    : CFramelessDialog(parent), m_pKeeper(&keeper) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Feedback"));
    setDialogSize(600, 380);
    setTitleSize(QSize(600, 44));
    frame.separator->setFixedSize(600, 1);
    frame.layout->addStretch();

    createContentArea();
    createCodeRow();
    createMailRow();
    createButtons();
    m_pContent->setFocus();
}

QFeedbackDialog::~QFeedbackDialog() {
    if (!m_pThread.isNull()) {
        m_pThread->stopAndWait();
    }
}

void QFeedbackDialog::createContentArea() {
    auto* prompt = new QMultiLineLabel(QColor("#444444"), FontSpec(14, 50), this);
    prompt->setGeometry(kLeft, 80, 500, 20);
    prompt->setText(
        tr("Opinion content(Your valuable opinions are the driving force for our growth)"));
    m_pContent = new QPlainTextEdit(this);
    m_pContent->setGeometry(kLeft, kEditorTop, kEditorWidth, kEditorHeight);
    m_pContent->setStyleSheet(QLatin1String(kContentStyle));
    m_pContent->setFont(FontSpec(14, 50).toFont());
    connect(m_pContent, &QPlainTextEdit::textChanged, this,
            &QFeedbackDialog::slotTextEditTextChanged);

    m_pCounter = new QMultiLineLabel(QColor("#CCCCCC"), FontSpec(12, 50), this);
    m_pCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pCounter->setGeometry(kLeft + kEditorWidth - 480 - 12, kEditorTop + kEditorHeight - 25, 480,
                            20);
    m_pCounter->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pCounter->setText(tr("You can enter another %1 characters").arg(kMaxContentLength));
    m_pCounter->raise();

    auto* mailPrompt = new QMultiLineLabel(QColor("#444444"), FontSpec(14, 50), this);
    mailPrompt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mailPrompt->setGeometry(kLeft, kEditorTop + kEditorHeight + 20, 500, 20);
    mailPrompt->setText(
        tr("Please fill in the mailbox so that we can reply you in time, thank you"));
}

void QFeedbackDialog::createCodeRow() {
    QAdaptiveLabel* label = createRowLabel(tr("VerCode :"), "#444444", this);
    label->move(kLeft, kCodeRowTop + 5);
    m_pCode = new QLineEdit(this);
    m_pCode->setMaxLength(kCodeLength);
    m_pCode->setStyleSheet(QLatin1String(kCodeStyle));
    m_pCode->setGeometry(label->geometry().right() + 11, kCodeRowTop, 80, kRowHeight);
    m_pCodeLabel = new QVerCodeLabel(this);
    m_pCodeLabel->move(m_pCode->geometry().right() + 11, kCodeRowTop);
    m_nCodeRowBottom = kCodeRowTop + kRowHeight;

    m_pMessage = new QAdaptiveLabel(QColor(Qt::red), FontSpec(14, 50), this);
    m_pMessage->setAlignment(Qt::AlignCenter);
    m_pMessage->setFixedHeight(20);
    m_pMessage->hide();
}

void QFeedbackDialog::createMailRow() {
    QAdaptiveLabel* label = createRowLabel(tr("Mail :"), "#444444", this);
    label->move(kLeft, kMailRowTop + 5);
    m_pMail = new QLineEdit(this);
    m_pMail->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pMail->setStyleSheet(QLatin1String(kMailStyle));
    m_pMail->setGeometry(m_pCode->x(), kMailRowTop, 200, kRowHeight);
    connect(m_pMail, &QLineEdit::textChanged, this, &QFeedbackDialog::slotLineEditTextChanged);
    connect(m_pMail, &QLineEdit::editingFinished, this, &QFeedbackDialog::slotEditingFinished);
}

void QFeedbackDialog::createButtons() {
    const QPoint submitPlace(kLeft + kEditorWidth - 110, kButtonTop);
    m_pBtnSubmit = pixvue::createSubmitButton(tr("Submit"), this);
    m_pBtnSubmit->move(submitPlace);
    m_pBtnSubmit->setEnabled(false);
    m_pBtnContinue = pixvue::createSubmitButton(tr("Continue"), this);
    m_pBtnContinue->move(submitPlace);
    m_pBtnContinue->hide();
    m_pBtnChat =
        new QImageTextButton(QStringLiteral(":/Img/res/btn/btn_QQ.png"), QSize(94, 26), this);
    const QColor chatText("#333333");
    m_pBtnChat->setTextColor(chatText, chatText, chatText, chatText);
    m_pBtnChat->setTextFont(13, 50);
    m_pBtnChat->setTextOffset(32, 0);
    m_pBtnChat->setText(tr("QQChat"));
    m_pBtnChat->setFixedSize(94, 26);
    m_pBtnChat->move(kLeft, 370);
    m_pBtnChat->setVisible(isChatAvailable());
    for (QImageTextButton* button : {m_pBtnSubmit, m_pBtnContinue, m_pBtnChat}) {
        connect(button, &QImageTextButton::clicked, this, &QFeedbackDialog::slotBtnClicked);
    }

    m_pBusy = new QLabel(this);
    m_pBusyMovie = new QMovie(QStringLiteral(":/Img/res/gif_checking.gif"), QByteArray(), this);
    m_pBusyMovie->setScaledSize(QSize(24, 24));
    m_pBusy->setMovie(m_pBusyMovie);
    m_pBusy->setGeometry(m_pBtnSubmit->x() - 34, kButtonTop + 4, 24, 24);
    m_pBusy->hide();
}

bool QFeedbackDialog::isSubmitting() const {
    return !m_pThread.isNull();
}

QUrl QFeedbackDialog::chatLink() {
    QUrl link(QStringLiteral("tencent://message/"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("Menu"), QStringLiteral("yes"));
    query.addQueryItem(QStringLiteral("uin"), QLatin1String(kSupportContact));
    query.addQueryItem(QStringLiteral("Service"), QStringLiteral("300"));
    query.addQueryItem(QStringLiteral("sigT"), QLatin1String(kChatSignature));
    link.setQuery(query);
    return link;
}

bool QFeedbackDialog::isChatAvailable() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;  // no desktop handles the chat client's link scheme here
#endif
}

bool QFeedbackDialog::isValidMail(const QString& mail) {
    static const QRegularExpression pattern(
        QStringLiteral("([0-9A-Za-z\\-_\\.]+)@([0-9a-z]+\\.[a-z]{2,3}(\\.[a-z]{2})?)"));
    return pattern.match(mail).hasMatch();
}

QString QFeedbackDialog::trimmedContent() const {
    return m_pContent->toPlainText().trimmed();
}

QString QFeedbackDialog::trimmedMail() const {
    return m_pMail->text().trimmed();
}

void QFeedbackDialog::showMessage(const QString& text, const QColor& color) {
    m_pMessage->setTextColor(color);
    m_pMessage->setText(text);
    m_pMessage->move(kShadowMargin + (600 - m_pMessage->width()) / 2, m_nCodeRowBottom + 15);
    m_pMessage->show();
}

void QFeedbackDialog::slotLineEditTextChanged(QString strText) {
    Q_UNUSED(strText);
    m_pMessage->hide();
    const QString mail = trimmedMail();
    if (!mail.isEmpty()) {
        m_pBtnSubmit->setEnabled(isValidMail(mail) && !trimmedContent().isEmpty());
    }
}

void QFeedbackDialog::slotEditingFinished() {
    const QString mail = trimmedMail();
    if (mail.isEmpty()) {
        return;
    }
    if (!isValidMail(mail)) {
        showMessage(tr("Incorrect email format"), Qt::red);
        return;
    }
    m_pBtnSubmit->setEnabled(!trimmedContent().isEmpty());
}

void QFeedbackDialog::slotTextEditTextChanged() {
    const QString mail = trimmedMail();
    if (mail.isEmpty()) {
        m_pMessage->hide();
        m_pBtnSubmit->setEnabled(false);
    } else if (!isValidMail(mail)) {
        showMessage(tr("Incorrect email format"), Qt::red);
    } else {
        m_pBtnSubmit->setEnabled(!trimmedContent().isEmpty());
    }
    const int remaining = limitContent();
    m_pCounter->setText(tr("You can enter another %1 characters").arg(remaining));
}

// Cuts the characters over the limit that end at the cursor; returns how many may follow.
int QFeedbackDialog::limitContent() {
    const QString text = m_pContent->toPlainText();
    const QString trimmed = text.trimmed();
    const int excess = trimmed.size() - kMaxContentLength;
    if (excess <= 0) {
        return kMaxContentLength - trimmed.size();
    }
    int leading = 0;
    while (leading < text.size() && text[leading].isSpace()) {
        ++leading;
    }
    const int cursor = m_pContent->textCursor().position() - leading;
    const int end = qBound(excess, cursor, trimmed.size());
    const int start = end - excess;
    {
        const QSignalBlocker blocker(m_pContent);
        m_pContent->setPlainText(trimmed.left(start) + trimmed.mid(end));
        QTextCursor placed = m_pContent->textCursor();
        placed.setPosition(start);
        m_pContent->setTextCursor(placed);
    }
    return 0;
}

void QFeedbackDialog::slotCheckBtnClicked() {}

void QFeedbackDialog::slotBtnClicked() {
    if (sender() == m_pBtnSubmit) {
        submit();
    } else if (sender() == m_pBtnContinue) {
        resetForNext();
    } else if (sender() == m_pBtnChat) {
        QDesktopServices::openUrl(chatLink());
    }
}

void QFeedbackDialog::submit() {
    const QString code = m_pCode->text().trimmed();
    if (code.isEmpty()) {
        showMessage(tr("Please enter verification code"), Qt::red);
        return;
    }
    if (code.compare(m_pCodeLabel->code(), Qt::CaseInsensitive) != 0) {
        showMessage(tr("Incorrect verification code"), Qt::red);
        return;
    }
    m_pThread = new QFeedbackThread(this);
    connect(m_pThread, &QFeedbackThread::signalFeedbackCompleted, this,
            &QFeedbackDialog::slotFeedbackCompleted);
    m_pKeeper->keep(m_pThread);
    m_pBusy->show();
    m_pBusyMovie->start();
    m_pMessage->hide();
    m_pBtnSubmit->setEnabled(false);
    m_pThread->setFeedback(
        trimmedMail(), trimmedContent(),
        QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log"));
    m_pThread->start(QThread::InheritPriority);
}

void QFeedbackDialog::resetForNext() {
    m_pBtnContinue->hide();
    m_pBtnSubmit->show();
    m_pContent->clear();
    m_pCodeLabel->refreshCode();
    m_pCode->clear();
    m_pMessage->hide();
}

void QFeedbackDialog::slotFeedbackCompleted(bool bSuc, int nErrorCode) {
    LOG(INFO) << "feedback completed";
    m_pBusyMovie->stop();
    m_pBusy->hide();
    if (bSuc) {
        showMessage(tr("Submitted successfully, thank you very much for your feedback"),
                    QColor("#6DDB99"));
        m_pBtnSubmit->hide();
        m_pBtnContinue->show();
    } else {
        showMessage(tr("Submit failed: %1 (%2), please resubmit")
                        .arg(pixvue::serviceErrorText(nErrorCode))
                        .arg(nErrorCode),
                    Qt::red);
        // The texts are still there: another try needs no edit.
        m_pBtnSubmit->setEnabled(isValidMail(trimmedMail()) && !trimmedContent().isEmpty());
    }
}
