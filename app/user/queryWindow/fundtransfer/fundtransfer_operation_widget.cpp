#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QMetaType>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>

#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

FundTransferOperationWidget::FundTransferOperationWidget(QWidget *parent)
    : QWidget(parent),
      mDirectionLabel(new MyLabel(QStringLiteral("资金调拨方向"), this)),
      mShToSzButton(new QRadioButton(QStringLiteral("上交柜台调往深交柜台"), this)),
      mSzToShButton(new QRadioButton(QStringLiteral("深交柜台调往上交柜台"), this)),
      mAmountLabel(new MyLabel(QStringLiteral("金额"), this)),
      mAmountBox(new MyDoubleSpinBox(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mTransferButton(new MyPushButton(QStringLiteral("调拨"), this)) {
    std::memset(&mRequest, 0, sizeof mRequest);
    mShToSzButton->setObjectName(QStringLiteral("shToSzButton"));
    mSzToShButton->setObjectName(QStringLiteral("szToShButton"));
    mAmountBox->setObjectName(QStringLiteral("amountBox"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    mTransferButton->setObjectName(QStringLiteral("transferButton"));

    mDirectionLabel->setFixedHeight(20);
    mDirectionLabel->setRedStyle();
    mShToSzButton->setChecked(true);
    mAmountLabel->setFixedHeight(20);
    mAmountLabel->setRedStyle();
    mAmountBox->setRange(0, 2147483647.0);
    mAmountBox->setDecimals(2);
    mClearButton->setGreenStyle();
    mTransferButton->setRedStyle();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mDirectionLabel, 0, Qt::AlignLeft);
    layout->addSpacing(10);
    layout->addWidget(mShToSzButton, 50, Qt::AlignLeft);
    layout->addSpacing(10);
    layout->addWidget(mSzToShButton, 50, Qt::AlignLeft);
    layout->addSpacing(10);
    layout->addStretch();
    layout->addWidget(mAmountLabel, 0, Qt::AlignLeft);
    layout->addSpacing(10);
    layout->addWidget(mAmountBox, 50, Qt::AlignLeft);
    layout->addSpacing(10);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(mTransferButton);
    buttons->addWidget(mClearButton);
    layout->addLayout(buttons);

    qRegisterMetaType<CQetoRspBTCapTransferManagerField>("CQetoRspBTCapTransferManagerField");
    qRegisterMetaType<CQetoRtnBtCapTransferManagerField>("CQetoRtnBtCapTransferManagerField");

    SignalInterface *hub = SignalInterface::instance();
    connect(mShToSzButton, &QRadioButton::toggled, this, &FundTransferOperationWidget::slotRadioButtonChange);
    connect(mClearButton, &QPushButton::clicked, this, &FundTransferOperationWidget::slotClear);
    connect(mTransferButton, &QPushButton::clicked, this, &FundTransferOperationWidget::slotSend);
    connect(hub, &SignalInterface::signal_rspBTFundTransfer, this, &FundTransferOperationWidget::slotRspBTFundTransfer);
    connect(hub, &SignalInterface::signal_rtnBTFundTransfer, this, &FundTransferOperationWidget::slotRtnBTFundTransfer);
}

FundTransferOperationWidget::~FundTransferOperationWidget() = default;

void FundTransferOperationWidget::slotRadioButtonChange(bool status) { mDirection = status ? '1' : '2'; }

void FundTransferOperationWidget::slotClear() { mAmountBox->setValue(0); }

void FundTransferOperationWidget::slotSend() {
    const double amount = mAmountBox->value();
    if (amount == 0.0) {
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("请填写正确调拨金额"), QMessageBox::Ok);
        return;
    }

    std::memset(&mRequest, 0, sizeof mRequest);
    RecordText::setField(mRequest.AccountID, ApiClientUtils::mAccount.toUtf8());
    mRequest.Amount = amount;
    mRequest.Direction = mDirection;
    // A four-byte code fills its field; the account right behind it is what ends it.
    RecordText::setField(mRequest.LoginRspCode, ApiClientUtils::mLoginRspCode.toUtf8());

    const int answer =
        QMessageBox::information(nullptr, tr("确认"), tr("是否确认调拨"), tr("确认"), tr("取消"), QString(), 0, -1);
    if (answer != 0) return;

    if (reqBTFundTransfer(&mRequest, ApiClientUtils::mAccountSessionId.load(), ApiClientUtils::mRequestId++,
                          ApiClientUtils::mEntryNo) != 0) {
        qWarning("%s", qUtf8Printable(QStringLiteral("资金调拨请求失败")));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("请求失败!"));
    }
}

void FundTransferOperationWidget::showTransferError(const CQetoRspInfo &info) {
    const QString text = QStringLiteral("[%0]%1").arg(
        QString::number(info.ErrorID), ErrorMsg::instance()->getErrorMsgById(static_cast<int>(info.ErrorID)));
    qWarning("%s", qUtf8Printable(QStringLiteral("资金调拨失败%1").arg(text)));
    QMessageBox::warning(nullptr, QStringLiteral("错误"), text);
}

void FundTransferOperationWidget::slotRspBTFundTransfer(CQetoRspBTCapTransferManagerField pRspField,
                                                        CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(pRspField)
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    if (pRspInfo.ErrorID == 0) {
        qInfo("%s", qUtf8Printable(QStringLiteral("等待资金调拨rtn回报")));
        return;
    }
    showTransferError(pRspInfo);
}

void FundTransferOperationWidget::slotRtnBTFundTransfer(CQetoRtnBtCapTransferManagerField pRspField,
                                                        CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(pRspField)
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    if (pRspInfo.ErrorID == 0) {
        QMessageBox::information(nullptr, QStringLiteral("成功"), QStringLiteral("调拨成功"));
        return;
    }
    showTransferError(pRspInfo);
}
