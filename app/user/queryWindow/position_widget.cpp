#include "user/queryWindow/position_widget.h"

#include "constants.h"

PositionWidget::PositionWidget(QWidget *parent) : QueryWindow(kPositionQueryTitle, parent) {}

PositionWidget::~PositionWidget() = default;

