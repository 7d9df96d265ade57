#pragma once

#include "cframelessdialog.h"

#include <QLabel>
#include <QPointer>
#include <QVector>

class QAdaptiveLabel;
class QFeedbackThread;
class QThreadKeeper;
class QIconButton;
class QImageTextButton;
class QLineEdit;
class QMovie;
class QMultiLineLabel;
class QPlainTextEdit;

// A four-character verification code (capitals and digits no reader confuses, compared without
// regard to case) drawn dark over light noise; a click makes a new one.
class QVerCodeLabel : public QLabel {
    Q_OBJECT

public:
    explicit QVerCodeLabel(QWidget* parent = nullptr);

    QString code() const { return m_strCode; }
    QColor codeColor(int index) const;
    void refreshCode();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strCode;
    int* m_pColors;  // the process-wide table of 4 Qt::GlobalColor values
    QVector<QPoint> m_noise;
};

// "Feedback": an opinion, a mail address and the verification code, uploaded with today's log.
class QFeedbackDialog : public CFramelessDialog {
    Q_OBJECT

public:
    static constexpr int kMaxContentLength = 300;
    // The support contact of the chat link and its signature.
    static constexpr const char* kSupportContact = "800012345";
    static constexpr const char* kChatSignature =
        "7a3c9e51d2b84f06a1e5c7d9b3f20846e1a5c9d7b3f1e08264a9c5e7d1b3f90a2c4e6a8b0d2f4a6c";

    // keeper (outliving the dialog) keeps the upload.
    explicit QFeedbackDialog(QThreadKeeper& keeper, QWidget* parent = nullptr);
    ~QFeedbackDialog() override;

    // The chat link opened by QQChat.
    static QUrl chatLink();
    static bool isValidMail(const QString& mail);
    // Whether a desktop program handles the chat link (QQChat is hidden where none does).
    static bool isChatAvailable();

    QPlainTextEdit* contentEdit() const { return m_pContent; }
    QLineEdit* mailEdit() const { return m_pMail; }
    QLineEdit* codeEdit() const { return m_pCode; }
    QVerCodeLabel* codeLabel() const { return m_pCodeLabel; }
    QMultiLineLabel* counterLabel() const { return m_pCounter; }
    QAdaptiveLabel* messageLabel() const { return m_pMessage; }
    QLabel* busyLabel() const { return m_pBusy; }
    QImageTextButton* submitButton() const { return m_pBtnSubmit; }
    QImageTextButton* continueButton() const { return m_pBtnContinue; }
    QImageTextButton* chatButton() const { return m_pBtnChat; }
    bool isSubmitting() const;

public slots:
    void slotBtnClicked();
    void slotTextEditTextChanged();
    void slotEditingFinished();
    void slotLineEditTextChanged(QString strText);
    void slotCheckBtnClicked();
    void slotFeedbackCompleted(bool bSuc, int nErrorCode);

private:
    void createContentArea();
    void createMailRow();
    void createCodeRow();
    void createButtons();
    void showMessage(const QString& text, const QColor& color);
    void submit();
    void resetForNext();
    QString trimmedContent() const;
    QString trimmedMail() const;
    int limitContent();

    QPlainTextEdit* m_pContent = nullptr;
    QMultiLineLabel* m_pCounter = nullptr;
    QLineEdit* m_pMail = nullptr;
    QLineEdit* m_pCode = nullptr;
    QVerCodeLabel* m_pCodeLabel = nullptr;
    QLabel* m_pBusy = nullptr;
    QMovie* m_pBusyMovie = nullptr;
    QAdaptiveLabel* m_pMessage = nullptr;
    QImageTextButton* m_pBtnSubmit = nullptr;
    QImageTextButton* m_pBtnContinue = nullptr;
    QImageTextButton* m_pBtnChat = nullptr;
    QThreadKeeper* m_pKeeper;
    QPointer<QFeedbackThread> m_pThread;
    int m_nCodeRowBottom = 0;
};
