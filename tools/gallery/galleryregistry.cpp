#include "galleryregistry.h"

namespace {

QVector<GalleryEntry>& registry() {
    static QVector<GalleryEntry> entries;
    return entries;
}

}  // namespace

bool GalleryRegistry::add(const QString& group, const QString& name,
                          GalleryEntryFunction function) {
    registry().append({group, name, function});
    return true;
}

const QVector<GalleryEntry>& GalleryRegistry::entries() {
    return registry();
}
