#pragma once

#include "widgetkit_global.h"

#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>

// Frames of a state strip: 0 normal, 1 hover, 2 pressed, 3 disabled, stacked vertically.
using StateFrames = std::array<QPixmap, 4>;

// Splits the image at path into up to four frames of frameSize; frames the image lacks stay
// null. A missing or unreadable image is logged and gives four null frames.
ZTWIDGETKIT_EXPORT StateFrames loadStateFrames(const QString& path, const QSize& frameSize);

// Loads an image, logging when it cannot be read.
ZTWIDGETKIT_EXPORT QPixmap loadKitPixmap(const QString& path);
