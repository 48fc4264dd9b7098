// Shanghai-Shenzhen transfer window: the transfer form on the left, the transfer records on the right.
#ifndef QETO_FUNDTRANSFER_WIDGET_H
#define QETO_FUNDTRANSFER_WIDGET_H

#include <QDialog>

class FundTransferOperationWidget;
class FundTransferTableWidget;

class FundTransferWidget : public QDialog {
    Q_OBJECT
public:
    explicit FundTransferWidget(QWidget *parent);
    ~FundTransferWidget() override;

    FundTransferOperationWidget *operationWidget() const { return mOperationWidget; }
    FundTransferTableWidget *tableWidget() const { return mTableWidget; }

private:
    FundTransferOperationWidget *mOperationWidget;
    FundTransferTableWidget *mTableWidget;
};

#endif  // QETO_FUNDTRANSFER_WIDGET_H
