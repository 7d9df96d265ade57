// The feedback dialog: its input rules, the verification code and the upload of today's log
// against the test web service.
#include "app/pixvuestartup.h"
#include "core/qthreadkeeper.h"
#include "dialogs/dialogframe.h"
#include "dialogs/qfeedbackdialog.h"
#include "guitestsupport.h"
#include "httptestsupport.h"
#include "pixvuetestservice.h"
#include "qadaptivelabel.h"
#include "qimagetextbutton.h"
#include "qmultilinelabel.h"
#include "ztdatadir.h"
#include "zthttpserver.h"
#include "ztlog.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUrlQuery>

namespace {

const char kMail[] = "someone@example.com";

QString todaysLogName() {
    return QDate::currentDate().toString("yyyyMMdd") + ".log";
}

}  // namespace

// Records the links the dialog opens instead of handing them to the desktop.
class LinkRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestFeedbackDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void codeIsReadableAndCaseless();
    void mailPatternAnywhereInTheText();
    void submitFollowsMailAndContent();
    void contentIsLimitedAtTheCursor();
    void failedUploadKeepsEverything();
    void uploadSendsTodaysLog();
    void chatLinkOpensTheContact();
    void closingDuringUploadWaitsForIt();

private:
    void fill(QFeedbackDialog& dialog, const QString& content, const QString& mail) const;

    PixvueTestService m_service;
    QThreadKeeper m_keeper;  // after the service: the uploads end first
    LinkRecorder m_links;
};

void TestFeedbackDialog::initTestCase() {
    pixvue::applyApplicationLook();
    QVERIFY(m_service.start());
    ZtHttpServer::setTransferTimeout(60000);
    QDesktopServices::setUrlHandler("tencent", &m_links, "open");
    LOG(INFO) << "feedback test started";
}

void TestFeedbackDialog::init() {
    httptest::useAddresses(m_service.baseUrl());
    m_service.clearRequests();
    m_service.clearReplies();
    m_links.opened.clear();
}

void TestFeedbackDialog::cleanup() {
    // Every thread of the test has ended; the line orders their logging before the next.
    LOG(INFO) << "test " << QTest::currentTestFunction() << " done";
}

void TestFeedbackDialog::fill(QFeedbackDialog& dialog, const QString& content,
                              const QString& mail) const {
    dialog.contentEdit()->setPlainText(content);
    dialog.mailEdit()->setText(mail);
}

void TestFeedbackDialog::codeIsReadableAndCaseless() {
    QFeedbackDialog dialog(m_keeper);
    // Capitals and digits that no reader confuses, each dark on the light ground.
    const QString confusable = QStringLiteral("IL1O0S5Z2B8");
    for (int i = 0; i < 20; ++i) {
        const QString code = dialog.codeLabel()->code();
        QCOMPARE(code.size(), 4);
        for (int k = 0; k < code.size(); ++k) {
            const QChar c = code.at(k);
            QVERIFY2((c.isUpper() || c.isDigit()) && !confusable.contains(c), qPrintable(code));
            QVERIFY(dialog.codeLabel()->codeColor(k).lightness() < 128);
        }
        QTest::mouseClick(dialog.codeLabel(), Qt::LeftButton);
    }
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        QVERIFY2(!label->text().contains("Case sensitive"), qPrintable(label->text()));
    }
    const QString code = dialog.codeLabel()->code();
    fill(dialog, "The preview is slow", kMail);
    QVERIFY(dialog.submitButton()->isEnabled());

    dialog.submitButton()->click();
    QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("Please enter verification code"));
    QCOMPARE(dialog.messageLabel()->textColor(), QColor(Qt::red));

    dialog.codeEdit()->setText("1111");  // never a code
    dialog.submitButton()->click();
    QVERIFY(dialog.messageLabel()->isVisibleTo(&dialog));
    QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("Incorrect verification code"));
    QCOMPARE(dialog.codeLabel()->code(), code);  // a wrong entry keeps the code
    QVERIFY(!dialog.isSubmitting());
    QCOMPARE(m_service.requestCount(), 0);

    dialog.codeEdit()->setText(code + "x");
    QCOMPARE(dialog.codeEdit()->text(), code);  // at most four characters
}

void TestFeedbackDialog::mailPatternAnywhereInTheText() {
    QVERIFY(QFeedbackDialog::isValidMail("someone@example.com"));
    QVERIFY(QFeedbackDialog::isValidMail("someone@example.com, more words"));
    QVERIFY(QFeedbackDialog::isValidMail("a.b-c_d@mail.example.co.uk"));
    QVERIFY(!QFeedbackDialog::isValidMail("someone@example"));
    QVERIFY(!QFeedbackDialog::isValidMail("someone.example.com"));
    QVERIFY(!QFeedbackDialog::isValidMail("someone@EXAMPLE.COM"));

    QFeedbackDialog dialog(m_keeper);
    fill(dialog, "Words", "someone@example.com, more words");
    QVERIFY(dialog.submitButton()->isEnabled());
    dialog.slotEditingFinished();
    QVERIFY(!dialog.messageLabel()->isVisibleTo(&dialog));

    dialog.mailEdit()->setText("someone@example");
    QVERIFY(!dialog.submitButton()->isEnabled());
    QCOMPARE(dialog.submitButton()->buttonState(), int(ButtonDisabled));
    dialog.slotEditingFinished();
    QVERIFY(dialog.messageLabel()->isVisibleTo(&dialog));
    QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("Incorrect email format"));
    QCOMPARE(dialog.messageLabel()->textColor(), QColor(Qt::red));
    // Centred 15 px below the code row.
    const QRect message = dialog.messageLabel()->geometry();
    QCOMPARE(message.left() - 30, 600 - 1 - (message.right() - 30));
    QCOMPARE(message.top(), dialog.codeEdit()->geometry().bottom() + 1 + 15);
}

void TestFeedbackDialog::submitFollowsMailAndContent() {
    QFeedbackDialog dialog(m_keeper);
    QCOMPARE(dialog.size(), QSize(660, 440));
    QVERIFY(!dialog.submitButton()->isEnabled());
    QVERIFY(!dialog.continueButton()->isVisibleTo(&dialog));
    QCOMPARE(dialog.counterLabel()->text(), QStringLiteral("You can enter another 300 characters"));

    dialog.mailEdit()->setText(kMail);  // no content yet
    QVERIFY(!dialog.submitButton()->isEnabled());
    dialog.contentEdit()->setPlainText("   ");
    QVERIFY(!dialog.submitButton()->isEnabled());
    dialog.contentEdit()->setPlainText("Hello");
    QVERIFY(dialog.submitButton()->isEnabled());

    // An emptied address disables Submit as soon as the content changes.
    dialog.mailEdit()->clear();
    QVERIFY(dialog.submitButton()->isEnabled());
    dialog.contentEdit()->setPlainText("Hello again");
    QVERIFY(!dialog.submitButton()->isEnabled());
    QVERIFY(!dialog.messageLabel()->isVisibleTo(&dialog));

    // An invalid address shows the message when the content changes, Submit unchanged.
    dialog.mailEdit()->setText("nobody");
    dialog.contentEdit()->setPlainText("Hello once more");
    QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("Incorrect email format"));
    QVERIFY(dialog.messageLabel()->isVisibleTo(&dialog));
}

void TestFeedbackDialog::contentIsLimitedAtTheCursor() {
    QFeedbackDialog dialog(m_keeper);
    QPlainTextEdit* edit = dialog.contentEdit();
    edit->insertPlainText(QString(310, 'a'));
    QCOMPARE(edit->toPlainText(), QString(300, 'a'));
    QCOMPARE(dialog.counterLabel()->text(), QStringLiteral("You can enter another 0 characters"));

    // Blanks before and after the text are not counted.
    edit->setPlainText("   " + QString(297, 'b') + "  \n ");
    QCOMPARE(dialog.counterLabel()->text(), QStringLiteral("You can enter another 3 characters"));
    QCOMPARE(edit->toPlainText().size(), 3 + 297 + 4);

    // Pasted in the middle: the pasted overflow before the cursor goes.
    edit->setPlainText(QString(150, 'a') + QString(150, 'c'));
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(150);
    edit->setTextCursor(cursor);
    edit->insertPlainText("12345");
    QCOMPARE(edit->toPlainText(), QString(150, 'a') + QString(150, 'c'));
    QCOMPARE(edit->textCursor().position(), 150);
    QCOMPARE(dialog.counterLabel()->text(), QStringLiteral("You can enter another 0 characters"));
}

void TestFeedbackDialog::failedUploadKeepsEverything() {
    m_service.setReply("/client/problem", ScriptedReply::httpError(500, "down"));
    QFeedbackDialog dialog(m_keeper);
    fill(dialog, "  It crashed  ", kMail);
    const QString code = dialog.codeLabel()->code();
    dialog.codeEdit()->setText(code);
    dialog.submitButton()->click();
    QVERIFY(dialog.isSubmitting());
    QVERIFY(!dialog.submitButton()->isEnabled());
    QVERIFY(dialog.busyLabel()->isVisibleTo(&dialog));
    QVERIFY(guitest::waitFor([&] { return dialog.messageLabel()->isVisibleTo(&dialog); }));
    QCOMPARE(dialog.messageLabel()->text(),
             QStringLiteral("Submit failed: the service has a fault (%1), please resubmit")
                 .arg(int(QNetworkReply::InternalServerError)));
    QCOMPARE(dialog.messageLabel()->textColor(), QColor(Qt::red));
    QVERIFY(!dialog.busyLabel()->isVisibleTo(&dialog));
    QCOMPARE(dialog.contentEdit()->toPlainText(), QStringLiteral("  It crashed  "));
    QCOMPARE(dialog.mailEdit()->text(), QString(kMail));
    QCOMPARE(dialog.codeEdit()->text(), code);
    QCOMPARE(dialog.codeLabel()->code(), code);
    // Another try needs no edit.
    QVERIFY(dialog.submitButton()->isVisibleTo(&dialog));
    QVERIFY(dialog.submitButton()->isEnabled());
    dialog.submitButton()->click();
    QVERIFY(m_service.waitForRequests(2, 60000));
    QVERIFY(guitest::waitFor([&] { return !dialog.isSubmitting(); }));

    // Every code in words, the code beside them.
    const QList<QPair<int, const char*>> words{
        {0, "the service refused the request"},
        {int(QNetworkReply::ConnectionRefusedError), "no connection to the service"},
        {int(QNetworkReply::HostNotFoundError), "the service could not be found"},
        {int(QNetworkReply::OperationCanceledError), "the service did not answer in time"},
        {int(QNetworkReply::ContentNotFoundError), "the service refused the request"},
        {502, "the service sent an empty answer"},
        {506, "the service's answer could not be read"},
        {9999, "unknown error"}};
    for (const auto& word : words) {
        QCOMPARE(pixvue::serviceErrorText(word.first), QString::fromLatin1(word.second));
    }
}

void TestFeedbackDialog::uploadSendsTodaysLog() {
    m_service.setReply("/client/problem", ScriptedReply::envelope(0));
    LOG(INFO) << "a line before the feedback in " << QDir::homePath() << "/Pictures";
    QFeedbackDialog dialog(m_keeper);
    fill(dialog, "  Thanks for the tool \n", "  " + QString(kMail) + " ");
    dialog.codeEdit()->setText(dialog.codeLabel()->code().toLower());  // any case
    dialog.submitButton()->click();
    QVERIFY(guitest::waitFor([&] { return dialog.messageLabel()->isVisibleTo(&dialog); }));
    QCOMPARE(dialog.messageLabel()->text(),
             QStringLiteral("Submitted successfully, thank you very much for your feedback"));
    QCOMPARE(dialog.messageLabel()->textColor(), QColor("#6DDB99"));
    QVERIFY(!dialog.submitButton()->isVisibleTo(&dialog));

    const QList<RecordedRequest> sent = m_service.requests("/client/problem");
    QCOMPARE(sent.size(), 1);
    const QList<RecordedPart> parts = sent.first().parts;
    QCOMPARE(parts.size(), 5);
    QCOMPARE(parts[0].body, QByteArray("ZIZIVUZIZAD"));
    QCOMPARE(parts[1].body, QByteArray(kMail));
    QCOMPARE(parts[2].body, QByteArray("Thanks for the tool"));
    QCOMPARE(parts[3].name, QByteArray("LogName"));
    QCOMPARE(parts[3].body, todaysLogName().toUtf8());
    QCOMPARE(parts[4].fileName, todaysLogName().toUtf8());
    QFile log(guitest::dataDirectory() + "Trace/" + todaysLogName());
    QVERIFY(log.open(QIODevice::ReadOnly));
    // The home folder goes out as "~".
    QVERIFY(parts[4].body.contains("a line before the feedback in ~/Pictures"));
    QVERIFY(ztlog::withHomeAsTilde(log.readAll()).startsWith(parts[4].body));

    const QString oldCode = dialog.codeLabel()->code();
    dialog.continueButton()->click();
    QVERIFY(!dialog.continueButton()->isVisibleTo(&dialog));
    QVERIFY(dialog.submitButton()->isVisibleTo(&dialog));
    QVERIFY(dialog.contentEdit()->toPlainText().isEmpty());
    QVERIFY(dialog.codeEdit()->text().isEmpty());
    QVERIFY(!dialog.messageLabel()->isVisibleTo(&dialog));
    QCOMPARE(dialog.codeLabel()->code().size(), 4);
    Q_UNUSED(oldCode);  // a new code may repeat the old one by chance
}

void TestFeedbackDialog::chatLinkOpensTheContact() {
    QFeedbackDialog dialog(m_keeper);
    // Nothing here handles the chat client's links: the button is hidden.
    QVERIFY(!QFeedbackDialog::isChatAvailable());
    QVERIFY(!dialog.chatButton()->isVisibleTo(&dialog));
    dialog.chatButton()->click();
    QCOMPARE(m_links.opened.size(), 1);
    const QUrl link = m_links.opened.first();
    QCOMPARE(link.scheme(), QStringLiteral("tencent"));
    const QUrlQuery query(link);
    QCOMPARE(query.queryItemValue("Menu"), QStringLiteral("yes"));
    QCOMPARE(query.queryItemValue("uin"), QString(QFeedbackDialog::kSupportContact));
    QCOMPARE(query.queryItemValue("Service"), QStringLiteral("300"));
    const QString signature = query.queryItemValue("sigT");
    QCOMPARE(signature.size(), 80);
    QVERIFY(QRegularExpression("^[0-9a-f]{80}$").match(signature).hasMatch());
}

void TestFeedbackDialog::closingDuringUploadWaitsForIt() {
    m_service.setReply("/client/problem", ScriptedReply::neverReply());
    auto* dialog = new QFeedbackDialog(m_keeper);
    fill(*dialog, "Slow service", kMail);
    dialog->codeEdit()->setText(dialog->codeLabel()->code());
    dialog->submitButton()->click();
    QVERIFY(m_service.waitForRequests(1, 60000));
    QVERIFY(dialog->isSubmitting());
    delete dialog;  // stops the upload and waits for it
}

PIXVUE_GUI_TEST_MAIN(TestFeedbackDialog)
#include "tst_feedbackdialog.moc"
