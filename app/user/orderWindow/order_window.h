// The small trading tool window. For now its frame: title, size, the client hand-over and
// showing on an order request from any screen; the form and the quote panel come later.
#ifndef QETO_ORDER_WINDOW_H
#define QETO_ORDER_WINDOW_H

#include <QDialog>

class MyLabel;
class QuotesTcpClient;

class OrderWindow : public QDialog {
    Q_OBJECT
public:
    explicit OrderWindow(QWidget *parent);
    ~OrderWindow() override;

    void initDataClass(QuotesTcpClient *client);

private:
    MyLabel *mTitle = nullptr;
};

#endif  // QETO_ORDER_WINDOW_H
