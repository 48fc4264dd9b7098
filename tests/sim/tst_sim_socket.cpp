// The real qeto-sim process: port line, faulty frames close only their connection, SIGUSR1, SIGTERM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "qeto_demo_accounts.h"
#include "qeto_md_level1.h"
#include "qeto_wire.h"
#include "sim_client.h"
#include "sim_harness.h"

namespace demo = qeto::sim::demo;

namespace {

using namespace qeto::wire;
using namespace qeto::sim::test;

void sendFrame(int fd, uint16_t type, uint32_t length, const void *body, std::size_t bodyLen) {
    const FrameHeader h = frameHeader(type, length, 3, 0, 1, false);
    ASSERT_EQ(write(fd, &h, sizeof h), static_cast<ssize_t>(sizeof h));
    if (bodyLen) {
        ASSERT_EQ(write(fd, body, bodyLen), static_cast<ssize_t>(bodyLen));
    }
}

bool heartbeatAnswered(int fd) {
    sendFrame(fd, ReqHeartbeat, 0, nullptr, 0);
    FrameHeader h{};
    return readExactly(fd, &h, sizeof h, 10000) && h.type == RspHeartbeat && h.length == 0 && h.requestId == 3;
}

TEST(SimSocket, FaultyFramesCloseOnlyTheirConnection) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start(simPath(), {"--md-interval-ms", "50", "--md-codes", "20"}, &error)) << error;
    ASSERT_GT(sim.mdPort, 0);

    const int healthy = connectTo(sim.counterPort);
    const int md = connectTo(sim.mdPort);
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
        const int fd = connectTo(sim.counterPort);
        ASSERT_GE(fd, 0);
        std::vector<uint8_t> body(f.sent, 0x5A);
        sendFrame(fd, f.type, f.length, body.data(), body.size());
        EXPECT_TRUE(closedByPeer(fd, 10000)) << f.name;
        close(fd);
        EXPECT_TRUE(heartbeatAnswered(healthy)) << "after " << f.name;
    }
    // Pure garbage: a header whose length field is huge.
    const int junk = connectTo(sim.counterPort);
    const char garbage[] = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(write(junk, garbage, sizeof garbage - 1), static_cast<ssize_t>(sizeof garbage - 1));
    EXPECT_TRUE(closedByPeer(junk, 10000));
    close(junk);
    EXPECT_TRUE(heartbeatAnswered(healthy));

    // The market-data reader still gets frames.
    uint8_t frame[kMdFrameSize];
    ASSERT_TRUE(readExactly(md, frame, sizeof frame, 10000));
    int32_t mark;
    std::memcpy(&mark, frame, 4);
    EXPECT_EQ(mark, kMdFrameMark);

    // SIGUSR1 drops both kinds of connection; new ones are accepted afterwards.
    sim.signal(SIGUSR1);
    EXPECT_TRUE(closedByPeer(healthy, 10000));
    EXPECT_TRUE(closedByPeer(md, 10000));
    close(healthy);
    close(md);
    const int again = connectTo(sim.counterPort);
    ASSERT_GE(again, 0);
    EXPECT_TRUE(heartbeatAnswered(again));
    close(again);

    const int status = sim.stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SimSocket, LoginOverTheWire) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.start(simPath(), {"--deterministic"}, &error)) << error;
    const int fd = connectTo(sim.counterPort);
    const auto login = loginFrame(demo::kAccount, "123456", '2');
    ASSERT_TRUE(sendAll(fd, login.data(), login.size()));
    FrameHeader h{};
    std::vector<uint8_t> payload;
    ASSERT_TRUE(readFrame(fd, &h, &payload, 10000));
    EXPECT_EQ(val(h.type), RspLogin);
    EXPECT_EQ(val(h.count), 1);
    EXPECT_EQ(val(h.last), 1);
    EXPECT_NE(val(h.sessionId), 0u);
    ASSERT_EQ(val(h.length), sizeof(GatewayUserRspLoginField) + sizeof(CQetoRspInfo));
    GatewayUserRspLoginField rsp;
    std::memcpy(&rsp, payload.data(), sizeof rsp);
    EXPECT_STREQ(rsp.LoginRspCode, "SZ01");
    CQetoRspInfo info;
    std::memcpy(&info, payload.data() + sizeof rsp, sizeof info);
    EXPECT_EQ(val(info.ErrorID), 0u);
    close(fd);
    EXPECT_EQ(WEXITSTATUS(sim.stop(SIGINT)), 0);
}

// A simulator started by a test that crashes goes with it instead of holding the runner's output.
TEST(SimSocket, EndsWithTheProcessThatStartedIt) {
    int pids[2];
    ASSERT_EQ(pipe(pids), 0);
    const pid_t starter = fork();
    if (starter == 0) {
        SimProcess sim;
        const long pid = sim.start(simPath(), {}) ? sim.pid() : -1;
        (void)!write(pids[1], &pid, sizeof pid);
        std::abort();
    }
    close(pids[1]);
    long simPid = -1;
    ASSERT_TRUE(readExactly(pids[0], &simPid, sizeof simPid, 30000));
    close(pids[0]);
    int status = 0;
    waitpid(starter, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GT(simPid, 0);
    // Gone, or a zombie left to whoever reaps orphans here.
    auto running = [simPid] {
        std::ifstream stat("/proc/" + std::to_string(simPid) + "/stat");
        std::string pid, name, state;
        return stat >> pid >> name >> state && state != "Z";
    };
    for (int i = 0; i < 200 && running(); ++i) poll(nullptr, 0, 25);
    EXPECT_FALSE(running());
}

}  // namespace
