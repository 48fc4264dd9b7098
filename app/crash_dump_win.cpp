// Windows crash dump. Plain Win32 and dbghelp, no Qt.
#include <windows.h>

#include "crash_dump.h"
// dbghelp.h needs the types of windows.h first.
#include <dbghelp.h>

LONG WINAPI crashDumpFilter(EXCEPTION_POINTERS *pointers) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const CrashTime t = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    wchar_t name[64];
    if (formatCrashDumpName(name, sizeof(name) / sizeof(name[0]), t) == 0) return EXCEPTION_EXECUTE_HANDLER;

    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return EXCEPTION_EXECUTE_HANDLER;

    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = GetCurrentThreadId();
    info.ExceptionPointers = pointers;
    info.ClientPointers = TRUE;
    MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &info, nullptr, nullptr);
    CloseHandle(file);
    return EXCEPTION_EXECUTE_HANDLER;
}

void installCrashDumpFilter() { SetUnhandledExceptionFilter(crashDumpFilter); }
