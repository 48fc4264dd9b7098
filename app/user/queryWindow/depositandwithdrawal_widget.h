// Deposit and withdrawal dialog. For now only the frame the workspace opens.
#ifndef QETO_DEPOSITANDWITHDRAWAL_WIDGET_H
#define QETO_DEPOSITANDWITHDRAWAL_WIDGET_H

#include <QDialog>

class DepositAndWithdrawalDialog : public QDialog {
    Q_OBJECT
public:
    explicit DepositAndWithdrawalDialog(QWidget *parent);
    ~DepositAndWithdrawalDialog() override;
};

#endif  // QETO_DEPOSITANDWITHDRAWAL_WIDGET_H
