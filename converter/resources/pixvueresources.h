#pragma once

// Images (":/Img/res/..."), the Chinese translation (":/translation/zentarpixvue_zh.qm") and the
// font set-up of the converter.

#include "pixvueresources_global.h"

#include "kittheme.h"

#include <QString>
#include <QStringList>

namespace pixvue {

// The family every window asks for.
inline constexpr const char* kDesignFontFamily = "Microsoft YaHei";

// Registers this library's resources. They register themselves when the library is loaded; this
// call keeps the library linked and may be repeated.
PIXVUE_RESOURCES_EXPORT void initResources();

// The converter's images for the widget kit.
PIXVUE_RESOURCES_EXPORT KitTheme kitTheme();

// Installed CJK families that stand in for kDesignFontFamily, best first. Needs a QGuiApplication.
PIXVUE_RESOURCES_EXPORT QStringList installedSubstituteFamilies();

// Maps kDesignFontFamily to the installed CJK families so that Chinese texts render. Call once
// after the application object exists. Returns the family that takes its place (empty when no
// CJK family is installed; the failure is logged).
PIXVUE_RESOURCES_EXPORT QString installFontSubstitutions();

}  // namespace pixvue
