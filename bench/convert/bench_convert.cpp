// Converts every .heic file of a folder to JPG at the default settings (quality 100, 100 %,
// EXIF kept) and prints one line of key=value figures (see convert_bench.py).
//   bench_convert engine <sources> <output>        the engine in a plain loop, one file after
//                                                  the other
//   bench_convert gui <sources> <output> [files]   the list and the progress dialog with its
//                                                  worker, [files] at once (0: one per core)
//   bench_convert collected <sources> <output>     the same after collecting every file
// (QT_QPA_PLATFORM=offscreen for a machine without a display)

#include "dialogs/qconvertimagedlg.h"
#include "filelist/heicmodeldata.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qsortfilterproxymodelbase.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "workers/qconvertheicthread.h"
#include "ztconfig.h"
#include "ztdatadir.h"
#include "ztheicapi.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// The longest time between two ticks of a timer on the GUI thread while it runs, and the CPU
// time the GUI thread itself spent within that gap: a gap the thread spent waiting for a core
// of a busy machine is long but not busy.
class StallMeter {
public:
    StallMeter() : m_lastCpuMs(threadCpuMs()) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(5);
        m_clock.start();
    }
    qint64 longestMs() const { return m_longest; }
    double busyInLongestMs() const { return m_busyInLongest; }

private:
    static double threadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }
    void tick() {
        const qint64 gap = m_clock.restart();
        const double cpuMs = threadCpuMs();
        if (gap > m_longest) {
            m_longest = gap;
            m_busyInLongest = cpuMs - m_lastCpuMs;
        }
        m_lastCpuMs = cpuMs;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    double m_busyInLongest = 0;
    double m_lastCpuMs;
};

// Wall and CPU seconds (all threads of the process) since construction.
class RunClock {
public:
    RunClock() : m_cpuStart(cpuSeconds()) { m_wall.start(); }
    double wallSeconds() const { return m_wall.nsecsElapsed() / 1e9; }
    double cpuSecondsSpent() const { return cpuSeconds() - m_cpuStart; }

private:
    static double cpuSeconds() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    QElapsedTimer m_wall;
    double m_cpuStart;
};

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// The file list of the operate page: model, proxy, delegate, header and view.
struct FileList {
    explicit FileList(const QStringList& paths)
        : model(QHeicDelegate::ColumnCount), header(Qt::Horizontal, &view) {
        QList<ModelDataBase*> records;
        for (const QString& path : paths) {
            auto* record = new HeicModelData;
            record->strFilePath = path;
            record->strFileName = QFileInfo(path).fileName();
            record->strFileSize = heicSizeText(QFileInfo(path).size());
            records.append(record);
        }
        model.addModelData(records);
        proxy.setSourceModel(&model);
        view.setDefaultRowHeight(54);
        view.setUp(&proxy, &header, &delegate);
        view.resize(1000, 340);
        view.show();
        view.selectAll();
    }
    QHeicModel model;
    QSortFilterProxyModelBase proxy;
    QHeicDelegate delegate;
    QTableViewBase view;
    QHeaderViewBase header;
};

void useDefaultSettings() {
    ZtConfig* config = ZtConfig::NewInstance();
    config->setConvertFormat(JPG);
    config->setKeepExif(true);
    config->setPicSize(QStringLiteral("100%"));
    config->setPicQuality(QStringLiteral("100%"));
}

QStringList sourcesIn(const QString& folder) {
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.heic", "*.HEIC"}, QDir::Files, QDir::Name)) {
        paths << dir.absoluteFilePath(name);
    }
    return paths;
}

int outputsIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files).size();
}

Timing engineLoop(const QStringList& paths, const QString& outputDir, int* failed) {
    const ZtHeicAPI::Settings settings = ZtHeicAPI::currentSettings();
    ZtHeicAPI engine;
    const RunClock clock;
    for (const QString& path : paths) {
        if (!engine.convertHeicFormat(path, outputDir, settings)) {
            ++*failed;
        }
    }
    return {clock.wallSeconds(), clock.cpuSecondsSpent()};
}

struct GuiRun {
    Timing timing;
    qint64 stallMs = 0;
    double stallBusyMs = 0;
    int failed = 0;
};

GuiRun guiPath(const QStringList& paths, const QString& outputDir, int filesAtOnce) {
    FileList list(paths);
    QApplication::processEvents();
    GuiRun result;
    StallMeter meter;
    const RunClock clock;
    QConvertImageDlg dialog(QVariant::fromValue(list.view.checkedRows()), outputDir, &list.view,
                            filesAtOnce);
    QObject::connect(&dialog, &QConvertImageDlg::signalRefreshTableView, &list.model,
                     &QHeicModel::refresh);
    QObject::connect(dialog.worker(), &QConvertHeicThread::signalConvertFinished,
                     [&result](int, int failed, int) { result.failed = failed; });
    dialog.show();
    while (!dialog.isCompleted()) {
        // Sleeps until the next event (the stall meter ticks every 5 ms); the overload with a
        // time limit would spin and take a core from the worker.
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    result.timing = {clock.wallSeconds(), clock.cpuSecondsSpent()};
    QApplication::processEvents();
    result.stallMs = meter.longestMs();
    result.stallBusyMs = meter.busyInLongestMs();
    return result;
}

// Collects every file into the store; the files that fit.
int collectAll(const QStringList& paths, double* seconds) {
    ZtHeicAPI engine;
    const RunClock clock;
    int stored = 0;
    for (const QString& path : paths) {
        const double before = ZtHeicAPI::m_nUsedMemorySize;
        if (engine.collectHeicPicDataToMap(path) && ZtHeicAPI::m_nUsedMemorySize > before) {
            ++stored;
        }
    }
    *seconds = clock.wallSeconds();
    return stored;
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s engine|gui|collected <sources> <output folder> [files]\n",
                 program);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    ZtHeicAPI::setUpAllocator();  // as the converter does
    QApplication app(argc, argv);
    if (argc < 4) {
        return usage(argv[0]);
    }
    const char* mode = argv[1];
    ztlog::ensureDataDirectory();
    ztlog::setUpLogging();
    useDefaultSettings();
    const QStringList paths = sourcesIn(QString::fromLocal8Bit(argv[2]));
    const QString outputDir = QDir(QString::fromLocal8Bit(argv[3])).absolutePath() + "/";
    QDir().mkpath(outputDir);
    if (paths.isEmpty()) {
        std::fprintf(stderr, "no .heic files in %s\n", argv[2]);
        return 1;
    }

    if (std::strcmp(mode, "engine") == 0) {
        int failed = 0;
        const Timing timing = engineLoop(paths, outputDir, &failed);
        std::printf("wall=%.3f cpu=%.3f failed=%d outputs=%d\n", timing.wall, timing.cpu, failed,
                    outputsIn(outputDir));
        return 0;
    }
    const bool collected = std::strcmp(mode, "collected") == 0;
    if (!collected && std::strcmp(mode, "gui") != 0) {
        return usage(argv[0]);
    }
    if (collected) {
        double seconds = 0;
        const int stored = collectAll(paths, &seconds);
        std::printf("stored=%d of=%d store_mb=%.0f collect=%.3f ", stored, int(paths.size()),
                    ZtHeicAPI::m_nUsedMemorySize, seconds);
    }
    const int filesAtOnce = argc > 4 ? std::atoi(argv[4]) : 0;
    const GuiRun run = guiPath(paths, outputDir, filesAtOnce);
    std::printf("wall=%.3f cpu=%.3f stall=%lld stall_busy=%.1f failed=%d outputs=%d\n",
                run.timing.wall, run.timing.cpu, static_cast<long long>(run.stallMs),
                run.stallBusyMs, run.failed, outputsIn(outputDir));
    ZtHeicAPI::releaseAllMapData();
    return 0;
}
