// Trade table. For now the bare query window; the query itself comes later.
#ifndef QETO_TRANSACTION_WIDGET_H
#define QETO_TRANSACTION_WIDGET_H

#include "user/queryWindow/query_window.h"

class TransactionWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit TransactionWidget(QWidget *parent);
    ~TransactionWidget() override;
};

#endif  // QETO_TRANSACTION_WIDGET_H
