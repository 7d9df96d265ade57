#include "ztdatadir.h"

#include <QDir>
#include <QStandardPaths>

namespace ztlog {

QString dataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zentar/Pixvue/");
}

QString ensureDataDirectory() {
    const QString dir = dataDirectory();
    QDir().mkpath(dir);
    return dir;
}

}  // namespace ztlog
