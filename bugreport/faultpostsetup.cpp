#include "faultpostsetup.h"

#include "ztconfig.h"
#include "ztlog.h"

#include <QCoreApplication>
#include <QTranslator>

namespace qfaultpost {

bool isBareFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        return false;
    }
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

QString dumpFileNameFromArguments(const QStringList& arguments) {
    if (arguments.size() < 2) {
        return QString();
    }
    const QString name = arguments.last();
    if (!isBareFileName(name)) {
        LOG(ERROR) << "Not a dump file name, sending no dump: " << name;
        return QString();
    }
    return name;
}

QString dumpFileNameFromCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return dumpFileNameFromArguments(arguments);
}

bool loadTranslation(QTranslator& translator) {
    const bool chinese = ZtConfig::NewInstance()->getLanguageType() == Chinese;
    return translator.load(chinese ? QStringLiteral(":/qfaultpost_zh.qm")
                                   : QStringLiteral(":/qfaultpost_en.qm"));
}

QString converterProgramPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/zentarPixvue");
}

}  // namespace qfaultpost
