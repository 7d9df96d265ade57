#pragma once

#include "widgetkit_global.h"

#include <QRect>
#include <QString>

// The images and sizes a program hands to the kit. The kit knows no program's resources: a program
// sets its theme once, before its first widget. Empty paths draw without that image.
struct ZTWIDGETKIT_EXPORT KitTheme {
    QString checkBoxSprite;
    QRect checkBoxSpriteRegion{0, 0, 32, 64};
    int checkBoxFontPixelSize = 14;
    QString shadowImage;
    QString progressAnimation;
    QString messageIcons;  // four icon rows, one above the other
    QString dialogCloseButton;
    QString dialogYesButton;
    QString dialogNoButton;
    QString comboArrowNormal;  // 30 x 30 drop-down arrows of the combo boxes
    QString comboArrowHover;
    QString comboArrowPressed;

    static const KitTheme& current();
    static void setCurrent(const KitTheme& theme);
};
