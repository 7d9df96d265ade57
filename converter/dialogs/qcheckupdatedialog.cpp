#include "qcheckupdatedialog.h"

#include "core/qthreadkeeper.h"
#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qimagetextbutton.h"
#include "qmessageboxex.h"
#include "qmultilinelabel.h"
#include "qprogressex.h"
#include "workers/qtaskthread.h"
#include "ztconfig.h"
#include "ztlog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const FontSpec kPageFont(14, 50);
const char kTextColor[] = "#444444";

QAdaptiveLabel* createPageLabel(QWidget* parent, const char* color = kTextColor) {
    auto* label = new QAdaptiveLabel(QColor(color), kPageFont, parent);
    label->setFixedHeight(20);
    return label;
}

const char kNotesStyle[] =
    "QTextEdit { border: 1px solid #CCCCCC;  background : white; color: #444444; }";
const char kNotesScrollStyle[] =
    "QScrollBar:vertical{width:12px;background:rgba(0,0,0,0%);margin:0px,0px,0px,0px;"
    "padding-top:0px;padding-bottom:0px;}"
    "QScrollBar::handle:vertical{width:8px;background:#E2E2E2; border-radius:6px;min-height:20;}"
    "QScrollBar::handle:vertical:hover{width:8px;background:rgba(0,0,0,25%);border-radius:4px;"
    "min-height:20;}"
    "QScrollBar::add-line:vertical{height:9px;width:8px;border-image:url(:/xx.png);"
    "subcontrol-position:bottom;}"
    "QScrollBar::sub-line:vertical{height:9px;width:8px;border-image:url(:/xx.png);"
    "subcontrol-position:top;}";

}  // namespace

// --- pages --------------------------------------------------------------------------------

QBaseUpdateVerPage::QBaseUpdateVerPage(QWidget* parent) : QFrame(parent) {
    setFixedSize(470, 225);
}

QCheckingPage::QCheckingPage(QStackedWidget* stack, QWidget* parent)
    : QBaseUpdateVerPage(parent), m_pStack(stack) {
    setObjectName(QStringLiteral("QCheckingPage"));
    setStyleSheet(QStringLiteral("#QCheckingPage{background:white;}"));
    m_pAnimation = new QLabel(this);
    m_pAnimation->setGeometry(215, 40, 40, 40);
    m_pMovie = new QMovie(QStringLiteral(":/Img/res/gif_checking.gif"), QByteArray(), this);
    m_pMovie->setScaledSize(QSize(40, 40));
    m_pAnimation->setMovie(m_pMovie);
    m_pMovie->start();

    m_pVersion = createPageLabel(this);
    m_pVersion->setText(tr("Version : ") + ZtConfig::NewInstance()->getSoftwareVersion());
    centre(m_pVersion, 100);
    m_pStatus = createPageLabel(this);
    m_pStatus->setText(tr("Checking new version,please wait..."));
    centre(m_pStatus, 130);
    m_pPackage = createPageLabel(this);
    m_pPackage->setText(tr("Pixvue is updated by your system's package manager"));
    centre(m_pPackage, 160);
    m_pPackage->hide();
}

void QCheckingPage::setPackageManaged(bool bManaged) {
    m_pPackage->setVisible(bManaged);
}

void QCheckingPage::slotCheckCompleted(bool bSuc, int nErrorCode) {
    m_bCheckFailed = !bSuc;
    m_nCheckError = nErrorCode;
}

void QCheckingPage::showResult(const QPixmap& icon, const QString& status) {
    m_pMovie->stop();
    m_pAnimation->setMovie(nullptr);
    m_pAnimation->setPixmap(icon);
    m_pStatus->setText(status);
    centre(m_pStatus, 130);
}

bool QCheckingPage::isAnimating() const {
    return m_pAnimation->movie() != nullptr && m_pMovie->state() == QMovie::Running;
}

void QCheckingPage::centre(QAdaptiveLabel* label, int y) {
    label->move((width() - label->width()) / 2, y);
}

void QCheckingPage::slotUpdateInfo(QVariant info) {
    const UpdateInfo record =
        info.canConvert<UpdateInfo>() ? info.value<UpdateInfo>() : UpdateInfo();
    if (record.hasNewVersion) {
        if (auto* dialog = qobject_cast<QCheckUpdateDialog*>(window())) {
            dialog->setUpdateInfo(record);
        } else {
            m_pStack->setCurrentIndex(QCheckUpdateDialog::CheckedPage);
        }
        return;
    }
    if (m_bCheckFailed) {
        showResult(pixvue::messageIcon(pixvue::WarningIcon, QSize(40, 40)),
                   tr("Update check failed: %1 (%2)")
                       .arg(pixvue::serviceErrorText(m_nCheckError))
                       .arg(m_nCheckError));
        return;
    }
    showResult(QPixmap(QStringLiteral(":/Img/res/png_latestversion.png"))
                   .scaled(40, 40, Qt::KeepAspectRatio, Qt::SmoothTransformation),
               tr("It is the latest version, no need to update"));
}

QCheckedPage::QCheckedPage(QUpdatePage* updatePage, QWidget* parent)
    : QBaseUpdateVerPage(parent), m_pUpdatePage(updatePage) {
    m_pVersion = createPageLabel(this);
    m_pVersion->move(35, 15);
    createNotesView();
    m_pBtnUpdate = pixvue::createSubmitButton(tr("Update"), this);
    m_pBtnUpdate->move(435 - 110, 165);
    connect(m_pBtnUpdate, &QImageTextButton::clicked, this, &QCheckedPage::slotBtnUpdateClicked);
    m_pPackage = new QMultiLineLabel(QColor(kTextColor), kPageFont, this);
    m_pPackage->setGeometry(35, 171, 400, 20);
    m_pPackage->setText(tr("Pixvue is updated by your system's package manager"));
    m_pPackage->hide();
}

void QCheckedPage::setPackageManaged(bool bManaged) {
    m_pBtnUpdate->setVisible(!bManaged);
    m_pPackage->setVisible(bManaged);
}

void QCheckedPage::createNotesView() {
    m_pNotes = new QTextEdit(this);
    m_pNotes->setGeometry(35, 45, 400, 100);
    m_pNotes->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pNotes->setUndoRedoEnabled(false);
    QPalette palette = m_pNotes->palette();
    palette.setColor(QPalette::Highlight, QColor("#E95454"));
    m_pNotes->setPalette(palette);
    m_pNotes->setFont(kPageFont.toFont());
    m_pNotes->setStyleSheet(QLatin1String(kNotesStyle));
    m_pNotes->verticalScrollBar()->setStyleSheet(QLatin1String(kNotesScrollStyle));
}

void QCheckedPage::setUpdateInfo(const UpdateInfo& info) {
    m_updateInfo = info;
    m_pVersion->setText(tr("New Version : %1").arg(info.version));
    QStringList notes = info.descriptions;
    if (notes.isEmpty()) {
        notes.append(tr("1 : Optimize some known issues"));
    }
    QString text = tr("Update content :");
    for (const QString& note : notes) {
        text += QStringLiteral("\n\n") + note;
    }
    m_pNotes->setPlainText(text);
}

void QCheckedPage::slotBtnUpdateClicked() {
    m_pUpdatePage->downloadNewVersion(m_updateInfo);
}

// --- download -----------------------------------------------------------------------------

QUpdatePage::QUpdatePage(QStackedWidget* stack, const QUrl& downloadPage, QWidget* parent)
    : QBaseUpdateVerPage(parent), m_pStack(stack), m_downloadPage(downloadPage) {
    m_pDownload = new QInstallerDownload(this);
    connect(m_pDownload, &QInstallerDownload::signalProgress, this,
            &QUpdatePage::slotDownloadProcess);
    connect(m_pDownload, &QInstallerDownload::signalDownloaded, this,
            &QUpdatePage::slotReplyFinished);
    connect(m_pDownload, &QInstallerDownload::signalFailed, this,
            [this](int code) { slotError(QNetworkReply::NetworkError(code)); });
    createWidgets();
}

QUpdatePage::~QUpdatePage() {
    cancelDownload();
}

bool QUpdatePage::isDownloading() const {
    return m_pDownload->isDownloading();
}

QString QUpdatePage::targetPath() const {
    return m_pDownload->targetPath();
}

void QUpdatePage::createWidgets() {
    m_pProgress = new QProgressEx(this, true);
    m_pProgress->setImage(QStringLiteral(":/Img/res/progressbar.png"));
    m_pProgress->setGeometry(49, 40, 352, 10);
    m_pPercent = createPageLabel(this);
    m_pPercent->move(49, 55);
    m_pSize = createPageLabel(this);
    m_pSize->move(221, 55);
    m_pStatus = new QMultiLineLabel(QColor(kTextColor), kPageFont, this);
    m_pStatus->setGeometry(49, 100, 352, 20);
    m_pLink = createPageLabel(this, "#0081FF");
    m_pLink->move(49, 130);
    m_pLink->setCursor(Qt::PointingHandCursor);
    m_pLink->installEventFilter(this);
    m_pLink->hide();
    m_pBtnUpdate = pixvue::createSubmitButton(tr("Update"), this);
    m_pBtnUpdate->move(401 - 110, 165);
    connect(m_pBtnUpdate, &QImageTextButton::clicked, this, &QUpdatePage::slotBtnUpdateClicked);
}

void QUpdatePage::showDownloadStart(const UpdateInfo& info) {
    m_updateInfo = info;
    m_pStack->setCurrentWidget(this);
    m_pProgress->setAnimated(true);
    m_pProgress->setValue(100);
    m_pPercent->setText(QStringLiteral("0%"));
    m_pPercent->move(m_pProgress->geometry().right() + 1 - m_pPercent->width(), 55);
    m_pSize->setText(QStringLiteral("0/0"));
    m_pStatus->setText(tr("Downloading( %1 ),please wait...").arg(m_updateInfo.version));
    m_pBtnUpdate->setEnabled(false);
    m_pLink->setText(tr("Official website download"));
    m_pLink->hide();
}

void QUpdatePage::downloadNewVersion(const UpdateInfo& info) {
    if (m_bPackageManaged) {
        LOG(INFO) << "no download: the package manager updates the program";
        return;
    }
    m_updateInfo = info;
    const QInstallerDownload::Start start = m_pDownload->start(info.version, info.downloadUrl);
    if (start == QInstallerDownload::AlreadyDownloaded) {
        updateVersion();
        return;
    }
    showDownloadStart(info);
    if (start == QInstallerDownload::Refused) {
        showFailure(m_pDownload->refusalCode());
    }
}

void QUpdatePage::slotDownloadProcess(qint64 bytesRead, qint64 totalBytes) {
    const qint64 percent = pixvue::downloadPercent(bytesRead, totalBytes);
    if (percent >= 0) {
        m_pPercent->setText(QStringLiteral("%1%").arg(percent));
        m_pPercent->move(m_pProgress->geometry().right() + 1 - m_pPercent->width(), 55);
    }
    m_pSize->setText(QStringLiteral("%1 / %2").arg(pixvue::readableSize(bytesRead),
                                                   pixvue::readableSize(totalBytes)));
}

void QUpdatePage::showFailure(int errorCode) {
    m_pProgress->setAnimated(false);
    m_pLink->setText(tr("Official website download"));
    m_pLink->show();
    m_pStatus->setText(
        tr("Downlaod( %1 ) Fail! ErrorCode : %2").arg(m_updateInfo.version).arg(errorCode));
    m_pBtnUpdate->setEnabled(false);
}

void QUpdatePage::slotError(QNetworkReply::NetworkError code) {
    showFailure(int(code));
}

void QUpdatePage::slotReplyFinished() {
    updateVersion();
}

void QUpdatePage::cancelDownload() {
    m_pDownload->cancel();
}

// The download has ended (or was there already): the bar full, the outcome in words.
void QUpdatePage::showEnd(const QString& status) {
    m_pStack->setCurrentWidget(this);
    m_pProgress->setAnimated(false);
    m_pProgress->setValue(100);
    m_pPercent->setText(QStringLiteral("100%"));
    m_pPercent->move(m_pProgress->geometry().right() + 1 - m_pPercent->width(), 55);
    const qint64 size = QFileInfo(targetPath()).size();
    m_pSize->setText(QStringLiteral("%1 / %1").arg(pixvue::readableSize(size)));
    m_pStatus->setText(status);
}

void QUpdatePage::updateVersion() {
    if (m_bPackageManaged) {
        LOG(INFO) << "no installer: the package manager updates the program";
        return;
    }
    LOG(INFO) << "installer " << targetPath();
    QString error;
    if (m_pDownload->startInstaller(&error)) {
        emit signalInstallerStarted(targetPath());
        showEnd(tr("The installer of %1 has been started").arg(m_updateInfo.version));
        return;
    }
    showEnd(tr("The installer could not be started: %1").arg(error));
    m_pBtnUpdate->setEnabled(true);
    // Over the window that opened the dialog.
    QWidget* parent = window()->parentWidget();
    QMessageboxEx box(tr("Update fail"), tr("Please manually click the upgrade package to upgrade"),
                      1, 0, parent != nullptr ? parent->window() : window());
    box.setButtonText(tr("OK"), QString());
    if (box.exec() == QDialog::Accepted) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(pixvue::updateDirectory()));
        slotClose();
    }
}

void QUpdatePage::slotBtnUpdateClicked() {
    updateVersion();
}

void QUpdatePage::slotClose() {
    emit signalClose();
    close();
}

bool QUpdatePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pLink) {
        if (event->type() == QEvent::Enter) {
            m_pLink->setTextColor(QColor("#006BED"));
        } else if (event->type() == QEvent::Leave) {
            m_pLink->setTextColor(QColor("#0081FF"));
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            QDesktopServices::openUrl(m_downloadPage);
            return true;
        }
    }
    return QBaseUpdateVerPage::eventFilter(watched, event);
}

// --- dialog -------------------------------------------------------------------------------

QCheckUpdateDialog::QCheckUpdateDialog(bool infoKnown, QThreadKeeper& keeper,
                                       const QUrl& downloadPage, QWidget* parent)
    : CFramelessDialog(parent), m_pKeeper(&keeper) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Check for updates"));
    setDialogSize(470, 270);
    frame.layout->addStretch();

    m_pStack = new QStackedWidget(this);
    m_pStack->setGeometry(kShadowMargin, 75, 470, 225);  // below the rule
    m_pCheckingPage = new QCheckingPage(m_pStack, m_pStack);
    m_pUpdatePage = new QUpdatePage(m_pStack, downloadPage, m_pStack);
    m_pCheckedPage = new QCheckedPage(m_pUpdatePage, m_pStack);
    m_pStack->addWidget(m_pCheckingPage);
    m_pStack->addWidget(m_pCheckedPage);
    m_pStack->addWidget(m_pUpdatePage);
    m_pStack->setCurrentIndex(CheckingPage);
    connect(m_pUpdatePage, &QUpdatePage::signalClose, this, &QDialog::close);
    setPackageManaged(pixvue::isDistributionPackage());
    if (!infoKnown) {
        startCheck();
    }
}

void QCheckUpdateDialog::setPackageManaged(bool bManaged) {
    m_pCheckingPage->setPackageManaged(bManaged);
    m_pCheckedPage->setPackageManaged(bManaged);
    m_pUpdatePage->setPackageManaged(bManaged);
}

QCheckUpdateDialog::~QCheckUpdateDialog() {
    if (!m_pCheckThread.isNull()) {
        m_pCheckThread->stopAndWait();
    }
}

QCheckVersionThread* QCheckUpdateDialog::checkThread() const {
    return m_pCheckThread;
}

void QCheckUpdateDialog::startCheck() {
    m_pCheckThread = new QCheckVersionThread(m_pCheckingPage);
    connect(m_pCheckThread, &QCheckVersionThread::signalCheckCompleted, m_pCheckingPage,
            &QCheckingPage::slotCheckCompleted);
    connect(m_pCheckThread, &QCheckVersionThread::signalUpdateInfo, m_pCheckingPage,
            &QCheckingPage::slotUpdateInfo);
    m_pKeeper->keep(m_pCheckThread);
    m_pCheckThread->start(QThread::InheritPriority);
}

void QCheckUpdateDialog::setUpdateInfo(const UpdateInfo& info) {
    m_pStack->setCurrentIndex(CheckedPage);
    m_pCheckedPage->setUpdateInfo(info);
}

void QCheckUpdateDialog::closeEvent(QCloseEvent* event) {
    m_pUpdatePage->cancelDownload();
    CFramelessDialog::closeEvent(event);
}
