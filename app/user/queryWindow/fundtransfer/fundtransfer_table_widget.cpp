#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QStringList>
#include <QTableWidgetItem>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_push_button.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {

QString directionText(char direction) {
    switch (direction) {
        case '1':
            return QStringLiteral("上交柜台调往深交柜台");
        case '2':
            return QStringLiteral("深交柜台调往上交柜台");
        default:
            return QString();
    }
}

}  // namespace

FundTransferTableWidget::FundTransferTableWidget(QWidget *parent)
    : QueryWindow(QStringLiteral("资金调拨记录"), parent),
      mRefreshButton(new MyPushButton(QStringLiteral("刷新"), this)) {
    mRefreshButton->setObjectName(QStringLiteral("refreshButton"));
    mTopLayout->addStretch();
    mTopLayout->addWidget(mRefreshButton, 0, Qt::AlignRight);

    connectRefresh();
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryBTFundTransferRecord, this,
            &FundTransferTableWidget::slot_rspQryBTFundTransferRecord);
}

FundTransferTableWidget::~FundTransferTableWidget() = default;

void FundTransferTableWidget::connectRefresh() {
    // A last answer can also arrive while the button is connected (an answer to someone
    // else's query); a second connection would send every query twice.
    connect(mRefreshButton, &QPushButton::clicked, this, &FundTransferTableWidget::slot_clicked, Qt::UniqueConnection);
}

void FundTransferTableWidget::slot_clicked() {
    // No second query until this one's last answer is in.
    disconnect(mRefreshButton, &QPushButton::clicked, this, &FundTransferTableWidget::slot_clicked);

    CQetoReqQryBTCapTransferManagerField request;
    std::memset(&request, 0, sizeof request);
    RecordText::setField(request.AccountID, ApiClientUtils::mAccount.toUtf8());
    RecordText::setField(request.LoginRspCode, ApiClientUtils::mLoginRspCode.toUtf8());
    if (reqQryBTFundTransferRecord(&request, ApiClientUtils::mAccountSessionId.load(), ApiClientUtils::mRequestId++,
                                   ApiClientUtils::mEntryNo) != 0) {
        qWarning("%s", qUtf8Printable(QStringLiteral("资金调拨信息查询失败")));
        QMessageBox::warning(nullptr, QStringLiteral("失败"), QStringLiteral("查询失败"));
        connectRefresh();
        return;
    }
    mTable->setRowCount(0);
    mRowCount = 0;
}

void FundTransferTableWidget::slot_rspQryBTFundTransferRecord(CQetoRspQryBTCapTransferManagerField pRspField,
                                                              CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    if (pRspInfo.ErrorID != 0) {
        const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
        qWarning("%s", qUtf8Printable(QStringLiteral("资金调拨信息查询失败%1").arg(text)));
        QMessageBox::warning(nullptr, QStringLiteral("失败"), text);
    } else {
        mTable->setRowCount(mRowCount + 1);
        const QStringList cells = {
            RecordText::fieldUtf8(pRspField.OrgCode),
            QString::number(pRspField.Amount, 'f', 2),
            directionText(pRspField.Direction),
            QString::number(pRspField.ErrorCode),
            pRspField.ErrorCode != 0 ? QStringLiteral("失败") : QStringLiteral("成功"),
            Utils::transferStatusText(pRspField.TransferStatus),
            Utils::formatTime(pRspField.OperTime, 9),
        };
        for (int column = 0; column < cells.size(); ++column)
            mTable->setItem(mRowCount, column, new QTableWidgetItem(cells.at(column)));
        ++mRowCount;
    }
    if (bIsLast) connectRefresh();
}
