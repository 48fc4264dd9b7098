#include "gate_answers.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

namespace qeto::gate {

namespace {

constexpr size_t kRspInfoSize = sizeof(CQetoRspInfo);

// The record handed to a callback: a copy of the unit's bytes, then a zero byte. The records
// are packed, so the zero sits right after the last field.
template <class R>
struct Guarded {
    R rec;
    char end = 0;
};

// The record type of an answer callback; the arrival status comes as one character.
template <class F>
struct AnswerOf;
template <class R>
struct AnswerOf<void (*)(R *, CQetoRspInfo *, CQetoSessionInfo *, int, bool)> {
    using Record = R;
    static constexpr size_t kSize = sizeof(R);
};
template <>
struct AnswerOf<QetoOnMsgArrivalStatus> {
    using Record = char;
    static constexpr size_t kSize = 1;
};

using Deliver = void (*)(const SpiCallbackTable &, const uint8_t *, CQetoRspInfo *, CQetoSessionInfo *, int, bool);

template <auto Member>
void deliver(const SpiCallbackTable &t, const uint8_t *src, CQetoRspInfo *info, CQetoSessionInfo *si, int requestId,
             bool last) {
    const auto fn = t.*Member;
    if (!fn) return;
    using R = typename AnswerOf<std::remove_cv_t<decltype(fn)>>::Record;
    if constexpr (std::is_same_v<R, char>) {
        fn(static_cast<char>(src[0]), info, si, requestId, last);
    } else {
        Guarded<R> g;
        static_assert(offsetof(Guarded<R>, end) == sizeof(R), "the zero must follow the record");
        std::memcpy(&g.rec, src, sizeof(R));
        fn(&g.rec, info, si, requestId, last);
    }
}

struct AnswerKind {
    uint16_t type;
    size_t recordSize;
    Deliver deliver;
};

// The callback's record is the one the wire list gives for its type.
#define QETO_ANSWER(name, type, record, callback)                                                         \
    static_assert(std::is_same_v<AnswerOf<decltype(SpiCallbackTable::callback)>::Record, record>, #name); \
    static_assert(AnswerOf<decltype(SpiCallbackTable::callback)>::kSize == wire::answerRecordSize(type), #name);
QETO_WIRE_ANSWERS(QETO_ANSWER)
#undef QETO_ANSWER

// Every answer the counter may send: its message type and the callback it goes to.
#define QETO_ANSWER(name, type, record, callback) \
    AnswerKind{wire::name, wire::answerRecordSize(type), &deliver<&SpiCallbackTable::callback>},
constexpr AnswerKind kAnswers[] = {QETO_WIRE_ANSWERS(QETO_ANSWER)};
#undef QETO_ANSWER

const AnswerKind *findAnswer(uint16_t type) {
    for (const AnswerKind &k : kAnswers)
        if (k.type == type) return &k;
    return nullptr;
}

// Null with an empty error for a heartbeat; null with the reason for a header we cannot use.
const AnswerKind *judge(const wire::FrameHeader &h, std::string &error) {
    char why[160];
    if (h.length > wire::kMaxPayload) {
        std::snprintf(why, sizeof why, "protocol error: frame of %u bytes over the limit (type %u)", h.length,
                      static_cast<unsigned>(h.type));
        error = why;
        return nullptr;
    }
    if (h.type == wire::RspHeartbeat) return nullptr;
    const AnswerKind *kind = findAnswer(h.type);
    if (!kind) {
        std::snprintf(why, sizeof why, "protocol error: unknown frame type %u", static_cast<unsigned>(h.type));
        error = why;
        return nullptr;
    }
    const size_t unit = kind->recordSize + kRspInfoSize;
    if (h.count == 0 || static_cast<uint64_t>(h.count) * unit != h.length) {
        std::snprintf(why, sizeof why, "protocol error: frame type %u with %u units of %zu bytes carries %u bytes",
                      static_cast<unsigned>(h.type), static_cast<unsigned>(h.count), unit, h.length);
        error = why;
        return nullptr;
    }
    return kind;
}

// False when a callback ended the delivery (release, stop, lost connection).
bool deliverUnits(const AnswerKind &kind, const wire::FrameHeader &h, const uint8_t *payload, AnswerSink &sink) {
    const SpiCallbackTable t = sink.callbacks();
    const size_t unit = kind.recordSize + kRspInfoSize;
    const bool loginAnswer = kind.type == wire::RspLogin || kind.type == wire::RspLogout;
    for (unsigned i = 0; i < h.count; ++i) {
        const uint8_t *rec = payload + static_cast<size_t>(i) * unit;
        CQetoRspInfo info;
        std::memcpy(&info, rec + kind.recordSize, sizeof info);
        info.ErrorMsg[sizeof info.ErrorMsg - 1] = '\0';  // callers read it as a C string
        // Requests other than login need an accepted login on this connection; a logout ends it.
        if (loginAnswer && info.ErrorID == 0) sink.loginState(kind.type == wire::RspLogin);
        if (!sink.live()) return false;
        // A fresh session info per call: a callback may scribble on it.
        CQetoSessionInfo si{};
        si.AccountSessionID = h.sessionId;
        kind.deliver(t, rec, &info, &si, h.requestId, i + 1 == h.count && h.last != 0);
    }
    return sink.live();
}

}  // namespace

AnswerResult readAnswers(const uint8_t *data, size_t size, AnswerSink &sink) {
    AnswerResult r;
    while (size - r.used >= sizeof(wire::FrameHeader)) {
        wire::FrameHeader h;
        std::memcpy(&h, data + r.used, sizeof h);
        const AnswerKind *kind = judge(h, r.error);
        if (!r.error.empty()) {
            sink.frame(h);
            r.status = AnswerResult::ProtocolError;
            return r;
        }
        const size_t total = sizeof h + h.length;
        if (size - r.used < total) break;
        sink.frame(h);  // the frame log, too, may end in a release
        const bool goOn = sink.live() && (!kind || deliverUnits(*kind, h, data + r.used + sizeof h, sink));
        r.used += total;
        if (!goOn) {
            r.status = AnswerResult::Stopped;
            return r;
        }
    }
    return r;
}

}  // namespace qeto::gate
