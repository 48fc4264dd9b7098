// Ends the process at once with the given status: no static destructors, no atexit handlers.
// std::quick_exit would do, but MinGW's runtime lacks it; std::_Exit exists everywhere and,
// with no at_quick_exit handlers registered anywhere, behaves the same.
#ifndef QETO_IMMEDIATE_EXIT_H
#define QETO_IMMEDIATE_EXIT_H

#include <cstdio>
#include <cstdlib>

namespace qeto {

// Flushes every C stream first: _Exit itself leaves buffered output unwritten.
[[noreturn]] inline void immediateExit(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace qeto

#endif  // QETO_IMMEDIATE_EXIT_H
