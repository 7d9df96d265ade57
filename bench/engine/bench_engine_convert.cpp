// Converts one HEIC file through the engine with the settings of a mode and prints the wall
// time of each conversion in seconds, one per line. Modes: jpg90 (JPG quality 90, 100 %, EXIF
// kept), default (JPG quality 100, 100 %, EXIF kept), png (PNG, 100 %, quality 100), noexif90
// (JPG quality 90, 100 %, EXIF left out), half90 (JPG quality 90, 50 %), bmp (BMP, 100 %),
// noexif100, half100, halfnoexif90, halfnoexif100, png50 and bmp50 alike.
//   bench_engine_convert fresh  <mode> <heic> <output folder>         one conversion, decoded for
//   it bench_engine_convert stored <mode> <heic> <output folder> [runs]  after collecting

#include "ztconfig.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace {

struct BenchMode {
    const char* name;
    ConvertFormat format;
    bool keepExif;
    const char* size;
    const char* quality;
};

constexpr BenchMode kModes[] = {
    {"jpg90", JPG, true, "100%", "90%"},        {"default", JPG, true, "100%", "100%"},
    {"png", PNG, true, "100%", "100%"},         {"noexif90", JPG, false, "100%", "90%"},
    {"half90", JPG, true, "50%", "90%"},        {"bmp", BMP, true, "100%", "100%"},
    {"noexif100", JPG, false, "100%", "100%"},  {"half100", JPG, true, "50%", "100%"},
    {"halfnoexif90", JPG, false, "50%", "90%"}, {"halfnoexif100", JPG, false, "50%", "100%"},
    {"png50", PNG, true, "50%", "100%"},        {"bmp50", BMP, true, "50%", "100%"},
};

bool useBenchSettings(const char* mode) {
    for (const BenchMode& known : kModes) {
        if (std::strcmp(mode, known.name) != 0) {
            continue;
        }
        ZtConfig* config = ZtConfig::NewInstance();
        config->setConvertFormat(known.format);
        config->setKeepExif(known.keepExif);
        config->setPicSize(QString::fromLatin1(known.size));
        config->setPicQuality(QString::fromLatin1(known.quality));
        return true;
    }
    return false;
}

// One timed conversion into an emptied folder; a negative time when it failed.
double timedConversion(ZtHeicAPI& engine, const QString& source, const QString& outputDir) {
    QDir(outputDir).removeRecursively();
    QDir().mkpath(outputDir);
    QElapsedTimer timer;
    timer.start();
    const bool converted = engine.convertHeicFormat(source, outputDir);
    const double seconds = timer.nsecsElapsed() / 1e9;
    return converted ? seconds : -1.0;
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s fresh|stored <mode> <heic> <output folder> [runs]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    ZtHeicAPI::setUpAllocator();  // as the converter does
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        return usage(argv[0]);
    }
    const bool stored = std::strcmp(argv[1], "stored") == 0;
    if (!stored && std::strcmp(argv[1], "fresh") != 0) {
        return usage(argv[0]);
    }
    ztlog::setUpLogging();
    if (!useBenchSettings(argv[2])) {
        return usage(argv[0]);
    }
    const QString source = QString::fromLocal8Bit(argv[3]);
    const QString outputDir = QDir(QString::fromLocal8Bit(argv[4])).absolutePath() + "/";
    const int runs = stored && argc > 5 ? qMax(1, std::atoi(argv[5])) : 1;

    ZtHeicAPI engine;
    if (stored && !engine.collectHeicPicDataToMap(source)) {
        std::fprintf(stderr, "cannot collect %s\n", argv[3]);
        return 1;
    }
    for (int run = 0; run < runs; ++run) {
        const double seconds = timedConversion(engine, source, outputDir);
        if (seconds < 0) {
            std::fprintf(stderr, "conversion of %s failed\n", argv[3]);
            return 1;
        }
        std::printf("%.4f\n", seconds);
    }
    return 0;
}
