// Demo data: historical orders and trades for large query answers. Records only: they do not
// change funds or positions.
#include <cmath>

#include "engine_internal.h"

namespace qeto::sim {

namespace {

constexpr int kSessionMs = 4 * 3600 * 1000;  // 09:30-11:30 and 13:00-15:00

// Time of the n-th of count orders, spread evenly over both sessions of the day.
int spreadTime(int n, int count) {
    int t = static_cast<int>(static_cast<int64_t>(kSessionMs) * n / count);
    t += t < 2 * 3600 * 1000 ? (9 * 3600 + 1800) * 1000 : 11 * 3600 * 1000;
    return t;
}

// Of every ten orders one is cancelled, one partly cancelled, one refused; the rest are filled.
void setOutcome(Order &o, int n) {
    switch (n % 10) {
        case 6:
            o.status = OrderStatus::Cancelled;
            break;
        case 7:
            o.status = OrderStatus::PartCancelled;
            o.traded = (o.volume / 200) * 100;
            if (o.traded == 0) o.status = OrderStatus::Cancelled;
            break;
        case 8:
            o.status = OrderStatus::Rejected;
            o.errorCode = idOf(o.direction == Side::Buy ? Refusal::NoFunds : Refusal::NoShares);
            break;
        default:
            o.status = OrderStatus::Filled;
            o.traded = o.volume;
            break;
    }
    o.tradeAmount = amountOf(o.priceUnits, o.traded);
}

Order demoOrder(int n, const Quote &q, int timeMs) {
    Order o;
    o.code = q.code;
    o.direction = (n / 2) % 3 == 2 ? Side::Sell : Side::Buy;
    o.price = std::round(q.preClose * (1.0 + 0.001 * ((n % 7) - 3)) / q.tick) * q.tick;
    o.priceUnits = unitsOf(o.price);
    o.volume = 100u * (1 + n % 20);
    o.insertMs = timeMs;
    o.securityType = q.securityType;
    setOutcome(o, n);
    return o;
}

Trade tradeOf(const Order &o, uint32_t tradeId) {
    Trade t;
    t.orderSysId = o.sysId;
    t.tradeId = tradeId;
    t.code = o.code;
    t.direction = o.direction;
    t.price = o.price;
    t.volume = o.traded;
    t.leaves = o.volume - o.traded;
    t.timeMs = o.insertMs + 150;
    return t;
}

}  // namespace

void Engine::preloadOrders(int count) {
    if (mAccounts.empty() || count <= 0) return;
    Account *a = mAccounts.front().get();
    std::vector<const Quote *> codes[2];
    for (const Quote &q : mMarket.quotes()) codes[q.exchange].push_back(&q);
    for (int n = 0; n < count; ++n) {
        const Exchange ex = (n % 2) ? Shenzhen : Shanghai;
        if (codes[ex].empty()) continue;
        Counter &c = a->counters[ex];
        Order o = demoOrder(n, *codes[ex][(n / 2) % codes[ex].size()], spreadTime(n, count));
        o.sysId = mNextSysId++;
        o.userLocalId = ++c.maxUserLocalId;
        c.orderIndex[o.sysId] = c.orders.size();
        c.orders.push_back(o);
        if (o.traded > 0) c.trades.push_back(tradeOf(o, mNextTradeId++));
    }
}

}  // namespace qeto::sim
