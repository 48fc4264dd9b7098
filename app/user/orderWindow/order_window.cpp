#include "user/orderWindow/order_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QtDebug>

#include "basicControl/my_label.h"
#include "utils/signal_interface.h"

OrderWindow::OrderWindow(QWidget *parent) : QDialog(parent), mTitle(new MyLabel(QStringLiteral("委托"), this)) {
    mTitle->setRedStyle();
    mTitle->setFixedHeight(30);
    mTitle->setContentsMargins(10, 0, 0, 0);

    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    auto *left = new QVBoxLayout;
    left->addWidget(mTitle, 0, Qt::AlignLeft);
    left->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    setFixedSize(510, 333);

    connect(SignalInterface::instance(), &SignalInterface::signal_clicketOrder, this, &QWidget::show);
}

OrderWindow::~OrderWindow() = default;

void OrderWindow::initDataClass(QuotesTcpClient *client) {
    Q_UNUSED(client)
    qInfo() << "initDataClass";
}
