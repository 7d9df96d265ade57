#pragma once

// The download of a new version's installer into the data directory's "Update" folder, and its
// start. The data goes to the installer's path + ".tmp" and takes the installer's name only
// when it is complete.

#include <QObject>
#include <QPointer>
#include <QString>

class QInstallerDownloadThread;
class QUrl;

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

class QInstallerDownload : public QObject {
    Q_OBJECT

public:
    enum Start { Started, AlreadyDownloaded, Refused };
    // Error codes of a refusal before any request (network error codes).
    static const int kRefusedVersionCode;
    static const int kRefusedAddressCode;

    explicit QInstallerDownload(QObject* parent = nullptr);
    ~QInstallerDownload() override;

    // Starts fetching the installer of version from address. AlreadyDownloaded: the installer
    // is there, nothing is fetched. Refused: see refusalCode(); nothing was requested.
    Start start(const QString& version, const QString& address);
    // Aborts a download under way and removes its partial file.
    void cancel();
    // Starts the installer detached, with its path as argument; on failure says why in error.
    bool startInstaller(QString* error);

    bool isDownloading() const { return !m_pThread.isNull(); }
    int refusalCode() const { return m_nRefusalCode; }
    // The installer's path; empty after a refused version.
    QString targetPath() const { return m_strTarget; }

signals:
    // Bytes received and the announced total (-1 when unknown), after every block.
    void signalProgress(qint64 bytesRead, qint64 totalBytes);
    // The installer is complete under targetPath().
    void signalDownloaded(const QString& path);
    // The download failed with a network error code (or UnknownContentError when the file
    // could not be written); a partial file stays as targetPath() + ".tmp".
    void signalFailed(int errorCode);

private:
    Start refuse(int code);
    bool createTemporaryFile();
    void finishRun(bool success, int errorCode);
    bool finishFile();

    QPointer<QInstallerDownloadThread> m_pThread;
    QString m_strTarget;
    int m_nRefusalCode = 0;
    quint64 m_nRun = 0;  // counts starts, ends and cancels
};
