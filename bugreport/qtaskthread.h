#pragma once

#include "ztrequestthread.h"

#include <QString>

// Uploads one bug report (mail, description, dump file name) to the web service and reports
// the result by a queued signal.
class QTaskThread : public ZtRequestThread {
    Q_OBJECT

public:
    explicit QTaskThread(QObject* parent = nullptr);

    // Before start().
    void setBugReport(const QString& mail, const QString& description, const QString& dumpFileName);

signals:
    void signalUplaodCompleted(bool success, int errorCode);

protected:
    RetValue request(ZtHttpServer& server) override;
    void report(bool success, int errorCode) override;

private:
    QString m_strMail;
    QString m_strDescription;
    QString m_strDumpFileName;
};
