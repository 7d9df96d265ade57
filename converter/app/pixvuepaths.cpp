#include "pixvuepaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace pixvue {

QString programPath(const QString& baseName) {
    return QCoreApplication::applicationDirPath() + "/" + baseName;
}

QString defaultOutputDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + "/Pixvue";
}

bool isSystemDirectory(const QString& path) {
    if (path.trimmed().isEmpty()) {
        return true;
    }
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());
    if (cleaned == QLatin1String("/")) {
        return true;
    }
    static const char* const kSystemRoots[] = {"/bin",   "/boot",  "/dev",    "/etc",  "/lib",
                                               "/lib32", "/lib64", "/libx32", "/proc", "/run",
                                               "/sbin",  "/sys",   "/usr",    "/var"};
    for (const char* root : kSystemRoots) {
        const QString systemRoot = QString::fromLatin1(root);
        if (cleaned == systemRoot || cleaned.startsWith(systemRoot + "/")) {
            return true;
        }
    }
    return false;
}

}  // namespace pixvue
