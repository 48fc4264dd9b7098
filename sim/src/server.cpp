#include "server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace qeto::sim {

using asio::ip::tcp;

Server::Server(asio::io_context &io, Market &market, Engine &engine, const ServerOptions &options)
    : mIo(io),
      mMarket(market),
      mEngine(engine),
      mOptions(options),
      mCounterListener(io, "counter", "--max-counter-conns", options.maxCounterConns),
      mMdListener(io, "market-data", "--max-md-conns", options.maxMdConns),
      mTickTimer(io),
      mSweepTimer(io) {}

static void openAcceptor(tcp::acceptor &acc, const tcp::endpoint &ep) {
    acc.open(ep.protocol());
    acc.set_option(tcp::acceptor::reuse_address(true));
    acc.bind(ep);
    acc.listen();
}

void Server::start() {
    const auto addr = asio::ip::make_address(mOptions.bindAddress);
    openAcceptor(mCounterListener.acceptor, tcp::endpoint(addr, mOptions.counterPort));
    openAcceptor(mMdListener.acceptor, tcp::endpoint(addr, mOptions.mdPort));
    if (mOptions.mdBlast) {
        // Whole snapshots repeated up to about 4 MB: large writes keep the socket busy.
        const std::vector<uint8_t> one = mMarket.snapshot();
        auto buf = std::make_shared<std::vector<uint8_t>>();
        const std::size_t target = 4u << 20;
        buf->reserve(target + one.size());
        while (buf->size() < target) buf->insert(buf->end(), one.begin(), one.end());
        mBlast = std::move(buf);
    }
    accept(mCounterListener);
    accept(mMdListener);
    scheduleTick();
    scheduleSweep();
}

uint16_t Server::counterPort() const { return mCounterListener.acceptor.local_endpoint().port(); }
uint16_t Server::mdPort() const { return mMdListener.acceptor.local_endpoint().port(); }

// Out of descriptors (or kernel memory), the pending connection stays in the backlog and the
// acceptor stays readable: retrying at once would spin. Wait, longer each time, up to a second.
static bool resourceShortage(const asio::error_code &ec) {
    return ec == asio::error::no_descriptors || ec.value() == ENFILE || ec == asio::error::no_buffer_space ||
           ec == asio::error::no_memory;
}

void Server::accept(Listener &l) {
    l.acceptor.async_accept([this, &l](asio::error_code ec, tcp::socket socket) {
        if (mStopped || ec == asio::error::operation_aborted) return;
        if (resourceShortage(ec)) {
            l.backoffMs = std::clamp(l.backoffMs * 2, 50, 1000);
            if (!l.starved) {
                l.starved = true;
                std::fprintf(stderr, "qeto-sim: %s listener: cannot accept (%s) with %zu connections open, retrying\n",
                             l.name, ec.message().c_str(), connections(l));
            }
            l.retry.expires_after(std::chrono::milliseconds(l.backoffMs));
            l.retry.async_wait([this, &l](asio::error_code e) {
                if (!e && !mStopped) accept(l);
            });
            return;
        }
        if (!ec) {
            if (l.starved) std::fprintf(stderr, "qeto-sim: %s listener: accepting again\n", l.name);
            l.starved = false;
            l.backoffMs = 0;
            onAccepted(l, std::move(socket));
        }
        accept(l);
    });
}

void Server::onAccepted(Listener &l, tcp::socket socket) {
    if (connections(l) >= l.cap) {
        if (!l.atCap) {
            l.atCap = true;
            std::fprintf(stderr,
                         "qeto-sim: %s listener: %zu connections, the most allowed (%s); new connections are "
                         "closed until one ends\n",
                         l.name, l.cap, l.option);
        }
        asio::error_code ignored;
        socket.close(ignored);
        return;
    }
    const ConnId id = mNextId++;
    if (&l == &mCounterListener) {
        asio::error_code opt;
        socket.set_option(tcp::no_delay(true), opt);
        auto conn = std::make_shared<CounterConnection>(std::move(socket), *this, id);
        mCounters[id] = conn;
        conn->start();
        return;
    }
    auto conn = std::make_shared<MdConnection>(std::move(socket), *this, id);
    mMd[id] = conn;
    conn->start(mOptions.mdBlast);
    // A new reader gets the whole universe at once instead of waiting for the next tick.
    if (!mOptions.mdBlast) conn->push(std::make_shared<const std::vector<uint8_t>>(mMarket.snapshot()));
}

std::size_t Server::connections(const Listener &l) const {
    return &l == &mCounterListener ? mCounters.size() : mMd.size();
}

void Server::connectionEnded(Listener &l) {
    if (!l.atCap || connections(l) >= l.cap) return;
    l.atCap = false;
    std::fprintf(stderr, "qeto-sim: %s listener: below %zu connections again\n", l.name, l.cap);
}

void Server::scheduleSweep() {
    using std::chrono::milliseconds;
    int shortest = 1000;
    for (int s : {mOptions.idleTimeoutS, mOptions.stallTimeoutS})
        if (s > 0) shortest = std::min(shortest, s * 250);
    mSweepTimer.expires_after(milliseconds(shortest));
    mSweepTimer.async_wait([this](asio::error_code ec) {
        if (ec || mStopped) return;
        const auto now = SteadyClock::now();
        const SteadyClock::duration idle = std::chrono::seconds(mOptions.idleTimeoutS);
        const SteadyClock::duration stall = std::chrono::seconds(mOptions.stallTimeoutS);
        // Closing only posts the removal, so the maps do not change under the loops.
        for (auto &[id, c] : mCounters) c->sweep(now, idle, stall);
        for (auto &[id, c] : mMd) c->sweep(now, stall);
        scheduleSweep();
    });
}

void Server::boundTotal() {
    while (mQueuedTotal > mOptions.maxQueuedTotal) {
        CounterConnection *largest = nullptr;
        for (auto &[id, c] : mCounters)
            if (c->queued() > 0 && (!largest || c->queued() > largest->queued())) largest = c.get();
        if (!largest) return;
        char why[128];
        std::snprintf(why, sizeof why, "%zu bytes of answers wait across connections, this one holds %zu", mQueuedTotal,
                      largest->queued());
        largest->close(why);
    }
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
    connectionEnded(mCounterListener);
}

void Server::mdClosed(ConnId id) {
    mMd.erase(id);
    connectionEnded(mMdListener);
}

void Server::dropAll() {
    auto counters = mCounters;
    for (auto &[id, c] : counters) c->close();
    auto md = mMd;
    for (auto &[id, c] : md) c->close();
}

void Server::stop() {
    mStopped = true;
    asio::error_code ec;
    mCounterListener.acceptor.close(ec);
    mMdListener.acceptor.close(ec);
    mCounterListener.retry.cancel();
    mMdListener.retry.cancel();
    mTickTimer.cancel();
    mSweepTimer.cancel();
    dropAll();
}

}  // namespace qeto::sim
