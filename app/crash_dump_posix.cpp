// Fatal-signal report for platforms without minidumps. The handler uses async-signal-safe
// calls only; everything that might allocate or take a lock is done once at install time.
// After the raw report (this thread's addresses, build ids, mapped code) the handler starts
// a stack printer (eu-stack) in a child process, which appends every thread's stack with
// names and source lines; the raw part stands if the printer is missing, fails or hangs.
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "crash_dump.h"

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kMaxFrames = 128;
constexpr std::size_t kAltStackSize = 256 * 1024;
// How long the stack printer may take before the report goes without it.
constexpr int kHelperTimeoutS = 20;
constexpr int kMaxModules = 192;
constexpr char kHelperName[] = "eu-stack";

// Modules loaded when the handler was installed, with their build ids (read from the ELF
// notes then, as reading them in a crashed process is not safe).
struct Module {
    std::uintptr_t base;
    char buildId[41];
    char path[216];
};
Module gModules[kMaxModules];
int gModuleCount = 0;

// The stack printer runs under a shell script: timeout(1) kills it if it hangs, and SIGCONT
// afterwards resumes any thread a killed printer left stopped, so the process can end.
// Arguments: $1 the crashed pid, $2 the printer, $3 its limit in seconds. Its command line is laid out at install time,
// all but the pid, which is formatted at crash time.
constexpr char kShell[] = "/bin/sh";
constexpr char kPrinterScript[] =
    "PATH=$PATH:/usr/bin:/bin; timeout -s KILL \"$3\" \"$2\" -p \"$1\" -s -i -m -b -l; s=$?; kill -CONT \"$1\" "
    "2>/dev/null; exit $s";
char gHelperPath[256];
char gHelperPid[24];
char *gHelperArgv[8];

// localtime_r is not safe in a signal handler, so the offset from UTC is taken at install time.
long gUtcOffsetSeconds = 0;
std::atomic_flag gReporting = ATOMIC_FLAG_INIT;
std::atomic<bool> gReportDone{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used inside a signal handler");

const char *signalName(int sig) {
    switch (sig) {
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
    }
    return "?";
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int &y, unsigned &m, unsigned &d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

CrashTime localCrashTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);  // on the async-signal-safe list
    const long long local = static_cast<long long>(ts.tv_sec) + gUtcOffsetSeconds;
    long long days = local / 86400;
    long long secs = local % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    int y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    CrashTime t;
    t.year = static_cast<unsigned short>(y);
    t.month = static_cast<unsigned short>(m);
    t.day = static_cast<unsigned short>(d);
    t.hour = static_cast<unsigned short>(secs / 3600);
    t.minute = static_cast<unsigned short>(secs / 60 % 60);
    t.second = static_cast<unsigned short>(secs % 60);
    t.millisecond = static_cast<unsigned short>(ts.tv_nsec / 1000000);
    return t;
}

// A small fixed buffer that formats without the C library's formatted output.
struct Line {
    char text[256];
    std::size_t n = 0;

    Line &str(const char *s) {
        while (*s && n < sizeof(text)) text[n++] = *s++;
        return *this;
    }
    Line &num(unsigned long long v, unsigned base = 10, unsigned width = 1) {
        char digits[32];
        unsigned count = 0;
        do {
            digits[count++] = "0123456789abcdef"[v % base];
            v /= base;
        } while (v != 0 && count < sizeof(digits));
        while (count < width && count < sizeof(digits)) digits[count++] = '0';
        while (count > 0 && n < sizeof(text)) text[n++] = digits[--count];
        return *this;
    }
    Line &snum(long long v) {
        if (v < 0) {
            str("-");
            return num(0ULL - static_cast<unsigned long long>(v));
        }
        return num(static_cast<unsigned long long>(v));
    }
    void writeTo(int fd) {
        std::size_t done = 0;
        while (done < n) {
            const ssize_t w = write(fd, text + done, n - done);
            if (w <= 0) break;
            done += static_cast<std::size_t>(w);
        }
        n = 0;
    }
};

void writeMappedCode(int fd);

void writeReport(int fd, int sig, const siginfo_t *info, const CrashTime &t) {
    Line line;
    line.str("signal: ").snum(sig).str(" (").str(signalName(sig)).str(")\n").writeTo(fd);
    line.str("code: ").snum(info ? info->si_code : 0).str("\n").writeTo(fd);
    line.str("address: 0x").num(info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0, 16).str("\n").writeTo(fd);
    line.str("pid: ").snum(getpid()).str("\n").writeTo(fd);
    line.str("tid: ").snum(static_cast<long long>(syscall(SYS_gettid))).str("\n").writeTo(fd);
    line.str("time: ")
        .num(t.year, 10, 4)
        .str("-")
        .num(t.month, 10, 2)
        .str("-")
        .num(t.day, 10, 2)
        .str(" ")
        .num(t.hour, 10, 2)
        .str(":")
        .num(t.minute, 10, 2)
        .str(":")
        .num(t.second, 10, 2)
        .str(".")
        .num(t.millisecond, 10, 3)
        .str("\n")
        .writeTo(fd);

    char exe[200];
    const ssize_t len = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (len > 0) {
        exe[len] = '\0';
        line.str("executable: ").str(exe).str("\n").writeTo(fd);
    }

    if (gModuleCount > 0) line.str("build-id: ").str(gModules[0].buildId).str("\n").writeTo(fd);

    line.str("backtrace:\n").writeTo(fd);
    void *frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);

    // Load address and build id of every module: what a symbolizer needs to turn the
    // addresses above into names with the matching debug files.
    line.str("modules:\n").writeTo(fd);
    for (int i = 0; i < gModuleCount; ++i) {
        const Module &m = gModules[i];
        line.str("0x")
            .num(m.base, 16)
            .str(" ")
            .str(m.buildId[0] ? m.buildId : "-")
            .str(" ")
            .str(m.path)
            .str("\n")
            .writeTo(fd);
    }
    line.str("mapped code:\n").writeTo(fd);
    writeMappedCode(fd);
}

void writeAll(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t w = write(fd, data, size);
        if (w <= 0) return;
        data += w;
        size -= static_cast<std::size_t>(w);
    }
}

// Copies the file-backed executable mappings of /proc/self/maps: every module loaded at
// crash time, also those loaded after install, with the address range each occupies.
void writeMappedCode(int fd) {
    const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0) return;
    char buf[4096];
    char line[512];
    std::size_t n = 0;
    auto flushLine = [&]() {
        // "start-end perms offset dev inode path": keep lines with 'x' and an absolute path.
        const char *perms = static_cast<const char *>(std::memchr(line, ' ', n));
        const char *path = static_cast<const char *>(std::memchr(line, '/', n));
        if (perms && perms + 3 < line + n && perms[3] == 'x' && path) {
            writeAll(fd, line, n);
            writeAll(fd, "\n", 1);
        }
        n = 0;
    };
    for (;;) {
        const ssize_t got = read(maps, buf, sizeof(buf));
        if (got <= 0) break;
        for (ssize_t i = 0; i < got; ++i) {
            if (buf[i] == '\n')
                flushLine();
            else if (n < sizeof(line))
                line[n++] = buf[i];
        }
    }
    if (n > 0) flushLine();
    close(maps);
}

void sleepMs(long ms) {
    timespec pause = {ms / 1000, (ms % 1000) * 1000 * 1000};
    nanosleep(&pause, nullptr);
}

long long monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Runs the stack printer with its output appended to the report and waits for it. Raw clone
// instead of fork(): fork() runs the atfork handlers and takes the C library's locks, which
// the crashed thread may hold.
void runStackPrinter(int fd) {
    Line line;
    if (gHelperPath[0] == '\0') {
        line.str("threads: not listed (")
            .str(kHelperName)
            .str(" not found when the handler was installed)\n")
            .writeTo(fd);
        return;
    }
    line.num(static_cast<unsigned long long>(getpid()));
    std::memcpy(gHelperPid, line.text, line.n);
    gHelperPid[line.n] = '\0';
    line.n = 0;
    line.str("threads (").str(gHelperPath).str("):\n").writeTo(fd);

    // Our own SIGCHLD handling (or SIG_IGN, which reaps at once) must not take the child away.
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof(dfl));
    dfl.sa_handler = SIG_DFL;
    sigaction(SIGCHLD, &dfl, nullptr);

    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return;
    const long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
    if (child == 0) {
        // Wait until the parent has allowed us to trace it (Yama's ptrace_scope 1).
        char go;
        close(gate[1]);
        while (read(gate[0], &go, 1) < 0 && errno == EINTR) {
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (dup2(fd, STDOUT_FILENO) >= 0 && dup2(fd, STDERR_FILENO) >= 0) execve(kShell, gHelperArgv, environ);
        _exit(127);
    }
    close(gate[0]);
    if (child < 0) {
        close(gate[1]);
        line.str("threads: could not start the stack printer\n").writeTo(fd);
        return;
    }
    prctl(PR_SET_PTRACER, static_cast<unsigned long>(child), 0, 0, 0);
    close(gate[1]);  // end of file: the child goes on

    // The script bounds the printer itself; this wait is the backstop. It reads the clock
    // rather than counting naps, as the printer stops this thread while it reads its stack.
    int status = 0;
    pid_t done = 0;
    const long long deadline = monotonicMs() + kHelperTimeoutS * 1000 + 5000;
    while (done == 0 || (done < 0 && errno == EINTR)) {
        done = waitpid(static_cast<pid_t>(child), &status, WNOHANG);
        if (done == 0) {
            if (monotonicMs() > deadline) break;
            sleepMs(10);
        }
    }
    if (done == 0) {
        kill(static_cast<pid_t>(child), SIGKILL);
        waitpid(static_cast<pid_t>(child), &status, 0);
        status = 128 + SIGKILL;
    } else if (done > 0) {
        status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (status == 124 || status == 128 + SIGKILL)
        line.str("threads: stack printer stopped after ").snum(kHelperTimeoutS).str(" s\n").writeTo(fd);
    else if (done > 0)
        line.str("threads: stack printer exit status ").snum(status).str("\n").writeTo(fd);
    prctl(PR_SET_PTRACER, 0, 0, 0, 0);
}

void fatalSignalHandler(int sig, siginfo_t *info, void *) {
    const int savedErrno = errno;
    // SA_RESETHAND sends a fault inside this handler, or the same signal from another thread,
    // straight to the default action; only a different fatal signal can get here twice.
    if (!gReporting.test_and_set()) {
        const CrashTime t = localCrashTime();
        char name[64];
        if (formatCrashDumpName(name, sizeof(name), t) != 0) {
            const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) {
                writeReport(fd, sig, info, t);
                runStackPrinter(fd);
                close(fd);
            }
        }
        gReportDone = true;
    } else {
        // Another thread crashed first and is writing the report: one report per crash, and
        // this signal must not end the process before that report is complete. Bounded, in
        // case the first writer is stuck: the printer's limit plus a margin for the rest.
        const long long deadline = monotonicMs() + kHelperTimeoutS * 1000 + 8000;
        while (!gReportDone.load() && monotonicMs() < deadline) sleepMs(10);
    }
    errno = savedErrno;
    // The disposition is back to default; the signal stays blocked until we return, then ends
    // the process the usual way (core file, exit status), also for signals that were sent by kill().
    raise(sig);
}

void copyText(char *out, std::size_t size, const char *text) {
    std::size_t i = 0;
    for (; text[i] && i + 1 < size; ++i) out[i] = text[i];
    out[i] = '\0';
}

int addModule(dl_phdr_info *info, std::size_t, void *) {
    if (gModuleCount >= kMaxModules) return 1;
    Module &m = gModules[gModuleCount];
    m.base = info->dlpi_addr;
    m.buildId[0] = '\0';
    if (gModuleCount == 0) {
        // The executable comes first and has no name here.
        char exe[sizeof(m.path)];
        const ssize_t len = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        exe[len > 0 ? len : 0] = '\0';
        copyText(m.path, sizeof(m.path), exe);
    } else {
        if (!info->dlpi_name || info->dlpi_name[0] != '/') return 0;  // the vDSO and the like
        copyText(m.path, sizeof(m.path), info->dlpi_name);
    }
    for (int i = 0; i < info->dlpi_phnum && !m.buildId[0]; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_NOTE) continue;
        const char *p = reinterpret_cast<const char *>(info->dlpi_addr + ph.p_vaddr);
        const char *end = p + ph.p_memsz;
        while (p + sizeof(ElfW(Nhdr)) <= end) {
            const auto *note = reinterpret_cast<const ElfW(Nhdr) *>(p);
            const char *name = p + sizeof(ElfW(Nhdr));
            const char *desc = name + ((note->n_namesz + 3) & ~3u);
            if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
                std::size_t k = 0;
                for (unsigned j = 0; j < note->n_descsz && k + 2 < sizeof(m.buildId); ++j) {
                    const unsigned char b = static_cast<unsigned char>(desc[j]);
                    m.buildId[k++] = "0123456789abcdef"[b >> 4];
                    m.buildId[k++] = "0123456789abcdef"[b & 15];
                }
                m.buildId[k] = '\0';
                break;
            }
            p = desc + ((note->n_descsz + 3) & ~3u);
        }
    }
    ++gModuleCount;
    return 0;
}

// Finds the stack printer on PATH and lays out the script's command line. The printer shows
// every thread (-p), source lines and inlined frames (-s -i), module and build id with the
// offset per frame (-m -b), and the module map (-l).
void prepareStackPrinter() {
    gHelperPath[0] = '\0';
    const char *path = getenv("PATH");
    if (!path) return;
    for (const char *dir = path; *dir;) {
        const char *colon = std::strchr(dir, ':');
        const std::size_t len = colon ? static_cast<std::size_t>(colon - dir) : std::strlen(dir);
        if (len > 0 && len + 1 + sizeof(kHelperName) <= sizeof(gHelperPath)) {
            std::memcpy(gHelperPath, dir, len);
            gHelperPath[len] = '/';
            std::memcpy(gHelperPath + len + 1, kHelperName, sizeof(kHelperName));
            if (access(gHelperPath, X_OK) == 0) break;
        }
        gHelperPath[0] = '\0';
        if (!colon) break;
        dir = colon + 1;
    }
    static char sh[] = "sh", c[] = "-c", name[] = "qeto-crash-stack";
    static char script[sizeof(kPrinterScript)];
    std::memcpy(script, kPrinterScript, sizeof(script));
    static char limit[8];
    Line text;
    text.num(kHelperTimeoutS);
    std::memcpy(limit, text.text, text.n);
    limit[text.n] = '\0';
    char *argv[] = {sh, c, script, name, gHelperPid, gHelperPath, limit, nullptr};
    static_assert(sizeof(argv) <= sizeof(gHelperArgv), "argument table too small");
    std::memcpy(gHelperArgv, argv, sizeof(argv));
}

}  // namespace

void installCrashDumpFilter() {
    const time_t now = time(nullptr);
    tm local{};
    if (localtime_r(&now, &local)) gUtcOffsetSeconds = local.tm_gmtoff;

    gModuleCount = 0;
    dl_iterate_phdr(addModule, nullptr);
    prepareStackPrinter();

    // The first backtrace() loads its unwinder; do it here rather than in a crashed process.
    void *frames[4];
    backtrace(frames, 4);

    // A stack overflow leaves no stack for the handler; give this thread a spare one.
    static char *altStack = nullptr;
    if (!altStack) {
        altStack = new char[kAltStackSize];
        stack_t ss{};
        ss.ss_sp = altStack;
        ss.ss_size = kAltStackSize;
        ss.ss_flags = 0;
        sigaltstack(&ss, nullptr);
    }

    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = fatalSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : kFatalSignals) sigaction(sig, &action, nullptr);
}
