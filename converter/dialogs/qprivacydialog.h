#pragma once

#include "cframelessdialog.h"

class QCheckBoxEx;
class QImageTextButton;

// Asks whether Pixvue may use the network: the version check at start-up and the log uploads.
// Both boxes show the stored answer (off until agreed); Confirm stores them. Closed without an
// answer on the first start, both stay off and the question is not asked again.
class QPrivacyDialog : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QPrivacyDialog(QWidget* parent = nullptr);

    QCheckBoxEx* updateCheckBox() const { return m_pUpdateBox; }
    QCheckBoxEx* logUploadBox() const { return m_pLogBox; }
    QImageTextButton* confirmButton() const { return m_pBtnConfirm; }
    QImageTextButton* cancelButton() const { return m_pBtnCancel; }

signals:
    // The stored answer was written (Confirm, or the first start's close).
    void signalConsentChanged();

public slots:
    void slotBtnClicked();

protected:
    void done(int result) override;

private:
    QLayout* createChoiceRows();
    QLayout* createButtonRow();
    QCheckBoxEx* createBox(const QString& text, bool checked);

    QCheckBoxEx* m_pUpdateBox = nullptr;
    QCheckBoxEx* m_pLogBox = nullptr;
    QImageTextButton* m_pBtnConfirm = nullptr;
    QImageTextButton* m_pBtnCancel = nullptr;
};
