#include "pixvueopenfiles.h"

#include <QUrl>

namespace pixvue {

namespace {

const QChar kSeparator(u'\0');

QString absolutePath(const QString& argument, const QDir& workingDirectory) {
    QString path = argument;
    if (argument.startsWith(QLatin1String("file:"))) {
        path = QUrl(argument).toLocalFile();
    }
    return QDir::cleanPath(workingDirectory.absoluteFilePath(path));
}

bool isOption(const QString& argument) {
    return argument.startsWith(u'-') && argument.size() > 1;
}

}  // namespace

QStringList pathsFromArguments(const QStringList& arguments, const QDir& workingDirectory) {
    QStringList paths;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && isOption(argument)) {
            continue;
        }
        const QString path = absolutePath(argument, workingDirectory);
        if (!path.isEmpty() && !paths.contains(path)) {
            paths << path;
        }
    }
    return paths;
}

QString openFilesMessage(const QStringList& paths) {
    QString message = QString::fromLatin1(kOpenFilesMessage);
    for (const QString& path : paths) {
        message += kSeparator + path;
    }
    return message;
}

QStringList restartArguments(const QStringList& arguments, const QStringList& listedPaths) {
    QStringList restart;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--")) {
            break;
        }
        if (isOption(argument)) {
            restart << argument;
        }
    }
    qint64 chars = 0;
    for (const QString& path : listedPaths) {
        chars += path.size() + 1;
    }
    if (!listedPaths.isEmpty() && chars <= kMaxRestartArgumentChars) {
        restart << QStringLiteral("--") << listedPaths;
    }
    return restart;
}

bool parseOpenFilesMessage(const QString& message, QStringList* paths) {
    const QString prefix = QString::fromLatin1(kOpenFilesMessage);
    if (message != prefix && !message.startsWith(prefix + kSeparator)) {
        return false;
    }
    QStringList parts = message.split(kSeparator);
    parts.removeFirst();
    parts.removeAll(QString());
    *paths = parts;
    return true;
}

}  // namespace pixvue
