// One started API instance: its io thread, its connection to the counter and its callbacks.
#ifndef QETO_GATE_SESSION_H
#define QETO_GATE_SESSION_H

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gate_answers.h"
#include "gate_params.h"
#include "qeto_gate_api.h"
#include "qeto_wire.h"

namespace qeto::gate {

// Reasons handed to onFrontDisconnected.
enum DisconnectReason : int {
    kReasonReadFailure = 4097,       // peer closed or read error
    kReasonWriteFailure = 4098,      // write error
    kReasonHeartbeatTimeout = 8193,  // nothing received for too long
    kReasonProtocolError = 8194,     // the counter sent a frame we cannot use
};

// Request results; 0 means queued for sending.
enum RequestResult : int {
    kOk = 0,
    kNoInstance = -1,
    kBadArgument = -2,
    kNotConnected = -3,
    kNotLoggedIn = -4,
};

// The registered callbacks, shared between the instance and its io thread.
struct SpiHolder {
    std::mutex mu;
    SpiCallbackTable table{};
};

class Session {
public:
    Session(GateParams params, std::shared_ptr<SpiHolder> spi);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Starts the io thread; false when no thread could be made.
    static bool launch(const std::shared_ptr<Session> &self);
    // Stops the io thread and waits for it, unless called on it (then it ends after the
    // current callback). No callback runs after this returns.
    void shutdown();

    int enqueue(uint16_t type, uint32_t sessionId, int requestId, const void *a, size_t na, const void *b, size_t nb,
                bool needLogin);

private:
    using Clock = std::chrono::steady_clock;

    void threadMain();
    bool live() const { return !stopping_.load(std::memory_order_acquire); }
    SpiCallbackTable callbacks();
    void notice(int level, const char *fmt, ...) __attribute__((format(printf, 3, 4)));

    void connectTo(size_t index);
    void onConnectResult(uint64_t attempt, size_t index, const asio::error_code &ec);
    void scheduleRetry(int delayMs);
    void established();
    void lose(int reason, const std::string &why);

    void startRead();
    void onRead(uint64_t conn, const asio::error_code &ec, size_t n);

    void flush();
    void tick();
    void logFrame(const char *dir, const wire::FrameHeader &h);

    GateParams params_;
    std::shared_ptr<SpiHolder> spi_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;

    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    asio::ip::tcp::socket socket_;
    asio::ip::tcp::resolver resolver_;
    asio::steady_timer connectTimer_;
    asio::steady_timer retryTimer_;
    asio::steady_timer tickTimer_;

    // io thread only
    uint64_t attempt_ = 0;   // current connect attempt; stale handlers compare against it
    uint64_t timedOut_ = 0;  // attempt aborted by its timer
    uint64_t conn_ = 0;      // current connection; stale read/write handlers compare against it
    bool up_ = false;
    int backoffMs_ = 0;
    std::vector<uint8_t> rbuf_;
    size_t rbeg_ = 0;
    size_t rend_ = 0;
    std::string writing_;
    Clock::time_point lastRecv_;
    std::atomic<Clock::time_point> lastSend_{};
    Clock::time_point lastTick_;

    // shared with request callers
    std::mutex outMu_;
    std::string pending_;
    bool connected_ = false;
    bool loggedIn_ = false;
    bool flushPosted_ = false;
    bool writeInFlight_ = false;
    // The connected socket while connected_: a request finding nothing queued or being written
    // goes out on it from the caller's thread, without waking the io thread.
    std::intptr_t directSocket_ = -1;
};

}  // namespace qeto::gate

#endif  // QETO_GATE_SESSION_H
