#include "pixvueresources.h"

#include "ztlog.h"

#include <QFont>
#include <QFontDatabase>

static void registerPixvueResources() {
    Q_INIT_RESOURCE(pixvue);
    Q_INIT_RESOURCE(pixvue_translation);
}

namespace pixvue {

namespace {
// Debian fonts with Simplified Chinese glyphs, in order of preference.
const char* const kCandidateFamilies[] = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                          "Noto Sans CJK SC", "Droid Sans Fallback"};
}  // namespace

void initResources() {
    registerPixvueResources();
}

KitTheme kitTheme() {
    KitTheme theme;
    theme.checkBoxSprite = QStringLiteral(":/Img/res/btn/icon_check.png");
    theme.checkBoxSpriteRegion = QRect(0, 0, 32, 64);
    theme.checkBoxFontPixelSize = 14;
    theme.shadowImage = QStringLiteral(":/Img/res/shadow_main.png");
    theme.progressAnimation = QStringLiteral(":/Img/res/loading_animation.png");
    theme.messageIcons = QStringLiteral(":/Img/res/png_msgicon.png");
    theme.dialogCloseButton = QStringLiteral(":/Img/res/btn/btn_dlgclose.png");
    theme.dialogYesButton = QStringLiteral(":/Img/res/btn/btn_dlgyes.png");
    theme.dialogNoButton = QStringLiteral(":/Img/res/btn/btn_dlgno.png");
    theme.comboArrowNormal = QStringLiteral(":/Img/res/down_arrow_normal.png");
    theme.comboArrowHover = QStringLiteral(":/Img/res/down_arrow_hover.png");
    theme.comboArrowPressed = QStringLiteral(":/Img/res/down_arrow_press.png");
    return theme;
}

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

}  // namespace pixvue
