#pragma once

// The text of a crash report, written from inside a signal handler.

#include "crashclock.h"
#include "crashtext.h"

#include <csignal>

namespace pixvue::crash {

struct CrashFacts {
    int signal = 0;
    const siginfo_t* info = nullptr;
    void* context = nullptr;  // the handler's ucontext_t
    const char* program = "";
    CivilTime time;
};

// Prepares the unwinder outside a signal handler, so that its first use inside one loads
// nothing.
void prepareCrashReport();

// Header, signal, thread, registers, backtrace (module + offset per frame, for addr2line) and
// the memory map. Signal-safe; uses static buffers, so only one thread may write at a time.
void writeCrashReport(TextSink& out, const CrashFacts& facts);

// "SIGSEGV", "SIGBUS", ...; "signal" for others.
const char* signalName(int signal);

}  // namespace pixvue::crash
