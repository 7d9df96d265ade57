#include "kittheme.h"

namespace {

KitTheme& currentTheme() {
    static KitTheme theme = KitTheme::converter();
    return theme;
}

}  // namespace

KitTheme KitTheme::converter() {
    KitTheme theme;
    theme.checkBoxSprite = QStringLiteral(":/Img/res/btn/icon_check.png");
    theme.checkBoxSpriteRegion = QRect(0, 0, 32, 64);
    theme.checkBoxFontPixelSize = 14;
    theme.shadowImage = QStringLiteral(":/Img/res/shadow_main.png");
    return theme;
}

KitTheme KitTheme::bugReporter() {
    KitTheme theme;
    theme.checkBoxSprite = QStringLiteral(":/res/icon_check_16x16.png");
    theme.checkBoxSpriteRegion = QRect(0, 0, 32, 64);
    theme.checkBoxFontPixelSize = 13;
    theme.shadowImage = QStringLiteral(":/QFaultPost/Resources/shadow_main.png");
    return theme;
}

const KitTheme& KitTheme::current() {
    return currentTheme();
}

void KitTheme::setCurrent(const KitTheme& theme) {
    currentTheme() = theme;
}
