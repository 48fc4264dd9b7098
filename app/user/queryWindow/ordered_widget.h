// Order table. For now the bare query window; the query and the cancels come later.
#ifndef QETO_ORDERED_WIDGET_H
#define QETO_ORDERED_WIDGET_H

#include "user/queryWindow/query_window.h"

class OrderedWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit OrderedWidget(QWidget *parent);
    ~OrderedWidget() override;

public slots:
    // The header's check box: ticks or unticks every row.
    void slot_HeadCheckBoxToggled(bool checked);
};

#endif  // QETO_ORDERED_WIDGET_H
