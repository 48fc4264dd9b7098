// Fatal-signal report for platforms without minidumps. The handler uses async-signal-safe
// calls only; everything that might allocate or take a lock is done once at install time.
#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "crash_dump.h"

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kMaxFrames = 128;
constexpr std::size_t kAltStackSize = 256 * 1024;

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

    line.str("backtrace:\n").writeTo(fd);
    void *frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);
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
                close(fd);
            }
        }
        gReportDone = true;
    } else {
        // Another thread crashed first and is writing the report: one report per crash, and
        // this signal must not end the process before that report is complete. Bounded, in
        // case the first writer is stuck.
        for (int i = 0; i < 300 && !gReportDone.load(); ++i) {
            timespec pause = {0, 10 * 1000 * 1000};
            nanosleep(&pause, nullptr);
        }
    }
    errno = savedErrno;
    // The disposition is back to default; the signal stays blocked until we return, then ends
    // the process the usual way (core file, exit status), also for signals that were sent by kill().
    raise(sig);
}

}  // namespace

void installCrashDumpFilter() {
    const time_t now = time(nullptr);
    tm local{};
    if (localtime_r(&now, &local)) gUtcOffsetSeconds = local.tm_gmtoff;

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
