#include "qfaultpostresources.h"

#include <QtCore/qglobal.h>

static void registerQFaultPostResources() {
    Q_INIT_RESOURCE(qfaultpost);
    Q_INIT_RESOURCE(qfaultpost_translation);
}

namespace qfaultpost {

void initResources() {
    registerQFaultPostResources();
}

KitTheme kitTheme() {
    KitTheme theme;
    theme.checkBoxSprite = QStringLiteral(":/res/icon_check_16x16.png");
    theme.checkBoxSpriteRegion = QRect(0, 0, 32, 64);
    theme.checkBoxFontPixelSize = 13;
    theme.shadowImage = QStringLiteral(":/QFaultPost/Resources/shadow_main.png");
    theme.dialogCloseButton = QStringLiteral(":/res/btn_dlgclose.png");
    return theme;
}

}  // namespace qfaultpost
