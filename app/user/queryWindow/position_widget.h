// Position table. For now the bare query window; the query itself comes later.
#ifndef QETO_POSITION_WIDGET_H
#define QETO_POSITION_WIDGET_H

#include "user/queryWindow/query_window.h"

class PositionWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit PositionWidget(QWidget *parent);
    ~PositionWidget() override;
};

#endif  // QETO_POSITION_WIDGET_H
