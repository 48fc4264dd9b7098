#include "connection.h"

#include <cstdio>

#include "server.h"

namespace qeto::sim {

using asio::ip::tcp;

namespace {

void shut(tcp::socket &s) {
    asio::error_code ec;
    s.shutdown(tcp::socket::shutdown_both, ec);
    s.close(ec);
}

long long seconds(SteadyClock::duration d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

}  // namespace

// ---------------------------------------------------------------- counter

CounterConnection::CounterConnection(tcp::socket socket, Server &server, ConnId id)
    : mSocket(std::move(socket)), mServer(server), mId(id) {}

void CounterConnection::start() {
    mLastRecv = mLastProgress = SteadyClock::now();
    readHeader();
}

void CounterConnection::deliver(std::vector<uint8_t> frame) {
    if (mClosed) return;
    // The answers to its own request are bounded by the pause below; what else arrives for a
    // client that stopped reading is not.
    if (!mDispatching && mQueued + frame.size() > kMaxQueuedPerConn) return close("client does not read its answers");
    mQueued += frame.size();
    mServer.queuedChanged(static_cast<std::ptrdiff_t>(frame.size()));
    const bool idle = mQueue.empty();
    mQueue.push_back(std::move(frame));
    if (idle) {
        mLastProgress = SteadyClock::now();
        writeNext();
    }
    mServer.boundTotal();
}

void CounterConnection::close(const char *why) {
    if (mClosed) return;
    if (why)
        std::fprintf(stderr, "qeto-sim: counter connection %llu: %s, closing\n", static_cast<unsigned long long>(mId),
                     why);
    mClosed = true;
    shut(mSocket);
    dropQueue();
    Server *server = &mServer;
    const ConnId id = mId;
    asio::post(mSocket.get_executor(), [server, id] { server->counterClosed(id); });
}

void CounterConnection::sweep(SteadyClock::time_point now, SteadyClock::duration silence, SteadyClock::duration stall) {
    if (mClosed) return;
    char why[96];
    if (stall.count() > 0 && !mQueue.empty() && now - mLastProgress > stall) {
        std::snprintf(why, sizeof why, "answers not read for %lld s", seconds(now - mLastProgress));
        close(why);
    } else if (silence.count() > 0 && !mPaused && now - mLastRecv > silence) {
        std::snprintf(why, sizeof why, "nothing received for %lld s", seconds(now - mLastRecv));
        close(why);
    }
}

void CounterConnection::readHeader() {
    auto self = shared_from_this();
    asio::async_read(mSocket, asio::buffer(&mHeader, sizeof mHeader), [this, self](asio::error_code ec, std::size_t) {
        if (ec || mClosed) return close();
        mLastRecv = SteadyClock::now();
        if (mHeader.length > wire::kMaxPayload) {
            char why[96];
            std::snprintf(why, sizeof why, "frame of %u bytes exceeds the limit", mHeader.length);
            return close(why);
        }
        mBody.clear();
        if (mHeader.length == 0) return dispatch();
        readBody();
    });
}

void CounterConnection::readBody() {
    const std::size_t have = mBody.size();
    const std::size_t step = std::min<std::size_t>(kReadChunk, mHeader.length - have);
    mBody.resize(have + step);
    auto self = shared_from_this();
    asio::async_read(mSocket, asio::buffer(mBody.data() + have, step), [this, self](asio::error_code ec, std::size_t) {
        if (ec || mClosed) return close();
        mLastRecv = SteadyClock::now();
        if (mBody.size() < mHeader.length) return readBody();
        dispatch();
    });
}

void CounterConnection::dispatch() {
    std::string why;
    mDispatching = true;
    const bool ok = mServer.engine().handleFrame(mId, mHeader, mBody.data(), mBody.size(), &why);
    mDispatching = false;
    if (!ok) return close(why.c_str());
    // A frame near the limit should not keep its buffer while the connection waits.
    if (mBody.capacity() > kReadChunk) std::vector<uint8_t>().swap(mBody);
    readMoreOrPause();
}

void CounterConnection::readMoreOrPause() {
    if (mClosed) return;
    if (mQueued > kHighWater) {
        mPaused = true;
        return;
    }
    readHeader();
}

void CounterConnection::writeNext() {
    auto self = shared_from_this();
    asio::async_write(
        mSocket, asio::buffer(mQueue.front()),
        [this](const asio::error_code &ec, std::size_t done) -> std::size_t {
            if (done) mLastProgress = SteadyClock::now();
            return asio::transfer_all()(ec, done);
        },
        [this, self](asio::error_code ec, std::size_t) {
            if (ec || mClosed) return close();
            const std::size_t n = mQueue.front().size();
            mQueued -= n;
            mServer.queuedChanged(-static_cast<std::ptrdiff_t>(n));
            mQueue.pop_front();
            mLastProgress = SteadyClock::now();
            if (!mQueue.empty()) writeNext();
            if (mPaused && mQueued < kLowWater) {
                mPaused = false;
                mLastRecv = SteadyClock::now();  // silence counts only while we listen
                readHeader();
            }
        });
}

void CounterConnection::dropQueue() {
    mServer.queuedChanged(-static_cast<std::ptrdiff_t>(mQueued));
    mQueued = 0;
    // The frame being written stays alive in the pending write's buffer until it fails.
    std::deque<std::vector<uint8_t>> keep;
    if (!mQueue.empty()) keep.push_back(std::move(mQueue.front()));
    mQueue.swap(keep);
    std::vector<uint8_t>().swap(mBody);
}

// ---------------------------------------------------------------- market data

MdConnection::MdConnection(tcp::socket socket, Server &server, ConnId id)
    : mSocket(std::move(socket)), mServer(server), mId(id) {}

void MdConnection::start(bool blast) {
    asio::error_code ec;
    mSocket.set_option(tcp::no_delay(true), ec);
    mBlast = blast;
    mLastProgress = SteadyClock::now();
    watchClose();
    if (blast) push(mServer.blastBuffer());
}

void MdConnection::push(Buffer buf) {
    if (mClosed || !buf || buf->empty()) return;
    if (mInFlight) {
        mWaiting = std::move(buf);
        return;
    }
    mLastProgress = SteadyClock::now();
    write(std::move(buf));
}

void MdConnection::close(const char *why) {
    if (mClosed) return;
    if (why)
        std::fprintf(stderr, "qeto-sim: market-data connection %llu: %s, closing\n",
                     static_cast<unsigned long long>(mId), why);
    mClosed = true;
    shut(mSocket);
    mWaiting.reset();
    Server *server = &mServer;
    const ConnId id = mId;
    asio::post(mSocket.get_executor(), [server, id] { server->mdClosed(id); });
}

void MdConnection::sweep(SteadyClock::time_point now, SteadyClock::duration stall) {
    if (mClosed || stall.count() <= 0 || !mInFlight || now - mLastProgress <= stall) return;
    char why[96];
    std::snprintf(why, sizeof why, "snapshot not read for %lld s", seconds(now - mLastProgress));
    close(why);
}

// The client never sends; a read completing means it went away.
void MdConnection::watchClose() {
    auto self = shared_from_this();
    mSocket.async_read_some(asio::buffer(mSink), [this, self](asio::error_code ec, std::size_t) {
        if (ec || mClosed) return close();
        watchClose();
    });
}

void MdConnection::write(Buffer buf) {
    mInFlight = std::move(buf);
    auto self = shared_from_this();
    asio::async_write(
        mSocket, asio::buffer(*mInFlight),
        [this](const asio::error_code &ec, std::size_t done) -> std::size_t {
            if (done) mLastProgress = SteadyClock::now();
            return asio::transfer_all()(ec, done);
        },
        [this, self](asio::error_code ec, std::size_t) {
            if (ec) return close();
            mInFlight.reset();
            if (mClosed) return;
            mLastProgress = SteadyClock::now();
            if (mBlast) return write(mServer.blastBuffer());
            if (mWaiting) write(std::move(mWaiting));
        });
}

}  // namespace qeto::sim
