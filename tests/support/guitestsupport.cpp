#include "guitestsupport.h"

#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>

namespace guitest {

namespace {

QTemporaryDir& userFolder() {
    static QTemporaryDir folder;  // removed when the program ends
    return folder;
}

void writeUserDirs(const QString& configHome, const QString& desktop) {
    QDir().mkpath(configHome);
    QFile file(configHome + "/user-dirs.dirs");
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("XDG_DESKTOP_DIR=\"" + desktop.toUtf8() + "\"\n");
    }
}

}  // namespace

void prepareUserFolders() {
    const QString root = userFolder().path();
    qputenv("XDG_DATA_HOME", QString(root + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", QString(root + "/config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", QString(root + "/runtime").toUtf8());
    QDir().mkpath(root + "/runtime");
    QFile::setPermissions(root + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(root + "/data");
    QDir().mkpath(root + "/Desktop");
    writeUserDirs(root + "/config", root + "/Desktop");
}

QString userRoot() {
    return userFolder().path();
}

QString dataDirectory() {
    return ztlog::dataDirectory();
}

QString desktopDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

void setUpLogging() {
    ztlog::ensureDataDirectory();
    ztlog::setUpLogging();
}

void resetSettings() {
    ZtConfig::ReleaseConfigInstance();
    QFile::remove(ztlog::dataDirectory() + "Configures.ini");
}

QString testDataDir() {
    const QString dir = qEnvironmentVariable("PIXVUE_TESTDATA");
    return QFileInfo(dir).isDir() ? dir : QString();
}

bool hasTestData() {
    return !testDataDir().isEmpty();
}

QString sample(const QString& relativePath) {
    return testDataDir() + "/" + relativePath;
}

DialogAnswers::~DialogAnswers() {
    for (const QPointer<QWidget>& owner : m_owners) {
        if (owner) {
            CFramelessDialog::setExecAnswerer(*owner, {});
        }
    }
}

void DialogAnswers::answerFor(QWidget& owner) {
    CFramelessDialog::setExecAnswerer(owner,
                                      [this](CFramelessDialog& dialog) { return respond(dialog); });
    m_owners.append(&owner);
}

void DialogAnswers::answer(Answer answer) {
    m_answers.append(std::move(answer));
}

void DialogAnswers::accept() {
    answer([](CFramelessDialog&) { return int(QDialog::Accepted); });
}

void DialogAnswers::reject() {
    answer([](CFramelessDialog&) { return int(QDialog::Rejected); });
}

int DialogAnswers::respond(CFramelessDialog& dialog) {
    ++m_nAsked;
    m_askedClasses.append(QString::fromLatin1(dialog.metaObject()->className()));
    if (m_answers.isEmpty()) {
        ++m_nUnexpected;
        return QDialog::Rejected;
    }
    const Answer next = m_answers.takeFirst();
    return next(dialog);
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

void dropUrls(QWidget& widget, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &enter);
    QDropEvent dropped(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &dropped);
}

}  // namespace guitest
