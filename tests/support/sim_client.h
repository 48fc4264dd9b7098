// A plain blocking client of qeto-sim on loopback for process-level suites and benchmarks
// (login, fund and order queries), beside the simulator child of sim_process.h.
#ifndef QETO_SIM_CLIENT_H
#define QETO_SIM_CLIENT_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "qeto_demo_accounts.h"
#include "qeto_wire.h"
#include "sim_process.h"

namespace qeto::sim::test {

using qeto::test::simPath;
using qeto::test::SimProcess;

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

inline std::vector<uint8_t> loginFrame(const char *account = demo::kAccount, const char *password = demo::kPassword,
                                       char exchange = '1') {
    uint8_t body[sizeof(GatewayUserReqLoginField) + sizeof(GatewayTerminalInfoField)] = {};
    GatewayUserReqLoginField l{};
    std::memcpy(l.AccountID, account, std::strlen(account));
    std::memcpy(l.Password, password, std::strlen(password));
    std::memcpy(l.BranchID, "0001", 4);
    std::memcpy(l.AppID, "qeto-desk", 9);
    l.ExchangeCode = exchange;
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
