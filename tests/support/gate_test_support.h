// Helpers shared by the gateway library suites: a recording callback table, a small fake
// counter on a local port and parameter files.
#ifndef GATE_TEST_SUPPORT_H
#define GATE_TEST_SUPPORT_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qeto_gate_api.h"
#include "qeto_wire.h"
#include "sim_process.h"

namespace gatetest {

using namespace std::chrono_literals;

// Callback slots of SpiCallbackTable; an answer's is its type less RspBase.
#define GT_SLOT(name, type, record, callback) k##name = type - qeto::wire::RspBase,
enum Slot { kFrontConnect = 0, kFrontDisconnected = 4, kApiMsg = 5, QETO_WIRE_ANSWERS(GT_SLOT) };
#undef GT_SLOT

struct Event {
    int slot = -1;
    std::vector<uint8_t> record;
    CQetoRspInfo info{};
    uint32_t session = 0;
    int requestId = 0;
    bool last = false;
    int reason = 0;    // onFrontDisconnected
    int level = 0;     // onApiMsg
    std::string text;  // onApiMsg
    std::thread::id thread;

    template <class R>
    R as() const {
        R r{};
        std::memcpy(&r, record.data(), std::min(sizeof r, record.size()));
        return r;
    }
};

// Everything the library reports, in order. The callbacks carry no user data, so one
// recorder serves the whole process.
class Recorder {
public:
    static Recorder &get();
    void add(Event e);
    void clear();
    std::vector<Event> events();
    std::vector<Event> of(int slot);
    size_t count(int slot);
    // Waits until pred(events) holds; false on timeout.
    bool waitFor(const std::function<bool(const std::vector<Event> &)> &pred, std::chrono::milliseconds timeout = 10s);
    bool waitCount(int slot, size_t n, std::chrono::milliseconds timeout = 10s);
    // Called after every recorded event, on the library's thread.
    void setHook(std::function<void(const Event &)> hook);
    // Callbacks while this is set count as violations.
    std::atomic<bool> forbidden{false};
    std::atomic<int> violations{0};
    std::atomic<long> calls{0};

private:
    std::mutex mu_;
    std::condition_variable cv_;
    std::vector<Event> events_;
    std::function<void(const Event &)> hook_;
};

SpiCallbackTable recordingTable();

// A parameter file in a temporary directory of its own, or in a folder of that name inside it.
class ParamFile {
public:
    explicit ParamFile(const std::string &url, const std::string &extra = "", const std::string &folder = "");
    ~ParamFile();
    const std::string &path() const { return path_; }
    GatewayStartApiField start() const;

private:
    std::string dir_;
    std::string folder_;
    std::string path_;
};

// A parameter file's URL entry for a counter on this machine.
inline std::string url(uint16_t port) { return "tcp://127.0.0.1:" + std::to_string(port); }

// Creates `entry`, registers `table` and starts it from `pf`: the first non-zero result, else 0.
int startEntry(const ParamFile &pf, int entry = 0, const SpiCallbackTable &table = recordingTable());

// A counter stand-in for the tests: a poll loop on a thread of its own.
class FakeCounter {
public:
    struct Conn {
        int fd = -1;
        std::string in;
        std::string out;
        bool blast = false;
        long blastLeft = -1;  // chunks still to blast; negative: no end
        size_t maxWrite = 0;  // bytes per write; 0: as many as the socket takes
        void send(const std::string &bytes) { out += bytes; }
    };
    using FrameHandler = std::function<void(Conn &, const qeto::wire::FrameHeader &, const uint8_t *)>;

    FakeCounter();
    ~FakeCounter();
    uint16_t port() const { return port_; }
    // Set before start().
    std::function<void(Conn &)> onAccept;
    FrameHandler onFrame;
    std::string blastChunk;  // written again and again to connections with blast set
    // Small receive buffers for the connections still to come, so that a short stall fills them.
    void setReceiveBuffer(int bytes);
    void start();
    void stop();
    void dropAll();  // closes every client connection (from any thread)
    int open() const { return open_.load(); }
    int accepted() const { return accepted_.load(); }
    std::vector<qeto::wire::FrameHeader> received();
    std::vector<std::string> payloads();

    // Answers login (session 77, "SH01", max id 41), heartbeats, and every other request
    // with nothing.
    static void defaultHandler(Conn &c, const qeto::wire::FrameHeader &h, const uint8_t *payload);

private:
    void loop();
    int listenFd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> drop_{false};
    std::atomic<int> open_{0};
    std::atomic<int> accepted_{0};
    std::mutex mu_;
    std::vector<qeto::wire::FrameHeader> received_;
    std::vector<std::string> payloads_;
};

// Builds one answer frame of `count` units of (record, rsp info).
template <class R>
std::string answerFrame(uint16_t type, const std::vector<R> &records, const std::vector<CQetoRspInfo> &infos,
                        int requestId, uint32_t session, bool last) {
    const qeto::wire::FrameHeader h =
        qeto::wire::frameHeader(type, static_cast<uint32_t>(records.size() * (sizeof(R) + sizeof(CQetoRspInfo))),
                                requestId, session, static_cast<uint16_t>(records.size()), last);
    std::string s(reinterpret_cast<const char *>(&h), sizeof h);
    for (size_t i = 0; i < records.size(); ++i) {
        s.append(reinterpret_cast<const char *>(&records[i]), sizeof(R));
        s.append(reinterpret_cast<const char *>(&infos[i]), sizeof(CQetoRspInfo));
    }
    return s;
}

std::string headerOnly(uint32_t length, uint16_t type, uint16_t count);

// The simulator as a child process on free ports.
using qeto::test::simPath;
using qeto::test::SimProcess;

// Checks state the recorder does not see (the fake counter's, the process's) until it holds.
bool pollUntil(const std::function<bool()> &pred, std::chrono::milliseconds timeout = 10s);

size_t countEntries(const char *dir);               // /proc/self/task, /proc/self/fd
std::string text(const char *field, size_t width);  // bounded by the field
void put(char *field, size_t width, const std::string &value);

}  // namespace gatetest

#define GT_PUT(field, value) ::gatetest::put(field, sizeof(field), value)
#define GT_TEXT(field) ::gatetest::text(field, sizeof(field))

#endif  // GATE_TEST_SUPPORT_H
