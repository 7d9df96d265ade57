#pragma once

#include "widgetkit_global.h"

#include <QRect>
#include <QString>

// What differs between the programs that share the kit: the check box's sprite and text
// size and the dialogs' shadow image. A program sets its theme once, before its first widget.
struct ZTWIDGETKIT_EXPORT KitTheme {
    QString checkBoxSprite;
    QRect checkBoxSpriteRegion;
    int checkBoxFontPixelSize = 14;
    QString shadowImage;

    static KitTheme converter();
    static KitTheme bugReporter();

    static const KitTheme& current();
    static void setCurrent(const KitTheme& theme);
};
