// The real qeto-sim process: port line, faulty frames close only their connection, SIGUSR1, SIGTERM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qeto_md_level1.h"
#include "qeto_wire.h"

extern char **environ;

namespace {

using namespace qeto::wire;

template <class T>
T val(T v) {
    return v;
}

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> extra) {
        const char *env = std::getenv("QETO_SIM");
        std::string path = env && *env ? env : QETO_SIM_PATH;
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        std::vector<std::string> args = {path, "--counter-port", "0", "--md-port", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&mPid, path.c_str(), &fa, nullptr, argv.data(), environ) != 0) mPid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(out[1]);
        std::string line;
        char ch;
        pollfd p{out[0], POLLIN, 0};
        while (mPid > 0 && poll(&p, 1, 20000) > 0 && read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
        close(out[0]);
        mLine = line;
        std::sscanf(line.c_str(), "counter_port=%d md_port=%d", &mCounterPort, &mMdPort);
    }
    ~SimProcess() {
        if (mPid > 0 && !mReaped) {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
    }
    int stop(int sig) {
        kill(mPid, sig);
        int status = 0;
        waitpid(mPid, &status, 0);
        mReaped = true;
        return status;
    }
    void signal(int sig) { kill(mPid, sig); }

    pid_t mPid = -1;
    bool mReaped = false;
    std::string mLine;
    int mCounterPort = 0;
    int mMdPort = 0;
};

int connectTo(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
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

void sendFrame(int fd, uint16_t type, uint32_t length, const void *body, std::size_t bodyLen) {
    FrameHeader h{};
    h.length = length;
    h.type = type;
    h.count = 1;
    h.requestId = 3;
    ASSERT_EQ(write(fd, &h, sizeof h), static_cast<ssize_t>(sizeof h));
    if (bodyLen) {
        ASSERT_EQ(write(fd, body, bodyLen), static_cast<ssize_t>(bodyLen));
    }
}

// Waits for end of stream (true) or for a timeout (false); discards whatever arrives.
bool closedByPeer(int fd, int timeoutMs = 10000) {
    char buf[4096];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return true;
    }
    return false;
}

bool readExactly(int fd, void *dst, std::size_t len, int timeoutMs = 10000) {
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

bool heartbeatAnswered(int fd) {
    sendFrame(fd, ReqHeartbeat, 0, nullptr, 0);
    FrameHeader h{};
    return readExactly(fd, &h, sizeof h) && h.type == RspHeartbeat && h.length == 0 && h.requestId == 3;
}

TEST(SimSocket, FaultyFramesCloseOnlyTheirConnection) {
    SimProcess sim({"--md-interval-ms", "50", "--md-codes", "20"});
    ASSERT_GT(sim.mCounterPort, 0) << sim.mLine;
    ASSERT_GT(sim.mMdPort, 0);

    const int healthy = connectTo(sim.mCounterPort);
    const int md = connectTo(sim.mMdPort);
    ASSERT_GE(healthy, 0);
    ASSERT_GE(md, 0);
    ASSERT_TRUE(heartbeatAnswered(healthy));

    struct Fault {
        const char *name;
        uint16_t type;
        uint32_t length;
        std::size_t sent;
    } faults[] = {
        {"oversized", ReqQryOrder, kMaxPayload + 1, 0},
        {"unknownType", 999, 4, 4},
        {"shortLogin", ReqLogin, 10, 10},
        {"shortOrder", ReqInsertOrder, 47, 47},
    };
    for (const Fault &f : faults) {
        const int fd = connectTo(sim.mCounterPort);
        ASSERT_GE(fd, 0);
        std::vector<uint8_t> body(f.sent, 0x5A);
        sendFrame(fd, f.type, f.length, body.data(), body.size());
        EXPECT_TRUE(closedByPeer(fd)) << f.name;
        close(fd);
        EXPECT_TRUE(heartbeatAnswered(healthy)) << "after " << f.name;
    }
    // Pure garbage: a header whose length field is huge.
    const int junk = connectTo(sim.mCounterPort);
    const char garbage[] = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(write(junk, garbage, sizeof garbage - 1), static_cast<ssize_t>(sizeof garbage - 1));
    EXPECT_TRUE(closedByPeer(junk));
    close(junk);
    EXPECT_TRUE(heartbeatAnswered(healthy));

    // The market-data reader still gets frames.
    uint8_t frame[kMdFrameSize];
    ASSERT_TRUE(readExactly(md, frame, sizeof frame));
    int32_t mark;
    std::memcpy(&mark, frame, 4);
    EXPECT_EQ(mark, kMdFrameMark);

    // SIGUSR1 drops both kinds of connection; new ones are accepted afterwards.
    sim.signal(SIGUSR1);
    EXPECT_TRUE(closedByPeer(healthy));
    EXPECT_TRUE(closedByPeer(md));
    close(healthy);
    close(md);
    const int again = connectTo(sim.mCounterPort);
    ASSERT_GE(again, 0);
    EXPECT_TRUE(heartbeatAnswered(again));
    close(again);

    const int status = sim.stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SimSocket, LoginOverTheWire) {
    SimProcess sim({"--deterministic"});
    ASSERT_GT(sim.mCounterPort, 0) << sim.mLine;
    const int fd = connectTo(sim.mCounterPort);
    uint8_t body[sizeof(GatewayUserReqLoginField) + sizeof(GatewayTerminalInfoField)] = {};
    GatewayUserReqLoginField l{};
    std::memcpy(l.AccountID, "10001001", 8);
    std::memcpy(l.Password, "123456", 6);
    std::memcpy(l.BranchID, "0001", 4);
    std::memcpy(l.AppID, "qeto-desk", 9);
    l.ExchangeCode = '2';
    std::memcpy(body, &l, sizeof l);
    body[sizeof l] = 'x';  // a MAC address of one character is enough
    sendFrame(fd, ReqLogin, sizeof body, body, sizeof body);
    FrameHeader h{};
    ASSERT_TRUE(readExactly(fd, &h, sizeof h));
    EXPECT_EQ(val(h.type), RspLogin);
    EXPECT_EQ(val(h.count), 1);
    EXPECT_EQ(val(h.last), 1);
    EXPECT_NE(val(h.sessionId), 0u);
    ASSERT_EQ(val(h.length), sizeof(GatewayUserRspLoginField) + sizeof(CQetoRspInfo));
    std::vector<uint8_t> payload(h.length);
    ASSERT_TRUE(readExactly(fd, payload.data(), payload.size()));
    GatewayUserRspLoginField rsp;
    std::memcpy(&rsp, payload.data(), sizeof rsp);
    EXPECT_STREQ(rsp.LoginRspCode, "SZ01");
    CQetoRspInfo info;
    std::memcpy(&info, payload.data() + sizeof rsp, sizeof info);
    EXPECT_EQ(val(info.ErrorID), 0u);
    close(fd);
    EXPECT_EQ(WEXITSTATUS(sim.stop(SIGINT)), 0);
}

}  // namespace
