// Converts one HEIC file to JPG quality 90 at 100 % with EXIF kept through the engine, and
// prints the wall time of each conversion in seconds, one per line.
//   bench_engine_convert fresh  <heic> <output folder>           one conversion, decoded for it
//   bench_engine_convert stored <heic> <output folder> [runs]    from the store, after collecting

#include "ztconfig.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace {

void useBenchSettings() {
    ZtConfig* config = ZtConfig::NewInstance();
    config->setConvertFormat(JPG);
    config->setKeepExif(true);
    config->setPicSize(QStringLiteral("100%"));
    config->setPicQuality(QStringLiteral("90%"));
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
    std::fprintf(stderr, "usage: %s fresh|stored <heic> <output folder> [runs]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        return usage(argv[0]);
    }
    const bool stored = std::strcmp(argv[1], "stored") == 0;
    if (!stored && std::strcmp(argv[1], "fresh") != 0) {
        return usage(argv[0]);
    }
    ztlog::setUpLogging();
    useBenchSettings();
    const QString source = QString::fromLocal8Bit(argv[2]);
    const QString outputDir = QDir(QString::fromLocal8Bit(argv[3])).absolutePath() + "/";
    const int runs = stored && argc > 4 ? qMax(1, std::atoi(argv[4])) : 1;

    ZtHeicAPI engine;
    if (stored && !engine.collectHeicPicDataToMap(source)) {
        std::fprintf(stderr, "cannot collect %s\n", argv[2]);
        return 1;
    }
    for (int run = 0; run < runs; ++run) {
        const double seconds = timedConversion(engine, source, outputDir);
        if (seconds < 0) {
            std::fprintf(stderr, "conversion of %s failed\n", argv[2]);
            return 1;
        }
        std::printf("%.4f\n", seconds);
    }
    return 0;
}
