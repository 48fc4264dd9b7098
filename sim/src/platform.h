// What the simulator does differently on POSIX systems and on Windows.
#ifndef QETO_SIM_PLATFORM_H
#define QETO_SIM_PLATFORM_H

#include <ctime>
#include <string>
#include <string_view>

namespace qeto::sim::platform {

// Local broken-down time of t.
std::tm localTime(std::time_t t);

// UTF-8 text in GBK; a character GBK cannot hold (or a malformed sequence) becomes '?'.
std::string utf8ToGbk(std::string_view utf8);

// Standard output writes bytes as they are (no "\r\n" for "\n"), so the port line reads the
// same everywhere.
void binaryStdout();

}  // namespace qeto::sim::platform

#endif
