#include "zentarpixvue.h"

#include "core/qthreadkeeper.h"
#include "dialogs/qaboutdialog.h"
#include "dialogs/qcheckupdatedialog.h"
#include "dialogs/qconvertimagedlg.h"
#include "dialogs/qexitdialog.h"
#include "dialogs/qfeedbackdialog.h"
#include "dialogs/qlanguagedialog.h"
#include "dialogs/qprivacydialog.h"
#include "dialogs/qshowimagedlg.h"
#include "dialogs/qstopadddelimgdlg.h"
#include "mainwindow/qmenudialog.h"
#include "pages/qhomepage.h"
#include "pages/qoperatepage.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qlineex.h"
#include "workers/qbgcollectheicthread.h"
#include "workers/qconvertheicthread.h"
#include "ztconfig.h"
#include "ztlog.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMimeData>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const int kContentWidth = 1000;
const int kContentHeight = 648;
const int kTitleHeight = 54;
const int kPageHeight = 594;

zentarPixvue* s_pMainWindow = nullptr;

QIconButton* createTitleButton(const char* image, QWidget* parent) {
    return new QIconButton(QString::fromLatin1(image), QSize(20, 20), parent);
}

}  // namespace

zentarPixvue::zentarPixvue(QWidget* parent) : CFramelessWindow(parent) {
    s_pMainWindow = this;
    m_pThreads = new QThreadKeeper(this);
    setResizable(kContentWidth, kContentHeight);
    setTitleSize(QSize(kContentWidth, kTitleHeight));
    setTitleColor(QColor("#718AB9"));
    setBackgroundColor(QColor("#FFFFFF"));
    setWindowTitle(tr("Pixvue"));
    setAcceptDrops(true);

    QWidget* titleArea = createTitleArea();
    createPageStack();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
    layout->setSpacing(0);
    layout->addWidget(titleArea);
    layout->addWidget(m_pPageStack);
    setCentralWidget(central);
    central->setMouseTracking(true);  // the resize cursor over the shadow
    restoreWindowSize();

    connect(m_pBtnMin, &QIconButton::clicked, this, &zentarPixvue::slotIconBtnClicked);
    connect(m_pBtnClose, &QIconButton::clicked, this, &zentarPixvue::slotIconBtnClicked);
    connect(m_pBtnMenu, &QIconButton::signalMouseEnter, this, &zentarPixvue::slotMouseEnterMenu);
    connect(m_pBtnMenu, &QIconButton::signalMouseLeave, this, &zentarPixvue::slotMouseLeaveMenu);
}

zentarPixvue::~zentarPixvue() {
    stopBackgroundWork();
    if (s_pMainWindow == this) {
        s_pMainWindow = nullptr;
    }
}

zentarPixvue* zentarPixvue::mainWindow() {
    return s_pMainWindow;
}

QWidget* zentarPixvue::createTitleArea() {
    auto* area = new QWidget(this);
    area->setMinimumWidth(kContentWidth);
    area->setFixedHeight(kTitleHeight);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addLayout(createTitleBar(area));
    layout->addStretch();
    return area;
}

QLayout* zentarPixvue::createTitleBar(QWidget* parent) {
    m_pLogo = new QImageLable(QStringLiteral(":/Img/res/png_logo.png"), parent);
    m_pLogo->setFixedSize(26, 26);
    m_pTitle = new QAdaptiveLabel(QColor("#FFFFFF"), FontSpec(16, 50), parent);
    m_pTitle->setFixedHeight(22);
    m_pTitle->setText(windowTitle());
    auto* separator = new QLineEx(QColor("#FFFFFF"), 1, Qt::SolidLine, parent);
    separator->setFixedSize(1, 22);
    m_pBtnMenu = createTitleButton(":/Img/res/btn/btn_menu.png", parent);
    m_pBtnMin = createTitleButton(":/Img/res/btn/btn_min.png", parent);
    m_pBtnClose = createTitleButton(":/Img/res/btn/btn_close.png", parent);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(20);
    row->addWidget(m_pLogo);
    row->addSpacing(8);
    row->addWidget(m_pTitle);
    row->addStretch();
    row->addWidget(separator);
    row->addSpacing(25);
    row->addWidget(m_pBtnMenu);
    row->addSpacing(15);
    row->addWidget(m_pBtnMin);
    row->addSpacing(15);
    row->addWidget(m_pBtnClose);
    row->addSpacing(20);
    return row;
}

void zentarPixvue::createPageStack() {
    m_pPageStack = new QStackedWidget(this);
    m_pPageStack->setMinimumSize(kContentWidth, kPageHeight);
    m_pHomePage = new QHomePage(m_pPageStack);
    m_pPageStack->addWidget(m_pHomePage);
    m_pOperatePage = new QOperatePage(m_pPageStack, m_pPageStack);
    m_pPageStack->addWidget(m_pOperatePage);
    m_pPageStack->setCurrentIndex(HomePage);
    connectOperatePage();
}

QSize zentarPixvue::restoredContentSize(const QSize& stored, const QSize& screen) {
    const QSize designed(kContentWidth, kContentHeight);
    QSize content = stored.expandedTo(designed);
    if (screen.isValid()) {
        content = content.boundedTo(screen);  // its edges stay within reach
    }
    return content.expandedTo(designed);
}

void zentarPixvue::restoreWindowSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize margins(2 * kShadowMargin, 2 * kShadowMargin);
    const QSize room = screen != nullptr ? screen->availableSize() - margins : QSize();
    resize(restoredContentSize(ZtConfig::NewInstance()->getWindowSize(), room) + margins);
}

void zentarPixvue::resizeFinished() {
    ZtConfig::NewInstance()->setWindowSize(contentSize());
}

void zentarPixvue::connectOperatePage() {
    connect(this, &zentarPixvue::signalUrlsDropped, m_pOperatePage, &QOperatePage::addHeicUrls);
    connect(m_pHomePage, &QHomePage::signalFilesChosen, m_pOperatePage,
            &QOperatePage::addHeicFiles);
    connect(m_pOperatePage, &QOperatePage::signalShowImage, this, &zentarPixvue::slotShowImage);
    connect(m_pOperatePage, &QOperatePage::signalStopOp, this, &zentarPixvue::slotStopOp);
    connect(m_pOperatePage, &QOperatePage::signalConvertImage, this,
            &zentarPixvue::slotConvertImage);
}

void zentarPixvue::slotConvertImage(QVariant& listIndex, QString strPath) {
    m_pOperatePage->trackConversion(listIndex);
    auto* dialog = new QConvertImageDlg(listIndex, strPath, this, 0, m_convertWorkerSetup);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QConvertHeicThread* worker = dialog->worker();
    m_pThreads->adopt(worker, [worker] { worker->stop(); });
    connect(dialog, &QConvertImageDlg::signalRefreshTableView, m_pOperatePage,
            &QOperatePage::slotRefreshTableView);
    connect(dialog->worker(), &QConvertHeicThread::signalConvertFinished, m_pOperatePage,
            &QOperatePage::slotConvertFinished);
    dialog->show();
}

void zentarPixvue::slotShowImage(QString strFilePath) {
    auto* dialog = new QShowImageDlg(strFilePath, *m_pThreads, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->showOver(this);
}

void zentarPixvue::slotStopOp(int nType) {
    auto* dialog = new QStopAddDelImgDlg(nType, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_pOperatePage, &QOperatePage::signalOpCompleted, dialog,
            &QStopAddDelImgDlg::slotClose);
    dialog->showOver(this);
}

void zentarPixvue::slotIconBtnClicked() {
    if (sender() == m_pBtnClose) {
        exitProgram();
    } else if (sender() == m_pBtnMin) {
        showMinimized();
    }
}

void zentarPixvue::slotMouseEnterMenu() {
    if (m_pMenuDialog == nullptr) {
        m_pMenuDialog = new QMenuDialog(this);
        connect(m_pMenuDialog, &QMenuDialog::signalItemClicked, this,
                &zentarPixvue::slotMenuItemClicked);
    }
    // Centred under the button, in the window's coordinates (the button lies in the title area).
    const QRect button = m_pBtnMenu->geometry();
    const QPoint below(button.left() + (button.width() - m_pMenuDialog->width()) / 2,
                       button.bottom());
    m_pMenuDialog->move(m_pBtnMenu->parentWidget()->mapTo(this, below));
    m_pMenuDialog->raise();
    m_pMenuDialog->show();
}

void zentarPixvue::slotMouseLeaveMenu() {
    if (m_pMenuDialog == nullptr) {
        return;
    }
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    if (!m_pMenuDialog->geometry().contains(cursor)) {
        m_pMenuDialog->hide();
    }
}

QUrl zentarPixvue::webPage(const char* path) {
    ZtConfig* config = ZtConfig::NewInstance();
    QString page = QString::fromLatin1(path);
    // The site's pages in the interface's language: "/cn/" Chinese, "/en/" English.
    if (config->getLanguageType() != Chinese && page.startsWith(QLatin1String("/cn/"))) {
        page.replace(0, 4, QStringLiteral("/en/"));
    }
    return QUrl(config->getWebSiteUrl() + page, QUrl::TolerantMode);
}

void zentarPixvue::slotMenuItemClicked(int nItemId) {
    if (m_pMenuDialog != nullptr && nItemId >= 1 && nItemId <= QMenuDialog::kItemCount) {
        m_pMenuDialog->hide();
    }
    switch (nItemId) {
        case QMenuDialog::OfficialWeb:
            QDesktopServices::openUrl(webPage(kHomePagePath));
            break;
        case QMenuDialog::Language:
            showLanguageDialog();
            break;
        case QMenuDialog::CheckUpdate:
            showCheckUpdateDialog();
            break;
        case QMenuDialog::Feedback:
            showFeedbackDialog();
            break;
        case QMenuDialog::ContactUs:
            QDesktopServices::openUrl(webPage(kContactPagePath));
            break;
        case QMenuDialog::HelpCenter:
            QDesktopServices::openUrl(webPage(kHelpPagePath));
            break;
        case QMenuDialog::About:
            showAboutDialog();
            break;
        case QMenuDialog::Exit:
            exitProgram();
            break;
        case QMenuDialog::Privacy:
            showPrivacyDialog();
            break;
        default:
            break;
    }
}

void zentarPixvue::showLanguageDialog() {
    auto* dialog = new QLanguageDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->show();
}

void zentarPixvue::showPrivacyDialog() {
    auto* dialog = new QPrivacyDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    connect(dialog, &QPrivacyDialog::signalConsentChanged, this,
            &zentarPixvue::signalConsentChanged);
    dialog->show();
}

void zentarPixvue::showAboutDialog() {
    auto* dialog = new QAboutDialog(webPage(kHomePagePath), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void zentarPixvue::showCheckUpdateDialog() {
    auto* dialog =
        new QCheckUpdateDialog(false, *m_pThreads, webPage(QUpdatePage::kDownloadPagePath), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void zentarPixvue::showFeedbackDialog() {
    auto* dialog = new QFeedbackDialog(*m_pThreads, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void zentarPixvue::slotUpdateInfo(QVariant info) {
    const UpdateInfo record =
        info.canConvert<UpdateInfo>() ? info.value<UpdateInfo>() : UpdateInfo();
    if (!record.hasNewVersion) {
        return;
    }
    auto* dialog =
        new QCheckUpdateDialog(true, *m_pThreads, webPage(QUpdatePage::kDownloadPagePath), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->setUpdateInfo(record);
    dialog->show();
}

bool zentarPixvue::confirmExit() {
    QExitDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    LOG(INFO) << "User select to exit";
    QBGCollectHeicThread::setStopFlag(true);
    m_bExitConfirmed = true;
    return true;
}

void zentarPixvue::exitProgram() {
    if (confirmExit()) {
        close();
    }
}

void zentarPixvue::stopBackgroundWork() {
    if (m_pOperatePage != nullptr) {
        m_pOperatePage->stopWorkers();
    }
    m_pThreads->stopAll();
}

void zentarPixvue::closeEvent(QCloseEvent* event) {
    if (!m_bExitConfirmed) {
        raise();
        activateWindow();
        show();
        if (!confirmExit()) {
            event->ignore();
            return;
        }
    }
    stopBackgroundWork();
    event->accept();
}

void zentarPixvue::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void zentarPixvue::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        return;
    }
    emit signalUrlsDropped(urls);
    LOG(INFO) << "add file to list finished";
}

void zentarPixvue::openPaths(const QStringList& paths) {
    QStringList found;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            found << path;
            urls << QUrl::fromLocalFile(path);
        } else {
            LOG(WARNING) << "open files: not found " << path;
        }
    }
    if (urls.isEmpty()) {
        return;
    }
    LOG(INFO) << "open files: " << found.join(QStringLiteral(", "));
    emit signalUrlsDropped(urls);
}
