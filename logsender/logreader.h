#pragma once

#include <QByteArray>
#include <QString>

// The lines of a log file that follow the first `skip` lines, as far as they are complete.
struct LogChunk {
    QByteArray text;          // the non-empty lines taken, each with its line end
    qint64 consumed = 0;      // complete lines taken after the skipped ones, empty ones included
    int taken = 0;            // non-empty lines in `text`
    bool reachedEnd = false;  // no further complete line after the ones consumed
};

// Reads `path` from its beginning, passes over `skip` complete lines and takes complete lines
// until `budget` non-empty ones are taken. A last line without its line end is still being
// written and is left for a later pass. Returns false when the file cannot be opened.
bool readLogChunk(const QString& path, qint64 skip, int budget, LogChunk* chunk);
