#pragma once

// Images (":/res/...", ":/QFaultPost/Resources/...") and the Chinese translation
// (":/qfaultpost_zh.qm") of the bug reporter.

#include "qfaultpostresources_global.h"

#include "kittheme.h"

namespace qfaultpost {

// Registers this library's resources. They register themselves when the library is loaded; this
// call keeps the library linked and may be repeated.
QFAULTPOST_RESOURCES_EXPORT void initResources();

// The bug reporter's images for the widget kit.
QFAULTPOST_RESOURCES_EXPORT KitTheme kitTheme();

}  // namespace qfaultpost
