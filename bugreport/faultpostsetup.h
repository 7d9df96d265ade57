#pragma once

// Start-up pieces of the bug reporter that main() and the tests share.

#include <QString>
#include <QStringList>

class QTranslator;

namespace qfaultpost {

// True for a plain file name: not empty, not "." or "..", no "/" or "\", no control characters.
bool isBareFileName(const QString& name);

// The dump's file name: the last argument after the program's own. Anything but a bare file
// name (or no argument at all) gives an empty name: the report then carries the description only.
QString dumpFileNameFromArguments(const QStringList& arguments);
QString dumpFileNameFromCommandLine(int argc, char* argv[]);

// Loads the Chinese translation into translator when the stored language is Chinese, else the
// English one (it mends wordings of the source texts).
bool loadTranslation(QTranslator& translator);

// The converter beside this program.
QString converterProgramPath();

}  // namespace qfaultpost
