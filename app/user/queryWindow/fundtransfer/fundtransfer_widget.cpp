#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"

FundTransferWidget::FundTransferWidget(QWidget *parent) : QDialog(parent) {}

FundTransferWidget::~FundTransferWidget() = default;

