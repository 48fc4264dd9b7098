#include "basicControl/my_header_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

MyHeaderView::MyHeaderView(Qt::Orientation orientation, QWidget *parent) : QHeaderView(orientation, parent) {}

void MyHeaderView::setUnchecked() {
    mChecked = false;
    // Schedule a repaint so a reloaded table never shows a stale tick.
    updateSection(0);
}

void MyHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0) return;

    mCheckBoxRect = QRect(rect.left() + 13, rect.top() + 5, 14, 14);
    QStyleOptionButton option;
    option.rect = mCheckBoxRect;
    if (mChecked)
        option.state = QStyle::State_On;
    else if (mCheckBoxRect.contains(mMousePoint))
        option.state = QStyle::State_HasFocus;
    else
        option.state = QStyle::State_Off;
    style()->drawControl(QStyle::CE_CheckBox, &option, painter, this);
}

void MyHeaderView::mouseMoveEvent(QMouseEvent *event) {
    mMousePoint = event->localPos().toPoint();
    if (mCheckBoxRect.contains(mMousePoint)) updateSection(0);
    QHeaderView::mouseMoveEvent(event);
}

void MyHeaderView::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->localPos().toPoint();
    const int along = orientation() == Qt::Horizontal ? pos.x() : pos.y();
    if (isEnabled() && logicalIndexAt(along) == 0 && mCheckBoxRect.contains(pos)) {
        mChecked = !mChecked;
        updateSection(0);
        emit signalHeadCheckBoxToggled(mChecked);
        return;
    }
    QHeaderView::mousePressEvent(event);
}
