#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"

#include <QHBoxLayout>

#include "constants.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"

FundTransferWidget::FundTransferWidget(QWidget *parent)
    : QDialog(parent),
      mOperationWidget(new FundTransferOperationWidget(this)),
      mTableWidget(new FundTransferTableWidget(this)) {
    setObjectName(QStringLiteral("transferDialog"));
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setMinimumSize(924, 265);
    mTableWidget->setHeader(kTransferColumns.size(), kTransferColumns);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(mOperationWidget);
    layout->addWidget(mTableWidget);
}

FundTransferWidget::~FundTransferWidget() = default;
