// Shared by the engine's source files only: record helpers and the answer templates every
// concern sends through.
#ifndef QETO_SIM_ENGINE_INTERNAL_H
#define QETO_SIM_ENGINE_INTERNAL_H

#include <cstring>
#include <vector>

#include "engine.h"
#include "engine_codes.h"

namespace qeto::sim {

constexpr int32_t kMaxOrderVolume = 1000000;

template <class T>
T readRecord(const uint8_t *body) {
    T t;
    std::memcpy(&t, body, sizeof t);
    return t;
}

template <class T>
void zero(T &t) {
    std::memset(&t, 0, sizeof t);
}

// The fields every order record shares (return, entry answer, query), as the order stands.
template <class R>
void putOrderFields(R &r, const Order &o) {
    zero(r);
    r.UserLocalID = o.userLocalId;
    putText(r.SecurityID, o.code);
    r.Direction = o.direction;
    r.Price = o.price;
    r.Volume = o.volume;
    r.OrderPriceType = PriceType::Limit;
    r.OrderSysID = o.sysId;
    r.OrderStatus = o.status;
    r.ErrorCode = o.errorCode;
}

template <class R>
void Engine::answer(const Session &s, uint16_t type, int32_t requestId, const R &rec, Refusal error) {
    uint8_t unit[sizeof(R) + sizeof(CQetoRspInfo)];
    const CQetoRspInfo i = info(error);
    std::memcpy(unit, &rec, sizeof rec);
    std::memcpy(unit + sizeof rec, &i, sizeof i);
    send(s.conn, type, requestId, s.id, unit, sizeof unit, 1, true);
}

// A list answer; no records is one empty unit refused with "no record".
template <class R>
void Engine::answerList(const Session &s, uint16_t type, int32_t requestId, const std::vector<R> &recs) {
    if (recs.empty()) {
        R empty;
        zero(empty);
        answer(s, type, requestId, empty, Refusal::NoRecord);
        return;
    }
    const std::size_t unitSize = sizeof(R) + sizeof(CQetoRspInfo);
    std::vector<uint8_t> framed(sizeof(wire::FrameHeader) + recs.size() * unitSize);
    uint8_t *unit = framed.data() + sizeof(wire::FrameHeader);
    const CQetoRspInfo ok = info(Refusal::None);
    for (const R &rec : recs) {
        std::memcpy(unit, &rec, sizeof(R));
        std::memcpy(unit + sizeof(R), &ok, sizeof ok);
        unit += unitSize;
    }
    sendUnits(s.conn, type, requestId, s.id, std::move(framed), unitSize);
}

// Returns go to every live session of the account on that counter.
template <class R>
void Engine::toAccount(Account *a, Exchange ex, uint16_t type, int32_t requestId, const R &rec) {
    for (auto &[id, s] : mSessions)
        if (s.account == a && s.exchange == ex) answer(s, type, requestId, rec, Refusal::None);
}

}  // namespace qeto::sim

#endif
