#include "faultpostsetup.h"
#include "kitfont.h"
#include "kittheme.h"
#include "qfaultpost.h"
#include "qfaultpostresources.h"
#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    ztlog::ensureDataDirectory();
    ztlog::setUpLogging();
    LOG(INFO) << "FaultPost.exe start!";
    const QString dumpFileName = qfaultpost::dumpFileNameFromCommandLine(argc, argv);

    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    qfaultpost::initResources();
    KitTheme::setCurrent(qfaultpost::kitTheme());
    kitfont::applyDesignFont();

    QTranslator translator;
    qfaultpost::loadTranslation(translator);
    QApplication::installTranslator(&translator);

    int result = 0;
    {
        QFaultPost dialog;
        dialog.setDumpFileName(dumpFileName);
        QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
        dialog.show();
        result = app.exec();
    }
    ZtConfig::ReleaseConfigInstance();
    return result;
}
