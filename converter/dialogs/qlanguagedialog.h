#pragma once

#include "cframelessdialog.h"

class QComboBox;
class QImageTextButton;

// Chooses the interface language. Confirm, enabled only while the choice differs from the
// stored language, stores it and ends the event loop with the restart exit code.
class QLanguageDialog : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QLanguageDialog(QWidget* parent = nullptr);

    QComboBox* comboBox() const { return m_pComboBox; }
    QImageTextButton* confirmButton() const { return m_pBtnConfirm; }
    QImageTextButton* cancelButton() const { return m_pBtnCancel; }

public slots:
    void slotBtnClicked();
    void slotComboBoxSelectChanged(int index);

private:
    QLayout* createChoiceRow();
    QLayout* createNoteRows();
    QLayout* createButtonRow();

    QComboBox* m_pComboBox = nullptr;
    QImageTextButton* m_pBtnConfirm = nullptr;
    QImageTextButton* m_pBtnCancel = nullptr;
};
