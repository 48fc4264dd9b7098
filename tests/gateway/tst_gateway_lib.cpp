// The gateway library against a fake counter inside the test: connection handling,
// framing, return codes, failover, heartbeat, release and resource use.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <memory>
#include <thread>
#include <type_traits>

#include "gate_answers.h"
#include "gate_params.h"
#include "gate_test_support.h"
#include "qeto_demo_accounts.h"

namespace demo = qeto::sim::demo;

using namespace gatetest;
namespace wire = qeto::wire;

namespace {

// A loopback port with nothing listening.
uint16_t closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool hasMsg(const std::vector<Event> &ev, const std::string &part, bool error) {
    for (const auto &e : ev)
        if (e.slot == kApiMsg && (e.level > 0) == error && e.text.find(part) != std::string::npos) return true;
    return false;
}

class GatewayLib : public ::testing::Test {
protected:
    void SetUp() override {
        Recorder::get().clear();
        Recorder::get().forbidden = false;
        Recorder::get().violations = 0;
    }
    void TearDown() override {
        for (int i = 0; i < 16; ++i) release(i);
        Recorder::get().clear();
    }
    // Starts `fake` and entry 0 against it with `extra` parameters; waits for the connection.
    void connectTo(FakeCounter &fake, const std::string &extra = "") {
        fake.start();
        params_ = std::make_unique<ParamFile>(url(fake.port()), extra);
        ASSERT_EQ(startEntry(*params_), 0);
        ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
    }
    // Connects to `fake`, which answers while `answer` holds, with a 600 ms heartbeat timeout.
    void connectAnswering(FakeCounter &fake, const std::atomic<bool> &answer) {
        fake.onFrame = [&answer](FakeCounter::Conn &c, const wire::FrameHeader &h, const uint8_t *p) {
            if (answer) FakeCounter::defaultHandler(c, h, p);
        };
        connectTo(fake, "HeartbeatIntervalMs=40\nHeartbeatTimeoutMs=600\nReconnectIntervalMs=5000\n");
    }
    void loginOn(int entry = 0) {
        GatewayUserReqLoginField login{};
        GT_PUT(login.AccountID, demo::kAccount);
        GatewayTerminalInfoField term{};
        GT_PUT(term.HostName, "host");
        const size_t before = Recorder::get().count(kRspLogin);
        ASSERT_EQ(reqLogin(&login, &term, 1, entry), 0);
        ASSERT_TRUE(Recorder::get().waitCount(kRspLogin, before + 1));
    }
    std::unique_ptr<ParamFile> params_;
};

}  // namespace

// ---------------------------------------------------------------- parameter file

struct ParamsCase {
    const char *name;
    const char *content;
    qeto::gate::ParamsResult result;
    std::vector<std::string> urls;  // host:port of the usable entries
    int cpuCore;
    bool superLog;
};

class GatewayParams : public ::testing::TestWithParam<ParamsCase> {};

TEST_P(GatewayParams, parses) {
    const ParamsCase &c = GetParam();
    qeto::gate::GateParams p;
    EXPECT_EQ(qeto::gate::parseGateParams(c.content, p), c.result);
    std::vector<std::string> got;
    for (const auto &u : p.urls) got.push_back(u.host + ":" + std::to_string(u.port));
    EXPECT_EQ(got, c.urls);
    EXPECT_EQ(p.cpuCore, c.cpuCore);
    EXPECT_EQ(p.superLog, c.superLog);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GatewayParams,
    ::testing::Values(
        ParamsCase{"sample",
                   "# c\nURL=tcp://127.0.0.1:8888;\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=x\n",
                   qeto::gate::ParamsResult::Ok,
                   {"127.0.0.1:8888"},
                   -1,
                   false},
        ParamsCase{"failover_list",
                   "URL=tcp://10.0.0.1:1;tcp://localhost:9;;tcp://[::1]:7\r\nSuperLog=1\r\n",
                   qeto::gate::ParamsResult::Ok,
                   {"10.0.0.1:1", "localhost:9", "::1:7"},
                   -1,
                   true},
        ParamsCase{"bad_entries_skipped",
                   "URL=http://a:1;tcp://a;tcp://a:0;tcp://a:70000;tcp://b:5\nCpuCore=1\n",
                   qeto::gate::ParamsResult::Ok,
                   {"b:5"},
                   1,
                   false},
        ParamsCase{"no_url", "SuperLog=1\n", qeto::gate::ParamsResult::NoUsableUrl, {}, -1, true},
        ParamsCase{
            "commented_url", "#URL=tcp://a:1\n;URL=tcp://a:2\n", qeto::gate::ParamsResult::NoUsableUrl, {}, -1, false},
        ParamsCase{
            "url_in_section_ignored", "[x]\nURL=tcp://a:1\n", qeto::gate::ParamsResult::NoUsableUrl, {}, -1, false},
        ParamsCase{"spaces_and_bad_core",
                   "  URL = tcp://a:1 ; \nCpuCore=abc\n",
                   qeto::gate::ParamsResult::Ok,
                   {"a:1"},
                   -1,
                   false}),
    [](const auto &info) { return std::string(info.param.name); });

// The start record names the parameter file in UTF-8: install folders with Chinese names (and
// characters beyond the BMP, which Windows spells as surrogate pairs) must still be found.
struct ParamPathCase {
    const char *name;
    const char *folder;
};

class GatewayParamPath : public GatewayLib, public ::testing::WithParamInterface<ParamPathCase> {};

TEST_P(GatewayParamPath, startsFromFolder) {
    FakeCounter fake;
    fake.start();
    ParamFile pf(url(fake.port()), "", GetParam().folder);
    ASSERT_EQ(startEntry(pf), 0) << pf.path();
    EXPECT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
}

INSTANTIATE_TEST_SUITE_P(Table, GatewayParamPath,
                         ::testing::Values(ParamPathCase{"chinese", "交易客户端 安装"},
                                           ParamPathCase{"beyond_bmp", "\xF0\xA0\x80\x80行情"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- instances and return codes

TEST_F(GatewayLib, instanceTableAndVersion) {
    EXPECT_EQ(createTraderApi(-1), -1);
    EXPECT_EQ(createTraderApi(16), -1);
    EXPECT_EQ(createTraderApi(3), 0);
    EXPECT_EQ(createTraderApi(3), -2);
    EXPECT_EQ(release(3), 0);
    EXPECT_EQ(release(3), 0);  // idempotent
    EXPECT_EQ(createTraderApi(3), 0);
    EXPECT_NE(registerSpi(recordingTable(), 4), 0);

    char v[64];
    EXPECT_EQ(getVersion(v, sizeof v), 0);
    EXPECT_STREQ(v, "QetoGateAPI 1.0.0 (sim)");
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(getVersion(small, sizeof small), 0);
    EXPECT_EQ(small[7], '\0');
}

TEST_F(GatewayLib, startApiRefusals) {
    GatewayStartApiField s{};
    EXPECT_NE(startApi(&s, 0), 0) << "no instance";
    ASSERT_EQ(createTraderApi(0), 0);
    EXPECT_NE(startApi(nullptr, 0), 0);
    GT_PUT(s.ConfigFilePath, "/nonexistent/api_config.txt");
    EXPECT_NE(startApi(&s, 0), 0) << "unreadable file";
    // A path that fills the whole field without a terminator must not be read past.
    std::memset(s.ConfigFilePath, 'a', sizeof s.ConfigFilePath);
    s.Reserved4180 = -1;
    EXPECT_NE(startApi(&s, 0), 0);
    ParamFile noUrl("http://x:1");
    s = noUrl.start();
    EXPECT_NE(startApi(&s, 0), 0) << "no usable URL";
    ParamFile ok(url(closedPort()));
    s = ok.start();
    EXPECT_EQ(startApi(&s, 0), 0);
    EXPECT_NE(startApi(&s, 0), 0) << "already started";
}

TEST_F(GatewayLib, requestReturnCodes) {
    CQetoReqQryOrderField q{};
    CQetoReqOrderInsertField o{};
    unsigned char opaque[128] = {};
    GatewayUserReqLoginField login{};
    GatewayTerminalInfoField term{};

    const int noInstance = reqQryOrder(&q, 1, 1, 0);
    EXPECT_NE(noInstance, 0);
    EXPECT_EQ(reqInsertOrder(&o, opaque, 1, 1, 0), noInstance);
    EXPECT_EQ(reqLogin(&login, &term, 1, 0), noInstance);
    EXPECT_EQ(reqQryOrder(&q, 1, 1, 99), noInstance);

    // Created, never connected.
    ParamFile pf(url(closedPort()), "ReconnectIntervalMs=5000\n");
    ASSERT_EQ(startEntry(pf), 0);
    const int notConnected = reqQryOrder(&q, 1, 1, 0);
    EXPECT_NE(notConnected, 0);
    EXPECT_NE(notConnected, noInstance);
    EXPECT_EQ(reqLogin(&login, &term, 1, 0), notConnected);
    release(0);

    FakeCounter fake;
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    const int notLoggedIn = reqQryOrder(&q, 1, 1, 0);
    EXPECT_NE(notLoggedIn, 0);
    EXPECT_NE(notLoggedIn, notConnected);
    EXPECT_NE(notLoggedIn, noInstance);
    EXPECT_EQ(reqInsertOrder(&o, opaque, 1, 1, 0), notLoggedIn);
    EXPECT_NE(reqLogin(nullptr, &term, 1, 0), 0) << "null record";
    loginOn();
    EXPECT_EQ(reqQryOrder(&q, 77, 2, 0), 0);
    EXPECT_EQ(reqInsertOrder(&o, nullptr, 77, 3, 0), 0) << "the opaque block is not read";
}

// ---------------------------------------------------------------- login and framing

TEST_F(GatewayLib, loginAnswerReachesCallbackOnLibraryThread) {
    FakeCounter fake;
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));

    GatewayUserReqLoginField login{};
    GT_PUT(login.AccountID, demo::kAccount);
    GT_PUT(login.Password, "1234567890");
    login.ExchangeCode = '2';
    GatewayTerminalInfoField term{};
    GT_PUT(term.MacAddr, "00-11-22-33-44-55");
    ASSERT_EQ(reqLogin(&login, &term, 5, 0), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kRspLogin, 1));

    const Event e = Recorder::get().of(kRspLogin).front();
    EXPECT_NE(e.thread, std::this_thread::get_id());
    EXPECT_EQ(e.session, 77u);
    EXPECT_EQ(e.requestId, 5);
    EXPECT_TRUE(e.last);
    EXPECT_EQ(+e.info.ErrorID, 0u);
    // The client reads these two at fixed offsets.
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(e.record.data() + 20)), "SH01");
    uint32_t maxId = 0;
    std::memcpy(&maxId, e.record.data() + 30, 4);
    EXPECT_EQ(maxId, 41u);

    const auto frames = fake.received();
    const auto payloads = fake.payloads();
    size_t i = 0;
    while (i < frames.size() && frames[i].type != wire::ReqLogin) ++i;
    ASSERT_LT(i, frames.size());
    EXPECT_EQ(frames[i].length, sizeof login + sizeof term);
    EXPECT_EQ(frames[i].requestId, 5);
    EXPECT_EQ(frames[i].count, 1);
    EXPECT_EQ(payloads[i], std::string(reinterpret_cast<const char *>(&login), sizeof login) +
                               std::string(reinterpret_cast<const char *>(&term), sizeof term));
}

struct RequestCase {
    const char *name;
    uint16_t type;
    size_t size;
    int (*call)(const uint8_t *record, uint32_t session, int requestId);
};

// Calls the request's exported function on a copy of the record; orders and cancels take an
// opaque block too.
template <class R, auto F>
int call(const uint8_t *rec, uint32_t s, int r) {
    R copy;
    std::memcpy(&copy, rec, sizeof copy);
    if constexpr (std::is_invocable_v<decltype(F), R *, uint32_t, int, int>) {
        return F(&copy, s, r, 0);
    } else {
        unsigned char opaque[128] = {};
        return F(&copy, opaque, s, r, 0);
    }
}

#define RQ(name, type, record, answer, fn, handler) RequestCase{#name, wire::name, sizeof(record), call<record, fn>},
const RequestCase kRequests[] = {QETO_WIRE_REQUESTS(RQ)};
#undef RQ

class GatewayRequests : public GatewayLib, public ::testing::WithParamInterface<RequestCase> {};

// Every request goes out as one frame: its type, the caller's session and request ids and
// exactly the record's bytes, even though the caller's record is gone by then.
TEST_P(GatewayRequests, framedAsSent) {
    const RequestCase &c = GetParam();
    FakeCounter fake;
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    loginOn();

    std::vector<uint8_t> rec(c.size);
    for (size_t i = 0; i < rec.size(); ++i) rec[i] = static_cast<uint8_t>(i * 7 + 1);
    ASSERT_EQ(c.call(rec.data(), 77, 1234), 0);

    size_t at = 0;
    ASSERT_TRUE(pollUntil([&] {
        const auto frames = fake.received();
        for (at = 0; at < frames.size(); ++at)
            if (frames[at].type == c.type) return true;
        return false;
    }));
    const auto h = fake.received()[at];
    EXPECT_EQ(h.sessionId, 77u);
    EXPECT_EQ(h.requestId, 1234);
    EXPECT_EQ(h.length, c.size);
    EXPECT_EQ(fake.payloads()[at], std::string(rec.begin(), rec.end()));
}

INSTANTIATE_TEST_SUITE_P(Table, GatewayRequests, ::testing::ValuesIn(kRequests),
                         [](const auto &info) { return std::string(info.param.name); });

// Requests from several threads at once, some written by their callers and some queued while the
// counter stopped reading, reach it as whole frames, each thread's in the order it sent them.
TEST_F(GatewayLib, requestsFromManyThreadsArriveWholeAndInOrder) {
    FakeCounter fake;
    fake.setReceiveBuffer(4096);
    std::atomic<bool> stalled{false};
    fake.onFrame = [&](FakeCounter::Conn &c, const wire::FrameHeader &h, const uint8_t *p) {
        if (h.type == wire::ReqQryOrder && !stalled.exchange(true))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        FakeCounter::defaultHandler(c, h, p);
    };
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    loginOn();
    // The library's end small too: without it the kernel takes a whole stall's requests.
    int libraryEnd = -1;
    for (int fd = 3; fd < 1024 && libraryEnd < 0; ++fd) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &len) == 0 && ntohs(peer.sin_port) == fake.port())
            libraryEnd = fd;
    }
    ASSERT_GE(libraryEnd, 0);
    const int small = 4096;
    ::setsockopt(libraryEnd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    constexpr int kThreads = 4, kEach = 4000;
    std::atomic<int> refused{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t)
        callers.emplace_back([t, &refused] {
            CQetoReqQryOrderField q{};
            for (int n = 0; n < kEach; ++n) {
                q.Position = n;
                if (reqQryOrder(&q, 77, t * kEach + n + 1, 0) != 0) refused.fetch_add(1);
                // Paced, so that requests still come when the counter reads again.
                if (n % 10 == 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        });
    for (auto &c : callers) c.join();
    EXPECT_EQ(refused.load(), 0);
    auto queries = [&] {
        const auto frames = fake.received();
        return std::count_if(frames.begin(), frames.end(), [](const auto &h) { return h.type == wire::ReqQryOrder; });
    };
    ASSERT_TRUE(pollUntil([&] { return queries() == kThreads * kEach; })) << queries();
    const auto frames = fake.received();
    const auto bodies = fake.payloads();
    std::vector<int> next(kThreads, 0);
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].type != wire::ReqQryOrder) continue;
        ASSERT_EQ(bodies[i].size(), sizeof(CQetoReqQryOrderField));
        const int id = frames[i].requestId - 1;
        CQetoReqQryOrderField q;
        std::memcpy(&q, bodies[i].data(), sizeof q);
        const int32_t position = q.Position;  // a packed field: no reference to it
        ASSERT_EQ(position, id % kEach);
        ASSERT_EQ(id % kEach, next[static_cast<size_t>(id / kEach)]++) << "thread " << id / kEach;
    }
}

// ---------------------------------------------------------------- answers

struct UnitsCase {
    const char *name;
    std::vector<int> frames;      // units per frame
    std::vector<bool> lastFlags;  // header flag per frame
};

class GatewayUnits : public GatewayLib, public ::testing::WithParamInterface<UnitsCase> {};

// Each unit is one callback, in order; only the final unit of a frame carries its last flag.
TEST_P(GatewayUnits, deliveredOneByOne) {
    const UnitsCase &c = GetParam();
    FakeCounter fake;
    fake.onFrame = [&](FakeCounter::Conn &conn, const wire::FrameHeader &h, const uint8_t *p) {
        if (h.type != wire::ReqQryOrder) {
            FakeCounter::defaultHandler(conn, h, p);
            return;
        }
        uint32_t id = 0;
        for (size_t f = 0; f < c.frames.size(); ++f) {
            std::vector<CQetoRspQryOrderField> recs(static_cast<size_t>(c.frames[f]));
            std::vector<CQetoRspInfo> infos(recs.size());
            for (auto &r : recs) {
                r.OrderSysID = ++id;
                r.Position = static_cast<int32_t>(id);
            }
            conn.send(answerFrame(wire::RspQryOrder, recs, infos, h.requestId, h.sessionId, c.lastFlags[f]));
        }
    };
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    loginOn();
    CQetoReqQryOrderField q{};
    ASSERT_EQ(reqQryOrder(&q, 77, 9, 0), 0);

    size_t total = 0;
    std::vector<bool> expectLast;
    for (size_t f = 0; f < c.frames.size(); ++f) {
        for (int u = 0; u < c.frames[f]; ++u) expectLast.push_back(u + 1 == c.frames[f] && c.lastFlags[f]);
        total += static_cast<size_t>(c.frames[f]);
    }
    ASSERT_TRUE(Recorder::get().waitCount(kRspQryOrder, total));
    const auto got = Recorder::get().of(kRspQryOrder);
    ASSERT_EQ(got.size(), total);
    for (size_t i = 0; i < total; ++i) {
        EXPECT_EQ(+got[i].as<CQetoRspQryOrderField>().OrderSysID, i + 1);
        EXPECT_EQ(got[i].last, expectLast[i]) << "unit " << i;
        EXPECT_EQ(got[i].requestId, 9);
        EXPECT_EQ(got[i].session, 77u);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GatewayUnits,
                         ::testing::Values(UnitsCase{"single", {1}, {true}}, UnitsCase{"batch", {5}, {true}},
                                           UnitsCase{"two_batches", {3, 2}, {false, true}},
                                           UnitsCase{"batch_not_last", {4}, {false}},
                                           // a frame far larger than one read of the library
                                           UnitsCase{"large", {2000}, {true}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(GatewayLib, arrivalStatusUnits) {
    FakeCounter fake;
    fake.onFrame = [](FakeCounter::Conn &conn, const wire::FrameHeader &h, const uint8_t *p) {
        FakeCounter::defaultHandler(conn, h, p);
        if (h.type != wire::ReqLogin) return;
        // Two status units: one byte each, then the response info.
        std::string frame = headerOnly(2 * (1 + sizeof(CQetoRspInfo)), wire::MsgArrivalStatus, 2);
        for (char status : {'3', '4'}) {
            CQetoRspInfo info{};
            info.ErrorID = static_cast<uint32_t>(status);
            frame += status;
            frame.append(reinterpret_cast<const char *>(&info), sizeof info);
        }
        conn.send(frame);
    };
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    loginOn();
    ASSERT_TRUE(Recorder::get().waitCount(kMsgArrivalStatus, 2));
    const auto got = Recorder::get().of(kMsgArrivalStatus);
    EXPECT_EQ(got[0].record[0], '3');
    EXPECT_EQ(+got[0].info.ErrorID, static_cast<uint32_t>('3'));
    EXPECT_FALSE(got[0].last);
    EXPECT_EQ(got[1].record[0], '4');
    EXPECT_TRUE(got[1].last);
}

TEST_F(GatewayLib, unterminatedErrorTextIsCut) {
    FakeCounter fake;
    fake.onFrame = [](FakeCounter::Conn &conn, const wire::FrameHeader &h, const uint8_t *) {
        if (h.type != wire::ReqLogin) return;
        GatewayUserRspLoginField r{};
        CQetoRspInfo bad;
        bad.ErrorID = 1001;
        std::memset(bad.ErrorMsg, 'E', sizeof bad.ErrorMsg);
        conn.send(answerFrame<GatewayUserRspLoginField>(wire::RspLogin, {r}, {bad}, h.requestId, 0, true));
    };
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    loginOn();
    const Event e = Recorder::get().of(kRspLogin).front();
    EXPECT_EQ(+e.info.ErrorID, 1001u);
    EXPECT_EQ(std::string(e.info.ErrorMsg), std::string(80, 'E'));
    // A refused login leaves the other requests closed.
    CQetoReqQryStockClientAccountField f{};
    EXPECT_NE(reqQryFund(&f, 0, 2, 0), 0);
}

// ---------------------------------------------------------------- bad input from the counter

struct GarbageCase {
    const char *name;
    std::string bytes;
};

class GatewayGarbage : public GatewayLib, public ::testing::WithParamInterface<GarbageCase> {};

// The library survives, says why, reports the loss and connects again.
TEST_P(GatewayGarbage, protocolErrorDropsAndReconnects) {
    FakeCounter fake;
    std::atomic<int> n{0};
    const std::string garbage = GetParam().bytes;
    fake.onAccept = [&](FakeCounter::Conn &c) {
        if (n.fetch_add(1) == 0) c.send(garbage);
    };
    ASSERT_NO_FATAL_FAILURE(connectTo(fake, "ReconnectIntervalMs=50\n"));
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 2));
    const auto ev = Recorder::get().events();
    EXPECT_TRUE(hasMsg(ev, "protocol error", true));
    const auto disc = Recorder::get().of(kFrontDisconnected);
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_EQ(disc[0].reason, 8194);
    EXPECT_EQ(Recorder::get().count(kRspQryOrder), 0u);
    EXPECT_EQ(Recorder::get().count(kRspLogin), 0u);
    // The new connection works.
    loginOn();
}

namespace {
std::string withBody(std::string header, size_t body) { return header + std::string(body, '\x5a'); }
std::string randomBytes() {
    std::string s;
    uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>(x >> 16));
    }
    // A huge length in the first header keeps the rest from being taken as frames.
    s[0] = s[1] = s[2] = s[3] = '\xff';
    return s;
}
const size_t kQryUnit = sizeof(CQetoRspQryOrderField) + sizeof(CQetoRspInfo);
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, GatewayGarbage,
    ::testing::Values(GarbageCase{"oversized", headerOnly(wire::kMaxPayload + 1, wire::RspQryOrder, 1)},
                      GarbageCase{"unknown_type", withBody(headerOnly(8, 555, 1), 8)},
                      GarbageCase{"request_type_from_counter", withBody(headerOnly(48, wire::ReqInsertOrder, 1), 48)},
                      GarbageCase{"disconnect_slot", withBody(headerOnly(85, 104, 1), 85)},
                      GarbageCase{"short_unit", withBody(headerOnly(kQryUnit - 1, wire::RspQryOrder, 1), kQryUnit - 1)},
                      GarbageCase{"count_too_high", withBody(headerOnly(kQryUnit, wire::RspQryOrder, 2), kQryUnit)},
                      GarbageCase{"count_zero", withBody(headerOnly(kQryUnit, wire::RspQryOrder, 0), kQryUnit)},
                      GarbageCase{"trailing_bytes",
                                  withBody(headerOnly(kQryUnit + 3, wire::RspQryOrder, 1), kQryUnit + 3)},
                      GarbageCase{"random", randomBytes()}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- the answer reader on buffers

namespace {

using qeto::gate::AnswerResult;

struct ReaderCase {
    const char *name;
    std::string bytes;
    AnswerResult::Status status;
    size_t used;
    std::vector<int> slots;  // callbacks made, in order
    int stopAfter = 0;       // callbacks until the instance is released; 0: never
};

struct BufferSink final : qeto::gate::AnswerSink {
    int stopAfter = 0;
    std::vector<bool> logins;
    SpiCallbackTable callbacks() override { return recordingTable(); }
    bool live() override {
        const auto n = static_cast<int>(Recorder::get().calls.load());
        return stopAfter == 0 || n < stopAfter;
    }
    void loginState(bool in) override { logins.push_back(in); }
    void frame(const wire::FrameHeader &) override {}
};

std::string rtnOrders(int n) {
    return answerFrame(wire::RtnOrder, std::vector<CQetoRtnOrderField>(static_cast<size_t>(n)),
                       std::vector<CQetoRspInfo>(static_cast<size_t>(n)), 0, 77, true);
}
std::string loginAnswer() {
    return answerFrame<GatewayUserRspLoginField>(wire::RspLogin, {GatewayUserRspLoginField{}}, {CQetoRspInfo{}}, 1, 77,
                                                 true);
}
const size_t kOrderUnit = sizeof(CQetoRtnOrderField) + sizeof(CQetoRspInfo);

class GatewayReader : public ::testing::TestWithParam<ReaderCase> {};

}  // namespace

TEST_P(GatewayReader, handlesFrontOfBuffer) {
    const ReaderCase &c = GetParam();
    Recorder::get().clear();
    Recorder::get().calls = 0;
    BufferSink sink;
    sink.stopAfter = c.stopAfter;
    const AnswerResult r =
        qeto::gate::readAnswers(reinterpret_cast<const uint8_t *>(c.bytes.data()), c.bytes.size(), sink);
    EXPECT_EQ(r.status, c.status) << r.error;
    EXPECT_EQ(r.used, c.used);
    EXPECT_EQ(r.error.empty(), c.status != AnswerResult::ProtocolError);
    std::vector<int> slots;
    for (const auto &e : Recorder::get().events()) slots.push_back(e.slot);
    EXPECT_EQ(slots, c.slots);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GatewayReader,
    ::testing::Values(
        ReaderCase{"frames_and_heartbeat",
                   rtnOrders(2) + headerOnly(0, wire::RspHeartbeat, 0) + loginAnswer(),
                   AnswerResult::More,
                   20 + 2 * kOrderUnit + 20 + 20 + 64 + 85,
                   {kRtnOrder, kRtnOrder, kRspLogin}},
        ReaderCase{"header_cut", rtnOrders(1).substr(0, 19), AnswerResult::More, 0, {}},
        ReaderCase{
            "body_cut", rtnOrders(1) + loginAnswer().substr(0, 100), AnswerResult::More, 20 + kOrderUnit, {kRtnOrder}},
        ReaderCase{"heartbeat_body_skipped",
                   headerOnly(5, wire::RspHeartbeat, 0) + "12345" + rtnOrders(1),
                   AnswerResult::More,
                   25 + 20 + kOrderUnit,
                   {kRtnOrder}},
        // A header that cannot fit its units fails at once: no waiting for a body that may never come.
        ReaderCase{"bad_count_before_body",
                   rtnOrders(1) + headerOnly(2 * kOrderUnit, wire::RtnOrder, 1),
                   AnswerResult::ProtocolError,
                   20 + kOrderUnit,
                   {kRtnOrder}},
        ReaderCase{"request_type", headerOnly(0, wire::ReqHeartbeat, 0), AnswerResult::ProtocolError, 0, {}},
        ReaderCase{"released_in_callback",
                   rtnOrders(3) + rtnOrders(1),
                   AnswerResult::Stopped,
                   20 + 3 * kOrderUnit,
                   {kRtnOrder, kRtnOrder},
                   2}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- connection handling

TEST_F(GatewayLib, failoverToSecondAddress) {
    FakeCounter fake;
    fake.start();
    const uint16_t closed = closedPort();
    ParamFile pf(url(closed) + ";" + url(fake.port()) + ";");
    ASSERT_EQ(startEntry(pf), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
    const auto ev = Recorder::get().events();
    EXPECT_TRUE(hasMsg(ev, "connect " + url(closed) + " failed: Connection refused", true));
    EXPECT_TRUE(pollUntil([&] { return fake.accepted() == 1; }));
    loginOn();
}

TEST_F(GatewayLib, peerCloseIsReportedAndReconnected) {
    FakeCounter fake;
    ASSERT_NO_FATAL_FAILURE(connectTo(fake, "ReconnectIntervalMs=50\n"));
    loginOn();
    fake.dropAll();
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 2));
    const auto disc = Recorder::get().of(kFrontDisconnected);
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_EQ(disc[0].reason, 4097);
    // The login of the old connection does not carry over.
    CQetoReqQryStockClientAccountField f{};
    EXPECT_NE(reqQryFund(&f, 77, 3, 0), 0);
    loginOn();
    EXPECT_EQ(reqQryFund(&f, 77, 4, 0), 0);
}

TEST_F(GatewayLib, heartbeatsWhenIdleAndTimeoutWhenSilent) {
    FakeCounter fake;
    std::atomic<bool> answer{true};
    ASSERT_NO_FATAL_FAILURE(connectAnswering(fake, answer));
    auto heartbeats = [&] {
        size_t n = 0;
        for (const auto &h : fake.received()) n += h.type == wire::ReqHeartbeat && h.length == 0;
        return n;
    };
    ASSERT_TRUE(pollUntil([&] { return heartbeats() >= 5; }));
    EXPECT_EQ(Recorder::get().count(kFrontDisconnected), 0u) << "answered heartbeats keep the line up";
    answer = false;
    ASSERT_TRUE(Recorder::get().waitCount(kFrontDisconnected, 1));
    EXPECT_EQ(Recorder::get().of(kFrontDisconnected)[0].reason, 8193);
}

// A machine that stalls the process now and then (another process stops it for 60 ms every
// 180 ms) still notices a silent counter: the stalls do not count as silence, nor restart it.
TEST_F(GatewayLib, silentCounterTimesOutOnAStallingMachine) {
    FakeCounter fake;
    std::atomic<bool> answer{true};
    ASSERT_NO_FATAL_FAILURE(connectAnswering(fake, answer));
    answer = false;
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t me = getpid();
    const pid_t staller = fork();
    if (staller == 0) {
        // Every stop is followed by a continue, and the flag is read only between the two.
        char flag;
        fcntl(done[0], F_SETFL, O_NONBLOCK);
        for (int i = 0; i < 100 && read(done[0], &flag, 1) != 1; ++i) {
            kill(me, SIGSTOP);
            usleep(60000);
            kill(me, SIGCONT);
            usleep(120000);
        }
        _exit(0);
    }
    struct Reap {
        pid_t pid;
        int fd;
        ~Reap() {
            (void)!write(fd, "x", 1);
            waitpid(pid, nullptr, 0);
        }
    } reap{staller, done[1]};
    ASSERT_TRUE(Recorder::get().waitCount(kFrontDisconnected, 1));
    EXPECT_EQ(Recorder::get().of(kFrontDisconnected)[0].reason, 8193);
}

// A client that holds a callback for longer than the timeout has not lost its counter.
TEST_F(GatewayLib, slowCallbackIsNoHeartbeatTimeout) {
    FakeCounter fake;
    fake.start();
    ParamFile pf(url(fake.port()), "HeartbeatIntervalMs=40\nHeartbeatTimeoutMs=500\nReconnectIntervalMs=5000\n");
    Recorder::get().setHook([](const Event &e) {
        if (e.slot == kRspLogin) std::this_thread::sleep_for(1200ms);  // the slow client
    });
    ASSERT_EQ(startEntry(pf), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
    loginOn();
    auto heartbeats = [&] {
        size_t n = 0;
        for (const auto &h : fake.received()) n += h.type == wire::ReqHeartbeat;
        return n;
    };
    const size_t after = heartbeats();
    ASSERT_TRUE(pollUntil([&] { return heartbeats() >= after + 10; }));
    EXPECT_EQ(Recorder::get().count(kFrontDisconnected), 0u);
}

TEST_F(GatewayLib, stopThenStartAgain) {
    FakeCounter fake;
    ASSERT_NO_FATAL_FAILURE(connectTo(fake));
    EXPECT_EQ(stopApi(0), 0);
    CQetoReqQryStockClientAccountField f{};
    EXPECT_NE(reqQryFund(&f, 77, 3, 0), 0);
    GatewayStartApiField s = params_->start();
    ASSERT_EQ(startApi(&s, 0), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 2));
    loginOn();
}

// Two instances side by side; the second registers almost no callbacks, which are skipped.
TEST_F(GatewayLib, twoInstancesAndSparseTable) {
    FakeCounter fake;
    fake.start();
    ParamFile pf(url(fake.port()));
    ASSERT_EQ(startEntry(pf, 0), 0);
    SpiCallbackTable sparse{};
    sparse.onFrontConnect = recordingTable().onFrontConnect;
    ASSERT_EQ(startEntry(pf, 1, sparse), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 2));

    GatewayUserReqLoginField login{};
    GatewayTerminalInfoField term{};
    ASSERT_EQ(reqLogin(&login, &term, 1, 1), 0);
    CQetoReqQryStockClientAccountField f{};
    // The answer has no callback on entry 1, yet it opens the requests there.
    ASSERT_TRUE(pollUntil([&] { return reqQryFund(&f, 77, 2, 1) == 0; }));
    EXPECT_EQ(Recorder::get().count(kRspLogin), 0u);
    EXPECT_NE(reqQryFund(&f, 77, 3, 0), 0) << "entry 0 has not logged in";
    loginOn(0);

    release(0);
    EXPECT_EQ(reqQryFund(&f, 77, 4, 1), 0) << "entry 1 goes on";
    EXPECT_TRUE(pollUntil([&] { return fake.open() == 1; }));
}

// ---------------------------------------------------------------- release

TEST_F(GatewayLib, releaseDuringConnectAttempt) {
    // A listener whose backlog is full: further connects hang in the handshake.
    const int lfd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(lfd, 0), 0);
    socklen_t len = sizeof a;
    ::getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        fillers.push_back(fd);
    }
    ParamFile pf(url(ntohs(a.sin_port)), "SuperLog=1\nConnectTimeoutMs=60000\n");
    ASSERT_EQ(startEntry(pf), 0);
    ASSERT_TRUE(Recorder::get().waitFor([](const std::vector<Event> &ev) { return hasMsg(ev, "connecting", false); }));
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(release(0), 0);
    Recorder::get().forbidden = true;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    EXPECT_EQ(Recorder::get().count(kFrontConnect), 0u);
    // Entry is free again.
    EXPECT_EQ(createTraderApi(0), 0);
    EXPECT_EQ(Recorder::get().violations.load(), 0);
    for (int fd : fillers) ::close(fd);
    ::close(lfd);
}

namespace {
std::string rtnOrderChunk() {
    std::vector<CQetoRtnOrderField> recs(64);
    std::vector<CQetoRspInfo> infos(64);
    for (size_t i = 0; i < recs.size(); ++i) recs[i].OrderSysID = static_cast<uint32_t>(i);
    std::string one = answerFrame(wire::RtnOrder, recs, infos, 0, 77, true);
    std::string s;
    for (int i = 0; i < 16; ++i) s += one;
    return s;
}
}  // namespace

TEST_F(GatewayLib, releaseFromAnotherThreadWhileCallbacksFire) {
    FakeCounter fake;
    fake.blastChunk = rtnOrderChunk();
    fake.onAccept = [](FakeCounter::Conn &c) { c.blast = true; };
    fake.start();
    ParamFile pf(url(fake.port()));
    for (int round = 0; round < 5; ++round) {
        Recorder::get().clear();
        Recorder::get().forbidden = false;
        ASSERT_EQ(startEntry(pf), 0);
        ASSERT_TRUE(Recorder::get().waitCount(kRtnOrder, 500));
        std::thread other([] {
            release(0);
            Recorder::get().forbidden = true;
        });
        other.join();
        EXPECT_EQ(Recorder::get().violations.load(), 0) << "round " << round;
    }
}

TEST_F(GatewayLib, releaseFromInsideCallback) {
    FakeCounter fake;
    fake.blastChunk = rtnOrderChunk();
    fake.onAccept = [](FakeCounter::Conn &c) { c.blast = true; };
    fake.start();
    ParamFile pf(url(fake.port()));
    Recorder::get().setHook([](const Event &e) {
        if (e.slot == kRtnOrder && !Recorder::get().forbidden.exchange(true)) release(0);
    });
    ASSERT_EQ(startEntry(pf), 0);
    // The library lets go of the connection once the callback has returned.
    ASSERT_TRUE(pollUntil([&] { return fake.accepted() == 1 && fake.open() == 0; }));
    EXPECT_EQ(Recorder::get().count(kRtnOrder), 1u);
    EXPECT_EQ(Recorder::get().violations.load(), 0);
}

TEST_F(GatewayLib, thousandCyclesLeakNothing) {
    FakeCounter fake;
    fake.start();
    ParamFile pf(url(fake.port()));
    // One warm-up cycle so that lazily created process-wide state is not counted.
    ASSERT_EQ(startEntry(pf), 0);
    ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
    release(0);
    ASSERT_TRUE(pollUntil([&] { return fake.accepted() == 1 && fake.open() == 0; }));
    const size_t threads = countEntries("/proc/self/task");
    const size_t fds = countEntries("/proc/self/fd");

    for (int i = 0; i < 1000; ++i) {
        Recorder::get().clear();
        ASSERT_EQ(startEntry(pf), 0);
        if (i % 2 == 0) {  // every other cycle is released before it has connected
            ASSERT_TRUE(Recorder::get().waitCount(kFrontConnect, 1));
        }
        ASSERT_EQ(release(0), 0);
    }
    EXPECT_EQ(countEntries("/proc/self/task"), threads);
    // Connections may still wait in the fake's backlog; stopping it settles its side.
    fake.stop();
    EXPECT_EQ(countEntries("/proc/self/fd"), fds);
}
