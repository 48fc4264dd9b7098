// Orders: checks and freezes on entry, matching against the quote, fills, cancels and the
// order returns.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine_internal.h"

namespace qeto::sim {

using namespace qeto::wire;

namespace {

// Text of an order return: the order, then what happened to it.
std::string orderText(const Order &o, uint32_t extra) {
    char buf[160];
    const char *side = o.direction == Side::Buy ? "买入" : "卖出";
    int n = std::snprintf(buf, sizeof buf, "%s %s %u股@%.3f ", side, o.code.c_str(), o.volume, o.price);
    const std::size_t used = std::min<std::size_t>(n > 0 ? static_cast<std::size_t>(n) : 0, sizeof buf - 1);
    char *rest = buf + used;
    const std::size_t room = sizeof buf - used;
    switch (o.status) {
        case OrderStatus::Reported:
            std::snprintf(rest, room, "已报");
            break;
        case OrderStatus::PartFilled:
            std::snprintf(rest, room, "部分成交 成交%u股 累计%u股", extra, o.traded);
            break;
        case OrderStatus::Filled:
            std::snprintf(rest, room, "全部成交 成交%u股", extra);
            break;
        case OrderStatus::PartCancelled:
            std::snprintf(rest, room, "部分撤单 撤销%u股", extra);
            break;
        case OrderStatus::Cancelled:
            std::snprintf(rest, room, "已撤单");
            break;
        default:
            std::snprintf(rest, room, "废单");
            break;
    }
    return buf;
}

// Holds the money of a buy (price × quantity + fee) or the shares of a sell.
Refusal freeze(Counter &c, Order &o) {
    if (o.direction == Side::Buy) {
        const Cents amount = amountOf(o.priceUnits, o.volume);
        const Cents fee = tradeFeeCents(amount, Side::Buy);
        if (c.available < amount + fee) return Refusal::NoFunds;
        o.frozenCash = amount;
        o.frozenFee = fee;
        c.available -= amount + fee;
        c.frozenCash += amount;
        c.frozenFee += fee;
        return Refusal::None;
    }
    auto pos = c.positions.find(o.code);
    if (pos == c.positions.end() || pos->second.available() < o.volume) return Refusal::NoShares;
    pos->second.frozenSell += o.volume;
    return Refusal::None;
}

// Gives back what an order no longer needs once it is closed.
void releaseFreeze(Counter &c, Order &o) {
    if (o.direction == Side::Buy) {
        c.frozenCash -= o.frozenCash;
        c.frozenFee -= o.frozenFee;
        c.available += o.frozenCash + o.frozenFee;
        o.frozenCash = 0;
        o.frozenFee = 0;
    } else {
        c.positions[o.code].frozenSell -= o.leaves();
    }
}

// A buy's fill: the frozen part of the money goes, the traded amount and fee are paid.
void settleBuy(Counter &c, Order &o, Position &pos, uint32_t qty, Cents amount, Cents feeInc) {
    const Cents relCash = std::min(o.frozenCash, amountOf(o.priceUnits, qty));
    const Cents relFee = std::min(o.frozenFee, feeInc);
    o.frozenCash -= relCash;
    o.frozenFee -= relFee;
    c.frozenCash -= relCash;
    c.frozenFee -= relFee;
    c.available += relCash + relFee - amount - feeInc;
    c.todayBuyAmount += amount;
    pos.todayBuy += qty;
    pos.costAmount += amount + feeInc;
}

// A sell's fill: usable at once, withdrawable only tomorrow.
void settleSell(Counter &c, Position &pos, uint32_t qty, Cents amount, Cents feeInc) {
    const uint32_t before = pos.total();
    pos.frozenSell -= qty;
    pos.todaySell += qty;
    if (before > 0) pos.costAmount = scaleRound(pos.costAmount, before - qty, before);
    c.available += amount - feeInc;
    c.unsettled += amount - feeInc;
    c.todaySellAmount += amount;
}

CQetoRtnTradeField tradeReturn(const Trade &t) {
    CQetoRtnTradeField r;
    zero(r);
    r.OrderSysID = t.orderSysId;
    r.TradeID = t.tradeId;
    putText(r.SecurityID, t.code);
    r.Direction = t.direction;
    r.TradePrice = t.price;
    r.TradeVolume = t.volume;
    putText(r.TradeTime, timeText(t.timeMs));
    return r;
}

}  // namespace

void Engine::sendOrderReturn(Account *a, Exchange ex, const Order &o, int32_t requestId, int timeMs, uint32_t extra) {
    CQetoRtnOrderField r;
    putOrderFields(r, o);
    r.TradeVolume = o.traded;
    r.LeavesVolume = o.open() ? o.leaves() : 0;
    putText(r.TransactTime, timeText(timeMs));
    const std::string text = std::string(utf8Prefix(orderText(o, extra), sizeof r.OrderText - 1));
    std::memcpy(r.OrderText, text.data(), text.size());
    toAccount(a, ex, RtnOrder, requestId, r);
}

// Security, price (type, tick, day's limits) and quantity; the money or shares come after.
Refusal Engine::checkOrder(Exchange ex, Order &o, const CQetoReqOrderInsertField &r) const {
    const Quote *q = mMarket.find(o.code);
    if (!q || q->exchange != ex) return Refusal::UnknownSecurity;
    o.securityType = q->securityType;
    if (r.OrderPriceType != PriceType::Limit || !std::isfinite(o.price) || !mMarket.withinLimits(*q, o.price))
        return Refusal::BadPrice;
    const std::optional<PriceUnits> units = requestedUnitsOf(o.price);
    if (!units || *units % unitsOf(q->tick) != 0) return Refusal::BadPrice;
    o.priceUnits = *units;
    if (r.Volume <= 0 || r.Volume > kMaxOrderVolume || (o.direction != Side::Buy && o.direction != Side::Sell) ||
        (o.direction == Side::Buy && r.Volume % 100 != 0))
        return Refusal::BadVolume;
    return Refusal::None;
}

void Engine::insertOrder(Session &s, int32_t req, const CQetoReqOrderInsertField &r) {
    Counter &c = s.account->counters[s.exchange];
    c.maxUserLocalId = std::max(c.maxUserLocalId, static_cast<uint32_t>(r.UserLocalID));

    Order o;
    o.sysId = mNextSysId++;
    o.userLocalId = r.UserLocalID;
    o.code = getText(r.SecurityID);
    o.direction = r.Direction;
    o.price = r.Price;
    o.volume = r.Volume > 0 ? static_cast<uint32_t>(r.Volume) : 0;
    o.insertMs = msOfDay();
    o.requestId = req;

    Refusal error = checkOrder(s.exchange, o, r);
    if (error == Refusal::None) error = freeze(c, o);
    if (error != Refusal::None) {
        // Refused orders stay in the order list.
        o.status = OrderStatus::Rejected;
        o.errorCode = idOf(error);
    }
    c.orderIndex[o.sysId] = c.orders.size();
    c.orders.push_back(o);
    answerInsert(s, req, o, r, error);
    if (error != Refusal::None) return;
    sendOrderReturn(s.account, s.exchange, o, o.requestId, msOfDay(), 0);
    match(s.account, s.exchange, o.sysId);
    const Order *after = c.findOrder(o.sysId);
    if (after && after->open()) mResting.push_back({s.account, s.exchange, o.sysId});
}

void Engine::answerInsert(const Session &s, int32_t req, const Order &o, const CQetoReqOrderInsertField &r,
                          Refusal error) {
    CQetoRspOrderInsertField rsp;
    putOrderFields(rsp, o);
    // The volume and price type as asked, even when refused for them.
    rsp.Volume = r.Volume;
    rsp.OrderPriceType = r.OrderPriceType;
    putText(rsp.InsertTime, timeText(o.insertMs));
    // Price-limit refusals come from the exchange side, which reports them as an error return
    // in place of the counter's response: one refusal, one answer, one message for the user.
    answer(s, error == Refusal::BadPrice ? ErrRtnInsertOrder : RspInsertOrder, req, rsp, error);
}

bool Engine::marketable(const Order &o) const {
    const Quote *q = mMarket.find(o.code);
    if (!q) return false;
    if (o.direction == Side::Buy) return q->ask[0] > 0 && q->askVolume[0] > 0 && unitsOf(q->ask[0]) <= o.priceUnits;
    return q->bid[0] > 0 && q->bidVolume[0] > 0 && unitsOf(q->bid[0]) >= o.priceUnits;
}

void Engine::match(Account *a, Exchange ex, uint32_t sysId) {
    Counter &c = a->counters[ex];
    Order *o = c.findOrder(sysId);
    Quote *q = o ? mMarket.find(o->code) : nullptr;
    if (!o || !q || !o->open()) return;
    for (int i = 0; i < 5 && o->leaves() > 0; ++i) {
        const bool buy = o->direction == Side::Buy;
        const double px = buy ? q->ask[i] : q->bid[i];
        uint64_t &vol = buy ? q->askVolume[i] : q->bidVolume[i];
        if (px <= 0 || vol == 0) continue;
        if (buy ? unitsOf(px) > o->priceUnits : unitsOf(px) < o->priceUnits) break;
        const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(o->leaves(), vol));
        vol -= take;
        fill(a, ex, *o, px, take);
    }
}

void Engine::fill(Account *a, Exchange ex, Order &o, double price, uint32_t qty) {
    Counter &c = a->counters[ex];
    Position &pos = c.positions[o.code];
    const Cents amount = amountOf(unitsOf(price), qty);
    o.traded += qty;
    o.tradeAmount += amount;
    // The fee grows with the order's traded amount, so an order pays its minimum once.
    const Cents feeInc = tradeFeeCents(o.tradeAmount, o.direction) - o.feeCharged;
    o.feeCharged += feeInc;
    c.fees += feeInc;
    if (o.direction == Side::Buy)
        settleBuy(c, o, pos, qty, amount, feeInc);
    else
        settleSell(c, pos, qty, amount, feeInc);
    o.status = o.leaves() == 0 ? OrderStatus::Filled : OrderStatus::PartFilled;
    if (o.status == OrderStatus::Filled) releaseFreeze(c, o);

    Trade t;
    t.orderSysId = o.sysId;
    t.tradeId = mNextTradeId++;
    t.code = o.code;
    t.direction = o.direction;
    t.price = price;
    t.volume = qty;
    t.leaves = o.leaves();
    t.timeMs = msOfDay();
    c.trades.push_back(t);
    toAccount(a, ex, RtnTrade, o.requestId, tradeReturn(t));
    sendOrderReturn(a, ex, o, o.requestId, t.timeMs, qty);
}

void Engine::onMarketTick() {
    std::vector<RestingRef> still;
    still.reserve(mResting.size());
    for (const RestingRef &ref : mResting) {
        Order *o = ref.account->counters[ref.exchange].findOrder(ref.sysId);
        if (!o || !o->open()) continue;
        still.push_back(ref);
        if (o->fillPending || !marketable(*o)) continue;
        o->fillPending = true;
        mSchedule(mOptions.rtnDelayMs, [this, ref] {
            Order *ord = ref.account->counters[ref.exchange].findOrder(ref.sysId);
            if (!ord) return;
            ord->fillPending = false;
            match(ref.account, ref.exchange, ref.sysId);
        });
    }
    mResting.swap(still);
}

void Engine::cancelOrder(Session &s, int32_t req, const CQetoReqOrderActionField &r) {
    Counter &c = s.account->counters[s.exchange];
    if (r.UserLocalID > 0) c.maxUserLocalId = std::max(c.maxUserLocalId, static_cast<uint32_t>(r.UserLocalID));
    CQetoRspOrderActionField rsp;
    zero(rsp);
    rsp.UserLocalID = r.UserLocalID;
    rsp.OrderSysID = r.OrderSysID;
    Order *o = c.findOrder(r.OrderSysID);
    const Refusal error = !o ? Refusal::OrderNotFound : !o->open() ? Refusal::OrderClosed : Refusal::None;
    if (error != Refusal::None) {
        if (o) rsp.OrderStatus = o->status;
        answer(s, RspCancelOrder, req, rsp, error);
        answer(s, ErrRtnCancelOrder, req, rsp, error);
        return;
    }
    const uint32_t cancelled = o->leaves();
    releaseFreeze(c, *o);
    o->status = o->traded > 0 ? OrderStatus::PartCancelled : OrderStatus::Cancelled;
    rsp.OrderStatus = o->status;
    rsp.CancelVolume = cancelled;
    answer(s, RspCancelOrder, req, rsp, Refusal::None);
    sendOrderReturn(s.account, s.exchange, *o, req, msOfDay(), cancelled);
}

}  // namespace qeto::sim
