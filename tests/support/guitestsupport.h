#pragma once

// What every test of the converter's windows needs: temporary XDG folders, answers for modal
// dialogs, the real samples and patient waiting.

#include "cframelessdialog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <functional>

class QWidget;

namespace guitest {

// Points XDG_DATA_HOME, XDG_CONFIG_HOME and the desktop folder at a fresh temporary folder,
// so that settings, logs and default output land there. Call before QApplication exists
// (PIXVUE_GUI_TEST_MAIN does).
void prepareUserFolders();
QString userRoot();
QString dataDirectory();  // the program's data directory under the temporary data home
QString desktopDirectory();

// Sets up logging into the temporary data directory. Call after QApplication exists.
void setUpLogging();

// Drops the settings instance and its file, so that the next one starts from the defaults.
void resetSettings();

// The real camera samples (PIXVUE_TESTDATA); empty when the folder is absent.
QString testDataDir();
bool hasTestData();
QString sample(const QString& relativePath);

// Answers the modal dialogs made under the owners it is handed, in order, without showing them.
// Each answer may click the dialog's buttons and returns exec()'s result. A dialog that
// finds no answer left is rejected and counted as unexpected.
class DialogAnswers {
public:
    using Answer = std::function<int(CFramelessDialog&)>;

    DialogAnswers() = default;
    ~DialogAnswers();
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    // Answers the dialogs made under owner (a window, a page, or a dialog itself).
    void answerFor(QWidget& owner);

    void answer(Answer answer);
    void accept();  // QDialog::Accepted without a click
    void reject();  // QDialog::Rejected without a click

    int asked() const { return m_nAsked; }
    int unexpected() const { return m_nUnexpected; }
    int pending() const { return m_answers.size(); }
    // Class names of the dialogs asked, in order.
    QStringList askedClasses() const { return m_askedClasses; }

private:
    int respond(CFramelessDialog& dialog);

    QList<Answer> m_answers;
    QList<QPointer<QWidget>> m_owners;
    QStringList m_askedClasses;
    int m_nAsked = 0;
    int m_nUnexpected = 0;
};

// Drags the URLs over the widget and drops them there, as a file manager does.
void dropUrls(QWidget& widget, const QList<QUrl>& urls);

// Takes the URLs the code under test opens (QDesktopServices::setUrlHandler(scheme, &catcher,
// "open")) instead of starting a browser or file manager.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// Waits for condition with event processing; the time-out is generous, never a measure.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 60000);

}  // namespace guitest

#define PIXVUE_GUI_TEST_MAIN(TestClass)         \
    int main(int argc, char* argv[]) {          \
        guitest::prepareUserFolders();          \
        QApplication app(argc, argv);           \
        guitest::setUpLogging();                \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
