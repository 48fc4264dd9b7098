#include "user/orderWindow/order_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QtDebug>

#include "basicControl/my_label.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "utils/signal_interface.h"

OrderWindow::OrderWindow(QWidget *parent)
    : QDialog(parent),
      mTitle(new MyLabel(QStringLiteral("委托"), this)),
      mOrderWidget(new OrderWidget(this)),
      mLevelWidget(new LevelWidget(this)) {
    setObjectName(QStringLiteral("orderWindow"));
    mTitle->setRedStyle();
    mTitle->setFixedHeight(30);
    mTitle->setContentsMargins(10, 0, 0, 0);

    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    auto *left = new QVBoxLayout;
    left->addWidget(mTitle, 0, Qt::AlignLeft);
    left->addWidget(mOrderWidget);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(mLevelWidget);
    setFixedSize(510, 333);

    connect(mOrderWidget, &OrderWidget::signalSecurityIdChanged, mLevelWidget, &LevelWidget::slot_beginShowLevel);
    // The form connected to this signal when it was built, so the code is in place before showing.
    connect(SignalInterface::instance(), &SignalInterface::signal_clicketOrder, this, &QWidget::show);
    connect(mLevelWidget, &LevelWidget::signal_sendPrice, mOrderWidget, &OrderWidget::slotChangePrice);
}

OrderWindow::~OrderWindow() = default;

void OrderWindow::initDataClass(QuotesTcpClient *client) {
    qInfo() << "initDataClass";
    mLevelWidget->setQuotesTcpClient(client);
    mOrderWidget->setQuotesTcpClient(client);
}
