// The callback bridge: static callbacks registered with the gateway library, and the
// process-wide session values every request needs.
#ifndef QETO_API_CLIENT_UTILS_H
#define QETO_API_CLIENT_UTILS_H

#include <QMetaType>
#include <QString>
#include <atomic>
#include <cstdint>

#include "qeto_gate_api.h"
#include "utils/shared_text.h"

enum LoginStatus {
    LoginSuccess = 0,
    LoginReqFailed = 1,
    EntryNoOutOfRange = 2,
    EntryNoExists = 3,
    StartApiFailed = 4,
    TerminalInfoFailed = 5,
};
Q_DECLARE_METATYPE(LoginStatus)

class ApiClientUtils {
public:
    // Fills the callback table; calling it again changes nothing.
    static void initSpi();
    // The table handed to registerSpi (filled by initSpi).
    static const SpiCallbackTable &spiTable();

    // Session values. The callbacks run on the library's threads while the GUI and the login
    // thread use the same values, so whatever is shared across threads is atomic.
    static std::atomic<int> CanSendLogin;  // 1 disconnected/logged out, 2 answer awaited, 3 logged in
    static std::atomic<uint32_t> mAccountSessionId;
    static std::atomic<uint32_t> mMaxUserLocalId;
    static std::atomic<int> mRequestId;
    static int mEntryNo;              // never written: one API instance
    static QString mAccount;          // GUI thread only
    static char mMarket;              // GUI thread only: '0' none, '1' Shanghai, '2' Shenzhen
    static SharedText mLoginRspCode;  // written on a library thread, read on the GUI thread
    static unsigned char mOpaqueBlock[128];

    // Callbacks, in the order of the table's slots.
    static void onFrontConnect();
    static void onRspLogin(GatewayUserRspLoginField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                           int nRequestID, bool bIsLast);
    static void onRspUpdatePwd(CQetoRspUserPasswordUpdateField *pRspField, CQetoRspInfo *pRspInfo,
                               CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspLogout(CQetoRspUserLogoutField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                            int nRequestID, bool bIsLast);
    static void onFrontDisconnected(int nReason);
    static void onApiMsg(int level, const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    static void onMsgArrivalStatus(char status, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo, int nRequestID,
                                   bool bIsLast);
    static void onRspInsertOrder(CQetoRspOrderInsertField *pRspField, CQetoRspInfo *pRspInfo,
                                 CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onErrRtnInsertOrder(CQetoRspOrderInsertField *pRspField, CQetoRspInfo *pRspInfo,
                                    CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspCancelOrder(CQetoRspOrderActionField *pRspField, CQetoRspInfo *pRspInfo,
                                 CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onErrRtnCancelOrder(CQetoRspOrderActionField *pRspField, CQetoRspInfo *pRspInfo,
                                    CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRtnOrder(CQetoRtnOrderField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                           int nRequestID, bool bIsLast);
    static void onRtnTrade(CQetoRtnTradeField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                           int nRequestID, bool bIsLast);
    static void onRspQryOrder(CQetoRspQryOrderField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                              int nRequestID, bool bIsLast);
    static void onRspQryTrade(CQetoRspQryTradeField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                              int nRequestID, bool bIsLast);
    static void onRspQryRate(CQetoRspQryStockFeeField *pRspField, CQetoRspInfo *pRspInfo,
                             CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryFund(CQetoRspQryStockClientAccountField *pRspField, CQetoRspInfo *pRspInfo,
                             CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryPosition(CQetoRspQryStockPositionField *pRspField, CQetoRspInfo *pRspInfo,
                                 CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQrySecurities(CQetoRspQryStockSecuritiesField *pRspField, CQetoRspInfo *pRspInfo,
                                   CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryRightsAndInterests(CQetoRspQryStockQuotaField *pRspField, CQetoRspInfo *pRspInfo,
                                           CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryInvestorInfo(CQetoRspQryInvestorInfoField *pRspField, CQetoRspInfo *pRspInfo,
                                     CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspBTFundTransfer(CQetoRspBTCapTransferManagerField *pRspField, CQetoRspInfo *pRspInfo,
                                    CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRtnBTFundTransfer(CQetoRtnBtCapTransferManagerField *pRspField, CQetoRspInfo *pRspInfo,
                                    CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryBTFundTransferRecord(CQetoRspQryBTCapTransferManagerField *pRspField, CQetoRspInfo *pRspInfo,
                                             CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspInFund(CQetoRspCapTransferField *pRspField, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                            int nRequestID, bool bIsLast);
    static void onRspOutFund(CQetoRspCapTransferField *pRspField, CQetoRspInfo *pRspInfo,
                             CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);
    static void onRspQryInOutFundRecord(CQetoRspQryCapTransferRecordField *pRspField, CQetoRspInfo *pRspInfo,
                                        CQetoSessionInfo *pSessionInfo, int nRequestID, bool bIsLast);

private:
    static SpiCallbackTable mSpiTable;
};

#endif  // QETO_API_CLIENT_UTILS_H
