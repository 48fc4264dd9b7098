// Money and password: deposits, withdrawals, Shanghai–Shenzhen transfers and the password change.
#include <algorithm>

#include "engine_internal.h"

namespace qeto::sim {

using namespace qeto::wire;

namespace {

// Exactly 10 characters with a lower-case letter, an upper-case letter, a digit and something else.
bool passwordRulesMet(const std::string &pwd) {
    if (pwd.size() != 10) return false;
    bool lower = false, upper = false, digit = false, special = false;
    for (char ch : pwd) {
        if (ch >= 'a' && ch <= 'z')
            lower = true;
        else if (ch >= 'A' && ch <= 'Z')
            upper = true;
        else if (ch >= '0' && ch <= '9')
            digit = true;
        else
            special = true;
    }
    return lower && upper && digit && special;
}

bool validAmount(const std::optional<Cents> &amount) { return amount && *amount > 0 && *amount <= kMaxAmount; }

Exchange sourceOf(char direction) { return direction == TransferDirection::ShanghaiToShenzhen ? Shanghai : Shenzhen; }

Exchange targetOf(char direction) { return direction == TransferDirection::ShanghaiToShenzhen ? Shenzhen : Shanghai; }

}  // namespace

void Engine::updatePassword(Session &s, int32_t req, const CQetoReqUserPasswordUpdateField &r) {
    CQetoRspUserPasswordUpdateField rsp;
    std::memcpy(&rsp, &r, sizeof rsp);
    const std::string oldPwd = getText(r.OldPassword);
    const std::string newPwd = getText(r.NewPassword);
    Refusal error = Refusal::None;
    if (oldPwd != s.account->password)
        error = Refusal::OldPasswordWrong;
    else if (newPwd == oldPwd || !passwordRulesMet(newPwd))
        error = Refusal::NewPasswordRefused;
    else
        s.account->password = newPwd;
    answer(s, RspUpdatePwd, req, rsp, error);
}

void Engine::deposit(Session &s, int32_t req, const CQetoReqCapTransferField &r) { cashTransfer(s, req, r, true); }

void Engine::withdraw(Session &s, int32_t req, const CQetoReqCapTransferField &r) { cashTransfer(s, req, r, false); }

void Engine::cashTransfer(Session &s, int32_t req, const CQetoReqCapTransferField &r, bool deposit) {
    Counter &c = s.account->counters[s.exchange];
    CQetoRspCapTransferField rsp;
    zero(rsp);
    std::memcpy(rsp.AccountID, r.AccountID, sizeof rsp.AccountID);
    rsp.Amount = r.Amount;
    const std::optional<Cents> amount = centsOf(r.Amount);
    Refusal error = Refusal::None;
    // A balance past kMaxBalance is refused rather than let the cents overflow.
    if (!validAmount(amount) || (deposit && *amount > kMaxBalance - c.available))
        error = Refusal::BadAmount;
    else if (!deposit && *amount > c.withdrawable())
        error = Refusal::NotWithdrawable;
    if (error == Refusal::None) {
        c.available += deposit ? *amount : -*amount;
        CashRecord rec;
        rec.amount = *amount;
        rec.direction = deposit ? CashDirection::Deposit : CashDirection::Withdrawal;
        rec.operTime = dateTimeText();
        c.cashRecords.push_back(rec);
    }
    rsp.ErrorCode = idOf(error);
    answer(s, deposit ? RspInFund : RspOutFund, req, rsp, error);
}

// First phase: answered at once; the money moves after the return delay.
void Engine::btTransfer(Session &s, int32_t req, const CQetoReqBTCapTransferManagerField &r) {
    Account *a = s.account;
    CQetoRspBTCapTransferManagerField rsp;
    zero(rsp);
    putText(rsp.LoginRspCode, a->counters[s.exchange].loginCode);
    putText(rsp.AccountID, a->id);
    rsp.Amount = r.Amount;
    rsp.Direction = r.Direction;

    TransferRecord rec;
    rec.id = mNextTransferId++;
    const std::optional<Cents> amount = centsOf(r.Amount);
    rec.amount = amount.value_or(0);
    rec.direction = r.Direction;
    rec.timeMs = msOfDay();
    rsp.TransferID = rec.id;

    Refusal error = Refusal::None;
    if (!validAmount(amount) ||
        (r.Direction != TransferDirection::ShanghaiToShenzhen && r.Direction != TransferDirection::ShenzhenToShanghai))
        error = Refusal::BadAmount;
    else if (rec.amount > a->counters[sourceOf(r.Direction)].withdrawable())
        error = Refusal::TransferShort;
    rec.errorCode = idOf(error);
    rec.status = error != Refusal::None ? TransferStatus::Received : TransferStatus::OutSent;
    a->transfers.push_back(rec);
    answer(s, RspBTFundTransfer, req, rsp, error);
    if (error != Refusal::None) return;
    const uint32_t id = rec.id;
    mSchedule(mOptions.rtnDelayMs, [this, a, id, req] { completeBtTransfer(a, id, req); });
}

// Second phase: moves the money and tells every session of the account, on both counters.
void Engine::completeBtTransfer(Account *a, uint32_t transferId, int32_t req) {
    auto it = std::find_if(a->transfers.begin(), a->transfers.end(),
                           [&](const TransferRecord &t) { return t.id == transferId; });
    if (it == a->transfers.end()) return;
    Counter &from = a->counters[sourceOf(it->direction)];
    Counter &to = a->counters[targetOf(it->direction)];
    // Funds may have been spent between the two phases.
    Refusal error = Refusal::None;
    if (it->amount > from.withdrawable()) {
        error = Refusal::TransferShort;
        it->errorCode = idOf(error);
    } else {
        from.available -= it->amount;
        to.available += it->amount;
    }
    it->status = TransferStatus::Finished;
    CQetoRtnBtCapTransferManagerField rtn;
    zero(rtn);
    putText(rtn.AccountID, a->id);
    rtn.Amount = yuanOf(it->amount);
    rtn.Direction = it->direction;
    rtn.TransferID = it->id;
    rtn.TransferStatus = it->status;
    rtn.ErrorCode = it->errorCode;
    for (auto &[id, s] : mSessions) {
        if (s.account != a) continue;
        putText(rtn.LoginRspCode, a->counters[s.exchange].loginCode);
        answer(s, RtnBTFundTransfer, req, rtn, error);
    }
}

}  // namespace qeto::sim
