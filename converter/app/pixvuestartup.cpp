#include "pixvuestartup.h"

#include "app/consolerequests.h"
#include "app/pixvueopenfiles.h"
#include "app/pixvuepaths.h"
#include "app/qonlineservices.h"
#include "app/qsingleinstance.h"
#include "core/qthreadkeeper.h"
#include "kitfont.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qoperatepage.h"
#include "pixvueresources.h"
#include "workers/qtaskthread.h"
#include "ztdatadir.h"
#include "ztexitsignals.h"
#include "ztheicapi.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QProcess>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace pixvue {

namespace {

void setApplicationIcon() {
    QIcon icon;
    // Desktops ask for 128 px at most and scale that for larger views.
    for (int size : {16, 24, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/Img/res/appicon/pixvue_%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);
}

void quitAfterStartWhenAsked() {
    bool isNumber = false;
    const int code = qEnvironmentVariable(kQuitAfterStartVariable).toInt(&isNumber);
    if (isNumber) {
        QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
    }
}

// The new start lists the same files again.
void restartProgram(QSingleInstance& instance, const QStringList& listedPaths) {
    instance.release();
    qunsetenv(kQuitAfterStartVariable);
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments =
        restartArguments(QCoreApplication::arguments().mid(1), listedPaths);
    if (!listedPaths.isEmpty() && !arguments.contains(QStringLiteral("--"))) {
        LOG(WARNING) << "the list of " << listedPaths.size() << " files is too long to hand over";
    }
    if (!QProcess::startDetached(program, arguments, QDir::currentPath())) {
        LOG(ERROR) << "restart of " << program << " failed";
    }
}

}  // namespace

QString prepareDataDirectory() {
    return ztlog::ensureDataDirectory();
}

void applyApplicationLook() {
    initResources();
    KitTheme::setCurrent(kitTheme());
    kitfont::applyDesignFont();
    setApplicationIcon();
}

bool loadTranslation(QTranslator& translator, Language language) {
    if (language != Chinese) {
        return translator.load(QString::fromLatin1(kEnglishTranslationFile));
    }
    LOG(INFO) << "language is chinese";
    return translator.load(QString::fromLatin1(kTranslationFile), QString(), QString(), QString());
}

void startVersionCheck(zentarPixvue* window) {
    auto* check = new QCheckVersionThread(window);
    QObject::connect(check, &QCheckVersionThread::signalUpdateInfo, window,
                     &zentarPixvue::slotUpdateInfo);
    window->threadKeeper()->keep(check);
    check->start(QThread::InheritPriority);
}

namespace {

// The files of this start go to the running instance after the request to show itself.
void handOverPaths(const QSingleInstance& instance, const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    if (instance.sendMessage(openFilesMessage(paths), kMessageTimeoutMs)) {
        LOG(INFO) << "open files handed to the running instance: " << paths.join(", ");
    } else {
        LOG(ERROR) << "the running instance did not take the files " << paths.join(", ");
    }
}

int askRunningInstanceToShow(const QSingleInstance& instance, const QStringList& paths) {
    instance.sendMessage(QString::fromLatin1(kRaiseMessage), kMessageTimeoutMs);
    LOG(INFO) << "KESTRO is running";
    handOverPaths(instance, paths);
    return 0;
}

void handleLaterStartMessage(zentarPixvue* window, const QString& message) {
    QStringList paths;
    if (parseOpenFilesMessage(message, &paths)) {
        window->openPaths(paths);
        return;
    }
    LOG(INFO) << "message from a later start: " << message;
}

std::unique_ptr<zentarPixvue> createMainWindow(QSingleInstance& instance) {
    auto window = std::make_unique<zentarPixvue>();
    instance.setActivationWindow(window.get(), true);
    zentarPixvue* target = window.get();
    QObject::connect(
        &instance, &QSingleInstance::messageReceived, target,
        [target](const QString& message) { handleLaterStartMessage(target, message); });
    return window;
}

// The session's end (SIGTERM, SIGHUP) ends the loop as a confirmed exit would.
void endOnExitSignals(ZtExitSignals& exitSignals) {
    QObject::connect(&exitSignals, &ZtExitSignals::signalExitRequested, qApp, [] {
        LOG(INFO) << "the system asked the program to end";
        QCoreApplication::exit(0);
    });
}

// The version check and the log sender as the user agreed; the first start asks first.
std::unique_ptr<QOnlineServices> startOnlineServices(zentarPixvue* window, const ZtConfig& config) {
    auto services = std::make_unique<QOnlineServices>(window, programPath(kLogSenderProgram));
    QObject::connect(window, &zentarPixvue::signalConsentChanged, services.get(),
                     &QOnlineServices::slotApplyConsent);
    if (config.isConsentAnswered()) {
        services->slotApplyConsent();
    } else {
        LOG(INFO) << "first start: asking for the network consent";
        window->showPrivacyDialog();
    }
    return services;
}

int runMainWindow(QSingleInstance& instance, const QStringList& paths) {
    ZtConfig* config = ZtConfig::NewInstance();
    auto translator = std::make_unique<QTranslator>();
    loadTranslation(*translator, config->getLanguageType());
    QCoreApplication::installTranslator(translator.get());

    std::unique_ptr<zentarPixvue> window = createMainWindow(instance);
    window->show();
    if (!paths.isEmpty()) {
        window->openPaths(paths);
    }
    ZtExitSignals exitSignals;
    endOnExitSignals(exitSignals);
    std::unique_ptr<QOnlineServices> services = startOnlineServices(window.get(), *config);
    quitAfterStartWhenAsked();

    const int exitCode = QApplication::exec();
    const QStringList listedPaths = window->operatePage()->listedPaths();

    // A restart ends the loop with the window still open: its threads end before the
    // decoded images go.
    window->stopBackgroundWork();
    ZtConfig::ReleaseConfigInstance();
    ZtHeicAPI::releaseAllMapData();
    if (exitCode == kRestartExitCode) {
        restartProgram(instance, listedPaths);
    }
    LOG(INFO) << "====================END====================";
    services.reset();
    window.reset();
    QCoreApplication::removeTranslator(translator.get());
    return exitCode;
}

}  // namespace

int runConverter(int& argc, char** argv) {
    ZtHeicAPI::setUpAllocator();
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    beginDisplayCheck();
    QApplication app(argc, argv);
    endDisplayCheck();
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    ztlog::setUpLogging();  // first, so that the instance's own failures are logged
    QSingleInstance instance(QString::fromLatin1(kInstanceIdentifier));
    applyApplicationLook();
    LOG(INFO) << "====================START====================";
    const QStringList paths =
        pathsFromArguments(QCoreApplication::arguments().mid(1), QDir::current());
    if (instance.isRunning()) {
        return askRunningInstanceToShow(instance, paths);
    }
    return runMainWindow(instance, paths);
}

}  // namespace pixvue
