#pragma once

#include "cframelesswindow.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>

class QAdaptiveLabel;
class QHomePage;
class QIconButton;
class QImageLable;
class QMenuDialog;
class QOperatePage;
class QConvertHeicThread;
class QStackedWidget;
class QThreadKeeper;

// The converter's main window: title bar with logo, title, menu, minimise and close buttons,
// the menu popup, and the page stack (home page, then the operate page). It takes files
// dropped anywhere on it and asks before the program ends.
class zentarPixvue : public CFramelessWindow {
    Q_OBJECT

public:
    enum PageIndex { HomePage = 0, OperatePage = 1 };

    // Paths of the maker's pages under its web site.
    static constexpr const char* kHomePagePath = "/cn/home.html";
    static constexpr const char* kContactPagePath = "/cn/contact-us.html";
    static constexpr const char* kHelpPagePath = "/cn/product-pixvue-help.html";

    explicit zentarPixvue(QWidget* parent = nullptr);
    ~zentarPixvue() override;

    // The program's main window while one exists: the parent of the dialogs' message boxes.
    static zentarPixvue* mainWindow();

    // Asks with the exit dialog; when the user confirms, the window closes.
    void exitProgram();

    // Asks every background thread of the program to stop and waits for them.
    void stopBackgroundWork();
    QThreadKeeper* threadKeeper() const { return m_pThreads; }
    // Called with each convert worker before it starts (tests hold files there).
    void setConvertWorkerSetup(std::function<void(QConvertHeicThread&)> setup) {
        m_convertWorkerSetup = std::move(setup);
    }

    QStackedWidget* pageStack() const { return m_pPageStack; }
    QHomePage* homePage() const { return m_pHomePage; }
    QOperatePage* operatePage() const { return m_pOperatePage; }
    QMenuDialog* menuDialog() const { return m_pMenuDialog; }  // null before the first hover
    QIconButton* menuButton() const { return m_pBtnMenu; }
    QIconButton* minimizeButton() const { return m_pBtnMin; }
    QIconButton* closeButton() const { return m_pBtnClose; }

    // The content size to open at: the one kept (stored), not below the designed size and,
    // within it, not beyond the screen's room.
    static QSize restoredContentSize(const QSize& stored, const QSize& screen);

    // The maker's web site joined with path, its "/cn/" turned into "/en/" for an English
    // interface.
    static QUrl webPage(const char* path);

    // Files or folders named on the command line or by a later start: added as a drop of them
    // would add them. Paths that do not exist are logged and left out.
    void openPaths(const QStringList& paths);

    // The network consent question; its answer is announced by signalConsentChanged.
    void showPrivacyDialog();

signals:
    // Files or folders dropped on the window; the operate page adds them.
    void signalUrlsDropped(const QList<QUrl>& urls);
    // The user answered the network consent question.
    void signalConsentChanged();

public slots:
    void slotIconBtnClicked();
    void slotMouseEnterMenu();
    void slotMouseLeaveMenu();
    void slotMenuItemClicked(int nItemId);
    // The start-up version check's result: an offer of a newer version opens the update dialog.
    void slotUpdateInfo(QVariant info);

    // The operate page's dialogs: the preview and the "please wait" overlay.
    void slotShowImage(QString strFilePath);
    void slotStopOp(int nType);
    void slotConvertImage(QVariant& listIndex, QString strPath);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The new size is kept for the next start.
    void resizeFinished() override;

private:
    QWidget* createTitleArea();
    QLayout* createTitleBar(QWidget* parent);
    void createPageStack();
    void connectOperatePage();
    void restoreWindowSize();
    bool confirmExit();
    void showLanguageDialog();
    void showAboutDialog();
    void showCheckUpdateDialog();
    void showFeedbackDialog();

    QImageLable* m_pLogo = nullptr;
    QAdaptiveLabel* m_pTitle = nullptr;
    QIconButton* m_pBtnMenu = nullptr;
    QIconButton* m_pBtnMin = nullptr;
    QIconButton* m_pBtnClose = nullptr;
    QMenuDialog* m_pMenuDialog = nullptr;
    QStackedWidget* m_pPageStack = nullptr;
    QHomePage* m_pHomePage = nullptr;
    QOperatePage* m_pOperatePage = nullptr;
    QThreadKeeper* m_pThreads = nullptr;
    bool m_bExitConfirmed = false;
    std::function<void(QConvertHeicThread&)> m_convertWorkerSetup;
};
