#include "engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace qeto::sim {

namespace {

using namespace qeto::wire;

constexpr double kEps = 1e-6;
constexpr int32_t kMaxOrderVolume = 1000000;

struct ErrorText {
    uint32_t id;
    const char *text;  // UTF-8; Chinese texts go out in the configured encoding
};

// Some refusals carry ASCII texts (the client shows its catalogue text), some Chinese ones
// (the client shows them as they come).
const ErrorText kErrors[] = {
    {1001, "invalid account or password"},
    {1002, "不支持的交易所代码"},
    {1003, "terminal information missing"},
    {1004, "营业部或应用编号不符"},
    {1005, "not logged in or session expired"},
    {2001, "unknown security code"},
    {2002, "price out of limits or invalid price type"},
    {2003, "委托数量不合法"},
    {2004, "insufficient funds"},
    {2005, "可用股份不足"},
    {2006, "order not found"},
    {2007, "委托已成交或已撤销"},
    {3001, "invalid amount"},
    {3002, "可取资金不足"},
    {3003, "insufficient available funds"},
    {4001, "old password mismatch"},
    {4002, "新密码不符合规则"},
    {5001, "no record"},
};

struct Route {
    uint16_t request;
    uint16_t answer;
    std::size_t requestSize;
    std::size_t answerSize;
};

const Route kRoutes[] = {
    {ReqLogin, RspLogin, sizeof(GatewayUserReqLoginField) + sizeof(GatewayTerminalInfoField),
     sizeof(GatewayUserRspLoginField)},
    {ReqLogout, RspLogout, sizeof(CQetoReqUserLogoutField), sizeof(CQetoRspUserLogoutField)},
    {ReqInsertOrder, RspInsertOrder, sizeof(CQetoReqOrderInsertField), sizeof(CQetoRspOrderInsertField)},
    {ReqCancelOrder, RspCancelOrder, sizeof(CQetoReqOrderActionField), sizeof(CQetoRspOrderActionField)},
    {ReqQryOrder, RspQryOrder, sizeof(CQetoReqQryOrderField), sizeof(CQetoRspQryOrderField)},
    {ReqQryTrade, RspQryTrade, sizeof(CQetoReqQryTradeField), sizeof(CQetoRspQryTradeField)},
    {ReqQryPosition, RspQryPosition, sizeof(CQetoReqQryStockPositionField), sizeof(CQetoRspQryStockPositionField)},
    {ReqQryFund, RspQryFund, sizeof(CQetoReqQryStockClientAccountField), sizeof(CQetoRspQryStockClientAccountField)},
    {ReqUpdatePwd, RspUpdatePwd, sizeof(CQetoReqUserPasswordUpdateField), sizeof(CQetoRspUserPasswordUpdateField)},
    {ReqInFund, RspInFund, sizeof(CQetoReqCapTransferField), sizeof(CQetoRspCapTransferField)},
    {ReqOutFund, RspOutFund, sizeof(CQetoReqCapTransferField), sizeof(CQetoRspCapTransferField)},
    {ReqQryInOutFundRecord, RspQryInOutFundRecord, sizeof(CQetoReqQryCapTransferRecordField),
     sizeof(CQetoRspQryCapTransferRecordField)},
    {ReqBTFundTransfer, RspBTFundTransfer, sizeof(CQetoReqBTCapTransferManagerField),
     sizeof(CQetoRspBTCapTransferManagerField)},
    {ReqQryBTFundTransferRecord, RspQryBTFundTransferRecord, sizeof(CQetoReqQryBTCapTransferManagerField),
     sizeof(CQetoRspQryBTCapTransferManagerField)},
    {ReqQryRate, RspQryRate, sizeof(CQetoReqQryStockFeeField), sizeof(CQetoRspQryStockFeeField)},
    {ReqQryRightsAndInterests, RspQryRightsAndInterests, sizeof(CQetoReqQryStockQuotaField),
     sizeof(CQetoRspQryStockQuotaField)},
    {ReqQryInvestorInfo, RspQryInvestorInfo, sizeof(CQetoReqQryInvestorInfoField),
     sizeof(CQetoRspQryInvestorInfoField)},
    {ReqQrySecurities, RspQrySecurities, sizeof(CQetoReqQryStockSecuritiesField),
     sizeof(CQetoRspQryStockSecuritiesField)},
    {ReqHeartbeat, RspHeartbeat, 0, 0},
};

const Route *routeOf(uint16_t type) {
    for (const Route &r : kRoutes)
        if (r.request == type) return &r;
    return nullptr;
}

bool isAscii(const char *s) {
    for (; *s; ++s)
        if (static_cast<unsigned char>(*s) >= 0x80) return false;
    return true;
}

template <class T>
T readRecord(const uint8_t *body) {
    T t;
    std::memcpy(&t, body, sizeof t);
    return t;
}

template <class T>
void zero(T &t) {
    std::memset(&t, 0, sizeof t);
}

// Decimal text in a fixed field without terminator.
template <std::size_t N>
void putNumber(char (&field)[N], uint32_t value) {
    putText(field, std::to_string(value));
}

// Order numbers fill their whole field, zero-padded on the left, as a counter's do: the field
// has no terminator, so a shorter text would leave NUL padding for the client to show.
template <std::size_t N>
void putOrderNo(char (&field)[N], uint32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < N) text.insert(0, N - text.size(), '0');
    putText(field, text);
}

bool passwordRulesMet(const std::string &pwd) {
    if (pwd.size() != 10) return false;
    bool lower = false, upper = false, digit = false, special = false;
    for (char ch : pwd) {
        if (ch >= 'a' && ch <= 'z')
            lower = true;
        else if (ch >= 'A' && ch <= 'Z')
            upper = true;
        else if (ch >= '0' && ch <= '9')
            digit = true;
        else
            special = true;
    }
    return lower && upper && digit && special;
}

}  // namespace

double tradeFee(double amount, char direction) {
    if (amount <= 0) return 0;
    double fee = std::max(5.0, roundCents(amount * 0.00025));
    if (direction == '2') fee += roundCents(amount * 0.0005);
    return roundCents(fee);
}

std::vector<uint8_t> makeFrame(uint16_t type, uint16_t count, int32_t requestId, uint32_t sessionId, bool last,
                               const void *payload, std::size_t length) {
    FrameHeader h;
    zero(h);
    h.length = static_cast<uint32_t>(length);
    h.type = type;
    h.count = count;
    h.requestId = requestId;
    h.sessionId = sessionId;
    h.last = last ? 1 : 0;
    std::vector<uint8_t> out(sizeof h + length);
    std::memcpy(out.data(), &h, sizeof h);
    if (length) std::memcpy(out.data() + sizeof h, payload, length);
    return out;
}

Engine::Engine(Market &market, AccountList accounts, const EngineOptions &options, Sink sink, Scheduler scheduler)
    : mMarket(market),
      mAccounts(std::move(accounts)),
      mOptions(options),
      mSink(std::move(sink)),
      mSchedule(std::move(scheduler)) {
    if (mOptions.batch < 1) mOptions.batch = 1;
    mClock = [] {
        return static_cast<int64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
                .count());
    };
}

Account *Engine::account(std::string_view id) {
    for (auto &a : mAccounts)
        if (a->id == id) return a.get();
    return nullptr;
}

int Engine::msOfDay() const {
    const int64_t now = mClock();
    std::time_t secs = static_cast<std::time_t>(now / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    return ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + static_cast<int>(now % 1000);
}

std::string Engine::dateTimeText() const {
    std::time_t secs = static_cast<std::time_t>(mClock() / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

CQetoRspInfo Engine::info(uint32_t errorId) const {
    CQetoRspInfo r;
    zero(r);
    r.ErrorID = errorId;
    if (errorId == 0) return r;
    const char *text = "error";
    for (const ErrorText &e : kErrors)
        if (e.id == errorId) text = e.text;
    const std::string wire = isAscii(text) ? std::string(utf8Prefix(text, sizeof r.ErrorMsg - 1))
                                           : encodeFitting(text, mOptions.textEncoding, sizeof r.ErrorMsg - 1);
    std::memcpy(r.ErrorMsg, wire.data(), wire.size());
    return r;
}

void Engine::send(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId, const void *payload,
                  std::size_t length, uint16_t count, bool last) {
    mSink(conn, makeFrame(type, count, requestId, sessionId, last, payload, length));
}

void Engine::sendUnits(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId,
                       const std::vector<uint8_t> &units, std::size_t unitSize) {
    const std::size_t total = units.size() / unitSize;
    const std::size_t perFrame = std::min<std::size_t>(65535, kMaxPayload / unitSize);
    std::size_t done = 0;
    while (done < total) {
        const std::size_t n = std::min(perFrame, total - done);
        send(conn, type, requestId, sessionId, units.data() + done * unitSize, n * unitSize, static_cast<uint16_t>(n),
             done + n == total);
        done += n;
    }
}

template <class R>
void Engine::answer(const Session &s, uint16_t type, int32_t requestId, const R &rec, uint32_t errorId) {
    uint8_t unit[sizeof(R) + sizeof(CQetoRspInfo)];
    const CQetoRspInfo i = info(errorId);
    std::memcpy(unit, &rec, sizeof rec);
    std::memcpy(unit + sizeof rec, &i, sizeof i);
    send(s.conn, type, requestId, s.id, unit, sizeof unit, 1, true);
}

template <class R>
void Engine::answerList(const Session &s, uint16_t type, int32_t requestId, const std::vector<R> &recs) {
    if (recs.empty()) {
        R empty;
        zero(empty);
        answer(s, type, requestId, empty, 5001);
        return;
    }
    const std::size_t unitSize = sizeof(R) + sizeof(CQetoRspInfo);
    std::vector<uint8_t> units(recs.size() * unitSize);
    const CQetoRspInfo ok = info(0);
    for (std::size_t n = 0; n < recs.size(); ++n) {
        std::memcpy(units.data() + n * unitSize, &recs[n], sizeof(R));
        std::memcpy(units.data() + n * unitSize + sizeof(R), &ok, sizeof ok);
    }
    sendUnits(s.conn, type, requestId, s.id, units, unitSize);
}

// Returns go to every live session of the account on that counter.
template <class R>
void Engine::toAccount(Account *a, Exchange ex, uint16_t type, int32_t requestId, const R &rec, uint32_t errorId) {
    for (auto &[id, s] : mSessions)
        if (s.account == a && s.exchange == ex) answer(s, type, requestId, rec, errorId);
}

bool Engine::handleFrame(ConnId conn, const FrameHeader &h, const uint8_t *body, std::size_t length, std::string *why) {
    const Route *route = routeOf(h.type);
    if (!route) {
        *why = "unknown message type " + std::to_string(h.type);
        return false;
    }
    if (length < route->requestSize) {
        *why = "message type " + std::to_string(h.type) + " carries " + std::to_string(length) + " bytes, needs " +
               std::to_string(route->requestSize);
        return false;
    }
    if (h.type == ReqHeartbeat) {
        send(conn, RspHeartbeat, h.requestId, h.sessionId, nullptr, 0, 0, true);
        return true;
    }
    if (h.type == ReqLogin) {
        login(conn, h, body);
        return true;
    }
    auto cs = mConnSession.find(conn);
    if (cs == mConnSession.end() || cs->second != h.sessionId) {
        std::vector<uint8_t> unit(route->answerSize + sizeof(CQetoRspInfo), 0);
        const CQetoRspInfo i = info(1005);
        std::memcpy(unit.data() + route->answerSize, &i, sizeof i);
        send(conn, route->answer, h.requestId, h.sessionId, unit.data(), unit.size(), 1, true);
        return true;
    }
    Session &s = mSessions[cs->second];
    const int32_t req = h.requestId;
    switch (h.type) {
        case ReqLogout: {
            CQetoRspUserLogoutField r;
            zero(r);
            putText(r.AccountID, s.account->id);
            answer(s, RspLogout, req, r, 0);
            mSessions.erase(cs->second);
            mConnSession.erase(cs);
            break;
        }
        case ReqInsertOrder:
            insertOrder(s, req, readRecord<CQetoReqOrderInsertField>(body));
            break;
        case ReqCancelOrder:
            cancelOrder(s, req, readRecord<CQetoReqOrderActionField>(body));
            break;
        case ReqQryOrder:
            queryOrders(s, req, readRecord<CQetoReqQryOrderField>(body));
            break;
        case ReqQryTrade:
            queryTrades(s, req, readRecord<CQetoReqQryTradeField>(body));
            break;
        case ReqQryPosition:
            queryPositions(s, req, readRecord<CQetoReqQryStockPositionField>(body));
            break;
        case ReqQryFund:
            queryFund(s, req);
            break;
        case ReqUpdatePwd:
            updatePassword(s, req, readRecord<CQetoReqUserPasswordUpdateField>(body));
            break;
        case ReqInFund:
        case ReqOutFund:
            cashTransfer(s, req, readRecord<CQetoReqCapTransferField>(body), h.type == ReqInFund);
            break;
        case ReqQryInOutFundRecord:
            queryCashRecords(s, req);
            break;
        case ReqBTFundTransfer:
            btTransfer(s, req, readRecord<CQetoReqBTCapTransferManagerField>(body));
            break;
        case ReqQryBTFundTransferRecord:
            queryBtRecords(s, req);
            break;
        case ReqQrySecurities:
            querySecurities(s, req, readRecord<CQetoReqQryStockSecuritiesField>(body));
            break;
        default:
            answerMisc(s, h.type, req);
            break;
    }
    return true;
}

void Engine::onDisconnect(ConnId conn) {
    auto it = mConnSession.find(conn);
    if (it == mConnSession.end()) return;
    mSessions.erase(it->second);
    mConnSession.erase(it);
}

// ---------------------------------------------------------------- login

void Engine::login(ConnId conn, const FrameHeader &h, const uint8_t *body) {
    const auto req = readRecord<GatewayUserReqLoginField>(body);
    const auto term = readRecord<GatewayTerminalInfoField>(body + sizeof req);
    GatewayUserRspLoginField rsp;
    zero(rsp);
    putText(rsp.AccountID, getText(req.AccountID));
    rsp.ExchangeCode = req.ExchangeCode;

    uint32_t error = 0;
    Account *a = account(getText(req.AccountID));
    if (req.ExchangeCode != '1' && req.ExchangeCode != '2')
        error = 1002;
    else if (!a || a->password != getText(req.Password))
        error = 1001;
    else if (a->branch != getText(req.BranchID) || a->appId != getText(req.AppID))
        error = 1004;
    else if (getText(term.MacAddr).empty() && getText(term.HardDiskSerial).empty() && getText(term.IpAddr).empty() &&
             getText(term.CpuSerial).empty() && getText(term.HostName).empty())
        error = 1003;

    Session s;
    s.conn = conn;
    if (error) {
        answer(s, RspLogin, h.requestId, rsp, error);
        return;
    }
    onDisconnect(conn);  // a second login on one connection replaces the first session
    s.id = mNextSession++;
    s.account = a;
    s.exchange = req.ExchangeCode == '1' ? Shanghai : Shenzhen;
    const Counter &c = a->counters[s.exchange];
    putText(rsp.LoginRspCode, c.loginCode);
    rsp.MaxUserLocalID = c.maxUserLocalId;
    mSessions[s.id] = s;
    mConnSession[conn] = s.id;
    answer(s, RspLogin, h.requestId, rsp, 0);
}

// ---------------------------------------------------------------- orders

std::string Engine::orderText(const Order &o, uint32_t extra) const {
    char buf[160];
    const char *side = o.direction == '1' ? "买入" : "卖出";
    int n = std::snprintf(buf, sizeof buf, "%s %s %u股@%.3f ", side, o.code.c_str(), o.volume, o.price);
    const std::size_t used = n > 0 ? static_cast<std::size_t>(n) : 0;
    switch (o.status) {
        case '2':
            std::snprintf(buf + used, sizeof buf - used, "已报");
            break;
        case '7':
            std::snprintf(buf + used, sizeof buf - used, "部分成交 成交%u股 累计%u股", extra, o.traded);
            break;
        case '8':
            std::snprintf(buf + used, sizeof buf - used, "全部成交 成交%u股", extra);
            break;
        case '5':
            std::snprintf(buf + used, sizeof buf - used, "部分撤单 撤销%u股", extra);
            break;
        case '6':
            std::snprintf(buf + used, sizeof buf - used, "已撤单");
            break;
        default:
            std::snprintf(buf + used, sizeof buf - used, "废单");
            break;
    }
    return buf;
}

void Engine::sendOrderReturn(Account *a, Exchange ex, const Order &o) {
    CQetoRtnOrderField r;
    zero(r);
    r.UserLocalID = o.userLocalId;
    putText(r.SecurityID, o.code);
    r.Direction = o.direction;
    r.Price = o.price;
    r.Volume = o.volume;
    r.OrderPriceType = '2';
    r.OrderSysID = o.sysId;
    r.TradeVolume = o.traded;
    r.LeavesVolume = o.open() ? o.leaves() : 0;
    r.OrderStatus = o.status;
    putText(r.TransactTime, timeText(msOfDay()));
    r.ErrorCode = o.errorCode;
    const std::string text = std::string(utf8Prefix(orderText(o, 0), sizeof r.OrderText - 1));
    std::memcpy(r.OrderText, text.data(), text.size());
    toAccount(a, ex, RtnOrder, o.requestId, r, 0);
}

void Engine::insertOrder(Session &s, int32_t req, const CQetoReqOrderInsertField &r) {
    Counter &c = s.account->counters[s.exchange];
    c.maxUserLocalId = std::max(c.maxUserLocalId, static_cast<uint32_t>(r.UserLocalID));

    Order o;
    o.sysId = mNextSysId++;
    o.userLocalId = r.UserLocalID;
    o.code = getText(r.SecurityID);
    o.direction = r.Direction;
    o.price = r.Price;
    o.volume = r.Volume > 0 ? static_cast<uint32_t>(r.Volume) : 0;
    o.insertMs = msOfDay();
    o.requestId = req;

    uint16_t error = 0;
    const Quote *q = mMarket.find(o.code);
    if (!q || q->exchange != s.exchange) {
        error = 2001;
    } else {
        o.securityType = q->securityType;
        const double onTick = std::round(o.price / q->tick) * q->tick;
        if (r.OrderPriceType != '2' || !std::isfinite(o.price) || std::fabs(onTick - o.price) > kEps ||
            !mMarket.withinLimits(*q, o.price))
            error = 2002;
        else if (r.Volume <= 0 || r.Volume > kMaxOrderVolume || (o.direction != '1' && o.direction != '2') ||
                 (o.direction == '1' && r.Volume % 100 != 0))
            error = 2003;
    }
    if (!error && o.direction == '1') {
        const double amount = roundCents(o.price * o.volume);
        const double fee = tradeFee(amount, '1');
        if (c.available + kEps < amount + fee) {
            error = 2004;
        } else {
            o.frozenCash = amount;
            o.frozenFee = fee;
            c.available = roundCents(c.available - amount - fee);
            c.frozenCash = roundCents(c.frozenCash + amount);
            c.frozenFee = roundCents(c.frozenFee + fee);
        }
    } else if (!error) {
        auto pos = c.positions.find(o.code);
        if (pos == c.positions.end() || pos->second.available() < o.volume)
            error = 2005;
        else
            pos->second.frozenSell += o.volume;
    }

    if (error) {
        o.status = '9';
        o.errorCode = error;
    }
    c.orderIndex[o.sysId] = c.orders.size();
    c.orders.push_back(o);

    CQetoRspOrderInsertField rsp;
    zero(rsp);
    rsp.UserLocalID = o.userLocalId;
    putText(rsp.SecurityID, o.code);
    rsp.Direction = o.direction;
    rsp.Price = o.price;
    rsp.Volume = r.Volume;
    rsp.OrderPriceType = r.OrderPriceType;
    rsp.OrderSysID = o.sysId;
    putText(rsp.InsertTime, timeText(o.insertMs));
    rsp.OrderStatus = o.status;
    rsp.ErrorCode = o.errorCode;
    // Price-limit refusals come from the exchange side, which reports them as an error return
    // in place of the counter's response: one refusal, one answer, one message for the user.
    answer(s, error == 2002 ? ErrRtnInsertOrder : RspInsertOrder, req, rsp, error);
    if (error) return;
    sendOrderReturn(s.account, s.exchange, o);
    match(s.account, s.exchange, o.sysId);
    const Order *after = c.findOrder(o.sysId);
    if (after && after->open()) mResting.push_back({s.account, s.exchange, o.sysId});
}

bool Engine::marketable(const Order &o) const {
    const Quote *q = mMarket.find(o.code);
    if (!q) return false;
    if (o.direction == '1') return q->ask[0] > 0 && q->askVolume[0] > 0 && q->ask[0] <= o.price + kEps;
    return q->bid[0] > 0 && q->bidVolume[0] > 0 && q->bid[0] >= o.price - kEps;
}

void Engine::match(Account *a, Exchange ex, uint32_t sysId) {
    Counter &c = a->counters[ex];
    Order *o = c.findOrder(sysId);
    Quote *q = o ? mMarket.find(o->code) : nullptr;
    if (!o || !q || !o->open()) return;
    for (int i = 0; i < 5 && o->leaves() > 0; ++i) {
        const bool buy = o->direction == '1';
        const double px = buy ? q->ask[i] : q->bid[i];
        uint64_t &vol = buy ? q->askVolume[i] : q->bidVolume[i];
        if (px <= 0 || vol == 0) continue;
        if (buy ? px > o->price + kEps : px < o->price - kEps) break;
        const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(o->leaves(), vol));
        vol -= take;
        fill(a, ex, *o, px, take);
    }
}

void Engine::fill(Account *a, Exchange ex, Order &o, double price, uint32_t qty) {
    Counter &c = a->counters[ex];
    Position &pos = c.positions[o.code];
    const double amount = roundCents(price * qty);
    o.traded += qty;
    o.tradeAmount = roundCents(o.tradeAmount + amount);
    // The fee grows with the order's traded amount, so an order pays its minimum once.
    const double feeInc = roundCents(tradeFee(o.tradeAmount, o.direction) - o.feeCharged);
    o.feeCharged = roundCents(o.feeCharged + feeInc);
    c.fees = roundCents(c.fees + feeInc);
    if (o.direction == '1') {
        const double relCash = std::min(o.frozenCash, roundCents(o.price * qty));
        const double relFee = std::min(o.frozenFee, feeInc);
        o.frozenCash = roundCents(o.frozenCash - relCash);
        o.frozenFee = roundCents(o.frozenFee - relFee);
        c.frozenCash = roundCents(c.frozenCash - relCash);
        c.frozenFee = roundCents(c.frozenFee - relFee);
        c.available = roundCents(c.available + relCash + relFee - amount - feeInc);
        c.todayBuyAmount = roundCents(c.todayBuyAmount + amount);
        pos.todayBuy += qty;
        pos.costAmount = roundCents(pos.costAmount + amount + feeInc);
    } else {
        const uint32_t before = pos.total();
        pos.frozenSell -= qty;
        pos.todaySell += qty;
        if (before > 0) pos.costAmount = roundCents(pos.costAmount * (before - qty) / before);
        c.available = roundCents(c.available + amount - feeInc);
        c.unsettled = roundCents(c.unsettled + amount - feeInc);
        c.todaySellAmount = roundCents(c.todaySellAmount + amount);
    }
    o.status = o.leaves() == 0 ? '8' : '7';
    if (o.status == '8') releaseFreeze(c, o);

    Trade t;
    t.orderSysId = o.sysId;
    t.tradeId = mNextTradeId++;
    t.code = o.code;
    t.direction = o.direction;
    t.price = price;
    t.volume = qty;
    t.leaves = o.leaves();
    t.timeMs = msOfDay();
    c.trades.push_back(t);

    CQetoRtnTradeField rt;
    zero(rt);
    rt.OrderSysID = o.sysId;
    rt.TradeID = t.tradeId;
    putText(rt.SecurityID, o.code);
    rt.Direction = o.direction;
    rt.TradePrice = price;
    rt.TradeVolume = qty;
    putText(rt.TradeTime, timeText(t.timeMs));
    toAccount(a, ex, RtnTrade, o.requestId, rt, 0);

    CQetoRtnOrderField r;
    zero(r);
    r.UserLocalID = o.userLocalId;
    putText(r.SecurityID, o.code);
    r.Direction = o.direction;
    r.Price = o.price;
    r.Volume = o.volume;
    r.OrderPriceType = '2';
    r.OrderSysID = o.sysId;
    r.TradeVolume = o.traded;
    r.LeavesVolume = o.leaves();
    r.OrderStatus = o.status;
    putText(r.TransactTime, timeText(t.timeMs));
    const std::string text = std::string(utf8Prefix(orderText(o, qty), sizeof r.OrderText - 1));
    std::memcpy(r.OrderText, text.data(), text.size());
    toAccount(a, ex, RtnOrder, o.requestId, r, 0);
}

void Engine::releaseFreeze(Counter &c, Order &o) {
    if (o.direction == '1') {
        c.frozenCash = roundCents(c.frozenCash - o.frozenCash);
        c.frozenFee = roundCents(c.frozenFee - o.frozenFee);
        c.available = roundCents(c.available + o.frozenCash + o.frozenFee);
        o.frozenCash = 0;
        o.frozenFee = 0;
    } else {
        c.positions[o.code].frozenSell -= o.leaves();
    }
}

void Engine::onMarketTick() {
    std::vector<RestingRef> still;
    still.reserve(mResting.size());
    for (const RestingRef &ref : mResting) {
        Order *o = ref.account->counters[ref.exchange].findOrder(ref.sysId);
        if (!o || !o->open()) continue;
        still.push_back(ref);
        if (o->fillPending || !marketable(*o)) continue;
        o->fillPending = true;
        mSchedule(mOptions.rtnDelayMs, [this, ref] {
            Order *ord = ref.account->counters[ref.exchange].findOrder(ref.sysId);
            if (!ord) return;
            ord->fillPending = false;
            match(ref.account, ref.exchange, ref.sysId);
        });
    }
    mResting.swap(still);
}

void Engine::cancelOrder(Session &s, int32_t req, const CQetoReqOrderActionField &r) {
    Counter &c = s.account->counters[s.exchange];
    if (r.UserLocalID > 0) c.maxUserLocalId = std::max(c.maxUserLocalId, static_cast<uint32_t>(r.UserLocalID));
    CQetoRspOrderActionField rsp;
    zero(rsp);
    rsp.UserLocalID = r.UserLocalID;
    rsp.OrderSysID = r.OrderSysID;
    Order *o = c.findOrder(r.OrderSysID);
    uint32_t error = 0;
    if (!o)
        error = 2006;
    else if (!o->open())
        error = 2007;
    if (error) {
        if (o) rsp.OrderStatus = o->status;
        answer(s, RspCancelOrder, req, rsp, error);
        answer(s, ErrRtnCancelOrder, req, rsp, error);
        return;
    }
    const uint32_t cancelled = o->leaves();
    releaseFreeze(c, *o);
    o->status = o->traded > 0 ? '5' : '6';
    rsp.OrderStatus = o->status;
    rsp.CancelVolume = cancelled;
    answer(s, RspCancelOrder, req, rsp, 0);

    CQetoRtnOrderField rt;
    zero(rt);
    rt.UserLocalID = o->userLocalId;
    putText(rt.SecurityID, o->code);
    rt.Direction = o->direction;
    rt.Price = o->price;
    rt.Volume = o->volume;
    rt.OrderPriceType = '2';
    rt.OrderSysID = o->sysId;
    rt.TradeVolume = o->traded;
    rt.LeavesVolume = 0;
    rt.OrderStatus = o->status;
    putText(rt.TransactTime, timeText(msOfDay()));
    const std::string text = std::string(utf8Prefix(orderText(*o, cancelled), sizeof rt.OrderText - 1));
    std::memcpy(rt.OrderText, text.data(), text.size());
    toAccount(s.account, s.exchange, RtnOrder, req, rt, 0);
}

// One answer batch of a paged query: up to `batch` wanted items from `position` on; each record
// carries the position after it, and the last one says whether wanted items remain.
template <class Field, class Item, class Wanted, class Fill>
std::vector<Field> pageOf(const std::vector<Item> &items, int32_t position, int batch, Wanted wanted, Fill fill) {
    std::vector<Field> out;
    std::size_t i = position > 0 ? static_cast<std::size_t>(position) : 0;
    for (; i < items.size() && out.size() < static_cast<std::size_t>(batch); ++i) {
        if (!wanted(items[i])) continue;
        out.push_back(fill(items[i]));
        out.back().Position = static_cast<int32_t>(i + 1);
    }
    if (!out.empty()) {
        const auto from = items.begin() + static_cast<std::ptrdiff_t>(std::min(i, items.size()));
        out.back().MoreData = std::any_of(from, items.end(), wanted) ? 1 : 0;
    }
    return out;
}

// ---------------------------------------------------------------- queries

void Engine::queryOrders(Session &s, int32_t req, const CQetoReqQryOrderField &r) {
    const Counter &c = s.account->counters[s.exchange];
    char code8[8];
    std::memcpy(code8, r.SecurityID, sizeof code8);
    const std::string code = getText(code8);
    const int begin = parseTimeText(r.BeginTime);
    const int end = parseTimeText(r.EndTime);
    auto wanted = [&](const Order &o) {
        return (r.OrderSysID == 0 || o.sysId == r.OrderSysID) && (code.empty() || o.code == code) &&
               (begin < 0 || o.insertMs >= begin) && (end < 0 || o.insertMs <= end);
    };
    const auto out = pageOf<CQetoRspQryOrderField>(c.orders, r.Position, mOptions.batch, wanted, [](const Order &o) {
        CQetoRspQryOrderField f;
        zero(f);
        f.UserLocalID = o.userLocalId;
        putText(f.SecurityID, o.code);
        f.Direction = o.direction;
        f.Price = o.price;
        f.Volume = o.volume;
        f.OrderPriceType = '2';
        f.OrderSysID = o.sysId;
        putText(f.InsertTime, timeText(o.insertMs));
        f.TradeVolume = o.traded;
        f.LeavesVolume = o.leaves();
        f.OrderStatus = o.status;
        f.NodeNo = 1;
        putOrderNo(f.OrderNo, o.sysId);
        f.SecurityType = o.securityType;
        f.ErrorCode = o.errorCode;
        f.TradeAmount = o.tradeAmount;
        return f;
    });
    answerList(s, RspQryOrder, req, out);
}

void Engine::queryTrades(Session &s, int32_t req, const CQetoReqQryTradeField &r) {
    const Counter &c = s.account->counters[s.exchange];
    const std::string code = getText(r.SecurityID);
    const int begin = parseTimeText(r.BeginTime);
    const int end = parseTimeText(r.EndTime);
    auto wanted = [&](const Trade &t) {
        return (r.OrderSysID == 0 || t.orderSysId == r.OrderSysID) && (code.empty() || t.code == code) &&
               (begin < 0 || t.timeMs >= begin) && (end < 0 || t.timeMs <= end);
    };
    const auto out = pageOf<CQetoRspQryTradeField>(c.trades, r.Position, mOptions.batch, wanted, [](const Trade &t) {
        CQetoRspQryTradeField f;
        zero(f);
        f.OrderSysID = t.orderSysId;
        f.TradeID = t.tradeId;
        f.TradeVolume = static_cast<int32_t>(t.volume);
        f.LeavesVolume = static_cast<int32_t>(t.leaves);
        putText(f.SecurityID, t.code);
        putText(f.TradeTime, timeText(t.timeMs));
        f.TradePrice = t.price;
        f.Direction = t.direction;
        putOrderNo(f.OrderNo, t.orderSysId);
        return f;
    });
    answerList(s, RspQryTrade, req, out);
}

void Engine::queryPositions(Session &s, int32_t req, const CQetoReqQryStockPositionField &r) {
    const Counter &c = s.account->counters[s.exchange];
    const std::string code = getText(r.SecurityID);
    std::vector<CQetoRspQryStockPositionField> out;
    for (const auto &[posCode, p] : c.positions) {
        if (!code.empty() && posCode != code) continue;
        if (p.yesterday == 0 && p.todayBuy == 0 && p.todaySell == 0) continue;
        CQetoRspQryStockPositionField f;
        zero(f);
        putText(f.AccountID, s.account->id);
        putText(f.SecurityID, posCode);
        f.TodayBuyVolume = p.todayBuy;
        f.TodaySellVolume = p.todaySell;
        f.YesterdayVolume = p.yesterday;
        f.PositionCost = p.total() > 0 ? p.costAmount / p.total() : 0.0;
        f.AvailableVolume = p.available();
        out.push_back(f);
    }
    answerList(s, RspQryPosition, req, out);
}

void Engine::queryFund(Session &s, int32_t req) {
    const Counter &c = s.account->counters[s.exchange];
    double marketValue = 0;
    for (const auto &[code, p] : c.positions)
        if (const Quote *q = mMarket.find(code)) marketValue += q->last * p.total();
    CQetoRspQryStockClientAccountField f;
    zero(f);
    putText(f.AccountID, s.account->id);
    f.FrozenCash = c.frozenCash;
    f.FrozenFee = c.frozenFee;
    f.Fee = c.fees;
    f.OnExchangeCash = roundCents(c.available + c.frozenCash + c.frozenFee);
    f.TotalAsset = roundCents(f.OnExchangeCash + marketValue);
    f.TodaySellAmount = c.todaySellAmount;
    f.TodayBuyAmount = c.todayBuyAmount;
    f.AvailableCash = c.available;
    f.WithdrawableCash = c.withdrawable();
    f.StartWithdrawableCash = c.startWithdrawable;
    answer(s, RspQryFund, req, f, 0);
}

// ---------------------------------------------------------------- password and money

void Engine::updatePassword(Session &s, int32_t req, const CQetoReqUserPasswordUpdateField &r) {
    CQetoRspUserPasswordUpdateField rsp;
    std::memcpy(&rsp, &r, sizeof rsp);
    const std::string oldPwd = getText(r.OldPassword);
    const std::string newPwd = getText(r.NewPassword);
    uint32_t error = 0;
    if (oldPwd != s.account->password)
        error = 4001;
    else if (newPwd == oldPwd || !passwordRulesMet(newPwd))
        error = 4002;
    else
        s.account->password = newPwd;
    answer(s, RspUpdatePwd, req, rsp, error);
}

void Engine::cashTransfer(Session &s, int32_t req, const CQetoReqCapTransferField &r, bool deposit) {
    Counter &c = s.account->counters[s.exchange];
    CQetoRspCapTransferField rsp;
    zero(rsp);
    std::memcpy(rsp.AccountID, r.AccountID, sizeof rsp.AccountID);
    rsp.Amount = r.Amount;
    const double amount = roundCents(r.Amount);
    int32_t error = 0;
    if (!std::isfinite(r.Amount) || amount <= 0 || amount > 1e12)
        error = 3001;
    else if (!deposit && amount > c.withdrawable() + kEps)
        error = 3002;
    if (!error) {
        c.available = roundCents(c.available + (deposit ? amount : -amount));
        CashRecord rec;
        rec.amount = amount;
        rec.direction = deposit ? '1' : '2';
        rec.operTime = dateTimeText();
        c.cashRecords.push_back(rec);
    }
    rsp.ErrorCode = error;
    answer(s, deposit ? RspInFund : RspOutFund, req, rsp, static_cast<uint32_t>(error));
}

void Engine::queryCashRecords(Session &s, int32_t req) {
    const Counter &c = s.account->counters[s.exchange];
    std::vector<CQetoRspQryCapTransferRecordField> out;
    for (const CashRecord &rec : c.cashRecords) {
        CQetoRspQryCapTransferRecordField f;
        zero(f);
        putText(f.OrgCode, s.account->branch);
        putText(f.AccountID, s.account->id);
        f.Amount = rec.amount;
        f.Direction = rec.direction;
        putText(f.OperTime, rec.operTime);
        out.push_back(f);
    }
    if (out.empty()) {
        // No records: one unit with direction '0', not an error.
        CQetoRspQryCapTransferRecordField f;
        zero(f);
        putText(f.OrgCode, s.account->branch);
        putText(f.AccountID, s.account->id);
        f.Direction = '0';
        answer(s, RspQryInOutFundRecord, req, f, 0);
        return;
    }
    answerList(s, RspQryInOutFundRecord, req, out);
}

void Engine::btTransfer(Session &s, int32_t req, const CQetoReqBTCapTransferManagerField &r) {
    Account *a = s.account;
    CQetoRspBTCapTransferManagerField rsp;
    zero(rsp);
    putText(rsp.LoginRspCode, a->counters[s.exchange].loginCode);
    putText(rsp.AccountID, a->id);
    rsp.Amount = r.Amount;
    rsp.Direction = r.Direction;

    TransferRecord rec;
    rec.id = mNextTransferId++;
    rec.amount = roundCents(r.Amount);
    rec.direction = r.Direction;
    rec.timeMs = msOfDay();
    rsp.TransferID = rec.id;

    uint32_t error = 0;
    if (!std::isfinite(r.Amount) || rec.amount <= 0 || rec.amount > 1e12 || (r.Direction != '1' && r.Direction != '2'))
        error = 3001;
    else if (rec.amount > a->counters[r.Direction == '1' ? Shanghai : Shenzhen].withdrawable() + kEps)
        error = 3003;
    rec.errorCode = error;
    rec.status = error ? '1' : '2';
    a->transfers.push_back(rec);
    answer(s, RspBTFundTransfer, req, rsp, error);
    if (error) return;
    const uint32_t id = rec.id;
    mSchedule(mOptions.rtnDelayMs, [this, a, id, req] { completeBtTransfer(a, id, req); });
}

void Engine::completeBtTransfer(Account *a, uint32_t transferId, int32_t req) {
    auto it = std::find_if(a->transfers.begin(), a->transfers.end(),
                           [&](const TransferRecord &t) { return t.id == transferId; });
    if (it == a->transfers.end()) return;
    Counter &from = a->counters[it->direction == '1' ? Shanghai : Shenzhen];
    Counter &to = a->counters[it->direction == '1' ? Shenzhen : Shanghai];
    // Funds may have been spent between the two phases.
    if (it->amount > from.withdrawable() + kEps) {
        it->errorCode = 3003;
    } else {
        from.available = roundCents(from.available - it->amount);
        to.available = roundCents(to.available + it->amount);
    }
    it->status = '6';
    CQetoRtnBtCapTransferManagerField rtn;
    zero(rtn);
    putText(rtn.AccountID, a->id);
    rtn.Amount = it->amount;
    rtn.Direction = it->direction;
    rtn.TransferID = it->id;
    rtn.TransferStatus = it->status;
    rtn.ErrorCode = it->errorCode;
    for (auto &[id, s] : mSessions) {
        if (s.account != a) continue;
        putText(rtn.LoginRspCode, a->counters[s.exchange].loginCode);
        answer(s, RtnBTFundTransfer, req, rtn, it->errorCode);
    }
}

void Engine::queryBtRecords(Session &s, int32_t req) {
    std::vector<CQetoRspQryBTCapTransferManagerField> out;
    for (const TransferRecord &t : s.account->transfers) {
        CQetoRspQryBTCapTransferManagerField f;
        zero(f);
        putText(f.LoginRspCode, s.account->counters[s.exchange].loginCode);
        putText(f.OrgCode, s.account->branch);
        putText(f.AccountID, s.account->id);
        f.Amount = t.amount;
        f.Direction = t.direction;
        putText(f.OperTime, timeText(t.timeMs));
        f.ErrorCode = t.errorCode;
        f.TransferStatus = t.status;
        out.push_back(f);
    }
    answerList(s, RspQryBTFundTransferRecord, req, out);
}

// ---------------------------------------------------------------- answers the client never asks for

void Engine::querySecurities(Session &s, int32_t req, const CQetoReqQryStockSecuritiesField &r) {
    const std::string code = getText(r.SecurityID);
    std::vector<CQetoRspQryStockSecuritiesField> out;
    const auto &quotes = mMarket.quotes();
    std::size_t i = r.Position > 0 ? static_cast<std::size_t>(r.Position) : 0;
    for (; i < quotes.size() && out.size() < static_cast<std::size_t>(mOptions.batch); ++i) {
        const Quote &q = quotes[i];
        if (q.exchange != s.exchange || (!code.empty() && q.code != code)) continue;
        CQetoRspQryStockSecuritiesField f;
        zero(f);
        putText(f.SecurityID, q.code);
        putText(f.SecurityName, utf8Prefix(q.name, sizeof f.SecurityName - 1));
        f.SecurityType = q.securityType;
        f.MaxBuyVolume = kMaxOrderVolume;
        f.MaxSellVolume = kMaxOrderVolume;
        f.MinBuyVolume = 100;
        f.MinSellVolume = 1;
        f.LowerLimitPrice = q.lower;
        f.UpperLimitPrice = q.upper;
        f.RiskLevel = 1;
        f.Position = static_cast<int32_t>(i + 1);
        out.push_back(f);
    }
    if (!out.empty()) {
        bool more = false;
        for (std::size_t k = i; k < quotes.size() && !more; ++k)
            more = quotes[k].exchange == s.exchange && (code.empty() || quotes[k].code == code);
        out.back().MoreData = more ? 1 : 0;
    }
    answerList(s, RspQrySecurities, req, out);
}

void Engine::answerMisc(Session &s, uint16_t type, int32_t req) {
    if (type == ReqQryRate) {
        CQetoRspQryStockFeeField f;
        zero(f);
        f.FeeRate = 0.00025;
        f.MinFee = 5.0;
        answer(s, RspQryRate, req, f, 0);
    } else if (type == ReqQryRightsAndInterests) {
        CQetoRspQryStockQuotaField f;
        zero(f);
        putText(f.AccountID, s.account->id);
        f.Quota = 0;
        answer(s, RspQryRightsAndInterests, req, f, 0);
    } else if (type == ReqQryInvestorInfo) {
        CQetoRspQryInvestorInfoField f;
        zero(f);
        putText(f.AccountID, s.account->id);
        putText(f.InvestorName, "模拟投资者" + s.account->id);
        answer(s, RspQryInvestorInfo, req, f, 0);
    }
}

// ---------------------------------------------------------------- historical orders

void Engine::preloadOrders(int count) {
    if (mAccounts.empty() || count <= 0) return;
    Account *a = mAccounts.front().get();
    std::vector<const Quote *> codes[2];
    for (const Quote &q : mMarket.quotes()) codes[q.exchange].push_back(&q);
    const int dayMs = 4 * 3600 * 1000;  // 09:30-11:30 and 13:00-15:00
    for (int n = 0; n < count; ++n) {
        const Exchange ex = (n % 2) ? Shenzhen : Shanghai;
        if (codes[ex].empty()) continue;
        Counter &c = a->counters[ex];
        const Quote &q = *codes[ex][(n / 2) % codes[ex].size()];
        int t = static_cast<int>(static_cast<int64_t>(dayMs) * n / count);
        t += t < 2 * 3600 * 1000 ? (9 * 3600 + 1800) * 1000 : 11 * 3600 * 1000;

        Order o;
        o.sysId = mNextSysId++;
        o.userLocalId = ++c.maxUserLocalId;
        o.code = q.code;
        o.direction = (n / 2) % 3 == 2 ? '2' : '1';
        o.price = std::round(q.preClose * (1.0 + 0.001 * ((n % 7) - 3)) / q.tick) * q.tick;
        o.volume = 100u * (1 + n % 20);
        o.insertMs = t;
        o.securityType = q.securityType;
        switch (n % 10) {
            case 6:
                o.status = '6';
                break;
            case 7:
                o.status = '5';
                o.traded = (o.volume / 200) * 100;
                if (o.traded == 0) o.status = '6';
                break;
            case 8:
                o.status = '9';
                o.errorCode = o.direction == '1' ? 2004 : 2005;
                break;
            default:
                o.status = '8';
                o.traded = o.volume;
                break;
        }
        o.tradeAmount = roundCents(o.price * o.traded);
        c.orderIndex[o.sysId] = c.orders.size();
        c.orders.push_back(o);
        if (o.traded > 0) {
            Trade tr;
            tr.orderSysId = o.sysId;
            tr.tradeId = mNextTradeId++;
            tr.code = o.code;
            tr.direction = o.direction;
            tr.price = o.price;
            tr.volume = o.traded;
            tr.leaves = o.volume - o.traded;
            tr.timeMs = t + 150;
            c.trades.push_back(tr);
        }
    }
}

}  // namespace qeto::sim
