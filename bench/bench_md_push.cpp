// Market-data push rate of qeto-sim --md-blast against a plain loopback writer measured in the
// same run. Usage: bench_md_push [path-of-qeto-sim] [windows]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_row.h"
#include "qeto_md_level1.h"
#include "sim_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using qeto::sim::test::connectTo;

// Reads and discards for `windows` one-second windows; returns bytes per window.
std::vector<double> drain(int fd, int windows) {
    std::vector<char> buf(4 << 20);
    std::vector<double> perWindow;
    // One warm-up window first.
    for (int w = -1; w < windows; ++w) {
        const auto end = Clock::now() + std::chrono::seconds(1);
        double bytes = 0;
        while (Clock::now() < end) {
            const ssize_t n = read(fd, buf.data(), buf.size());
            if (n <= 0) return perWindow;
            bytes += static_cast<double>(n);
        }
        if (w >= 0) perWindow.push_back(bytes);
    }
    return perWindow;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A plain writer of big buffers over loopback: what the machine can move at all.
std::vector<double> baseline(int windows) {
    int lfd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    listen(lfd, 1);
    getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const int fd = accept(lfd, nullptr, nullptr);
        std::vector<char> big(4 << 20, 'x');
        while (!stop.load(std::memory_order_relaxed)) {
            std::size_t off = 0;
            while (off < big.size()) {
                const ssize_t n = send(fd, big.data() + off, big.size() - off, MSG_NOSIGNAL);
                if (n <= 0) {
                    close(fd);
                    return;
                }
                off += static_cast<std::size_t>(n);
            }
        }
        close(fd);
    });
    const int rfd = connectTo(ntohs(a.sin_port));
    auto result = drain(rfd, windows);
    stop = true;
    close(rfd);
    writer.join();
    close(lfd);
    return result;
}

}  // namespace

int main(int argc, char **argv) {
    std::string sim = argc > 1 ? argv[1] : qeto::test::simPath();
    const int windows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    qeto::test::SimProcess child;
    std::string error;
    if (!child.start(sim, {"--md-blast"}, &error)) {
        std::fprintf(stderr, "qeto-sim did not start: %s\n", error.c_str());
        return 1;
    }

    const int fd = connectTo(child.mdPort);
    const std::vector<double> simBytes = drain(fd, windows);
    close(fd);
    child.stop(SIGTERM);

    const std::vector<double> baseBytes = baseline(windows);

    const double simFrames = median(simBytes) / kMdFrameSize;
    const double baseFrames = median(baseBytes) / kMdFrameSize;
    std::printf("md push, %d one-second windows, frame %d bytes\n", windows, kMdFrameSize);
    std::printf("qeto-sim --md-blast : %12.0f frames/s (median)  %8.1f MB/s\n", simFrames, median(simBytes) / 1e6);
    std::printf("loopback baseline   : %12.0f frames/s (median)  %8.1f MB/s\n", baseFrames, median(baseBytes) / 1e6);
    std::printf("ratio sim/baseline  : %12.2f\n", baseFrames > 0 ? simFrames / baseFrames : 0.0);
    bench::printRow("qeto-sim MD push", simFrames, "frames/s", baseFrames, bench::Better::Higher);
    return 0;
}
