// What hostile clients cost qeto-sim: resident memory with eight clients that ask for full order
// pages and never read, and CPU use while more connections are held than it has descriptors.
// Usage: bench_sim_hostile [path-of-qeto-sim] [seconds-per-window]
// Any build of qeto-sim can be measured (only options every version knows are passed).
#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "sim_client.h"

using namespace qeto::sim::test;
using Clock = std::chrono::steady_clock;

namespace {

long peakRssKb(const SimProcess &sim, int ms) {
    long peak = sim.rssKb();
    for (int t = 0; t < ms; t += 50) {
        poll(nullptr, 0, 50);
        peak = std::max(peak, sim.rssKb());
    }
    return peak;
}

void neverReaders(const std::string &path, int seconds) {
    SimProcess sim;
    if (!sim.start(path, {"--preload-orders", "20000", "--deterministic"}))
        return void(std::printf("cannot start %s\n", path.c_str()));
    const long base = sim.rssKb();
    std::vector<int> fds;
    std::vector<std::vector<uint8_t>> queries;
    for (int c = 0; c < 8; ++c) {
        const int fd = connectTo(sim.counterPort);
        const uint32_t session = login(fd);
        if (!session) return void(std::printf("login refused\n"));
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fds.push_back(fd);
        queries.push_back(orderQuery(session));
    }
    long sent = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    for (std::size_t c = 0; c < fds.size(); ++c) {
        for (int n = 0; n < 2000 && Clock::now() < deadline; ++n) {
            pollfd p{fds[c], POLLOUT, 0};
            if (poll(&p, 1, 300) <= 0) break;
            if (send(fds[c], queries[c].data(), queries[c].size(), MSG_NOSIGNAL) <= 0) break;
            ++sent;
        }
    }
    const long peak = peakRssKb(sim, seconds * 1000);
    std::printf(
        "8 clients never reading full order pages: %ld queries sent, resident %ld KiB at start, "
        "%ld KiB at the peak (+%ld KiB, %ld KiB per client)\n",
        sent, base, peak, peak - base, (peak - base) / 8);
    for (int fd : fds) close(fd);
}

void descriptorsRunOut(const std::string &path, int seconds, std::vector<std::string> args) {
    SimProcess sim;
    if (!sim.start(path, args, nullptr, 1024)) return void(std::printf("qeto-sim did not start with these options\n"));
    std::vector<int> held;
    for (int i = 0; i < 1100; ++i) {
        const int fd = connectTo(sim.counterPort);
        if (fd < 0) break;
        held.push_back(fd);
    }
    poll(nullptr, 0, 500);
    const long before = sim.cpuTicks();
    const auto start = Clock::now();
    poll(nullptr, 0, seconds * 1000);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = static_cast<double>(sim.cpuTicks() - before) / static_cast<double>(sysconf(_SC_CLK_TCK));
    const auto t0 = Clock::now();
    const bool during = wellBehavedSession(sim.counterPort);
    const double duringS = std::chrono::duration<double>(Clock::now() - t0).count();
    // The oldest ones: those the simulator accepted.
    for (std::size_t i = 0; i < 200 && i < held.size(); ++i) close(held[i]);
    held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(200, held.size())));
    const auto t1 = Clock::now();
    bool after = false;
    while (!after && Clock::now() - t1 < std::chrono::seconds(10)) after = wellBehavedSession(sim.counterPort);
    const double afterS = std::chrono::duration<double>(Clock::now() - t1).count();
    std::string opts;
    for (const auto &a : args) opts += " " + a;
    std::printf(
        "1100 idle connections, 1024 descriptors%s: CPU %.0f %% over %.1f s; a login meanwhile %s after "
        "%.2f s; after 200 are freed a login %s after %.2f s\n",
        opts.c_str(), 100.0 * cpu / wall, wall, during ? "answered" : "failed", duringS, after ? "answered" : "failed",
        afterS);
    for (int fd : held) close(fd);
}

}  // namespace

int main(int argc, char **argv) {
    const std::string path = argc > 1 ? argv[1] : simPath();
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    rlimit rl{};
    getrlimit(RLIMIT_NOFILE, &rl);
    rl.rlim_cur = rl.rlim_max;  // the client side holds more than 1,100 descriptors
    setrlimit(RLIMIT_NOFILE, &rl);
    std::printf("qeto-sim: %s\n", path.c_str());
    neverReaders(path, seconds);
    descriptorsRunOut(path, seconds, {});
    // With the connection cap above the descriptor limit, accepting itself runs out.
    descriptorsRunOut(path, seconds, {"--max-counter-conns", "2000"});
    return 0;
}
