#pragma once

#include "zthttpserver_global.h"
#include "ztjsonparse.h"
#include "ztserverdefine.h"

#include <QList>
#include <QString>

class QIODevice;

// The client of the maker's web service. Every operation blocks the calling thread until
// the reply arrived or the request failed, returns RetSuccess or RetFail, and on failure
// leaves the cause in getLastError(), which no later success resets.
class ZTHTTPSERVER_EXPORT ZtHttpServer {
public:
    ZtHttpServer();
    ~ZtHttpServer();
    // Copies, also from temporaries, keep both the last error and the base URL.
    ZtHttpServer(const ZtHttpServer&) = default;
    ZtHttpServer& operator=(const ZtHttpServer&) = default;

    qint32 getLastError() const;

    RetValue ServerCheckSoftwareVersion(QString version, UpdateInfo& info);
    RetValue ServerGetFirmwareInfo(QString product, QList<FirmwareInfo>& list);

    RetValue ServerUploadBugReport(QString mail, QString problem, QString bugReportName);
    RetValue ServerUploadFeedback(QString mail, QString problem, QString logName);
    RetValue ServerUploadLog(QString logs);
    RetValue ServerUploadData(QString mail, QString devModel, ZtJsonParse info, bool success);
    RetValue ServerUserOperation(QString softType, QString operateType);
    // Streams the file at url (a full address, not under the service) into target.
    RetValue ServerDownloadFile(const QString& url, QIODevice& target,
                                const ZtDownloadHooks& hooks);

    // Transfer time-out of every later request, in milliseconds without progress;
    // msecs <= 0 restores the default (PIXVUE_HTTP_TIMEOUT_MS, else 30 s).
    static void setTransferTimeout(int msecs);
    static int transferTimeout();

private:
    void setLastError(qint32 code);
    // Leaves lastError (unless 0) as the last error and hands result back.
    RetValue settle(RetValue result, qint32 lastError);
    QString getInternetIP();

    qint32 m_nLastError = 0;
    QString m_strBaseUrl;
};
