#include "user/queryWindow/depositandwithdrawal_widget.h"

#include <QDebug>
#include <QDoubleValidator>
#include <QHBoxLayout>
#include <QLocale>
#include <QMessageBox>
#include <QTableWidgetItem>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {

// The counter reads at most 15 bytes of the account; the zero fill behind them ends it.
constexpr int kAccountBytes = 15;

template <typename Record>
void fillAccount(Record &record) {
    RecordText::setField(record.AccountID, ApiClientUtils::mAccount.toUtf8().left(kAccountBytes));
}

QString operationText(char direction) {
    switch (direction) {
        case '1':
            return QStringLiteral("入金");
        case '2':
            return QStringLiteral("出金");
        default:
            return QString();
    }
}

}  // namespace

DepositAndWithdrawalWidget::DepositAndWithdrawalWidget(QWidget *parent)
    : QueryWindow(QStringLiteral("出入金"), parent),
      mAmountEdit(new MyLineEdit(tr("金额"), this)),
      mWithdrawButton(new MyPushButton(QStringLiteral("出金"), this)),
      mDepositButton(new MyPushButton(QStringLiteral("入金"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mRefreshButton(new MyPushButton(QStringLiteral("刷新"), this)) {
    mAmountEdit->setObjectName(QStringLiteral("amountEdit"));
    mWithdrawButton->setObjectName(QStringLiteral("withdrawButton"));
    mDepositButton->setObjectName(QStringLiteral("depositButton"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    mRefreshButton->setObjectName(QStringLiteral("refreshButton"));
    mClearButton->setGreenStyle();

    auto *validator = new QDoubleValidator(mAmountEdit);
    validator->setDecimals(2);
    // Typed text is read back with the C locale's number format, so it is typed in that format.
    validator->setLocale(QLocale::c());
    mAmountEdit->setValidator(validator);

    mTopLayout->addWidget(mAmountEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mWithdrawButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mDepositButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();
    mTopLayout->addWidget(mRefreshButton, 0, Qt::AlignRight);

    SignalInterface *hub = SignalInterface::instance();
    connect(mRefreshButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_clicked);
    connect(mWithdrawButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_withdrawMoney);
    connect(mDepositButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_saveMoney);
    connect(hub, &SignalInterface::signal_rspQryInOutFundRecord, this,
            &DepositAndWithdrawalWidget::slot_rspQryInOutFundRecord);
    connect(hub, &SignalInterface::signal_rspInFund, this, &DepositAndWithdrawalWidget::slot_rspInFund);
    connect(hub, &SignalInterface::signal_rspOutFund, this, &DepositAndWithdrawalWidget::slot_rspOutFund);
    connect(mClearButton, &QPushButton::clicked, this, &DepositAndWithdrawalWidget::slot_clickedClear);
}

DepositAndWithdrawalWidget::~DepositAndWithdrawalWidget() = default;

QPair<bool, CQetoReqCapTransferField> DepositAndWithdrawalWidget::checkValue() {
    CQetoReqCapTransferField request;
    std::memset(&request, 0, sizeof request);

    bool ok = false;
    double amount = mAmountEdit->text().toDouble(&ok);
    if (!ok) amount = 0;
    // An exponent can be typed, so an overflowing text must not turn into an infinite amount.
    if (!(amount > 0) || !qIsFinite(amount)) {
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("请输入正确的金额"));
        qWarning() << "input error money double is :" << amount;
        return qMakePair(false, request);
    }
    fillAccount(request);
    request.Amount = amount;
    return qMakePair(true, request);
}

void DepositAndWithdrawalWidget::sendTransfer(bool withdrawal) {
    QPair<bool, CQetoReqCapTransferField> checked = checkValue();
    if (!checked.first) return;

    const int answer =
        QMessageBox::information(nullptr, tr("确认"), withdrawal ? tr("是否确认出金") : tr("是否确认入金"), tr("确认"),
                                 tr("取消"), QString(), 0, -1);
    if (answer != 0) return;

    CQetoReqCapTransferField &request = checked.second;
    const uint32_t session = ApiClientUtils::mAccountSessionId.load();
    const int requestId = ApiClientUtils::mRequestId++;
    const int result = withdrawal ? reqOutFund(&request, session, requestId, ApiClientUtils::mEntryNo)
                                  : reqInFund(&request, session, requestId, ApiClientUtils::mEntryNo);
    if (result == 0) return;

    if (withdrawal) {
        qWarning("%s", qUtf8Printable(QStringLiteral("出金请求失败")));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("请求失败"));
    } else {
        qWarning("%s", qUtf8Printable(QStringLiteral("入金请求失败")));
        QMessageBox::warning(nullptr, QStringLiteral("失败"), QStringLiteral("请求失败"));
    }
}

void DepositAndWithdrawalWidget::showTransferAnswer(const CQetoRspCapTransferField &field, const CQetoRspInfo &info,
                                                    bool withdrawal) {
    if (info.ErrorID == 0) {
        const QString text = withdrawal ? QStringLiteral("调出资金成功") : QStringLiteral("调入资金成功");
        qInfo("%s", qUtf8Printable(text));
        QMessageBox::information(nullptr, QStringLiteral("成功"), text);
        return;
    }
    // The counter's own code says more than the gateway's, when there is one.
    const int ownCode = field.ErrorCode;
    const QString reason =
        ownCode != 0 ? ErrorMsg::instance()->getErrorMsgById(ownCode) : ErrorMsg::instance()->getErrorMsg(info);
    const QString text = (withdrawal ? QStringLiteral("调出资金失败[%0]%1") : QStringLiteral("调入资金失败[%0]%1"))
                             .arg(QString::number(info.ErrorID), reason);
    qWarning("%s", qUtf8Printable(text));
    QMessageBox::warning(nullptr, QStringLiteral("失败"), text);
}

void DepositAndWithdrawalWidget::slot_withdrawMoney() { sendTransfer(true); }

void DepositAndWithdrawalWidget::slot_saveMoney() { sendTransfer(false); }

void DepositAndWithdrawalWidget::slot_rspOutFund(CQetoRspCapTransferField pRspField, CQetoRspInfo pRspInfo,
                                                 int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    showTransferAnswer(pRspField, pRspInfo, true);
}

void DepositAndWithdrawalWidget::slot_rspInFund(CQetoRspCapTransferField pRspField, CQetoRspInfo pRspInfo,
                                                int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    showTransferAnswer(pRspField, pRspInfo, false);
}

void DepositAndWithdrawalWidget::slot_clickedClear() { mAmountEdit->clear(); }

void DepositAndWithdrawalWidget::slot_clicked() {
    // A second query while the first one's rows are still coming would mix the two.
    mRefreshButton->setEnabled(false);
    QTimer::singleShot(1000, mRefreshButton, [button = mRefreshButton] { button->setEnabled(true); });

    CQetoReqQryCapTransferRecordField request;
    std::memset(&request, 0, sizeof request);
    fillAccount(request);
    const int result = reqQryInOutFundRecord(&request, ApiClientUtils::mAccountSessionId.load(),
                                             ApiClientUtils::mRequestId++, ApiClientUtils::mEntryNo);
    if (result != 0) {
        qWarning("%s", qUtf8Printable(QStringLiteral("出入金信息查询请求失败")));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("查询出错"));
        return;
    }
    mTable->setRowCount(0);
    mRowCount = 0;
}

void DepositAndWithdrawalWidget::slot_rspQryInOutFundRecord(CQetoRspQryCapTransferRecordField pRspField,
                                                            CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    if (pRspInfo.ErrorID != 0) {
        const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
        qWarning("%s", qUtf8Printable(QStringLiteral("出入金信息查询失败%1").arg(text)));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), text);
        return;
    }
    if (pRspField.Direction == '0' && bIsLast) {
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("查询成功，没有记录"));
        return;
    }

    mTable->setRowCount(mRowCount + 1);
    const QStringList cells = {RecordText::fieldUtf8(pRspField.OrgCode), QString::number(pRspField.Amount, 'f', 2),
                               operationText(pRspField.Direction), RecordText::fieldUtf8(pRspField.OperTime)};
    for (int column = 0; column < cells.size(); ++column)
        mTable->setItem(mRowCount, column, new QTableWidgetItem(cells.at(column)));
    ++mRowCount;
}

DepositAndWithdrawalDialog::DepositAndWithdrawalDialog(QWidget *parent)
    : QDialog(parent), mWidget(new DepositAndWithdrawalWidget(this)) {
    setObjectName(QStringLiteral("depositDialog"));
    setMinimumSize(660, 265);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    mWidget->setHeader(kInOutFundColumns.size(), kInOutFundColumns);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mWidget);
}

DepositAndWithdrawalDialog::~DepositAndWithdrawalDialog() = default;
