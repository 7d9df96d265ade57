#include "pixvueresources.h"

static void registerPixvueResources() {
    Q_INIT_RESOURCE(pixvue);
    Q_INIT_RESOURCE(pixvue_translation);
}

namespace pixvue {

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

}  // namespace pixvue
