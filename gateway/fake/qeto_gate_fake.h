// Test API of the recording gateway double. Every exported function of the contract
// records its call (name, scalar arguments, a copy of the record bytes) and returns the
// result a test set for it (0 by default). Callbacks registered through registerSpi can be
// fired from a thread of the test's own, so queued delivery runs across real threads.
#ifndef QETO_GATE_FAKE_H
#define QETO_GATE_FAKE_H

#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "qeto_gate_api.h"

namespace qeto {
namespace fake {

struct Call {
    std::string function;
    std::vector<unsigned char> record;  // bytes of the first record argument; empty when none
    std::vector<unsigned char> extra;   // reqLogin: terminal record; insert/cancel: the 128-byte opaque block
    bool nullRecord = false;            // the first record pointer was null
    uint32_t sessionId = 0;
    int requestId = 0;
    int entryNo = 0;
    int length = 0;  // getVersion: buffer length
};

// Forgets every call, result, handler and the registered table.
void reset();

// Result of the next and every later call of `function` (default 0).
void setResult(const std::string &function, int result);

// Runs after a call of `function` has been recorded, on the caller's thread, before the
// result is returned; e.g. to answer a request through fireOnThread.
void setHandler(const std::string &function, std::function<void(const Call &)> handler);

std::vector<Call> calls();
std::vector<Call> callsOf(const std::string &function);
int countOf(const std::string &function);
std::vector<std::string> callNames();

// Copy of the record passed with the last call of `function`; zero-filled when none.
template <typename T>
T lastRecord(const std::string &function) {
    static_assert(std::is_trivially_copyable<T>::value, "records are plain bytes");
    T out;
    std::memset(&out, 0, sizeof out);
    const std::vector<Call> list = callsOf(function);
    if (!list.empty()) {
        const std::vector<unsigned char> &bytes = list.back().record;
        std::memcpy(&out, bytes.data(), bytes.size() < sizeof out ? bytes.size() : sizeof out);
    }
    return out;
}

// Whether registerSpi was called since the last reset, and the table it received.
bool hasTable();
SpiCallbackTable table();

// Runs `fn` with the registered table on a new thread and waits for that thread to end.
void fireOnThread(const std::function<void(const SpiCallbackTable &)> &fn);

// Text written by getVersion.
void setVersion(const std::string &text);

}  // namespace fake
}  // namespace qeto

#endif  // QETO_GATE_FAKE_H
