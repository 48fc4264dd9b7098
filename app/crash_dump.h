// Crash dumps: a file named after the local time of the crash, in the working directory.
// No Qt in here: the Windows unit includes this header alone.
#ifndef QETO_CRASH_DUMP_H
#define QETO_CRASH_DUMP_H

#include <cstddef>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX  // keep std::min/std::max usable beside Qt
#endif
#include <windows.h>

// Writes a minidump of the process and ends it without the system's crash dialog.
LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS *pointers);
#endif

// Windows: installs crashDumpFilter as the unhandled-exception filter. Elsewhere: installs a
// handler for the fatal signals that writes a text report under the same file name and then
// lets the signal take its default course.
void installCrashDumpFilter();

// Local date and time of a crash, as the dump name needs it.
struct CrashTime {
    unsigned short year, month, day, hour, minute, second, millisecond;
};

// Writes "YYYYMMDD_hhmmssmmm.dmp" plus a terminating zero into out (which holds at least
// size characters) and returns the length without the zero, or 0 when it does not fit.
// Each number is zero-padded to its width and never cut, like "%04hu%02hu%02hu_%02hu%02hu%02hu%03hu.dmp".
// Plain loops only: it runs inside a crashed process.
template <typename Char>
std::size_t formatCrashDumpName(Char *out, std::size_t size, const CrashTime &t) {
    struct Field {
        unsigned value;
        unsigned width;
        char after;
    };
    const Field fields[] = {{t.year, 4, 0},   {t.month, 2, 0},  {t.day, 2, '_'},      {t.hour, 2, 0},
                            {t.minute, 2, 0}, {t.second, 2, 0}, {t.millisecond, 3, 0}};
    std::size_t n = 0;
    for (const Field &f : fields) {
        char digits[8];
        unsigned count = 0;
        unsigned v = f.value;
        do {
            digits[count++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        while (count < f.width) digits[count++] = '0';
        if (n + count + 1 > size) return 0;
        while (count > 0) out[n++] = static_cast<Char>(digits[--count]);
        if (f.after) {
            if (n + 2 > size) return 0;
            out[n++] = static_cast<Char>(f.after);
        }
    }
    const char ext[] = ".dmp";
    if (n + sizeof(ext) > size) return 0;
    for (std::size_t i = 0; i < sizeof(ext); ++i) out[n + i] = static_cast<Char>(ext[i]);
    return n + sizeof(ext) - 1;
}

#endif  // QETO_CRASH_DUMP_H
