// pixvue-convert: the converter's conversions from a terminal, a script or a file manager.

#include "clinotify.h"
#include "clioptions.h"
#include "clireport.h"
#include "clirun.h"
#include "clisources.h"
#include "ztheicapi.h"
#include "ztsharelog.h"

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>
#include <cstdio>

namespace {

const char kProgram[] = "pixvue-convert";

// The engine logs through easylogging++, which would write to standard output: nothing is
// logged here, so that standard output holds only the JSON lines.
void silenceLogging() {
    el::Helpers::setStorage(sharedLoggingRepository());
    el::Configurations quiet;
    quiet.setToDefault();
    quiet.setGlobally(el::ConfigurationType::Enabled, "false");
    quiet.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    quiet.setGlobally(el::ConfigurationType::ToFile, "false");
    el::Loggers::setDefaultConfigurations(quiet, true);
}

int usageError(const QString& error) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                 error.toLocal8Bit().constData(), kProgram);
    return 2;
}

QString notificationText(const pixvuecli::ConsoleReport& report) {
    const QString firstFailure = report.firstFailure();
    return firstFailure.isEmpty() ? report.summary() : report.summary() + ": " + firstFailure;
}

int convert(const pixvuecli::CliOptions& options) {
    if (!options.outputDir.isEmpty()) {
        QDir().mkpath(options.outputDir);  // a folder that cannot be made fails each file
    }
    const pixvuecli::SourceList list =
        pixvuecli::collectSources(options.inputs, options.recursive, options.outputDir);
    pixvuecli::ConsoleReport::Style style;
    style.json = options.json;
    style.verbose = options.verbose;
    style.quiet = options.quiet;
    style.progressBar = !options.quiet && isatty(STDERR_FILENO) == 1;
    pixvuecli::ConsoleReport report(list.sources, style);
    report.reportRefused(list.emptyFolders);
    const int stopSignal = pixvuecli::runConversion(list.sources, options, report);
    report.writeSummary();
    if (options.notify) {
        pixvuecli::notifyDesktop(notificationText(report));
    }
    if (stopSignal != 0) {
        return 128 + stopSignal;
    }
    const bool nothingFound = list.sources.isEmpty() || !list.emptyFolders.isEmpty();
    return report.failed() > 0 || nothingFound ? 1 : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    ZtHeicAPI::setUpAllocator();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgram));
    silenceLogging();
    pixvuecli::CliOptions options;
    QString error;
    switch (pixvuecli::parseCommandLine(QCoreApplication::arguments(), options, error)) {
        case pixvuecli::Request::Help:
            std::fputs(pixvuecli::usageText().toLocal8Bit().constData(), stdout);
            return 0;
        case pixvuecli::Request::Version:
            std::printf("%s %s\n", kProgram, PIXVUE_VERSION);
            return 0;
        case pixvuecli::Request::UsageError:
            return usageError(error);
        case pixvuecli::Request::Convert:
            break;
    }
    return convert(options);
}
