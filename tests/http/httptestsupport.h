#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// One line of the day's log file, split into its fields.
struct LogEntry {
    QString level;     // "INFO", "ERROR"
    QString function;  // "ZtHttpServer::ServerUploadLog"
    QString message;
};

// The program's log file in the temporary data directory; mark() then linesSinceMark()
// give the lines written by one operation.
class LogWatcher {
public:
    void mark();
    QList<LogEntry> linesSinceMark() const;
    // Lines since the mark written by function.
    QList<LogEntry> linesOf(const QString& function) const;
    static QString describe(const QList<LogEntry>& entries);

private:
    QString logFile() const;
    qint64 m_offset = 0;
};

// Process set-up shared by the web-client tests: a temporary XDG_DATA_HOME, logging,
// and the "Cfg/Url.ini" beside the test program.
namespace httptest {

// Call first in main(), before QCoreApplication exists.
void prepareDataHome();
// Call after QCoreApplication exists.
void setUpLogging();
QString dataDirectory();

// Writes Cfg/Url.ini beside the test program and drops the settings instance, so that the
// next ZtHttpServer reads the new addresses.
void useAddresses(const QString& serverUrl, const QString& publicIpUrl = QString());
void setLanguage(int language);
void writeVersionIni(const QString& version);

// A base URL on which nothing listens.
QString unreachableUrl();

}  // namespace httptest

#define PIXVUE_HTTP_TEST_MAIN(TestClass)        \
    int main(int argc, char* argv[]) {          \
        httptest::prepareDataHome();            \
        QCoreApplication app(argc, argv);       \
        httptest::setUpLogging();               \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
