// The network front: the counter and market-data listeners on one io thread.
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

#include "engine.h"
#include "market.h"

namespace qeto::sim {

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    uint16_t counterPort = 8888;
    uint16_t mdPort = 9999;
    int mdIntervalMs = 1000;
    bool mdBlast = false;
};

class CounterConnection;
class MdConnection;

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
    Engine &engine() { return mEngine; }
    const std::shared_ptr<const std::vector<uint8_t>> &blastBuffer() const { return mBlast; }

private:
    void acceptCounter();
    void acceptMd();
    void scheduleTick();
    void onTick();

    asio::io_context &mIo;
    Market &mMarket;
    Engine &mEngine;
    ServerOptions mOptions;
    asio::ip::tcp::acceptor mCounterAcceptor;
    asio::ip::tcp::acceptor mMdAcceptor;
    asio::steady_timer mTickTimer;
    std::map<ConnId, std::shared_ptr<CounterConnection>> mCounters;
    std::map<ConnId, std::shared_ptr<MdConnection>> mMd;
    std::shared_ptr<const std::vector<uint8_t>> mBlast;
    ConnId mNextId = 1;
    bool mStopped = false;
};

}  // namespace qeto::sim

#endif
