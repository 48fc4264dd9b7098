// The process-wide hub: every gateway callback becomes one of its signals, and Qt delivers
// each answer on the receiver's thread with its own copy of the records.
#ifndef QETO_SIGNAL_INTERFACE_H
#define QETO_SIGNAL_INTERFACE_H

#include <QMetaType>
#include <QObject>
#include <QString>

#include "qeto_gate_api.h"

class SignalInterface : public QObject {
    Q_OBJECT
public:
    // Safe from any thread; null once the hub has been destroyed at process exit.
    static SignalInterface *instance();

    ~SignalInterface() override;

signals:
    void signal_sendLoginRequest();
    void signal_rspSuccessLogin();
    void signal_rspErrorLogin(const CQetoRspInfo &pRspInfo);
    void signal_rspUpdatePwd(const CQetoRspUserPasswordUpdateField &pRspField, const CQetoRspInfo &pRspInfo,
                             int nRequestID, bool bIsLast);
    void signal_personalInfo(const CQetoRspQryStockClientAccountField &msg);
    void signal_rspQryPosition(const CQetoRspQryStockPositionField &pRspField, const CQetoRspInfo &pRspInfo,
                               int nRequestID, bool bIsLast);
    void signal_rspQryTrade(const CQetoRspQryTradeField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                            bool bIsLast);
    void signal_rspQryOrder(const CQetoRspQryOrderField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                            bool bIsLast);
    void signal_rspQryInOutFundRecord(const CQetoRspQryCapTransferRecordField &pRspField, const CQetoRspInfo &pRspInfo,
                                      int nRequestID, bool bIsLast);
    void signal_rspInsertOrder(const CQetoRspOrderInsertField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                               bool bIsLast);
    void signal_rspErrInsertOrder(const CQetoRspOrderInsertField &pRspField, const CQetoRspInfo &pRspInfo,
                                  int nRequestID, bool bIsLast);
    void signal_rtnOrder(const CQetoRtnOrderField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                         bool bIsLast);
    void signal_rspInFund(const CQetoRspCapTransferField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                          bool bIsLast);
    void signal_rspOutFund(const CQetoRspCapTransferField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                           bool bIsLast);
    void signal_rspQryBTFundTransferRecord(const CQetoRspQryBTCapTransferManagerField &pRspField,
                                           const CQetoRspInfo &pRspInfo, int nRequestID, bool bIsLast);
    void signal_rspBTFundTransfer(const CQetoRspBTCapTransferManagerField &pRspField, const CQetoRspInfo &pRspInfo,
                                  int nRequestID, bool bIsLast);
    void signal_rtnBTFundTransfer(const CQetoRtnBtCapTransferManagerField &pRspField, const CQetoRspInfo &pRspInfo,
                                  int nRequestID, bool bIsLast);
    void signal_rspCancelOrder(const CQetoRspOrderActionField &pRspField, const CQetoRspInfo &pRspInfo, int nRequestID,
                               bool bIsLast);
    void signal_onFrontDisconnected(int nReason);
    void signal_clicketOrder(QString code);

private:
    SignalInterface();
    Q_DISABLE_COPY(SignalInterface)
};

// Registers every record type that travels through queued connections under its own name.
// Harmless to call again; the hub calls it when it is created.
void registerGatewayMetaTypes();

Q_DECLARE_METATYPE(CQetoRspInfo)
Q_DECLARE_METATYPE(CQetoRspQryStockClientAccountField)
Q_DECLARE_METATYPE(CQetoRspQryStockPositionField)
Q_DECLARE_METATYPE(CQetoRspQryTradeField)
Q_DECLARE_METATYPE(CQetoRspQryStockSecuritiesField)
Q_DECLARE_METATYPE(CQetoRspQryOrderField)
Q_DECLARE_METATYPE(CQetoRspQryCapTransferRecordField)
Q_DECLARE_METATYPE(CQetoRspCapTransferField)
Q_DECLARE_METATYPE(CQetoRspQryBTCapTransferManagerField)
Q_DECLARE_METATYPE(CQetoRspOrderActionField)
Q_DECLARE_METATYPE(CQetoRspOrderInsertField)
Q_DECLARE_METATYPE(CQetoRtnOrderField)
Q_DECLARE_METATYPE(CQetoRspUserPasswordUpdateField)
Q_DECLARE_METATYPE(CQetoRspBTCapTransferManagerField)
Q_DECLARE_METATYPE(CQetoRtnBtCapTransferManagerField)

#endif  // QETO_SIGNAL_INTERFACE_H
