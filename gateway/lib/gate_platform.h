// The few things the library does differently on POSIX systems and on Windows.
#ifndef QETO_GATE_PLATFORM_H
#define QETO_GATE_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qeto::gate {

// Binds the calling thread to one processor core; best effort, false when it was refused.
bool bindThisThreadToCore(int core);

// Sends what a connected socket takes at once, never waiting and never raising SIGPIPE: the
// count of bytes sent, or -1 when it took none (full, failed, or not done on this system).
long sendWithoutWaiting(std::intptr_t socket, const char *data, std::size_t size);

// Opens the file named by a UTF-8 path for binary reading; nullptr when it cannot be opened.
std::FILE *openUtf8ForReading(const std::string &utf8Path);

}  // namespace qeto::gate

#endif  // QETO_GATE_PLATFORM_H
