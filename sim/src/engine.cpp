// Routing, sessions and login; the answer plumbing every concern sends through.
#include "engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <type_traits>

#include "engine_internal.h"
#include "platform.h"

namespace qeto::sim {

using namespace qeto::wire;

namespace {

struct ErrorText {
    Refusal id;
    const char *text;  // UTF-8; Chinese texts go out in the configured encoding
};

// Some refusals carry ASCII texts (the client shows its catalogue text), some Chinese ones
// (the client shows them as they come).
const ErrorText kErrors[] = {
    {Refusal::BadCredentials, "invalid account or password"},
    {Refusal::BadExchange, "不支持的交易所代码"},
    {Refusal::NoTerminalInfo, "terminal information missing"},
    {Refusal::BadBranchOrApp, "营业部或应用编号不符"},
    {Refusal::NotLoggedIn, "not logged in or session expired"},
    {Refusal::UnknownSecurity, "unknown security code"},
    {Refusal::BadPrice, "price out of limits or invalid price type"},
    {Refusal::BadVolume, "委托数量不合法"},
    {Refusal::NoFunds, "insufficient funds"},
    {Refusal::NoShares, "可用股份不足"},
    {Refusal::OrderNotFound, "order not found"},
    {Refusal::OrderClosed, "委托已成交或已撤销"},
    {Refusal::BadAmount, "invalid amount"},
    {Refusal::NotWithdrawable, "可取资金不足"},
    {Refusal::TransferShort, "insufficient available funds"},
    {Refusal::OldPasswordWrong, "old password mismatch"},
    {Refusal::NewPasswordRefused, "新密码不符合规则"},
    {Refusal::NoRecord, "no record"},
};

bool isAscii(const char *s) {
    for (; *s; ++s)
        if (static_cast<unsigned char>(*s) >= 0x80) return false;
    return true;
}

bool terminalInfoEmpty(const GatewayTerminalInfoField &t) {
    return getText(t.MacAddr).empty() && getText(t.HardDiskSerial).empty() && getText(t.IpAddr).empty() &&
           getText(t.CpuSerial).empty() && getText(t.HostName).empty();
}

}  // namespace

std::vector<uint8_t> makeFrame(uint16_t type, uint16_t count, int32_t requestId, uint32_t sessionId, bool last,
                               const void *payload, std::size_t length) {
    const FrameHeader h = frameHeader(type, static_cast<uint32_t>(length), requestId, sessionId, count, last);
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
    const std::tm tm = platform::localTime(static_cast<std::time_t>(now / 1000));
    return ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + static_cast<int>(now % 1000);
}

std::string Engine::dateTimeText() const {
    const std::tm tm = platform::localTime(static_cast<std::time_t>(mClock() / 1000));
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

CQetoRspInfo Engine::info(Refusal error) const {
    CQetoRspInfo r;
    zero(r);
    r.ErrorID = idOf(error);
    if (error == Refusal::None) return r;
    const char *text = "error";
    for (const ErrorText &e : kErrors)
        if (e.id == error) text = e.text;
    const std::string wire = isAscii(text) ? std::string(utf8Prefix(text, sizeof r.ErrorMsg - 1))
                                           : encodeFitting(text, mOptions.textEncoding, sizeof r.ErrorMsg - 1);
    std::memcpy(r.ErrorMsg, wire.data(), wire.size());
    return r;
}

void Engine::send(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId, const void *payload,
                  std::size_t length, uint16_t count, bool last) {
    mSink(conn, makeFrame(type, count, requestId, sessionId, last, payload, length));
}

void Engine::sendUnits(ConnId conn, uint16_t type, int32_t requestId, uint32_t sessionId, std::vector<uint8_t> framed,
                       std::size_t unitSize) {
    const uint8_t *units = framed.data() + sizeof(FrameHeader);
    const std::size_t total = (framed.size() - sizeof(FrameHeader)) / unitSize;
    const std::size_t perFrame = std::min<std::size_t>(65535, kMaxPayload / unitSize);
    if (total <= perFrame) {
        // A page of 100 KB copied once more into a fresh frame cost as much as building it.
        const FrameHeader h = frameHeader(type, static_cast<uint32_t>(total * unitSize), requestId, sessionId,
                                          static_cast<uint16_t>(total), true);
        std::memcpy(framed.data(), &h, sizeof h);
        mSink(conn, std::move(framed));
        return;
    }
    std::size_t done = 0;
    while (done < total) {
        const std::size_t n = std::min(perFrame, total - done);
        send(conn, type, requestId, sessionId, units + done * unitSize, n * unitSize, static_cast<uint16_t>(n),
             done + n == total);
        done += n;
    }
}

// ---------------------------------------------------------------- routing

struct Engine::Route {
    uint16_t request;
    uint16_t answer;
    std::size_t requestSize;
    std::size_t answerSize;
    Handler handle;
};

template <class R, auto Handle>
void Engine::withRecord(Session &s, int32_t req, const uint8_t *body) {
    if constexpr (std::is_invocable_v<decltype(Handle), Engine &, Session &, int32_t, const R &>)
        (this->*Handle)(s, req, readRecord<R>(body));
    else
        (this->*Handle)(s, req);
}

const Engine::Route *Engine::routeOf(uint16_t type) {
    using E = Engine;
#define QETO_OPENING_ROUTE(name, type, record, answer) \
    {name, answer, kRecordSize<record>, answerRecordSize(answer), nullptr},
#define QETO_ROUTE(name, type, record, answer, call, handler) \
    {name, answer, sizeof(record), answerRecordSize(answer), &E::withRecord<record, &E::handler>},
    static const Route routes[] = {QETO_WIRE_OPENING(QETO_OPENING_ROUTE) QETO_WIRE_REQUESTS(QETO_ROUTE)};
#undef QETO_ROUTE
#undef QETO_OPENING_ROUTE
    for (const Route &r : routes)
        if (r.request == type) return &r;
    return nullptr;
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
        refuseWithoutSession(conn, *route, h);
        return true;
    }
    (this->*route->handle)(mSessions[cs->second], h.requestId, body);
    return true;
}

// The answer type of the request, an empty record and "not logged in".
void Engine::refuseWithoutSession(ConnId conn, const Route &route, const FrameHeader &h) {
    std::vector<uint8_t> unit(route.answerSize + sizeof(CQetoRspInfo), 0);
    const CQetoRspInfo i = info(Refusal::NotLoggedIn);
    std::memcpy(unit.data() + route.answerSize, &i, sizeof i);
    send(conn, route.answer, h.requestId, h.sessionId, unit.data(), unit.size(), 1, true);
}

void Engine::onDisconnect(ConnId conn) {
    auto it = mConnSession.find(conn);
    if (it == mConnSession.end()) return;
    mSessions.erase(it->second);
    mConnSession.erase(it);
}

// ---------------------------------------------------------------- login and logout

void Engine::login(ConnId conn, const FrameHeader &h, const uint8_t *body) {
    const auto req = readRecord<GatewayUserReqLoginField>(body);
    const auto term = readRecord<GatewayTerminalInfoField>(body + sizeof req);
    GatewayUserRspLoginField rsp;
    zero(rsp);
    putText(rsp.AccountID, getText(req.AccountID));
    rsp.ExchangeCode = req.ExchangeCode;

    Refusal error = Refusal::None;
    Account *a = account(getText(req.AccountID));
    if (req.ExchangeCode != ExchangeCode::Shanghai && req.ExchangeCode != ExchangeCode::Shenzhen)
        error = Refusal::BadExchange;
    else if (!a || a->password != getText(req.Password))
        error = Refusal::BadCredentials;
    else if (a->branch != getText(req.BranchID) || a->appId != getText(req.AppID))
        error = Refusal::BadBranchOrApp;
    else if (terminalInfoEmpty(term))
        error = Refusal::NoTerminalInfo;

    Session s;
    s.conn = conn;
    if (error != Refusal::None) {
        answer(s, RspLogin, h.requestId, rsp, error);
        return;
    }
    onDisconnect(conn);  // a second login on one connection replaces the first session
    s.id = mNextSession++;
    s.account = a;
    s.exchange = req.ExchangeCode == ExchangeCode::Shanghai ? Shanghai : Shenzhen;
    const Counter &c = a->counters[s.exchange];
    putText(rsp.LoginRspCode, c.loginCode);
    rsp.MaxUserLocalID = c.maxUserLocalId;
    mSessions[s.id] = s;
    mConnSession[conn] = s.id;
    answer(s, RspLogin, h.requestId, rsp, Refusal::None);
}

void Engine::logout(Session &s, int32_t req) {
    CQetoRspUserLogoutField r;
    zero(r);
    putText(r.AccountID, s.account->id);
    answer(s, RspLogout, req, r, Refusal::None);
    onDisconnect(s.conn);  // s goes with it
}

}  // namespace qeto::sim
