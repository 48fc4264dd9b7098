// Account funds dialog: asks the counter for the account's fund figures and shows them.
#ifndef QETO_PERSONAL_INF_DIALOG_H
#define QETO_PERSONAL_INF_DIALOG_H

#include <QDialog>

#include "qeto_gate_api.h"

class MyLabel;
class MyPushButton;

class PersonalInfDialog : public QDialog {
    Q_OBJECT
public:
    explicit PersonalInfDialog(QWidget *parent);
    ~PersonalInfDialog() override;

public slots:
    // Sends the fund query; the button stays disabled for a second afterwards.
    void slot_refresh();
    // Any fund answer of the process lands here, whoever asked for it.
    void slot_personalInfo(CQetoRspQryStockClientAccountField msg);

private:
    MyPushButton *mRefreshBtn;
    MyLabel *mFrozenCashTitle;
    MyLabel *mFrozenCashValue;
    MyLabel *mFrozenFeeTitle;
    MyLabel *mFrozenFeeValue;
    MyLabel *mFeeTitle;
    MyLabel *mFeeValue;
    MyLabel *mOnExchangeCashTitle;
    MyLabel *mOnExchangeCashValue;
    MyLabel *mTodaySellAmountTitle;
    MyLabel *mTodaySellAmountValue;
    MyLabel *mTodayBuyAmountTitle;
    MyLabel *mTodayBuyAmountValue;
    MyLabel *mAvailableCashTitle;
    MyLabel *mAvailableCashValue;
    MyLabel *mWithdrawableCashTitle;
    MyLabel *mWithdrawableCashValue;
    MyLabel *mStartWithdrawableCashTitle;
    MyLabel *mStartWithdrawableCashValue;

    CQetoReqQryStockClientAccountField mReq;
};

#endif  // QETO_PERSONAL_INF_DIALOG_H
