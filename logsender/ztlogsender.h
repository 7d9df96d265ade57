#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

// Follows today's log file of the data directory and uploads the lines added since the last
// upload once a minute, while the user allows log uploads (the home folder reads "~"). How far it
// got is kept in "logTmp.ini" ("Info/Path", "Info/Line").
class ZtLogSender : public QThread {
    Q_OBJECT

public:
    explicit ZtLogSender(QObject* parent = nullptr);

    // Ends the loop of run(): the sender wakes at once, uploads once more and finishes.
    void setExit(bool exit);

    qint64 readLinesFromFile() const;
    QString getCurrentLogPath() const;

    // QThread::wait() and then an acquire of the thread's last store, so that everything the
    // thread did is ordered before the caller's next steps also where Qt's own locks are not
    // seen (ThreadSanitizer).
    void waitUntilRunEnded();

protected:
    void run() override;

private:
    bool isUploadAllowed() const;
    void sendData();
    bool sendLogData();
    void saveLogPathToFile(const QString& path);
    void saveLinesToFile(qint64 count);
    bool ensureProgressFile() const;
    QString userField() const;
    void sleepUntilNextUpload();

    QString m_strLogPath;
    QString m_strTodayPath;
    QString m_strProgressPath;
    std::atomic<bool> m_bExit{false};
    std::atomic<bool> m_bRunEnded{false};
    std::mutex m_sleepMutex;
    std::condition_variable m_wakeUp;
};
