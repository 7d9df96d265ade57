#pragma once

#include "cframelessdialog.h"

class QAdaptiveLabel;
class QIconButton;

// Product name, installed version and the maker's logo, which opens the maker's web site.
class QAboutDialog : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QAboutDialog(QWidget* parent = nullptr);

    QIconButton* logoButton() const { return m_pBtnZentar; }
    QAdaptiveLabel* versionLabel() const { return m_pVersion; }

public slots:
    void slotBtnZentarClicked();

private:
    QIconButton* m_pBtnZentar = nullptr;
    QAdaptiveLabel* m_pName = nullptr;
    QAdaptiveLabel* m_pVersion = nullptr;
};
