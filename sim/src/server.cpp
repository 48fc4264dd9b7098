#include "server.h"

#include <chrono>
#include <cstdio>
#include <deque>

namespace qeto::sim {

using asio::ip::tcp;

// One counter client: header-then-body reads, a write queue.
class CounterConnection : public std::enable_shared_from_this<CounterConnection> {
public:
    CounterConnection(tcp::socket socket, Server &server, ConnId id)
        : mSocket(std::move(socket)), mServer(server), mId(id) {}

    void start() { readHeader(); }

    void deliver(std::vector<uint8_t> frame) {
        if (mClosed) return;
        // A client that asks without ever reading must not grow the queue without bound.
        if (mQueued + frame.size() > kMaxQueued) {
            std::fprintf(stderr, "qeto-sim: counter connection %llu: client does not read its answers, closing\n",
                         static_cast<unsigned long long>(mId));
            return close();
        }
        mQueued += frame.size();
        const bool idle = mQueue.empty();
        mQueue.push_back(std::move(frame));
        if (idle) writeNext();
    }

    void close() {
        if (mClosed) return;
        mClosed = true;
        asio::error_code ec;
        mSocket.shutdown(tcp::socket::shutdown_both, ec);
        mSocket.close(ec);
        mServer.counterClosed(mId);
    }

private:
    void readHeader() {
        auto self = shared_from_this();
        asio::async_read(
            mSocket, asio::buffer(&mHeader, sizeof mHeader), [this, self](asio::error_code ec, std::size_t) {
                if (ec) return close();
                if (mHeader.length > wire::kMaxPayload) {
                    std::fprintf(stderr,
                                 "qeto-sim: counter connection %llu: frame of %u bytes exceeds the limit, closing\n",
                                 static_cast<unsigned long long>(mId), mHeader.length);
                    return close();
                }
                mBody.resize(mHeader.length);
                if (mHeader.length == 0) return dispatch();
                readBody();
            });
    }

    void readBody() {
        auto self = shared_from_this();
        asio::async_read(mSocket, asio::buffer(mBody), [this, self](asio::error_code ec, std::size_t) {
            if (ec) return close();
            dispatch();
        });
    }

    void dispatch() {
        std::string why;
        if (!mServer.engine().handleFrame(mId, mHeader, mBody.data(), mBody.size(), &why)) {
            std::fprintf(stderr, "qeto-sim: counter connection %llu: %s, closing\n",
                         static_cast<unsigned long long>(mId), why.c_str());
            return close();
        }
        if (!mClosed) readHeader();
    }

    void writeNext() {
        auto self = shared_from_this();
        asio::async_write(mSocket, asio::buffer(mQueue.front()), [this, self](asio::error_code ec, std::size_t) {
            if (ec) return close();
            mQueued -= mQueue.front().size();
            mQueue.pop_front();
            if (!mQueue.empty() && !mClosed) writeNext();
        });
    }

    tcp::socket mSocket;
    Server &mServer;
    ConnId mId;
    wire::FrameHeader mHeader{};
    std::vector<uint8_t> mBody;
    std::deque<std::vector<uint8_t>> mQueue;
    std::size_t mQueued = 0;
    bool mClosed = false;
    static constexpr std::size_t kMaxQueued = 256u << 20;
};

// One market-data client. At most one snapshot is in flight and one waits; a newer snapshot
// replaces the waiting one, so a slow reader skips ticks instead of holding up the others.
class MdConnection : public std::enable_shared_from_this<MdConnection> {
public:
    using Buffer = std::shared_ptr<const std::vector<uint8_t>>;

    MdConnection(tcp::socket socket, Server &server, ConnId id)
        : mSocket(std::move(socket)), mServer(server), mId(id) {}

    void start(bool blast) {
        asio::error_code ec;
        mSocket.set_option(tcp::no_delay(true), ec);
        mBlast = blast;
        watchClose();
        if (blast) push(mServer.blastBuffer());
    }

    void push(Buffer buf) {
        if (mClosed || !buf || buf->empty()) return;
        if (mInFlight) {
            mWaiting = std::move(buf);
            return;
        }
        write(std::move(buf));
    }

    void close() {
        if (mClosed) return;
        mClosed = true;
        asio::error_code ec;
        mSocket.shutdown(tcp::socket::shutdown_both, ec);
        mSocket.close(ec);
        mServer.mdClosed(mId);
    }

private:
    // The client never sends; a read completing means it went away.
    void watchClose() {
        auto self = shared_from_this();
        mSocket.async_read_some(asio::buffer(mSink), [this, self](asio::error_code ec, std::size_t) {
            if (ec) return close();
            watchClose();
        });
    }

    void write(Buffer buf) {
        mInFlight = std::move(buf);
        auto self = shared_from_this();
        asio::async_write(mSocket, asio::buffer(*mInFlight), [this, self](asio::error_code ec, std::size_t) {
            if (ec) return close();
            mInFlight.reset();
            if (mClosed) return;
            if (mBlast) return write(mServer.blastBuffer());
            if (mWaiting) write(std::move(mWaiting));
        });
    }

    tcp::socket mSocket;
    Server &mServer;
    ConnId mId;
    Buffer mInFlight;
    Buffer mWaiting;
    char mSink[256];
    bool mBlast = false;
    bool mClosed = false;
};

Server::Server(asio::io_context &io, Market &market, Engine &engine, const ServerOptions &options)
    : mIo(io),
      mMarket(market),
      mEngine(engine),
      mOptions(options),
      mCounterAcceptor(io),
      mMdAcceptor(io),
      mTickTimer(io) {}

static void openAcceptor(tcp::acceptor &acc, const tcp::endpoint &ep) {
    acc.open(ep.protocol());
    acc.set_option(tcp::acceptor::reuse_address(true));
    acc.bind(ep);
    acc.listen();
}

void Server::start() {
    const auto addr = asio::ip::make_address(mOptions.bindAddress);
    openAcceptor(mCounterAcceptor, tcp::endpoint(addr, mOptions.counterPort));
    openAcceptor(mMdAcceptor, tcp::endpoint(addr, mOptions.mdPort));
    if (mOptions.mdBlast) {
        // Whole snapshots repeated up to about 4 MB: large writes keep the socket busy.
        const std::vector<uint8_t> one = mMarket.snapshot();
        auto buf = std::make_shared<std::vector<uint8_t>>();
        const std::size_t target = 4u << 20;
        buf->reserve(target + one.size());
        while (buf->size() < target) buf->insert(buf->end(), one.begin(), one.end());
        mBlast = std::move(buf);
    }
    acceptCounter();
    acceptMd();
    scheduleTick();
}

uint16_t Server::counterPort() const { return mCounterAcceptor.local_endpoint().port(); }
uint16_t Server::mdPort() const { return mMdAcceptor.local_endpoint().port(); }

void Server::acceptCounter() {
    mCounterAcceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
        if (mStopped) return;
        if (!ec) {
            asio::error_code opt;
            socket.set_option(tcp::no_delay(true), opt);
            const ConnId id = mNextId++;
            auto conn = std::make_shared<CounterConnection>(std::move(socket), *this, id);
            mCounters[id] = conn;
            conn->start();
        }
        acceptCounter();
    });
}

void Server::acceptMd() {
    mMdAcceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
        if (mStopped) return;
        if (!ec) {
            const ConnId id = mNextId++;
            auto conn = std::make_shared<MdConnection>(std::move(socket), *this, id);
            mMd[id] = conn;
            conn->start(mOptions.mdBlast);
            // A new reader gets the whole universe at once instead of waiting for the next tick.
            if (!mOptions.mdBlast) conn->push(std::make_shared<const std::vector<uint8_t>>(mMarket.snapshot()));
        }
        acceptMd();
    });
}

void Server::scheduleTick() {
    mTickTimer.expires_after(std::chrono::milliseconds(mOptions.mdIntervalMs));
    mTickTimer.async_wait([this](asio::error_code ec) {
        if (ec || mStopped) return;
        onTick();
        scheduleTick();
    });
}

void Server::onTick() {
    mMarket.tick(timeNumber(mEngine.msOfDay()));
    mEngine.onMarketTick();
    if (mOptions.mdBlast || mMd.empty()) return;
    auto snap = std::make_shared<const std::vector<uint8_t>>(mMarket.snapshot());
    for (auto &[id, conn] : mMd) conn->push(snap);
}

void Server::deliverToCounter(ConnId id, std::vector<uint8_t> frame) {
    auto it = mCounters.find(id);
    if (it != mCounters.end()) it->second->deliver(std::move(frame));
}

void Server::counterClosed(ConnId id) {
    mEngine.onDisconnect(id);
    mCounters.erase(id);
}

void Server::mdClosed(ConnId id) { mMd.erase(id); }

void Server::dropAll() {
    auto counters = mCounters;
    for (auto &[id, c] : counters) c->close();
    auto md = mMd;
    for (auto &[id, c] : md) c->close();
}

void Server::stop() {
    mStopped = true;
    asio::error_code ec;
    mCounterAcceptor.close(ec);
    mMdAcceptor.close(ec);
    mTickTimer.cancel();
    dropAll();
}

}  // namespace qeto::sim
