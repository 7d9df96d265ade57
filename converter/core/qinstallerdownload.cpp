#include "core/qinstallerdownload.h"

#include "ztdatadir.h"
#include "ztlog.h"
#include "ztrequestthread.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

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

}  // namespace pixvue

// Streams one installer into its ".tmp" file on a thread of its own.
class QInstallerDownloadThread : public ZtRequestThread {
    Q_OBJECT

public:
    QInstallerDownloadThread(const QUrl& url, const QString& file, QObject* parent)
        : ZtRequestThread(parent), m_url(url), m_strFile(file) {}

signals:
    void signalProgress(qint64 bytesRead, qint64 totalBytes);
    void signalCompleted(bool success, int errorCode);

protected:
    RetValue request(ZtHttpServer& server) override {
        QFile file(m_strFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            LOG(ERROR) << "open file fail :" << m_strFile;
            m_nFileError = QNetworkReply::UnknownContentError;
            return RetFail;
        }
        ZtDownloadHooks hooks;
        hooks.progress = [this](qint64 received, qint64 total) {
            emit signalProgress(received, total);
        };
        hooks.allowRedirect = [](const QUrl& address) {
            if (pixvue::isTrustedDownloadUrl(address)) {
                return true;
            }
            LOG(ERROR) << "refused redirect of the download to " << address.toString()
                       << ": an installer is fetched over https only";
            return false;
        };
        const RetValue result = server.ServerDownloadFile(m_url.toString(), file, hooks);
        if (result == RetSuccess && !file.flush()) {
            LOG(ERROR) << "cannot write the download: " << file.errorString();
            m_nFileError = QNetworkReply::UnknownContentError;
            return RetFail;
        }
        return result;
    }

    void report(bool success, int errorCode) override {
        emit signalCompleted(success, m_nFileError != 0 ? m_nFileError : errorCode);
    }

private:
    const QUrl m_url;
    const QString m_strFile;
    int m_nFileError = 0;
};

const int QInstallerDownload::kRefusedVersionCode = QNetworkReply::ProtocolInvalidOperationError;
const int QInstallerDownload::kRefusedAddressCode = QNetworkReply::ProtocolUnknownError;

QInstallerDownload::QInstallerDownload(QObject* parent) : QObject(parent) {}

QInstallerDownload::~QInstallerDownload() {
    cancel();
}

QInstallerDownload::Start QInstallerDownload::start(const QString& version,
                                                    const QString& address) {
    cancel();
    if (pixvue::isDistributionPackage()) {
        LOG(INFO) << "no download: the package manager updates the program";
        m_strTarget.clear();
        return refuse(kRefusedVersionCode);
    }
    if (!pixvue::isSafeVersionText(version)) {
        LOG(ERROR) << "refused version text [" << version
                   << "]: only letters, digits, '.', '_' and '-' may name the installer";
        m_strTarget.clear();
        return refuse(kRefusedVersionCode);
    }
    const QString dir = pixvue::updateDirectory();
    if (!QDir().exists(dir) && !QDir().mkdir(dir)) {
        LOG(ERROR) << "cannot create the folder " << dir;
    }
    m_strTarget = pixvue::installerPath(version);
    if (QFile::exists(m_strTarget)) {
        LOG(INFO) << "the new version [" << version << "] file has been downloaded";
        return AlreadyDownloaded;
    }
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid()) {
        LOG(ERROR)
            << QStringLiteral("InValid URL:%1,error info:%2").arg(address, url.errorString());
        return refuse(kRefusedAddressCode);
    }
    if (!pixvue::isTrustedDownloadUrl(url)) {
        LOG(ERROR) << "refused download address " << url.toString()
                   << ": an installer is fetched over https only";
        return refuse(kRefusedAddressCode);
    }
    if (!createTemporaryFile()) {
        return Refused;
    }
    m_pThread = new QInstallerDownloadThread(url, m_strTarget + QStringLiteral(".tmp"), this);
    // The words of a thread that was cancelled meanwhile are queued but stale.
    const quint64 run = ++m_nRun;
    connect(m_pThread, &QInstallerDownloadThread::signalProgress, this,
            [this, run](qint64 bytesRead, qint64 totalBytes) {
                if (run == m_nRun) {
                    emit signalProgress(bytesRead, totalBytes);
                }
            });
    connect(m_pThread, &QInstallerDownloadThread::signalCompleted, this,
            [this, run](bool success, int errorCode) {
                if (run == m_nRun) {
                    finishRun(success, errorCode);
                }
            });
    m_pThread->start(QThread::InheritPriority);
    return Started;
}

QInstallerDownload::Start QInstallerDownload::refuse(int code) {
    m_nRefusalCode = code;
    return Refused;
}

// Fails here, before any request, when the folder takes no file.
bool QInstallerDownload::createTemporaryFile() {
    QFile file(m_strTarget + QStringLiteral(".tmp"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return true;
    }
    LOG(ERROR) << "open file fail :" << file.fileName();
    m_nRefusalCode = int(file.error());
    return false;
}

void QInstallerDownload::finishRun(bool success, int errorCode) {
    ++m_nRun;
    m_pThread->stopAndWait();
    m_pThread->deleteLater();
    m_pThread = nullptr;
    if (!success) {
        LOG(ERROR) << "Download fail";
        emit signalFailed(errorCode);
        return;
    }
    LOG(INFO) << "Download Success " << m_strTarget << ".tmp";
    if (!finishFile()) {
        emit signalFailed(QNetworkReply::UnknownContentError);
        return;
    }
    emit signalDownloaded(m_strTarget);
}

// Gives the complete .tmp file the installer's name.
bool QInstallerDownload::finishFile() {
    const QString temporary = m_strTarget + QStringLiteral(".tmp");
    QFile::remove(m_strTarget);
    if (!QFile::rename(temporary, m_strTarget)) {
        LOG(ERROR) << "cannot complete the installer " << m_strTarget;
        return false;
    }
    return true;
}

void QInstallerDownload::cancel() {
    if (m_pThread.isNull()) {
        return;
    }
    LOG(INFO) << "download of " << m_strTarget << " cancelled";
    ++m_nRun;
    QInstallerDownloadThread* thread = m_pThread;
    m_pThread = nullptr;
    thread->stopAndWait();
    delete thread;
    QFile::remove(m_strTarget + QStringLiteral(".tmp"));
}

bool QInstallerDownload::startInstaller(QString* error) {
    if (pixvue::isDistributionPackage()) {
        *error = QStringLiteral("the package manager updates the program");
        LOG(INFO) << "no installer: the package manager updates the program";
        return false;
    }
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
    return true;
}

#include "qinstallerdownload.moc"
