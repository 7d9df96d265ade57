// pixvue-gallery <outdir> [--lang en|zh]
// Renders every registered widget, dialog and page into PNG files under <outdir>/<lang>/,
// for both languages unless one is given.

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
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char kUsage[] = "usage: pixvue-gallery <outdir> [--lang en|zh]\n";

// The compiled translations of the programs whose windows the gallery shows.
const char* const kChineseTranslations[] = {":/translation/zentarpixvue_zh.qm",
                                            ":/qfaultpost_zh.qm"};

bool parseArguments(const QStringList& args, QString* outDir, QStringList* languages) {
    *languages = QStringList{QStringLiteral("en"), QStringLiteral("zh")};
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang")) {
            if (i + 1 >= args.size() || (args[i + 1] != "en" && args[i + 1] != "zh")) {
                return false;
            }
            *languages = QStringList(args[++i]);
        } else if (outDir->isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            *outDir = args[i];
        } else {
            return false;
        }
    }
    return !outDir->isEmpty();
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

bool renderLanguage(const QString& outDir, const QString& language) {
    const auto translators = installTranslations(language);
    GalleryCanvas canvas(outDir, language);
    for (const GalleryEntry& entry : GalleryRegistry::entries()) {
        canvas.setGroup(entry.group);
        entry.function(canvas);
    }
    const bool written = canvas.finish();
    std::printf("pixvue-gallery: %d files in %s/%s\n", canvas.writtenFiles(), qPrintable(outDir),
                qPrintable(language));
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

    QString outDir;
    QStringList languages;
    if (!parseArguments(QCoreApplication::arguments(), &outDir, &languages)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool written = true;
    for (const QString& language : languages) {
        written = renderLanguage(outDir, language) && written;
    }
    return written ? 0 : 1;
}
