#include "gate_test_support.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <type_traits>

#include "qeto_demo_accounts.h"

namespace gatetest {

namespace wire = qeto::wire;

// ---------------------------------------------------------------- recorder

Recorder &Recorder::get() {
    static Recorder r;
    return r;
}

void Recorder::add(Event e) {
    e.thread = std::this_thread::get_id();
    calls.fetch_add(1);
    if (forbidden.load()) violations.fetch_add(1);
    std::function<void(const Event &)> hook;
    {
        std::lock_guard<std::mutex> lock(mu_);
        events_.push_back(e);
        hook = hook_;
    }
    cv_.notify_all();
    if (hook) hook(e);
}

void Recorder::clear() {
    std::lock_guard<std::mutex> lock(mu_);
    events_.clear();
    hook_ = nullptr;
}

std::vector<Event> Recorder::events() {
    std::lock_guard<std::mutex> lock(mu_);
    return events_;
}

std::vector<Event> Recorder::of(int slot) {
    std::lock_guard<std::mutex> lock(mu_);
    std::vector<Event> out;
    for (const auto &e : events_)
        if (e.slot == slot) out.push_back(e);
    return out;
}

size_t Recorder::count(int slot) {
    std::lock_guard<std::mutex> lock(mu_);
    size_t n = 0;
    for (const auto &e : events_) n += e.slot == slot;
    return n;
}

bool Recorder::waitFor(const std::function<bool(const std::vector<Event> &)> &pred, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return pred(events_); });
}

bool Recorder::waitCount(int slot, size_t n, std::chrono::milliseconds timeout) {
    return waitFor(
        [slot, n](const std::vector<Event> &ev) {
            size_t c = 0;
            for (const auto &e : ev) c += e.slot == slot;
            return c >= n;
        },
        timeout);
}

void Recorder::setHook(std::function<void(const Event &)> hook) {
    std::lock_guard<std::mutex> lock(mu_);
    hook_ = std::move(hook);
}

namespace {

template <int S, class R>
void onAnswer(R *rec, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId, bool last) {
    Event e;
    e.slot = S;
    e.record.assign(reinterpret_cast<const uint8_t *>(rec), reinterpret_cast<const uint8_t *>(rec) + sizeof(R));
    e.info = *info;
    e.session = si->AccountSessionID;
    e.requestId = requestId;
    e.last = last;
    Recorder::get().add(std::move(e));
}

void onFrontConnect() {
    Event e;
    e.slot = kFrontConnect;
    Recorder::get().add(std::move(e));
}

void onFrontDisconnected(int reason) {
    Event e;
    e.slot = kFrontDisconnected;
    e.reason = reason;
    Recorder::get().add(std::move(e));
}

void onApiMsg(int level, const char *format, ...) {
    char buf[2048] = {};
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    Event e;
    e.slot = kApiMsg;
    e.level = level;
    e.text = buf;
    Recorder::get().add(std::move(e));
}

void onMsgArrivalStatus(char status, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId, bool last) {
    Event e;
    e.slot = kMsgArrivalStatus;
    e.record.assign(1, static_cast<uint8_t>(status));
    e.info = *info;
    e.session = si->AccountSessionID;
    e.requestId = requestId;
    e.last = last;
    Recorder::get().add(std::move(e));
}

// The arrival status comes as one character, every other answer as a record.
template <int S, class R>
constexpr auto answerCallback() {
    if constexpr (std::is_same_v<R, char>)
        return &onMsgArrivalStatus;
    else
        return &onAnswer<S, R>;
}

}  // namespace

SpiCallbackTable recordingTable() {
    SpiCallbackTable t{};
    t.onFrontConnect = onFrontConnect;
    t.onFrontDisconnected = onFrontDisconnected;
    t.onApiMsg = onApiMsg;
#define GT_RECORD(name, type, record, callback) t.callback = answerCallback<k##name, record>();
    QETO_WIRE_ANSWERS(GT_RECORD)
#undef GT_RECORD
    return t;
}

// ---------------------------------------------------------------- parameter file

ParamFile::ParamFile(const std::string &url, const std::string &extra, const std::string &folder) {
    char tmpl[] = "/tmp/qeto-gate-XXXXXX";
    const char *d = mkdtemp(tmpl);
    dir_ = d ? d : "/tmp";
    folder_ = folder.empty() ? dir_ : dir_ + "/" + folder;
    if (!folder.empty()) ::mkdir(folder_.c_str(), 0700);
    path_ = folder_ + "/api_config.txt";
    std::ofstream f(path_);
    f << "# test parameters\nURL=" << url << "\n\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=GateTest\n" << extra;
}

ParamFile::~ParamFile() {
    std::remove(path_.c_str());
    if (folder_ != dir_) ::rmdir(folder_.c_str());
    ::rmdir(dir_.c_str());
}

GatewayStartApiField ParamFile::start() const {
    GatewayStartApiField s{};
    std::memcpy(s.ConfigFilePath, path_.data(), std::min(path_.size(), sizeof s.ConfigFilePath));
    s.Reserved4180 = -1;
    return s;
}

int startEntry(const ParamFile &pf, int entry, const SpiCallbackTable &table) {
    if (const int r = createTraderApi(entry)) return r;
    if (const int r = registerSpi(table, entry)) return r;
    GatewayStartApiField s = pf.start();
    return startApi(&s, entry);
}

// ---------------------------------------------------------------- fake counter

FakeCounter::FakeCounter() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listenFd_, 64);
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    onFrame = defaultHandler;
}

FakeCounter::~FakeCounter() {
    stop();
    ::close(listenFd_);
    ::close(wakeFd_);
}

void FakeCounter::setReceiveBuffer(int bytes) { ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes); }

void FakeCounter::start() {
    thread_ = std::thread([this] { loop(); });
}

void FakeCounter::stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
    thread_.join();
}

void FakeCounter::dropAll() {
    drop_ = true;
    uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

std::vector<wire::FrameHeader> FakeCounter::received() {
    std::lock_guard<std::mutex> lock(mu_);
    return received_;
}

std::vector<std::string> FakeCounter::payloads() {
    std::lock_guard<std::mutex> lock(mu_);
    return payloads_;
}

void FakeCounter::defaultHandler(Conn &c, const wire::FrameHeader &h, const uint8_t *) {
    if (h.type == wire::ReqHeartbeat) {
        c.send(headerOnly(0, wire::RspHeartbeat, 0));
    } else if (h.type == wire::ReqLogin) {
        GatewayUserRspLoginField r{};
        GT_PUT(r.AccountID, qeto::sim::demo::kAccount);
        GT_PUT(r.LoginRspCode, "SH01");
        r.MaxUserLocalID = 41;
        r.ExchangeCode = '1';
        CQetoRspInfo ok{};
        c.send(answerFrame<GatewayUserRspLoginField>(wire::RspLogin, {r}, {ok}, h.requestId, 77, true));
    }
}

void FakeCounter::loop() {
    std::map<int, Conn> conns;
    auto closeConn = [&](int fd) {
        ::close(fd);
        conns.erase(fd);
        open_.fetch_sub(1);
    };
    while (!stop_) {
        if (drop_.exchange(false)) {
            while (!conns.empty()) closeConn(conns.begin()->first);
        }
        std::vector<pollfd> fds;
        fds.push_back({wakeFd_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (auto &[fd, c] : conns) {
            short ev = POLLIN;
            if (!c.out.empty() || (c.blast && c.blastLeft != 0)) ev |= POLLOUT;
            fds.push_back({fd, ev, 0});
        }
        if (::poll(fds.data(), fds.size(), 1000) < 0) continue;
        if (fds[0].revents) {
            uint64_t v;
            (void)!::read(wakeFd_, &v, sizeof v);
        }
        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                Conn &c = conns[fd];
                c.fd = fd;
                open_.fetch_add(1);
                accepted_.fetch_add(1);
                if (onAccept) onAccept(c);
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            const int fd = fds[i].fd;
            auto it = conns.find(fd);
            if (it == conns.end()) continue;
            Conn &c = it->second;
            bool dead = false;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                char buf[65536];
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n <= 0) {
                    dead = true;
                } else {
                    c.in.append(buf, static_cast<size_t>(n));
                    while (c.in.size() >= sizeof(wire::FrameHeader)) {
                        wire::FrameHeader h;
                        std::memcpy(&h, c.in.data(), sizeof h);
                        if (c.in.size() < sizeof h + h.length) break;
                        {
                            std::lock_guard<std::mutex> lock(mu_);
                            received_.push_back(h);
                            payloads_.push_back(c.in.substr(sizeof h, h.length));
                        }
                        if (onFrame) onFrame(c, h, reinterpret_cast<const uint8_t *>(c.in.data() + sizeof h));
                        c.in.erase(0, sizeof h + h.length);
                    }
                }
            }
            if (!dead && c.blast && c.blastLeft != 0 && c.out.size() < blastChunk.size()) {
                c.out += blastChunk;
                if (c.blastLeft > 0) --c.blastLeft;
            }
            if (!dead && !c.out.empty()) {
                const size_t len = c.maxWrite ? std::min(c.maxWrite, c.out.size()) : c.out.size();
                const ssize_t n = ::send(fd, c.out.data(), len, MSG_NOSIGNAL);
                if (n > 0)
                    c.out.erase(0, static_cast<size_t>(n));
                else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                    dead = true;
            }
            if (dead) closeConn(fd);
        }
    }
    while (!conns.empty()) closeConn(conns.begin()->first);
}

std::string headerOnly(uint32_t length, uint16_t type, uint16_t count) {
    const wire::FrameHeader h = wire::frameHeader(type, length, 0, 0, count);
    return std::string(reinterpret_cast<const char *>(&h), sizeof h);
}

// ---------------------------------------------------------------- misc

bool pollUntil(const std::function<bool()> &pred, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

size_t countEntries(const char *dir) {
    size_t n = 0;
    if (DIR *d = ::opendir(dir)) {
        while (const dirent *e = ::readdir(d)) n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

std::string text(const char *field, size_t width) { return std::string(field, strnlen(field, width)); }

void put(char *field, size_t width, const std::string &value) {
    std::memset(field, 0, width);
    std::memcpy(field, value.data(), std::min(width, value.size()));
}

}  // namespace gatetest
