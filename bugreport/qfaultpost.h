#pragma once

#include "cframelessdialog.h"

#include <QString>

class QAdaptiveLabel;
class QCheckBoxEx;
class QHBoxLayout;
class QIconButton;
class QImageTextButton;
class QMultiLineLabel;
class QPlainTextEdit;

// The bug report dialog: apologises for the crash, takes a description, sends the report (with
// the dump when "Send error report" is checked) and restarts the converter when asked.
class QFaultPost : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QFaultPost(QWidget* parent = nullptr);
    // Stops a running upload and waits for its thread.
    ~QFaultPost() override;

    // Anything but a bare file name is taken as no dump.
    void setDumpFileName(const QString& name);
    QString dumpFileName() const { return m_strDumpFileName; }

    // The program a restart starts; the converter beside this program unless set.
    void setConverterProgram(const QString& path) { m_strConverterProgram = path; }
    QString converterProgram() const { return m_strConverterProgram; }

    QAdaptiveLabel* errorLabel() const { return m_pErrorLabel; }
    QAdaptiveLabel* titleLabel() const { return m_pTitleLabel; }
    QCheckBoxEx* restartBox() const { return m_pRestartBox; }
    QCheckBoxEx* sendBox() const { return m_pSendBox; }
    QPlainTextEdit* descriptionEditor() const { return m_pDescriptionEdit; }
    QImageTextButton* confirmButton() const { return m_pConfirmButton; }
    QIconButton* closeButton() const { return m_pCloseButton; }

public slots:
    void slotBtnClicked();
    void slotCheckBtnClicked();
    void slotTextEditTextChanged();
    void slotUplaodCompleted(bool success, int errorCode);

protected:
    // Closed by the user (close button, Escape): a result that arrives later does nothing.
    void done(int result) override;

private:
    QHBoxLayout* createTitleRow();
    QHBoxLayout* createButtonRow();
    void createWidgets();
    void layOut();
    QString trimmedDescription() const;
    bool hasSomethingToDo() const;
    void startUpload();
    void restartConverter();

    QAdaptiveLabel* m_pTitleLabel = nullptr;
    QIconButton* m_pCloseButton = nullptr;
    QAdaptiveLabel* m_pErrorLabel = nullptr;
    QMultiLineLabel* m_pExplainLabel = nullptr;
    QCheckBoxEx* m_pRestartBox = nullptr;
    QCheckBoxEx* m_pSendBox = nullptr;
    QPlainTextEdit* m_pDescriptionEdit = nullptr;
    QImageTextButton* m_pConfirmButton = nullptr;
    QString m_strDumpFileName;
    QString m_strConverterProgram;
    bool m_bDone = false;
    bool m_bRestarted = false;
};
