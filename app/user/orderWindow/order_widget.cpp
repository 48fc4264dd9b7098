#include "user/orderWindow/order_widget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMetaType>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <QtDebug>
#include <cstring>

#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "user/hot_keys.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"

namespace {

const QString kErrorTitle = QStringLiteral("出错");

void showError(const QString &text) { QMessageBox::critical(nullptr, kErrorTitle, text, QMessageBox::Ok); }

bool allDigits(const QString &text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

}  // namespace

OrderWidget::OrderWidget(QWidget *parent)
    : QWidget(parent),
      mCodeCaption(new MyLabel(QStringLiteral("代码"), this)),
      mCodeEdit(new MyLineEdit(this)),
      mNameCaption(new MyLabel(QStringLiteral("名称"), this)),
      mNameLabel(new MyLabel(QStringLiteral(" "), this)),
      mSideCaption(new MyLabel(QStringLiteral("买/卖"), this)),
      mBuyButton(new QRadioButton(QStringLiteral("买"), this)),
      mSellButton(new QRadioButton(QStringLiteral("卖"), this)),
      mPriceCaption(new MyLabel(QStringLiteral("报价"), this)),
      mPriceBox(new MyDoubleSpinBox(this)),
      mQuantityCaption(new MyLabel(QStringLiteral("数量"), this)),
      mQuantityBox(new MySpinBox(this)),
      mOrderButton(new MyPushButton(QStringLiteral("下单"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)) {
    std::memset(&mOrderRequest, 0, sizeof mOrderRequest);
    initUi();
    initConnections();
}

OrderWidget::~OrderWidget() = default;

void OrderWidget::initUi() {
    mCodeEdit->setObjectName(QStringLiteral("codeBox"));
    mNameLabel->setObjectName(QStringLiteral("nameLabel"));
    mBuyButton->setObjectName(QStringLiteral("buyButton"));
    mSellButton->setObjectName(QStringLiteral("sellButton"));
    mPriceBox->setObjectName(QStringLiteral("priceBox"));
    mQuantityBox->setObjectName(QStringLiteral("quantityBox"));
    mOrderButton->setObjectName(QStringLiteral("orderButton"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));

    mCodeEdit->setPlaceholderText(tr("证券代码"));
    mCodeEdit->setFixedWidth(132);
    mCodeEdit->setMaxLength(6);
    mNameCaption->setFixedWidth(32);
    mNameLabel->setFixedSize(132, 20);
    mPriceBox->setFixedWidth(132);
    mPriceBox->setRange(0, 2147483647.0);
    mPriceBox->setValue(0);
    mQuantityBox->setFixedWidth(132);
    mQuantityBox->setRange(0, 2147483647);
    mQuantityBox->setValue(0);
    mOrderButton->setRedStyle();
    mClearButton->setGreenStyle();
    mOrderButton->setToolTip(tr("%1（在报价或数量框中）").arg(HotKeys::text(HotKeys::kSendOrder)));

    auto *codeRow = new QHBoxLayout;
    codeRow->addWidget(mCodeCaption);
    codeRow->addSpacing(35);
    codeRow->addWidget(mCodeEdit);
    codeRow->addStretch();
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(mNameCaption);
    nameRow->addSpacing(29);
    nameRow->addWidget(mNameLabel);
    nameRow->addStretch();
    auto *sideRow = new QHBoxLayout;
    sideRow->addWidget(mSideCaption);
    sideRow->addSpacing(85);
    sideRow->addWidget(mBuyButton);
    sideRow->addWidget(mSellButton);
    sideRow->addStretch();
    auto *priceRow = new QHBoxLayout;
    priceRow->addWidget(mPriceCaption);
    priceRow->addSpacing(35);
    priceRow->addWidget(mPriceBox);
    priceRow->addStretch();
    auto *quantityRow = new QHBoxLayout;
    quantityRow->addWidget(mQuantityCaption);
    quantityRow->addSpacing(35);
    quantityRow->addWidget(mQuantityBox);
    quantityRow->addStretch();
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(mOrderButton);
    buttonRow->addSpacing(27);
    buttonRow->addWidget(mClearButton);

    slotClearClicked();
    mBuyButton->setChecked(true);

    auto *layout = new QVBoxLayout;
    layout->addLayout(codeRow);
    layout->addLayout(nameRow);
    layout->addLayout(sideRow);
    layout->addLayout(priceRow);
    layout->addLayout(quantityRow);
    layout->addLayout(buttonRow);
    setLayout(layout);
    setFixedSize(215, 240);

    // Keyboard order entry: Tab walks code, price, quantity, 下单; Enter in the two boxes orders.
    setTabOrder(mCodeEdit, mPriceBox);
    setTabOrder(mPriceBox, mQuantityBox);
    setTabOrder(mQuantityBox, mOrderButton);
    mPriceBox->installEventFilter(this);
    mQuantityBox->installEventFilter(this);
}

void OrderWidget::initConnections() {
    // Order matters: the code is stored and announced before its name is looked up.
    connect(mCodeEdit, &QLineEdit::textChanged, this, &OrderWidget::slotStockCodeChange);
    connect(mCodeEdit, &QLineEdit::textChanged, this, &OrderWidget::slotChangeName);
    connect(mBuyButton, &QRadioButton::toggled, this, &OrderWidget::slotRadioButtonChange);
    connect(mPriceBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &OrderWidget::slotMoneyChange);
    connect(mQuantityBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &OrderWidget::slotQuantityChange);
    connect(mOrderButton, &QPushButton::clicked, this, &OrderWidget::slotOrderClicked);
    connect(mClearButton, &QPushButton::clicked, this, &OrderWidget::slotClearClicked);

    qRegisterMetaType<CQetoRspOrderInsertField>("CQetoRspOrderInsertField");
    qRegisterMetaType<CQetoRtnOrderField>("CQetoRtnOrderField");
    SignalInterface *hub = SignalInterface::instance();
    if (!hub) return;
    connect(hub, &SignalInterface::signal_rspInsertOrder, this, &OrderWidget::slotRspInsertOrder);
    connect(hub, &SignalInterface::signal_rspErrInsertOrder, this, &OrderWidget::slotRspErrInsertOrder);
    connect(hub, &SignalInterface::signal_rtnOrder, this, &OrderWidget::slotRtnOrder);
    connect(hub, &SignalInterface::signal_clicketOrder, this, &OrderWidget::slotClicketOrder);
}

void OrderWidget::setQuotesTcpClient(QuotesTcpClient *client) { mQuotesClient = client; }

void OrderWidget::startEntry(char side) {
    (side == '2' ? mSellButton : mBuyButton)->setChecked(true);
    mCodeEdit->setFocus(Qt::ShortcutFocusReason);
    mCodeEdit->selectAll();
}

bool OrderWidget::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == mPriceBox || watched == mQuantityBox) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // Taken here, so the dialog never sees it as well; a held key's repeats order nothing.
            if (!key->isAutoRepeat()) {
                static_cast<QAbstractSpinBox *>(watched)->interpretText();
                mOrderButton->click();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OrderWidget::slotStockCodeChange(QString str) {
    mSecurityId = str;
    emit signalSecurityIdChanged(str);
}

void OrderWidget::slotRadioButtonChange(bool status) { mSide = status ? '1' : '2'; }

void OrderWidget::slotMoneyChange(double money) { mMoney = money; }

void OrderWidget::slotQuantityChange(int quantity) { mQuantity = quantity; }

void OrderWidget::slotOrderClicked() {
    // The boxes below run event loops of their own, in which another click or Enter can arrive.
    if (mOrdering) return;
    const QScopedValueRollback<bool> ordering(mOrdering, true);

    const QString code = mCodeEdit->text();
    const double price = mPriceBox->value();
    const int quantity = mQuantityBox->value();

    if (code.isEmpty()) {
        showError(QStringLiteral("证券代码不能为空!"));
        return;
    }
    // A code set from elsewhere bypasses the box's validator, so digits are checked here too.
    if (code.size() < 6 || !allDigits(code)) {
        showError(QStringLiteral("证券代码错误!"));
        return;
    }
    if (price == 0.0) {
        showError(QStringLiteral("填写正确的价格!"));
        return;
    }
    if (quantity == 0) {
        showError(QStringLiteral("填写正确的数量!"));
        return;
    }

    fillRequest(code, price, quantity);

    const int answer =
        QMessageBox::information(nullptr, tr("确认"), tr("是否确认交易"), tr("确认"), tr("取消"), QString(), 0, -1);
    if (answer != 0) return;

    const int requestId = ApiClientUtils::mRequestId++;
    const int result = reqInsertOrder(&mOrderRequest, ApiClientUtils::mOpaqueBlock,
                                      ApiClientUtils::mAccountSessionId.load(), requestId, ApiClientUtils::mEntryNo);
    if (result != 0) {
        qWarning().noquote() << QStringLiteral("报单请求失败");
        showError(QStringLiteral("报单请求失败"));
    }
}

void OrderWidget::fillRequest(const QString &code, double price, int quantity) {
    std::memset(&mOrderRequest, 0, sizeof mOrderRequest);
    mOrderRequest.UserLocalID = ++ApiClientUtils::mMaxUserLocalId;
    RecordText::setField(mOrderRequest.SecurityID, code.toUtf8().left(6));
    mOrderRequest.Direction = mSide;
    mOrderRequest.Price = price;
    mOrderRequest.Volume = quantity;
    mOrderRequest.OrderPriceType = '2';
    mOrderRequest.TimeCondition = '0';
    RecordText::setField(mOrderRequest.Remark, QByteArrayLiteral("ApiClient"));
}

void OrderWidget::slotClearClicked() {
    mCodeEdit->clear();
    mPriceBox->setValue(0);
    mQuantityBox->setValue(0);
}

void OrderWidget::slotRspInsertOrder(CQetoRspOrderInsertField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                     bool bIsLast) {
    Q_UNUSED(pRspField)
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    if (pRspInfo.ErrorID != 0) {
        emit signalAnswerToNotice();
        const QString text = QStringLiteral("报单发送失败[%0]%1")
                                 .arg(QString::number(pRspInfo.ErrorID), ErrorMsg::instance()->getErrorMsg(pRspInfo));
        qWarning().noquote() << text;
        QMessageBox::warning(nullptr, kErrorTitle, text, QMessageBox::Ok);
        return;
    }
    qInfo().noquote() << QStringLiteral("报单发送成功");
    QMessageBox::information(nullptr, QStringLiteral("成功"), QStringLiteral("报单发送成功"), QMessageBox::Ok);
}

void OrderWidget::slotRspErrInsertOrder(CQetoRspOrderInsertField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                        bool bIsLast) {
    slotRspInsertOrder(pRspField, pRspInfo, nRequestID, bIsLast);
}

void OrderWidget::slotRtnOrder(CQetoRtnOrderField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast) {
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    emit signalAnswerToNotice();
    const QString orderText = RecordText::fieldUtf8(pRspField.OrderText);
    if (pRspInfo.ErrorID != 0) {
        qWarning().noquote() << QStringLiteral("%1交易失败[%2]%3")
                                    .arg(orderText, QString::number(pRspInfo.ErrorID),
                                         ErrorMsg::instance()->getErrorMsg(pRspInfo));
        return;
    }
    qInfo().noquote() << QStringLiteral("%1交易成功").arg(orderText);
}

void OrderWidget::slotClicketOrder(QString code) { mCodeEdit->setText(code); }

void OrderWidget::slotChangePrice(QString price) {
    if (price.isEmpty() || price == QLatin1String("-")) return;
    mPriceBox->setValue(price.toDouble());
}

void OrderWidget::slotChangeName(QString code) {
    if (!mQuotesClient) {
        mNameLabel->clear();
        return;
    }
    const ClientSecurityMarketDataLevel1 rec = mQuotesClient->lookupQuote(code);
    mNameLabel->setText(RecordText::fieldUtf8(rec.securityName));
}
