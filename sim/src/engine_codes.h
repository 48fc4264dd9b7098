// The counter's codes by name: one-byte codes as the records carry them, refusal ids as the
// ErrorID of the answers. Records keep plain chars and numbers, so these are named constants.
#ifndef QETO_SIM_ENGINE_CODES_H
#define QETO_SIM_ENGINE_CODES_H

#include <cstdint>

namespace qeto::sim {

// Order statuses this counter reaches.
struct OrderStatus {
    static constexpr char Reported = '2';       // accepted, nothing traded yet
    static constexpr char PartCancelled = '5';  // partly filled, the rest cancelled
    static constexpr char Cancelled = '6';
    static constexpr char PartFilled = '7';
    static constexpr char Filled = '8';
    static constexpr char Rejected = '9';
};

struct Side {
    static constexpr char Buy = '1';
    static constexpr char Sell = '2';
};

struct PriceType {
    static constexpr char Limit = '2';  // the only type accepted
};

// ExchangeCode of a login request.
struct ExchangeCode {
    static constexpr char Shanghai = '1';
    static constexpr char Shenzhen = '2';
};

// Direction of a deposit/withdrawal record.
struct CashDirection {
    static constexpr char None = '0';  // the one unit answered when there are no records
    static constexpr char Deposit = '1';
    static constexpr char Withdrawal = '2';
};

struct TransferDirection {
    static constexpr char ShanghaiToShenzhen = '1';
    static constexpr char ShenzhenToShanghai = '2';
};

struct TransferStatus {
    static constexpr char Received = '1';  // refused at once
    static constexpr char OutSent = '2';   // accepted, money moves after the return delay
    static constexpr char Finished = '6';
};

// Refusal ids; their texts are in the engine's error table.
enum class Refusal : uint16_t {
    None = 0,
    BadCredentials = 1001,
    BadExchange = 1002,
    NoTerminalInfo = 1003,
    BadBranchOrApp = 1004,
    NotLoggedIn = 1005,
    UnknownSecurity = 2001,
    BadPrice = 2002,
    BadVolume = 2003,
    NoFunds = 2004,
    NoShares = 2005,
    OrderNotFound = 2006,
    OrderClosed = 2007,
    BadAmount = 3001,
    NotWithdrawable = 3002,
    TransferShort = 3003,
    OldPasswordWrong = 4001,
    NewPasswordRefused = 4002,
    NoRecord = 5001,
};

constexpr uint16_t idOf(Refusal r) { return static_cast<uint16_t>(r); }

}  // namespace qeto::sim

#endif
