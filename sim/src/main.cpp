// qeto-sim: simulated trading counter and Level-1 market-data server.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "accounts.h"
#include "engine.h"
#include "market.h"
#include "platform.h"
#include "server.h"

namespace {

const char kUsage[] =
    "usage: qeto-sim [options]\n"
    "  --bind ADDR             listen address (default 127.0.0.1)\n"
    "  --counter-port N        counter port (default 8888, 0 = any free port)\n"
    "  --md-port N             market-data port (default 9999, 0 = any free port)\n"
    "  --accounts FILE         accounts file (default: built-in demo accounts)\n"
    "  --batch N               records per query answer (default 500)\n"
    "  --seed N                random seed (default 1)\n"
    "  --deterministic         no randomness: fixed quote pattern, predictable fills\n"
    "  --preload-orders N      N historical orders (and their trades) for the first account, up to 200000\n"
    "  --md-interval-ms N      market-data tick (default 1000)\n"
    "  --md-codes N            securities in the universe (default 300, up to 50000)\n"
    "  --md-encoding utf8|gbk  encoding of names on the market-data wire (default utf8)\n"
    "  --md-blast              push pre-built frames as fast as the socket takes (benchmarks)\n"
    "  --text-encoding utf8|gbk  encoding of Chinese refusal texts (default utf8)\n"
    "  --rtn-delay-ms N        delay of transfer returns and resting-order fills (default 200)\n"
    "  --max-counter-conns N   counter connections at once; more are closed at once (default 256)\n"
    "  --max-md-conns N        market-data connections at once (default 256)\n"
    "  --idle-timeout-s N      close a counter connection silent this long, 0 = never (default 60)\n"
    "  --stall-timeout-s N     close a connection whose answers or snapshot did not move this long,\n"
    "                          0 = never (default 30)\n"
    "  --max-queued-mb N       unread answers across counter connections before the largest queue\n"
    "                          is dropped (default 64)\n"
    "  --control-stdin         read commands on stdin: 'drop' cuts every connection; end of input exits\n"
    "  --help                  this text\n"
    "The first line on stdout is 'counter_port=<n> md_port=<m>' once both ports listen.\n"
#ifdef SIGUSR1
    "SIGUSR1 drops every client connection; SIGTERM/SIGINT exit.\n";
#else
    "Ctrl-C or Ctrl-Break exits.\n";
#endif

// long long: a long is 32 bits on Windows, too narrow for the seed's range.
bool parseInt(const char *text, long long lo, long long hi, long long *out) {
    char *end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (!text[0] || *end || v < lo || v > hi) return false;
    *out = v;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    using namespace qeto::sim;
    MarketOptions mo;
    EngineOptions eo;
    ServerOptions so;
    std::string accountsFile;
    bool controlStdin = false;
    long long preload = 0;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char *name) -> const char * {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "qeto-sim: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&](const char *name, long long lo, long long hi) {
            long long v = 0;
            const char *text = value(name);
            if (!parseInt(text, lo, hi, &v)) {
                std::fprintf(stderr, "qeto-sim: %s: '%s' is not a number in %lld..%lld\n", name, text, lo, hi);
                std::exit(2);
            }
            return v;
        };
        auto encoding = [&](const char *name) {
            Encoding e;
            const char *text = value(name);
            if (!parseEncoding(text, &e)) {
                std::fprintf(stderr, "qeto-sim: %s: '%s' is neither utf8 nor gbk\n", name, text);
                std::exit(2);
            }
            return e;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--bind") {
            so.bindAddress = value("--bind");
        } else if (arg == "--counter-port") {
            so.counterPort = static_cast<uint16_t>(number("--counter-port", 0, 65535));
        } else if (arg == "--md-port") {
            so.mdPort = static_cast<uint16_t>(number("--md-port", 0, 65535));
        } else if (arg == "--accounts") {
            accountsFile = value("--accounts");
        } else if (arg == "--batch") {
            eo.batch = static_cast<int>(number("--batch", 1, 1000000));
        } else if (arg == "--seed") {
            mo.seed = static_cast<uint32_t>(number("--seed", 0, 4294967295LL));
        } else if (arg == "--deterministic") {
            mo.deterministic = true;
        } else if (arg == "--preload-orders") {
            preload = number("--preload-orders", 0, 200000);
        } else if (arg == "--md-interval-ms") {
            so.mdIntervalMs = static_cast<int>(number("--md-interval-ms", 1, 3600000));
        } else if (arg == "--md-codes") {
            mo.codes = static_cast<int>(number("--md-codes", 1, 50000));
        } else if (arg == "--md-encoding") {
            mo.nameEncoding = encoding("--md-encoding");
        } else if (arg == "--md-blast") {
            so.mdBlast = true;
        } else if (arg == "--text-encoding") {
            eo.textEncoding = encoding("--text-encoding");
        } else if (arg == "--rtn-delay-ms") {
            eo.rtnDelayMs = static_cast<int>(number("--rtn-delay-ms", 0, 3600000));
        } else if (arg == "--max-counter-conns") {
            so.maxCounterConns = static_cast<int>(number("--max-counter-conns", 1, 1000000));
        } else if (arg == "--max-md-conns") {
            so.maxMdConns = static_cast<int>(number("--max-md-conns", 1, 1000000));
        } else if (arg == "--idle-timeout-s") {
            so.idleTimeoutS = static_cast<int>(number("--idle-timeout-s", 0, 86400));
        } else if (arg == "--stall-timeout-s") {
            so.stallTimeoutS = static_cast<int>(number("--stall-timeout-s", 0, 86400));
        } else if (arg == "--control-stdin") {
            controlStdin = true;
        } else if (arg == "--max-queued-mb") {
            so.maxQueuedTotal = static_cast<std::size_t>(number("--max-queued-mb", 1, 65536)) << 20;
        } else {
            std::fprintf(stderr, "qeto-sim: unknown option '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }

    AccountList accounts;
    if (accountsFile.empty()) {
        accounts = demoAccounts();
    } else {
        std::string error;
        if (!loadAccounts(accountsFile, &accounts, &error)) {
            std::fprintf(stderr, "qeto-sim: %s\n", error.c_str());
            return 2;
        }
    }

#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    asio::io_context io(1);
    Market market(mo);
    Server *server = nullptr;
    Engine engine(
        market, std::move(accounts), eo,
        [&server](ConnId id, std::vector<uint8_t> frame) {
            if (server) server->deliverToCounter(id, std::move(frame));
        },
        [&io](int delayMs, std::function<void()> task) {
            auto timer = std::make_shared<asio::steady_timer>(io, std::chrono::milliseconds(delayMs));
            timer->async_wait([timer, task = std::move(task)](asio::error_code ec) {
                if (!ec) task();
            });
        });
    engine.preloadOrders(static_cast<int>(preload));

    Server srv(io, market, engine, so);
    server = &srv;
    try {
        srv.start();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "qeto-sim: cannot listen on %s: %s\n", so.bindAddress.c_str(), e.what());
        return 1;
    }
    // Read by whoever started us, through a pipe as often as not: out at once, not at exit.
    platform::binaryStdout();
    std::printf("counter_port=%u md_port=%u\n", srv.counterPort(), srv.mdPort());
    std::fflush(stdout);

    asio::signal_set quit(io, SIGINT, SIGTERM);
#ifdef SIGBREAK
    quit.add(SIGBREAK);  // Ctrl-Break in a Windows console
#endif
    quit.async_wait([&](asio::error_code ec, int) {
        if (ec) return;
        srv.stop();
        io.stop();
    });
#ifdef SIGUSR1
    // The tests' way to cut every connection at once; Windows has no signal for it.
    asio::signal_set drop(io, SIGUSR1);
    std::function<void()> armDrop = [&] {
        drop.async_wait([&](asio::error_code ec, int) {
            if (ec) return;
            std::fprintf(stderr, "qeto-sim: SIGUSR1, dropping every client connection\n");
            srv.dropAll();
            armDrop();
        });
    };
    armDrop();
#endif

    if (controlStdin) {
        // Lines on standard input: "drop" cuts every connection; end of input quits, so a
        // simulator whose starter went away (its pipe closed) goes too.
        std::thread([&io, &srv] {
            std::string line;
            while (std::getline(std::cin, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line == "drop")
                    asio::post(io, [&srv] {
                        std::fprintf(stderr, "qeto-sim: drop, dropping every client connection\n");
                        srv.dropAll();
                    });
            }
            asio::post(io, [&io, &srv] {
                srv.stop();
                io.stop();
            });
        }).detach();
    }

    io.run();
    server = nullptr;
    return 0;
}
