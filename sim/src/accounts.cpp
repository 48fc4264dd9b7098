#include "accounts.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "qeto_demo_accounts.h"

namespace qeto::sim {

Cents Counter::withdrawable() const { return std::max<Cents>(0, available - unsettled); }

Order *Counter::findOrder(uint32_t sysId) {
    auto it = orderIndex.find(sysId);
    return it == orderIndex.end() ? nullptr : &orders[it->second];
}

// False when the amount is not one a counter can hold.
static bool setCash(Counter &c, const std::string &code, double cash) {
    const std::optional<Cents> cents = centsOf(cash);
    if (!cents || *cents < 0 || *cents > kMaxBalance) return false;
    c.loginCode = code;
    c.available = *cents;
    c.startWithdrawable = *cents;
    return true;
}

static bool hold(Counter &c, const std::string &code, uint32_t qty, double cost) {
    const std::optional<Cents> amount = centsOf(cost * qty);
    if (!amount) return false;
    Position &p = c.positions[code];
    p.yesterday = qty;
    p.costAmount = *amount;
    return true;
}

AccountList demoAccounts() {
    AccountList list;
    auto a = std::make_unique<Account>();
    a->id = demo::kAccount;
    a->password = demo::kPassword;
    a->branch = demo::kBranch;
    a->appId = demo::kAppId;
    setCash(a->counters[0], "SH01", 1000000.00);
    hold(a->counters[0], "600000", 10000, 9.80);
    hold(a->counters[0], "601318", 5000, 42.15);
    setCash(a->counters[1], "SZ01", 1000000.00);
    hold(a->counters[1], "000001", 20000, 10.65);
    hold(a->counters[1], "300750", 1000, 175.30);
    list.push_back(std::move(a));

    auto b = std::make_unique<Account>();
    b->id = demo::kSecondAccount;
    b->password = demo::kSecondPassword;
    b->branch = demo::kBranch;
    b->appId = demo::kAppId;
    setCash(b->counters[0], "SH01", 500000.00);
    hold(b->counters[0], "600000", 1000, 10.10);
    setCash(b->counters[1], "SZ01", 500000.00);
    hold(b->counters[1], "000001", 1000, 11.00);
    list.push_back(std::move(b));
    return list;
}

bool loadAccounts(const std::string &path, AccountList *out, std::string *error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    AccountList list;
    Counter *counter = nullptr;
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string &why) {
        *error = path + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        const auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind)) continue;
        if (kind == "account") {
            auto a = std::make_unique<Account>();
            if (!(words >> a->id >> a->password >> a->branch >> a->appId))
                return fail("account <id> <password> <branch> <appid>");
            if (a->id.size() > 15 || a->password.size() > 10)
                return fail("account id longer than 15 or password longer than 10");
            a->counters[0].loginCode = "SH01";
            a->counters[1].loginCode = "SZ01";
            list.push_back(std::move(a));
            counter = nullptr;
        } else if (kind == "counter") {
            int exch = 0;
            std::string code;
            double cash = 0;
            if (list.empty()) return fail("counter before any account");
            if (!(words >> exch >> code >> cash) || (exch != 1 && exch != 2) ||
                !setCash(list.back()->counters[exch - 1], code, cash))
                return fail("counter <1|2> <login code> <cash>");
            counter = &list.back()->counters[exch - 1];
        } else if (kind == "position") {
            std::string code;
            long qty = 0;
            double cost = 0;
            if (!counter) return fail("position before any counter");
            if (!(words >> code >> qty) || code.size() != 6 || qty < 0)
                return fail("position <code> <quantity> [cost]");
            words >> cost;
            if (!hold(*counter, code, static_cast<uint32_t>(qty), cost))
                return fail("position <code> <quantity> [cost]");
        } else {
            return fail("unknown line kind '" + kind + "'");
        }
    }
    if (list.empty()) return fail("no account");
    *out = std::move(list);
    return true;
}

}  // namespace qeto::sim
