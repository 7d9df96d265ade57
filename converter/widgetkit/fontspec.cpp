#include "fontspec.h"

#include <QStringList>

QFont FontSpec::toFont() const {
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 14);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}

void Kit_InstallFontSubstitution() {
    QFont::insertSubstitutions(
        QStringLiteral("Microsoft YaHei"),
        {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
         QStringLiteral("Droid Sans Fallback")});
}
