#pragma once

// The converter's threads that talk to the web service: the version check and the feedback
// upload. Each reports by a queued signal; quit() aborts a request under way.

#include "ztrequestthread.h"
#include "ztserverdefine.h"

#include <QString>
#include <QVariant>

class QCheckVersionThread : public ZtRequestThread {
    Q_OBJECT

public:
    // Takes the installed version from the settings store (on the creating thread).
    explicit QCheckVersionThread(QObject* parent = nullptr);

signals:
    // An UpdateInfo in every case; after a failure its hasNewVersion is false.
    void signalUpdateInfo(QVariant info);
    // Just before signalUpdateInfo: whether the service answered, and the client's last error.
    void signalCheckCompleted(bool bSuc, int nErrorCode);

protected:
    RetValue request(ZtHttpServer& server) override;
    void report(bool success, int errorCode) override;

private:
    QString m_strCurrentVersion;
    UpdateInfo m_updateInfo;
};

class QFeedbackThread : public ZtRequestThread {
    Q_OBJECT

public:
    explicit QFeedbackThread(QObject* parent = nullptr);

    // Before start(). logFileName is a name in the data directory's "Trace" folder.
    void setFeedback(const QString& mail, const QString& content, const QString& logFileName);

signals:
    void signalFeedbackCompleted(bool bSuc, int nErrorCode);

protected:
    RetValue request(ZtHttpServer& server) override;
    void report(bool success, int errorCode) override;

private:
    QString m_strMail;
    QString m_strContent;
    QString m_strLogFileName;
};
