// Queries: orders, trades and securities in pages; positions, funds, money records and the
// answers the client never asks for.
#include <algorithm>

#include "engine_internal.h"

namespace qeto::sim {

using namespace qeto::wire;

namespace {

// Order numbers fill their whole field, zero-padded on the left, as a counter's do: the field
// has no terminator, so a shorter text would leave NUL padding for the client to show.
template <std::size_t N>
void putOrderNo(char (&field)[N], uint32_t value) {
    static_assert(N >= 10, "every 32-bit number fits");
    for (std::size_t i = N; i-- > 0; value /= 10) field[i] = static_cast<char>('0' + value % 10);
}

// One answer batch of a paged query: up to `batch` wanted items from `position` on; each record
// carries the position after it, and the last one says whether wanted items remain.
template <class Field, class Item, class Wanted, class Fill>
std::vector<Field> pageOf(const std::vector<Item> &items, int32_t position, int batch, Wanted wanted, Fill fill) {
    std::vector<Field> out;
    std::size_t i = position > 0 ? static_cast<std::size_t>(position) : 0;
    out.reserve(std::min(static_cast<std::size_t>(batch), items.size() - std::min(i, items.size())));
    for (; i < items.size() && out.size() < static_cast<std::size_t>(batch); ++i) {
        if (!wanted(items[i])) continue;
        out.push_back(fill(items[i]));
        out.back().Position = static_cast<int32_t>(i + 1);
    }
    if (!out.empty()) {
        const auto from = items.begin() + static_cast<std::ptrdiff_t>(std::min(i, items.size()));
        out.back().MoreData = std::any_of(from, items.end(), wanted) ? 1 : 0;
    }
    return out;
}

CQetoRspQryOrderField orderRecord(const Order &o) {
    CQetoRspQryOrderField f;
    putOrderFields(f, o);
    putText(f.InsertTime, timeText(o.insertMs));
    f.TradeVolume = o.traded;
    f.LeavesVolume = o.leaves();
    f.NodeNo = 1;
    putOrderNo(f.OrderNo, o.sysId);
    f.SecurityType = o.securityType;
    f.TradeAmount = yuanOf(o.tradeAmount);
    return f;
}

CQetoRspQryTradeField tradeRecord(const Trade &t) {
    CQetoRspQryTradeField f;
    zero(f);
    f.OrderSysID = t.orderSysId;
    f.TradeID = t.tradeId;
    f.TradeVolume = static_cast<int32_t>(t.volume);
    f.LeavesVolume = static_cast<int32_t>(t.leaves);
    putText(f.SecurityID, t.code);
    putText(f.TradeTime, timeText(t.timeMs));
    f.TradePrice = t.price;
    f.Direction = t.direction;
    putOrderNo(f.OrderNo, t.orderSysId);
    return f;
}

CQetoRspQryStockSecuritiesField securityRecord(const Quote &q) {
    CQetoRspQryStockSecuritiesField f;
    zero(f);
    putText(f.SecurityID, q.code);
    putText(f.SecurityName, utf8Prefix(q.name, sizeof f.SecurityName - 1));
    f.SecurityType = q.securityType;
    f.MaxBuyVolume = kMaxOrderVolume;
    f.MaxSellVolume = kMaxOrderVolume;
    f.MinBuyVolume = 100;
    f.MinSellVolume = 1;
    f.LowerLimitPrice = q.lower;
    f.UpperLimitPrice = q.upper;
    f.RiskLevel = 1;
    return f;
}

// Filter of the order and trade queries: an order number, a code and a time window, each
// left out when empty.
struct RecordFilter {
    uint32_t sysId;
    std::string code;
    int begin;
    int end;

    bool wanted(uint32_t itemSysId, const std::string &itemCode, int timeMs) const {
        return (sysId == 0 || itemSysId == sysId) && (code.empty() || itemCode == code) &&
               (begin < 0 || timeMs >= begin) && (end < 0 || timeMs <= end);
    }
};

template <class Req>
RecordFilter filterOf(const Req &r, std::string code) {
    return {r.OrderSysID, std::move(code), parseTimeText(r.BeginTime), parseTimeText(r.EndTime)};
}

}  // namespace

void Engine::queryOrders(Session &s, int32_t req, const CQetoReqQryOrderField &r) {
    const Counter &c = s.account->counters[s.exchange];
    char code8[8];
    std::memcpy(code8, r.SecurityID, sizeof code8);
    const RecordFilter filter = filterOf(r, getText(code8));
    auto wanted = [&](const Order &o) { return filter.wanted(o.sysId, o.code, o.insertMs); };
    answerList(s, RspQryOrder, req,
               pageOf<CQetoRspQryOrderField>(c.orders, r.Position, mOptions.batch, wanted, orderRecord));
}

void Engine::queryTrades(Session &s, int32_t req, const CQetoReqQryTradeField &r) {
    const Counter &c = s.account->counters[s.exchange];
    const RecordFilter filter = filterOf(r, getText(r.SecurityID));
    auto wanted = [&](const Trade &t) { return filter.wanted(t.orderSysId, t.code, t.timeMs); };
    answerList(s, RspQryTrade, req,
               pageOf<CQetoRspQryTradeField>(c.trades, r.Position, mOptions.batch, wanted, tradeRecord));
}

void Engine::querySecurities(Session &s, int32_t req, const CQetoReqQryStockSecuritiesField &r) {
    const std::string code = getText(r.SecurityID);
    auto wanted = [&](const Quote &q) { return q.exchange == s.exchange && (code.empty() || q.code == code); };
    answerList(
        s, RspQrySecurities, req,
        pageOf<CQetoRspQryStockSecuritiesField>(mMarket.quotes(), r.Position, mOptions.batch, wanted, securityRecord));
}

void Engine::queryPositions(Session &s, int32_t req, const CQetoReqQryStockPositionField &r) {
    const Counter &c = s.account->counters[s.exchange];
    const std::string code = getText(r.SecurityID);
    std::vector<CQetoRspQryStockPositionField> out;
    for (const auto &[posCode, p] : c.positions) {
        if (!code.empty() && posCode != code) continue;
        if (p.yesterday == 0 && p.todayBuy == 0 && p.todaySell == 0) continue;
        CQetoRspQryStockPositionField f;
        zero(f);
        putText(f.AccountID, s.account->id);
        putText(f.SecurityID, posCode);
        f.TodayBuyVolume = p.todayBuy;
        f.TodaySellVolume = p.todaySell;
        f.YesterdayVolume = p.yesterday;
        f.PositionCost = p.total() > 0 ? yuanOf(p.costAmount) / p.total() : 0.0;
        f.AvailableVolume = p.available();
        out.push_back(f);
    }
    answerList(s, RspQryPosition, req, out);
}

void Engine::queryFund(Session &s, int32_t req) {
    const Counter &c = s.account->counters[s.exchange];
    PriceUnits marketValue = 0;
    for (const auto &[code, p] : c.positions)
        if (const Quote *q = mMarket.find(code)) marketValue += unitsOf(q->last) * p.total();
    CQetoRspQryStockClientAccountField f;
    zero(f);
    putText(f.AccountID, s.account->id);
    const Cents onExchange = c.available + c.frozenCash + c.frozenFee;
    f.FrozenCash = yuanOf(c.frozenCash);
    f.FrozenFee = yuanOf(c.frozenFee);
    f.Fee = yuanOf(c.fees);
    f.OnExchangeCash = yuanOf(onExchange);
    f.TotalAsset = yuanOf(onExchange + divRound(marketValue, kUnitsPerCent));
    f.TodaySellAmount = yuanOf(c.todaySellAmount);
    f.TodayBuyAmount = yuanOf(c.todayBuyAmount);
    f.AvailableCash = yuanOf(c.available);
    f.WithdrawableCash = yuanOf(c.withdrawable());
    f.StartWithdrawableCash = yuanOf(c.startWithdrawable);
    answer(s, RspQryFund, req, f, Refusal::None);
}

// Deposit and withdrawal records of the session's counter.
void Engine::queryCashRecords(Session &s, int32_t req) {
    const Counter &c = s.account->counters[s.exchange];
    CQetoRspQryCapTransferRecordField f;
    zero(f);
    putText(f.OrgCode, s.account->branch);
    putText(f.AccountID, s.account->id);
    if (c.cashRecords.empty()) {
        // No records: one unit with direction '0', not an error.
        f.Direction = CashDirection::None;
        answer(s, RspQryInOutFundRecord, req, f, Refusal::None);
        return;
    }
    std::vector<CQetoRspQryCapTransferRecordField> out;
    for (const CashRecord &rec : c.cashRecords) {
        f.Amount = yuanOf(rec.amount);
        f.Direction = rec.direction;
        putText(f.OperTime, rec.operTime);
        out.push_back(f);
    }
    answerList(s, RspQryInOutFundRecord, req, out);
}

// Shanghai–Shenzhen transfers of the account.
void Engine::queryBtRecords(Session &s, int32_t req) {
    std::vector<CQetoRspQryBTCapTransferManagerField> out;
    for (const TransferRecord &t : s.account->transfers) {
        CQetoRspQryBTCapTransferManagerField f;
        zero(f);
        putText(f.LoginRspCode, s.account->counters[s.exchange].loginCode);
        putText(f.OrgCode, s.account->branch);
        putText(f.AccountID, s.account->id);
        f.Amount = yuanOf(t.amount);
        f.Direction = t.direction;
        putText(f.OperTime, timeText(t.timeMs));
        f.ErrorCode = t.errorCode;
        f.TransferStatus = t.status;
        out.push_back(f);
    }
    answerList(s, RspQryBTFundTransferRecord, req, out);
}

// ---------------------------------------------------------------- answers the client never asks for

void Engine::queryRate(Session &s, int32_t req) {
    CQetoRspQryStockFeeField f;
    zero(f);
    f.FeeRate = kCommissionRate;
    f.MinFee = yuanOf(kMinCommission);
    answer(s, RspQryRate, req, f, Refusal::None);
}

void Engine::queryQuota(Session &s, int32_t req) {
    CQetoRspQryStockQuotaField f;
    zero(f);
    putText(f.AccountID, s.account->id);
    f.Quota = 0;
    answer(s, RspQryRightsAndInterests, req, f, Refusal::None);
}

void Engine::queryInvestorInfo(Session &s, int32_t req) {
    CQetoRspQryInvestorInfoField f;
    zero(f);
    putText(f.AccountID, s.account->id);
    putText(f.InvestorName, "模拟投资者" + s.account->id);
    answer(s, RspQryInvestorInfo, req, f, Refusal::None);
}

}  // namespace qeto::sim
