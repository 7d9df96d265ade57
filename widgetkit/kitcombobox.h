#pragma once

#include "widgetkit_global.h"

class QComboBox;

// Gives a stock drop-down list the kit's look: a thin light border, text and list items set in
// from the edges, 32-pixel items, the selected one in the title colour, the program's arrow
// images (KitTheme) and a slim scroll bar. The combo keeps its own size.
ZTWIDGETKIT_EXPORT void styleKitComboBox(QComboBox* combo);
