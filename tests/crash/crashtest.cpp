// pixvue-crashtest MODE: installs the converter's crash handler as the converter does, logs one
// line, and dies the way MODE says: null, divzero, abort, overflow, thread, sigint.
// A descriptor without close-on-exec stays open on 42, for the bug reporter not to inherit.

#include "dumpfile.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

volatile int g_zero = 0;
volatile int g_seven = 7;
int* volatile g_nowhere = nullptr;

__attribute__((noinline)) void crashByNullPointer() {
    *g_nowhere = 1;
}

__attribute__((noinline)) int crashByDivisionByZero() {
    return g_seven / g_zero;
}

__attribute__((noinline)) void crashByAbort() {
    std::abort();
}

__attribute__((noinline)) int crashByStackOverflow(int depth) {
    if (depth < 0) {
        return 0;
    }
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return crashByStackOverflow(depth + 1) + frame[0];
}

__attribute__((noinline)) void crashOnWorkerThread() {
    std::thread worker([] { crashByNullPointer(); });
    worker.join();
}

void leaveDescriptorOpen() {
    const int fd = ::open("/dev/null", O_RDONLY);
    if (fd >= 0 && fd != 42) {
        ::dup2(fd, 42);
        ::close(fd);
    }
}

int crash(const char* mode) {
    if (std::strcmp(mode, "null") == 0) {
        crashByNullPointer();
    } else if (std::strcmp(mode, "divzero") == 0) {
        return crashByDivisionByZero();
    } else if (std::strcmp(mode, "abort") == 0) {
        crashByAbort();
    } else if (std::strcmp(mode, "overflow") == 0) {
        return crashByStackOverflow(g_zero);
    } else if (std::strcmp(mode, "thread") == 0) {
        crashOnWorkerThread();
    } else if (std::strcmp(mode, "sigint") == 0) {
        std::raise(SIGINT);
    }
    std::fprintf(stderr, "pixvue-crashtest: still alive after %s\n", mode);
    return 3;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!pixvue::installApplicationCrashHandler()) {
        return 4;
    }
    if (argc != 2) {
        std::fputs("usage: pixvue-crashtest null|divzero|abort|overflow|thread|sigint\n", stderr);
        return 2;
    }
    ztlog::setUpLogging();
    LOG(INFO) << "crash test: " << argv[1];
    el::Loggers::flushAll();
    leaveDescriptorOpen();
    return crash(argv[1]);
}
