// One client connection of each listener: the counter (requests in, answers out) and market data
// (snapshots out, nothing in). Both bound what they hold for a client that does not read.
#ifndef QETO_SIM_CONNECTION_H
#define QETO_SIM_CONNECTION_H

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "engine.h"

namespace qeto::sim {

class Server;
using SteadyClock = std::chrono::steady_clock;

// Reading a counter client's requests stops while more than kHighWater bytes of its answers wait
// and resumes below kLowWater: a client that asks and never reads costs about one high-water mark
// plus one answer.
constexpr std::size_t kHighWater = 1u << 20;
constexpr std::size_t kLowWater = 256u << 10;
// Pushes the client did not ask for on this connection (returns of the account's other sessions,
// delayed returns) close it once this much waits: its own answers are bounded by the above.
constexpr std::size_t kMaxQueuedPerConn = 8u << 20;
// A request body is read in steps of this size, so memory follows the bytes that really came.
constexpr std::size_t kReadChunk = 64u << 10;

class CounterConnection : public std::enable_shared_from_this<CounterConnection> {
public:
    CounterConnection(asio::ip::tcp::socket socket, Server &server, ConnId id);

    void start();
    void deliver(std::vector<uint8_t> frame);
    // Logs why (when given) and closes; the engine learns of it from a posted call, never from
    // inside one of its own calls.
    void close(const char *why = nullptr);
    // Closes the connection when it was silent, or its answers did not move, for too long
    // (zero: no limit).
    void sweep(SteadyClock::time_point now, SteadyClock::duration silence, SteadyClock::duration stall);
    std::size_t queued() const { return mQueued; }
    ConnId id() const { return mId; }

private:
    void readHeader();
    void readBody();
    void dispatch();
    void readMoreOrPause();
    void writeNext();
    void dropQueue();

    asio::ip::tcp::socket mSocket;
    Server &mServer;
    ConnId mId;
    wire::FrameHeader mHeader{};
    std::vector<uint8_t> mBody;
    std::deque<std::vector<uint8_t>> mQueue;
    std::size_t mQueued = 0;
    SteadyClock::time_point mLastRecv;
    SteadyClock::time_point mLastProgress;
    bool mDispatching = false;  // inside the engine's handling of this connection's request
    bool mPaused = false;       // reading stopped until the queue drains
    bool mClosed = false;
};

// At most one snapshot is in flight and one waits; a newer snapshot replaces the waiting one, so
// a slow reader skips ticks instead of holding up the others or queueing without bound.
class MdConnection : public std::enable_shared_from_this<MdConnection> {
public:
    using Buffer = std::shared_ptr<const std::vector<uint8_t>>;

    MdConnection(asio::ip::tcp::socket socket, Server &server, ConnId id);

    void start(bool blast);
    void push(Buffer buf);
    void close(const char *why = nullptr);
    // The client never sends, so silence says nothing: only a write that made no progress for
    // `stall` (a reader that stopped reading) closes it.
    void sweep(SteadyClock::time_point now, SteadyClock::duration stall);

private:
    void watchClose();
    void write(Buffer buf);

    asio::ip::tcp::socket mSocket;
    Server &mServer;
    ConnId mId;
    Buffer mInFlight;
    Buffer mWaiting;
    SteadyClock::time_point mLastProgress;
    char mSink[256];
    bool mBlast = false;
    bool mClosed = false;
};

}  // namespace qeto::sim

#endif
