// The network front: the counter and market-data listeners on one io thread, with their limits.
#ifndef QETO_SIM_SERVER_H
#define QETO_SIM_SERVER_H

#ifndef ASIO_STANDALONE
#define ASIO_STANDALONE
#endif
#include <asio.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connection.h"
#include "engine.h"
#include "market.h"

namespace qeto::sim {

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    uint16_t counterPort = 8888;
    uint16_t mdPort = 9999;
    int mdIntervalMs = 1000;
    bool mdBlast = false;
    // Connections beyond these are closed as soon as they are accepted.
    int maxCounterConns = 256;
    int maxMdConns = 256;
    // A counter connection that sent nothing (not even a heartbeat) for this long is closed.
    int idleTimeoutS = 60;
    // A connection whose answers or snapshot did not move for this long is closed.
    int stallTimeoutS = 30;
    // Answers waiting across every counter connection; beyond it the largest queue is dropped.
    std::size_t maxQueuedTotal = 64u << 20;
};

class Server {
public:
    Server(asio::io_context &io, Market &market, Engine &engine, const ServerOptions &options);

    // Binds both listeners; throws asio::system_error when it cannot.
    void start();
    uint16_t counterPort() const;
    uint16_t mdPort() const;

    // Closes every client connection of both listeners.
    void dropAll();
    void stop();

    // Used by the connections.
    void deliverToCounter(ConnId id, std::vector<uint8_t> frame);
    void counterClosed(ConnId id);
    void mdClosed(ConnId id);
    void queuedChanged(std::ptrdiff_t delta) { mQueuedTotal += delta; }
    // Drops the counter connections with the largest queues while the total is over its bound.
    void boundTotal();
    std::size_t queuedTotal() const { return mQueuedTotal; }
    Engine &engine() { return mEngine; }
    const std::shared_ptr<const std::vector<uint8_t>> &blastBuffer() const { return mBlast; }

private:
    struct Listener {
        Listener(asio::io_context &io, const char *name, const char *option, int cap)
            : acceptor(io), retry(io), name(name), option(option), cap(cap) {}
        asio::ip::tcp::acceptor acceptor;
        asio::steady_timer retry;
        const char *name;
        const char *option;
        std::size_t cap;
        int backoffMs = 0;     // current wait after running out of descriptors
        bool atCap = false;    // the cap line was logged for this episode
        bool starved = false;  // the out-of-descriptors line was logged for this episode
    };

    void accept(Listener &l);
    void onAccepted(Listener &l, asio::ip::tcp::socket socket);
    std::size_t connections(const Listener &l) const;
    void connectionEnded(Listener &l);
    void scheduleTick();
    void onTick();
    void scheduleSweep();

    asio::io_context &mIo;
    Market &mMarket;
    Engine &mEngine;
    ServerOptions mOptions;
    Listener mCounterListener;
    Listener mMdListener;
    asio::steady_timer mTickTimer;
    asio::steady_timer mSweepTimer;
    std::map<ConnId, std::shared_ptr<CounterConnection>> mCounters;
    std::map<ConnId, std::shared_ptr<MdConnection>> mMd;
    std::shared_ptr<const std::vector<uint8_t>> mBlast;
    std::size_t mQueuedTotal = 0;
    ConnId mNextId = 1;
    bool mStopped = false;
};

}  // namespace qeto::sim

#endif
