#include "dumpfile.h"

#include "crashclock.h"
#include "crashreport.h"
#include "crashtext.h"
#include "ztdatadir.h"

#include <QFile>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace pixvue {

namespace {

using crash::CivilTime;
using crash::FixedText;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kPathCapacity = PATH_MAX;
constexpr std::size_t kAltStackSize = 256 * 1024;
constexpr unsigned kMaxClosedDescriptor = 65536;

// Everything the handler needs, prepared at installation.
struct CrashSetup {
    char program[kPathCapacity];
    char reporter[kPathCapacity];
    char traceDir[kPathCapacity];
    char dumpDir[kPathCapacity];
    unsigned closeLimit = 1024;
    crash::CrashClock clock;
};

CrashSetup g_setup;
alignas(16) char g_altStack[kAltStackSize];
std::atomic<long> g_handlerThread{0};

// Scratch space of the one thread inside the handler.
FixedText g_path;
FixedText g_line;
char g_dumpName[64];

bool copyPath(char (&target)[kPathCapacity], const QByteArray& path) {
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= kPathCapacity - 64) {
        return false;
    }
    std::memcpy(target, path.constData(), path.size());
    target[path.size()] = '\0';
    return true;
}

QByteArray ownProgramPath() {
    char path[kPathCapacity];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? QByteArray(path, static_cast<int>(length)) : QByteArray();
}

unsigned descriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kMaxClosedDescriptor;
    }
    return limit.rlim_cur < kMaxClosedDescriptor ? static_cast<unsigned>(limit.rlim_cur)
                                                 : kMaxClosedDescriptor;
}

bool preparePaths() {
    const QByteArray dataDir = QFile::encodeName(ztlog::ensureDataDirectory());
    const QByteArray program = ownProgramPath();
    const QByteArray programDir = program.left(program.lastIndexOf('/'));
    return copyPath(g_setup.program, program) &&
           copyPath(g_setup.reporter, programDir + "/QFaultPost") &&
           copyPath(g_setup.traceDir, dataDir + "Trace/") &&
           copyPath(g_setup.dumpDir, dataDir + "DumpFile/");
}

bool installAltStack() {
    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof(g_altStack);
    return ::sigaltstack(&stack, nullptr) == 0;
}

bool installHandlers() {
    struct sigaction action {};
    action.sa_sigaction = ApplicationCrashHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A fault inside the handler then ends the process at once (the kernel forces it).
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    bool installed = true;
    for (int signal : kFatalSignals) {
        installed = ::sigaction(signal, &action, nullptr) == 0 && installed;
    }
    return installed;
}

// ---- inside the handler -----------------------------------------------------------------

long currentThread() {
    return ::syscall(SYS_gettid);
}

[[noreturn]] void endProcess(int signal) {
    ::_exit(128 + signal);
}

// Another thread is writing the report; the process ends when it is done.
[[noreturn]] void waitForOtherHandler(int signal) {
    for (int i = 0; i < 600; ++i) {
        timespec pause{0, 100 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    endProcess(signal);
}

void addLogTime(FixedText& text, const CivilTime& t) {
    text.dec(t.year, 4).ch('-').dec(t.month, 2).ch('-').dec(t.day, 2).ch(' ');
    text.dec(t.hour, 2).ch(':').dec(t.minute, 2).ch(':').dec(t.second, 2).ch(',');
    text.dec(t.millisecond, 3);
}

// One info line in the day's log, in the format of the "default" logger.
void writeLogLine(int sourceLine, const char* message, const char* tail) {
    const CivilTime now = g_setup.clock.localNow();
    g_path.clear();
    g_path.text(g_setup.traceDir).dec(now.year, 4).dec(now.month, 2).dec(now.day, 2).text(".log");
    ::mkdir(g_setup.traceDir, 0755);
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return;
    }
    g_line.clear();
    g_line.ch('[');
    addLogTime(g_line, now);
    g_line.text("][INFO]-->[ApplicationCrashHandler,").dec(sourceLine).text("] ");
    g_line.text(message).text(tail).ch('\n');
    ssize_t written;
    do {
        written = ::write(fd, g_line.c_str(), g_line.size());
    } while (written < 0 && errno == EINTR);
    ::close(fd);
}

void makeDumpName(const CivilTime& t) {
    FixedText name;
    name.text("zentarHeic_").dec(t.year, 4).dec(t.month, 2).dec(t.day, 2);
    name.dec(t.hour, 2).dec(t.minute, 2).dec(t.second, 2).text(".dmp");
    std::memcpy(g_dumpName, name.c_str(), name.size() + 1);
}

bool writeDump(int signal, siginfo_t* info, void* context, const CivilTime& time) {
    g_path.clear();
    g_path.text(g_setup.dumpDir).text(g_dumpName);
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    {
        crash::FdWriter out(fd);
        crash::CrashFacts facts;
        facts.signal = signal;
        facts.info = info;
        facts.context = context;
        facts.program = g_setup.program;
        facts.time = time;
        crash::writeCrashReport(out, facts);
    }
    ::close(fd);
    return true;
}

void closeInheritedDescriptors() {
    if (::close_range(3, ~0U, 0) == 0) {
        return;
    }
    for (unsigned fd = 3; fd < g_setup.closeLimit; ++fd) {
        ::close(static_cast<int>(fd));
    }
}

// fork + execv of the bug reporter, detached: its own session, a clean signal mask, only the
// standard streams.
void startReporter() {
    if (::access(g_setup.reporter, X_OK) != 0) {
        return;
    }
    // As a detached start with the arguments [program, dump name]: argv[0] is the program.
    char* const arguments[] = {g_setup.reporter, g_setup.reporter, g_dumpName, nullptr};
    const pid_t child = ::_Fork();
    if (child != 0) {
        return;
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setsid();
    closeInheritedDescriptors();
    ::execv(g_setup.reporter, arguments);
    ::_exit(127);
}

}  // namespace

bool installApplicationCrashHandler() {
    if (!preparePaths()) {
        std::fputs("Pixvue: crash capture not installed (program or data path too long)\n", stderr);
        return false;
    }
    g_setup.closeLimit = descriptorLimit();
    g_setup.clock.prepare(std::time(nullptr));
    crash::prepareCrashReport();
    const bool stackReady = installAltStack();
    return installHandlers() && stackReady;
}

void ApplicationCrashHandler(int signal, siginfo_t* info, void* context) {
    const long self = currentThread();
    long expected = 0;
    if (!g_handlerThread.compare_exchange_strong(expected, self)) {
        if (expected == self) {
            endProcess(signal);
        }
        waitForOtherHandler(signal);
    }
    writeLogLine(__LINE__, g_setup.dumpDir, "");
    ::mkdir(g_setup.dumpDir, 0700);
    const CivilTime now = g_setup.clock.localNow();
    makeDumpName(now);
    if (!writeDump(signal, info, context, now)) {
        endProcess(signal);
    }
    writeLogLine(__LINE__, "start FaultPost file :", g_setup.reporter);
    startReporter();
    endProcess(signal);
}

}  // namespace pixvue
