// Deposit and withdrawal: moves money into or out of the trading account and lists the
// account's past deposits and withdrawals.
#ifndef QETO_DEPOSITANDWITHDRAWAL_WIDGET_H
#define QETO_DEPOSITANDWITHDRAWAL_WIDGET_H

#include <QDialog>
#include <QPair>

#include "qeto_gate_api.h"
#include "user/queryWindow/query_window.h"

class MyLineEdit;
class MyPushButton;

class DepositAndWithdrawalWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit DepositAndWithdrawalWidget(QWidget *parent);
    ~DepositAndWithdrawalWidget() override;

    // The request for the typed amount; false (after the warning box) when it is not a
    // positive, finite number.
    QPair<bool, CQetoReqCapTransferField> checkValue();

public slots:
    void slot_clicked();
    void slot_rspQryInOutFundRecord(CQetoRspQryCapTransferRecordField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                    bool bIsLast);
    void slot_withdrawMoney();
    void slot_rspOutFund(CQetoRspCapTransferField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slot_saveMoney();
    void slot_rspInFund(CQetoRspCapTransferField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slot_clickedClear();

private:
    void sendTransfer(bool withdrawal);
    static void showTransferAnswer(const CQetoRspCapTransferField &field, const CQetoRspInfo &info, bool withdrawal);

    MyLineEdit *mAmountEdit;
    MyPushButton *mWithdrawButton;
    MyPushButton *mDepositButton;
    MyPushButton *mClearButton;
    MyPushButton *mRefreshButton;
    int mRowCount = 0;
};

class DepositAndWithdrawalDialog : public QDialog {
    Q_OBJECT
public:
    explicit DepositAndWithdrawalDialog(QWidget *parent);
    ~DepositAndWithdrawalDialog() override;

    DepositAndWithdrawalWidget *widget() const { return mWidget; }

private:
    DepositAndWithdrawalWidget *mWidget;
};

#endif  // QETO_DEPOSITANDWITHDRAWAL_WIDGET_H
