#pragma once

// Small pictures and non-pictures for the conversion tests. The pictures are JPEGs, named as
// the caller likes (.heic): the engine converts any picture it reads, so many go through quickly.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

namespace testpictures {

// A 48 x 32 JPEG at dir/name, its folders made; its absolute path, empty on failure.
inline QString makePicture(const QString& dir, const QString& name) {
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    const QString path = QDir(dir).absoluteFilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "JPG") ? path : QString();
}

// A file of text, no picture at all, at dir/name, its folders made; its absolute path.
inline QString makeBroken(const QString& dir, const QString& name) {
    const QString path = QDir(dir).absoluteFilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("this is no picture at all");
    }
    return path;
}

}  // namespace testpictures
