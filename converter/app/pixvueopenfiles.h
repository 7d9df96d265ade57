#pragma once

// Files and folders named on the command line ("pixvue a.heic folder/", the file manager's
// "Open with"), and the message that hands them from a later start to the running instance.

#include <QDir>
#include <QString>
#include <QStringList>

namespace pixvue {

// Sent after "raise_window_noop": this prefix, then the absolute paths, each after a NUL
// (which no file name holds).
inline constexpr const char* kOpenFilesMessage = "open_files";

// The paths among the program's arguments (without the program itself), made absolute
// against workingDirectory. "file:" URLs count as their local path; other arguments starting
// with "-" are options, and after "--" everything is a path.
QStringList pathsFromArguments(const QStringList& arguments, const QDir& workingDirectory);

QString openFilesMessage(const QStringList& paths);

// The characters of listed paths that a restart hands on its command line, well within the
// system's limit.
inline constexpr int kMaxRestartArgumentChars = 512 * 1024;
// The arguments of a restart that lists the same files again: the options of this start, then
// "--" and the listed paths (left out when they would not fit: kMaxRestartArgumentChars).
QStringList restartArguments(const QStringList& arguments, const QStringList& listedPaths);

// True when message is an open-files message; its paths go to paths.
bool parseOpenFilesMessage(const QString& message, QStringList* paths);

}  // namespace pixvue
