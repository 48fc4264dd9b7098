#include <iconv.h>

#include <cerrno>

#include "platform.h"

namespace qeto::sim::platform {

std::tm localTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::string utf8ToGbk(std::string_view utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out(utf8.size() * 2 + 8, '\0');
    char *in = const_cast<char *>(utf8.data());
    std::size_t inLeft = utf8.size();
    char *dst = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                ++in;
                --inLeft;
                while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
                    ++in;
                    --inLeft;
                }
                if (outLeft == 0) break;
                *dst++ = '?';
                --outLeft;
            } else {
                break;
            }
        }
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

void binaryStdout() {}

}  // namespace qeto::sim::platform
