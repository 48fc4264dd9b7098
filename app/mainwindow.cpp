#include "mainwindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "login/login_widget.h"
#include "user/user_widget.h"
#include "utils/immediate_exit.h"
#include "utils/signal_interface.h"

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    mCentralWidget = new QWidget(this);
    mStackedWidget = new QStackedWidget(mCentralWidget);
    mLoginWidget = new LoginWidget(this);
    mUserWidget = new UserWidget(this);

    connect(mLoginWidget, &LoginWidget::signalLoginSuccess, this, &MainWindow::slotChangeUi);
    connect(SignalInterface::instance(), &SignalInterface::signal_onFrontDisconnected, this,
            &MainWindow::slotFrontDisconnected);

    setWindowIcon(QIcon(QStringLiteral(":/resource/qeto.ico")));
    resize(1280, 720);

    auto *loginPage = new QWidget;
    auto *grid = new QGridLayout;
    grid->addWidget(mLoginWidget, 0, 0, 1, 1, Qt::AlignCenter);
    loginPage->setLayout(grid);
    mStackedWidget->addWidget(loginPage);
    mStackedWidget->addWidget(mUserWidget);

    auto *layout = new QVBoxLayout;
    layout->addWidget(mStackedWidget);
    mCentralWidget->setLayout(layout);
    setCentralWidget(mCentralWidget);
}

void MainWindow::slotChangeUi(LoginStatus status) {
    if (status != LoginSuccess) return;
    if (!mUserWidget) {
        mUserWidget = new UserWidget(nullptr);
        mStackedWidget->addWidget(mUserWidget);
    }
    mUserWidget->initUi();
    mUserWidget->updateHeader();
    mStackedWidget->setCurrentWidget(mUserWidget);
}

void MainWindow::slotFrontDisconnected(int nReason) {
    if (mStackedWidget->currentIndex() != 0) {
        mStackedWidget->setCurrentIndex(0);
        qWarning("slotFrontDisconnected %s", qUtf8Printable(QStringLiteral("与柜台的链接断开[%1]").arg(nReason)));
        QMessageBox::critical(this, QStringLiteral("错误"), QStringLiteral("与柜台的链接断开，请重新登录！"),
                              QMessageBox::Ok);
        mLoginWidget->resetLogin();
        delete mUserWidget;
        mUserWidget = nullptr;
    }
    ApiClientUtils::mLoginRspCode.clear();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QPalette pal = palette();
    const QPixmap background = QPixmap(QStringLiteral(":/resource/background.jpg"))
                                   .scaled(width(), height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pal.setBrush(QPalette::Window, QBrush(background));
    setPalette(pal);
    QMainWindow::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    event->accept();
    // Ends the process at once with status 0, skipping static destructors, so the gateway's
    // and the market-data threads still running cannot touch torn-down singletons; every log
    // line is already on disk.
    qeto::immediateExit(0);
}
