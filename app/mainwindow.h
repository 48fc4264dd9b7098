// The single top-level window: the login page and the workspace in a stack.
#ifndef QETO_MAINWINDOW_H
#define QETO_MAINWINDOW_H

#include <QMainWindow>

#include "utils/api_client_utils.h"

class QCloseEvent;
class QResizeEvent;
class QStackedWidget;
class LoginWidget;
class UserWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    LoginWidget *loginWidget() const { return mLoginWidget; }
    QStackedWidget *stack() const { return mStackedWidget; }
    UserWidget *workspace() const { return mUserWidget; }

public slots:
    void slotChangeUi(LoginStatus status);
    void slotFrontDisconnected(int nReason);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *mCentralWidget = nullptr;
    QStackedWidget *mStackedWidget = nullptr;
    LoginWidget *mLoginWidget = nullptr;
    UserWidget *mUserWidget = nullptr;  // null between a disconnect and the next login
};

#endif  // QETO_MAINWINDOW_H
