// Accounts of the simulated counter: each has a Shanghai and a Shenzhen counter with its own
// funds, positions, orders, trades and deposit/withdrawal records.
#ifndef QETO_SIM_ACCOUNTS_H
#define QETO_SIM_ACCOUNTS_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "money.h"

namespace qeto::sim {

struct Position {
    uint32_t yesterday = 0;
    uint32_t todayBuy = 0;
    uint32_t todaySell = 0;
    uint32_t frozenSell = 0;  // shares held by open sell orders
    Cents costAmount = 0;     // money paid for what is held, fees included

    // Shares bought today become sellable only tomorrow.
    uint32_t available() const { return yesterday - todaySell - frozenSell; }
    uint32_t total() const { return yesterday + todayBuy - todaySell; }
};

struct Order {
    uint32_t sysId = 0;
    uint32_t userLocalId = 0;
    std::string code;
    char direction = '1';
    double price = 0;           // as asked: the records echo it
    PriceUnits priceUnits = 0;  // the same once checked, for the money
    uint32_t volume = 0;
    uint32_t traded = 0;
    Cents tradeAmount = 0;
    char status = '2';
    int insertMs = 0;
    uint16_t errorCode = 0;
    uint8_t securityType = 1;
    // Money still frozen for a buy; fees already taken from the frozen fee.
    Cents frozenCash = 0;
    Cents frozenFee = 0;
    Cents feeCharged = 0;
    int32_t requestId = 0;
    bool fillPending = false;

    uint32_t leaves() const { return volume - traded; }
    bool open() const { return status == '2' || status == '7'; }
};

struct Trade {
    uint32_t orderSysId = 0;
    uint32_t tradeId = 0;
    std::string code;
    char direction = '1';
    double price = 0;
    uint32_t volume = 0;
    uint32_t leaves = 0;  // the order's untraded quantity after this trade
    int timeMs = 0;
};

struct CashRecord {
    Cents amount = 0;
    char direction = '1';  // '1' deposit, '2' withdrawal
    std::string operTime;  // yyyy-MM-dd hh:mm:ss
};

struct Counter {
    std::string loginCode;
    Cents available = 0;
    Cents frozenCash = 0;
    Cents frozenFee = 0;
    Cents fees = 0;
    Cents todayBuyAmount = 0;
    Cents todaySellAmount = 0;
    Cents startWithdrawable = 0;
    Cents unsettled = 0;  // today's net sale proceeds: usable for buying, not withdrawable
    std::map<std::string, Position> positions;
    std::vector<Order> orders;
    std::unordered_map<uint32_t, std::size_t> orderIndex;
    std::vector<Trade> trades;
    std::vector<CashRecord> cashRecords;
    uint32_t maxUserLocalId = 0;

    Cents withdrawable() const;
    Order *findOrder(uint32_t sysId);
};

struct TransferRecord {
    uint32_t id = 0;
    Cents amount = 0;
    char direction = '1';  // '1' Shanghai -> Shenzhen, '2' Shenzhen -> Shanghai
    int timeMs = 0;
    uint32_t errorCode = 0;
    char status = '1';
};

struct Account {
    std::string id;
    std::string password;
    std::string branch;
    std::string appId;
    Counter counters[2];  // indexed by Exchange
    std::vector<TransferRecord> transfers;
};

using AccountList = std::vector<std::unique_ptr<Account>>;

// The built-in demo accounts.
AccountList demoAccounts();

// Reads an accounts file (format in sim/README.md). On failure returns false with a message.
bool loadAccounts(const std::string &path, AccountList *out, std::string *error);

}  // namespace qeto::sim

#endif
