#pragma once

// Images (":/Img/res/..."), and the Chinese translation (":/translation/zentarpixvue_zh.qm") of
// the converter.

#include "pixvueresources_global.h"

#include "kittheme.h"

#include <QString>

namespace pixvue {

// Registers this library's resources. They register themselves when the library is loaded; this
// call keeps the library linked and may be repeated.
PIXVUE_RESOURCES_EXPORT void initResources();

// The converter's images for the widget kit.
PIXVUE_RESOURCES_EXPORT KitTheme kitTheme();

}  // namespace pixvue
