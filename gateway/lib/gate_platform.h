// The few things the library does differently on POSIX systems and on Windows.
#ifndef QETO_GATE_PLATFORM_H
#define QETO_GATE_PLATFORM_H

#include <cstdio>
#include <string>

namespace qeto::gate {

// Binds the calling thread to one processor core; best effort, false when it was refused.
bool bindThisThreadToCore(int core);

// Opens the file named by a UTF-8 path for binary reading; nullptr when it cannot be opened.
std::FILE *openUtf8ForReading(const std::string &utf8Path);

}  // namespace qeto::gate

#endif  // QETO_GATE_PLATFORM_H
