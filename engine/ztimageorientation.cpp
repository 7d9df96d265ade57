#include "ztimageorientation.h"

#include <QColorSpace>
#include <QTransform>

namespace {

QImage rotated(const QImage& image, int degrees) {
    return image.transformed(QTransform().rotate(degrees), Qt::FastTransformation);
}

}  // namespace

QImage uprightImage(const QImage& image, int orientation) {
    QImage result;
    switch (orientation) {
        case 2:
            result = image.mirrored(true, false);
            break;
        case 3:
            result = rotated(image, 180);
            break;
        case 4:
            result = image.mirrored(false, true);
            break;
        case 5:
            result = rotated(image, 90).mirrored(true, false);
            break;
        case 6:
            result = rotated(image, 90);
            break;
        case 7:
            result = rotated(image, 90).mirrored(false, true);
            break;
        case 8:
            result = rotated(image, 270);
            break;
        default:
            return image;
    }
    result.setColorSpace(image.colorSpace());
    return result;
}
