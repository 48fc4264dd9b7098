#include "gate_session.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "gate_platform.h"

namespace qeto::gate {

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr int kMaxBackoffMs = 5000;

}  // namespace

Session::Session(GateParams params, std::shared_ptr<SpiHolder> spi)
    : params_(std::move(params)),
      spi_(std::move(spi)),
      work_(asio::make_work_guard(io_)),
      socket_(io_),
      resolver_(io_),
      connectTimer_(io_),
      retryTimer_(io_),
      tickTimer_(io_) {
    backoffMs_ = params_.reconnectMs;
}

Session::~Session() {
    if (thread_.joinable()) {
        // Only reachable if shutdown() was never called; never leave a running thread behind.
        stopping_.store(true, std::memory_order_release);
        io_.stop();
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

bool Session::launch(const std::shared_ptr<Session> &self) {
    try {
        // The thread keeps its session alive, so a release from inside a callback can let it
        // finish on its own.
        self->thread_ = std::thread([self] { self->threadMain(); });
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void Session::shutdown() {
    stopping_.store(true, std::memory_order_release);
    io_.stop();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}

void Session::threadMain() {
    if (params_.cpuCore >= 0) bindThisThreadToCore(params_.cpuCore);  // best effort
    asio::post(io_, [this] {
        for (const auto &bad : params_.badUrls) notice(1, "unusable URL entry [%s] ignored", bad.c_str());
        connectTo(0);
    });
    try {
        io_.run();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "QetoGateAPI: io thread stopped: %s\n", e.what());
    }
    // Free the socket here so that descriptors go back when release returns.
    {
        std::lock_guard<std::mutex> lock(outMu_);
        connected_ = false;
        directSocket_ = -1;
    }
    asio::error_code ignored;
    socket_.close(ignored);
    connectTimer_.cancel();
    retryTimer_.cancel();
    tickTimer_.cancel();
    resolver_.cancel();
}

SpiCallbackTable Session::callbacks() {
    std::lock_guard<std::mutex> lock(spi_->mu);
    return spi_->table;
}

void Session::notice(int level, const char *fmt, ...) {
    if (!live()) return;
    const SpiCallbackTable t = callbacks();
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    if (t.onApiMsg) t.onApiMsg(level, "%s", text);
}

// ---------------------------------------------------------------- connecting

void Session::connectTo(size_t index) {
    if (!live()) return;
    if (index >= params_.urls.size()) {
        // Every address failed: wait, then start again from the first one.
        scheduleRetry(backoffMs_);
        backoffMs_ = std::min(backoffMs_ * 2, std::max(kMaxBackoffMs, params_.reconnectMs));
        return;
    }
    const GateAddress &addr = params_.urls[index];
    const uint64_t attempt = ++attempt_;
    if (params_.superLog) notice(0, "connecting %s", addr.text.c_str());

    asio::error_code ec;
    socket_.close(ec);
    connectTimer_.expires_after(std::chrono::milliseconds(params_.connectTimeoutMs));
    connectTimer_.async_wait([this, attempt](const asio::error_code &e) {
        // up_: the connection came first and its handler already ran; the socket is in use.
        if (e || attempt != attempt_ || up_) return;
        // Aborting the attempt makes its handler report the timeout.
        timedOut_ = attempt;
        asio::error_code ignored;
        socket_.close(ignored);
        resolver_.cancel();
    });

    const auto address = asio::ip::make_address(addr.host, ec);
    if (!ec) {
        socket_.async_connect(
            asio::ip::tcp::endpoint(address, addr.port),
            [this, attempt, index](const asio::error_code &e) { onConnectResult(attempt, index, e); });
        return;
    }
    resolver_.async_resolve(
        addr.host, std::to_string(addr.port),
        [this, attempt, index](const asio::error_code &e, asio::ip::tcp::resolver::results_type results) {
            if (e) {
                onConnectResult(attempt, index, e);
                return;
            }
            asio::async_connect(socket_, results,
                                [this, attempt, index](const asio::error_code &e2, const asio::ip::tcp::endpoint &) {
                                    onConnectResult(attempt, index, e2);
                                });
        });
}

void Session::onConnectResult(uint64_t attempt, size_t index, const asio::error_code &ec) {
    if (!live() || attempt != attempt_) return;
    connectTimer_.cancel();
    const bool timedOut = timedOut_ == attempt;
    if (ec || timedOut || !socket_.is_open()) {
        const std::string why = timedOut ? std::string("timed out") : ec.message();
        notice(1, "connect %s failed: %s", params_.urls[index].text.c_str(), why.c_str());
        asio::error_code ignored;
        socket_.close(ignored);
        connectTo(index + 1);
        return;
    }
    established();
}

void Session::scheduleRetry(int delayMs) {
    if (!live()) return;
    retryTimer_.expires_after(std::chrono::milliseconds(delayMs));
    retryTimer_.async_wait([this](const asio::error_code &e) {
        if (!e) connectTo(0);
    });
}

void Session::established() {
    asio::error_code ec;
    socket_.set_option(asio::ip::tcp::no_delay(true), ec);
    ++conn_;
    up_ = true;
    backoffMs_ = params_.reconnectMs;
    rbeg_ = rend_ = 0;
    writing_.clear();
    lastRecv_ = lastTick_ = Clock::now();
    lastSend_.store(lastRecv_, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(outMu_);
        pending_.clear();
        connected_ = true;
        loggedIn_ = false;
        flushPosted_ = false;
        writeInFlight_ = false;
        directSocket_ = static_cast<std::intptr_t>(socket_.native_handle());
    }
    startRead();
    tick();
    if (params_.superLog) {
        const auto ep = socket_.remote_endpoint(ec);
        notice(0, "connected to %s:%u", ep.address().to_string().c_str(), static_cast<unsigned>(ep.port()));
    }
    if (!live()) return;
    const SpiCallbackTable t = callbacks();
    if (t.onFrontConnect) t.onFrontConnect();
}

void Session::lose(int reason, const std::string &why) {
    if (!up_) return;
    up_ = false;
    ++conn_;
    {
        std::lock_guard<std::mutex> lock(outMu_);
        connected_ = false;
        loggedIn_ = false;
        pending_.clear();
        writeInFlight_ = false;
        directSocket_ = -1;
    }
    asio::error_code ignored;
    socket_.close(ignored);
    writing_.clear();
    tickTimer_.cancel();
    rbuf_.clear();
    rbuf_.shrink_to_fit();
    rbeg_ = rend_ = 0;
    if (!why.empty()) notice(1, "%s", why.c_str());
    if (live()) {
        const SpiCallbackTable t = callbacks();
        if (t.onFrontDisconnected) t.onFrontDisconnected(reason);
    }
    scheduleRetry(params_.reconnectMs);
}

// ---------------------------------------------------------------- reading

void Session::startRead() {
    // Keep room for at least one chunk after the unread bytes.
    if (rbeg_ > 0 && (rbeg_ == rend_ || rbuf_.size() - rend_ < kReadChunk)) {
        std::memmove(rbuf_.data(), rbuf_.data() + rbeg_, rend_ - rbeg_);
        rend_ -= rbeg_;
        rbeg_ = 0;
    }
    if (rbuf_.size() - rend_ < kReadChunk) rbuf_.resize(rend_ + kReadChunk);
    const uint64_t conn = conn_;
    socket_.async_read_some(asio::buffer(rbuf_.data() + rend_, rbuf_.size() - rend_),
                            [this, conn](const asio::error_code &ec, size_t n) { onRead(conn, ec, n); });
}

void Session::onRead(uint64_t conn, const asio::error_code &ec, size_t n) {
    if (conn != conn_ || !live()) return;
    if (ec) {
        lose(kReasonReadFailure,
             ec == asio::error::eof ? std::string("connection closed by the counter") : "read failed: " + ec.message());
        return;
    }
    rend_ += n;
    lastRecv_ = Clock::now();

    // The answer reader's view of this connection.
    struct Sink final : AnswerSink {
        Session &s;
        uint64_t conn;
        Sink(Session &session, uint64_t c) : s(session), conn(c) {}
        SpiCallbackTable callbacks() override { return s.callbacks(); }
        bool live() override { return conn == s.conn_ && s.live(); }
        void loginState(bool loggedIn) override {
            std::lock_guard<std::mutex> lock(s.outMu_);
            s.loggedIn_ = loggedIn;
        }
        void frame(const wire::FrameHeader &h) override {
            if (s.params_.superLog) s.logFrame("recv", h);
        }
    } sink(*this, conn);
    const AnswerResult r = readAnswers(rbuf_.data() + rbeg_, rend_ - rbeg_, sink);
    switch (r.status) {
        case AnswerResult::ProtocolError:
            lose(kReasonProtocolError, r.error);
            return;
        case AnswerResult::Stopped:
            return;
        case AnswerResult::More:
            break;
    }
    rbeg_ += r.used;
    if (rbeg_ == rend_) rbeg_ = rend_ = 0;
    startRead();
}

// ---------------------------------------------------------------- writing

int Session::enqueue(uint16_t type, uint32_t sessionId, int requestId, const void *a, size_t na, const void *b,
                     size_t nb, bool needLogin) {
    const wire::FrameHeader h = wire::frameHeader(type, static_cast<uint32_t>(na + nb), requestId, sessionId);
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(outMu_);
        if (!connected_) return kNotConnected;
        if (needLogin && !loggedIn_) return kNotLoggedIn;
        const bool idle = pending_.empty() && !writeInFlight_ && !flushPosted_;
        pending_.append(reinterpret_cast<const char *>(&h), sizeof h);
        if (na) pending_.append(static_cast<const char *>(a), na);
        if (nb) pending_.append(static_cast<const char *>(b), nb);
        // Nothing ahead of this frame, so sending it here keeps the order. The super log's
        // frame lines come from the io thread, so that mode keeps the queued path.
        if (idle && !params_.superLog) {
            const long sent = sendWithoutWaiting(directSocket_, pending_.data(), pending_.size());
            if (sent > 0) {
                pending_.erase(0, static_cast<size_t>(sent));
                lastSend_.store(Clock::now(), std::memory_order_relaxed);
            }
            if (pending_.empty()) return kOk;
        }
        // The rest (or all, when the socket took nothing or failed) goes the io thread's way,
        // which also reports a broken connection.
        post = !flushPosted_;
        flushPosted_ = true;
    }
    if (post) asio::post(io_, [this] { flush(); });
    return kOk;
}

void Session::flush() {
    {
        std::lock_guard<std::mutex> lock(outMu_);
        flushPosted_ = false;
        if (!up_ || writeInFlight_ || pending_.empty()) return;
        writing_.swap(pending_);
        writeInFlight_ = true;
    }
    if (params_.superLog) {
        for (size_t off = 0; off + sizeof(wire::FrameHeader) <= writing_.size();) {
            wire::FrameHeader h;
            std::memcpy(&h, writing_.data() + off, sizeof h);
            logFrame("send", h);
            off += sizeof h + h.length;
        }
    }
    lastSend_.store(Clock::now(), std::memory_order_relaxed);
    const uint64_t conn = conn_;
    asio::async_write(socket_, asio::buffer(writing_), [this, conn](const asio::error_code &ec, size_t) {
        if (conn != conn_ || !live()) return;
        {
            std::lock_guard<std::mutex> lock(outMu_);
            writeInFlight_ = false;
        }
        writing_.clear();
        if (ec) {
            lose(kReasonWriteFailure, "write failed: " + ec.message());
            return;
        }
        flush();
    });
}

void Session::tick() {
    const int interval = params_.heartbeatIntervalMs;
    const int step = std::clamp(std::min(interval, params_.heartbeatTimeoutMs) / 4, 10, 1000);
    tickTimer_.expires_after(std::chrono::milliseconds(step));
    const uint64_t conn = conn_;
    tickTimer_.async_wait([this, conn, step](const asio::error_code &e) {
        if (e || conn != conn_ || !up_ || !live()) return;
        const auto now = Clock::now();
        // A long gap between ticks means a callback or a busy machine held this thread: no
        // heartbeat went out meanwhile, so that time does not count as the counter's silence.
        // Only the gap is credited; restarting the wait instead would let a machine that stalls
        // now and then never notice a dead counter.
        const auto gap = now - lastTick_;
        if (gap > std::chrono::milliseconds(4 * step))
            lastRecv_ = std::min(now, lastRecv_ + (gap - std::chrono::milliseconds(step)));
        lastTick_ = now;
        // Bytes waiting in the socket count as life: a slow callback may have kept us from reading.
        asio::error_code ec;
        if (socket_.available(ec) > 0 && !ec) lastRecv_ = now;
        if (now - lastRecv_ > std::chrono::milliseconds(params_.heartbeatTimeoutMs)) {
            lose(kReasonHeartbeatTimeout, "heartbeat timeout: nothing received from the counter");
            return;
        }
        if (now - lastSend_.load(std::memory_order_relaxed) >= std::chrono::milliseconds(params_.heartbeatIntervalMs)) {
            const wire::FrameHeader h = wire::frameHeader(wire::ReqHeartbeat, 0);
            {
                std::lock_guard<std::mutex> lock(outMu_);
                pending_.append(reinterpret_cast<const char *>(&h), sizeof h);
            }
            flush();
            lastSend_.store(now, std::memory_order_relaxed);  // also when a write is still in flight
        }
        tick();
    });
}

void Session::logFrame(const char *dir, const wire::FrameHeader &h) {
    notice(0, "%s type=%u count=%u length=%u request=%d session=%u last=%u", dir, static_cast<unsigned>(h.type),
           static_cast<unsigned>(h.count), h.length, h.requestId, h.sessionId, static_cast<unsigned>(h.last));
}

}  // namespace qeto::gate
