// Order round trip through the gateway library and qeto-sim: reqInsertOrder until its
// RspInsertOrder arrives, one order at a time. Prints median and p99 over 10,000 orders, and a
// plain loopback ping-pong of the same sizes measured in the same run as the baseline.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "bench_row.h"
#include "gate_test_support.h"
#include "qeto_demo_accounts.h"

namespace demo = qeto::sim::demo;

using namespace gatetest;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kOrders = 10000;
constexpr int kWarmup = 500;

std::atomic<int> gConnected{0};
std::atomic<int> gLogins{0};
std::atomic<uint32_t> gSession{0};
std::atomic<int> gAnswered{-1};  // request id of the latest RspInsertOrder
std::atomic<int> gAccepted{0};
std::atomic<int> gRefused{0};
std::atomic<int> gFunded{0};

void onConnect() { gConnected.fetch_add(1); }
void onLogin(GatewayUserRspLoginField *, CQetoRspInfo *info, CQetoSessionInfo *s, int, bool) {
    if (info->ErrorID == 0) gSession = s->AccountSessionID;
    gLogins.fetch_add(1);
}
void onInsert(CQetoRspOrderInsertField *, CQetoRspInfo *info, CQetoSessionInfo *, int req, bool) {
    (info->ErrorID == 0 ? gAccepted : gRefused).fetch_add(1);
    gAnswered.store(req, std::memory_order_release);
}
void onInFund(CQetoRspCapTransferField *, CQetoRspInfo *, CQetoSessionInfo *, int, bool) { gFunded = 1; }

template <class F>
bool spinUntil(F f, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = Clock::now() + limit;
    while (!f()) {
        if (Clock::now() > end) return false;
        std::this_thread::yield();
    }
    return true;
}

struct Stats {
    double median;
    double p99;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)]};
}

// Same request and answer sizes as an order and its answer, over a bare loopback socket.
std::vector<double> loopbackPingPong(int n) {
    const size_t reqSize = sizeof(qeto::wire::FrameHeader) + sizeof(CQetoReqOrderInsertField);
    const size_t rspSize = sizeof(qeto::wire::FrameHeader) + sizeof(CQetoRspOrderInsertField) + sizeof(CQetoRspInfo);
    const int lfd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(lfd, 1);
    socklen_t len = sizeof a;
    ::getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len);
    auto readFull = [](int fd, char *p, size_t k) {
        while (k) {
            const ssize_t r = ::read(fd, p, k);
            if (r <= 0) return false;
            p += r;
            k -= static_cast<size_t>(r);
        }
        return true;
    };
    std::thread server([&] {
        const int fd = ::accept(lfd, nullptr, nullptr);
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::vector<char> in(reqSize), out(rspSize, 'x');
        while (readFull(fd, in.data(), reqSize)) (void)!::write(fd, out.data(), rspSize);
        ::close(fd);
    });
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // The client waits the way the order loop does (spinning), so the two figures compare.
    auto spinRead = [](int fd, char *p, size_t k) {
        while (k) {
            const ssize_t r = ::recv(fd, p, k, MSG_DONTWAIT);
            if (r > 0) {
                p += r;
                k -= static_cast<size_t>(r);
            } else if (r == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                return false;
            } else {
                std::this_thread::yield();
            }
        }
        return true;
    };
    std::vector<char> req(reqSize, 'r'), rsp(rspSize);
    std::vector<double> us;
    for (int i = 0; i < n + kWarmup; ++i) {
        const auto t0 = Clock::now();
        (void)!::write(fd, req.data(), reqSize);
        spinRead(fd, rsp.data(), rspSize);
        if (i >= kWarmup) us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    ::close(fd);
    server.join();
    ::close(lfd);
    return us;
}

}  // namespace

int main() {
    SimProcess sim;
    std::string error;
    if (!sim.start(simPath(), {"--deterministic"}, &error)) {
        std::fprintf(stderr, "bench_order_rtt: cannot start qeto-sim: %s\n", error.c_str());
        return 1;
    }
    ParamFile params("tcp://127.0.0.1:" + std::to_string(sim.counterPort));
    SpiCallbackTable t{};
    t.onFrontConnect = onConnect;
    t.onRspLogin = onLogin;
    t.onRspInsertOrder = onInsert;
    t.onRspInFund = onInFund;
    createTraderApi(0);
    registerSpi(t, 0);
    GatewayStartApiField start = params.start();
    if (startApi(&start, 0) != 0 || !spinUntil([] { return gConnected > 0; })) {
        std::fprintf(stderr, "bench_order_rtt: no connection\n");
        return 1;
    }
    GatewayUserReqLoginField login{};
    GT_PUT(login.AccountID, demo::kAccount);
    GT_PUT(login.Password, "123456");
    GT_PUT(login.BranchID, "0001");
    GT_PUT(login.AppID, "qeto-desk");
    login.ExchangeCode = '1';
    GatewayTerminalInfoField term{};
    GT_PUT(term.HostName, "bench");
    reqLogin(&login, &term, 1, 0);
    if (!spinUntil([] { return gLogins > 0; }) || gSession == 0) {
        std::fprintf(stderr, "bench_order_rtt: login failed\n");
        return 1;
    }
    // Enough cash that every resting buy is accepted.
    CQetoReqCapTransferField in{};
    GT_PUT(in.AccountID, demo::kAccount);
    in.Amount = 50000000.0;
    reqInFund(&in, gSession, 2, 0);
    spinUntil([] { return gFunded != 0; });

    unsigned char opaque[128] = {};
    std::vector<double> us;
    us.reserve(kOrders);
    int requestId = 10;
    for (int i = 0; i < kOrders + kWarmup; ++i) {
        CQetoReqOrderInsertField o{};
        o.UserLocalID = static_cast<uint32_t>(i + 1);
        GT_PUT(o.SecurityID, "600000");
        o.Direction = '1';
        o.Price = 9.50;  // below the market: the order rests
        o.Volume = 100;
        o.OrderPriceType = '2';
        o.TimeCondition = '0';
        const int id = ++requestId;
        const auto t0 = Clock::now();
        if (reqInsertOrder(&o, opaque, gSession, id, 0) != 0) {
            std::fprintf(stderr, "bench_order_rtt: request refused by the library\n");
            return 1;
        }
        if (!spinUntil([id] { return gAnswered.load(std::memory_order_acquire) == id; })) {
            std::fprintf(stderr, "bench_order_rtt: no answer to order %d\n", i);
            return 1;
        }
        if (i >= kWarmup) us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    release(0);
    sim.stop();

    const Stats order = stats(us);
    const Stats base = stats(loopbackPingPong(kOrders));
    std::printf("order round trip (reqInsertOrder -> onRspInsertOrder, library + qeto-sim), %d orders:\n", kOrders);
    std::printf("  median %.1f us   p99 %.1f us   (accepted %d, refused %d)\n", order.median, order.p99,
                gAccepted.load(), gRefused.load());
    std::printf("loopback ping-pong baseline, same sizes, same run:\n");
    std::printf("  median %.1f us   p99 %.1f us\n", base.median, base.p99);
    std::printf("ratio median order / median baseline: %.2f\n", order.median / base.median);
    bench::printRow("order round trip (library + qeto-sim)", order.median, "us", base.median, bench::Better::Lower);
    return 0;
}
