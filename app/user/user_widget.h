// The workspace shown after login: action buttons and account badges, the live quote list,
// and the position, trade and order tables in tabs.
#ifndef QETO_USER_WIDGET_H
#define QETO_USER_WIDGET_H

#include <QWidget>

class DepositAndWithdrawalDialog;
class FundTransferWidget;
class MyLabel;
class MyPushButton;
class OrderWindow;
class OrderedWidget;
class PersonalInfDialog;
class PositionWidget;
class QPaintEvent;
class QTabWidget;
class QVBoxLayout;
class QueryWindowsManager;
class ReturnAlert;
class StockQuotesWidget;
class TransactionWidget;
class UpdatePwdDialog;

class UserWidget : public QWidget {
    Q_OBJECT
public:
    explicit UserWidget(QWidget *parent);
    ~UserWidget() override;

    void initUi();
    void updateHeader();

    static const QString kTabStyleSheet;

public slots:
    void slot_refreshClicked();
    void slot_TransferbuttonClicked();
    void slot_DepositAndWithdrawalClicked();
    void slot_orderButtonClicked();
    void slot_updatePassbuttonClicked();
    // F1 (side '1') and F2 (side '2'): slot_orderButtonClicked, then the side chosen and the
    // focus in the code box of the order window, which comes to the front.
    void slot_orderKey(char side);
    // F3 and F4: the 委托查询 and 持仓查询 tabs.
    void slot_orderQueryKey();
    void slot_positionsKey();
    // F5: the current tab's search button, clicked (nothing while it is disabled).
    void slot_searchKey();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class TestUserWidget;

    QTabWidget *mTabWidget = nullptr;
    MyPushButton *mOrderButton = nullptr;
    MyPushButton *mTransferButton = nullptr;
    MyPushButton *mDepositButton = nullptr;
    MyPushButton *mFundsButton = nullptr;
    MyPushButton *mPasswordButton = nullptr;
    MyLabel *mAccountIcon = nullptr;
    MyLabel *mAccountText = nullptr;
    MyLabel *mExchangeIcon = nullptr;
    MyLabel *mBusinessIcon = nullptr;
    MyLabel *mBusinessText = nullptr;
    OrderWindow *mOrderWindow = nullptr;
    PersonalInfDialog *mPersonalInfDialog = nullptr;
    FundTransferWidget *mFundTransferWidget = nullptr;
    DepositAndWithdrawalDialog *mDepositAndWithdrawalDialog = nullptr;
    UpdatePwdDialog *mUpdatePwdDialog = nullptr;
    PositionWidget *mPositionWidget = nullptr;
    StockQuotesWidget *mStockQuotesWidget = nullptr;
    TransactionWidget *mTransactionWidget = nullptr;
    OrderedWidget *mOrderedWidget = nullptr;
    QueryWindowsManager *mWindowsManager = nullptr;
    QVBoxLayout *mMainLayout = nullptr;
    ReturnAlert *mReturnAlert = nullptr;  // built with the workspace, at its login

    void initHotKeys();
};

#endif  // QETO_USER_WIDGET_H
