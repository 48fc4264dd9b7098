#include "utils/api_client_utils.h"

#include <QtGlobal>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "utils/record_text.h"
#include "utils/signal_interface.h"

std::atomic<int> ApiClientUtils::CanSendLogin{2};
std::atomic<uint32_t> ApiClientUtils::mAccountSessionId{0};
std::atomic<uint32_t> ApiClientUtils::mMaxUserLocalId{0};
std::atomic<int> ApiClientUtils::mRequestId{0};
int ApiClientUtils::mEntryNo = 0;
QString ApiClientUtils::mAccount;
char ApiClientUtils::mMarket = '0';
SharedText ApiClientUtils::mLoginRspCode;
unsigned char ApiClientUtils::mOpaqueBlock[128] = {};
SpiCallbackTable ApiClientUtils::mSpiTable{};

namespace {

void logInfo(const QString &text) { qInfo("%s", qUtf8Printable(text)); }

void logWarning(const QString &text) { qWarning("%s", qUtf8Printable(text)); }

SignalInterface *hub() { return SignalInterface::instance(); }

}  // namespace

void ApiClientUtils::initSpi() {
    static std::once_flag once;
    std::call_once(once, [] {
        SpiCallbackTable &t = mSpiTable;
        t.onFrontConnect = &ApiClientUtils::onFrontConnect;
        t.onRspLogin = &ApiClientUtils::onRspLogin;
        t.onRspUpdatePwd = &ApiClientUtils::onRspUpdatePwd;
        t.onRspLogout = &ApiClientUtils::onRspLogout;
        t.onFrontDisconnected = &ApiClientUtils::onFrontDisconnected;
        t.onApiMsg = &ApiClientUtils::onApiMsg;
        t.onMsgArrivalStatus = &ApiClientUtils::onMsgArrivalStatus;
        t.onRspInsertOrder = &ApiClientUtils::onRspInsertOrder;
        t.onErrRtnInsertOrder = &ApiClientUtils::onErrRtnInsertOrder;
        t.onRspCancelOrder = &ApiClientUtils::onRspCancelOrder;
        t.onErrRtnCancelOrder = &ApiClientUtils::onErrRtnCancelOrder;
        t.onRtnOrder = &ApiClientUtils::onRtnOrder;
        t.onRtnTrade = &ApiClientUtils::onRtnTrade;
        t.onRspQryOrder = &ApiClientUtils::onRspQryOrder;
        t.onRspQryTrade = &ApiClientUtils::onRspQryTrade;
        t.onRspQryRate = &ApiClientUtils::onRspQryRate;
        t.onRspQryFund = &ApiClientUtils::onRspQryFund;
        t.onRspQryPosition = &ApiClientUtils::onRspQryPosition;
        t.onRspQrySecurities = &ApiClientUtils::onRspQrySecurities;
        t.onRspQryRightsAndInterests = &ApiClientUtils::onRspQryRightsAndInterests;
        t.onRspQryInvestorInfo = &ApiClientUtils::onRspQryInvestorInfo;
        t.onRspBTFundTransfer = &ApiClientUtils::onRspBTFundTransfer;
        t.onRtnBTFundTransfer = &ApiClientUtils::onRtnBTFundTransfer;
        t.onRspQryBTFundTransferRecord = &ApiClientUtils::onRspQryBTFundTransferRecord;
        t.onRspInFund = &ApiClientUtils::onRspInFund;
        t.onRspOutFund = &ApiClientUtils::onRspOutFund;
        t.onRspQryInOutFundRecord = &ApiClientUtils::onRspQryInOutFundRecord;
        // Create the hub (and register the record types) before the library can call back.
        SignalInterface::instance();
    });
}

const SpiCallbackTable &ApiClientUtils::spiTable() {
    initSpi();
    return mSpiTable;
}

void ApiClientUtils::onFrontConnect() {
    qInfo("onFrontConnect");
    if (SignalInterface *h = hub()) emit h->signal_sendLoginRequest();
}

void ApiClientUtils::onRspLogin(GatewayUserRspLoginField *pRspField, CQetoRspInfo *pRspInfo,
                                CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    if (CanSendLogin.load() != 2) return;
    qInfo("onRspLogin");

    if (pRspInfo->ErrorID != 0) {
        logWarning(QStringLiteral("login error,ErrID[%0],ErrMsg[%1]")
                       .arg(QString::number(pRspInfo->ErrorID), RecordText::fieldLatin1(pRspInfo->ErrorMsg)));
        if (SignalInterface *h = hub()) emit h->signal_rspErrorLogin(*pRspInfo);
        return;
    }

    const uint32_t sessionId = pSessionInfo->AccountSessionID;
    const uint32_t maxLocalId = pRspField->MaxUserLocalID;
    qInfo("now can use order interface");
    logInfo(QStringLiteral("AccountSessionId is : %0").arg(sessionId));
    logInfo(QStringLiteral("MaxUserLocalID is %0").arg(maxLocalId));

    // Two answers racing on different library threads: only the first one is taken.
    int expected = 2;
    if (!CanSendLogin.compare_exchange_strong(expected, 3)) return;
    mAccountSessionId = sessionId;
    mMaxUserLocalId = maxLocalId;
    mLoginRspCode = RecordText::fieldUtf8(pRspField->LoginRspCode);

    if (SignalInterface *h = hub()) emit h->signal_rspSuccessLogin();
}

void ApiClientUtils::onRspUpdatePwd(CQetoRspUserPasswordUpdateField *pRspField, CQetoRspInfo *pRspInfo,
                                    CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onRspUpdatePwd");
    if (SignalInterface *h = hub()) emit h->signal_rspUpdatePwd(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspLogout(CQetoRspUserLogoutField *, CQetoRspInfo *, CQetoSessionInfo *, int, bool) {
    qWarning("onRspLogout");
    CanSendLogin = 1;
    if (SignalInterface *h = hub()) emit h->signal_onFrontDisconnected(1);
}

void ApiClientUtils::onFrontDisconnected(int nReason) {
    qWarning("onFrontDisconnected");
    CanSendLogin = 1;
    if (SignalInterface *h = hub()) emit h->signal_onFrontDisconnected(nReason);
}

void ApiClientUtils::onApiMsg(int level, const char *format, ...) {
    // Longer texts are cut: vsnprintf keeps at most 2047 bytes and the terminating zero.
    char buffer[2048] = {};
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
    }
    const QString text = QString::fromLocal8Bit(buffer);
    if (level != 0)
        logWarning(QStringLiteral("Error:%0").arg(text));
    else
        logInfo(text);
}

void ApiClientUtils::onMsgArrivalStatus(char, CQetoRspInfo *, CQetoSessionInfo *, int, bool) {
    qWarning("onMsgArrivalStatus");
}

void ApiClientUtils::onRspInsertOrder(CQetoRspOrderInsertField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                      int nRequestID, bool bIsLast) {
    qInfo("onRspInsertOrder");
    if (SignalInterface *h = hub()) emit h->signal_rspInsertOrder(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onErrRtnInsertOrder(CQetoRspOrderInsertField *pRspField, CQetoRspInfo *pRspInfo,
                                         CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onErrRtnInsertOrder");
    if (SignalInterface *h = hub()) emit h->signal_rspErrInsertOrder(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspCancelOrder(CQetoRspOrderActionField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                      int nRequestID, bool bIsLast) {
    qInfo("onRspCancelOrder");
    if (SignalInterface *h = hub()) emit h->signal_rspCancelOrder(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onErrRtnCancelOrder(CQetoRspOrderActionField *, CQetoRspInfo *, CQetoSessionInfo *, int, bool) {
    qInfo("onErrRtnCancelOrder");
}

void ApiClientUtils::onRtnOrder(CQetoRtnOrderField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                int nRequestID, bool bIsLast) {
    qInfo("onRtnOrder");
    if (SignalInterface *h = hub()) emit h->signal_rtnOrder(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRtnTrade(CQetoRtnTradeField *, CQetoRspInfo *, CQetoSessionInfo *, int, bool) {
    qInfo("onRtnTrade");
}

void ApiClientUtils::onRspQryOrder(CQetoRspQryOrderField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                   int nRequestID, bool bIsLast) {
    qInfo("onRspQryOrder");
    if (SignalInterface *h = hub()) emit h->signal_rspQryOrder(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryTrade(CQetoRspQryTradeField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                   int nRequestID, bool bIsLast) {
    qInfo("onRspQryTrade");
    if (SignalInterface *h = hub()) emit h->signal_rspQryTrade(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryRate(CQetoRspQryStockFeeField *, CQetoRspInfo *, CQetoSessionInfo *, int, bool) {
    qInfo("onRspQryRate");
}

void ApiClientUtils::onRspQryFund(CQetoRspQryStockClientAccountField *pRspField, CQetoRspInfo *, CQetoSessionInfo *,
                                  int, bool) {
    qInfo("onRspQryFund");
    if (SignalInterface *h = hub()) emit h->signal_personalInfo(*pRspField);
}

void ApiClientUtils::onRspQryPosition(CQetoRspQryStockPositionField *pRspField, CQetoRspInfo *pRspInfo,
                                      CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onRspQryPosition");
    if (SignalInterface *h = hub()) emit h->signal_rspQryPosition(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQrySecurities(CQetoRspQryStockSecuritiesField *, CQetoRspInfo *, CQetoSessionInfo *, int,
                                        bool) {
    qInfo("onRspQrySecurities");
}

void ApiClientUtils::onRspQryRightsAndInterests(CQetoRspQryStockQuotaField *, CQetoRspInfo *, CQetoSessionInfo *, int,
                                                bool) {
    qInfo("onRspQryRightsAndInterests");
}

void ApiClientUtils::onRspQryInvestorInfo(CQetoRspQryInvestorInfoField *, CQetoRspInfo *, CQetoSessionInfo *, int,
                                          bool) {
    qInfo("onRspQryInvestorInfo");
}

void ApiClientUtils::onRspBTFundTransfer(CQetoRspBTCapTransferManagerField *pRspField, CQetoRspInfo *pRspInfo,
                                         CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onRspBTFundTransfer");
    if (SignalInterface *h = hub()) emit h->signal_rspBTFundTransfer(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRtnBTFundTransfer(CQetoRtnBtCapTransferManagerField *pRspField, CQetoRspInfo *pRspInfo,
                                         CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onRtnBTFundTransfer");
    if (SignalInterface *h = hub()) emit h->signal_rtnBTFundTransfer(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryBTFundTransferRecord(CQetoRspQryBTCapTransferManagerField *pRspField,
                                                  CQetoRspInfo *pRspInfo, CQetoSessionInfo *, int nRequestID,
                                                  bool bIsLast) {
    qInfo("onRspQryBTFundTransferRecord");
    if (SignalInterface *h = hub())
        emit h->signal_rspQryBTFundTransferRecord(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspInFund(CQetoRspCapTransferField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                 int nRequestID, bool bIsLast) {
    qInfo("onRspInFund");
    if (SignalInterface *h = hub()) emit h->signal_rspInFund(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspOutFund(CQetoRspCapTransferField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *,
                                  int nRequestID, bool bIsLast) {
    qInfo("onRspOutFund");
    if (SignalInterface *h = hub()) emit h->signal_rspOutFund(*pRspField, *pRspInfo, nRequestID, bIsLast);
}

void ApiClientUtils::onRspQryInOutFundRecord(CQetoRspQryCapTransferRecordField *pRspField, CQetoRspInfo *pRspInfo,
                                             CQetoSessionInfo *, int nRequestID, bool bIsLast) {
    qInfo("onRspQryInOutFundRecord");
    if (SignalInterface *h = hub()) emit h->signal_rspQryInOutFundRecord(*pRspField, *pRspInfo, nRequestID, bIsLast);
}
