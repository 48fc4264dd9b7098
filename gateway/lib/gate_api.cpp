// Exported C functions: the instance table and the request functions.
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "gate_params.h"
#include "gate_session.h"
#include "qeto_gate_api.h"
#include "qeto_wire.h"

using namespace qeto::gate;
namespace wire = qeto::wire;

namespace {

constexpr int kMaxEntries = 16;
constexpr const char *kVersion = "QetoGateAPI 1.0.0 (sim)";

// startApi results
constexpr int kStartBadArgument = -2;
constexpr int kStartUnreadable = -3;
constexpr int kStartNoUrl = -4;
constexpr int kStartAlreadyStarted = -5;
constexpr int kStartNoThread = -6;

struct Instance {
    std::mutex mu;
    std::shared_ptr<SpiHolder> spi = std::make_shared<SpiHolder>();
    std::shared_ptr<Session> session;
    bool released = false;

    std::shared_ptr<Session> current() {
        std::lock_guard<std::mutex> lock(mu);
        return session;
    }

    void stop(bool release) {
        std::shared_ptr<Session> s;
        {
            std::lock_guard<std::mutex> lock(mu);
            s.swap(session);
            if (release) released = true;
        }
        if (s) s->shutdown();
    }
};

std::mutex gMu;
std::array<std::shared_ptr<Instance>, kMaxEntries> gInstances;

std::shared_ptr<Instance> find(int entry) {
    if (entry < 0 || entry >= kMaxEntries) return nullptr;
    std::lock_guard<std::mutex> lock(gMu);
    return gInstances[static_cast<size_t>(entry)];
}

int send(int entry, uint16_t type, uint32_t sessionId, int requestId, const void *a, size_t na, const void *b = nullptr,
         size_t nb = 0, bool needLogin = true) {
    const auto inst = find(entry);
    if (!inst) return kNoInstance;
    if (!a || (nb && !b)) return kBadArgument;
    const auto s = inst->current();
    if (!s) return kNotConnected;
    return s->enqueue(type, sessionId, requestId, a, na, b, nb, needLogin);
}

template <class R>
int sendRecord(int entry, uint16_t type, uint32_t sessionId, int requestId, const R *rec) {
    return send(entry, type, sessionId, requestId, rec, rec ? sizeof(R) : 0);
}

}  // namespace

extern "C" {

int createTraderApi(int nEntryNo) {
    if (nEntryNo < 0 || nEntryNo >= kMaxEntries) return -1;
    std::lock_guard<std::mutex> lock(gMu);
    auto &slot = gInstances[static_cast<size_t>(nEntryNo)];
    if (slot) return -2;
    slot = std::make_shared<Instance>();
    return 0;
}

int registerSpi(SpiCallbackTable table, int nEntryNo) {
    const auto inst = find(nEntryNo);
    if (!inst) return kNoInstance;
    std::lock_guard<std::mutex> lock(inst->spi->mu);
    inst->spi->table = table;
    return 0;
}

int startApi(GatewayStartApiField *pStart, int nEntryNo) {
    const auto inst = find(nEntryNo);
    if (!inst) return kNoInstance;
    if (!pStart) return kStartBadArgument;
    // The path need not be terminated inside its field.
    const std::string path(pStart->ConfigFilePath, strnlen(pStart->ConfigFilePath, sizeof pStart->ConfigFilePath));
    GateParams params;
    switch (loadGateParams(path, params)) {
        case ParamsResult::Unreadable:
            return kStartUnreadable;
        case ParamsResult::NoUsableUrl:
            return kStartNoUrl;
        case ParamsResult::Ok:
            break;
    }
    std::lock_guard<std::mutex> lock(inst->mu);
    if (inst->released) return kNoInstance;
    if (inst->session) return kStartAlreadyStarted;
    auto s = std::make_shared<Session>(std::move(params), inst->spi);
    if (!Session::launch(s)) return kStartNoThread;
    inst->session = std::move(s);
    return 0;
}

int stopApi(int nEntryNo) {
    const auto inst = find(nEntryNo);
    if (!inst) return kNoInstance;
    inst->stop(false);
    return 0;
}

int release(int nEntryNo) {
    if (nEntryNo < 0 || nEntryNo >= kMaxEntries) return kNoInstance;
    std::shared_ptr<Instance> inst;
    {
        std::lock_guard<std::mutex> lock(gMu);
        inst.swap(gInstances[static_cast<size_t>(nEntryNo)]);
    }
    if (inst) inst->stop(true);
    return 0;
}

int getVersion(char *pszVersion, int nLen) {
    if (!pszVersion || nLen <= 0) return -1;
    std::snprintf(pszVersion, static_cast<size_t>(nLen), "%s", kVersion);
    return 0;
}

int reqLogin(GatewayUserReqLoginField *pLogin, GatewayTerminalInfoField *pTerminal, int nRequestID, int nEntryNo) {
    if (!pTerminal) return find(nEntryNo) ? kBadArgument : kNoInstance;
    return send(nEntryNo, wire::ReqLogin, 0, nRequestID, pLogin, pLogin ? sizeof *pLogin : 0, pTerminal,
                sizeof *pTerminal, false);
}

int reqLogout(CQetoReqUserLogoutField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqLogout, nSessionID, nRequestID, pReq);
}

int reqInsertOrder(CQetoReqOrderInsertField *pReq, unsigned char *, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqInsertOrder, nSessionID, nRequestID, pReq);
}

int reqCancelOrder(CQetoReqOrderActionField *pReq, unsigned char *, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqCancelOrder, nSessionID, nRequestID, pReq);
}

int reqQryOrder(CQetoReqQryOrderField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryOrder, nSessionID, nRequestID, pReq);
}

int reqQryTrade(CQetoReqQryTradeField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryTrade, nSessionID, nRequestID, pReq);
}

int reqQryPosition(CQetoReqQryStockPositionField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryPosition, nSessionID, nRequestID, pReq);
}

int reqQryFund(CQetoReqQryStockClientAccountField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryFund, nSessionID, nRequestID, pReq);
}

int reqUpdatePwd(CQetoReqUserPasswordUpdateField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqUpdatePwd, nSessionID, nRequestID, pReq);
}

int reqInFund(CQetoReqCapTransferField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqInFund, nSessionID, nRequestID, pReq);
}

int reqOutFund(CQetoReqCapTransferField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqOutFund, nSessionID, nRequestID, pReq);
}

int reqQryInOutFundRecord(CQetoReqQryCapTransferRecordField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryInOutFundRecord, nSessionID, nRequestID, pReq);
}

int reqBTFundTransfer(CQetoReqBTCapTransferManagerField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqBTFundTransfer, nSessionID, nRequestID, pReq);
}

int reqQryBTFundTransferRecord(CQetoReqQryBTCapTransferManagerField *pReq, uint32_t nSessionID, int nRequestID,
                               int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryBTFundTransferRecord, nSessionID, nRequestID, pReq);
}

int reqQryRate(CQetoReqQryStockFeeField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryRate, nSessionID, nRequestID, pReq);
}

int reqQryRightsAndInterests(CQetoReqQryStockQuotaField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryRightsAndInterests, nSessionID, nRequestID, pReq);
}

int reqQryInvestorInfo(CQetoReqQryInvestorInfoField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQryInvestorInfo, nSessionID, nRequestID, pReq);
}

int reqQrySecurities(CQetoReqQryStockSecuritiesField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo) {
    return sendRecord(nEntryNo, wire::ReqQrySecurities, nSessionID, nRequestID, pReq);
}

}  // extern "C"
