// Query throughput through the gateway library: 100,000 orders on one counter, fetched page by
// page (each follow-up request sent from the callback of the previous page's last unit).
// Prints records/s received by the library, median of several runs, against the limit measured
// in the same run: the same request and answer bytes, recorded from qeto-sim once, played back
// over a bare loopback socket to a reader that only walks the frame headers.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench_row.h"
#include "gate_test_support.h"
#include "qeto_demo_accounts.h"
#include "sim_client.h"

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

// One page of the query as it crossed the wire: the request frame and the answer frames.
struct Page {
    std::vector<uint8_t> request;
    std::vector<uint8_t> answer;
};

std::vector<Page> recordPages(uint16_t port) {
    using namespace qeto::sim::test;
    std::vector<Page> pages;
    const int fd = connectTo(port);
    const uint32_t session = fd >= 0 ? login(fd) : 0;
    int32_t position = 0;
    for (bool more = session != 0; more;) {
        CQetoReqQryOrderField q{};
        q.Position = position;
        q.QueryFlag = 2;
        Page page;
        page.request = requestFrame(qeto::wire::ReqQryOrder, &q, sizeof q, session);
        if (!sendAll(fd, page.request.data(), page.request.size())) return {};
        qeto::wire::FrameHeader h{};
        std::vector<uint8_t> body;
        do {
            if (!readFrame(fd, &h, &body) || h.type != qeto::wire::RspQryOrder) return {};
            const auto *hp = reinterpret_cast<const uint8_t *>(&h);
            page.answer.insert(page.answer.end(), hp, hp + sizeof h);
            page.answer.insert(page.answer.end(), body.begin(), body.end());
        } while (!h.last);
        CQetoRspQryOrderField lastRecord;
        std::memcpy(&lastRecord, body.data() + body.size() - sizeof(CQetoRspInfo) - sizeof lastRecord,
                    sizeof lastRecord);
        position = lastRecord.Position;
        more = lastRecord.MoreData != 0;
        pages.push_back(std::move(page));
    }
    if (fd >= 0) close(fd);
    return pages;
}

// Records/s of the recorded pages over loopback: the reader sends each request and walks the
// answer frames by their headers, counting units, until the last one.
double loopbackRate(const std::vector<Page> &pages, long *records) {
    const int lfd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(lfd, 1);
    ::getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len);
    std::thread server([&] {
        const int fd = ::accept(lfd, nullptr, nullptr);
        std::vector<uint8_t> request;
        for (const Page &p : pages) {
            request.resize(p.request.size());
            if (!qeto::sim::test::readExactly(fd, request.data(), request.size()) ||
                !qeto::sim::test::sendAll(fd, p.answer.data(), p.answer.size()))
                break;
        }
        ::close(fd);
    });
    const int fd = qeto::sim::test::connectTo(ntohs(a.sin_port));
    std::vector<uint8_t> buf(1 << 20);
    long units = 0;
    const auto t0 = Clock::now();
    for (const Page &p : pages) {
        qeto::sim::test::sendAll(fd, p.request.data(), p.request.size());
        size_t have = 0;
        for (bool last = false; !last;) {
            const ssize_t n = ::read(fd, buf.data() + have, buf.size() - have);
            if (n <= 0) break;
            have += static_cast<size_t>(n);
            size_t at = 0;
            qeto::wire::FrameHeader h;
            while (have - at >= sizeof h) {
                std::memcpy(&h, buf.data() + at, sizeof h);
                if (have - at < sizeof h + h.length) break;
                units += h.count;
                at += sizeof h + h.length;
                last = h.last != 0;
            }
            std::memmove(buf.data(), buf.data() + at, have - at);
            have -= at;
        }
    }
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    ::close(fd);
    server.join();
    ::close(lfd);
    *records = units;
    return static_cast<double>(units) / s;
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
    const std::vector<Page> recorded = recordPages(sim.counterPort);
    sim.stop();
    if (recorded.empty()) {
        std::fprintf(stderr, "bench_query: could not record the pages\n");
        return 1;
    }
    std::vector<double> limits;
    long replayed = 0;
    for (int run = 0; run < kRuns; ++run) limits.push_back(loopbackRate(recorded, &replayed));

    std::sort(rates.begin(), rates.end());
    std::printf("order query through the library: %ld records in %d pages per run, %d runs\n", records, pages, kRuns);
    std::printf("  median %.0f records/s   min %.0f   max %.0f\n", rates[rates.size() / 2], rates.front(),
                rates.back());
    std::printf("same bytes over loopback (%zu pages, %ld records): median %.0f records/s\n", recorded.size(), replayed,
                bench::median(limits));
    if (replayed != records) {
        std::fprintf(stderr, "bench_query: the recording holds %ld records, the library got %ld\n", replayed, records);
        return 1;
    }
    bench::printRow("order query, 100,000 records", bench::median(rates), "records/s", bench::median(limits),
                    bench::Better::Higher);
    return 0;
}
