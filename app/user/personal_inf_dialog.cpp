#include "user/personal_inf_dialog.h"

#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "utils/api_client_utils.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

PersonalInfDialog::PersonalInfDialog(QWidget *parent)
    : QDialog(parent),
      mRefreshBtn(new MyPushButton(QStringLiteral("刷新"), this)),
      mFrozenCashTitle(new MyLabel(QStringLiteral("冻结资金"), this)),
      mFrozenCashValue(new MyLabel(this)),
      mFrozenFeeTitle(new MyLabel(QStringLiteral("锁定手续费"), this)),
      mFrozenFeeValue(new MyLabel(this)),
      mFeeTitle(new MyLabel(QStringLiteral("手续费"), this)),
      mFeeValue(new MyLabel(this)),
      mOnExchangeCashTitle(new MyLabel(QStringLiteral("上场资金"), this)),
      mOnExchangeCashValue(new MyLabel(this)),
      mTodaySellAmountTitle(new MyLabel(QStringLiteral("今日卖出金额"), this)),
      mTodaySellAmountValue(new MyLabel(this)),
      mTodayBuyAmountTitle(new MyLabel(QStringLiteral("今日买入金额"), this)),
      mTodayBuyAmountValue(new MyLabel(this)),
      mAvailableCashTitle(new MyLabel(QStringLiteral("可用资金"), this)),
      mAvailableCashValue(new MyLabel(this)),
      mWithdrawableCashTitle(new MyLabel(QStringLiteral("可取金额"), this)),
      mWithdrawableCashValue(new MyLabel(this)),
      mStartWithdrawableCashTitle(new MyLabel(QStringLiteral("日初可取金额"), this)),
      mStartWithdrawableCashValue(new MyLabel(this)) {
    std::memset(&mReq, 0, sizeof mReq);
    setObjectName(QStringLiteral("fundsDialog"));
    mRefreshBtn->setObjectName(QStringLiteral("refreshButton"));
    mAvailableCashValue->setObjectName(QStringLiteral("availableCashValue"));
    mWithdrawableCashValue->setObjectName(QStringLiteral("withdrawableCashValue"));
    mFeeValue->setObjectName(QStringLiteral("feeValue"));

    setFixedSize(260, 290);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mRefreshBtn, 0, Qt::AlignRight);
    const QList<QPair<MyLabel *, MyLabel *>> rows = {
        {mOnExchangeCashTitle, mOnExchangeCashValue},
        {mAvailableCashTitle, mAvailableCashValue},
        {mWithdrawableCashTitle, mWithdrawableCashValue},
        {mStartWithdrawableCashTitle, mStartWithdrawableCashValue},
        {mFrozenCashTitle, mFrozenCashValue},
        {mFrozenFeeTitle, mFrozenFeeValue},
        {mFeeTitle, mFeeValue},
        {mTodaySellAmountTitle, mTodaySellAmountValue},
        {mTodayBuyAmountTitle, mTodayBuyAmountValue},
    };
    for (const auto &row : rows) {
        row.first->setFixedWidth(80);
        auto *line = new QHBoxLayout;
        line->addWidget(row.first);
        line->addWidget(row.second);
        layout->addLayout(line);
    }

    connect(mRefreshBtn, &QPushButton::clicked, this, &PersonalInfDialog::slot_refresh);
    connect(SignalInterface::instance(), &SignalInterface::signal_personalInfo, this,
            &PersonalInfDialog::slot_personalInfo);
}

PersonalInfDialog::~PersonalInfDialog() = default;

void PersonalInfDialog::slot_refresh() {
    mRefreshBtn->setEnabled(false);
    // Bound to the dialog, so a dialog deleted within the second takes its timer along.
    QTimer::singleShot(1000, this, [this] { mRefreshBtn->setEnabled(true); });

    std::memset(&mReq, 0, sizeof mReq);
    RecordText::setField(mReq.AccountID, ApiClientUtils::mAccount.toUtf8());

    const uint32_t session = ApiClientUtils::mAccountSessionId;
    qInfo("%s", qUtf8Printable(QStringLiteral("ApiClientUtils::mAccountSessionId : ") + QString::number(session)));
    reqQryFund(&mReq, session, ApiClientUtils::mRequestId++, ApiClientUtils::mEntryNo);
}

void PersonalInfDialog::slot_personalInfo(CQetoRspQryStockClientAccountField msg) {
    mFrozenCashValue->setText(Utils::truncateNumber(msg.FrozenCash, 3));
    mFrozenFeeValue->setText(Utils::truncateNumber(msg.FrozenFee, 3));
    mFeeValue->setText(Utils::truncateNumber(msg.Fee, 3));
    mOnExchangeCashValue->setText(Utils::truncateNumber(msg.OnExchangeCash, 3));
    mTodaySellAmountValue->setText(Utils::truncateNumber(msg.TodaySellAmount, 3));
    mTodayBuyAmountValue->setText(Utils::truncateNumber(msg.TodayBuyAmount, 3));
    mAvailableCashValue->setText(Utils::truncateNumber(msg.AvailableCash, 3));
    mWithdrawableCashValue->setText(Utils::truncateNumber(msg.WithdrawableCash, 3));
    mStartWithdrawableCashValue->setText(Utils::truncateNumber(msg.StartWithdrawableCash, 3));
}
