#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <functional>

class QUrl;

// Result of every server-client operation; on anything but RetSuccess read getLastError().
enum RetValue : qint32 { RetFail = 0, RetSuccess = 1 };

// Last-error codes set by the operations besides Qt's network error codes.
enum ServerErrorCode : qint32 {
    ServerErrorEmptyReply = 502,
    ServerErrorUnexpectedState = 503,
    ServerErrorBadJson = 506,
    ServerErrorProductNotFound = 512
};

// What the version check learnt about the newest release.
struct UpdateInfo {
    bool hasNewVersion = false;
    QString version;
    QString downloadUrl;
    QStringList descriptions;
};

// One published package of the firmware list.
struct FirmwareInfo {
    QString product;
    QString filename;
    QString uploadDate;
    QString md5sum;
    QString url;
};

// What a streamed download reports while it runs, on the downloading thread.
struct ZtDownloadHooks {
    // Bytes written so far and the announced total (-1 when unknown), after every block.
    std::function<void(qint64 received, qint64 total)> progress;
    // Whether a redirect to this address may be followed; without it none is.
    std::function<bool(const QUrl& address)> allowRedirect;
};

Q_DECLARE_METATYPE(UpdateInfo)
