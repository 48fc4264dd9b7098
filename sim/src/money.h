// Money inside the counter: whole cents, prices in 1/10,000 yuan, so that sums and comparisons
// are exact. Records carry doubles; the conversions happen only where a record is read or filled.
#ifndef QETO_SIM_MONEY_H
#define QETO_SIM_MONEY_H

#include <cstdint>
#include <optional>

namespace qeto::sim {

using Cents = int64_t;
using PriceUnits = int64_t;  // 1/10,000 yuan

constexpr PriceUnits kUnitsPerCent = 100;
constexpr PriceUnits kUnitsPerYuan = 10000;
// The largest amount a request or an accounts file may name, and the most a counter may hold:
// far above any real balance, far below where int64 cents overflow.
constexpr Cents kMaxAmount = 100000000000000;      // 1e12 yuan
constexpr Cents kMaxBalance = 100000000000000000;  // 1e15 yuan

// The fee rule: commission 0.025% of the traded amount, at least 5.00, plus 0.05% stamp duty on sells.
constexpr int64_t kCommissionPer100k = 25;
constexpr Cents kMinCommission = 500;
constexpr int64_t kStampDutyPer10k = 5;
constexpr double kCommissionRate = static_cast<double>(kCommissionPer100k) / 100000.0;

// Fee of one order's traded amount so far.
Cents tradeFeeCents(Cents amount, char direction);
// The same in yuan, for callers that hold record figures.
double tradeFee(double amount, char direction);

// n / d to the nearest integer, halves away from zero; d > 0.
constexpr int64_t divRound(int64_t n, int64_t d) { return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d); }
// value × num / den to the nearest, halves away from zero, without overflow; num ≤ den.
int64_t scaleRound(int64_t value, uint32_t num, uint32_t den);

// Yuan from a request or a file, to the nearest cent; none when it is not a finite amount
// of at most a thousand times kMaxAmount either way.
std::optional<Cents> centsOf(double yuan);
inline double yuanOf(Cents c) { return static_cast<double>(c) / 100.0; }

// A price the market holds (finite, on its tick).
PriceUnits unitsOf(double price);
// A price from a request: none unless it lies within a millionth of a 1/10,000 step.
std::optional<PriceUnits> requestedUnitsOf(double price);
// Price × quantity to the nearest cent.
inline Cents amountOf(PriceUnits price, uint32_t qty) { return divRound(price * qty, kUnitsPerCent); }

}  // namespace qeto::sim

#endif
