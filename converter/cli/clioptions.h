#pragma once

#include "ztheicapi.h"

#include <QString>
#include <QStringList>

namespace pixvuecli {

// What the command line asks for.
struct CliOptions {
    ZtHeicAPI::Settings settings;
    QString outputDir;  // empty: beside each source
    bool recursive = false;
    int jobs = 0;  // 0: the scheduler's choice
    bool json = false;
    bool notify = false;
    bool verbose = false;
    bool quiet = false;
    QStringList inputs;
};

enum class Request { Convert, Help, Version, UsageError };

// Reads arguments (the program's name first) into options; on a usage error, error says why.
Request parseCommandLine(const QStringList& arguments, CliOptions& options, QString& error);

// The text of --help.
QString usageText();

}  // namespace pixvuecli
