#include "basicControl/combobox_item.h"

#include <QHBoxLayout>
#include <QLabel>

ComboboxItem::ComboboxItem(QWidget *parent)
    : QWidget(parent), mLayout(new QHBoxLayout), mLeftLabel(new QLabel(this)), mRightLabel(new QLabel(this)) {
    mLayout->addWidget(mLeftLabel);
    mLayout->addWidget(mRightLabel);
}

ComboboxItem::~ComboboxItem() {
    // Until setItem installs it, the layout has no owner.
    if (layout() != mLayout) delete mLayout;
}

void ComboboxItem::setItem(QString left, QString right) {
    mItemText = left;
    mLeftLabel->setText(left);
    mLeftLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mRightLabel->setText(right);
    mRightLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (layout() != mLayout) setLayout(mLayout);
}

void ComboboxItem::mousePressEvent(QMouseEvent *event) {
    Q_UNUSED(event)
    emit signalChooseitem(mItemText);
}
