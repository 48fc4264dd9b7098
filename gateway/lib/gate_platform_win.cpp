#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>

#include "gate_platform.h"

namespace qeto::gate {

bool bindThisThreadToCore(int core) {
    // One affinity mask covers the cores of the thread's processor group.
    if (core < 0 || core >= static_cast<int>(sizeof(DWORD_PTR) * CHAR_BIT)) return false;
    return SetThreadAffinityMask(GetCurrentThread(), DWORD_PTR(1) << core) != 0;
}

// Winsock has no per-call non-blocking flag; requests wait for the io thread as before.
long sendWithoutWaiting(std::intptr_t, const char *, std::size_t) { return -1; }

std::FILE *openUtf8ForReading(const std::string &utf8Path) {
    // A narrow name would be read in the ANSI code page, so an install folder with Chinese
    // characters would not be found: go through the UTF-16 name.
    if (utf8Path.empty() || utf8Path.size() > INT_MAX) return nullptr;
    const int n = static_cast<int>(utf8Path.size());
    const int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), n, nullptr, 0);
    if (wn <= 0) {
        // Not UTF-8 at all: a caller still handing over an ANSI name gets what it got before.
        return std::fopen(utf8Path.c_str(), "rb");
    }
    std::wstring wide(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), n, &wide[0], wn);
    return _wfopen(wide.c_str(), L"rb");
}

}  // namespace qeto::gate
