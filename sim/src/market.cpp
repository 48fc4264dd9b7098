#include "market.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qeto::sim {

namespace {

struct Known {
    const char *code;
    const char *name;
    double preClose;
};

// Codes the demo account holds and a few others worth seeing first in a quote list.
const Known kKnown[] = {
    {"600000", "浦发银行", 10.50}, {"601318", "中国平安", 45.20},    {"600519", "贵州茅台", 1680.00},
    {"688981", "中芯国际", 52.30}, {"510300", "沪深三百ETF", 3.852}, {"000001", "平安银行", 11.20},
    {"000002", "万科Ａ", 9.80},    {"300750", "宁德时代", 182.50},   {"159915", "创业板ETF", 2.115},
};

const char *const kHead[] = {"华", "中", "东", "南", "北", "海", "长", "金", "新", "天", "恒", "兴",
                             "国", "大", "永", "宏", "瑞", "嘉", "鼎", "安", "泰", "盛", "远", "明"};
const char *const kMid[] = {"信", "通", "达", "源", "润", "丰", "光", "诚", "航", "能", "科", "立",
                            "欣", "凯", "隆", "腾", "晨", "康", "德", "元", "汇", "鑫", "锦", "阳"};
const char *const kTail[] = {"银行", "证券", "科技", "电子", "医药", "能源", "地产", "汽车", "保险", "化工",
                             "股份", "实业", "电气", "材料", "传媒", "控股", "食品", "环保", "机械", "通信"};

uint8_t typeOfCode(std::string_view code) {
    if (code.substr(0, 3) == "688" || code[0] == '3') return 8;
    if (code[0] == '5' || code.substr(0, 2) == "15") return 2;
    return 1;
}

}  // namespace

Exchange exchangeOfCode(std::string_view code) {
    return (!code.empty() && (code[0] == '6' || code[0] == '5')) ? Shanghai : Shenzhen;
}

Market::Market(const MarketOptions &options) : mOptions(options), mRng(options.seed) {
    const int wanted = std::clamp(options.codes, 1, 50000);
    for (const Known &k : kKnown) {
        if (static_cast<int>(mQuotes.size()) >= wanted) break;
        addQuote(k.code, k.name, k.preClose);
    }
    // The rest: about half Shanghai 6xxxxx, a quarter Shenzhen 0xxxxx, a quarter 3xxxxx.
    int sh = 0, sz0 = 0, sz3 = 0;
    std::uniform_real_distribution<double> priceDist(3.0, 80.0);
    while (static_cast<int>(mQuotes.size()) < wanted) {
        const int k = static_cast<int>(mQuotes.size()) % 4;
        char code[16];
        if (k < 2)
            std::snprintf(code, sizeof code, "%06d", 600001 + sh++);
        else if (k == 2)
            std::snprintf(code, sizeof code, "%06d", 3 + sz0++);
        else
            std::snprintf(code, sizeof code, "%06d", 300001 + sz3++);
        if (mIndex.count(code)) continue;
        const std::size_t n = mQuotes.size();
        std::string name = std::string(kHead[n % 24]) + kMid[(n / 24) % 24] + kTail[(n / 576) % 20];
        double pre = options.deterministic ? 5.0 + static_cast<double>(n % 50) : priceDist(mRng);
        addQuote(code, name, std::round(pre * 100.0) / 100.0);
    }
}

void Market::addQuote(const std::string &code, const std::string &name, double preClose) {
    Quote q;
    q.code = code;
    q.exchange = exchangeOfCode(code);
    q.securityType = typeOfCode(code);
    q.tick = q.securityType == 2 ? 0.001 : 0.01;
    q.name = name;
    q.wireName = encodeFitting(name, mOptions.nameEncoding, sizeof(ClientSecurityMarketDataLevel1::securityName) - 1);
    q.preClose = preClose;
    const double band = q.securityType == 8 ? 0.20 : 0.10;
    q.upper = std::round(preClose * (1.0 + band) / q.tick) * q.tick;
    q.lower = std::round(preClose * (1.0 - band) / q.tick) * q.tick;
    q.open = q.high = q.low = q.last = preClose;
    rebuildLevels(q);
    mIndex.emplace(code, mQuotes.size());
    mQuotes.push_back(std::move(q));
}

Quote *Market::find(std::string_view code) {
    auto it = mIndex.find(std::string(code));
    return it == mIndex.end() ? nullptr : &mQuotes[it->second];
}

const Quote *Market::find(std::string_view code) const {
    auto it = mIndex.find(std::string(code));
    return it == mIndex.end() ? nullptr : &mQuotes[it->second];
}

double Market::clampToLimits(const Quote &q, double price) const {
    price = std::round(price / q.tick) * q.tick;
    return std::clamp(price, q.lower, q.upper);
}

bool Market::withinLimits(const Quote &q, double price) const {
    const double eps = q.tick / 10.0;
    return price > 0 && price >= q.lower - eps && price <= q.upper + eps;
}

void Market::rebuildLevels(Quote &q) {
    const double eps = q.tick / 10.0;
    std::uniform_int_distribution<int> lots(1, 60);
    for (int i = 0; i < 5; ++i) {
        const double b = std::round((q.last - q.tick * i) / q.tick) * q.tick;
        const double a = std::round((q.last + q.tick * (i + 1)) / q.tick) * q.tick;
        const uint64_t bv = mOptions.deterministic ? 1000u * (i + 1) : 100u * lots(mRng);
        const uint64_t av = mOptions.deterministic ? 1000u * (i + 1) : 100u * lots(mRng);
        // A level beyond the day's limits stays empty.
        q.bid[i] = b >= q.lower - eps ? b : 0.0;
        q.bidVolume[i] = q.bid[i] > 0 ? bv : 0;
        q.ask[i] = a <= q.upper + eps ? a : 0.0;
        q.askVolume[i] = q.ask[i] > 0 ? av : 0;
    }
}

void Market::tick(uint64_t updateTime) {
    static const int kPattern[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, -1, -2, -3, -4, -3, -2, -1};
    std::uniform_int_distribution<int> step(-2, 2);
    std::uniform_int_distribution<int> traded(0, 50);
    ++mTicks;
    for (std::size_t n = 0; n < mQuotes.size(); ++n) {
        Quote &q = mQuotes[n];
        double next;
        uint64_t vol;
        if (mOptions.deterministic) {
            next = q.preClose + 5 * q.tick * kPattern[(mTicks + n) % 16];
            vol = 100;
        } else {
            next = q.last + q.tick * step(mRng);
            vol = 100u * traded(mRng);
        }
        q.last = clampToLimits(q, next);
        q.high = std::max(q.high, q.last);
        q.low = std::min(q.low, q.last);
        q.totalVolume += vol;
        q.totalAmount += static_cast<double>(vol) * q.last;
        q.updateTime = updateTime;
        rebuildLevels(q);
    }
}

void Market::setLast(std::string_view code, double price) {
    Quote *q = find(code);
    if (!q) return;
    q->last = clampToLimits(*q, price);
    q->high = std::max(q->high, q->last);
    q->low = std::min(q->low, q->last);
    rebuildLevels(*q);
}

void Market::fillRecord(const Quote &q, ClientSecurityMarketDataLevel1 &rec) const {
    std::memset(&rec, 0, sizeof rec);
    rec.lastPrice = q.last;
    rec.openPrice = q.open;
    rec.highPrice = q.high;
    rec.lowPrice = q.low;
    rec.upperLimitPrice = q.upper;
    rec.lowerLimitPrice = q.lower;
    rec.preClosePrice = q.preClose;
    for (int i = 0; i < 5; ++i) {
        rec.bidPrice[i] = q.bid[i];
        rec.askPrice[i] = q.ask[i];
        rec.bidVolume[i] = q.bidVolume[i];
        rec.askVolume[i] = q.askVolume[i];
    }
    std::memcpy(rec.securityId, q.code.data(), std::min(q.code.size(), sizeof rec.securityId - 1));
    std::memcpy(rec.securityName, q.wireName.data(), std::min(q.wireName.size(), sizeof rec.securityName - 1));
    rec.updateTime = q.updateTime;
    rec.totalVolume = q.totalVolume;
    rec.totalAmount = static_cast<uint64_t>(std::llround(q.totalAmount));
}

std::vector<uint8_t> Market::snapshot() const {
    std::vector<uint8_t> out(mQuotes.size() * kMdFrameSize);
    uint8_t *p = out.data();
    ClientSecurityMarketDataLevel1 rec;
    for (const Quote &q : mQuotes) {
        const int32_t mark = kMdFrameMark;
        std::memcpy(p, &mark, sizeof mark);
        fillRecord(q, rec);
        std::memcpy(p + kMdHeaderSize, &rec, sizeof rec);
        p += kMdFrameSize;
    }
    return out;
}

}  // namespace qeto::sim
