#include "kitfont.h"

QFont FontSpec::toFont() const {
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 14);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}
