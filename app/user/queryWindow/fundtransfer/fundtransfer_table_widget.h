// Transfer records between the Shanghai and the Shenzhen counter, listed on request.
#ifndef QETO_FUNDTRANSFER_TABLE_WIDGET_H
#define QETO_FUNDTRANSFER_TABLE_WIDGET_H

#include "qeto_gate_api.h"
#include "user/queryWindow/query_window.h"

class MyPushButton;

class FundTransferTableWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit FundTransferTableWidget(QWidget *parent = nullptr);
    ~FundTransferTableWidget() override;

public slots:
    void slot_clicked();
    void slot_rspQryBTFundTransferRecord(CQetoRspQryBTCapTransferManagerField pRspField, CQetoRspInfo pRspInfo,
                                         int nRequestID, bool bIsLast);

private:
    void connectRefresh();

    MyPushButton *mRefreshButton;
    int mRowCount = 0;
};

#endif  // QETO_FUNDTRANSFER_TABLE_WIDGET_H
