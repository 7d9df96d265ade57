#pragma once

#include "cframelessdialog.h"

class QImageTextButton;
class QIconButton;

// "Are you sure to exit?": exec() gives Accepted only after YES; NO and the close button
// leave the program running.
class QExitDialog : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QExitDialog(QWidget* parent = nullptr);

    QImageTextButton* yesButton() const { return m_pBtnYes; }
    QImageTextButton* noButton() const { return m_pBtnNo; }
    QIconButton* closeButton() const { return m_pBtnClose; }

public slots:
    void slotBtnClicked();

private:
    QLayout* createMessageRow();
    QLayout* createButtonRow();

    QIconButton* m_pBtnClose = nullptr;
    QImageTextButton* m_pBtnYes = nullptr;
    QImageTextButton* m_pBtnNo = nullptr;
};
