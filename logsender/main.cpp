#include "ztconfig.h"
#include "ztexitsignals.h"
#include "ztlog.h"
#include "ztlogsender.h"
#include "ztlogsetup.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    ztlog::setUpLogging();
    LOG(INFO) << "Log Sender HC start";
    QCoreApplication app(argc, argv);
    ZtConfig::NewInstance();  // created here, before the sender thread reads it

    auto* sender = new ZtLogSender();
    ZtExitSignals exitSignals;
    QObject::connect(
        &exitSignals, &ZtExitSignals::signalExitRequested, sender,
        [sender] { sender->setExit(true); }, Qt::DirectConnection);
    // The last upload after an exit request ends the process.
    QObject::connect(sender, &QThread::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    sender->start(QThread::InheritPriority);

    const int result = app.exec();
    sender->waitUntilRunEnded();
    delete sender;
    return result;
}
