// The simulator's universe of securities and their Level-1 quotes. The counter matches against
// the same quotes that the market-data port pushes.
#ifndef QETO_SIM_MARKET_H
#define QETO_SIM_MARKET_H

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "qeto_md_level1.h"
#include "sim_text.h"

namespace qeto::sim {

enum Exchange : int { Shanghai = 0, Shenzhen = 1 };

struct Quote {
    std::string code;
    Exchange exchange = Shanghai;
    uint8_t securityType = 1;  // 1 stock, 2 fund, 8 STAR / ChiNext
    std::string name;          // UTF-8
    std::string wireName;      // in the market-data encoding, at most 29 bytes
    double tick = 0.01;
    double preClose = 0, upper = 0, lower = 0;
    double open = 0, high = 0, low = 0, last = 0;
    double bid[5] = {}, ask[5] = {};
    uint64_t bidVolume[5] = {}, askVolume[5] = {};
    uint64_t totalVolume = 0;
    double totalAmount = 0;
    uint64_t updateTime = 0;
};

struct MarketOptions {
    int codes = 300;
    uint32_t seed = 1;
    bool deterministic = false;
    Encoding nameEncoding = Encoding::Utf8;
};

class Market {
public:
    explicit Market(const MarketOptions &options);

    const std::vector<Quote> &quotes() const { return mQuotes; }
    Quote *find(std::string_view code);
    const Quote *find(std::string_view code) const;

    // One step of every price; updateTime is hhmmssmmm.
    void tick(uint64_t updateTime);
    // Puts a code's last price (clamped to its limits, rounded to its tick) and rebuilds its levels.
    void setLast(std::string_view code, double price);
    // Rounds to the code's tick; true when the price lies within the day's limits.
    bool withinLimits(const Quote &q, double price) const;

    void fillRecord(const Quote &q, ClientSecurityMarketDataLevel1 &rec) const;
    // Every code as one frame (mark + record), in universe order.
    std::vector<uint8_t> snapshot() const;

    uint64_t ticks() const { return mTicks; }

private:
    void addQuote(const std::string &code, const std::string &name, double preClose);
    void rebuildLevels(Quote &q);
    double clampToLimits(const Quote &q, double price) const;

    MarketOptions mOptions;
    std::mt19937 mRng;
    std::vector<Quote> mQuotes;
    std::unordered_map<std::string, std::size_t> mIndex;
    uint64_t mTicks = 0;
};

// Exchange a six-digit code belongs to (6xxxxx and 5xxxxx Shanghai, the rest Shenzhen).
Exchange exchangeOfCode(std::string_view code);

}  // namespace qeto::sim

#endif
