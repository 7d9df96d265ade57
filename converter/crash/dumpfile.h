#pragma once

// Crash capture of the converter. A fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT)
// writes a crash report to data directory + "DumpFile/zentarHeic_yyyyMMddhhmmss.dmp", logs
// two lines, starts the bug reporter beside the program with [its path, the dump's file name]
// and ends the process with exit status 128 + signal (no core dump, no desktop crash dialog).

#include <csignal>

namespace pixvue {

// Installs ApplicationCrashHandler. Call first thing in main(), before any thread or Qt object
// exists: it works out every path, the local-time offsets and the unwinder here, and gives the
// calling thread the alternate stack the handler runs on. Creates the data directory. False
// (and a line on standard error) when the paths do not fit the handler's buffers.
bool installApplicationCrashHandler();

// The handler itself; async-signal-safe. A second fatal signal on the same thread ends the
// process at once; one on another thread waits while the first is written.
void ApplicationCrashHandler(int signal, siginfo_t* info, void* context);

}  // namespace pixvue
