#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <climits>
#include <cstdio>

#include "platform.h"

namespace qeto::sim::platform {

std::tm localTime(std::time_t t) {
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

// Code page 936 is Windows' GBK; every Windows has it, so no conversion library is needed.
std::string utf8ToGbk(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX / 2) return std::string();
    const int n = static_cast<int>(utf8.size());
    // Malformed UTF-8 turns into U+FFFD here and into '?' below.
    const int wn = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
    if (wn <= 0) return std::string();
    std::wstring wide(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, &wide[0], wn);
    const int gn = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wn, nullptr, 0, "?", nullptr);
    if (gn <= 0) return std::string();
    std::string out(static_cast<std::size_t>(gn), '\0');
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wn, &out[0], gn, "?", nullptr);
    return out;
}

void binaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace qeto::sim::platform
