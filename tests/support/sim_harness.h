// Drives the counter engine without sockets: requests in, answer units out.
#ifndef QETO_SIM_TEST_HARNESS_H
#define QETO_SIM_TEST_HARNESS_H

#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine.h"
#include "market.h"
#include "qeto_demo_accounts.h"

namespace qeto::sim::test {

// Packed record fields are read by value: test macros bind references, which a packed field
// cannot give.
template <class T>
T val(T v) {
    return v;
}

struct Unit {
    uint16_t type = 0;
    int32_t requestId = 0;
    uint32_t sessionId = 0;
    bool last = false;  // bIsLast of this unit
    std::vector<uint8_t> record;
    CQetoRspInfo info{};

    template <class R>
    R as() const {
        R r;
        std::memset(&r, 0, sizeof r);
        std::memcpy(&r, record.data(), std::min(sizeof r, record.size()));
        return r;
    }
    std::string text() const { return std::string(info.ErrorMsg, strnlen(info.ErrorMsg, sizeof info.ErrorMsg)); }
};

// 2026-01-05 10:00:00.000 local time.
inline int64_t tenOClock() {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 0;
    tm.tm_mday = 5;
    tm.tm_hour = 10;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm)) * 1000;
}

class Harness {
public:
    explicit Harness(int batch = 500, Encoding text = Encoding::Utf8, int codes = 300)
        : market(marketOptions(codes)),
          engine(
              market, demoAccounts(), engineOptions(batch, text),
              [this](ConnId c, std::vector<uint8_t> f) { frames.emplace_back(c, std::move(f)); },
              [this](int, std::function<void()> t) { tasks.push_back(std::move(t)); }) {
        engine.setClock([this] { return now; });
    }

    static MarketOptions marketOptions(int codes) {
        MarketOptions o;
        o.deterministic = true;
        o.codes = codes;
        return o;
    }
    static EngineOptions engineOptions(int batch, Encoding text) {
        EngineOptions o;
        o.batch = batch;
        o.textEncoding = text;
        return o;
    }

    bool raw(ConnId conn, uint16_t type, uint32_t session, const void *body, std::size_t len, int32_t req = 7) {
        const wire::FrameHeader h = wire::frameHeader(type, static_cast<uint32_t>(len), req, session, 1, false);
        std::string why;
        return engine.handleFrame(conn, h, static_cast<const uint8_t *>(body), len, &why);
    }

    template <class R>
    std::vector<Unit> request(uint16_t type, const R &rec, ConnId conn = 1, int32_t req = 7) {
        raw(conn, type, sessions[conn], &rec, sizeof rec, req);
        return take();
    }

    // Every unit sent since the last call, in order.
    std::vector<Unit> take() {
        std::vector<Unit> out;
        for (auto &[conn, f] : frames) {
            wire::FrameHeader h;
            std::memcpy(&h, f.data(), sizeof h);
            const std::size_t rs = wire::answerRecordSize(h.type);
            const std::size_t us = rs + sizeof(CQetoRspInfo);
            for (uint16_t n = 0; n < h.count; ++n) {
                Unit u;
                u.type = h.type;
                u.requestId = h.requestId;
                u.sessionId = h.sessionId;
                u.last = h.last && n + 1 == h.count;
                const uint8_t *p = f.data() + sizeof h + n * us;
                u.record.assign(p, p + rs);
                std::memcpy(&u.info, p + rs, sizeof u.info);
                out.push_back(std::move(u));
            }
        }
        frames.clear();
        return out;
    }

    void runTasks() {
        auto pending = std::move(tasks);
        tasks.clear();
        for (auto &t : pending) t();
    }

    std::vector<Unit> login(char exchange, const std::string &account = demo::kAccount,
                            const std::string &pwd = demo::kPassword, ConnId conn = 1,
                            const std::string &branch = "0001", const std::string &app = "qeto-desk",
                            bool terminal = true) {
        uint8_t body[sizeof(GatewayUserReqLoginField) + sizeof(GatewayTerminalInfoField)] = {};
        GatewayUserReqLoginField l{};
        putText(l.AccountID, account);
        putText(l.Password, pwd);
        putText(l.BranchID, branch);
        putText(l.AppID, app);
        l.ExchangeCode = exchange;
        l.OperWay = '7';
        GatewayTerminalInfoField t{};
        if (terminal) putText(t.HostName, "desk-01");
        std::memcpy(body, &l, sizeof l);
        std::memcpy(body + sizeof l, &t, sizeof t);
        raw(conn, wire::ReqLogin, 0, body, sizeof body);
        auto units = take();
        if (!units.empty() && units[0].info.ErrorID == 0) sessions[conn] = units[0].sessionId;
        return units;
    }

    std::vector<Unit> order(const std::string &code, char dir, double price, int32_t volume, uint32_t localId = 1,
                            char priceType = '2', ConnId conn = 1) {
        CQetoReqOrderInsertField r{};
        r.UserLocalID = localId;
        putText(r.SecurityID, code);
        r.Direction = dir;
        r.Price = price;
        r.Volume = volume;
        r.OrderPriceType = priceType;
        r.TimeCondition = '0';
        putText(r.Remark, "ApiClient");
        return request(wire::ReqInsertOrder, r, conn);
    }

    std::vector<Unit> cancel(uint32_t sysId, int32_t localId = 99, ConnId conn = 1) {
        CQetoReqOrderActionField r{};
        r.UserLocalID = localId;
        r.OrderSysID = sysId;
        r.ActionFlag = '1';
        return request(wire::ReqCancelOrder, r, conn);
    }

    CQetoRspQryStockClientAccountField fund(ConnId conn = 1) {
        CQetoReqQryStockClientAccountField r{};
        auto u = request(wire::ReqQryFund, r, conn);
        return u.at(0).as<CQetoRspQryStockClientAccountField>();
    }

    Market market;
    std::vector<std::pair<ConnId, std::vector<uint8_t>>> frames;
    std::vector<std::function<void()>> tasks;
    Engine engine;
    int64_t now = tenOClock();
    std::map<ConnId, uint32_t> sessions;
};

inline std::vector<Unit> ofType(const std::vector<Unit> &units, uint16_t type) {
    std::vector<Unit> out;
    for (const Unit &u : units)
        if (u.type == type) out.push_back(u);
    return out;
}

}  // namespace qeto::sim::test

#endif
