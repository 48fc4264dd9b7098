// Wire protocol between the stand-in gateway library and qeto-sim (counter port).
// Every message is a 20-byte header followed by `length` payload bytes, all little-endian.
// Requests carry the packed request record(s) of the gateway contract.
// Answers carry `count` units of (answer record, CQetoRspInfo); the header's `last` flag
// belongs to the final unit, earlier units of the same frame are delivered with bIsLast = false.
#ifndef QETO_WIRE_H
#define QETO_WIRE_H

#include <cstddef>
#include <cstdint>

#include "qeto_gate_api.h"

namespace qeto::wire {

#pragma pack(push, 1)
struct FrameHeader {
    uint32_t length;  // payload bytes after this header
    uint16_t type;    // MsgType
    uint16_t count;   // answer units in the payload (requests: 1)
    int32_t requestId;
    uint32_t sessionId;
    uint8_t last;  // 1: last answer for this request
    uint8_t reserved[3];
};
#pragma pack(pop)
static_assert(sizeof(FrameHeader) == 20, "frame header size");

constexpr uint32_t kMaxPayload = 1u << 20;  // larger frames close the connection

// The login request carries both records back to back.
#pragma pack(push, 1)
struct LoginRequest {
    GatewayUserReqLoginField login;
    GatewayTerminalInfoField terminal;
};
#pragma pack(pop)

// Every message of the protocol; each side expands the lists it needs, so a new message is
// one line here plus its handler. `void`: no payload.
//
// Requests the counter takes before a session, handling them itself:
//   X(name, type, request record, answer)
#define QETO_WIRE_OPENING(X)               \
    X(ReqLogin, 1, LoginRequest, RspLogin) \
    X(ReqHeartbeat, 19, void, RspHeartbeat)

// Requests of a logged-in session; `call` is the library's exported function, `handler` the
// counter's Engine member (taking the record or not):
//   X(name, type, request record, answer, call, handler)
#define QETO_WIRE_REQUESTS(X)                                                                                          \
    X(ReqLogout, 2, CQetoReqUserLogoutField, RspLogout, reqLogout, logout)                                             \
    X(ReqInsertOrder, 3, CQetoReqOrderInsertField, RspInsertOrder, reqInsertOrder, insertOrder)                        \
    X(ReqCancelOrder, 4, CQetoReqOrderActionField, RspCancelOrder, reqCancelOrder, cancelOrder)                        \
    X(ReqQryOrder, 5, CQetoReqQryOrderField, RspQryOrder, reqQryOrder, queryOrders)                                    \
    X(ReqQryTrade, 6, CQetoReqQryTradeField, RspQryTrade, reqQryTrade, queryTrades)                                    \
    X(ReqQryPosition, 7, CQetoReqQryStockPositionField, RspQryPosition, reqQryPosition, queryPositions)                \
    X(ReqQryFund, 8, CQetoReqQryStockClientAccountField, RspQryFund, reqQryFund, queryFund)                            \
    X(ReqUpdatePwd, 9, CQetoReqUserPasswordUpdateField, RspUpdatePwd, reqUpdatePwd, updatePassword)                    \
    X(ReqInFund, 10, CQetoReqCapTransferField, RspInFund, reqInFund, deposit)                                          \
    X(ReqOutFund, 11, CQetoReqCapTransferField, RspOutFund, reqOutFund, withdraw)                                      \
    X(ReqQryInOutFundRecord, 12, CQetoReqQryCapTransferRecordField, RspQryInOutFundRecord, reqQryInOutFundRecord,      \
      queryCashRecords)                                                                                                \
    X(ReqBTFundTransfer, 13, CQetoReqBTCapTransferManagerField, RspBTFundTransfer, reqBTFundTransfer, btTransfer)      \
    X(ReqQryBTFundTransferRecord, 14, CQetoReqQryBTCapTransferManagerField, RspQryBTFundTransferRecord,                \
      reqQryBTFundTransferRecord, queryBtRecords)                                                                      \
    X(ReqQryRate, 15, CQetoReqQryStockFeeField, RspQryRate, reqQryRate, queryRate)                                     \
    X(ReqQryRightsAndInterests, 16, CQetoReqQryStockQuotaField, RspQryRightsAndInterests, reqQryRightsAndInterests,    \
      queryQuota)                                                                                                      \
    X(ReqQryInvestorInfo, 17, CQetoReqQryInvestorInfoField, RspQryInvestorInfo, reqQryInvestorInfo, queryInvestorInfo) \
    X(ReqQrySecurities, 18, CQetoReqQryStockSecuritiesField, RspQrySecurities, reqQrySecurities, querySecurities)

// Answers and returns, counter -> library, each unit a record and a CQetoRspInfo; the type is
// RspBase + the callback's slot in SpiCallbackTable (checked below):
//   X(name, type, record, callback)
#define QETO_WIRE_ANSWERS(X)                                                                               \
    X(RspLogin, 101, GatewayUserRspLoginField, onRspLogin)                                                 \
    X(RspUpdatePwd, 102, CQetoRspUserPasswordUpdateField, onRspUpdatePwd)                                  \
    X(RspLogout, 103, CQetoRspUserLogoutField, onRspLogout)                                                \
    X(MsgArrivalStatus, 106, char, onMsgArrivalStatus)                                                     \
    X(RspInsertOrder, 107, CQetoRspOrderInsertField, onRspInsertOrder)                                     \
    X(ErrRtnInsertOrder, 108, CQetoRspOrderInsertField, onErrRtnInsertOrder)                               \
    X(RspCancelOrder, 109, CQetoRspOrderActionField, onRspCancelOrder)                                     \
    X(ErrRtnCancelOrder, 110, CQetoRspOrderActionField, onErrRtnCancelOrder)                               \
    X(RtnOrder, 111, CQetoRtnOrderField, onRtnOrder)                                                       \
    X(RtnTrade, 112, CQetoRtnTradeField, onRtnTrade)                                                       \
    X(RspQryOrder, 113, CQetoRspQryOrderField, onRspQryOrder)                                              \
    X(RspQryTrade, 114, CQetoRspQryTradeField, onRspQryTrade)                                              \
    X(RspQryRate, 115, CQetoRspQryStockFeeField, onRspQryRate)                                             \
    X(RspQryFund, 116, CQetoRspQryStockClientAccountField, onRspQryFund)                                   \
    X(RspQryPosition, 117, CQetoRspQryStockPositionField, onRspQryPosition)                                \
    X(RspQrySecurities, 118, CQetoRspQryStockSecuritiesField, onRspQrySecurities)                          \
    X(RspQryRightsAndInterests, 119, CQetoRspQryStockQuotaField, onRspQryRightsAndInterests)               \
    X(RspQryInvestorInfo, 120, CQetoRspQryInvestorInfoField, onRspQryInvestorInfo)                         \
    X(RspBTFundTransfer, 121, CQetoRspBTCapTransferManagerField, onRspBTFundTransfer)                      \
    X(RtnBTFundTransfer, 122, CQetoRtnBtCapTransferManagerField, onRtnBTFundTransfer)                      \
    X(RspQryBTFundTransferRecord, 123, CQetoRspQryBTCapTransferManagerField, onRspQryBTFundTransferRecord) \
    X(RspInFund, 124, CQetoRspCapTransferField, onRspInFund)                                               \
    X(RspOutFund, 125, CQetoRspCapTransferField, onRspOutFund)                                             \
    X(RspQryInOutFundRecord, 126, CQetoRspQryCapTransferRecordField, onRspQryInOutFundRecord)

#define QETO_WIRE_TYPE(name, type, ...) name = type,
enum MsgType : uint16_t {
    QETO_WIRE_OPENING(QETO_WIRE_TYPE) QETO_WIRE_REQUESTS(QETO_WIRE_TYPE) QETO_WIRE_ANSWERS(QETO_WIRE_TYPE) RspBase =
        100,
    RspHeartbeat = 127,  // empty payload, no callback
};
#undef QETO_WIRE_TYPE

template <class R>
inline constexpr std::size_t kRecordSize = sizeof(R);
template <>
inline constexpr std::size_t kRecordSize<void> = 0;

// Bytes of one answer record of the type (the CQetoRspInfo not counted); 0 for a type that
// carries no answer units.
constexpr std::size_t answerRecordSize(uint16_t type) {
    switch (type) {
#define QETO_WIRE_SIZE(name, type, record, callback) \
    case name:                                       \
        return sizeof(record);
        QETO_WIRE_ANSWERS(QETO_WIRE_SIZE)
#undef QETO_WIRE_SIZE
        default:
            return 0;
    }
}

// Requests carry count 1.
constexpr FrameHeader frameHeader(uint16_t type, uint32_t length, int32_t requestId = 0, uint32_t sessionId = 0,
                                  uint16_t count = 1, bool last = true) {
    return FrameHeader{length, type, count, requestId, sessionId, static_cast<uint8_t>(last ? 1 : 0), {0, 0, 0}};
}

#define QETO_WIRE_SLOT(name, type, record, callback)                                                       \
    static_assert(type == RspBase + offsetof(SpiCallbackTable, callback) / sizeof(void *), #name " slot"); \
    static_assert(type > RspBase && type < RspHeartbeat, #name " type");
QETO_WIRE_ANSWERS(QETO_WIRE_SLOT)
#undef QETO_WIRE_SLOT

// Requests stay below the answers, and every session request's answer carries units.
#define QETO_WIRE_OPENS(name, type, record, answer) static_assert(type < RspBase, #name " type");
#define QETO_WIRE_ROUTE(name, type, record, answer, call, handler) \
    static_assert(type < RspBase && answerRecordSize(answer) > 0, #name " answer");
QETO_WIRE_OPENING(QETO_WIRE_OPENS)
QETO_WIRE_REQUESTS(QETO_WIRE_ROUTE)
#undef QETO_WIRE_ROUTE
#undef QETO_WIRE_OPENS

#define QETO_WIRE_NAME(name, ...) name,
constexpr uint16_t kAllTypes[] = {QETO_WIRE_OPENING(QETO_WIRE_NAME) QETO_WIRE_REQUESTS(QETO_WIRE_NAME)
                                      QETO_WIRE_ANSWERS(QETO_WIRE_NAME) RspHeartbeat};
#undef QETO_WIRE_NAME

constexpr bool typesDistinct() {
    for (std::size_t i = 0; i < sizeof kAllTypes / sizeof *kAllTypes; ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (kAllTypes[i] == kAllTypes[j]) return false;
    return true;
}
static_assert(typesDistinct(), "two messages share a type");

}  // namespace qeto::wire

#endif  // QETO_WIRE_H
