#include "clioptions.h"

#include <QCommandLineParser>

namespace pixvuecli {

namespace {

// A whole number in [low, high], written with or without a percent sign; -1 when it is not.
int boundedNumber(QString text, int low, int high, bool percentAllowed) {
    if (percentAllowed && text.endsWith(QLatin1Char('%'))) {
        text.chop(1);
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? value : -1;
}

bool readFormat(const QString& text, ConvertFormat& format) {
    const QString name = text.toLower();
    if (name == QLatin1String("jpg") || name == QLatin1String("jpeg")) {
        format = JPG;
    } else if (name == QLatin1String("png")) {
        format = PNG;
    } else if (name == QLatin1String("bmp")) {
        format = BMP;
    } else {
        return false;
    }
    return true;
}

struct ValueOptions {
    QCommandLineOption format{{"f", "format"}, "", "FORMAT"};
    QCommandLineOption quality{{"q", "quality"}, "", "N"};
    QCommandLineOption size{{"s", "size"}, "", "PERCENT"};
    QCommandLineOption output{{"o", "output"}, "", "DIR"};
    QCommandLineOption jobs{{"j", "jobs"}, "", "N"};
};

// Reads the options that carry a value; false with error set when one is out of range.
bool readValues(const QCommandLineParser& parser, const ValueOptions& values, CliOptions& options,
                QString& error) {
    if (parser.isSet(values.format) &&
        !readFormat(parser.value(values.format), options.settings.format)) {
        error = QStringLiteral("invalid format '%1' (jpg, png or bmp)")
                    .arg(parser.value(values.format));
        return false;
    }
    const struct {
        const QCommandLineOption& option;
        int* target;
        int low;
        int high;
        bool percent;
        const char* what;
    } numbers[] = {
        {values.quality, &options.settings.quality, 1, 100, true, "quality (1-100)"},
        {values.size, &options.settings.sizePercent, 1, 100, true, "size (1-100 percent)"},
        {values.jobs, &options.jobs, 1, 1024, false, "number of jobs (1 or more)"},
    };
    for (const auto& number : numbers) {
        if (!parser.isSet(number.option)) {
            continue;
        }
        const QString text = parser.value(number.option);
        const int value = boundedNumber(text, number.low, number.high, number.percent);
        if (value < 0) {
            error = QStringLiteral("invalid %1: '%2'").arg(QLatin1String(number.what), text);
            return false;
        }
        *number.target = value;
    }
    options.outputDir = parser.value(values.output);
    if (parser.isSet(values.output) && options.outputDir.isEmpty()) {
        error = QStringLiteral("the output folder is empty");
        return false;
    }
    return true;
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: pixvue-convert [OPTION]... FILE|FOLDER...\n"
        "Converts HEIC, HEIF and AVIF photos into JPG, PNG or BMP files.\n"
        "\n"
        "  -f, --format jpg|png|bmp  output format (default jpg)\n"
        "  -q, --quality N           picture quality, 1-100 (default 100)\n"
        "  -s, --size PERCENT        picture size, 1-100 percent of the width and height\n"
        "                            (default 100)\n"
        "      --no-exif             leave the EXIF data out\n"
        "      --strip-location      leave the GPS tags and the XMP location out\n"
        "  -o, --output DIR          write into DIR (default: beside each source)\n"
        "  -r, --recursive           also convert the pictures of subfolders\n"
        "  -j, --jobs N              convert N files at once (default: one per core)\n"
        "      --overwrite           replace existing outputs (default: numbered names)\n"
        "      --json                one JSON object a line per source on standard output\n"
        "      --notify              show a desktop notification at the end\n"
        "  -v, --verbose             one line per converted file\n"
        "      --quiet               errors only, no summary\n"
        "  -h, --help                show this help and exit\n"
        "      --version             show the version and exit\n"
        "\n"
        "Exit status: 0 when every file converted, 1 when some failed or no picture was\n"
        "found, 2 for a usage error, 130 after SIGINT, 143 after SIGTERM.\n");
}

Request parseCommandLine(const QStringList& arguments, CliOptions& options, QString& error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const ValueOptions values;
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version("version", "");
    const QCommandLineOption noExif("no-exif", "");
    const QCommandLineOption stripLocation("strip-location", "");
    const QCommandLineOption recursive({"r", "recursive"}, "");
    const QCommandLineOption overwrite("overwrite", "");
    const QCommandLineOption json("json", "");
    const QCommandLineOption notify("notify", "");
    const QCommandLineOption verbose({"v", "verbose"}, "");
    const QCommandLineOption quiet("quiet", "");
    parser.addOptions({values.format, values.quality, values.size, values.output, values.jobs, help,
                       version, noExif, stripLocation, recursive, overwrite, json, notify, verbose,
                       quiet});
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return Request::UsageError;
    }
    if (parser.isSet(help)) {
        return Request::Help;
    }
    if (parser.isSet(version)) {
        return Request::Version;
    }
    if (!readValues(parser, values, options, error)) {
        return Request::UsageError;
    }
    options.settings.keepExif = !parser.isSet(noExif);
    options.settings.stripLocation = parser.isSet(stripLocation);
    options.settings.overwrite = parser.isSet(overwrite);
    options.recursive = parser.isSet(recursive);
    options.json = parser.isSet(json);
    options.notify = parser.isSet(notify);
    options.verbose = parser.isSet(verbose);
    options.quiet = parser.isSet(quiet);
    options.inputs = parser.positionalArguments();
    if (options.inputs.isEmpty()) {
        error = QStringLiteral("no file or folder named");
        return Request::UsageError;
    }
    if (options.verbose && options.quiet) {
        error = QStringLiteral("--verbose and --quiet exclude each other");
        return Request::UsageError;
    }
    return Request::Convert;
}

}  // namespace pixvuecli
