#include "money.h"

#include <algorithm>
#include <cmath>

#include "engine_codes.h"

namespace qeto::sim {

Cents tradeFeeCents(Cents amount, char direction) {
    if (amount <= 0) return 0;
    Cents fee = std::max(kMinCommission, divRound(amount * kCommissionPer100k, 100000));
    if (direction == Side::Sell) fee += divRound(amount * kStampDutyPer10k, 10000);
    return fee;
}

double tradeFee(double amount, char direction) { return yuanOf(tradeFeeCents(centsOf(amount).value_or(0), direction)); }

int64_t scaleRound(int64_t value, uint32_t num, uint32_t den) {
    // Split so that no product passes 64 bits: the remainder is below den, and num ≤ den < 2^32.
    const uint64_t m = value >= 0 ? static_cast<uint64_t>(value) : 0 - static_cast<uint64_t>(value);
    const uint64_t q = m / den, r = m % den;
    const uint64_t scaled = q * num + (r * num + den / 2) / den;
    return value >= 0 ? static_cast<int64_t>(scaled) : -static_cast<int64_t>(scaled);
}

std::optional<Cents> centsOf(double yuan) {
    const double cents = yuan * 100.0;
    if (!std::isfinite(cents) || std::fabs(cents) > 1000.0 * static_cast<double>(kMaxAmount)) return std::nullopt;
    return static_cast<Cents>(std::llround(cents));
}

PriceUnits unitsOf(double price) { return std::llround(price * kUnitsPerYuan); }

std::optional<PriceUnits> requestedUnitsOf(double price) {
    const double units = price * kUnitsPerYuan;
    if (!std::isfinite(units) || std::fabs(units) > 1e15) return std::nullopt;
    const PriceUnits rounded = std::llround(units);
    if (std::fabs(static_cast<double>(rounded) / kUnitsPerYuan - price) > 1e-6) return std::nullopt;
    return rounded;
}

}  // namespace qeto::sim
