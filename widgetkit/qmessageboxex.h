#pragma once

#include "cframelessdialog.h"

class QAdaptiveLabel;
class QIconButton;
class QImageLable;
class QImageTextButton;
class QLineEx;
class QMultiLineLabel;
class QHBoxLayout;

// The kit's message box: a title, an optional icon, a text and YES and/or NO buttons.
// exec() gives Accepted only after YES; NO and the close button reject.
class ZTWIDGETKIT_EXPORT QMessageboxEx : public CFramelessDialog {
    Q_OBJECT

public:
    // iconKind: 0 no icon, 1 to 4 the rows of the message-icon image.
    // buttonMode: 0 YES only, 1 NO only, otherwise both.
    QMessageboxEx(const QString& title, const QString& text, int iconKind, int buttonMode,
                  QWidget* parent = nullptr);

    void setButtonText(const QString& yes, const QString& no);

    // The YES and NO buttons at the right of a message box's bottom row; the owner connects them.
    struct ButtonRow {
        QHBoxLayout* layout = nullptr;
        QImageTextButton* yes = nullptr;
        QImageTextButton* no = nullptr;
    };
    static ButtonRow createButtonRow(const QString& yes, const QString& no, QWidget* parent);

    QImageTextButton* yesButton() const { return m_pBtnYes; }
    QImageTextButton* noButton() const { return m_pBtnNo; }
    QIconButton* closeButton() const { return m_pBtnClose; }
    QImageLable* iconLabel() const { return m_pIcon; }

public slots:
    void slotBtnClicked();

private:
    QLayout* createTitleRow();
    QLayout* createMessageRow();
    QLayout* createOwnButtonRow();
    void applyIcon();
    void applyButtonMode();

    int m_nIconKind;
    int m_nButtonMode;
    QString m_strTitle;
    QString m_strText;
    QAdaptiveLabel* m_pTitle = nullptr;
    QIconButton* m_pBtnClose = nullptr;
    QLineEx* m_pLine = nullptr;
    QImageLable* m_pIcon = nullptr;
    QMultiLineLabel* m_pText = nullptr;
    QImageTextButton* m_pBtnYes = nullptr;
    QImageTextButton* m_pBtnNo = nullptr;
};
