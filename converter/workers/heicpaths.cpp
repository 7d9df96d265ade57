#include "heicpaths.h"

#include <QHash>

QStringList g_listHeicPaths;

void removeHeicPaths(const QStringList& paths) {
    if (paths.isEmpty() || g_listHeicPaths.isEmpty()) {
        return;
    }
    QHash<QString, int> pending;
    for (const QString& path : paths) {
        ++pending[path];
    }
    QStringList kept;
    kept.reserve(g_listHeicPaths.size());
    for (const QString& path : qAsConst(g_listHeicPaths)) {
        auto it = pending.find(path);
        if (it != pending.end() && it.value() > 0) {
            --it.value();
            continue;
        }
        kept.append(path);
    }
    g_listHeicPaths = kept;
}
