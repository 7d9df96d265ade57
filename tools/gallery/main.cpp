// pixvue-gallery <outdir> [--lang en|zh] [--check]
// Renders every registered widget, dialog and page into PNG files under <outdir>/<lang>/,
// for both languages unless one is given. --check reads every shot back and fails when an entry
// wrote none, or one that is empty or of a single colour (a widget that painted nothing).

#include "gallerycanvas.h"
#include "galleryregistry.h"
#include "kitfont.h"

#ifdef GALLERY_WITH_PIXVUE_RESOURCES
#include "pixvueresources.h"
#endif
#ifdef GALLERY_WITH_QFAULTPOST_RESOURCES
#include "qfaultpostresources.h"
#endif

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char kUsage[] = "usage: pixvue-gallery <outdir> [--lang en|zh] [--check]\n";

struct Options {
    QString outDir;
    QStringList languages{QStringLiteral("en"), QStringLiteral("zh")};
    bool check = false;
};

// The compiled translations of the programs whose windows the gallery shows.
const char* const kChineseTranslations[] = {":/translation/zentarpixvue_zh.qm",
                                            ":/qfaultpost_zh.qm"};

bool parseArguments(const QStringList& args, Options* options) {
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang")) {
            if (i + 1 >= args.size() || (args[i + 1] != "en" && args[i + 1] != "zh")) {
                return false;
            }
            options->languages = QStringList(args[++i]);
        } else if (args[i] == QLatin1String("--check")) {
            options->check = true;
        } else if (options->outDir.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            options->outDir = args[i];
        } else {
            return false;
        }
    }
    return !options->outDir.isEmpty();
}

// Whether the picture shows something: not empty, and not all of one colour.
bool showsSomething(const QImage& image) {
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        return false;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb first = argb.pixel(0, 0);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (line[x] != first) {
                return true;
            }
        }
    }
    return false;
}

// Reads back the files an entry wrote; false (with the reason on stderr) when it wrote none or
// one that shows nothing.
bool entryShowsSomething(const GalleryEntry& entry, const QStringList& files) {
    if (files.isEmpty()) {
        std::fprintf(stderr, "pixvue-gallery: %s wrote no picture\n", qPrintable(entry.name));
        return false;
    }
    bool shows = true;
    for (const QString& file : files) {
        if (!showsSomething(QImage(file))) {
            std::fprintf(stderr, "pixvue-gallery: %s: %s is empty or of one colour\n",
                         qPrintable(entry.name), qPrintable(file));
            shows = false;
        }
    }
    return shows;
}

std::vector<std::unique_ptr<QTranslator>> installTranslations(const QString& language) {
    std::vector<std::unique_ptr<QTranslator>> translators;
    if (language != QLatin1String("zh")) {
        return translators;
    }
    for (const char* path : kChineseTranslations) {
        auto translator = std::make_unique<QTranslator>();
        if (QFile::exists(path) && translator->load(QString::fromLatin1(path))) {
            QCoreApplication::installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }
    if (translators.empty()) {
        std::fprintf(stderr,
                     "pixvue-gallery: no Chinese translation is built in; "
                     "translated texts stay English\n");
    }
    return translators;
}

bool renderLanguage(const Options& options, const QString& language) {
    const auto translators = installTranslations(language);
    GalleryCanvas canvas(options.outDir, language);
    QVector<QStringList> filesOfEntries;
    for (const GalleryEntry& entry : GalleryRegistry::entries()) {
        canvas.setGroup(entry.group);
        const int before = canvas.shotFiles().size();
        entry.function(canvas);
        filesOfEntries.append(canvas.shotFiles().mid(before));
    }
    bool written = canvas.finish();
    if (options.check) {
        for (int i = 0; i < filesOfEntries.size(); ++i) {
            written = entryShowsSomething(GalleryRegistry::entries().at(i), filesOfEntries.at(i)) &&
                      written;
        }
    }
    std::printf("pixvue-gallery: %d files in %s/%s\n", canvas.writtenFiles(),
                qPrintable(options.outDir), qPrintable(language));
    for (const auto& translator : translators) {
        QCoreApplication::removeTranslator(translator.get());
    }
    return written;
}

}  // namespace

int main(int argc, char* argv[]) {
    // It only writes files, so it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#ifdef GALLERY_WITH_PIXVUE_RESOURCES
    pixvue::initResources();
    KitTheme::setCurrent(pixvue::kitTheme());
#else
    std::fputs("pixvue-gallery: built without the converter's images\n", stderr);
#endif
#ifdef GALLERY_WITH_QFAULTPOST_RESOURCES
    qfaultpost::initResources();
#endif
    kitfont::applyDesignFont();

    Options options;
    if (!parseArguments(QCoreApplication::arguments(), &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool written = true;
    for (const QString& language : options.languages) {
        written = renderLanguage(options, language) && written;
    }
    return written ? 0 : 1;
}
