// Order entry form: code, side, price and quantity of one limit order, its checks and
// confirmation, the request to the counter and the reports of its answers.
#ifndef QETO_ORDER_WIDGET_H
#define QETO_ORDER_WIDGET_H

#include <QString>
#include <QWidget>

#include "qeto_gate_api.h"

class MyDoubleSpinBox;
class MyLabel;
class MyLineEdit;
class MyPushButton;
class MySpinBox;
class QRadioButton;
class QuotesTcpClient;

class OrderWidget : public QWidget {
    Q_OBJECT
public:
    explicit OrderWidget(QWidget *parent);
    ~OrderWidget() override;

    void setQuotesTcpClient(QuotesTcpClient *client);
    // F1/F2 of the workspace: 买 (side '1') or 卖 (side '2') chosen, the focus in the code box
    // with its text selected, so that typing replaces it.
    void startEntry(char side);

    // The record of the last order filled (kept between orders).
    const CQetoReqOrderInsertField &orderRequest() const { return mOrderRequest; }

signals:
    void signalSecurityIdChanged(QString code);
    // An order return, or a response refusing the order: worth the user's eye (ReturnAlert).
    void signalAnswerToNotice();

public slots:
    void slotStockCodeChange(QString str);
    void slotRadioButtonChange(bool status);
    void slotMoneyChange(double money);
    void slotQuantityChange(int quantity);
    void slotOrderClicked();
    void slotClearClicked();
    void slotRspInsertOrder(CQetoRspOrderInsertField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slotRspErrInsertOrder(CQetoRspOrderInsertField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slotRtnOrder(CQetoRtnOrderField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slotClicketOrder(QString code);
    void slotChangePrice(QString price);
    void slotChangeName(QString code);

protected:
    // Enter in the price or quantity box presses 下单.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void initUi();
    void initConnections();
    void fillRequest(const QString &code, double price, int quantity);

    MyLabel *mCodeCaption = nullptr;
    MyLineEdit *mCodeEdit = nullptr;
    MyLabel *mNameCaption = nullptr;
    MyLabel *mNameLabel = nullptr;
    MyLabel *mSideCaption = nullptr;
    QRadioButton *mBuyButton = nullptr;
    QRadioButton *mSellButton = nullptr;
    MyLabel *mPriceCaption = nullptr;
    MyDoubleSpinBox *mPriceBox = nullptr;
    MyLabel *mQuantityCaption = nullptr;
    MySpinBox *mQuantityBox = nullptr;
    MyPushButton *mOrderButton = nullptr;
    MyPushButton *mClearButton = nullptr;
    QString mSecurityId;
    char mSide = '1';
    double mMoney = 0;
    int mQuantity = 0;
    QuotesTcpClient *mQuotesClient = nullptr;
    CQetoReqOrderInsertField mOrderRequest;
    // An order is under way (its checks, its confirmation box, its request): one more click,
    // Enter or repeated key reaching the form meanwhile is refused, so one press is one order.
    bool mOrdering = false;
};

#endif  // QETO_ORDER_WIDGET_H
