// A qeto-sim child on loopback for process-level suites and benchmarks: free ports, stderr kept
// in a file, an optional descriptor limit, its resident memory and CPU time from /proc, and a
// plain blocking client (login, fund query).
#ifndef QETO_SIM_PROCESS_H
#define QETO_SIM_PROCESS_H

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qeto_wire.h"

namespace qeto::sim::test {

#ifdef QETO_SIM_PATH
// The simulator under test: $QETO_SIM, else the one this suite was built with.
inline std::string simPath() {
    const char *env = std::getenv("QETO_SIM");
    return env && *env ? env : QETO_SIM_PATH;
}
#endif

class SimChild {
public:
    // nofile > 0: the child runs with that many descriptors at most.
    SimChild(const std::string &path, std::vector<std::string> extra, long nofile = 0) {
        char tmpl[] = "/tmp/qeto-sim-stderr.XXXXXX";
        const int errFd = mkstemp(tmpl);
        mErrPath = tmpl;
        int out[2];
        if (errFd < 0 || pipe(out) != 0) return;
        std::vector<std::string> args = {path, "--counter-port", "0", "--md-port", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        mPid = fork();
        if (mPid == 0) {
            if (nofile > 0) {
                rlimit rl{static_cast<rlim_t>(nofile), static_cast<rlim_t>(nofile)};
                setrlimit(RLIMIT_NOFILE, &rl);
            }
            dup2(out[1], 1);
            dup2(errFd, 2);
            close(out[0]);
            close(out[1]);
            close(errFd);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(errFd);
        std::string line;
        char ch;
        pollfd p{out[0], POLLIN, 0};
        while (mPid > 0 && poll(&p, 1, 20000) > 0 && read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
        close(out[0]);
        mLine = line;
        std::sscanf(line.c_str(), "counter_port=%d md_port=%d", &counterPort, &mdPort);
    }
    ~SimChild() {
        if (mPid > 0 && !mReaped) {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
        if (!mErrPath.empty()) unlink(mErrPath.c_str());
    }
    SimChild(const SimChild &) = delete;
    SimChild &operator=(const SimChild &) = delete;

    // Signals the child and waits for it; its wait status.
    int stop(int sig) {
        kill(mPid, sig);
        int status = 0;
        waitpid(mPid, &status, 0);
        mReaped = true;
        return status;
    }
    void signal(int sig) { kill(mPid, sig); }

    bool alive() const { return mPid > 0 && waitpid(mPid, nullptr, WNOHANG) == 0; }
    pid_t pid() const { return mPid; }
    const std::string &portLine() const { return mLine; }

    // VmRSS in KiB, -1 when unknown.
    long rssKb() const {
        std::ifstream f("/proc/" + std::to_string(mPid) + "/status");
        std::string key;
        while (f >> key) {
            if (key == "VmRSS:") {
                long kb = -1;
                f >> kb;
                return kb;
            }
            std::getline(f, key);
        }
        return -1;
    }
    // User plus system CPU time in clock ticks.
    long cpuTicks() const {
        std::ifstream f("/proc/" + std::to_string(mPid) + "/stat");
        std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const auto close = all.rfind(')');
        if (close == std::string::npos) return -1;
        std::istringstream rest(all.substr(close + 2));
        std::string field;
        long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14) utime = std::atol(field.c_str());
            if (i == 15) stime = std::atol(field.c_str());
        }
        return utime + stime;
    }
    std::string errors() const {
        std::ifstream f(mErrPath);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }

    int counterPort = 0;
    int mdPort = 0;

private:
    pid_t mPid = -1;
    bool mReaped = false;
    std::string mLine;
    std::string mErrPath;
};

inline int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool sendAll(int fd, const void *data, std::size_t len) {
    const char *p = static_cast<const char *>(data);
    while (len > 0) {
        const ssize_t n = send(fd, p, len, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

inline std::vector<uint8_t> requestFrame(uint16_t type, const void *body, std::size_t len, uint32_t session = 0,
                                         uint32_t lengthField = 0xFFFFFFFFu) {
    wire::FrameHeader h =
        wire::frameHeader(type, lengthField == 0xFFFFFFFFu ? static_cast<uint32_t>(len) : lengthField, 9, session);
    std::vector<uint8_t> f(sizeof h + len);
    std::memcpy(f.data(), &h, sizeof h);
    if (len) std::memcpy(f.data() + sizeof h, body, len);
    return f;
}

inline bool readExactly(int fd, void *dst, std::size_t len, int timeoutMs = 5000) {
    auto *p = static_cast<char *>(dst);
    pollfd pf{fd, POLLIN, 0};
    while (len > 0) {
        if (poll(&pf, 1, timeoutMs) <= 0) return false;
        const ssize_t n = read(fd, p, len);
        if (n <= 0) return false;
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads one answer frame; false on timeout or end of stream.
inline bool readFrame(int fd, wire::FrameHeader *h, std::vector<uint8_t> *body, int timeoutMs = 5000) {
    if (!readExactly(fd, h, sizeof *h, timeoutMs)) return false;
    body->resize(h->length);
    return h->length == 0 || readExactly(fd, body->data(), body->size(), timeoutMs);
}

// Waits for end of stream or a reset (true) or until timeoutMs passed (false), discarding what
// arrives meanwhile.
inline bool closedByPeer(int fd, int timeoutMs = 5000) {
    char buf[65536];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return true;
    }
}

inline std::vector<uint8_t> loginFrame(const char *account = "10001001", const char *password = "123456") {
    uint8_t body[sizeof(GatewayUserReqLoginField) + sizeof(GatewayTerminalInfoField)] = {};
    GatewayUserReqLoginField l{};
    std::memcpy(l.AccountID, account, std::strlen(account));
    std::memcpy(l.Password, password, std::strlen(password));
    std::memcpy(l.BranchID, "0001", 4);
    std::memcpy(l.AppID, "qeto-desk", 9);
    l.ExchangeCode = '1';
    std::memcpy(body, &l, sizeof l);
    body[sizeof l] = 'x';  // a MAC address of one character is enough
    return requestFrame(wire::ReqLogin, body, sizeof body);
}

// Logs the demo account in on fd; its session id, 0 when refused or unanswered.
inline uint32_t login(int fd, int timeoutMs = 5000) {
    const auto f = loginFrame();
    if (!sendAll(fd, f.data(), f.size())) return 0;
    wire::FrameHeader h{};
    std::vector<uint8_t> body;
    if (!readFrame(fd, &h, &body, timeoutMs) || h.type != wire::RspLogin) return 0;
    CQetoRspInfo info;
    std::memcpy(&info, body.data() + sizeof(GatewayUserRspLoginField), sizeof info);
    return info.ErrorID == 0 ? h.sessionId : 0;
}

inline std::vector<uint8_t> fundQuery(uint32_t session) {
    CQetoReqQryStockClientAccountField r{};
    return requestFrame(wire::ReqQryFund, &r, sizeof r, session);
}

inline std::vector<uint8_t> orderQuery(uint32_t session) {
    CQetoReqQryOrderField r{};
    r.QueryFlag = 2;
    return requestFrame(wire::ReqQryOrder, &r, sizeof r, session);
}

// A well-behaved session: connect, log in, ask for the fund record and get it.
inline bool wellBehavedSession(int port) {
    const int fd = connectTo(port);
    if (fd < 0) return false;
    const uint32_t session = login(fd);
    bool ok = false;
    if (session) {
        const auto q = fundQuery(session);
        wire::FrameHeader h{};
        std::vector<uint8_t> body;
        ok = sendAll(fd, q.data(), q.size()) && readFrame(fd, &h, &body) && h.type == wire::RspQryFund;
    }
    close(fd);
    return ok;
}

}  // namespace qeto::sim::test

#endif
