#include "user/orderWindow/order_window.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtDebug>

#include "basicControl/my_label.h"
#include "user/hot_keys.h"
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

    // Esc hides the window, as closing it does; F1 and F2 are the workspace's.
    auto *escape = new QShortcut(QKeySequence(HotKeys::kCloseOrder), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    mTitle->setToolTip(
        tr("%1 买  %2 卖  %3 关闭")
            .arg(HotKeys::text(HotKeys::kBuy), HotKeys::text(HotKeys::kSell), HotKeys::text(HotKeys::kCloseOrder)));
}

OrderWindow::~OrderWindow() = default;

void OrderWindow::initDataClass(QuotesTcpClient *client) {
    qInfo() << "initDataClass";
    mLevelWidget->setQuotesTcpClient(client);
    mOrderWidget->setQuotesTcpClient(client);
}
