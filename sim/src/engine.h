// The simulated counter without sockets: frames in, frames out. The network front hands every
// request frame to handleFrame and writes what the sink receives; tests drive it directly.
#ifndef QETO_SIM_ENGINE_H
#define QETO_SIM_ENGINE_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "accounts.h"
#include "engine_codes.h"
#include "market.h"
#include "money.h"
#include "qeto_wire.h"
#include "sim_text.h"

namespace qeto::sim {

using ConnId = uint64_t;

struct EngineOptions {
    int batch = 500;                         // records per query answer
    int rtnDelayMs = 200;                    // second phase of transfers, fills of resting orders
    Encoding textEncoding = Encoding::Utf8;  // Chinese refusal texts
};

class Engine {
public:
    using Sink = std::function<void(ConnId, std::vector<uint8_t> frame)>;
    using Scheduler = std::function<void(int delayMs, std::function<void()> task)>;
    using Clock = std::function<int64_t()>;  // milliseconds since the epoch

    Engine(Market &market, AccountList accounts, const EngineOptions &options, Sink sink, Scheduler scheduler);

    void setClock(Clock clock) { mClock = std::move(clock); }

    // Handles one request frame. False means a protocol fault (reason in *why): close the connection.
    bool handleFrame(ConnId conn, const wire::FrameHeader &header, const uint8_t *body, std::size_t length,
                     std::string *why);
    void onDisconnect(ConnId conn);
    // Resting orders the new quotes reach are filled after the return delay.
    void onMarketTick();
    // Historical orders and trades for the first account, spread over both counters and the day.
    void preloadOrders(int count);

    Account *account(std::string_view id);
    std::size_t sessionCount() const { return mSessions.size(); }

    int msOfDay() const;
    std::string dateTimeText() const;

private:
    struct Session {
        uint32_t id = 0;
        ConnId conn = 0;
        Account *account = nullptr;
        Exchange exchange = Shanghai;
    };
    struct RestingRef {
        Account *account;
        Exchange exchange;
        uint32_t sysId;
    };
    // What a request type needs: its answer type, record sizes and the handler (none for the
    // two that come before a session: login and heartbeat).
    using Handler = void (Engine::*)(Session &s, int32_t req, const uint8_t *body);
    struct Route;
    static const Route *routeOf(uint16_t type);
    // Hands the request record of type R to Handle, or only the request id when it takes none.
    template <class R, auto Handle>
    void withRecord(Session &s, int32_t req, const uint8_t *body);

    // engine.cpp: answers and sessions
    CQetoRspInfo info(Refusal error) const;
    void send(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId, const void *payload,
              std::size_t length, uint16_t count, bool last);
    // Sends the units of unitSize bytes (record + CQetoRspInfo) that follow a header's room at the
    // front of framed, in as few frames as the size limit allows; one frame goes out as it is.
    void sendUnits(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId, std::vector<uint8_t> framed,
                   std::size_t unitSize);
    template <class R>
    void answer(const Session &s, uint16_t type, int32_t requestId, const R &rec, Refusal error);
    template <class R>
    void answerList(const Session &s, uint16_t type, int32_t requestId, const std::vector<R> &recs);
    template <class R>
    void toAccount(Account *a, Exchange ex, uint16_t type, int32_t requestId, const R &rec);
    void refuseWithoutSession(ConnId conn, const Route &route, const wire::FrameHeader &h);
    void login(ConnId conn, const wire::FrameHeader &h, const uint8_t *body);
    void logout(Session &s, int32_t req);

    // engine_orders.cpp
    void insertOrder(Session &s, int32_t req, const CQetoReqOrderInsertField &r);
    Refusal checkOrder(Exchange ex, Order &o, const CQetoReqOrderInsertField &r) const;
    void answerInsert(const Session &s, int32_t req, const Order &o, const CQetoReqOrderInsertField &r, Refusal error);
    void cancelOrder(Session &s, int32_t req, const CQetoReqOrderActionField &r);
    // Fills an open order against the current quote, level by level; sends the returns.
    void match(Account *a, Exchange ex, uint32_t sysId);
    bool marketable(const Order &o) const;
    void fill(Account *a, Exchange ex, Order &o, double price, uint32_t qty);
    // The order return after a change; extra is what changed (traded or cancelled shares).
    void sendOrderReturn(Account *a, Exchange ex, const Order &o, int32_t requestId, int timeMs, uint32_t extra);

    // engine_money.cpp
    void updatePassword(Session &s, int32_t req, const CQetoReqUserPasswordUpdateField &r);
    void deposit(Session &s, int32_t req, const CQetoReqCapTransferField &r);
    void withdraw(Session &s, int32_t req, const CQetoReqCapTransferField &r);
    void cashTransfer(Session &s, int32_t req, const CQetoReqCapTransferField &r, bool deposit);
    void btTransfer(Session &s, int32_t req, const CQetoReqBTCapTransferManagerField &r);
    void completeBtTransfer(Account *a, uint32_t transferId, int32_t req);

    // engine_queries.cpp
    void queryOrders(Session &s, int32_t req, const CQetoReqQryOrderField &r);
    void queryTrades(Session &s, int32_t req, const CQetoReqQryTradeField &r);
    void queryPositions(Session &s, int32_t req, const CQetoReqQryStockPositionField &r);
    void queryFund(Session &s, int32_t req);
    void queryCashRecords(Session &s, int32_t req);
    void queryBtRecords(Session &s, int32_t req);
    void querySecurities(Session &s, int32_t req, const CQetoReqQryStockSecuritiesField &r);
    void queryRate(Session &s, int32_t req);
    void queryQuota(Session &s, int32_t req);
    void queryInvestorInfo(Session &s, int32_t req);

    Market &mMarket;
    AccountList mAccounts;
    EngineOptions mOptions;
    Sink mSink;
    Scheduler mSchedule;
    Clock mClock;
    std::unordered_map<uint32_t, Session> mSessions;
    std::unordered_map<ConnId, uint32_t> mConnSession;
    std::vector<RestingRef> mResting;
    uint32_t mNextSession = 1001;
    uint32_t mNextSysId = 1;
    uint32_t mNextTradeId = 1;
    uint32_t mNextTransferId = 1;
};

// Frame builder shared with the tests.
std::vector<uint8_t> makeFrame(uint16_t type, uint16_t count, int32_t requestId, uint32_t sessionId, bool last,
                               const void *payload, std::size_t length);

}  // namespace qeto::sim

#endif
