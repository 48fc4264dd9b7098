#include "sim_text.h"

#include "platform.h"

namespace qeto::sim {

bool parseEncoding(std::string_view name, Encoding *out) {
    if (name == "utf8" || name == "utf-8" || name == "UTF-8") {
        *out = Encoding::Utf8;
        return true;
    }
    if (name == "gbk" || name == "GBK") {
        *out = Encoding::Gbk;
        return true;
    }
    return false;
}

std::string_view utf8Prefix(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) return utf8;
    std::size_t n = maxBytes;
    // Step back over continuation bytes so that no character is split.
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
    return utf8.substr(0, n);
}

std::string encodeFitting(std::string_view utf8, Encoding enc, std::size_t maxBytes) {
    if (enc == Encoding::Utf8) return std::string(utf8Prefix(utf8, maxBytes));
    std::string_view part = utf8;
    for (;;) {
        std::string gbk = platform::utf8ToGbk(part);
        if (gbk.size() <= maxBytes) return gbk;
        part = utf8Prefix(part, part.size() - 1);
    }
}

std::string timeText(int ms) {
    if (ms < 0) ms = 0;
    // HHMMSSmmm by hand: snprintf was most of a query page's cost.
    const int h = (ms / 3600000) % 100, m = (ms / 60000) % 60, s = (ms / 1000) % 60, z = ms % 1000;
    const char buf[9] = {char('0' + h / 10),  char('0' + h % 10),      char('0' + m / 10),
                         char('0' + m % 10),  char('0' + s / 10),      char('0' + s % 10),
                         char('0' + z / 100), char('0' + z / 10 % 10), char('0' + z % 10)};
    return std::string(buf, 9);
}

int parseTimeText(const char *f) {
    if (f[0] == '\0') return -1;
    int d[9];
    for (int i = 0; i < 9; ++i) {
        if (f[i] < '0' || f[i] > '9') return -1;
        d[i] = f[i] - '0';
    }
    const int h = d[0] * 10 + d[1], m = d[2] * 10 + d[3], s = d[4] * 10 + d[5];
    const int z = d[6] * 100 + d[7] * 10 + d[8];
    if (h > 23 || m > 59 || s > 59) return -1;
    return ((h * 60 + m) * 60 + s) * 1000 + z;
}

uint64_t timeNumber(int ms) {
    const uint64_t h = ms / 3600000, m = (ms / 60000) % 60, s = (ms / 1000) % 60, z = ms % 1000;
    return ((h * 100 + m) * 100 + s) * 1000 + z;
}

}  // namespace qeto::sim
