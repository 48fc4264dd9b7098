#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>

#include "gate_platform.h"

namespace qeto::gate {

bool bindThisThreadToCore(int core) {
    if (core < 0 || core >= CPU_SETSIZE) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    return pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
}

long sendWithoutWaiting(std::intptr_t socket, const char *data, std::size_t size) {
    return static_cast<long>(::send(static_cast<int>(socket), data, size, MSG_NOSIGNAL | MSG_DONTWAIT));
}

// File names are bytes here; UTF-8 ones open as they are.
std::FILE *openUtf8ForReading(const std::string &utf8Path) { return std::fopen(utf8Path.c_str(), "rb"); }

}  // namespace qeto::gate
