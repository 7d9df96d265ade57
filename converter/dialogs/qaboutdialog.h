#pragma once

#include "cframelessdialog.h"

#include <QUrl>

class QAdaptiveLabel;
class QIconButton;

// Product name, installed version and the maker's logo, which opens homePage (the maker's
// web site).
class QAboutDialog : public CFramelessDialog {
    Q_OBJECT

public:
    explicit QAboutDialog(const QUrl& homePage, QWidget* parent = nullptr);

    QIconButton* logoButton() const { return m_pBtnZentar; }
    QAdaptiveLabel* versionLabel() const { return m_pVersion; }

public slots:
    void slotBtnZentarClicked();

private:
    QUrl m_homePage;
    QIconButton* m_pBtnZentar = nullptr;
    QAdaptiveLabel* m_pName = nullptr;
    QAdaptiveLabel* m_pVersion = nullptr;
};
