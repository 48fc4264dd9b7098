#include "user/user_widget.h"

#include <QAbstractButton>
#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "user/hot_keys.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/return_alert.h"
#include "user/update_pwd_dialog.h"
#include "utils/api_client_utils.h"
#include "utils/read_api_config.h"

const QString UserWidget::kTabStyleSheet = QStringLiteral(
    "QTabBar::tab {background:qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,stop: 0 #E1E1E1, stop: 0.4 #DDDDDD,"
    "stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3);border:2px solid #C4C4C3; border-bottom-color:#C2C7CB; "
    "border-top-left-radius:4px; border-top-right-radius:4px; min-width:8px; padding:2px; }"
    "QTabBar::tab:hover {background:qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,stop: 0 #fafafa, "
    "stop: 0.4 #f4f4f4,stop: 0.5 #e7e7e7, stop: 1.0 #fafafa);}"
    "QTabBar::tab:selected {border-color:#9B9B9B;border-bottom-color:red;}"
    "QTabBar::tab:!selected {margin-top:2px;}");

namespace {

void showPicture(MyLabel *label, const QString &path) { label->setPixmap(QPixmap::fromImage(QImage(path))); }

}  // namespace

UserWidget::UserWidget(QWidget *parent)
    : QWidget(parent),
      mTabWidget(new QTabWidget(this)),
      mOrderButton(new MyPushButton(QStringLiteral("委托"), this)),
      mTransferButton(new MyPushButton(QStringLiteral("沪深资金调拨"), this)),
      mDepositButton(new MyPushButton(QStringLiteral("出入金"), this)),
      mFundsButton(new MyPushButton(QStringLiteral("资金查询"), this)),
      mPasswordButton(new MyPushButton(QStringLiteral("修改密码"), this)),
      mAccountIcon(new MyLabel(this)),
      mAccountText(new MyLabel(this)),
      mExchangeIcon(new MyLabel(this)),
      mBusinessIcon(new MyLabel(this)),
      mBusinessText(new MyLabel(this)),
      mWindowsManager(new QueryWindowsManager(this)) {
    mOrderButton->setObjectName(QStringLiteral("orderWindowButton"));
    mTransferButton->setObjectName(QStringLiteral("transferDialogButton"));
    mDepositButton->setObjectName(QStringLiteral("depositDialogButton"));
    mFundsButton->setObjectName(QStringLiteral("fundsDialogButton"));
    mPasswordButton->setObjectName(QStringLiteral("passwordDialogButton"));
}

UserWidget::~UserWidget() {
    // The quote list reads the market-data client, so it goes before the manager stops it.
    delete mPositionWidget;
    mPositionWidget = nullptr;
    delete mStockQuotesWidget;
    mStockQuotesWidget = nullptr;
    delete mTransactionWidget;
    mTransactionWidget = nullptr;
    delete mOrderedWidget;
    mOrderedWidget = nullptr;
    delete mWindowsManager;
    mWindowsManager = nullptr;
    delete mFundTransferWidget;
    mFundTransferWidget = nullptr;
    delete mDepositAndWithdrawalDialog;
    mDepositAndWithdrawalDialog = nullptr;
}

void UserWidget::initUi() {
    // A workspace is built once; a later login on the same workspace only refreshes its header.
    if (mPositionWidget) return;

    mAccountIcon->setFixedSize(30, 30);
    showPicture(mAccountIcon, QStringLiteral(":/resource/account.svg"));
    mBusinessIcon->setFixedSize(33, 30);
    showPicture(mBusinessIcon, QStringLiteral(":/resource/business.svg"));
    mExchangeIcon->setFixedSize(33, 30);
    showPicture(mExchangeIcon, QStringLiteral(":/resource/sse.svg"));

    mOrderButton->setRedBigStyle();
    for (MyPushButton *button : {mTransferButton, mDepositButton, mFundsButton, mPasswordButton})
        button->setBlueBigStyle();
    for (MyPushButton *button : {mOrderButton, mTransferButton, mDepositButton, mFundsButton, mPasswordButton})
        button->setFixedSize(150, 28);
    mAccountText->setRedStyle();
    mBusinessText->setRedStyle();

    auto *headerRow = new QHBoxLayout;
    headerRow->addWidget(mOrderButton);
    headerRow->addWidget(mTransferButton);
    headerRow->addWidget(mDepositButton);
    headerRow->addWidget(mFundsButton);
    headerRow->addWidget(mPasswordButton);
    headerRow->addStretch();
    headerRow->addWidget(mExchangeIcon);
    headerRow->addWidget(mBusinessIcon);
    headerRow->addWidget(mBusinessText);
    headerRow->addWidget(mAccountIcon);
    headerRow->addWidget(mAccountText);
    headerRow->addSpacing(10);

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    mMainLayout = new QVBoxLayout(this);
    mMainLayout->addLayout(headerRow);
    mMainLayout->addWidget(separator);

    mPositionWidget = new PositionWidget(this);
    mPositionWidget->setHeader(kPositionColumns.size(), kPositionColumns);
    mTabWidget->addTab(mPositionWidget, tr("持仓查询"));

    mStockQuotesWidget = new StockQuotesWidget(this);
    mStockQuotesWidget->setHeader(kQuoteColumns.size(), kQuoteColumns);

    mTransactionWidget = new TransactionWidget(this);
    mTransactionWidget->setHeader(kTradeColumns.size(), kTradeColumns);
    mTabWidget->addTab(mTransactionWidget, tr("成交查询"));

    mOrderedWidget = new OrderedWidget(this);
    auto *orderHeader = new MyHeaderView(Qt::Horizontal, nullptr);
    mOrderedWidget->table()->setHorizontalHeader(orderHeader);
    mOrderedWidget->setHeader(kOrderColumns.size(), kOrderColumns);
    orderHeader->setSectionResizeMode(0, QHeaderView::Fixed);
    mOrderedWidget->table()->setColumnWidth(0, 40);
    connect(orderHeader, &MyHeaderView::signalHeadCheckBoxToggled, mOrderedWidget,
            &OrderedWidget::slot_HeadCheckBoxToggled);
    mTabWidget->addTab(mOrderedWidget, tr("委托查询"));

    mTabWidget->setStyleSheet(kTabStyleSheet);

    mMainLayout->addWidget(mStockQuotesWidget);
    mMainLayout->addWidget(mTabWidget);

    mWindowsManager->start();
    mStockQuotesWidget->setQuotesTcpClient(mWindowsManager->quotesClient());

    mOrderWindow = new OrderWindow(this);
    mOrderWindow->initDataClass(mWindowsManager->quotesClient());

    connect(mFundsButton, &QPushButton::clicked, this, &UserWidget::slot_refreshClicked);
    connect(mPasswordButton, &QPushButton::clicked, this, &UserWidget::slot_updatePassbuttonClicked);
    connect(mTransferButton, &QPushButton::clicked, this, &UserWidget::slot_TransferbuttonClicked);
    connect(mDepositButton, &QPushButton::clicked, this, &UserWidget::slot_DepositAndWithdrawalClicked);
    connect(mOrderButton, &QPushButton::clicked, this, &UserWidget::slot_orderButtonClicked);

    initHotKeys();
    // Taken from the screens that already receive the answers, on the GUI thread: a direct call
    // per answer, no second queued copy of every return from the library's thread.
    mReturnAlert = new ReturnAlert(this);
    if (mReturnAlert->isOn()) {
        connect(mOrderWindow->orderWidget(), &OrderWidget::signalAnswerToNotice, mReturnAlert,
                &ReturnAlert::slotReturn);
        connect(mOrderedWidget, &OrderedWidget::signalAnswerToNotice, mReturnAlert, &ReturnAlert::slotReturn);
    }
}

void UserWidget::initHotKeys() {
    // F1 and F2 work from the order window too; the others where the workspace has the focus.
    // A modal box blocks them all.
    auto key = [this](int sequence, Qt::ShortcutContext context, auto slot) {
        auto *shortcut = new QShortcut(QKeySequence(sequence), this, nullptr, nullptr, context);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    key(HotKeys::kBuy, Qt::ApplicationShortcut, [this] { slot_orderKey('1'); });
    key(HotKeys::kSell, Qt::ApplicationShortcut, [this] { slot_orderKey('2'); });
    key(HotKeys::kOrderQuery, Qt::WindowShortcut, &UserWidget::slot_orderQueryKey);
    key(HotKeys::kPositions, Qt::WindowShortcut, &UserWidget::slot_positionsKey);
    key(HotKeys::kSearch, Qt::WindowShortcut, &UserWidget::slot_searchKey);

    mOrderButton->setToolTip(tr("%1 买入  %2 卖出").arg(HotKeys::text(HotKeys::kBuy), HotKeys::text(HotKeys::kSell)));
    mTabWidget->setTabToolTip(mTabWidget->indexOf(mOrderedWidget), HotKeys::text(HotKeys::kOrderQuery));
    mTabWidget->setTabToolTip(mTabWidget->indexOf(mPositionWidget), HotKeys::text(HotKeys::kPositions));
    for (QueryWindow *tab : std::initializer_list<QueryWindow *>{mPositionWidget, mTransactionWidget, mOrderedWidget})
        tab->searchButton()->setToolTip(HotKeys::text(HotKeys::kSearch));
}

void UserWidget::updateHeader() {
    mAccountText->setText(ApiClientUtils::mAccount);

    const QString businessCode = ReadApiConfig::instance()->getBusinessCode();
    if (!businessCode.isEmpty()) {
        mBusinessText->setText(businessCode);
        mBusinessIcon->setVisible(true);
    } else {
        mBusinessIcon->setVisible(false);
    }

    showPicture(mExchangeIcon, ApiClientUtils::mMarket == '2' ? QStringLiteral(":/resource/szse.svg")
                                                              : QStringLiteral(":/resource/sse.svg"));
    mExchangeIcon->setFixedSize(33, 30);
}

void UserWidget::slot_refreshClicked() {
    if (!mPersonalInfDialog) mPersonalInfDialog = new PersonalInfDialog(this);
    mPersonalInfDialog->show();
    mPersonalInfDialog->slot_refresh();
}

void UserWidget::slot_TransferbuttonClicked() {
    if (!mFundTransferWidget) mFundTransferWidget = new FundTransferWidget(this);
    mFundTransferWidget->show();
}

void UserWidget::slot_DepositAndWithdrawalClicked() {
    if (!mDepositAndWithdrawalDialog) mDepositAndWithdrawalDialog = new DepositAndWithdrawalDialog(this);
    mDepositAndWithdrawalDialog->show();
}

void UserWidget::slot_orderButtonClicked() {
    if (!mOrderWindow) {
        mOrderWindow = new OrderWindow(this);
        mOrderWindow->initDataClass(mWindowsManager->quotesClient());
    }
    mOrderWindow->show();
}

void UserWidget::slot_updatePassbuttonClicked() {
    if (!mUpdatePwdDialog) mUpdatePwdDialog = new UpdatePwdDialog(this);
    mUpdatePwdDialog->show();
    mUpdatePwdDialog->clearInputs();
}

void UserWidget::slot_orderKey(char side) {
    slot_orderButtonClicked();
    mOrderWindow->orderWidget()->startEntry(side);
    mOrderWindow->raise();
    mOrderWindow->activateWindow();
}

void UserWidget::slot_orderQueryKey() { mTabWidget->setCurrentWidget(mOrderedWidget); }

void UserWidget::slot_positionsKey() { mTabWidget->setCurrentWidget(mPositionWidget); }

void UserWidget::slot_searchKey() {
    auto *tab = qobject_cast<QueryWindow *>(mTabWidget->currentWidget());
    if (QAbstractButton *search = tab ? tab->searchButton() : nullptr) search->click();
}

void UserWidget::paintEvent(QPaintEvent *event) {
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::transparent);
    painter.setBrush(QColor(245, 245, 245));
    painter.drawRoundedRect(0, 0, width() - 1, height() - 1, 15, 15);
}
