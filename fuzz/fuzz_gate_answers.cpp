// Feeds arbitrary bytes to the gateway library's answer reader the way its session does: in
// reads of varying size, keeping what it does not consume. Every callback records what it got,
// and each call's deliveries are checked against the frames it consumed. The first byte picks
// the read size and after how many units a callback "releases" the instance; the second whether
// the rest is taken as raw bytes or as a recipe for frames with consistent headers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "fuzz_check.h"
#include "gate_answers.h"

using qeto::gate::AnswerResult;
namespace wire = qeto::wire;

namespace {

struct Delivery {
    int slot;
    std::vector<uint8_t> record;
    uint32_t errorId;
    std::string errorText;
    uint32_t session;
    int requestId;
    bool last;
};

struct State {
    std::vector<Delivery> got;
    bool live = true;
    int stopAfter = 0;  // units until a callback releases; 0: never
    int logins = 0;     // loginState calls
    int logouts = 0;
} g;

// Each accepted login or logout delivered was announced first; a release may come between the
// announcement and the delivery of the last one.
void checkLoginState(bool stopped) {
    int logins = 0, logouts = 0;
    for (const Delivery &d : g.got) {
        logins += d.slot == wire::RspLogin - wire::RspBase && d.errorId == 0;
        logouts += d.slot == wire::RspLogout - wire::RspBase && d.errorId == 0;
    }
    const int slack = stopped ? 1 : 0;
    check(g.logins >= logins && g.logouts >= logouts && g.logins + g.logouts <= logins + logouts + slack);
}

void record(int slot, const uint8_t *rec, size_t size, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId,
            bool last) {
    check(g.live);  // nothing may be delivered once released
    check(info != nullptr && si != nullptr);
    // The text is cut inside its field; ASan would catch a read past it.
    const size_t textLen = std::strlen(info->ErrorMsg);
    check(textLen < sizeof info->ErrorMsg);
    g.got.push_back({slot, std::vector<uint8_t>(rec, rec + size), info->ErrorID, std::string(info->ErrorMsg, textLen),
                     si->AccountSessionID, requestId, last});
    if (g.stopAfter > 0 && --g.stopAfter == 0) g.live = false;
}

template <int Slot, class R>
void onAnswer(R *rec, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId, bool last) {
    check(rec != nullptr);
    // A zero byte follows every record: a reader that takes any of its text fields as a C string
    // stops there at the latest.
    check(std::strlen(reinterpret_cast<const char *>(rec)) <= sizeof(R));
    record(Slot, reinterpret_cast<const uint8_t *>(rec), sizeof(R), info, si, requestId, last);
}

template <int Slot>
void onStatus(char status, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId, bool last) {
    const uint8_t byte = static_cast<uint8_t>(status);
    record(Slot, &byte, 1, info, si, requestId, last);
}

template <int Slot, class R>
constexpr auto callback() {
    if constexpr (std::is_same_v<R, char>)
        return &onStatus<Slot>;
    else
        return &onAnswer<Slot, R>;
}

SpiCallbackTable table() {
    SpiCallbackTable t{};
#define FUZZ_ANSWER(name, type, record, cb) t.cb = callback<type - wire::RspBase, record>();
    QETO_WIRE_ANSWERS(FUZZ_ANSWER)
#undef FUZZ_ANSWER
    return t;
}

struct Sink final : qeto::gate::AnswerSink {
    SpiCallbackTable callbacks() override { return table(); }
    bool live() override { return g.live; }
    void loginState(bool loggedIn) override { ++(loggedIn ? g.logins : g.logouts); }
    void frame(const wire::FrameHeader &) override {}
};

// The deliveries of one call, from got[first] on, against the frames in data[0, used).
void verify(const uint8_t *data, size_t used, size_t first, bool stopped) {
    size_t off = 0;
    size_t at = first;
    while (off < used) {
        wire::FrameHeader h;
        check(used - off >= sizeof h);
        std::memcpy(&h, data + off, sizeof h);
        check(h.length <= wire::kMaxPayload && used - off - sizeof h >= h.length);
        const uint8_t *payload = data + off + sizeof h;
        off += sizeof h + h.length;
        if (h.type == wire::RspHeartbeat) continue;
        // Answer types are 100 + the callback's slot.
        const size_t rs = wire::answerRecordSize(h.type);
        check(rs > 0 && h.type > wire::RspBase);
        const size_t unit = rs + sizeof(CQetoRspInfo);
        check(h.count > 0 && h.count * unit == h.length);
        for (size_t i = 0; i < h.count; ++i) {
            if (at == g.got.size()) {
                check(stopped && off == used);
                return;
            }
            const Delivery &d = g.got[at++];
            const uint8_t *u = payload + i * unit;
            check(d.slot == h.type - wire::RspBase);
            check(d.record.size() == rs && std::memcmp(d.record.data(), u, rs) == 0);
            CQetoRspInfo info;
            std::memcpy(&info, u + rs, sizeof info);
            check(d.errorId == info.ErrorID);
            check(d.errorText == std::string(info.ErrorMsg, strnlen(info.ErrorMsg, sizeof info.ErrorMsg - 1)));
            check(d.session == h.sessionId && d.requestId == h.requestId);
            check(d.last == (i + 1 == h.count && h.last != 0));
        }
    }
    check(off == used && at == g.got.size());
}

// Frames with consistent headers are rare in random bytes; this builds them from the input so
// every answer type is reached: per frame, 4 bytes pick type, count, flags and a length skew,
// and the body follows from the input (zeros once it runs out).
std::vector<uint8_t> framed(const uint8_t *d, size_t n) {
    std::vector<uint8_t> out;
    size_t p = 0;
    while (n - p >= 4) {
        const uint8_t type = d[p], count = d[p + 1], flags = d[p + 2], skew = d[p + 3];
        p += 4;
        const auto t = static_cast<uint16_t>(wire::RspBase + type % 28);  // some are no answers
        const auto units = static_cast<uint16_t>(count % 5);
        size_t len = units * (wire::answerRecordSize(t) + sizeof(CQetoRspInfo));
        if (flags & 1) len = len + skew >= 128 ? len + skew - 128 : 0;  // a length that lies
        const wire::FrameHeader h =
            wire::frameHeader(t, static_cast<uint32_t>(len), flags >> 2, skew, units, (flags >> 1) & 1);
        const auto *hb = reinterpret_cast<const uint8_t *>(&h);
        out.insert(out.end(), hb, hb + sizeof h);
        const size_t take = std::min(len, n - p);
        out.insert(out.end(), d + p, d + p + take);
        out.resize(out.size() + len - take, 0);
        p += take;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    const uint8_t control = data[0];
    std::vector<uint8_t> built;
    if (data[1] & 1) {
        built = framed(data + 2, size - 2);
        data = built.data();
        size = built.size();
    } else {
        data += 2;
        size -= 2;
    }
    const size_t step = 1 + (control & 0x1f) * 53u;  // 1 .. 1644 bytes per read
    g = State{};
    g.stopAfter = (control >> 5) * 3;  // 0, 3, ... 21

    Sink sink;
    std::vector<uint8_t> pending;
    size_t pos = 0;
    while (pos < size) {
        const size_t n = std::min(step, size - pos);
        pending.insert(pending.end(), data + pos, data + pos + n);
        pos += n;
        const size_t before = g.got.size();
        const AnswerResult r = qeto::gate::readAnswers(pending.data(), pending.size(), sink);
        check(r.used <= pending.size());
        if (r.status == AnswerResult::ProtocolError) {
            check(r.error.rfind("protocol error: ", 0) == 0);
            verify(pending.data(), r.used, before, false);
            checkLoginState(false);
            return 0;  // the session drops the connection here
        }
        verify(pending.data(), r.used, before, r.status == AnswerResult::Stopped);
        if (r.status == AnswerResult::Stopped) {
            check(!g.live);
            checkLoginState(true);
            return 0;
        }
        check(g.live);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(r.used));
        // What is left is the start of one frame whose header, if complete, is usable.
        if (pending.size() >= sizeof(wire::FrameHeader)) {
            wire::FrameHeader h;
            std::memcpy(&h, pending.data(), sizeof h);
            check(pending.size() < sizeof h + h.length);
        }
    }
    checkLoginState(false);
    return 0;
}
