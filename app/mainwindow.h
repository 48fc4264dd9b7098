// The single top-level window: the login page and, once logged in, the page after it.
#ifndef QETO_MAINWINDOW_H
#define QETO_MAINWINDOW_H

#include <QMainWindow>

#include "utils/api_client_utils.h"

class QResizeEvent;
class QStackedWidget;
class LoginWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    LoginWidget *loginWidget() const { return mLoginWidget; }
    QStackedWidget *stack() const { return mStackedWidget; }

public slots:
    void slotChangeUi(LoginStatus status);
    void slotFrontDisconnected(int nReason);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *mCentralWidget = nullptr;
    QStackedWidget *mStackedWidget = nullptr;
    LoginWidget *mLoginWidget = nullptr;
    QWidget *mWorkspace = nullptr;
};

#endif  // QETO_MAINWINDOW_H
