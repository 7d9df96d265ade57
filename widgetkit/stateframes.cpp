#include "stateframes.h"

#include "ztlog.h"

QPixmap loadKitPixmap(const QString& path) {
    QPixmap pixmap;
    if (path.isEmpty()) {
        return pixmap;
    }
    if (!pixmap.load(path)) {
        LOG(ERROR) << "Cannot load image " << path;
    }
    return pixmap;
}

StateFrames loadStateFrames(const QString& path, const QSize& frameSize) {
    StateFrames frames;
    const QPixmap image = loadKitPixmap(path);
    if (image.isNull()) {
        return frames;
    }
    if (frameSize.width() <= 0 || frameSize.height() <= 0) {
        LOG(ERROR) << "Invalid frame size " << frameSize.width() << "x" << frameSize.height()
                   << " for " << path;
        return frames;
    }
    const int count = image.height() / frameSize.height();
    for (int i = 0; i < 4 && i < count; ++i) {
        frames[i] = image.copy(0, i * frameSize.height(), frameSize.width(), frameSize.height());
    }
    return frames;
}
