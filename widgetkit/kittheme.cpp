#include "kittheme.h"

namespace {

KitTheme& currentTheme() {
    static KitTheme theme;
    return theme;
}

}  // namespace

const KitTheme& KitTheme::current() {
    return currentTheme();
}

void KitTheme::setCurrent(const KitTheme& theme) {
    currentTheme() = theme;
}
