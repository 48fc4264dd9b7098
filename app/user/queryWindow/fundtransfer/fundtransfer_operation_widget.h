// Transfer form: direction, amount, and the two-phase answer of a transfer.
#ifndef QETO_FUNDTRANSFER_OPERATION_WIDGET_H
#define QETO_FUNDTRANSFER_OPERATION_WIDGET_H

#include <QWidget>

#include "qeto_gate_api.h"

class MyDoubleSpinBox;
class MyLabel;
class MyPushButton;
class QRadioButton;

class FundTransferOperationWidget : public QWidget {
    Q_OBJECT
public:
    explicit FundTransferOperationWidget(QWidget *parent = nullptr);
    ~FundTransferOperationWidget() override;

    char direction() const { return mDirection; }

public slots:
    void slotRadioButtonChange(bool status);
    void slotClear();
    void slotSend();
    // The counter took the request; only a refusal is shown.
    void slotRspBTFundTransfer(CQetoRspBTCapTransferManagerField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                               bool bIsLast);
    // The outcome of the transfer.
    void slotRtnBTFundTransfer(CQetoRtnBtCapTransferManagerField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                               bool bIsLast);

private:
    static void showTransferError(const CQetoRspInfo &info);

    MyLabel *mDirectionLabel;
    QRadioButton *mShToSzButton;
    QRadioButton *mSzToShButton;
    MyLabel *mAmountLabel;
    MyDoubleSpinBox *mAmountBox;
    MyPushButton *mClearButton;
    MyPushButton *mTransferButton;
    char mDirection = '1';
    CQetoReqBTCapTransferManagerField mRequest;
};

#endif  // QETO_FUNDTRANSFER_OPERATION_WIDGET_H
