// The gateway library's C interface: records, callback table and exported functions.
// Shared by the client, the stand-in library and the recording test double.
// Every record is byte-packed; sizes and the offsets the client relies on are checked below.
#ifndef QETO_GATE_API_H
#define QETO_GATE_API_H

#ifndef __cplusplus
#error "qeto_gate_api.h is a C++ header (the functions themselves have C linkage)"
#endif

#include <cstddef>
#include <cstdint>
#include <type_traits>

#if defined(_WIN32)
#if defined(QETO_GATE_BUILD)
#define QETO_GATE_EXPORT __declspec(dllexport)
#elif defined(QETO_GATE_STATIC)
#define QETO_GATE_EXPORT
#else
#define QETO_GATE_EXPORT __declspec(dllimport)
#endif
#else
#define QETO_GATE_EXPORT __attribute__((visibility("default")))
#endif

#pragma pack(push, 1)

// ---------------------------------------------------------------- common records

struct CQetoRspInfo {
    uint32_t ErrorID;   // 0 = success
    char ErrorMsg[81];  // NUL-terminated, local 8-bit encoding
};

struct CQetoSessionInfo {
    uint32_t AccountSessionID;
    uint8_t reserved[12];
};

// ---------------------------------------------------------------- login

struct GatewayStartApiField {
    char ConfigFilePath[4096];  // UTF-8 path of the parameter file
    uint8_t reserved1[84];
    int32_t Reserved4180;  // always -1
    uint8_t reserved2[4];
};

struct GatewayUserReqLoginField {
    char AccountID[18];
    char Password[10];
    char BranchID[6];
    char ExchangeCode;  // '1' Shanghai, '2' Shenzhen
    char OperWay;
    char AppID[29];
};

struct GatewayTerminalInfoField {
    char MacAddr[19];
    char HardDiskSerial[33];
    char IpAddr[16];
    char CpuSerial[21];
    char HostName[21];
};

struct GatewayUserRspLoginField {
    char AccountID[18];
    uint8_t reserved1[2];
    char LoginRspCode[10];  // NUL-terminated when shorter than the field
    uint32_t MaxUserLocalID;
    char ExchangeCode;
    uint8_t reserved2[29];
};

struct CQetoReqUserLogoutField {
    char AccountID[18];
    uint8_t reserved[14];
};

struct CQetoRspUserLogoutField {
    char AccountID[18];
    uint8_t reserved[14];
};

struct CQetoReqUserPasswordUpdateField {
    char AccountID[15];
    char NewPassword[10];
    char OldPassword[10];
    uint8_t reserved[64];
};

struct CQetoRspUserPasswordUpdateField {
    char AccountID[15];
    char NewPassword[10];
    char OldPassword[10];
    uint8_t reserved[64];
};

// ---------------------------------------------------------------- orders

struct CQetoReqOrderInsertField {
    uint32_t UserLocalID;
    char SecurityID[8];
    char Direction;  // '1' buy, '2' sell
    uint8_t reserved1;
    double Price;
    int32_t Volume;
    char OrderPriceType;  // '2' limit
    char TimeCondition;   // '0'
    uint8_t reserved2[4];
    char Remark[16];  // "ApiClient"
};

struct CQetoRspOrderInsertField {
    uint32_t UserLocalID;
    char SecurityID[8];
    char Direction;
    uint8_t reserved1;
    double Price;
    int32_t Volume;
    char OrderPriceType;
    uint8_t reserved2;
    uint32_t OrderSysID;
    char InsertTime[9];  // hhmmsszzz
    char OrderStatus;
    uint16_t ErrorCode;
    uint8_t reserved3[56];
};

struct CQetoRtnOrderField {
    uint32_t UserLocalID;
    char SecurityID[8];
    char Direction;
    uint8_t reserved1;
    double Price;
    uint32_t Volume;
    char OrderPriceType;
    uint8_t reserved2[3];
    uint32_t OrderSysID;
    uint32_t TradeVolume;
    uint32_t LeavesVolume;
    char OrderStatus;
    char TransactTime[9];
    uint16_t ErrorCode;
    uint8_t reserved3[68];
    char OrderText[118];  // NUL-terminated UTF-8, up to the end of the record
};

struct CQetoRtnTradeField {
    uint32_t OrderSysID;
    uint32_t TradeID;
    char SecurityID[8];
    char Direction;
    double TradePrice;
    uint32_t TradeVolume;
    char TradeTime[9];
    uint8_t reserved[82];
};

struct CQetoReqOrderActionField {
    int32_t UserLocalID;
    uint32_t OrderSysID;
    uint8_t reserved1[33];
    char ActionFlag;  // '1'
    uint8_t reserved2[6];
};

struct CQetoRspOrderActionField {
    int32_t UserLocalID;
    uint32_t OrderSysID;
    char OrderStatus;
    uint32_t CancelVolume;
    uint8_t reserved[87];
};

struct CQetoReqQryOrderField {
    uint32_t OrderSysID;  // order number filter, 0 = all
    char SecurityID[12];  // code filter, first 8 bytes used
    char BeginTime[9];    // hhmmsszzz, no terminator
    char EndTime[9];
    int32_t Position;  // continuation position, 0 = from the start
    uint8_t reserved1[4];
    uint8_t QueryFlag;  // always 2
    uint8_t reserved2[119];
};

struct CQetoRspQryOrderField {
    uint32_t UserLocalID;
    char SecurityID[8];
    char Direction;
    uint8_t reserved1;
    double Price;
    uint32_t Volume;
    char OrderPriceType;
    uint8_t reserved2[3];
    uint32_t OrderSysID;
    uint8_t reserved3[16];
    char InsertTime[9];  // hhmmsszzz
    uint8_t reserved4[20];
    uint32_t TradeVolume;
    uint32_t LeavesVolume;
    char OrderStatus;
    uint8_t reserved5[71];
    uint8_t NodeNo;
    uint8_t reserved6[8];
    char OrderNo[10];  // no terminator
    uint8_t reserved7;
    uint8_t SecurityType;
    uint8_t reserved8;
    uint16_t ErrorCode;
    int32_t Position;  // continuation position
    uint8_t MoreData;  // non-zero: the counter holds further records
    uint8_t reserved9[29];
    double TradeAmount;
    uint8_t reserved10[47];
};

struct CQetoReqQryTradeField {
    uint32_t OrderSysID;
    char SecurityID[8];
    char BeginTime[9];
    char EndTime[9];
    uint8_t reserved1[4];
    int32_t Position;
    uint8_t reserved2[4];
    uint8_t QueryFlag;  // always 2
    uint8_t reserved3[115];
};

struct CQetoRspQryTradeField {
    uint32_t OrderSysID;
    uint32_t TradeID;
    uint8_t reserved1[5];
    int32_t TradeVolume;
    int32_t LeavesVolume;
    char SecurityID[8];
    uint8_t reserved2[9];
    char TradeTime[9];  // hhmmsszzz
    double TradePrice;
    uint8_t reserved3[34];
    char Direction;
    uint8_t reserved4[65];
    char OrderNo[10];  // no terminator
    uint8_t reserved5[17];
    int32_t Position;
    uint8_t MoreData;
    uint8_t reserved6[72];
};

// ---------------------------------------------------------------- positions and funds

struct CQetoReqQryStockPositionField {
    char AccountID[15];
    char SecurityID[8];
    uint8_t reserved[128];
};

struct CQetoRspQryStockPositionField {
    char AccountID[15];
    char SecurityID[16];
    uint32_t TodayBuyVolume;
    uint8_t reserved1[4];
    uint32_t TodaySellVolume;
    uint8_t reserved2[28];
    uint32_t YesterdayVolume;
    uint8_t reserved3[28];
    double PositionCost;
    uint8_t reserved4[25];
    uint32_t AvailableVolume;
    uint8_t reserved5[115];
};

struct CQetoReqQryStockClientAccountField {
    char AccountID[16];
    uint8_t reserved[127];
};

struct CQetoRspQryStockClientAccountField {
    char AccountID[16];
    double FrozenCash;
    double FrozenFee;
    double Fee;
    double OnExchangeCash;
    double TotalAsset;
    double TodaySellAmount;
    double TodayBuyAmount;
    uint8_t reserved1[16];
    double AvailableCash;
    uint8_t reserved2[34];
    double WithdrawableCash;
    uint8_t reserved3[16];
    double StartWithdrawableCash;
    uint8_t reserved4[62];
};

// ---------------------------------------------------------------- deposit and withdrawal

struct CQetoReqCapTransferField {
    uint8_t reserved1[4];
    char AccountID[26];  // at most 15 bytes used
    double Amount;
    uint8_t reserved2[96];
};

struct CQetoRspCapTransferField {
    uint8_t reserved1[4];
    char AccountID[26];
    double Amount;
    uint8_t reserved2[34];
    int32_t ErrorCode;  // the counter's own code
    uint8_t reserved3[60];
};

struct CQetoReqQryCapTransferRecordField {
    uint8_t reserved1[4];
    char AccountID[26];
    uint8_t reserved2[53];
};

struct CQetoRspQryCapTransferRecordField {
    char OrgCode[4];  // up to 4 characters, no terminator when full
    char AccountID[15];
    double Amount;
    char Direction;  // '1' deposit, '2' withdrawal, '0' no record
    uint8_t reserved1[4];
    char OperTime[32];  // NUL-terminated
    uint8_t reserved2[41];
};

// ---------------------------------------------------------------- Shanghai-Shenzhen transfer

struct CQetoReqBTCapTransferManagerField {
    char LoginRspCode[4];
    char AccountID[16];
    double Amount;
    char Direction;  // '1' SH->SZ, '2' SZ->SH
    uint8_t reserved[63];
};

struct CQetoReqQryBTCapTransferManagerField {
    char LoginRspCode[4];
    char AccountID[16];
    uint8_t reserved[62];
};

struct CQetoRspBTCapTransferManagerField {
    char LoginRspCode[4];
    char AccountID[16];
    double Amount;
    char Direction;
    uint32_t TransferID;
    uint8_t reserved[63];
};

struct CQetoRtnBtCapTransferManagerField {
    char LoginRspCode[4];
    char AccountID[16];
    double Amount;
    char Direction;
    uint32_t TransferID;
    char TransferStatus;
    uint32_t ErrorCode;
    uint8_t reserved[59];
};

struct CQetoRspQryBTCapTransferManagerField {
    char LoginRspCode[4];
    char OrgCode[4];
    char AccountID[16];
    double Amount;
    char Direction;
    char OperTime[9];  // hhmmsszzz
    uint32_t ErrorCode;
    char TransferStatus;
    uint8_t reserved[66];
};

// ---------------------------------------------------------------- imported, never called by the client

struct CQetoReqQryStockFeeField {
    char AccountID[16];
    char SecurityID[8];
    uint8_t reserved[8];
};

struct CQetoRspQryStockFeeField {
    char SecurityID[8];
    double FeeRate;
    double MinFee;
    uint8_t reserved[40];
};

struct CQetoReqQryStockQuotaField {
    char AccountID[16];
    uint8_t reserved[16];
};

struct CQetoRspQryStockQuotaField {
    char AccountID[16];
    int64_t Quota;
    uint8_t reserved[40];
};

struct CQetoReqQryInvestorInfoField {
    char AccountID[16];
    uint8_t reserved[16];
};

struct CQetoRspQryInvestorInfoField {
    char AccountID[16];
    char InvestorName[64];
    uint8_t reserved[48];
};

struct CQetoReqQryStockSecuritiesField {
    char SecurityID[9];
    int32_t Position;
    uint8_t reserved[19];
};

struct CQetoRspQryStockSecuritiesField {
    char SecurityID[9];
    char SecurityName[40];
    uint8_t SecurityType;
    uint32_t MaxBuyVolume;
    uint32_t MaxSellVolume;
    uint32_t MinBuyVolume;
    uint32_t MinSellVolume;
    double LowerLimitPrice;
    double UpperLimitPrice;
    uint8_t RiskLevel;
    int32_t Position;
    uint8_t MoreData;
    uint8_t reserved[192];
};

#pragma pack(pop)

// ---------------------------------------------------------------- callbacks

extern "C" {

typedef void (*QetoOnFrontConnect)(void);
typedef void (*QetoOnFrontDisconnected)(int nReason);
typedef void (*QetoOnApiMsg)(int level, const char *format, ...);
typedef void (*QetoOnMsgArrivalStatus)(char status, CQetoRspInfo *pRspInfo, CQetoSessionInfo *pSessionInfo,
                                       int nRequestID, bool bIsLast);

#define QETO_ANSWER_CALLBACK(Name, Record)                                                                             \
    typedef void (*Name)(Record * pRspField, CQetoRspInfo * pRspInfo, CQetoSessionInfo * pSessionInfo, int nRequestID, \
                         bool bIsLast)

QETO_ANSWER_CALLBACK(QetoOnRspLogin, GatewayUserRspLoginField);
QETO_ANSWER_CALLBACK(QetoOnRspUpdatePwd, CQetoRspUserPasswordUpdateField);
QETO_ANSWER_CALLBACK(QetoOnRspLogout, CQetoRspUserLogoutField);
QETO_ANSWER_CALLBACK(QetoOnRspInsertOrder, CQetoRspOrderInsertField);
QETO_ANSWER_CALLBACK(QetoOnErrRtnInsertOrder, CQetoRspOrderInsertField);
QETO_ANSWER_CALLBACK(QetoOnRspCancelOrder, CQetoRspOrderActionField);
QETO_ANSWER_CALLBACK(QetoOnErrRtnCancelOrder, CQetoRspOrderActionField);
QETO_ANSWER_CALLBACK(QetoOnRtnOrder, CQetoRtnOrderField);
QETO_ANSWER_CALLBACK(QetoOnRtnTrade, CQetoRtnTradeField);
QETO_ANSWER_CALLBACK(QetoOnRspQryOrder, CQetoRspQryOrderField);
QETO_ANSWER_CALLBACK(QetoOnRspQryTrade, CQetoRspQryTradeField);
QETO_ANSWER_CALLBACK(QetoOnRspQryRate, CQetoRspQryStockFeeField);
QETO_ANSWER_CALLBACK(QetoOnRspQryFund, CQetoRspQryStockClientAccountField);
QETO_ANSWER_CALLBACK(QetoOnRspQryPosition, CQetoRspQryStockPositionField);
QETO_ANSWER_CALLBACK(QetoOnRspQrySecurities, CQetoRspQryStockSecuritiesField);
QETO_ANSWER_CALLBACK(QetoOnRspQryRightsAndInterests, CQetoRspQryStockQuotaField);
QETO_ANSWER_CALLBACK(QetoOnRspQryInvestorInfo, CQetoRspQryInvestorInfoField);
QETO_ANSWER_CALLBACK(QetoOnRspBTFundTransfer, CQetoRspBTCapTransferManagerField);
QETO_ANSWER_CALLBACK(QetoOnRtnBTFundTransfer, CQetoRtnBtCapTransferManagerField);
QETO_ANSWER_CALLBACK(QetoOnRspQryBTFundTransferRecord, CQetoRspQryBTCapTransferManagerField);
QETO_ANSWER_CALLBACK(QetoOnRspInFund, CQetoRspCapTransferField);
QETO_ANSWER_CALLBACK(QetoOnRspOutFund, CQetoRspCapTransferField);
QETO_ANSWER_CALLBACK(QetoOnRspQryInOutFundRecord, CQetoRspQryCapTransferRecordField);

#undef QETO_ANSWER_CALLBACK

// 27 slots, in this order.
struct SpiCallbackTable {
    QetoOnFrontConnect onFrontConnect;                              // 0
    QetoOnRspLogin onRspLogin;                                      // 1
    QetoOnRspUpdatePwd onRspUpdatePwd;                              // 2
    QetoOnRspLogout onRspLogout;                                    // 3
    QetoOnFrontDisconnected onFrontDisconnected;                    // 4
    QetoOnApiMsg onApiMsg;                                          // 5
    QetoOnMsgArrivalStatus onMsgArrivalStatus;                      // 6
    QetoOnRspInsertOrder onRspInsertOrder;                          // 7
    QetoOnErrRtnInsertOrder onErrRtnInsertOrder;                    // 8
    QetoOnRspCancelOrder onRspCancelOrder;                          // 9
    QetoOnErrRtnCancelOrder onErrRtnCancelOrder;                    // 10
    QetoOnRtnOrder onRtnOrder;                                      // 11
    QetoOnRtnTrade onRtnTrade;                                      // 12
    QetoOnRspQryOrder onRspQryOrder;                                // 13
    QetoOnRspQryTrade onRspQryTrade;                                // 14
    QetoOnRspQryRate onRspQryRate;                                  // 15
    QetoOnRspQryFund onRspQryFund;                                  // 16
    QetoOnRspQryPosition onRspQryPosition;                          // 17
    QetoOnRspQrySecurities onRspQrySecurities;                      // 18
    QetoOnRspQryRightsAndInterests onRspQryRightsAndInterests;      // 19
    QetoOnRspQryInvestorInfo onRspQryInvestorInfo;                  // 20
    QetoOnRspBTFundTransfer onRspBTFundTransfer;                    // 21
    QetoOnRtnBTFundTransfer onRtnBTFundTransfer;                    // 22
    QetoOnRspQryBTFundTransferRecord onRspQryBTFundTransferRecord;  // 23
    QetoOnRspInFund onRspInFund;                                    // 24
    QetoOnRspOutFund onRspOutFund;                                  // 25
    QetoOnRspQryInOutFundRecord onRspQryInOutFundRecord;            // 26
};

// ---------------------------------------------------------------- exported functions
// 0 = done / sent; non-zero = not done. Session id is the counter's, request id the caller's.

QETO_GATE_EXPORT int createTraderApi(int nEntryNo);  // -1 out of range, -2 already created
QETO_GATE_EXPORT int registerSpi(SpiCallbackTable table, int nEntryNo);
QETO_GATE_EXPORT int startApi(GatewayStartApiField *pStart, int nEntryNo);
QETO_GATE_EXPORT int stopApi(int nEntryNo);
QETO_GATE_EXPORT int release(int nEntryNo);
// Writes the library's version text (NUL-terminated, at most nLen bytes) into pszVersion.
QETO_GATE_EXPORT int getVersion(char *pszVersion, int nLen);

QETO_GATE_EXPORT int reqLogin(GatewayUserReqLoginField *pLogin, GatewayTerminalInfoField *pTerminal, int nRequestID,
                              int nEntryNo);
QETO_GATE_EXPORT int reqLogout(CQetoReqUserLogoutField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);

QETO_GATE_EXPORT int reqInsertOrder(CQetoReqOrderInsertField *pReq, unsigned char *pOpaque, uint32_t nSessionID,
                                    int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqCancelOrder(CQetoReqOrderActionField *pReq, unsigned char *pOpaque, uint32_t nSessionID,
                                    int nRequestID, int nEntryNo);

QETO_GATE_EXPORT int reqQryOrder(CQetoReqQryOrderField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqQryTrade(CQetoReqQryTradeField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqQryPosition(CQetoReqQryStockPositionField *pReq, uint32_t nSessionID, int nRequestID,
                                    int nEntryNo);
QETO_GATE_EXPORT int reqQryFund(CQetoReqQryStockClientAccountField *pReq, uint32_t nSessionID, int nRequestID,
                                int nEntryNo);
QETO_GATE_EXPORT int reqUpdatePwd(CQetoReqUserPasswordUpdateField *pReq, uint32_t nSessionID, int nRequestID,
                                  int nEntryNo);
QETO_GATE_EXPORT int reqInFund(CQetoReqCapTransferField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqOutFund(CQetoReqCapTransferField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqQryInOutFundRecord(CQetoReqQryCapTransferRecordField *pReq, uint32_t nSessionID, int nRequestID,
                                           int nEntryNo);
QETO_GATE_EXPORT int reqBTFundTransfer(CQetoReqBTCapTransferManagerField *pReq, uint32_t nSessionID, int nRequestID,
                                       int nEntryNo);
QETO_GATE_EXPORT int reqQryBTFundTransferRecord(CQetoReqQryBTCapTransferManagerField *pReq, uint32_t nSessionID,
                                                int nRequestID, int nEntryNo);

QETO_GATE_EXPORT int reqQryRate(CQetoReqQryStockFeeField *pReq, uint32_t nSessionID, int nRequestID, int nEntryNo);
QETO_GATE_EXPORT int reqQryRightsAndInterests(CQetoReqQryStockQuotaField *pReq, uint32_t nSessionID, int nRequestID,
                                              int nEntryNo);
QETO_GATE_EXPORT int reqQryInvestorInfo(CQetoReqQryInvestorInfoField *pReq, uint32_t nSessionID, int nRequestID,
                                        int nEntryNo);
QETO_GATE_EXPORT int reqQrySecurities(CQetoReqQryStockSecuritiesField *pReq, uint32_t nSessionID, int nRequestID,
                                      int nEntryNo);

}  // extern "C"

// ---------------------------------------------------------------- layout checks

#define QETO_SIZE(T, n) static_assert(sizeof(T) == (n), #T " has the wrong size")
#define QETO_OFF(T, f, n) static_assert(offsetof(T, f) == (n), #T "::" #f " has the wrong offset")

QETO_SIZE(CQetoRspInfo, 85);
QETO_OFF(CQetoRspInfo, ErrorID, 0);
QETO_OFF(CQetoRspInfo, ErrorMsg, 4);
QETO_OFF(CQetoSessionInfo, AccountSessionID, 0);

QETO_SIZE(GatewayStartApiField, 4188);
QETO_OFF(GatewayStartApiField, ConfigFilePath, 0);
QETO_OFF(GatewayStartApiField, reserved1, 4096);
QETO_OFF(GatewayStartApiField, Reserved4180, 4180);
QETO_OFF(GatewayStartApiField, reserved2, 4184);

QETO_SIZE(GatewayUserReqLoginField, 65);
QETO_OFF(GatewayUserReqLoginField, AccountID, 0);
QETO_OFF(GatewayUserReqLoginField, Password, 18);
QETO_OFF(GatewayUserReqLoginField, BranchID, 28);
QETO_OFF(GatewayUserReqLoginField, ExchangeCode, 34);
QETO_OFF(GatewayUserReqLoginField, OperWay, 35);
QETO_OFF(GatewayUserReqLoginField, AppID, 36);

QETO_SIZE(GatewayTerminalInfoField, 110);
QETO_OFF(GatewayTerminalInfoField, MacAddr, 0);
QETO_OFF(GatewayTerminalInfoField, HardDiskSerial, 19);
QETO_OFF(GatewayTerminalInfoField, IpAddr, 52);
QETO_OFF(GatewayTerminalInfoField, CpuSerial, 68);
QETO_OFF(GatewayTerminalInfoField, HostName, 89);

QETO_OFF(GatewayUserRspLoginField, LoginRspCode, 20);
QETO_OFF(GatewayUserRspLoginField, MaxUserLocalID, 30);

QETO_SIZE(CQetoReqUserPasswordUpdateField, 99);
QETO_OFF(CQetoReqUserPasswordUpdateField, AccountID, 0);
QETO_OFF(CQetoReqUserPasswordUpdateField, NewPassword, 15);
QETO_OFF(CQetoReqUserPasswordUpdateField, OldPassword, 25);
QETO_OFF(CQetoReqUserPasswordUpdateField, reserved, 35);
QETO_SIZE(CQetoRspUserPasswordUpdateField, 99);

QETO_SIZE(CQetoReqOrderInsertField, 48);
QETO_OFF(CQetoReqOrderInsertField, UserLocalID, 0);
QETO_OFF(CQetoReqOrderInsertField, SecurityID, 4);
QETO_OFF(CQetoReqOrderInsertField, Direction, 12);
QETO_OFF(CQetoReqOrderInsertField, reserved1, 13);
QETO_OFF(CQetoReqOrderInsertField, Price, 14);
QETO_OFF(CQetoReqOrderInsertField, Volume, 22);
QETO_OFF(CQetoReqOrderInsertField, OrderPriceType, 26);
QETO_OFF(CQetoReqOrderInsertField, TimeCondition, 27);
QETO_OFF(CQetoReqOrderInsertField, reserved2, 28);
QETO_OFF(CQetoReqOrderInsertField, Remark, 32);

QETO_SIZE(CQetoRspOrderInsertField, 100);
QETO_SIZE(CQetoRtnOrderField, 240);
QETO_OFF(CQetoRtnOrderField, OrderText, 122);

QETO_SIZE(CQetoReqOrderActionField, 48);
QETO_OFF(CQetoReqOrderActionField, UserLocalID, 0);
QETO_OFF(CQetoReqOrderActionField, OrderSysID, 4);
QETO_OFF(CQetoReqOrderActionField, ActionFlag, 41);
QETO_SIZE(CQetoRspOrderActionField, 100);

QETO_SIZE(CQetoReqQryOrderField, 162);
QETO_OFF(CQetoReqQryOrderField, OrderSysID, 0);
QETO_OFF(CQetoReqQryOrderField, SecurityID, 4);
QETO_OFF(CQetoReqQryOrderField, BeginTime, 16);
QETO_OFF(CQetoReqQryOrderField, EndTime, 25);
QETO_OFF(CQetoReqQryOrderField, Position, 34);
QETO_OFF(CQetoReqQryOrderField, QueryFlag, 42);

QETO_SIZE(CQetoRspQryOrderField, 272);
QETO_OFF(CQetoRspQryOrderField, SecurityID, 4);
QETO_OFF(CQetoRspQryOrderField, Direction, 12);
QETO_OFF(CQetoRspQryOrderField, Price, 14);
QETO_OFF(CQetoRspQryOrderField, Volume, 22);
QETO_OFF(CQetoRspQryOrderField, OrderPriceType, 26);
QETO_OFF(CQetoRspQryOrderField, OrderSysID, 30);
QETO_OFF(CQetoRspQryOrderField, InsertTime, 50);
QETO_OFF(CQetoRspQryOrderField, TradeVolume, 79);
QETO_OFF(CQetoRspQryOrderField, LeavesVolume, 83);
QETO_OFF(CQetoRspQryOrderField, OrderStatus, 87);
QETO_OFF(CQetoRspQryOrderField, NodeNo, 159);
QETO_OFF(CQetoRspQryOrderField, OrderNo, 168);
QETO_OFF(CQetoRspQryOrderField, SecurityType, 179);
QETO_OFF(CQetoRspQryOrderField, ErrorCode, 181);
QETO_OFF(CQetoRspQryOrderField, Position, 183);
QETO_OFF(CQetoRspQryOrderField, MoreData, 187);
QETO_OFF(CQetoRspQryOrderField, TradeAmount, 217);

QETO_SIZE(CQetoReqQryTradeField, 158);
QETO_OFF(CQetoReqQryTradeField, OrderSysID, 0);
QETO_OFF(CQetoReqQryTradeField, SecurityID, 4);
QETO_OFF(CQetoReqQryTradeField, BeginTime, 12);
QETO_OFF(CQetoReqQryTradeField, EndTime, 21);
QETO_OFF(CQetoReqQryTradeField, Position, 34);
QETO_OFF(CQetoReqQryTradeField, QueryFlag, 42);

QETO_SIZE(CQetoRspQryTradeField, 259);
QETO_OFF(CQetoRspQryTradeField, TradeVolume, 13);
QETO_OFF(CQetoRspQryTradeField, LeavesVolume, 17);
QETO_OFF(CQetoRspQryTradeField, SecurityID, 21);
QETO_OFF(CQetoRspQryTradeField, TradeTime, 38);
QETO_OFF(CQetoRspQryTradeField, TradePrice, 47);
QETO_OFF(CQetoRspQryTradeField, Direction, 89);
QETO_OFF(CQetoRspQryTradeField, OrderNo, 155);
QETO_OFF(CQetoRspQryTradeField, Position, 182);
QETO_OFF(CQetoRspQryTradeField, MoreData, 186);

QETO_SIZE(CQetoReqQryStockPositionField, 151);
QETO_OFF(CQetoReqQryStockPositionField, AccountID, 0);
QETO_OFF(CQetoReqQryStockPositionField, SecurityID, 15);

QETO_SIZE(CQetoRspQryStockPositionField, 255);
QETO_OFF(CQetoRspQryStockPositionField, SecurityID, 15);
QETO_OFF(CQetoRspQryStockPositionField, TodayBuyVolume, 31);
QETO_OFF(CQetoRspQryStockPositionField, TodaySellVolume, 39);
QETO_OFF(CQetoRspQryStockPositionField, YesterdayVolume, 71);
QETO_OFF(CQetoRspQryStockPositionField, PositionCost, 103);
QETO_OFF(CQetoRspQryStockPositionField, AvailableVolume, 136);

QETO_SIZE(CQetoReqQryStockClientAccountField, 143);
QETO_OFF(CQetoReqQryStockClientAccountField, AccountID, 0);

QETO_SIZE(CQetoRspQryStockClientAccountField, 224);
QETO_OFF(CQetoRspQryStockClientAccountField, FrozenCash, 16);
QETO_OFF(CQetoRspQryStockClientAccountField, FrozenFee, 24);
QETO_OFF(CQetoRspQryStockClientAccountField, Fee, 32);
QETO_OFF(CQetoRspQryStockClientAccountField, OnExchangeCash, 40);
QETO_OFF(CQetoRspQryStockClientAccountField, TodaySellAmount, 56);
QETO_OFF(CQetoRspQryStockClientAccountField, TodayBuyAmount, 64);
QETO_OFF(CQetoRspQryStockClientAccountField, AvailableCash, 88);
QETO_OFF(CQetoRspQryStockClientAccountField, WithdrawableCash, 130);
QETO_OFF(CQetoRspQryStockClientAccountField, StartWithdrawableCash, 154);

QETO_SIZE(CQetoReqCapTransferField, 134);
QETO_OFF(CQetoReqCapTransferField, AccountID, 4);
QETO_OFF(CQetoReqCapTransferField, Amount, 30);
QETO_SIZE(CQetoRspCapTransferField, 136);
QETO_OFF(CQetoRspCapTransferField, ErrorCode, 72);
QETO_SIZE(CQetoReqQryCapTransferRecordField, 83);
QETO_OFF(CQetoReqQryCapTransferRecordField, AccountID, 4);
QETO_SIZE(CQetoRspQryCapTransferRecordField, 105);
QETO_OFF(CQetoRspQryCapTransferRecordField, OrgCode, 0);
QETO_OFF(CQetoRspQryCapTransferRecordField, Amount, 19);
QETO_OFF(CQetoRspQryCapTransferRecordField, Direction, 27);
QETO_OFF(CQetoRspQryCapTransferRecordField, OperTime, 32);

QETO_SIZE(CQetoReqBTCapTransferManagerField, 92);
QETO_OFF(CQetoReqBTCapTransferManagerField, LoginRspCode, 0);
QETO_OFF(CQetoReqBTCapTransferManagerField, AccountID, 4);
QETO_OFF(CQetoReqBTCapTransferManagerField, Amount, 20);
QETO_OFF(CQetoReqBTCapTransferManagerField, Direction, 28);
QETO_OFF(CQetoReqBTCapTransferManagerField, reserved, 29);
QETO_SIZE(CQetoReqQryBTCapTransferManagerField, 82);
QETO_OFF(CQetoReqQryBTCapTransferManagerField, AccountID, 4);
QETO_OFF(CQetoReqQryBTCapTransferManagerField, reserved, 20);
QETO_SIZE(CQetoRspBTCapTransferManagerField, 96);
QETO_SIZE(CQetoRtnBtCapTransferManagerField, 97);
QETO_SIZE(CQetoRspQryBTCapTransferManagerField, 113);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, OrgCode, 4);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, Amount, 24);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, Direction, 32);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, OperTime, 33);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, ErrorCode, 42);
QETO_OFF(CQetoRspQryBTCapTransferManagerField, TransferStatus, 46);

QETO_SIZE(CQetoRspQryStockSecuritiesField, 280);

static_assert(sizeof(SpiCallbackTable) == 27 * sizeof(void *), "SpiCallbackTable must hold 27 pointers");
static_assert(std::is_trivially_copyable<CQetoRspQryOrderField>::value, "records are plain bytes");

#undef QETO_SIZE
#undef QETO_OFF

#endif  // QETO_GATE_API_H
