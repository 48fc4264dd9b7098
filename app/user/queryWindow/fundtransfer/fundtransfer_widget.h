// Shanghai-Shenzhen fund transfer window. For now only the frame the workspace opens.
#ifndef QETO_FUNDTRANSFER_WIDGET_H
#define QETO_FUNDTRANSFER_WIDGET_H

#include <QDialog>

class FundTransferWidget : public QDialog {
    Q_OBJECT
public:
    explicit FundTransferWidget(QWidget *parent);
    ~FundTransferWidget() override;
};

#endif  // QETO_FUNDTRANSFER_WIDGET_H
