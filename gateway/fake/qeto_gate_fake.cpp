#include "qeto_gate_fake.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

namespace qeto {
namespace fake {
namespace {

struct State {
    std::mutex mutex;
    std::vector<Call> calls;
    std::map<std::string, int> results;
    std::map<std::string, std::function<void(const Call &)>> handlers;
    SpiCallbackTable table{};
    bool hasTable = false;
    std::string version = "qeto-gate-fake 1.0";
};

State &state() {
    static State s;
    return s;
}

template <typename T>
std::vector<unsigned char> bytesOf(const T *p) {
    if (!p) return {};
    const auto *b = reinterpret_cast<const unsigned char *>(p);
    return std::vector<unsigned char>(b, b + sizeof(T));
}

// Records the call, runs the test's handler outside the lock and returns the set result.
int record(Call call) {
    State &s = state();
    std::function<void(const Call &)> handler;
    int result = 0;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.calls.push_back(call);
        auto r = s.results.find(call.function);
        if (r != s.results.end()) result = r->second;
        auto h = s.handlers.find(call.function);
        if (h != s.handlers.end()) handler = h->second;
    }
    if (handler) handler(call);
    return result;
}

template <typename T>
int recordRequest(const char *name, T *pReq, uint32_t session, int requestId, int entryNo) {
    Call c;
    c.function = name;
    c.record = bytesOf(pReq);
    c.nullRecord = pReq == nullptr;
    c.sessionId = session;
    c.requestId = requestId;
    c.entryNo = entryNo;
    return record(std::move(c));
}

constexpr size_t kOpaqueSize = 128;

}  // namespace

void reset() {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.calls.clear();
    s.results.clear();
    s.handlers.clear();
    s.table = SpiCallbackTable{};
    s.hasTable = false;
    s.version = "qeto-gate-fake 1.0";
}

void setResult(const std::string &function, int result) {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.results[function] = result;
}

void setHandler(const std::string &function, std::function<void(const Call &)> handler) {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (handler)
        s.handlers[function] = std::move(handler);
    else
        s.handlers.erase(function);
}

std::vector<Call> calls() {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.calls;
}

std::vector<Call> callsOf(const std::string &function) {
    std::vector<Call> out;
    for (Call &c : calls())
        if (c.function == function) out.push_back(std::move(c));
    return out;
}

int countOf(const std::string &function) {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return static_cast<int>(
        std::count_if(s.calls.begin(), s.calls.end(), [&](const Call &c) { return c.function == function; }));
}

std::vector<std::string> callNames() {
    std::vector<std::string> out;
    for (const Call &c : calls()) out.push_back(c.function);
    return out;
}

bool hasTable() {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.hasTable;
}

SpiCallbackTable table() {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.table;
}

void fireOnThread(const std::function<void(const SpiCallbackTable &)> &fn) {
    const SpiCallbackTable t = table();
    std::thread worker([&fn, t] { fn(t); });
    worker.join();
}

void setVersion(const std::string &text) {
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.version = text;
}

}  // namespace fake
}  // namespace qeto

using qeto::fake::Call;

extern "C" {

int createTraderApi(int nEntryNo) {
    Call c;
    c.function = "createTraderApi";
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int registerSpi(SpiCallbackTable table, int nEntryNo) {
    {
        auto &s = qeto::fake::state();
        std::lock_guard<std::mutex> lock(s.mutex);
        s.table = table;
        s.hasTable = true;
    }
    Call c;
    c.function = "registerSpi";
    c.record = qeto::fake::bytesOf(&table);
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int startApi(GatewayStartApiField *pStart, int nEntryNo) {
    Call c;
    c.function = "startApi";
    c.record = qeto::fake::bytesOf(pStart);
    c.nullRecord = pStart == nullptr;
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int stopApi(int nEntryNo) {
    Call c;
    c.function = "stopApi";
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int release(int nEntryNo) {
    Call c;
    c.function = "release";
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int getVersion(char *pszVersion, int nLen) {
    Call c;
    c.function = "getVersion";
    c.length = nLen;
    std::string text;
    {
        auto &s = qeto::fake::state();
        std::lock_guard<std::mutex> lock(s.mutex);
        text = s.version;
    }
    if (pszVersion && nLen > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(nLen - 1));
        std::memcpy(pszVersion, text.data(), n);
        pszVersion[n] = '\0';
    }
    return qeto::fake::record(std::move(c));
}

int reqLogin(GatewayUserReqLoginField *pLogin, GatewayTerminalInfoField *pTerminal, int nRequestID, int nEntryNo) {
    Call c;
    c.function = "reqLogin";
    c.record = qeto::fake::bytesOf(pLogin);
    c.nullRecord = pLogin == nullptr;
    c.extra = qeto::fake::bytesOf(pTerminal);
    c.requestId = nRequestID;
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int reqLogout(CQetoReqUserLogoutField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return qeto::fake::recordRequest("reqLogout", pReq, nSessionID, nRequestID, nEntryNo);
}

int reqInsertOrder(CQetoReqOrderInsertField *pReq, unsigned char *pOpaque, uint32_t nSessionID, int nRequestID,
                   int nEntryNo) {
    Call c;
    c.function = "reqInsertOrder";
    c.record = qeto::fake::bytesOf(pReq);
    c.nullRecord = pReq == nullptr;
    if (pOpaque) c.extra.assign(pOpaque, pOpaque + qeto::fake::kOpaqueSize);
    c.sessionId = nSessionID;
    c.requestId = nRequestID;
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

int reqCancelOrder(CQetoReqOrderActionField *pReq, unsigned char *pOpaque, uint32_t nSessionID, int nRequestID,
                   int nEntryNo) {
    Call c;
    c.function = "reqCancelOrder";
    c.record = qeto::fake::bytesOf(pReq);
    c.nullRecord = pReq == nullptr;
    if (pOpaque) c.extra.assign(pOpaque, pOpaque + qeto::fake::kOpaqueSize);
    c.sessionId = nSessionID;
    c.requestId = nRequestID;
    c.entryNo = nEntryNo;
    return qeto::fake::record(std::move(c));
}

#define QETO_FAKE_REQUEST(Name, Record)                                                  \
    int Name(Record *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {          \
        return qeto::fake::recordRequest(#Name, pReq, nSessionID, nRequestID, nEntryNo); \
    }

QETO_FAKE_REQUEST(reqQryOrder, CQetoReqQryOrderField)
QETO_FAKE_REQUEST(reqQryTrade, CQetoReqQryTradeField)
QETO_FAKE_REQUEST(reqQryPosition, CQetoReqQryStockPositionField)
QETO_FAKE_REQUEST(reqQryFund, CQetoReqQryStockClientAccountField)
QETO_FAKE_REQUEST(reqUpdatePwd, CQetoReqUserPasswordUpdateField)
QETO_FAKE_REQUEST(reqInFund, CQetoReqCapTransferField)
QETO_FAKE_REQUEST(reqOutFund, CQetoReqCapTransferField)
QETO_FAKE_REQUEST(reqQryInOutFundRecord, CQetoReqQryCapTransferRecordField)
QETO_FAKE_REQUEST(reqBTFundTransfer, CQetoReqBTCapTransferManagerField)
QETO_FAKE_REQUEST(reqQryBTFundTransferRecord, CQetoReqQryBTCapTransferManagerField)
QETO_FAKE_REQUEST(reqQryRate, CQetoReqQryStockFeeField)
QETO_FAKE_REQUEST(reqQryRightsAndInterests, CQetoReqQryStockQuotaField)
QETO_FAKE_REQUEST(reqQryInvestorInfo, CQetoReqQryInvestorInfoField)
QETO_FAKE_REQUEST(reqQrySecurities, CQetoReqQryStockSecuritiesField)

#undef QETO_FAKE_REQUEST

}  // extern "C"
