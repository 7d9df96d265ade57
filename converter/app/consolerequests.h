#pragma once

// What the converter answers on the console, without a window: --help, --version, and the
// lack of a display.

namespace pixvue {

// For --help (-h) or --version as the only argument: prints the answer on standard output and
// returns the exit status (0); -1 for any other command line.
int answerConsoleRequest(int argc, char** argv);

// While the application object is made: a platform that cannot start (no display) prints one
// line on standard error and ends the process with status 1, before Qt aborts (which would
// leave a crash dump). Other messages are held and passed on by endDisplayCheck().
void beginDisplayCheck();
void endDisplayCheck();

}  // namespace pixvue
