#pragma once

#include "cframelessdialog.h"
#include "core/qinstallerdownload.h"
#include "ztserverdefine.h"

#include <QFrame>
#include <QNetworkReply>
#include <QPointer>
#include <QUrl>
#include <QVariant>

class QAdaptiveLabel;
class QCheckVersionThread;
class QImageTextButton;
class QInstallerDownload;
class QLabel;
class QMovie;
class QMultiLineLabel;
class QProgressEx;
class QStackedWidget;
class QTextEdit;
class QThreadKeeper;

// The common base of the update dialog's pages.
class QBaseUpdateVerPage : public QFrame {
    Q_OBJECT

public:
    explicit QBaseUpdateVerPage(QWidget* parent = nullptr);
};

// Page 0: the check in progress, then "latest version".
class QCheckingPage : public QBaseUpdateVerPage {
    Q_OBJECT

public:
    explicit QCheckingPage(QStackedWidget* stack, QWidget* parent = nullptr);

    QAdaptiveLabel* statusLabel() const { return m_pStatus; }
    QAdaptiveLabel* versionLabel() const { return m_pVersion; }
    QAdaptiveLabel* packageLabel() const { return m_pPackage; }
    bool isAnimating() const;
    void setPackageManaged(bool bManaged);

public slots:
    // Before the check's UpdateInfo: a check that did not reach the service says so.
    void slotCheckCompleted(bool bSuc, int nErrorCode);
    void slotUpdateInfo(QVariant info);

private:
    void centre(QAdaptiveLabel* label, int y);
    void showResult(const QPixmap& icon, const QString& status);

    QStackedWidget* m_pStack;
    QLabel* m_pAnimation = nullptr;
    QMovie* m_pMovie = nullptr;
    QAdaptiveLabel* m_pVersion = nullptr;
    QAdaptiveLabel* m_pStatus = nullptr;
    QAdaptiveLabel* m_pPackage = nullptr;
    bool m_bCheckFailed = false;
    int m_nCheckError = 0;
};

class QUpdatePage;

// Page 1: a new version, its notes and the Update button.
class QCheckedPage : public QBaseUpdateVerPage {
    Q_OBJECT

public:
    QCheckedPage(QUpdatePage* updatePage, QWidget* parent = nullptr);

    void setUpdateInfo(const UpdateInfo& info);
    QAdaptiveLabel* versionLabel() const { return m_pVersion; }
    QTextEdit* notesView() const { return m_pNotes; }
    QImageTextButton* updateButton() const { return m_pBtnUpdate; }
    QMultiLineLabel* packageLabel() const { return m_pPackage; }
    // The package manager updates: no Update button, a line that says so in its place.
    void setPackageManaged(bool bManaged);

public slots:
    void slotBtnUpdateClicked();

private:
    void createNotesView();

    QUpdatePage* m_pUpdatePage;
    UpdateInfo m_updateInfo;
    QAdaptiveLabel* m_pVersion = nullptr;
    QTextEdit* m_pNotes = nullptr;
    QImageTextButton* m_pBtnUpdate = nullptr;
    QMultiLineLabel* m_pPackage = nullptr;
};

// Page 2: the download of the installer into the data directory, then its start. The link
// opens the download page.
class QUpdatePage : public QBaseUpdateVerPage {
    Q_OBJECT

public:
    static constexpr const char* kDownloadPagePath = "/cn/product-pixvue-download.html";

    QUpdatePage(QStackedWidget* stack, const QUrl& downloadPage, QWidget* parent = nullptr);
    ~QUpdatePage() override;

    void downloadNewVersion(const UpdateInfo& info);
    // Selects this page and shows the start of the download of info, before any data.
    void showDownloadStart(const UpdateInfo& info);
    // Starts the installer; when it cannot start, offers to open the download folder.
    void updateVersion();
    // Aborts a download under way; its partial file is removed.
    void cancelDownload();
    // The end of a download (or an installer already there): the bar full, status in words.
    void showEnd(const QString& status);

    bool isDownloading() const;
    // Refuses every download and installer start.
    void setPackageManaged(bool bManaged) { m_bPackageManaged = bManaged; }
    QString targetPath() const;
    QProgressEx* progressBar() const { return m_pProgress; }
    QAdaptiveLabel* percentLabel() const { return m_pPercent; }
    QAdaptiveLabel* sizeLabel() const { return m_pSize; }
    QMultiLineLabel* statusLabel() const { return m_pStatus; }
    QAdaptiveLabel* linkLabel() const { return m_pLink; }
    QImageTextButton* updateButton() const { return m_pBtnUpdate; }

signals:
    void signalClose();
    // The installer was started (detached) from path.
    void signalInstallerStarted(const QString& path);

public slots:
    // The installer is complete: it is started.
    void slotReplyFinished();
    void slotDownloadProcess(qint64 bytesRead, qint64 totalBytes);
    void slotError(QNetworkReply::NetworkError code);
    void slotBtnUpdateClicked();
    void slotClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWidgets();
    void showFailure(int errorCode);

    QStackedWidget* m_pStack;
    QUrl m_downloadPage;
    UpdateInfo m_updateInfo;
    QInstallerDownload* m_pDownload = nullptr;
    QProgressEx* m_pProgress = nullptr;
    QAdaptiveLabel* m_pPercent = nullptr;
    QAdaptiveLabel* m_pSize = nullptr;
    QMultiLineLabel* m_pStatus = nullptr;
    QImageTextButton* m_pBtnUpdate = nullptr;
    QAdaptiveLabel* m_pLink = nullptr;
    bool m_bPackageManaged = false;
};

// "Check for updates": checks now (infoKnown false) or shows an offer already known. keeper
// (outliving the dialog) keeps the check; downloadPage is the link of a failed download.
class QCheckUpdateDialog : public CFramelessDialog {
    Q_OBJECT

public:
    enum PageIndex { CheckingPage = 0, CheckedPage = 1, UpdatePage = 2 };

    QCheckUpdateDialog(bool infoKnown, QThreadKeeper& keeper, const QUrl& downloadPage,
                       QWidget* parent = nullptr);
    ~QCheckUpdateDialog() override;

    void setUpdateInfo(const UpdateInfo& info);
    // Whether the package manager updates the program (isDistributionPackage() at first).
    void setPackageManaged(bool bManaged);

    QStackedWidget* stack() const { return m_pStack; }
    QCheckingPage* checkingPage() const { return m_pCheckingPage; }
    QCheckedPage* checkedPage() const { return m_pCheckedPage; }
    QUpdatePage* updatePage() const { return m_pUpdatePage; }
    // The check under way; null once it has finished (or when none was started).
    QCheckVersionThread* checkThread() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void startCheck();

    QThreadKeeper* m_pKeeper;
    QStackedWidget* m_pStack = nullptr;
    QCheckingPage* m_pCheckingPage = nullptr;
    QCheckedPage* m_pCheckedPage = nullptr;
    QUpdatePage* m_pUpdatePage = nullptr;
    QPointer<QCheckVersionThread> m_pCheckThread;
};
