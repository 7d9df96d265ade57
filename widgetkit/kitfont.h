#pragma once

#include "widgetkit_global.h"

#include <QFont>
#include <QString>

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
