#pragma once

#include <QString>
#include <QVector>

class GalleryCanvas;

// One registered producer of gallery shots; it creates its windows in the wanted states and
// hands each to the canvas.
using GalleryEntryFunction = void (*)(GalleryCanvas& canvas);

struct GalleryEntry {
    QString group;
    QString name;
    GalleryEntryFunction function;
};

class GalleryRegistry {
public:
    static bool add(const QString& group, const QString& name, GalleryEntryFunction function);
    static const QVector<GalleryEntry>& entries();
};

// Registers function under group at program start, e.g.
//   static void shootAboutDialog(GalleryCanvas& canvas) { ... }
//   PIXVUE_GALLERY_ENTRY("dialogs", shootAboutDialog)
#define PIXVUE_GALLERY_CONCAT_(a, b) a##b
#define PIXVUE_GALLERY_CONCAT(a, b) PIXVUE_GALLERY_CONCAT_(a, b)
#define PIXVUE_GALLERY_ENTRY(group, function)                                           \
    static const bool PIXVUE_GALLERY_CONCAT(galleryEntry_, __LINE__) [[maybe_unused]] = \
        GalleryRegistry::add(QStringLiteral(group), QStringLiteral(#function), function);
