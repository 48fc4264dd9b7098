// Query throughput through the gateway library: 100,000 orders on one counter, fetched page by
// page (each follow-up request sent from the callback of the previous page's last unit).
// Prints records/s received by the library, median of several runs.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "gate_test_support.h"
#include "qeto_demo_accounts.h"

namespace demo = qeto::sim::demo;

using namespace gatetest;
using Clock = std::chrono::steady_clock;

namespace {

// 200,000 preloaded orders are spread over both counters: 100,000 on Shanghai.
constexpr const char *kPreload = "200000";
constexpr int kRuns = 5;

std::atomic<int> gConnected{0};
std::atomic<int> gLogins{0};
std::atomic<uint32_t> gSession{0};
std::atomic<long> gRecords{0};
std::atomic<int> gPages{0};
std::atomic<bool> gDone{false};
std::atomic<bool> gFailed{false};
std::atomic<int> gRequestId{100};

void onConnect() { gConnected.fetch_add(1); }
void onLogin(GatewayUserRspLoginField *, CQetoRspInfo *info, CQetoSessionInfo *s, int, bool) {
    if (info->ErrorID == 0) gSession = s->AccountSessionID;
    gLogins.fetch_add(1);
}

void ask(int32_t position) {
    CQetoReqQryOrderField q{};
    q.Position = position;
    q.QueryFlag = 2;
    if (reqQryOrder(&q, gSession, gRequestId.fetch_add(1), 0) != 0) gFailed = true;
}

void onQryOrder(CQetoRspQryOrderField *r, CQetoRspInfo *info, CQetoSessionInfo *, int, bool last) {
    if (info->ErrorID != 0) {
        gFailed = true;
        gDone = true;
        return;
    }
    gRecords.fetch_add(1, std::memory_order_relaxed);
    if (!last) return;
    gPages.fetch_add(1, std::memory_order_relaxed);
    if (r->MoreData)
        ask(r->Position);
    else
        gDone = true;
}

template <class F>
bool waitUntil(F f, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!f()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace

int main() {
    SimProcess sim;
    std::string error;
    if (!sim.start(simPath(), {"--preload-orders", kPreload, "--deterministic"}, &error)) {
        std::fprintf(stderr, "bench_query: cannot start qeto-sim: %s\n", error.c_str());
        return 1;
    }
    ParamFile params("tcp://127.0.0.1:" + std::to_string(sim.counterPort));
    SpiCallbackTable t{};
    t.onFrontConnect = onConnect;
    t.onRspLogin = onLogin;
    t.onRspQryOrder = onQryOrder;
    createTraderApi(0);
    registerSpi(t, 0);
    GatewayStartApiField start = params.start();
    if (startApi(&start, 0) != 0 || !waitUntil([] { return gConnected > 0; }, std::chrono::seconds(20))) {
        std::fprintf(stderr, "bench_query: no connection\n");
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
    if (!waitUntil([] { return gLogins > 0; }, std::chrono::seconds(20)) || gSession == 0) {
        std::fprintf(stderr, "bench_query: login failed\n");
        return 1;
    }

    std::vector<double> rates;
    long records = 0;
    int pages = 0;
    for (int run = 0; run < kRuns; ++run) {
        gRecords = 0;
        gPages = 0;
        gDone = false;
        const auto t0 = Clock::now();
        ask(0);
        if (!waitUntil([] { return gDone.load(); }, std::chrono::seconds(120)) || gFailed) {
            std::fprintf(stderr, "bench_query: query did not complete\n");
            return 1;
        }
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        records = gRecords;
        pages = gPages;
        rates.push_back(static_cast<double>(records) / s);
    }
    release(0);
    sim.stop();
    std::sort(rates.begin(), rates.end());
    std::printf("order query through the library: %ld records in %d pages per run, %d runs\n", records, pages, kRuns);
    std::printf("  median %.0f records/s   min %.0f   max %.0f   (target >= 500000 records/s)\n",
                rates[rates.size() / 2], rates.front(), rates.back());
    return 0;
}
