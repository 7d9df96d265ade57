#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace pixvuecli {

// A file to convert, or a named one refused before converting (reason set).
struct Source {
    QString path;
    QString outputDir;  // ends with a separator
    QString reason;     // why it is refused; empty when it is to be converted
};

struct SourceList {
    QVector<Source> sources;
    QStringList emptyFolders;  // named folders without a picture
};

// The pictures named and those in the folders named (their subfolders too when recursive),
// each once, in the order named and by name within a folder. Other files in a folder are
// skipped; a named file that is no picture is refused. outputDir empty: beside each source.
SourceList collectSources(const QStringList& inputs, bool recursive, const QString& outputDir);

}  // namespace pixvuecli
