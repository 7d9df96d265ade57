#pragma once

#include <QImage>

// The picture turned upright by an EXIF orientation (1..8, mirrors included); other values
// leave it as it is. The colour space is kept.
QImage uprightImage(const QImage& image, int orientation);
