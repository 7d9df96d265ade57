#include "crashreport.h"

#define UNW_LOCAL_ONLY
#include <libunwind.h>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pixvue::crash {

namespace {

constexpr int kMaxFrames = 128;
constexpr std::size_t kMapsCapacity = 2 * 1024 * 1024;

char g_maps[kMapsCapacity];
std::size_t g_mapsSize = 0;
bool g_mapsTruncated = false;

struct CodeName {
    int code;
    const char* name;
};

const CodeName kSegvCodes[] = {{SEGV_MAPERR, "SEGV_MAPERR, address not mapped"},
                               {SEGV_ACCERR, "SEGV_ACCERR, invalid permissions"}};
const CodeName kBusCodes[] = {{BUS_ADRALN, "BUS_ADRALN, invalid address alignment"},
                              {BUS_ADRERR, "BUS_ADRERR, nonexistent physical address"},
                              {BUS_OBJERR, "BUS_OBJERR, object-specific hardware error"}};
const CodeName kFpeCodes[] = {{FPE_INTDIV, "FPE_INTDIV, integer divide by zero"},
                              {FPE_INTOVF, "FPE_INTOVF, integer overflow"},
                              {FPE_FLTDIV, "FPE_FLTDIV, floating-point divide by zero"},
                              {FPE_FLTOVF, "FPE_FLTOVF, floating-point overflow"},
                              {FPE_FLTUND, "FPE_FLTUND, floating-point underflow"},
                              {FPE_FLTRES, "FPE_FLTRES, floating-point inexact result"},
                              {FPE_FLTINV, "FPE_FLTINV, invalid floating-point operation"},
                              {FPE_FLTSUB, "FPE_FLTSUB, subscript out of range"}};
const CodeName kIllCodes[] = {{ILL_ILLOPC, "ILL_ILLOPC, illegal opcode"},
                              {ILL_ILLOPN, "ILL_ILLOPN, illegal operand"},
                              {ILL_ILLADR, "ILL_ILLADR, illegal addressing mode"},
                              {ILL_ILLTRP, "ILL_ILLTRP, illegal trap"},
                              {ILL_PRVOPC, "ILL_PRVOPC, privileged opcode"},
                              {ILL_PRVREG, "ILL_PRVREG, privileged register"},
                              {ILL_COPROC, "ILL_COPROC, coprocessor error"},
                              {ILL_BADSTK, "ILL_BADSTK, internal stack error"}};
const CodeName kSenderCodes[] = {{SI_USER, "SI_USER, sent by kill"},
                                 {SI_TKILL, "SI_TKILL, sent by tkill or raise"},
                                 {SI_QUEUE, "SI_QUEUE, sent by sigqueue"},
                                 {SI_KERNEL, "SI_KERNEL, sent by the kernel"}};

template <std::size_t N>
const char* findCode(const CodeName (&codes)[N], int code) {
    for (const CodeName& entry : codes) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return nullptr;
}

const char* codeName(int signal, int code) {
    if (const char* sender = findCode(kSenderCodes, code)) {
        return sender;
    }
    switch (signal) {
        case SIGSEGV:
            return findCode(kSegvCodes, code);
        case SIGBUS:
            return findCode(kBusCodes, code);
        case SIGFPE:
            return findCode(kFpeCodes, code);
        case SIGILL:
            return findCode(kIllCodes, code);
        default:
            return nullptr;
    }
}

bool isSentByProcess(int code) {
    return code == SI_USER || code == SI_TKILL || code == SI_QUEUE;
}

const char* signalDescription(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "segmentation fault";
        case SIGBUS:
            return "bus error";
        case SIGFPE:
            return "arithmetic exception";
        case SIGILL:
            return "illegal instruction";
        case SIGABRT:
            return "aborted";
        default:
            return "fatal signal";
    }
}

void readWholeFile(const char* path, char* buffer, std::size_t capacity, std::size_t& size,
                   bool& truncated) {
    size = 0;
    truncated = false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    while (size < capacity) {
        const ssize_t got = ::read(fd, buffer + size, capacity - size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    char probe;
    truncated = size == capacity && ::read(fd, &probe, 1) > 0;
    ::close(fd);
}

// ---- memory map -------------------------------------------------------------------------

struct MapLine {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::uint64_t offset = 0;
    bool readable = false;
    const char* path = nullptr;
    std::size_t pathLength = 0;
};

const char* parseHex(const char* p, const char* end, std::uint64_t& value) {
    value = 0;
    for (; p < end; ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return p;
}

const char* skipField(const char* p, const char* end) {
    while (p < end && *p != ' ') {
        ++p;
    }
    while (p < end && *p == ' ') {
        ++p;
    }
    return p;
}

// "start-end perms offset dev inode   path"
bool parseMapLine(const char* line, const char* end, MapLine& out) {
    const char* p = parseHex(line, end, out.start);
    if (p >= end || *p != '-') {
        return false;
    }
    p = parseHex(p + 1, end, out.end);
    p = skipField(p, end);
    out.readable = p < end && *p == 'r';
    p = skipField(p, end);
    parseHex(p, end, out.offset);
    p = skipField(skipField(skipField(p, end), end), end);  // offset, dev, inode
    out.path = p;
    out.pathLength = static_cast<std::size_t>(end - p);
    return true;
}

template <typename Visit>
void forEachMapLine(Visit visit) {
    const char* p = g_maps;
    const char* const end = g_maps + g_mapsSize;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        MapLine line;
        if (parseMapLine(p, lineEnd, line) && !visit(line)) {
            return;
        }
        p = lineEnd + 1;
    }
}

bool samePath(const MapLine& a, const MapLine& b) {
    return a.pathLength == b.pathLength && std::memcmp(a.path, b.path, a.pathLength) == 0;
}

// The load bias of the ELF object mapped at base (read from its headers in memory); what
// addr2line expects is address - bias.
std::uint64_t loadBias(const MapLine& first) {
    const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(first.start);
    const std::uint64_t mapped = first.end - first.start;
    if (!first.readable || mapped < sizeof(ElfW(Ehdr)) ||
        std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 ||
        header->e_phoff + std::uint64_t(header->e_phnum) * sizeof(ElfW(Phdr)) > mapped) {
        return first.start;
    }
    const auto* segments = reinterpret_cast<const ElfW(Phdr)*>(first.start + header->e_phoff);
    for (int i = 0; i < header->e_phnum; ++i) {
        if (segments[i].p_type == PT_LOAD && segments[i].p_offset == 0) {
            const std::uint64_t pageStart = segments[i].p_vaddr & ~std::uint64_t(0xfff);
            return first.start - pageStart;
        }
    }
    return first.start;
}

struct ModuleAddress {
    MapLine module;
    std::uint64_t offset = 0;
    bool found = false;
};

ModuleAddress moduleOf(std::uint64_t address) {
    ModuleAddress result;
    forEachMapLine([&](const MapLine& line) {
        if (address >= line.start && address < line.end) {
            result.module = line;
            result.found = true;
            return false;
        }
        return true;
    });
    if (!result.found || result.module.pathLength == 0 || result.module.path[0] != '/') {
        result.offset = result.found ? address - result.module.start : address;
        return result;
    }
    MapLine first = result.module;
    bool haveFirst = false;
    forEachMapLine([&](const MapLine& line) {
        if (samePath(line, result.module) && line.offset == 0) {
            first = line;
            haveFirst = true;
            return false;
        }
        return true;
    });
    result.offset =
        address - (haveFirst ? loadBias(first) : result.module.start - result.module.offset);
    return result;
}

// ---- sections ---------------------------------------------------------------------------

void writeTime(TextSink& out, const CivilTime& t) {
    out.dec(t.year, 4).ch('-').dec(t.month, 2).ch('-').dec(t.day, 2).ch(' ');
    out.dec(t.hour, 2).ch(':').dec(t.minute, 2).ch(':').dec(t.second, 2);
    const long offset = t.utcOffsetSeconds < 0 ? -t.utcOffsetSeconds : t.utcOffsetSeconds;
    out.ch(' ')
        .ch(t.utcOffsetSeconds < 0 ? '-' : '+')
        .dec(offset / 3600, 2)
        .dec(offset / 60 % 60, 2);
}

void writeHeader(TextSink& out, const CrashFacts& facts) {
    out.text("Pixvue crash report\n");
    out.text("program: ").text(facts.program).ch('\n');
    out.text("process: ").dec(::getpid()).ch('\n');
    out.text("time: ");
    writeTime(out, facts.time);
    out.ch('\n');
}

void writeSignal(TextSink& out, const CrashFacts& facts) {
    out.text("signal: ").dec(facts.signal).text(" (").text(signalName(facts.signal));
    out.text(", ").text(signalDescription(facts.signal)).text(")\n");
    if (facts.info == nullptr) {
        return;
    }
    const int code = facts.info->si_code;
    const char* name = codeName(facts.signal, code);
    out.text("code: ").dec(code).text(" (").text(name != nullptr ? name : "unknown").text(")\n");
    if (isSentByProcess(code)) {
        out.text("sent by process: ").dec(facts.info->si_pid).text(", user ");
        out.dec(facts.info->si_uid).ch('\n');
    } else {
        out.text("fault address: 0x");
        out.hex(reinterpret_cast<std::uintptr_t>(facts.info->si_addr), 16).ch('\n');
    }
}

void writeThread(TextSink& out) {
    out.text("thread: ").dec(::syscall(SYS_gettid));
    char name[64];
    std::size_t size = 0;
    bool truncated = false;
    readWholeFile("/proc/thread-self/comm", name, sizeof(name) - 1, size, truncated);
    while (size > 0 && name[size - 1] == '\n') {
        --size;
    }
    if (size > 0) {
        out.text(" (");
        out.put(name, size);
        out.ch(')');
    }
    out.ch('\n');
}

#if defined(__x86_64__)
struct RegisterName {
    const char* name;
    int index;
};
const RegisterName kRegisters[] = {{"rax", REG_RAX}, {"rbx", REG_RBX},       {"rcx", REG_RCX},
                                   {"rdx", REG_RDX}, {"rsi", REG_RSI},       {"rdi", REG_RDI},
                                   {"rbp", REG_RBP}, {"rsp", REG_RSP},       {"r8", REG_R8},
                                   {"r9", REG_R9},   {"r10", REG_R10},       {"r11", REG_R11},
                                   {"r12", REG_R12}, {"r13", REG_R13},       {"r14", REG_R14},
                                   {"r15", REG_R15}, {"rip", REG_RIP},       {"eflags", REG_EFL},
                                   {"err", REG_ERR}, {"trapno", REG_TRAPNO}, {"cr2", REG_CR2}};

void writeRegisters(TextSink& out, const CrashFacts& facts) {
    out.text("registers:\n");
    if (facts.context == nullptr) {
        return;
    }
    const auto* context = static_cast<const ucontext_t*>(facts.context);
    int column = 0;
    for (const RegisterName& reg : kRegisters) {
        out.text("  ").text(reg.name);
        for (std::size_t pad = textLength(reg.name); pad < 6; ++pad) {
            out.ch(' ');
        }
        out.text(" 0x").hex(static_cast<std::uint64_t>(context->uc_mcontext.gregs[reg.index]), 16);
        if (++column % 4 == 0) {
            out.ch('\n');
        }
    }
    out.ch('\n');
}
#else
void writeRegisters(TextSink& out, const CrashFacts&) {
    out.text("registers: not recorded on this architecture\n");
}
#endif

void writeFrame(TextSink& out, int index, unw_cursor_t& cursor) {
    unw_word_t ip = 0;
    unw_get_reg(&cursor, UNW_REG_IP, &ip);
    // A caller's address is a return address: look up the call instruction before it.
    const std::uint64_t lookup = index == 0 || unw_is_signal_frame(&cursor) > 0 ? ip : ip - 1;
    const ModuleAddress where = moduleOf(lookup);
    out.text("  #").dec(index, 2).text(" 0x").hex(ip, 16).ch(' ');
    if (where.found && where.module.pathLength > 0) {
        out.put(where.module.path, where.module.pathLength);
    } else {
        out.ch('?');
    }
    out.text(" +0x").hex(where.offset);
    char symbol[256];
    unw_word_t symbolOffset = 0;
    if (unw_get_proc_name(&cursor, symbol, sizeof(symbol), &symbolOffset) == 0) {
        out.text(" (").text(symbol).text("+0x").hex(symbolOffset).ch(')');
    }
    out.ch('\n');
}

void writeBacktrace(TextSink& out, const CrashFacts& facts) {
    out.text("backtrace (module +offset; addr2line -f -C -e MODULE OFFSET gives file and line):\n");
    unw_cursor_t cursor;
    unw_context_t own;
    auto* context = static_cast<unw_context_t*>(facts.context);
    bool ready =
        context != nullptr && unw_init_local2(&cursor, context, UNW_INIT_SIGNAL_FRAME) == 0;
    if (!ready) {
        unw_getcontext(&own);
        ready = unw_init_local(&cursor, &own) == 0;
    }
    for (int index = 0; ready && index < kMaxFrames; ++index) {
        writeFrame(out, index, cursor);
        if (unw_step(&cursor) <= 0) {
            return;
        }
    }
    if (ready) {
        out.text("  (cut after ").dec(kMaxFrames).text(" frames)\n");
    }
}

void writeMemoryMap(TextSink& out) {
    out.text("memory map:\n");
    out.put(g_maps, g_mapsSize);
    if (g_mapsTruncated) {
        out.text("(memory map cut after ")
            .dec(static_cast<long long>(g_mapsSize))
            .text(" bytes)\n");
    }
}

}  // namespace

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

void prepareCrashReport() {
    unw_set_caching_policy(unw_local_addr_space, UNW_CACHE_NONE);
    // One unwind of the current stack, so that libunwind sets itself up here.
    unw_context_t context;
    unw_cursor_t cursor;
    unw_getcontext(&context);
    if (unw_init_local(&cursor, &context) == 0) {
        char symbol[64];
        unw_word_t offset = 0;
        unw_get_proc_name(&cursor, symbol, sizeof(symbol), &offset);
        for (int i = 0; i < 4 && unw_step(&cursor) > 0; ++i) {
        }
    }
}

void writeCrashReport(TextSink& out, const CrashFacts& facts) {
    readWholeFile("/proc/self/maps", g_maps, kMapsCapacity, g_mapsSize, g_mapsTruncated);
    writeHeader(out, facts);
    writeSignal(out, facts);
    writeThread(out);
    writeRegisters(out, facts);
    out.flush();  // on disk before the unwinder walks a stack that may be damaged
    writeBacktrace(out, facts);
    writeMemoryMap(out);
    out.text("end of report\n");
}

}  // namespace pixvue::crash
