#include "qcheckupdatedialog.h"

#include "core/qthreadkeeper.h"
#include "dialogs/dialogframe.h"
#include "mainwindow/zentarpixvue.h"
#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qmessageboxex.h"
#include "qmultilinelabel.h"
#include "qprogressex.h"
#include "workers/qtaskthread.h"
#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztlog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace pixvue {

namespace {

const qint64 kKiB = 1024;
const qint64 kMiB = kKiB * 1024;
const qint64 kGiB = kMiB * 1024;

QString withTwoDecimals(qint64 bytes, qint64 unit, const char* suffix) {
    return QString::number(double(bytes) / double(unit), 'f', 2) + QLatin1String(suffix);
}

}  // namespace

QString readableSize(qint64 bytes) {
    if (bytes <= kKiB) {
        return QString::number(bytes) + QLatin1String(" B");
    }
    if (bytes < kMiB) {
        return withTwoDecimals(bytes, kKiB, " KB");
    }
    if (bytes < kGiB) {
        return withTwoDecimals(bytes, kMiB, " MB");
    }
    return withTwoDecimals(bytes, kGiB, " GB");
}

qint64 downloadPercent(qint64 bytesRead, qint64 totalBytes) {
    if (totalBytes < 0) {
        return -1;
    }
    return bytesRead * 100 / (totalBytes + 1);
}

bool isSafeVersionText(const QString& version) {
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9._-]+$"));
    return version != QLatin1String(".") && version != QLatin1String("..") &&
           allowed.match(version).hasMatch();
}

bool isTrustedDownloadUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return !url.host().isEmpty();
    }
    if (scheme != QLatin1String("http")) {
        return false;
    }
    const QString host = url.host().toLower();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

QString updateDirectory() {
    return ztlog::dataDirectory() + QStringLiteral("Update");
}

QString installerPath(const QString& version) {
    return updateDirectory() + QStringLiteral("/Update_Pixvue_V") + version +
           QStringLiteral(".run");
}

bool isDistributionPackage() {
#ifdef PIXVUE_DISTRIBUTION_PACKAGE
    return true;
#else
    return false;
#endif
}

}  // namespace pixvue

namespace {

// Refusals of a download before any request, shown as its error code.
const int kRefusedVersionCode = QNetworkReply::ProtocolInvalidOperationError;
const int kRefusedAddressCode = QNetworkReply::ProtocolUnknownError;

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

QUpdatePage::QUpdatePage(QStackedWidget* stack, QWidget* parent)
    : QBaseUpdateVerPage(parent), m_pStack(stack) {
    m_pManager = new QNetworkAccessManager(this);
    createWidgets();
}

QUpdatePage::~QUpdatePage() {
    cancelDownload();
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
    cancelDownload();
    m_updateInfo = info;
    if (!pixvue::isSafeVersionText(info.version)) {
        LOG(ERROR) << "refused version text [" << info.version
                   << "]: only letters, digits, '.', '_' and '-' may name the installer";
        m_strTarget.clear();
        showDownloadStart(info);
        showFailure(kRefusedVersionCode);
        return;
    }
    const QString dir = pixvue::updateDirectory();
    if (!QDir().exists(dir) && !QDir().mkdir(dir)) {
        LOG(ERROR) << "cannot create the folder " << dir;
    }
    m_strTarget = pixvue::installerPath(info.version);
    if (QFile::exists(m_strTarget)) {
        LOG(INFO) << "the new version [" << info.version << "] file has been downloaded";
        updateVersion();
        return;
    }
    showDownloadStart(info);
    const QUrl url = QUrl::fromUserInput(info.downloadUrl);
    if (refuseUnsafeDownload(url)) {
        return;
    }
    m_pFile = new QFile(m_strTarget + QStringLiteral(".tmp"), this);
    if (!m_pFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        LOG(ERROR) << "open file fail :" << m_pFile->fileName();
        const int fileError = int(m_pFile->error());
        delete m_pFile;
        m_pFile = nullptr;
        showFailure(fileError);
        return;
    }
    m_nReceived = 0;
    QNetworkRequest request(url);
    // Every redirect is checked like the address itself.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    m_pReply = m_pManager->get(request);
    connect(m_pReply, &QNetworkReply::redirected, this, &QUpdatePage::checkRedirect);
    connect(m_pReply, &QNetworkReply::finished, this, &QUpdatePage::slotReplyFinished);
    connect(m_pReply, &QNetworkReply::readyRead, this, &QUpdatePage::slotReadyRead);
    connect(m_pReply, &QNetworkReply::downloadProgress, this, &QUpdatePage::slotDownloadProcess);
    connect(m_pReply, &QNetworkReply::errorOccurred, this, &QUpdatePage::slotError);
}

bool QUpdatePage::refuseUnsafeDownload(const QUrl& url) {
    if (!url.isValid()) {
        LOG(ERROR) << QStringLiteral("InValid URL:%1,error info:%2")
                          .arg(m_updateInfo.downloadUrl, url.errorString());
        showFailure(kRefusedAddressCode);
        return true;
    }
    if (!pixvue::isTrustedDownloadUrl(url)) {
        LOG(ERROR) << "refused download address " << url.toString()
                   << ": an installer is fetched over https only";
        showFailure(kRefusedAddressCode);
        return true;
    }
    return false;
}

void QUpdatePage::checkRedirect(const QUrl& url) {
    if (m_pReply.isNull()) {
        return;
    }
    if (pixvue::isTrustedDownloadUrl(url)) {
        emit m_pReply->redirectAllowed();
        return;
    }
    LOG(ERROR) << "refused redirect of the download to " << url.toString()
               << ": an installer is fetched over https only";
    m_pReply->abort();
}

void QUpdatePage::slotReadyRead() {
    if (m_pFile == nullptr || m_pReply.isNull()) {
        return;
    }
    const QByteArray data = m_pReply->readAll();
    if (data.isEmpty()) {
        return;
    }
    m_pFile->write(data);
    m_nReceived += data.size();
    // Qt reports progress at most every 100 ms; the sizes follow every block that arrives.
    const QVariant length = m_pReply->header(QNetworkRequest::ContentLengthHeader);
    slotDownloadProcess(m_nReceived, length.isValid() ? length.toLongLong() : -1);
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
    const QString description = m_pReply.isNull() ? QString() : m_pReply->errorString();
    LOG(ERROR) << QStringLiteral("DownLoading error,ErrorCode is [%1],ErrorDes is [%2]")
                      .arg(int(code))
                      .arg(description);
    showFailure(int(code));
}

void QUpdatePage::dropReply() {
    if (!m_pReply.isNull()) {
        m_pReply->disconnect(this);
        m_pReply->deleteLater();
    }
    m_pReply = nullptr;
}

void QUpdatePage::slotReplyFinished() {
    if (m_pReply.isNull()) {
        return;
    }
    const int status = m_pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QNetworkReply::NetworkError error = m_pReply->error();
    if (error == QNetworkReply::NoError && (status < 200 || status > 299)) {
        error = QNetworkReply::ProtocolFailure;  // no installer in an answer without content
    }
    LOG(INFO) << "download status code " << status;
    if (error != QNetworkReply::NoError) {
        LOG(ERROR) << "Download fail";
        delete m_pFile;  // closes it; the partial .tmp file stays until the next attempt
        m_pFile = nullptr;
        dropReply();
        showFailure(int(error));
        return;
    }
    slotReadyRead();
    LOG(INFO) << "Download Success " << m_pFile->fileName();
    dropReply();
    if (finishFile()) {
        updateVersion();
    }
}

// Closes the complete .tmp file and gives it the installer's name.
bool QUpdatePage::finishFile() {
    const QString temporary = m_pFile->fileName();
    const bool written = m_pFile->flush() && m_pFile->error() == QFileDevice::NoError;
    m_pFile->close();
    delete m_pFile;
    m_pFile = nullptr;
    QFile::remove(m_strTarget);
    if (!written || !QFile::rename(temporary, m_strTarget)) {
        LOG(ERROR) << "cannot complete the installer " << m_strTarget;
        showFailure(QNetworkReply::UnknownContentError);
        return false;
    }
    return true;
}

void QUpdatePage::cancelDownload() {
    if (m_pReply.isNull()) {
        return;
    }
    LOG(INFO) << "download of " << m_strTarget << " cancelled";
    QNetworkReply* reply = m_pReply;
    reply->disconnect(this);
    m_pReply = nullptr;
    reply->abort();
    reply->deleteLater();
    if (m_pFile != nullptr) {
        m_pFile->close();
        m_pFile->remove();
        delete m_pFile;
        m_pFile = nullptr;
    }
}

bool QUpdatePage::startInstaller(QString* error) {
    // The owner may run it; the group and others keep what they had.
    QFile::setPermissions(m_strTarget, QFile::permissions(m_strTarget) | QFile::ExeOwner |
                                           QFile::ReadOwner | QFile::WriteOwner);
    QProcess installer;
    installer.setProgram(m_strTarget);
    installer.setArguments(QStringList(m_strTarget));
    if (!installer.startDetached()) {
        *error = installer.errorString();
        LOG(ERROR) << "cannot start the installer " << m_strTarget << ": " << *error;
        return false;
    }
    emit signalInstallerStarted(m_strTarget);
    return true;
}

// The download has ended (or was there already): the bar full, the outcome in words.
void QUpdatePage::showEnd(const QString& status) {
    m_pStack->setCurrentWidget(this);
    m_pProgress->setAnimated(false);
    m_pProgress->setValue(100);
    m_pPercent->setText(QStringLiteral("100%"));
    m_pPercent->move(m_pProgress->geometry().right() + 1 - m_pPercent->width(), 55);
    const qint64 size = QFileInfo(m_strTarget).size();
    m_pSize->setText(QStringLiteral("%1 / %1").arg(pixvue::readableSize(size)));
    m_pStatus->setText(status);
}

void QUpdatePage::updateVersion() {
    if (m_bPackageManaged) {
        LOG(INFO) << "no installer: the package manager updates the program";
        return;
    }
    LOG(INFO) << "installer " << m_strTarget;
    QString error;
    if (startInstaller(&error)) {
        showEnd(tr("The installer of %1 has been started").arg(m_updateInfo.version));
        return;
    }
    showEnd(tr("The installer could not be started: %1").arg(error));
    m_pBtnUpdate->setEnabled(true);
    QWidget* parent = zentarPixvue::mainWindow();
    QMessageboxEx box(tr("Update fail"), tr("Please manually click the upgrade package to upgrade"),
                      1, 0, parent != nullptr ? parent : window());
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
            QDesktopServices::openUrl(zentarPixvue::webPage(kDownloadPagePath));
            return true;
        }
    }
    return QBaseUpdateVerPage::eventFilter(watched, event);
}

// --- dialog -------------------------------------------------------------------------------

QCheckUpdateDialog::QCheckUpdateDialog(bool infoKnown, QWidget* parent) : CFramelessDialog(parent) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("Check for updates"));
    setDialogSize(470, 270);
    frame.layout->addStretch();

    m_pStack = new QStackedWidget(this);
    m_pStack->setGeometry(kShadowMargin, 75, 470, 225);  // below the rule
    m_pCheckingPage = new QCheckingPage(m_pStack, m_pStack);
    m_pUpdatePage = new QUpdatePage(m_pStack, m_pStack);
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
    stopServiceThread(m_pCheckThread);
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
    connect(m_pCheckThread, &QThread::finished, m_pCheckThread, &QObject::deleteLater);
    if (zentarPixvue* window = zentarPixvue::mainWindow()) {
        window->threadKeeper()->adopt(m_pCheckThread);
    }
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
