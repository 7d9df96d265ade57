#pragma once

#include "widgetkit_global.h"

#include <QFont>
#include <QString>
#include <QStringList>

// The font of a label: family, pixel size, Qt weight (50 normal, 57 medium) and italic.
struct ZTWIDGETKIT_EXPORT FontSpec {
    QString family = QStringLiteral("Microsoft YaHei");
    int pixelSize = 14;
    int weight = 50;
    bool italic = false;

    FontSpec() = default;
    FontSpec(int size, int fontWeight = 50, bool isItalic = false,
             const QString& fontFamily = QStringLiteral("Microsoft YaHei"))
        : family(fontFamily), pixelSize(size), weight(fontWeight), italic(isItalic) {}

    QFont toFont() const;
};

namespace kitfont {

// The family every window asks for.
inline constexpr const char* kDesignFontFamily = "Microsoft YaHei";

// Installed CJK families that stand in for kDesignFontFamily, best first. Needs a QGuiApplication.
ZTWIDGETKIT_EXPORT QStringList installedSubstituteFamilies();

// Maps kDesignFontFamily to the installed CJK families so that Chinese texts render. Call once
// after the application object exists. Returns the family that takes its place (empty when no
// CJK family is installed; the failure is logged).
ZTWIDGETKIT_EXPORT QString installFontSubstitutions();

// Installs the substitutions and makes kDesignFontFamily at pixelSize the application's font.
ZTWIDGETKIT_EXPORT void applyDesignFont(int pixelSize = 14);

}  // namespace kitfont
