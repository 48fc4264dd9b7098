// Market data: universe, names on the wire, limits and levels, frames.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "market.h"

using namespace qeto::sim;

namespace {

MarketOptions opts(int codes, bool det, Encoding enc = Encoding::Utf8) {
    MarketOptions o;
    o.codes = codes;
    o.deterministic = det;
    o.nameEncoding = enc;
    o.seed = 7;
    return o;
}

TEST(SimMarket, UniverseCoversBothExchanges) {
    for (int n : {1, 9, 300, 50000}) {
        Market m(opts(n, false));
        ASSERT_EQ(static_cast<int>(m.quotes().size()), n);
        std::set<std::string> codes;
        for (const Quote &q : m.quotes()) {
            ASSERT_EQ(q.code.size(), 6u);
            EXPECT_TRUE(codes.insert(q.code).second) << q.code;
            EXPECT_EQ(q.exchange, (q.code[0] == '6' || q.code[0] == '5') ? Shanghai : Shenzhen);
        }
    }
    Market m(opts(300, false));
    for (const char *code : {"600000", "601318", "000001", "300750"}) EXPECT_NE(m.find(code), nullptr) << code;
    EXPECT_EQ(m.find("300750")->securityType, 8);
    EXPECT_EQ(m.find("510300")->securityType, 2);
    EXPECT_EQ(m.find("600000")->securityType, 1);
}

TEST(SimMarket, NamesAreEncodedForTheWire) {
    Market utf8(opts(10, true));
    Market gbk(opts(10, true, Encoding::Gbk));
    ClientSecurityMarketDataLevel1 rec;
    utf8.fillRecord(*utf8.find("600000"), rec);
    EXPECT_STREQ(rec.securityName, "浦发银行");
    EXPECT_STREQ(rec.securityId, "600000");
    gbk.fillRecord(*gbk.find("600000"), rec);
    const unsigned char expected[] = {0xC6, 0xD6, 0xB7, 0xA2, 0xD2, 0xF8, 0xD0, 0xD0, 0};
    EXPECT_EQ(std::memcmp(rec.securityName, expected, sizeof expected), 0);
    // Every name ends with a NUL inside its field.
    for (const Quote &q : gbk.quotes()) EXPECT_LT(q.wireName.size(), sizeof rec.securityName);
}

TEST(SimMarket, TextFitsWithoutSplittingCharacters) {
    EXPECT_EQ(encodeFitting("浦发银行", Encoding::Utf8, 10), "浦发银");
    EXPECT_EQ(encodeFitting("浦发银行", Encoding::Gbk, 7).size(), 6u);
    EXPECT_EQ(encodeFitting("abc", Encoding::Gbk, 29), "abc");
    EXPECT_EQ(timeText(36000123), "100000123");
    EXPECT_EQ(timeText(-5), "000000000");
    EXPECT_EQ(timeText(100 * 3600000 + 61001), "000101001");  // hours wrap at 100
    for (int ms = 0; ms < 86400000; ms += 999983) EXPECT_EQ(parseTimeText(timeText(ms).c_str()), ms);
    EXPECT_EQ(parseTimeText("093000500"), (9 * 3600 + 1800) * 1000 + 500);
    char empty[9] = {};
    EXPECT_EQ(parseTimeText(empty), -1);
    EXPECT_EQ(parseTimeText("25000000x"), -1);
}

TEST(SimMarket, PricesStayWithinTheDaysLimits) {
    for (bool det : {false, true}) {
        Market m(opts(200, det));
        for (int t = 0; t < 400; ++t) {
            m.tick(93000000 + t);
            for (const Quote &q : m.quotes()) {
                ASSERT_GE(q.last, q.lower - 1e-9) << q.code;
                ASSERT_LE(q.last, q.upper + 1e-9) << q.code;
                ASSERT_LE(q.low, q.last + 1e-9);
                ASSERT_GE(q.high, q.last - 1e-9);
                for (int i = 0; i < 5; ++i) {
                    if (q.bid[i] > 0) {
                        ASSERT_GE(q.bid[i], q.lower - 1e-9);
                        ASSERT_GT(q.bidVolume[i], 0u);
                    }
                    if (q.ask[i] > 0) {
                        ASSERT_LE(q.ask[i], q.upper + 1e-9);
                        ASSERT_GT(q.ask[i], q.bid[0]);
                    }
                    if (i > 0 && q.bid[i] > 0) {
                        ASSERT_LT(q.bid[i], q.bid[i - 1]);
                    }
                }
            }
        }
    }
}

TEST(SimMarket, AtTheLimitTheFarSideIsEmpty) {
    Market m(opts(10, true));
    m.setLast("600000", 20.0);  // clamped to the upper limit
    const Quote &q = *m.find("600000");
    EXPECT_DOUBLE_EQ(q.last, 11.55);
    EXPECT_EQ(q.ask[0], 0.0);
    EXPECT_EQ(q.askVolume[0], 0u);
    EXPECT_DOUBLE_EQ(q.bid[0], 11.55);
    EXPECT_FALSE(m.withinLimits(q, 11.56));
    EXPECT_TRUE(m.withinLimits(q, 9.45));
}

TEST(SimMarket, DeterministicRunsRepeat) {
    Market a(opts(50, true)), b(opts(50, true));
    for (int t = 0; t < 20; ++t) {
        a.tick(t);
        b.tick(t);
    }
    EXPECT_EQ(a.snapshot(), b.snapshot());
}

TEST(SimMarket, SnapshotIsOneFramePerCode) {
    Market m(opts(37, false));
    m.tick(93000000);
    const auto snap = m.snapshot();
    ASSERT_EQ(snap.size(), 37u * kMdFrameSize);
    for (std::size_t n = 0; n < 37; ++n) {
        int32_t mark;
        std::memcpy(&mark, snap.data() + n * kMdFrameSize, 4);
        EXPECT_EQ(mark, kMdFrameMark);
        ClientSecurityMarketDataLevel1 rec;
        std::memcpy(&rec, snap.data() + n * kMdFrameSize + 4, sizeof rec);
        EXPECT_EQ(std::string(rec.securityId), m.quotes()[n].code);
        EXPECT_EQ(static_cast<uint64_t>(rec.updateTime), 93000000u);
    }
}

}  // namespace
