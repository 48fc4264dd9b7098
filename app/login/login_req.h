// The library side of a login, run on the login screen's worker thread: terminal
// information, creating, registering and starting the API instance, sending the login.
#ifndef QETO_LOGIN_REQ_H
#define QETO_LOGIN_REQ_H

#include <QObject>
#include <QString>
#include <functional>

#include "qeto_gate_api.h"
#include "utils/api_client_utils.h"

class LoginReq : public QObject {
    Q_OBJECT
public:
    // The five terminal values, in the order they are collected.
    struct TerminalProbes {
        std::function<QString()> mac;
        std::function<QString()> disk;
        std::function<QString()> ip;
        std::function<QString()> cpu;
        std::function<QString()> host;
    };

    explicit LoginReq(QObject *parent = nullptr);

    // Replaces the machine probes (tests only); call while no login is under way.
    static void setTerminalProbesForTests(const TerminalProbes &probes);
    static void resetTerminalProbes();

    // Records kept from the last start; a reconnection sends them again.
    const GatewayUserReqLoginField &loginRecord() const { return mLoginField; }
    const GatewayTerminalInfoField &terminalRecord() const { return mTerminalField; }

signals:
    void signalReqLoginStatus(LoginStatus status);

public slots:
    void slotStartApi(QString account, QString password, QString appid, char operway, char market, QString branchId);
    void slotSendLogin();
    void slotRelease();

private:
    void fail(LoginStatus status);

    GatewayUserReqLoginField mLoginField;
    GatewayTerminalInfoField mTerminalField;
};

#endif  // QETO_LOGIN_REQ_H
