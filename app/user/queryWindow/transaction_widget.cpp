#include "user/queryWindow/transaction_widget.h"

#include "constants.h"

TransactionWidget::TransactionWidget(QWidget *parent) : QueryWindow(kTradeQueryTitle, parent) {}

TransactionWidget::~TransactionWidget() = default;

