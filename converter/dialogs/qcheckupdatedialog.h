#pragma once

#include "cframelessdialog.h"
#include "ztserverdefine.h"

#include <QFrame>
#include <QNetworkReply>
#include <QPointer>
#include <QVariant>

class QAdaptiveLabel;
class QCheckVersionThread;
class QFile;
class QImageLable;
class QImageTextButton;
class QLabel;
class QMovie;
class QMultiLineLabel;
class QNetworkAccessManager;
class QProgressEx;
class QStackedWidget;
class QTextEdit;

namespace pixvue {

// Readable byte counts: "512 B", "1.50 KB", "3.00 MB", "1.25 GB" (a negative count in B).
QString readableSize(qint64 bytes);
// bytesRead x 100 / (totalBytes + 1); -1 when the total is unknown (negative).
qint64 downloadPercent(qint64 bytesRead, qint64 totalBytes);
// A version that can name a file: letters, digits, ".", "_" and "-", not "." or "..".
bool isSafeVersionText(const QString& version);
// Installers are fetched over https only; plain http only from this machine.
bool isTrustedDownloadUrl(const QUrl& url);
// The data directory's "Update" folder and the installer of version inside it.
QString updateDirectory();
QString installerPath(const QString& version);
// Built for a distribution's package: the package manager updates the program, which never
// downloads or starts an installer itself.
bool isDistributionPackage();

}  // namespace pixvue

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

// Page 2: the download of the installer into the data directory, then its start.
class QUpdatePage : public QBaseUpdateVerPage {
    Q_OBJECT

public:
    static constexpr const char* kDownloadPagePath = "/cn/product-pixvue-download.html";

    QUpdatePage(QStackedWidget* stack, QWidget* parent = nullptr);
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

    bool isDownloading() const { return !m_pReply.isNull(); }
    // Refuses every download and installer start.
    void setPackageManaged(bool bManaged) { m_bPackageManaged = bManaged; }
    QString targetPath() const { return m_strTarget; }
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
    void slotReplyFinished();
    void slotReadyRead();
    void slotDownloadProcess(qint64 bytesRead, qint64 totalBytes);
    void slotError(QNetworkReply::NetworkError code);
    void slotBtnUpdateClicked();
    void slotClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWidgets();
    bool refuseUnsafeDownload(const QUrl& url);
    void checkRedirect(const QUrl& url);
    void showFailure(int errorCode);
    void dropReply();
    bool finishFile();
    bool startInstaller(QString* error);

    QStackedWidget* m_pStack;
    UpdateInfo m_updateInfo;
    QNetworkAccessManager* m_pManager = nullptr;
    QPointer<QNetworkReply> m_pReply;
    QFile* m_pFile = nullptr;
    QString m_strTarget;
    qint64 m_nReceived = 0;
    QProgressEx* m_pProgress = nullptr;
    QAdaptiveLabel* m_pPercent = nullptr;
    QAdaptiveLabel* m_pSize = nullptr;
    QMultiLineLabel* m_pStatus = nullptr;
    QImageTextButton* m_pBtnUpdate = nullptr;
    QAdaptiveLabel* m_pLink = nullptr;
    bool m_bPackageManaged = false;
};

// "Check for updates": checks now (infoKnown false) or shows an offer already known.
class QCheckUpdateDialog : public CFramelessDialog {
    Q_OBJECT

public:
    enum PageIndex { CheckingPage = 0, CheckedPage = 1, UpdatePage = 2 };

    QCheckUpdateDialog(bool infoKnown, QWidget* parent = nullptr);
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

    QStackedWidget* m_pStack = nullptr;
    QCheckingPage* m_pCheckingPage = nullptr;
    QCheckedPage* m_pCheckedPage = nullptr;
    QUpdatePage* m_pUpdatePage = nullptr;
    QPointer<QCheckVersionThread> m_pCheckThread;
};
