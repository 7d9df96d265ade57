#include "ztdatadir.h"

#include <QDir>
#include <QRegularExpression>
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

QByteArray withHomeAsTilde(const QByteArray& text) {
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home.isEmpty() || home == QLatin1String("/")) {
        return text;
    }
    // The home folder itself or followed by "/", never the start of a longer name.
    const QRegularExpression homePath(
        QRegularExpression::escape(home) + QStringLiteral("(?=/|$|[^\\w.-])"),
        QRegularExpression::MultilineOption);
    return QString::fromUtf8(text).replace(homePath, QStringLiteral("~")).toUtf8();
}

}  // namespace ztlog
