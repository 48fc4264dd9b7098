// Windows crash dump. Plain Win32 and dbghelp, no Qt.
#include <windows.h>

#include "crash_dump.h"
// dbghelp.h needs the types of windows.h first.
#include <dbghelp.h>

namespace {

// How long a crashed thread waits for its dump before the process ends anyway: the writer
// can block for good on a lock the crashed thread holds (the loader lock, a heap lock).
constexpr DWORD kDumpWaitMs = 60000;

// The dump is written by a thread started at install time, not by the crashed one: after a
// stack overflow the crashed thread has a few kilobytes of stack left, far less than
// MiniDumpWriteDump needs, and a second fault there would leave an empty file.
HANDLE gRequest = nullptr;
HANDLE gWritten = nullptr;
DWORD gWriterId = 0;
EXCEPTION_POINTERS *gPointers = nullptr;
DWORD gCrashedId = 0;

// The first crash owns the dump; dbghelp is single-threaded, and a second crash returning
// from the filter would end the process in the middle of the first one's dump.
volatile LONG gClaimed = 0;
volatile LONG gOwnerId = 0;

void writeDump(DWORD threadId, EXCEPTION_POINTERS *pointers) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const CrashTime t = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    wchar_t name[64];
    if (formatCrashDumpName(name, sizeof(name) / sizeof(name[0]), t) == 0) return;

    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;

    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = threadId;
    info.ExceptionPointers = pointers;
    // The pointers are in this very process: dbghelp reads them directly.
    info.ClientPointers = FALSE;
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &info, nullptr, nullptr);
    CloseHandle(file);
}

DWORD WINAPI dumpWriter(void *) {
    if (WaitForSingleObject(gRequest, INFINITE) == WAIT_OBJECT_0) {
        writeDump(gCrashedId, gPointers);
        SetEvent(gWritten);
    }
    return 0;
}

}  // namespace

LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS *pointers) {
    const DWORD self = GetCurrentThreadId();
    if (InterlockedCompareExchange(&gClaimed, 1, 0) != 0) {
        // A fault inside the dump itself ends the process with what was written.
        if (self == static_cast<DWORD>(gOwnerId) || self == gWriterId) return EXCEPTION_EXECUTE_HANDLER;
        // Another thread is writing the dump; its return ends the process, this thread with it.
        for (;;) Sleep(INFINITE);
    }
    InterlockedExchange(&gOwnerId, static_cast<LONG>(self));

    if (gRequest && gWritten && gWriterId != 0) {
        gPointers = pointers;
        gCrashedId = self;
        SetEvent(gRequest);
        WaitForSingleObject(gWritten, kDumpWaitMs);
    } else {
        writeDump(self, pointers);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

void installCrashDumpFilter() {
    gRequest = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    gWritten = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (gRequest && gWritten) {
        HANDLE writer = CreateThread(nullptr, 0, dumpWriter, nullptr, 0, &gWriterId);
        if (writer) {
            CloseHandle(writer);
        } else {
            gWriterId = 0;
        }
    }
    SetUnhandledExceptionFilter(crashDumpFilter);
}
