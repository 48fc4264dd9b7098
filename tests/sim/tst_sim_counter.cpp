// Counter engine: login, orders and matching, cancels, positions and funds, queries, transfers, password.
#include <gtest/gtest.h>

#include <cmath>

#include "qeto_demo_accounts.h"
#include "sim_harness.h"

using namespace qeto::sim;
using namespace qeto::sim::test;
using namespace qeto::wire;

namespace {

// ---------------------------------------------------------------- login

struct LoginCase {
    const char *name;
    char exchange;
    const char *account;
    const char *password;
    const char *branch;
    const char *app;
    bool terminal;
    uint32_t error;
    bool asciiText;
};

class LoginTest : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginTest, ChecksEveryField) {
    const LoginCase &c = GetParam();
    Harness h;
    auto u = h.login(c.exchange, c.account, c.password, 1, c.branch, c.app, c.terminal);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspLogin);
    EXPECT_TRUE(u[0].last);
    EXPECT_EQ(val(u[0].info.ErrorID), c.error);
    const auto rsp = u[0].as<GatewayUserRspLoginField>();
    if (c.error == 0) {
        EXPECT_NE(u[0].sessionId, 0u);
        EXPECT_STREQ(rsp.LoginRspCode, c.exchange == '1' ? "SH01" : "SZ01");
        EXPECT_EQ(val(rsp.MaxUserLocalID), 0u);
    } else {
        EXPECT_EQ(u[0].sessionId, 0u);
        const std::string t = u[0].text();
        EXPECT_FALSE(t.empty());
        bool ascii = true;
        for (unsigned char ch : t) ascii = ascii && ch < 0x80;
        EXPECT_EQ(ascii, c.asciiText) << t;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sim, LoginTest,
    ::testing::Values(
        LoginCase{"shanghai", '1', demo::kAccount, demo::kPassword, "0001", "qeto-desk", true, 0, true},
        LoginCase{"shenzhen", '2', demo::kAccount, demo::kPassword, "0001", "qeto-desk", true, 0, true},
        LoginCase{"second", '1', demo::kSecondAccount, demo::kSecondPassword, "0001", "qeto-desk", true, 0, true},
        LoginCase{"badExchange", '3', demo::kAccount, demo::kPassword, "0001", "qeto-desk", true, 1002, false},
        LoginCase{"wrongPassword", '1', demo::kAccount, "654321", "0001", "qeto-desk", true, 1001, true},
        LoginCase{"unknownAccount", '1', "99999999", "123456", "0001", "qeto-desk", true, 1001, true},
        LoginCase{"badBranch", '1', demo::kAccount, demo::kPassword, "0002", "qeto-desk", true, 1004, false},
        LoginCase{"badApp", '2', demo::kAccount, demo::kPassword, "0001", "other", true, 1004, false},
        LoginCase{"noTerminal", '1', demo::kAccount, demo::kPassword, "0001", "qeto-desk", false, 1003, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SimCounter, ChineseRefusalTextFollowsTheTextEncoding) {
    Harness gbk(500, Encoding::Gbk);
    auto u = gbk.login('9');
    ASSERT_EQ(val(u[0].info.ErrorID), 1002u);
    // "不支持的交易所代码": 9 characters, 18 bytes in GBK.
    EXPECT_EQ(u[0].text().size(), 18u);
    Harness utf8;
    EXPECT_EQ(utf8.login('9')[0].text().size(), 27u);
}

TEST(SimCounter, RequestsNeedTheSessionOfTheirConnection) {
    Harness h;
    CQetoReqQryStockClientAccountField fund{};
    auto u = h.request(ReqQryFund, fund);  // not logged in
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspQryFund);
    EXPECT_EQ(val(u[0].info.ErrorID), 1005u);

    h.login('1');
    h.sessions[1] += 1;  // wrong session id
    u = h.order("600000", '1', 10.5, 100);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspInsertOrder);
    EXPECT_EQ(val(u[0].info.ErrorID), 1005u);

    // A session does not follow to another connection.
    h.sessions[2] = h.sessions[1] - 1;
    EXPECT_EQ(val(h.request(ReqQryFund, fund, 2).at(0).info.ErrorID), 1005u);
}

// ---------------------------------------------------------------- routing

struct RouteCase {
    const char *name;
    uint16_t request;
    std::size_t requestSize;
    uint16_t answer;
};

#define SIM_ROUTE(name, type, record, answer, call, handler) RouteCase{#name, name, sizeof(record), answer},
const RouteCase kRoutes[] = {QETO_WIRE_REQUESTS(SIM_ROUTE)};
#undef SIM_ROUTE

// Every frame sent since the last take() is whole units of its type's listed record.
void expectListedUnits(const Harness &h) {
    for (const auto &[conn, f] : h.frames) {
        FrameHeader hd;
        std::memcpy(&hd, f.data(), sizeof hd);
        const std::size_t rs = answerRecordSize(hd.type);
        EXPECT_GT(rs, 0u) << hd.type;
        EXPECT_EQ(f.size() - sizeof hd, hd.count * (rs + sizeof(CQetoRspInfo))) << hd.type;
    }
}

class RouteTest : public ::testing::TestWithParam<RouteCase> {};

// Each request type reaches its own handler: the first answer carries the type's answer type and
// the request id, refused with 1005 before login and not after; every answer unit is the record
// the wire list gives for its type; one byte short is a protocol fault.
TEST_P(RouteTest, EveryRequestGetsItsOwnAnswerType) {
    const RouteCase &c = GetParam();
    Harness h;
    const std::vector<uint8_t> body(c.requestSize, 0);
    ASSERT_TRUE(h.raw(1, c.request, 0, body.data(), body.size(), 41));
    expectListedUnits(h);
    auto u = h.take();
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, c.answer);
    EXPECT_EQ(u[0].requestId, 41);
    EXPECT_EQ(val(u[0].info.ErrorID), 1005u);

    h.login('1');
    ASSERT_TRUE(h.raw(1, c.request, h.sessions[1], body.data(), body.size(), 42));
    h.runTasks();
    expectListedUnits(h);
    u = h.take();
    ASSERT_FALSE(u.empty());
    EXPECT_EQ(u[0].type, c.answer);
    EXPECT_EQ(u[0].requestId, 42);
    EXPECT_NE(val(u[0].info.ErrorID), 1005u);

    EXPECT_FALSE(h.raw(1, c.request, h.sessions[1], body.data(), body.size() - 1, 43));
}

INSTANTIATE_TEST_SUITE_P(Sim, RouteTest, ::testing::ValuesIn(kRoutes),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimCounter, ProtocolFaultsAreReported) {
    Harness h;
    std::string why;
    FrameHeader hd = frameHeader(77, 0, 0, 0, 0, false);
    uint8_t body[16] = {};
    EXPECT_FALSE(h.engine.handleFrame(1, hd, body, 0, &why));
    EXPECT_NE(why.find("unknown"), std::string::npos);
    hd.type = ReqLogin;
    EXPECT_FALSE(h.engine.handleFrame(1, hd, body, sizeof body, &why));
    hd.type = ReqHeartbeat;
    EXPECT_TRUE(h.engine.handleFrame(1, hd, body, 0, &why));
    auto u = h.take();
    ASSERT_EQ(u.size(), 0u);  // the heartbeat answer has no units
    EXPECT_TRUE(h.frames.empty());
}

TEST(SimCounter, LogoutEndsTheSession) {
    Harness h;
    h.login('1');
    CQetoReqUserLogoutField r{};
    auto u = h.request(ReqLogout, r);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspLogout);
    EXPECT_EQ(h.engine.sessionCount(), 0u);
    EXPECT_EQ(val(h.fund().AvailableCash), 0.0);  // refused with 1005, zero record
}

// ---------------------------------------------------------------- order checks

struct OrderCase {
    const char *name;
    const char *code;
    char dir;
    double price;
    int32_t volume;
    char priceType;
    uint32_t error;
    bool errRtn;
};

class OrderCheckTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(OrderCheckTest, RefusesWithTheCatalogueId) {
    const OrderCase &c = GetParam();
    Harness h;
    h.login('1');
    auto u = h.order(c.code, c.dir, c.price, c.volume, 5, c.priceType);
    ASSERT_GE(u.size(), 1u);
    EXPECT_EQ(u[0].type, c.errRtn ? ErrRtnInsertOrder : RspInsertOrder);
    EXPECT_EQ(ofType(u, RspInsertOrder).size(), c.errRtn ? 0u : 1u);
    EXPECT_EQ(val(u[0].info.ErrorID), c.error);
    const auto rsp = u[0].as<CQetoRspOrderInsertField>();
    EXPECT_NE(val(rsp.OrderSysID), 0u);
    EXPECT_EQ(val(rsp.ErrorCode), c.error);
    EXPECT_EQ(val(rsp.OrderStatus), '9');
    EXPECT_EQ(ofType(u, ErrRtnInsertOrder).size(), c.errRtn ? 1u : 0u);
    EXPECT_TRUE(ofType(u, RtnOrder).empty());
    EXPECT_TRUE(ofType(u, RtnTrade).empty());

    // The refused order stays in the order list with its error code.
    CQetoReqQryOrderField q{};
    q.OrderSysID = rsp.OrderSysID;
    q.QueryFlag = 2;
    auto list = h.request(ReqQryOrder, q);
    ASSERT_EQ(list.size(), 1u);
    const auto rec = list[0].as<CQetoRspQryOrderField>();
    EXPECT_EQ(val(rec.ErrorCode), c.error);
    EXPECT_EQ(val(rec.OrderStatus), '9');

    // Nothing was frozen.
    const auto f = h.fund();
    EXPECT_DOUBLE_EQ(val(f.AvailableCash), 1000000.0);
    EXPECT_DOUBLE_EQ(val(f.FrozenCash), 0.0);
}

// 600000: previous close 10.50, limits 9.45 .. 11.55, ask 10.51 x 1000, 10.52 x 2000, ...
INSTANTIATE_TEST_SUITE_P(Sim, OrderCheckTest,
                         ::testing::Values(OrderCase{"unknownCode", "699998", '1', 10.0, 100, '2', 2001, false},
                                           OrderCase{"otherExchange", "000001", '1', 11.2, 100, '2', 2001, false},
                                           OrderCase{"aboveLimit", "600000", '1', 11.56, 100, '2', 2002, true},
                                           OrderCase{"belowLimit", "600000", '2', 9.44, 100, '2', 2002, true},
                                           OrderCase{"offTick", "600000", '1', 10.505, 100, '2', 2002, true},
                                           OrderCase{"marketPriceType", "600000", '1', 10.5, 100, '1', 2002, true},
                                           OrderCase{"zeroVolume", "600000", '1', 10.5, 0, '2', 2003, false},
                                           OrderCase{"oddLotBuy", "600000", '1', 10.5, 150, '2', 2003, false},
                                           OrderCase{"noFunds", "600000", '1', 11.0, 100000, '2', 2004, false},
                                           OrderCase{"noShares", "600000", '2', 10.5, 10001, '2', 2005, false},
                                           OrderCase{"notHeld", "600519", '2', 1680.0, 100, '2', 2005, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- matching, positions, funds

void expectBuyFundsBalance(const CQetoRspQryStockClientAccountField &f, double initial) {
    EXPECT_NEAR(val(f.AvailableCash) + val(f.FrozenCash) + val(f.FrozenFee) + val(f.TodayBuyAmount) + val(f.Fee),
                initial, 1e-6);
}

TEST(SimCounter, MarketableBuyWalksTheAskLevels) {
    Harness h;
    h.login('1');
    auto u = h.order("600000", '1', 10.52, 2500, 42);
    ASSERT_EQ(u[0].type, RspInsertOrder);
    EXPECT_EQ(val(u[0].info.ErrorID), 0u);
    const auto rsp = u[0].as<CQetoRspOrderInsertField>();
    EXPECT_EQ(val(rsp.OrderStatus), '2');
    EXPECT_EQ(rsp.InsertTime[0], '1');  // 100000000
    auto trades = ofType(u, RtnTrade);
    ASSERT_EQ(trades.size(), 2u);
    EXPECT_DOUBLE_EQ(val(trades[0].as<CQetoRtnTradeField>().TradePrice), 10.51);
    EXPECT_EQ(val(trades[0].as<CQetoRtnTradeField>().TradeVolume), 1000u);
    EXPECT_DOUBLE_EQ(val(trades[1].as<CQetoRtnTradeField>().TradePrice), 10.52);
    EXPECT_EQ(val(trades[1].as<CQetoRtnTradeField>().TradeVolume), 1500u);
    auto rtns = ofType(u, RtnOrder);
    ASSERT_EQ(rtns.size(), 3u);
    EXPECT_EQ(val(rtns[0].as<CQetoRtnOrderField>().OrderStatus), '2');
    EXPECT_EQ(val(rtns[1].as<CQetoRtnOrderField>().OrderStatus), '7');
    const auto done = rtns[2].as<CQetoRtnOrderField>();
    EXPECT_EQ(val(done.OrderStatus), '8');
    EXPECT_EQ(val(done.TradeVolume), 2500u);
    EXPECT_EQ(val(done.LeavesVolume), 0u);
    EXPECT_EQ(std::string(rtns[0].as<CQetoRtnOrderField>().OrderText), "买入 600000 2500股@10.520 已报");

    const double amount = 10510.0 + 15780.0;
    const auto f = h.fund();
    EXPECT_DOUBLE_EQ(val(f.TodayBuyAmount), amount);
    EXPECT_DOUBLE_EQ(val(f.Fee), tradeFee(amount, '1'));
    EXPECT_DOUBLE_EQ(val(f.FrozenCash), 0.0);
    EXPECT_DOUBLE_EQ(val(f.FrozenFee), 0.0);
    EXPECT_NEAR(val(f.AvailableCash), 1000000.0 - amount - tradeFee(amount, '1'), 1e-6);
    expectBuyFundsBalance(f, 1000000.0);

    // The largest user-local id outlives the session.
    auto again = h.login('1', demo::kAccount, demo::kPassword, 2);
    EXPECT_EQ(val(again[0].as<GatewayUserRspLoginField>().MaxUserLocalID), 42u);
    EXPECT_EQ(val(h.login('2', demo::kAccount, demo::kPassword, 3)[0].as<GatewayUserRspLoginField>().MaxUserLocalID),
              0u);
}

TEST(SimCounter, PartialFillRestsAndFillsWhenTheMarketComes) {
    Harness h;
    h.login('1');
    auto u = h.order("600000", '1', 10.52, 5000);
    const uint32_t sysId = u[0].as<CQetoRspOrderInsertField>().OrderSysID;
    ASSERT_EQ(ofType(u, RtnTrade).size(), 2u);  // 1000 @ 10.51 + 2000 @ 10.52
    EXPECT_EQ(val(ofType(u, RtnOrder).back().as<CQetoRtnOrderField>().OrderStatus), '7');
    auto f = h.fund();
    EXPECT_NEAR(val(f.FrozenCash), 10.52 * 2000, 1e-6);
    expectBuyFundsBalance(f, 1000000.0);

    // A tick that does not reach the price fills nothing.
    h.engine.onMarketTick();
    EXPECT_TRUE(h.tasks.empty());
    // The market falls: the rest fills after the return delay, not at once.
    h.market.setLast("600000", 10.40);
    h.engine.onMarketTick();
    h.engine.onMarketTick();  // no second fill scheduled while one is pending
    EXPECT_TRUE(h.take().empty());
    ASSERT_EQ(h.tasks.size(), 1u);
    h.runTasks();
    u = h.take();
    auto trades = ofType(u, RtnTrade);
    ASSERT_EQ(trades.size(), 2u);  // 1000 @ 10.41 + 1000 @ 10.42
    EXPECT_DOUBLE_EQ(val(trades[0].as<CQetoRtnTradeField>().TradePrice), 10.41);
    EXPECT_EQ(val(ofType(u, RtnOrder).back().as<CQetoRtnOrderField>().OrderStatus), '8');
    EXPECT_EQ(val(ofType(u, RtnOrder).back().as<CQetoRtnOrderField>().OrderSysID), sysId);
    f = h.fund();
    EXPECT_DOUBLE_EQ(val(f.FrozenCash), 0.0);
    EXPECT_DOUBLE_EQ(val(f.FrozenFee), 0.0);
    expectBuyFundsBalance(f, 1000000.0);
}

TEST(SimCounter, TodaysBuysAreNotSellableUntilTomorrow) {
    Harness h;
    h.login('1');
    h.order("600000", '1', 10.51, 1000);
    CQetoReqQryStockPositionField q{};
    putText(q.SecurityID, "600000");
    auto u = h.request(ReqQryPosition, q);
    ASSERT_EQ(u.size(), 1u);
    auto p = u[0].as<CQetoRspQryStockPositionField>();
    EXPECT_EQ(val(p.YesterdayVolume), 10000u);
    EXPECT_EQ(val(p.TodayBuyVolume), 1000u);
    EXPECT_EQ(val(p.AvailableVolume), 10000u);
    EXPECT_EQ(val(h.order("600000", '2', 10.50, 10001)[0].info.ErrorID), 2005u);

    // Selling at the bid: proceeds are usable at once but not withdrawable today.
    u = h.order("600000", '2', 10.50, 1000);
    ASSERT_EQ(val(u[0].info.ErrorID), 0u);
    ASSERT_EQ(ofType(u, RtnTrade).size(), 1u);
    u = h.request(ReqQryPosition, q);
    p = u[0].as<CQetoRspQryStockPositionField>();
    EXPECT_EQ(val(p.TodaySellVolume), 1000u);
    EXPECT_EQ(val(p.AvailableVolume), 9000u);
    const auto f = h.fund();
    EXPECT_DOUBLE_EQ(val(f.TodaySellAmount), 10500.0);
    EXPECT_NEAR(val(f.AvailableCash) - val(f.WithdrawableCash), 10500.0 - tradeFee(10500.0, '2'), 1e-6);
    EXPECT_DOUBLE_EQ(val(f.StartWithdrawableCash), 1000000.0);

    // A resting sell holds its shares.
    u = h.order("600000", '2', 11.00, 500);
    u = h.request(ReqQryPosition, q);
    EXPECT_EQ(val(u[0].as<CQetoRspQryStockPositionField>().AvailableVolume), 8500u);
}

// Fees that fall on half a cent round up, whatever the binary fraction of the amount; the
// cash figures are whole cents.
struct FeeCase {
    const char *name;
    char direction;
    double price;
    int32_t volume;
    double frozenFee;
    double fee;
    double withdrawable;
};

class FeeTest : public ::testing::TestWithParam<FeeCase> {};

TEST_P(FeeTest, HalfCentsRoundUpAndCashStaysOnTheCent) {
    const FeeCase &c = GetParam();
    Harness h;
    h.login('1');
    ASSERT_EQ(val(h.order("600000", c.direction, c.price, c.volume)[0].info.ErrorID), 0u);
    const auto f = h.fund();
    EXPECT_EQ(val(f.FrozenFee), c.frozenFee);
    EXPECT_EQ(val(f.Fee), c.fee);
    EXPECT_EQ(val(f.WithdrawableCash), c.withdrawable);
}

INSTANTIATE_TEST_SUITE_P(Sim, FeeTest,
                         ::testing::Values(FeeCase{"restingBuy", '1', 9.50, 3400, 8.08, 0.0, 967691.92},
                                           FeeCase{"sellStampDuty", '2', 10.50, 860, 0.0, 9.52, 1000000.0},
                                           FeeCase{"sellWalkingTheBids", '2', 10.48, 5000, 0.0, 39.33, 1000000.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimCounter, CancelStatesAndRefusals) {
    Harness h;
    h.login('1');
    // Resting buy below the market: cancelled whole.
    auto u = h.order("600000", '1', 10.00, 1000);
    const uint32_t resting = u[0].as<CQetoRspOrderInsertField>().OrderSysID;
    EXPECT_LT(val(h.fund().AvailableCash), 1000000.0 - 10000.0);
    u = h.cancel(resting);
    ASSERT_EQ(u[0].type, RspCancelOrder);
    EXPECT_EQ(val(u[0].info.ErrorID), 0u);
    auto a = u[0].as<CQetoRspOrderActionField>();
    EXPECT_EQ(val(a.OrderStatus), '6');
    EXPECT_EQ(val(a.CancelVolume), 1000u);
    EXPECT_EQ(val(ofType(u, RtnOrder).at(0).as<CQetoRtnOrderField>().OrderStatus), '6');
    EXPECT_DOUBLE_EQ(val(h.fund().AvailableCash), 1000000.0);
    EXPECT_DOUBLE_EQ(val(h.fund().FrozenCash), 0.0);

    // Partly filled, then cancelled: '5'.
    u = h.order("600000", '1', 10.51, 3000);
    const uint32_t partial = u[0].as<CQetoRspOrderInsertField>().OrderSysID;
    u = h.cancel(partial);
    a = u[0].as<CQetoRspOrderActionField>();
    EXPECT_EQ(val(a.OrderStatus), '5');
    EXPECT_EQ(val(a.CancelVolume), 2000u);
    expectBuyFundsBalance(h.fund(), 1000000.0);
    EXPECT_DOUBLE_EQ(val(h.fund().FrozenCash), 0.0);

    struct {
        uint32_t sysId;
        uint32_t error;
    } refusals[] = {{resting, 2007}, {partial, 2007}, {987654, 2006}};
    for (const auto &r : refusals) {
        u = h.cancel(r.sysId);
        ASSERT_EQ(u.size(), 2u);
        EXPECT_EQ(u[0].type, RspCancelOrder);
        EXPECT_EQ(val(u[0].info.ErrorID), r.error);
        EXPECT_EQ(u[1].type, ErrRtnCancelOrder);
        EXPECT_EQ(val(u[1].info.ErrorID), r.error);
    }

    // A cancelled sell gives its shares back.
    u = h.order("601318", '2', 49.00, 5000);
    h.cancel(u[0].as<CQetoRspOrderInsertField>().OrderSysID);
    EXPECT_EQ(val(h.order("601318", '2', 49.00, 5000)[0].info.ErrorID), 0u);
}

TEST(SimCounter, ReturnsReachEveryLiveSessionOfTheCounter) {
    Harness h;
    h.login('1', demo::kAccount, demo::kPassword, 1);
    h.login('1', demo::kAccount, demo::kPassword, 2);
    h.login('2', demo::kAccount, demo::kPassword, 3);
    CQetoReqOrderInsertField r{};
    putText(r.SecurityID, "600000");
    r.Direction = '1';
    r.Price = 10.51;
    r.Volume = 100;
    r.OrderPriceType = '2';
    ASSERT_TRUE(h.raw(1, ReqInsertOrder, h.sessions[1], &r, sizeof r));
    int perConn[4] = {};
    for (auto &[conn, f] : h.frames) {
        FrameHeader hd;
        std::memcpy(&hd, f.data(), sizeof hd);
        if (hd.type == RtnTrade) ++perConn[conn];
    }
    EXPECT_EQ(perConn[1], 1);
    EXPECT_EQ(perConn[2], 1);
    EXPECT_EQ(perConn[3], 0);
}

// ---------------------------------------------------------------- queries and paging

CQetoReqQryOrderField orderQuery(int32_t position = 0) {
    CQetoReqQryOrderField q{};
    q.Position = position;
    q.QueryFlag = 2;
    return q;
}

struct PagingCase {
    const char *name;
    int preload;  // split over both counters: half on Shanghai
    int batch;
    std::vector<int> pages;
};

class OrderPagingTest : public ::testing::TestWithParam<PagingCase> {};

TEST_P(OrderPagingTest, ContinuesExactlyWhereTheLastPageEnded) {
    const PagingCase &c = GetParam();
    Harness h(c.batch);
    h.engine.preloadOrders(c.preload);
    h.login('1');
    std::vector<uint32_t> seen;
    int32_t position = 0;
    for (std::size_t page = 0; page < c.pages.size(); ++page) {
        auto u = h.request(ReqQryOrder, orderQuery(position));
        ASSERT_EQ(static_cast<int>(u.size()), c.pages[page]) << "page " << page;
        for (std::size_t n = 0; n < u.size(); ++n) {
            EXPECT_EQ(u[n].type, RspQryOrder);
            EXPECT_EQ(val(u[n].info.ErrorID), 0u);
            EXPECT_EQ(u[n].last, n + 1 == u.size());
            const auto r = u[n].as<CQetoRspQryOrderField>();
            seen.push_back(val(r.OrderSysID));
            EXPECT_EQ(std::stoul(std::string(r.OrderNo, sizeof r.OrderNo)), val(r.OrderSysID));
        }
        const auto lastRec = u.back().as<CQetoRspQryOrderField>();
        EXPECT_EQ(val(lastRec.MoreData) != 0, page + 1 < c.pages.size());
        position = lastRec.Position;
    }
    // Every Shanghai order once, in order.
    ASSERT_EQ(static_cast<int>(seen.size()), c.preload / 2);
    for (std::size_t n = 1; n < seen.size(); ++n) EXPECT_LT(seen[n - 1], seen[n]);
}

INSTANTIATE_TEST_SUITE_P(Sim, OrderPagingTest,
                         ::testing::Values(PagingCase{"exactlyBatch", 10, 5, {5}},
                                           PagingCase{"batchPlusOne", 12, 5, {5, 1}},
                                           PagingCase{"threePages", 24, 5, {5, 5, 2}},
                                           PagingCase{"batchOne", 4, 1, {1, 1}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimCounter, LargeAnswersSplitIntoFramesUnderTheLimit) {
    Harness h(5000);
    h.engine.preloadOrders(20000);
    h.login('1');
    h.raw(1, ReqQryOrder, h.sessions[1], nullptr, 0);  // short: refused as a protocol fault
    auto q = orderQuery();
    h.raw(1, ReqQryOrder, h.sessions[1], &q, sizeof q);
    ASSERT_GE(h.frames.size(), 2u);
    std::size_t units = 0;
    for (std::size_t n = 0; n < h.frames.size(); ++n) {
        FrameHeader hd;
        std::memcpy(&hd, h.frames[n].second.data(), sizeof hd);
        EXPECT_LE(val(hd.length), kMaxPayload);
        EXPECT_EQ(val(hd.last), n + 1 == h.frames.size() ? 1 : 0);
        units += hd.count;
    }
    EXPECT_EQ(units, 5000u);
    auto u = h.take();
    EXPECT_NE(val(u.back().as<CQetoRspQryOrderField>().MoreData), 0);
}

TEST(SimCounter, OrderFiltersAndEmptyAnswer) {
    Harness h;
    h.engine.preloadOrders(40);  // 20 per counter, spread over the day
    h.login('1');
    auto all = h.request(ReqQryOrder, orderQuery());
    ASSERT_EQ(all.size(), 20u);
    const auto third = all[2].as<CQetoRspQryOrderField>();

    auto byId = orderQuery();
    byId.OrderSysID = third.OrderSysID;
    auto u = h.request(ReqQryOrder, byId);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(val(u[0].as<CQetoRspQryOrderField>().OrderSysID), val(third.OrderSysID));

    auto byCode = orderQuery();
    putText(byCode.SecurityID, std::string(third.SecurityID, 6));
    u = h.request(ReqQryOrder, byCode);
    ASSERT_GE(u.size(), 1u);
    for (const auto &x : u)
        EXPECT_EQ(std::string(x.as<CQetoRspQryOrderField>().SecurityID), std::string(third.SecurityID, 6));

    // Both bounds inclusive.
    auto byTime = orderQuery();
    std::memcpy(byTime.BeginTime, third.InsertTime, 9);
    std::memcpy(byTime.EndTime, third.InsertTime, 9);
    u = h.request(ReqQryOrder, byTime);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(val(u[0].as<CQetoRspQryOrderField>().OrderSysID), val(third.OrderSysID));
    auto fromThird = orderQuery();
    std::memcpy(fromThird.BeginTime, third.InsertTime, 9);
    EXPECT_EQ(h.request(ReqQryOrder, fromThird).size(), 18u);

    auto none = orderQuery();
    putText(none.SecurityID, "688999");
    u = h.request(ReqQryOrder, none);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(val(u[0].info.ErrorID), 5001u);
    EXPECT_EQ(u[0].text(), "no record");
    EXPECT_TRUE(u[0].last);
}

TEST(SimCounter, TradeQueryPagesAndFilters) {
    Harness h(3);
    h.login('1');
    h.order("600000", '1', 10.53, 6000);  // 1000 + 2000 + 3000
    h.order("601318", '1', 45.21, 100);
    CQetoReqQryTradeField q{};
    q.QueryFlag = 2;
    auto u = h.request(ReqQryTrade, q);
    ASSERT_EQ(u.size(), 3u);
    auto lastRec = u.back().as<CQetoRspQryTradeField>();
    EXPECT_NE(val(lastRec.MoreData), 0);
    q.Position = lastRec.Position;
    u = h.request(ReqQryTrade, q);
    ASSERT_EQ(u.size(), 1u);
    const auto t = u[0].as<CQetoRspQryTradeField>();
    EXPECT_EQ(std::string(t.SecurityID), "601318");
    EXPECT_EQ(val(t.Direction), '1');
    EXPECT_EQ(val(t.TradeVolume), 100);
    EXPECT_EQ(val(u[0].as<CQetoRspQryTradeField>().MoreData), 0);

    CQetoReqQryTradeField byCode{};
    putText(byCode.SecurityID, "600000");
    u = h.request(ReqQryTrade, byCode);
    ASSERT_EQ(u.size(), 3u);
    EXPECT_EQ(val(u.back().as<CQetoRspQryTradeField>().MoreData), 0);
    EXPECT_EQ(val(u[2].as<CQetoRspQryTradeField>().LeavesVolume), 0);
    EXPECT_DOUBLE_EQ(val(u[2].as<CQetoRspQryTradeField>().TradePrice), 10.53);

    CQetoReqQryTradeField late{};
    std::memcpy(late.BeginTime, "100000001", 9);
    u = h.request(ReqQryTrade, late);
    EXPECT_EQ(val(u.at(0).info.ErrorID), 5001u);
}

TEST(SimCounter, PositionsOneUnitPerHolding) {
    Harness h;
    h.login('2');
    CQetoReqQryStockPositionField q{};
    auto u = h.request(ReqQryPosition, q);
    ASSERT_EQ(u.size(), 2u);
    EXPECT_EQ(std::string(u[0].as<CQetoRspQryStockPositionField>().SecurityID), "000001");
    EXPECT_EQ(val(u[0].as<CQetoRspQryStockPositionField>().YesterdayVolume), 20000u);
    EXPECT_NEAR(val(u[0].as<CQetoRspQryStockPositionField>().PositionCost), 10.65, 1e-9);
    EXPECT_FALSE(u[0].last);
    EXPECT_TRUE(u[1].last);
    putText(q.SecurityID, "300001");
    EXPECT_EQ(val(h.request(ReqQryPosition, q).at(0).info.ErrorID), 5001u);
}

// ---------------------------------------------------------------- money

CQetoReqCapTransferField cash(double amount) {
    CQetoReqCapTransferField r{};
    putText(r.AccountID, demo::kAccount);
    r.Amount = amount;
    return r;
}

TEST(SimCounter, DepositWithdrawalAndRecords) {
    Harness h;
    h.login('1');
    CQetoReqQryCapTransferRecordField rq{};
    auto u = h.request(ReqQryInOutFundRecord, rq);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(val(u[0].info.ErrorID), 0u);
    EXPECT_EQ(val(u[0].as<CQetoRspQryCapTransferRecordField>().Direction), '0');
    EXPECT_TRUE(u[0].last);

    struct {
        uint16_t type;
        double amount;
        uint32_t error;
    } steps[] = {{ReqInFund, 0.0, 3001},  {ReqInFund, -5.0, 3001},        {ReqInFund, NAN, 3001},
                 {ReqInFund, 2500.50, 0}, {ReqOutFund, 1002500.51, 3002}, {ReqOutFund, 500.25, 0}};
    for (const auto &s : steps) {
        u = h.request(s.type, cash(s.amount));
        ASSERT_EQ(u.size(), 1u);
        EXPECT_EQ(u[0].type, s.type == ReqInFund ? RspInFund : RspOutFund);
        EXPECT_EQ(val(u[0].info.ErrorID), s.error) << s.amount;
        EXPECT_EQ(val(u[0].as<CQetoRspCapTransferField>().ErrorCode), static_cast<int32_t>(s.error));
    }
    EXPECT_DOUBLE_EQ(val(h.fund().AvailableCash), 1000000.0 + 2500.50 - 500.25);

    u = h.request(ReqQryInOutFundRecord, rq);
    ASSERT_EQ(u.size(), 2u);
    const auto d = u[0].as<CQetoRspQryCapTransferRecordField>();
    EXPECT_EQ(std::string(d.OrgCode, 4), "0001");
    EXPECT_DOUBLE_EQ(val(d.Amount), 2500.50);
    EXPECT_EQ(val(d.Direction), '1');
    EXPECT_EQ(std::string(d.OperTime), "2026-01-05 10:00:00");
    EXPECT_EQ(val(u[1].as<CQetoRspQryCapTransferRecordField>().Direction), '2');

    // Records belong to their counter.
    h.login('2', demo::kAccount, demo::kPassword, 2);
    EXPECT_EQ(val(h.request(ReqQryInOutFundRecord, rq, 2).at(0).as<CQetoRspQryCapTransferRecordField>().Direction),
              '0');
}

CQetoReqBTCapTransferManagerField bt(double amount, char dir) {
    CQetoReqBTCapTransferManagerField r{};
    putText(r.LoginRspCode, "SH01");
    putText(r.AccountID, demo::kAccount);
    r.Amount = amount;
    r.Direction = dir;
    return r;
}

TEST(SimCounter, TransferBetweenCountersInTwoPhases) {
    Harness h;
    h.login('1', demo::kAccount, demo::kPassword, 1);
    h.login('2', demo::kAccount, demo::kPassword, 2);
    auto u = h.request(ReqBTFundTransfer, bt(250000.0, '1'));
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspBTFundTransfer);
    EXPECT_EQ(val(u[0].info.ErrorID), 0u);
    EXPECT_NE(val(u[0].as<CQetoRspBTCapTransferManagerField>().TransferID), 0u);
    EXPECT_DOUBLE_EQ(val(h.fund(1).AvailableCash), 1000000.0);  // not moved before the return

    ASSERT_EQ(h.tasks.size(), 1u);
    h.runTasks();
    u = h.take();
    auto rtn = ofType(u, RtnBTFundTransfer);
    ASSERT_EQ(rtn.size(), 2u);  // both sessions of the account hear it
    EXPECT_EQ(val(rtn[0].info.ErrorID), 0u);
    EXPECT_EQ(val(rtn[0].as<CQetoRtnBtCapTransferManagerField>().TransferStatus), '6');
    EXPECT_EQ(val(rtn[0].as<CQetoRtnBtCapTransferManagerField>().ErrorCode), 0u);
    EXPECT_DOUBLE_EQ(val(h.fund(1).AvailableCash), 750000.0);
    EXPECT_DOUBLE_EQ(val(h.fund(2).AvailableCash), 1250000.0);

    // Refused at once: more than the source holds.
    u = h.request(ReqBTFundTransfer, bt(750000.01, '1'));
    EXPECT_EQ(val(u[0].info.ErrorID), 3003u);
    EXPECT_TRUE(h.tasks.empty());
    EXPECT_EQ(val(h.request(ReqBTFundTransfer, bt(0.0, '2')).at(0).info.ErrorID), 3001u);

    // Accepted, then the money is gone by the second phase.
    u = h.request(ReqBTFundTransfer, bt(1250000.0, '2'), 2);
    EXPECT_EQ(val(u[0].info.ErrorID), 0u);
    EXPECT_EQ(val(h.request(ReqOutFund, cash(1000.0), 2).at(0).info.ErrorID), 0u);
    h.runTasks();
    rtn = ofType(h.take(), RtnBTFundTransfer);
    ASSERT_FALSE(rtn.empty());
    EXPECT_EQ(val(rtn[0].info.ErrorID), 3003u);
    EXPECT_EQ(val(rtn[0].as<CQetoRtnBtCapTransferManagerField>().ErrorCode), 3003u);
    EXPECT_DOUBLE_EQ(val(h.fund(2).AvailableCash), 1249000.0);

    CQetoReqQryBTCapTransferManagerField q{};
    u = h.request(ReqQryBTFundTransferRecord, q, 2);
    ASSERT_EQ(u.size(), 4u);
    const auto first = u[0].as<CQetoRspQryBTCapTransferManagerField>();
    EXPECT_EQ(std::string(first.OrgCode, 4), "0001");
    EXPECT_DOUBLE_EQ(val(first.Amount), 250000.0);
    EXPECT_EQ(val(first.Direction), '1');
    EXPECT_EQ(std::string(first.OperTime, 9), "100000000");
    EXPECT_EQ(val(first.TransferStatus), '6');
    EXPECT_EQ(val(first.ErrorCode), 0u);
    EXPECT_EQ(val(u[1].as<CQetoRspQryBTCapTransferManagerField>().ErrorCode), 3003u);
    EXPECT_EQ(val(u[3].as<CQetoRspQryBTCapTransferManagerField>().ErrorCode), 3003u);
    EXPECT_TRUE(u[3].last);
}

struct PasswordCase {
    const char *name;
    const char *oldPwd;
    const char *newPwd;
    uint32_t error;
};

class PasswordTest : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordTest, Rules) {
    const PasswordCase &c = GetParam();
    Harness h;
    h.login('1');
    CQetoReqUserPasswordUpdateField r{};
    putText(r.AccountID, demo::kAccount);
    putText(r.OldPassword, c.oldPwd);
    putText(r.NewPassword, c.newPwd);
    auto u = h.request(ReqUpdatePwd, r);
    ASSERT_EQ(u.size(), 1u);
    EXPECT_EQ(u[0].type, RspUpdatePwd);
    EXPECT_EQ(val(u[0].info.ErrorID), c.error);
    // Only an accepted change moves the password.
    const bool newWorks = val(h.login('1', demo::kAccount, c.newPwd, 2)[0].info.ErrorID) == 0;
    EXPECT_EQ(newWorks, c.error == 0);
}

INSTANTIATE_TEST_SUITE_P(Sim, PasswordTest,
                         ::testing::Values(PasswordCase{"good", "123456", "Abc_12345x", 0},
                                           PasswordCase{"wrongOld", "123457", "Abc_12345x", 4001},
                                           PasswordCase{"nine", "123456", "Abc_12345", 4002},
                                           PasswordCase{"noUpper", "123456", "abc_12345x", 4002},
                                           PasswordCase{"noLower", "123456", "ABC_12345X", 4002},
                                           PasswordCase{"noDigit", "123456", "Abc_defghx", 4002},
                                           PasswordCase{"noSpecial", "123456", "Abc123456x", 4002}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SimCounter, PasswordSameAsOldIsRefused) {
    Harness h;
    h.login('1', demo::kSecondAccount, demo::kSecondPassword);
    CQetoReqUserPasswordUpdateField r{};
    putText(r.OldPassword, "Abc_123456");
    putText(r.NewPassword, "Abc_123456");
    EXPECT_EQ(val(h.request(ReqUpdatePwd, r).at(0).info.ErrorID), 4002u);
}

}  // namespace
