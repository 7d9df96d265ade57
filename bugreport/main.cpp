#include "faultpostsetup.h"
#include "kittheme.h"
#include "pixvueresources.h"
#include "qfaultpost.h"
#include "qfaultpostresources.h"
#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QFont>
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
    pixvue::installFontSubstitutions();
    QFont font(QString::fromLatin1(pixvue::kDesignFontFamily));
    font.setPixelSize(14);
    QApplication::setFont(font);

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
