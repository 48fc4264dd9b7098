// The gateway library against qeto-sim: every request with its answers, order matching,
// paging, transfers and reconnection. Skipped when the simulator is not built.
#include <gtest/gtest.h>
#include <signal.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "gate_test_support.h"
#include "qeto_demo_accounts.h"

namespace demo = qeto::sim::demo;

using namespace gatetest;
namespace wire = qeto::wire;

namespace {

constexpr const char *kAccount = demo::kAccount;
constexpr const char *kPassword = demo::kPassword;

struct LoginInput {
    std::string account = kAccount;
    std::string password = kPassword;
    std::string branch = "0001";
    std::string app = "qeto-desk";
    char exchange = '1';
    bool terminal = true;
};

class SimGateway : public ::testing::Test {
protected:
    void SetUp() override {
        if (simPath().empty()) GTEST_SKIP() << "qeto-sim is not built";
        Recorder::get().clear();
    }
    void TearDown() override {
        release(0);
        Recorder::get().clear();
        sim_.stop();
    }

    // Starts the simulator with `args` and the library against it; waits for the connection.
    void boot(const std::vector<std::string> &args, const std::string &extraParams = "") {
        std::string error;
        ASSERT_TRUE(sim_.start(simPath(), args, &error)) << error;
        params_ = std::make_unique<ParamFile>(url(sim_.counterPort) + ";", extraParams);
        ASSERT_EQ(startEntry(*params_), 0);
        ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
    }

    // Sends a login and returns its answer.
    Event login(const LoginInput &in = {}) {
        GatewayUserReqLoginField r{};
        GT_PUT(r.AccountID, in.account);
        GT_PUT(r.Password, in.password);
        GT_PUT(r.BranchID, in.branch);
        GT_PUT(r.AppID, in.app);
        r.ExchangeCode = in.exchange;
        r.OperWay = '7';
        GatewayTerminalInfoField t{};
        if (in.terminal) {
            GT_PUT(t.MacAddr, "00-11-22-33-44-55");
            GT_PUT(t.HostName, "desk");
        }
        const size_t before = Recorder::get().count(kRspLogin);
        const int id = nextId();
        EXPECT_EQ(reqLogin(&r, &t, id, 0), 0);
        EXPECT_TRUE(Recorder::get().waitCount(kRspLogin, before + 1));
        const auto all = Recorder::get().of(kRspLogin);
        Event e = all.size() > before ? all[before] : Event{};
        EXPECT_EQ(e.requestId, id);
        session_ = e.session;
        return e;
    }

    // Calls `send` with a fresh request id and waits for the answer unit flagged last.
    std::vector<Event> ask(int slot, const std::function<int(uint32_t, int)> &send) {
        const int id = nextId();
        EXPECT_EQ(send(session_, id), 0);
        auto done = [slot, id](const std::vector<Event> &ev) {
            for (const auto &e : ev)
                if (e.slot == slot && e.requestId == id && e.last) return true;
            return false;
        };
        EXPECT_TRUE(Recorder::get().waitFor(done)) << "no last answer in slot " << slot;
        std::vector<Event> out;
        for (const auto &e : Recorder::get().of(slot))
            if (e.requestId == id) out.push_back(e);
        return out;
    }

    // Sends `rec` through the library's request function `req` and waits as above.
    template <class R>
    std::vector<Event> ask(int slot, int (*req)(R *, uint32_t, int, int), R &rec) {
        return ask(slot, [&](uint32_t s, int id) { return req(&rec, s, id, 0); });
    }

    Event waitOne(int slot, const std::function<bool(const Event &)> &match) {
        Event found;
        EXPECT_TRUE(Recorder::get().waitFor([&](const std::vector<Event> &ev) {
            for (const auto &e : ev)
                if (e.slot == slot && match(e)) {
                    found = e;
                    return true;
                }
            return false;
        })) << "nothing in slot "
            << slot;
        return found;
    }

    int nextId() { return ++requestId_; }

    SimProcess sim_;
    std::unique_ptr<ParamFile> params_;
    uint32_t session_ = 0;
    int requestId_ = 0;
};

CQetoReqOrderInsertField order(const char *code, char direction, double price, int volume, uint32_t localId) {
    CQetoReqOrderInsertField o{};
    o.UserLocalID = localId;
    GT_PUT(o.SecurityID, code);
    o.Direction = direction;
    o.Price = price;
    o.Volume = volume;
    o.OrderPriceType = '2';
    o.TimeCondition = '0';
    GT_PUT(o.Remark, "ApiClient");
    return o;
}

int sendOrder(CQetoReqOrderInsertField o, uint32_t s, int id) {
    unsigned char opaque[128] = {};
    return reqInsertOrder(&o, opaque, s, id, 0);
}

}  // namespace

// ---------------------------------------------------------------- login

struct LoginCase {
    const char *name;
    LoginInput input;
    uint32_t error;
    const char *code;  // LoginRspCode when accepted
};

class SimLogin : public SimGateway, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(SimLogin, answer) {
    const LoginCase &c = GetParam();
    boot({});
    const Event e = login(c.input);
    EXPECT_EQ(+e.info.ErrorID, c.error) << e.info.ErrorMsg;
    EXPECT_TRUE(e.last);
    CQetoReqQryStockClientAccountField f{};
    GT_PUT(f.AccountID, kAccount);
    if (c.error != 0) {
        EXPECT_STRNE(e.info.ErrorMsg, "");
        EXPECT_NE(reqQryFund(&f, e.session, 99, 0), 0) << "refused login leaves requests closed";
        return;
    }
    const auto r = e.as<GatewayUserRspLoginField>();
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(e.record.data() + 20)), c.code);
    EXPECT_EQ(GT_TEXT(r.LoginRspCode), c.code);
    EXPECT_EQ(+r.ExchangeCode, c.input.exchange);
    EXPECT_NE(e.session, 0u);
    // The session id from the callback is the one the counter wants back.
    const auto fund = ask(kRspQryFund, reqQryFund, f);
    ASSERT_EQ(fund.size(), 1u);
    EXPECT_EQ(+fund[0].info.ErrorID, 0u);
    EXPECT_EQ(fund[0].session, e.session);
}

namespace {
LoginInput with(std::function<void(LoginInput &)> f) {
    LoginInput in;
    f(in);
    return in;
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, SimLogin,
    ::testing::Values(LoginCase{"shanghai", {}, 0, "SH01"},
                      LoginCase{"shenzhen", with([](LoginInput &i) { i.exchange = '2'; }), 0, "SZ01"},
                      LoginCase{"wrong_password", with([](LoginInput &i) { i.password = "654321"; }), 1001, ""},
                      LoginCase{"unknown_account", with([](LoginInput &i) { i.account = "999"; }), 1001, ""},
                      LoginCase{"bad_exchange", with([](LoginInput &i) { i.exchange = '3'; }), 1002, ""},
                      LoginCase{"no_terminal_info", with([](LoginInput &i) { i.terminal = false; }), 1003, ""},
                      LoginCase{"wrong_branch", with([](LoginInput &i) { i.branch = "0002"; }), 1004, ""}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- funds and positions

TEST_F(SimGateway, fundAndPositionAnswers) {
    boot({"--deterministic"});
    ASSERT_EQ(+login().info.ErrorID, 0u);

    CQetoReqQryStockClientAccountField f{};
    GT_PUT(f.AccountID, kAccount);
    const auto fund = ask(kRspQryFund, reqQryFund, f);
    ASSERT_EQ(fund.size(), 1u);
    const auto a = fund[0].as<CQetoRspQryStockClientAccountField>();
    EXPECT_EQ(GT_TEXT(a.AccountID), kAccount);
    EXPECT_DOUBLE_EQ(a.AvailableCash, 1000000.00);
    EXPECT_DOUBLE_EQ(a.WithdrawableCash, 1000000.00);
    EXPECT_DOUBLE_EQ(a.StartWithdrawableCash, 1000000.00);
    EXPECT_DOUBLE_EQ(a.FrozenCash, 0.0);
    EXPECT_DOUBLE_EQ(a.TodayBuyAmount, 0.0);
    EXPECT_GT(+a.TotalAsset, +a.AvailableCash);  // holdings count too

    CQetoReqQryStockPositionField p{};
    GT_PUT(p.AccountID, kAccount);
    const auto pos = ask(kRspQryPosition, reqQryPosition, p);
    std::map<std::string, CQetoRspQryStockPositionField> byCode;
    for (size_t i = 0; i < pos.size(); ++i) {
        EXPECT_EQ(pos[i].last, i + 1 == pos.size());
        const auto r = pos[i].as<CQetoRspQryStockPositionField>();
        byCode[GT_TEXT(r.SecurityID)] = r;
    }
    ASSERT_EQ(byCode.size(), 2u);
    EXPECT_EQ(+byCode["600000"].YesterdayVolume, 10000u);
    EXPECT_EQ(+byCode["600000"].AvailableVolume, 10000u);
    EXPECT_NEAR(byCode["600000"].PositionCost, 9.80, 1e-9);  // cost per share
    EXPECT_EQ(+byCode["601318"].YesterdayVolume, 5000u);

    // One code only.
    GT_PUT(p.SecurityID, "601318");
    const auto one = ask(kRspQryPosition, reqQryPosition, p);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(GT_TEXT(one[0].as<CQetoRspQryStockPositionField>().SecurityID), "601318");
}

// ---------------------------------------------------------------- orders

TEST_F(SimGateway, restingOrderThenCancel) {
    boot({"--deterministic"});
    const auto l = login();
    const uint32_t localId = l.as<GatewayUserRspLoginField>().MaxUserLocalID + 1;

    const auto rsp = ask(kRspInsertOrder, [&](uint32_t s, int id) {
        return sendOrder(order("600000", '1', 9.50, 300, localId), s, id);
    });
    ASSERT_EQ(rsp.size(), 1u);
    EXPECT_EQ(+rsp[0].info.ErrorID, 0u) << rsp[0].info.ErrorMsg;
    const auto o = rsp[0].as<CQetoRspOrderInsertField>();
    EXPECT_EQ(+o.UserLocalID, localId);
    EXPECT_EQ(GT_TEXT(o.SecurityID), "600000");
    EXPECT_EQ(+o.Direction, '1');
    EXPECT_DOUBLE_EQ(o.Price, 9.50);
    EXPECT_EQ(+o.Volume, 300);
    EXPECT_EQ(+o.OrderPriceType, '2');
    EXPECT_EQ(+o.OrderStatus, '2');
    EXPECT_NE(+o.OrderSysID, 0u);
    EXPECT_EQ(GT_TEXT(o.InsertTime).size(), 9u);

    const Event rtn =
        waitOne(kRtnOrder, [&](const Event &e) { return e.as<CQetoRtnOrderField>().OrderSysID == o.OrderSysID; });
    const auto r = rtn.as<CQetoRtnOrderField>();
    EXPECT_EQ(+r.OrderStatus, '2');
    EXPECT_EQ(+r.LeavesVolume, 300u);
    EXPECT_EQ(+r.TradeVolume, 0u);
    EXPECT_FALSE(GT_TEXT(r.OrderText).empty());

    CQetoReqOrderActionField c{};
    c.UserLocalID = static_cast<int32_t>(localId + 1);
    c.OrderSysID = o.OrderSysID;
    c.ActionFlag = '1';
    unsigned char opaque[128] = {};
    const auto cancel = ask(kRspCancelOrder, [&](uint32_t s, int id) { return reqCancelOrder(&c, opaque, s, id, 0); });
    ASSERT_EQ(cancel.size(), 1u);
    EXPECT_EQ(+cancel[0].info.ErrorID, 0u);
    const auto ca = cancel[0].as<CQetoRspOrderActionField>();
    EXPECT_EQ(+ca.OrderSysID, +o.OrderSysID);
    EXPECT_EQ(+ca.OrderStatus, '6');
    EXPECT_EQ(+ca.CancelVolume, 300u);

    // A second cancel is refused, also as an error return.
    const auto again = ask(kRspCancelOrder, [&](uint32_t s, int id) { return reqCancelOrder(&c, opaque, s, id, 0); });
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(+again[0].info.ErrorID, 2007u);
    waitOne(kErrRtnCancelOrder, [&](const Event &e) { return e.requestId == again[0].requestId; });

    // The order query shows it cancelled.
    CQetoReqQryOrderField q{};
    q.OrderSysID = o.OrderSysID;
    q.QueryFlag = 2;
    const auto found = ask(kRspQryOrder, reqQryOrder, q);
    ASSERT_EQ(found.size(), 1u);
    const auto qo = found[0].as<CQetoRspQryOrderField>();
    EXPECT_EQ(+qo.OrderSysID, +o.OrderSysID);
    EXPECT_EQ(+qo.OrderStatus, '6');
    EXPECT_EQ(+qo.Volume, 300u);
    EXPECT_EQ(std::memchr(qo.OrderNo, 0, sizeof qo.OrderNo), nullptr);  // fills its field
    EXPECT_EQ(std::stoul(std::string(qo.OrderNo, sizeof qo.OrderNo)), o.OrderSysID);
    EXPECT_EQ(+qo.MoreData, 0);
}

TEST_F(SimGateway, marketableOrderFills) {
    boot({"--deterministic"});
    login();
    const auto rsp =
        ask(kRspInsertOrder, [&](uint32_t s, int id) { return sendOrder(order("600000", '1', 11.00, 200, 1), s, id); });
    ASSERT_EQ(rsp.size(), 1u);
    ASSERT_EQ(+rsp[0].info.ErrorID, 0u);
    const uint32_t sysId = rsp[0].as<CQetoRspOrderInsertField>().OrderSysID;

    const Event filled = waitOne(kRtnOrder, [&](const Event &e) {
        const auto r = e.as<CQetoRtnOrderField>();
        return r.OrderSysID == sysId && r.OrderStatus == '8';
    });
    EXPECT_EQ(+filled.as<CQetoRtnOrderField>().TradeVolume, 200u);
    EXPECT_EQ(+filled.as<CQetoRtnOrderField>().LeavesVolume, 0u);
    ASSERT_TRUE(Recorder::get().waitFor([&](const std::vector<Event> &ev) {
        uint32_t traded = 0;
        for (const auto &e : ev)
            if (e.slot == kRtnTrade && e.as<CQetoRtnTradeField>().OrderSysID == sysId)
                traded += e.as<CQetoRtnTradeField>().TradeVolume;
        return traded == 200;
    }));
    for (const auto &e : Recorder::get().of(kRtnTrade)) {
        const auto t = e.as<CQetoRtnTradeField>();
        EXPECT_EQ(GT_TEXT(t.SecurityID), "600000");
        EXPECT_EQ(+t.Direction, '1');
        EXPECT_GT(+t.TradePrice, 9.45);
        EXPECT_LE(+t.TradePrice, 11.00);
    }
    // The trade query sees the fills.
    CQetoReqQryTradeField q{};
    q.OrderSysID = sysId;
    q.QueryFlag = 2;
    const auto trades = ask(kRspQryTrade, reqQryTrade, q);
    uint32_t total = 0;
    for (const auto &e : trades) {
        EXPECT_EQ(+e.info.ErrorID, 0u);
        total += static_cast<uint32_t>(e.as<CQetoRspQryTradeField>().TradeVolume);
        EXPECT_EQ(+e.as<CQetoRspQryTradeField>().OrderSysID, sysId);
    }
    EXPECT_EQ(total, 200u);
}

struct RefusalCase {
    const char *name;
    const char *code;
    char direction;
    double price;
    int volume;
    uint32_t error;
    bool errRtn;  // also reported as an error return
};

class SimRefusal : public SimGateway, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SimRefusal, orderRefused) {
    const RefusalCase &c = GetParam();
    boot({"--deterministic"});
    login();
    // Exchange-side refusals arrive as an error return instead of the response.
    const auto rsp = ask(c.errRtn ? kErrRtnInsertOrder : kRspInsertOrder, [&](uint32_t s, int id) {
        return sendOrder(order(c.code, c.direction, c.price, c.volume, 7), s, id);
    });
    ASSERT_EQ(rsp.size(), 1u);
    EXPECT_EQ(+rsp[0].info.ErrorID, c.error) << rsp[0].info.ErrorMsg;
    EXPECT_EQ(+rsp[0].as<CQetoRspOrderInsertField>().ErrorCode, c.error);
}

INSTANTIATE_TEST_SUITE_P(Table, SimRefusal,
                         ::testing::Values(RefusalCase{"unknown_code", "999999", '1', 10.0, 100, 2001, false},
                                           RefusalCase{"other_exchange", "000001", '1', 10.0, 100, 2001, false},
                                           RefusalCase{"above_limit", "600000", '1', 12.00, 100, 2002, true},
                                           RefusalCase{"odd_lot_buy", "600000", '1', 10.50, 150, 2003, false},
                                           RefusalCase{"no_funds", "601318", '1', 45.20, 90000, 2004, false},
                                           RefusalCase{"no_shares", "600000", '2', 10.50, 20000, 2005, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- paging

struct PagingCase {
    const char *name;
    bool trades;
};

class SimPaging : public SimGateway, public ::testing::WithParamInterface<PagingCase> {};

// Pages of 7 from 50 preloaded orders over both counters: every record arrives once, each page
// ends with the last flag, MoreData and the continuation position on its final unit only.
TEST_P(SimPaging, followUpPagesCoverEverything) {
    const bool trades = GetParam().trades;
    boot({"--batch", "7", "--preload-orders", "50", "--deterministic"});
    std::multiset<uint64_t> seen;
    size_t ordersTotal = 0;
    for (char exchange : {'1', '2'}) {
        LoginInput in;
        in.exchange = exchange;
        ASSERT_EQ(+login(in).info.ErrorID, 0u);
        int32_t position = 0;
        for (int page = 0; page < 100; ++page) {
            std::vector<Event> units;
            if (trades) {
                CQetoReqQryTradeField q{};
                q.Position = position;
                q.QueryFlag = 2;
                units = ask(kRspQryTrade, reqQryTrade, q);
            } else {
                CQetoReqQryOrderField q{};
                q.Position = position;
                q.QueryFlag = 2;
                units = ask(kRspQryOrder, reqQryOrder, q);
            }
            ASSERT_FALSE(units.empty());
            ASSERT_LE(units.size(), 7u);
            bool more = false;
            for (size_t i = 0; i < units.size(); ++i) {
                const bool final = i + 1 == units.size();
                EXPECT_EQ(units[i].last, final);
                ASSERT_EQ(+units[i].info.ErrorID, 0u) << units[i].info.ErrorMsg;
                int32_t pos;
                uint8_t moreData;
                uint64_t key;
                if (trades) {
                    const auto r = units[i].as<CQetoRspQryTradeField>();
                    pos = r.Position;
                    moreData = r.MoreData;
                    key = (static_cast<uint64_t>(exchange) << 40) | (static_cast<uint64_t>(r.OrderSysID) << 20) |
                          r.TradeID;
                } else {
                    const auto r = units[i].as<CQetoRspQryOrderField>();
                    pos = r.Position;
                    moreData = r.MoreData;
                    key = (static_cast<uint64_t>(exchange) << 40) | r.OrderSysID;
                    ++ordersTotal;
                }
                seen.insert(key);
                if (!final)
                    EXPECT_EQ(moreData, 0);
                else {
                    more = moreData != 0;
                    EXPECT_GT(pos, position);
                    position = pos;
                }
            }
            if (!more) break;
            ASSERT_EQ(units.size(), 7u) << "a page with more behind it is full";
        }
    }
    EXPECT_EQ(std::set<uint64_t>(seen.begin(), seen.end()).size(), seen.size()) << "a record arrived twice";
    if (!trades)
        EXPECT_EQ(ordersTotal, 50u);
    else
        EXPECT_GT(seen.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, SimPaging, ::testing::Values(PagingCase{"orders", false}, PagingCase{"trades", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SimGateway, emptyQueryIsOneRefusedUnit) {
    boot({"--deterministic"});
    login();
    CQetoReqQryOrderField q{};
    q.OrderSysID = 424242;
    q.QueryFlag = 2;
    const auto units = ask(kRspQryOrder, reqQryOrder, q);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_TRUE(units[0].last);
    EXPECT_EQ(+units[0].info.ErrorID, 5001u);
}

// ---------------------------------------------------------------- deposits, withdrawals, transfers

TEST_F(SimGateway, depositWithdrawalAndRecords) {
    boot({"--deterministic"});
    login();
    CQetoReqCapTransferField in{};
    GT_PUT(in.AccountID, kAccount);
    in.Amount = 1234.50;
    const auto dep = ask(kRspInFund, reqInFund, in);
    ASSERT_EQ(dep.size(), 1u);
    EXPECT_EQ(+dep[0].info.ErrorID, 0u);
    EXPECT_DOUBLE_EQ(dep[0].as<CQetoRspCapTransferField>().Amount, 1234.50);
    EXPECT_EQ(+dep[0].as<CQetoRspCapTransferField>().ErrorCode, 0);

    CQetoReqCapTransferField out = in;
    out.Amount = 5e9;
    const auto big = ask(kRspOutFund, reqOutFund, out);
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(+big[0].info.ErrorID, 3002u);
    int32_t code = 0;
    std::memcpy(&code, big[0].record.data() + 72, 4);
    EXPECT_EQ(code, 3002);

    out.Amount = 100.0;
    const auto wd = ask(kRspOutFund, reqOutFund, out);
    ASSERT_EQ(wd.size(), 1u);
    EXPECT_EQ(+wd[0].info.ErrorID, 0u);

    CQetoReqQryCapTransferRecordField q{};
    GT_PUT(q.AccountID, kAccount);
    const auto recs = ask(kRspQryInOutFundRecord, reqQryInOutFundRecord, q);
    ASSERT_EQ(recs.size(), 2u);
    const auto r0 = recs[0].as<CQetoRspQryCapTransferRecordField>();
    const auto r1 = recs[1].as<CQetoRspQryCapTransferRecordField>();
    EXPECT_EQ(+r0.Direction, '1');
    EXPECT_DOUBLE_EQ(r0.Amount, 1234.50);
    EXPECT_EQ(+r1.Direction, '2');
    EXPECT_DOUBLE_EQ(r1.Amount, 100.0);
    EXPECT_EQ(std::string(r0.OrgCode, strnlen(r0.OrgCode, 4)), "0001");
    EXPECT_EQ(GT_TEXT(r0.OperTime).size(), 19u);  // yyyy-MM-dd hh:mm:ss

    CQetoReqQryStockClientAccountField f{};
    const auto fund = ask(kRspQryFund, reqQryFund, f);
    EXPECT_DOUBLE_EQ(fund[0].as<CQetoRspQryStockClientAccountField>().AvailableCash, 1000000.00 + 1234.50 - 100.0);
}

TEST_F(SimGateway, shanghaiShenzhenTransferInTwoPhases) {
    boot({"--deterministic", "--rtn-delay-ms", "50"});
    login();
    CQetoReqBTCapTransferManagerField t{};
    GT_PUT(t.LoginRspCode, "SH01");
    GT_PUT(t.AccountID, kAccount);
    t.Amount = 2500.0;
    t.Direction = '1';
    const auto rsp = ask(kRspBTFundTransfer, reqBTFundTransfer, t);
    ASSERT_EQ(rsp.size(), 1u);
    EXPECT_EQ(+rsp[0].info.ErrorID, 0u);
    const auto r = rsp[0].as<CQetoRspBTCapTransferManagerField>();
    EXPECT_DOUBLE_EQ(r.Amount, 2500.0);
    EXPECT_EQ(+r.Direction, '1');
    const Event rtn = waitOne(kRtnBTFundTransfer, [&](const Event &e) {
        return e.as<CQetoRtnBtCapTransferManagerField>().TransferID == r.TransferID;
    });
    const auto rt = rtn.as<CQetoRtnBtCapTransferManagerField>();
    EXPECT_EQ(+rt.TransferStatus, '6');
    EXPECT_EQ(+rt.ErrorCode, 0u);
    EXPECT_DOUBLE_EQ(rt.Amount, 2500.0);

    CQetoReqQryStockClientAccountField f{};
    const auto fund = ask(kRspQryFund, reqQryFund, f);
    EXPECT_DOUBLE_EQ(fund[0].as<CQetoRspQryStockClientAccountField>().AvailableCash, 1000000.00 - 2500.0);

    t.Amount = 5e9;
    const auto refused = ask(kRspBTFundTransfer, reqBTFundTransfer, t);
    EXPECT_EQ(+refused[0].info.ErrorID, 3003u);

    CQetoReqQryBTCapTransferManagerField q{};
    GT_PUT(q.AccountID, kAccount);
    const auto recs = ask(kRspQryBTFundTransferRecord, reqQryBTFundTransferRecord, q);
    ASSERT_EQ(recs.size(), 2u);
    const auto q0 = recs[0].as<CQetoRspQryBTCapTransferManagerField>();
    EXPECT_DOUBLE_EQ(q0.Amount, 2500.0);
    EXPECT_EQ(+q0.TransferStatus, '6');
    EXPECT_EQ(+recs[1].as<CQetoRspQryBTCapTransferManagerField>().ErrorCode, 3003u);
}

// ---------------------------------------------------------------- password, imported requests, logout

struct PasswordCase {
    const char *name;
    const char *oldPwd;
    const char *newPwd;
    uint32_t error;
};

class SimPassword : public SimGateway, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(SimPassword, change) {
    const PasswordCase &c = GetParam();
    boot({});
    login();
    CQetoReqUserPasswordUpdateField p{};
    GT_PUT(p.AccountID, kAccount);
    GT_PUT(p.OldPassword, c.oldPwd);
    GT_PUT(p.NewPassword, c.newPwd);
    const auto rsp = ask(kRspUpdatePwd, reqUpdatePwd, p);
    ASSERT_EQ(rsp.size(), 1u);
    EXPECT_EQ(+rsp[0].info.ErrorID, c.error);
    if (c.error == 0) {
        LoginInput in;
        in.password = c.newPwd;
        EXPECT_EQ(+login(in).info.ErrorID, 0u) << "the new password logs in";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SimPassword,
                         ::testing::Values(PasswordCase{"accepted", "123456", "Abcdef_123", 0},
                                           PasswordCase{"wrong_old", "000000", "Abcdef_123", 4001},
                                           PasswordCase{"weak_new", "123456", "abcdefghij", 4002}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SimGateway, importedRequestsAndLogout) {
    boot({});
    login();
    CQetoReqQryStockFeeField fee{};
    const auto rate = ask(kRspQryRate, reqQryRate, fee);
    EXPECT_GT(+rate[0].as<CQetoRspQryStockFeeField>().FeeRate, 0.0);
    CQetoReqQryStockQuotaField quota{};
    const auto qu = ask(kRspQryRightsAndInterests, reqQryRightsAndInterests, quota);
    EXPECT_EQ(GT_TEXT(qu[0].as<CQetoRspQryStockQuotaField>().AccountID), kAccount);
    CQetoReqQryInvestorInfoField inv{};
    const auto iv = ask(kRspQryInvestorInfo, reqQryInvestorInfo, inv);
    EXPECT_EQ(GT_TEXT(iv[0].as<CQetoRspQryInvestorInfoField>().AccountID), kAccount);
    CQetoReqQryStockSecuritiesField sec{};
    GT_PUT(sec.SecurityID, "600000");
    const auto se = ask(kRspQrySecurities, reqQrySecurities, sec);
    ASSERT_EQ(se.size(), 1u);
    const auto sr = se[0].as<CQetoRspQryStockSecuritiesField>();
    EXPECT_EQ(GT_TEXT(sr.SecurityID), "600000");
    EXPECT_LT(+sr.LowerLimitPrice, +sr.UpperLimitPrice);

    CQetoReqUserLogoutField out{};
    GT_PUT(out.AccountID, kAccount);
    const auto lo = ask(kRspLogout, reqLogout, out);
    EXPECT_EQ(+lo[0].info.ErrorID, 0u);
    CQetoReqQryStockClientAccountField f{};
    EXPECT_NE(reqQryFund(&f, session_, nextId(), 0), 0) << "logged out";
    EXPECT_EQ(+login().info.ErrorID, 0u) << "login again on the same connection";
}

// ---------------------------------------------------------------- reconnection

TEST_F(SimGateway, reconnectsAfterCounterDropsConnections) {
    boot({}, "ReconnectIntervalMs=100\n");
    const uint32_t first = login().session;
    sim_.dropConnections();
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 2));
    const auto ev = Recorder::get().events();
    size_t disc = 0, conn2 = 0;
    for (size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].slot == kFrontDisconnected && !disc) disc = i + 1;
        if (ev[i].slot == kFrontConnect) conn2 = i + 1;
    }
    ASSERT_GT(disc, 0u);
    EXPECT_LT(disc, conn2) << "disconnect is reported before the new connection";
    EXPECT_EQ(ev[disc - 1].reason, 4097);
    CQetoReqQryStockClientAccountField f{};
    EXPECT_NE(reqQryFund(&f, first, nextId(), 0), 0) << "no login on the new connection yet";
    const Event again = login();
    EXPECT_EQ(+again.info.ErrorID, 0u);
    EXPECT_NE(again.session, first);
    const auto fund = ask(kRspQryFund, reqQryFund, f);
    EXPECT_EQ(+fund[0].info.ErrorID, 0u);
}
