#include "kitfont.h"

#include "ztlog.h"

#include <QFontDatabase>
#include <QGuiApplication>

QFont FontSpec::toFont() const {
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 14);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}

namespace kitfont {

namespace {
// Debian fonts with Simplified Chinese glyphs, in order of preference.
const char* const kCandidateFamilies[] = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                          "Noto Sans CJK SC", "Droid Sans Fallback"};
}  // namespace

QStringList installedSubstituteFamilies() {
    const QStringList installed = QFontDatabase().families();
    QStringList found;
    for (const char* family : kCandidateFamilies) {
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive))
            found << QString::fromLatin1(family);
    }
    return found;
}

QString installFontSubstitutions() {
    const QStringList families = installedSubstituteFamilies();
    if (families.isEmpty()) {
        LOG(ERROR) << "no CJK font installed for " << kDesignFontFamily
                   << " (Debian package fonts-wqy-microhei)";
        return QString();
    }
    QFont::insertSubstitutions(QString::fromLatin1(kDesignFontFamily), families);
    LOG(INFO) << kDesignFontFamily << " is drawn with " << families.first();
    return families.first();
}

void applyDesignFont(int pixelSize) {
    installFontSubstitutions();
    QFont font(QString::fromLatin1(kDesignFontFamily));
    font.setPixelSize(pixelSize);
    QGuiApplication::setFont(font);
}

}  // namespace kitfont
