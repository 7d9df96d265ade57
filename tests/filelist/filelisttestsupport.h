#pragma once

// Folders of named files, and waiting for an operate page's workers.

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "guitestsupport.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace filelisttest {

// Creates the file (and its folders) under root with size bytes; its absolute path.
inline QString makeFile(const QString& root, const QString& relative, qint64 size = 16) {
    const QString path = QDir(root).absoluteFilePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.resize(size);
    }
    return path;
}

// The file names of the model's rows, in order.
inline QStringList rowNames(const QHeicModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row) {
        names << model.heicData(row)->strFileName;
    }
    return names;
}

inline QStringList rowPaths(const QHeicModel& model) {
    QStringList paths;
    for (int row = 0; row < model.rowCount(); ++row) {
        paths << model.heicData(row)->strFilePath;
    }
    return paths;
}

}  // namespace filelisttest

#include "pages/qoperatepage.h"

namespace filelisttest {

// Adds the files through the page, as the home page's file dialog would, and waits until
// the add has completed.
inline bool addThroughPage(QOperatePage& page, const QStringList& paths) {
    int completed = 0;
    auto connection =
        QObject::connect(&page, &QOperatePage::signalOpCompleted, [&completed] { ++completed; });
    page.addHeicFiles(paths);
    const bool done = guitest::waitFor([&completed] { return completed > 0; });
    QObject::disconnect(connection);
    return done;
}

// Files a.heic, b.heic, ... in dir.
inline QStringList makeFiles(const QString& dir, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << makeFile(dir, QString("file_%1.heic").arg(i, 3, 10, QChar('0')));
    }
    return paths;
}

}  // namespace filelisttest
