// Wire protocol between the stand-in gateway library and qeto-sim (counter port).
// Every message is a 20-byte header followed by `length` payload bytes, all little-endian.
// Requests carry the packed request record(s) of the gateway contract.
// Answers carry `count` units of (answer record, CQetoRspInfo); the header's `last` flag
// belongs to the final unit, earlier units of the same frame are delivered with bIsLast = false.
#ifndef QETO_WIRE_H
#define QETO_WIRE_H

#include <cstdint>

#include "qeto_gate_api.h"

namespace qeto::wire {

#pragma pack(push, 1)
struct FrameHeader {
    uint32_t length;            // payload bytes after this header
    uint16_t type;              // MsgType
    uint16_t count;             // answer units in the payload (requests: 1)
    int32_t requestId;
    uint32_t sessionId;
    uint8_t last;               // 1: last answer for this request
    uint8_t reserved[3];
};
#pragma pack(pop)
static_assert(sizeof(FrameHeader) == 20, "frame header size");

constexpr uint32_t kMaxPayload = 1u << 20;   // larger frames close the connection

enum MsgType : uint16_t {
    // requests, library -> counter
    ReqLogin = 1,               // GatewayUserReqLoginField + GatewayTerminalInfoField
    ReqLogout = 2,
    ReqInsertOrder = 3,
    ReqCancelOrder = 4,
    ReqQryOrder = 5,
    ReqQryTrade = 6,
    ReqQryPosition = 7,
    ReqQryFund = 8,
    ReqUpdatePwd = 9,
    ReqInFund = 10,
    ReqOutFund = 11,
    ReqQryInOutFundRecord = 12,
    ReqBTFundTransfer = 13,
    ReqQryBTFundTransferRecord = 14,
    ReqQryRate = 15,
    ReqQryRightsAndInterests = 16,
    ReqQryInvestorInfo = 17,
    ReqQrySecurities = 18,
    ReqHeartbeat = 19,          // empty payload

    // answers and returns, counter -> library: 100 + the callback's slot in SpiCallbackTable
    RspBase = 100,
    RspLogin = 101,
    RspUpdatePwd = 102,
    RspLogout = 103,
    MsgArrivalStatus = 106,
    RspInsertOrder = 107,
    ErrRtnInsertOrder = 108,
    RspCancelOrder = 109,
    ErrRtnCancelOrder = 110,
    RtnOrder = 111,
    RtnTrade = 112,
    RspQryOrder = 113,
    RspQryTrade = 114,
    RspQryRate = 115,
    RspQryFund = 116,
    RspQryPosition = 117,
    RspQrySecurities = 118,
    RspQryRightsAndInterests = 119,
    RspQryInvestorInfo = 120,
    RspBTFundTransfer = 121,
    RtnBTFundTransfer = 122,
    RspQryBTFundTransferRecord = 123,
    RspInFund = 124,
    RspOutFund = 125,
    RspQryInOutFundRecord = 126,
    RspHeartbeat = 127,         // empty payload
};

}  // namespace qeto::wire

#endif  // QETO_WIRE_H
