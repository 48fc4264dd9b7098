#include "user/queryWindow/depositandwithdrawal_widget.h"

DepositAndWithdrawalDialog::DepositAndWithdrawalDialog(QWidget *parent) : QDialog(parent) {}

DepositAndWithdrawalDialog::~DepositAndWithdrawalDialog() = default;

