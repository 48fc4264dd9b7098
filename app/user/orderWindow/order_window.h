// The small trading tool window: the order form under its title on the left, the five-level
// quote panel on the right; shown whenever a screen asks for an order on a code.
#ifndef QETO_ORDER_WINDOW_H
#define QETO_ORDER_WINDOW_H

#include <QDialog>

class LevelWidget;
class MyLabel;
class OrderWidget;
class QuotesTcpClient;

class OrderWindow : public QDialog {
    Q_OBJECT
public:
    explicit OrderWindow(QWidget *parent);
    ~OrderWindow() override;

    void initDataClass(QuotesTcpClient *client);

    OrderWidget *orderWidget() const { return mOrderWidget; }
    LevelWidget *levelWidget() const { return mLevelWidget; }

private:
    MyLabel *mTitle = nullptr;
    OrderWidget *mOrderWidget = nullptr;
    LevelWidget *mLevelWidget = nullptr;
};

#endif  // QETO_ORDER_WINDOW_H
