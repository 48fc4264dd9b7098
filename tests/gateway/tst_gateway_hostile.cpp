// The gateway library against a counter that misbehaves, one row per misbehaviour. Each row
// ends in a protocol error or a lost connection reported through the callbacks, or in correct
// delivery; never in a crash or a hang, and release returns with no callback after it.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>

#include "gate_test_support.h"

using namespace gatetest;
namespace wire = qeto::wire;

namespace {

constexpr int kPerChunk = 1000;  // order returns per blasted chunk; their OrderSysID is 0..999
constexpr long kFlood = 100000;

// Order returns are counted here rather than in the recorder: a flood of them would make its
// waits scan ever longer event lists.
std::atomic<long> gOrders{0};
std::atomic<long> gOutOfOrder{0};
std::atomic<size_t> gLongestOrderText{0};
std::atomic<size_t> gLongestErrorText{0};

void onRtnOrder(CQetoRtnOrderField *r, CQetoRspInfo *info, CQetoSessionInfo *, int, bool) {
    const long n = gOrders.fetch_add(1);
    if (r->OrderSysID != static_cast<uint32_t>(n % kPerChunk)) gOutOfOrder.fetch_add(1);
    // Read the way a careless client would: as C strings, unbounded.
    const size_t text = std::strlen(r->OrderText);
    const size_t error = std::strlen(info->ErrorMsg);
    if (text > gLongestOrderText.load()) gLongestOrderText = text;
    if (error > gLongestErrorText.load()) gLongestErrorText = error;
}

CQetoRtnOrderField order(uint32_t id) {
    CQetoRtnOrderField r{};
    r.OrderSysID = id;
    GT_PUT(r.SecurityID, "600000");
    GT_PUT(r.OrderText, "accepted");
    return r;
}

// `n` returns, ids from `first`, as one frame.
std::string orders(uint32_t first, int n) {
    std::vector<CQetoRtnOrderField> recs;
    for (int i = 0; i < n; ++i) recs.push_back(order(first + static_cast<uint32_t>(i)));
    return answerFrame(wire::RtnOrder, recs, std::vector<CQetoRspInfo>(recs.size()), 0, 77, true);
}

const size_t kUnit = sizeof(CQetoRtnOrderField) + sizeof(CQetoRspInfo);

std::string header(uint32_t length, uint16_t type, uint16_t count) { return headerOnly(length, type, count); }
std::string body(int units) { return orders(0, units).substr(sizeof(wire::FrameHeader)); }

// Every text field full, no terminator anywhere.
std::string unterminated() {
    CQetoRtnOrderField r;
    std::memset(&r, 'T', sizeof r);
    r.OrderSysID = 0;
    CQetoRspInfo info;
    std::memset(&info, 'E', sizeof info);
    return answerFrame<CQetoRtnOrderField>(wire::RtnOrder, {r}, {info}, 0, 77, true);
}

// Ends the process when a row hangs: a hang must fail the suite, not stall the whole run.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, std::string what) : what_(std::move(what)) {
        thread_ = std::thread([this, limit] {
            std::unique_lock<std::mutex> lock(mu_);
            if (!cv_.wait_for(lock, limit, [this] { return done_; })) {
                std::fprintf(stderr, "watchdog: %s still running after %lld s\n", what_.c_str(),
                             static_cast<long long>(limit.count()));
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

private:
    std::string what_;
    std::mutex mu_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

enum class Outcome {
    ProtocolError,  // onApiMsg "protocol error ...", onFrontDisconnected(8194)
    Silence,        // onFrontDisconnected(8193): the heartbeat timeout
    Delivered,      // every unit reaches onRtnOrder, in order, and the line stays up
};

struct HostileCase {
    const char *name;
    std::function<void(FakeCounter::Conn &)> misbehave;  // on the first connection
    bool answers;                                        // answers login and heartbeats
    Outcome outcome;
    long units;  // order returns delivered
};

void PrintTo(const HostileCase &c, std::ostream *os) { *os << c.name; }

class GatewayHostile : public ::testing::TestWithParam<HostileCase> {
protected:
    void SetUp() override {
        Recorder::get().clear();
        Recorder::get().forbidden = false;
        Recorder::get().violations = 0;
        gOrders = 0;
        gOutOfOrder = 0;
        gLongestOrderText = 0;
        gLongestErrorText = 0;
    }
    void TearDown() override { Recorder::get().clear(); }
};

bool hasMsg(const std::string &part) {
    for (const auto &e : Recorder::get().of(kApiMsg))
        if (e.level > 0 && e.text.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST_P(GatewayHostile, survives) {
    const HostileCase &c = GetParam();
    Watchdog row(120s, c.name);
    FakeCounter fake;
    std::atomic<int> conns{0};
    fake.onAccept = [&](FakeCounter::Conn &conn) {
        if (conns.fetch_add(1) == 0) c.misbehave(conn);
    };
    if (!c.answers) fake.onFrame = nullptr;
    fake.blastChunk = orders(0, kPerChunk);
    fake.start();
    // No reconnection within a row: each row judges one connection.
    ParamFile pf(url(fake.port()), "HeartbeatIntervalMs=100\nHeartbeatTimeoutMs=3000\nReconnectIntervalMs=600000\n");
    SpiCallbackTable table = recordingTable();
    table.onRtnOrder = onRtnOrder;
    ASSERT_EQ(startEntry(pf, 0, table), 0);

    switch (c.outcome) {
        case Outcome::ProtocolError:
            ASSERT_TRUE(Recorder::get().waitCount(kFrontDisconnected, 1));
            EXPECT_EQ(Recorder::get().of(kFrontDisconnected)[0].reason, 8194);
            EXPECT_TRUE(hasMsg("protocol error"));
            break;
        case Outcome::Silence:
            ASSERT_TRUE(Recorder::get().waitCount(kFrontDisconnected, 1));
            EXPECT_EQ(Recorder::get().of(kFrontDisconnected)[0].reason, 8193);
            EXPECT_TRUE(hasMsg("heartbeat timeout"));
            break;
        case Outcome::Delivered: {
            ASSERT_TRUE(pollUntil([&] { return gOrders.load() >= c.units; }, 60s)) << gOrders.load();
            // A login on the same line still works after whatever came before.
            GatewayUserReqLoginField login{};
            GatewayTerminalInfoField term{};
            ASSERT_EQ(reqLogin(&login, &term, 1, 0), 0);
            ASSERT_TRUE(Recorder::get().waitCount(kRspLogin, 1));
            EXPECT_EQ(Recorder::get().count(kFrontDisconnected), 0u);
            break;
        }
    }
    EXPECT_EQ(gOrders.load(), c.units);
    EXPECT_EQ(gOutOfOrder.load(), 0);
    // Text read without bounds still ends inside the record (the order text is its last field).
    EXPECT_LE(gLongestOrderText.load(), sizeof(CQetoRtnOrderField::OrderText));
    EXPECT_LT(gLongestErrorText.load(), sizeof(CQetoRspInfo::ErrorMsg));

    const auto t0 = std::chrono::steady_clock::now();
    {
        Watchdog releasing(10s, std::string(c.name) + ": release");
        EXPECT_EQ(release(0), 0);
    }
    Recorder::get().forbidden = true;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    std::printf("[ %s ] release took %lld ms\n", c.name, static_cast<long long>(ms.count()));
    fake.stop();
    EXPECT_EQ(Recorder::get().violations.load(), 0) << "callback after release";
    EXPECT_EQ(gOrders.load(), c.units) << "order return after release";
}

INSTANTIATE_TEST_SUITE_P(
    Table, GatewayHostile,
    ::testing::Values(
        // Two units announced, one sent, then nothing: the frame never completes.
        HostileCase{"length_over_body", [](auto &conn) { conn.send(header(2 * kUnit, wire::RtnOrder, 2) + body(1)); },
                    false, Outcome::Silence, 0},
        // One unit announced, two sent: the second is read as a header.
        HostileCase{"length_under_body", [](auto &conn) { conn.send(header(kUnit, wire::RtnOrder, 1) + body(2)); },
                    true, Outcome::ProtocolError, 1},
        HostileCase{"count_over_body", [](auto &conn) { conn.send(header(kUnit, wire::RtnOrder, 1000) + body(1)); },
                    true, Outcome::ProtocolError, 0},
        HostileCase{"unknown_type", [](auto &conn) { conn.send(orders(0, 1) + header(kUnit, 999, 1) + body(1)); }, true,
                    Outcome::ProtocolError, 1},
        HostileCase{"text_without_nul", [](auto &conn) { conn.send(unterminated() + orders(1, 1)); }, true,
                    Outcome::Delivered, 2},
        HostileCase{"split_byte_by_byte",
                    [](auto &conn) {
                        conn.maxWrite = 1;
                        conn.send(orders(0, 1) + orders(1, 2) + orders(3, 1));
                    },
                    true, Outcome::Delivered, 4},
        HostileCase{"flood_100000",
                    [](auto &conn) {
                        conn.blast = true;
                        conn.blastLeft = kFlood / kPerChunk;
                    },
                    true, Outcome::Delivered, kFlood},
        HostileCase{"accepts_never_answers", [](auto &) {}, false, Outcome::Silence, 0}),
    [](const auto &info) { return std::string(info.param.name); });
