#include "user/queryWindow/ordered_widget.h"

#include "constants.h"

OrderedWidget::OrderedWidget(QWidget *parent) : QueryWindow(kOrderQueryTitle, parent) {}

OrderedWidget::~OrderedWidget() = default;

void OrderedWidget::slot_HeadCheckBoxToggled(bool checked) { Q_UNUSED(checked) }
