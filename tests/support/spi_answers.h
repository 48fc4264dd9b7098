// Building and delivering the library's answers in client suites: zeroed records, the
// answer information, and one callback per record fired from the test double's own thread.
#ifndef QETO_TEST_SPI_ANSWERS_H
#define QETO_TEST_SPI_ANSWERS_H

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstring>

#include "qeto_gate_api.h"
#include "qeto_gate_fake.h"

template <typename T>
T zeroed() {
    T out;
    std::memset(&out, 0, sizeof out);
    return out;
}

// The text is cut so the field keeps its terminating zero.
inline CQetoRspInfo rspInfo(uint32_t id = 0, const QByteArray &text = QByteArray()) {
    auto out = zeroed<CQetoRspInfo>();
    out.ErrorID = id;
    std::memcpy(out.ErrorMsg, text.constData(), std::min(sizeof out.ErrorMsg - 1, static_cast<size_t>(text.size())));
    return out;
}

// Fires `slot` once per record; the last record carries the last flag when `last` is set.
template <typename Record, typename Slot>
void answerEach(Slot SpiCallbackTable::*slot, const QList<Record> &records, bool last = true,
                const CQetoRspInfo &info = rspInfo()) {
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        CQetoRspInfo answerInfo = info;
        auto session = zeroed<CQetoSessionInfo>();
        for (int i = 0; i < records.size(); ++i) {
            Record rec = records.at(i);
            (t.*slot)(&rec, &answerInfo, &session, 1, last && i == records.size() - 1);
        }
    });
}

// A login answer with the counter's code and largest user-local id, opening session `sessionId`.
inline void answerLogin(uint32_t errorId, const QByteArray &text, uint32_t sessionId, uint32_t maxLocalId,
                        const QByteArray &rspCode, int requestId) {
    auto rsp = zeroed<GatewayUserRspLoginField>();
    std::memcpy(rsp.LoginRspCode, rspCode.constData(),
                std::min(sizeof rsp.LoginRspCode, static_cast<size_t>(rspCode.size())));
    rsp.MaxUserLocalID = maxLocalId;
    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        CQetoRspInfo info = rspInfo(errorId, text);
        auto session = zeroed<CQetoSessionInfo>();
        session.AccountSessionID = sessionId;
        t.onRspLogin(&rsp, &info, &session, requestId, true);
    });
}

#endif  // QETO_TEST_SPI_ANSWERS_H
