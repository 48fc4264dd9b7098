// Market-data wire format: a 4-byte header (mark 123) followed by one 279-byte Level-1 record.
// Plain C++ so that the client and the simulator share one definition.
#ifndef QETO_MD_LEVEL1_H
#define QETO_MD_LEVEL1_H

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct ClientSecurityMarketDataLevel1Header {
    int32_t mark;  // 123 for a valid frame
};

struct ClientSecurityMarketDataLevel1 {
    double lastPrice;
    double openPrice;
    double highPrice;
    double lowPrice;
    double upperLimitPrice;
    double lowerLimitPrice;
    double preClosePrice;
    double bidPrice[5];
    double askPrice[5];
    uint64_t bidVolume[5];
    uint64_t askVolume[5];
    char securityId[9];
    char securityName[30];
    uint64_t updateTime;
    uint64_t totalVolume;
    uint64_t totalAmount;
};

#pragma pack(pop)

constexpr int32_t kMdFrameMark = 123;
constexpr int kMdHeaderSize = 4;
constexpr int kMdRecordSize = 279;
constexpr int kMdFrameSize = kMdHeaderSize + kMdRecordSize;

static_assert(sizeof(ClientSecurityMarketDataLevel1Header) == 4, "md header size");
static_assert(sizeof(ClientSecurityMarketDataLevel1) == 279, "md record size");
static_assert(offsetof(ClientSecurityMarketDataLevel1, bidPrice) == 56, "bidPrice");
static_assert(offsetof(ClientSecurityMarketDataLevel1, askPrice) == 96, "askPrice");
static_assert(offsetof(ClientSecurityMarketDataLevel1, bidVolume) == 136, "bidVolume");
static_assert(offsetof(ClientSecurityMarketDataLevel1, askVolume) == 176, "askVolume");
static_assert(offsetof(ClientSecurityMarketDataLevel1, securityId) == 216, "securityId");
static_assert(offsetof(ClientSecurityMarketDataLevel1, securityName) == 225, "securityName");
static_assert(offsetof(ClientSecurityMarketDataLevel1, updateTime) == 255, "updateTime");
static_assert(offsetof(ClientSecurityMarketDataLevel1, totalVolume) == 263, "totalVolume");
static_assert(offsetof(ClientSecurityMarketDataLevel1, totalAmount) == 271, "totalAmount");

#endif  // QETO_MD_LEVEL1_H
