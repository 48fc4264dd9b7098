// The login page: exchange, fund account and password; runs the login request on a
// worker thread of its own and waits a bounded time for the counter's answer.
#ifndef QETO_LOGIN_WIDGET_H
#define QETO_LOGIN_WIDGET_H

#include <QString>
#include <QWidget>

#include "qeto_gate_api.h"
#include "utils/api_client_utils.h"

class QKeyEvent;
class QLabel;
class QListWidget;
class QPaintEvent;
class QThread;
class QTimer;
class LoginReq;
class MyComboBox;
class MyLineEdit;
class MyPushButton;

class LoginWidget : public QWidget {
    Q_OBJECT
public:
    explicit LoginWidget(QWidget *parent = nullptr);
    ~LoginWidget() override;

    bool readConfig();
    bool checkInput();
    void setLoginButtonState(bool enabled);
    void resetLogin();

    // Login timeout of widgets constructed afterwards (tests only; 20000 ms otherwise).
    static void setLoginTimeoutForTests(int ms);

    bool logStatus() const { return mLogStatus; }
    char market() const { return mMarket; }
    char operway() const { return mOperway; }
    QString branchId() const { return mBranchId; }
    QString appId() const { return mAppId; }
    QTimer *loginTimer() const { return mLoginTimer; }

signals:
    void signalLoginSuccess(LoginStatus status);
    void signalReqLogin(QString account, QString password, QString appid, char operway, char market, QString branchId);
    void signalRelease();

public slots:
    void slotRspLoginError(CQetoRspInfo pRspInfo);
    void slotRspLoginSuccess();
    void slotShowlist(bool show);
    void slotChangeMarket(int index);
    void slotChangePassord(QString);
    void slotChangePhone(QString phone);
    void slotLoginClick();
    void slotReqLoginResult(LoginStatus status);
    void handleTimerEvent();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildForm();
    void clearForm();

    QLabel *mLogo = nullptr;
    MyComboBox *mExchangeBox = nullptr;
    MyLineEdit *mAccountEdit = nullptr;
    MyLineEdit *mPasswordEdit = nullptr;
    MyPushButton *mLoginButton = nullptr;
    QListWidget *mAccountList = nullptr;
    LoginReq *mLoginReq = nullptr;
    QThread *mLoginThread = nullptr;
    QString mAccount;
    QString mPassword;
    char mOperway = 0;
    char mMarket = '0';
    QString mBranchId;
    QString mAppId;
    bool mLogStatus = false;
    QTimer *mLoginTimer = nullptr;
};

#endif  // QETO_LOGIN_WIDGET_H
