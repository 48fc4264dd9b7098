#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include "box_checks.h"
#include "config_files.h"
#include "login/login_widget.h"
#include "modal_box.h"
#include "qeto_demo_accounts.h"
#include "sim_process.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {

using cfgtest::apiConfigFor;
using cfgtest::configPath;
using cfgtest::repoFile;
using cfgtest::writeConfig;

}  // namespace

class TstLoginE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void realLoginSucceeds();
    void wrongPasswordShowsCatalogueText();
    void unreachableCounterTimesOut();
    void secondLoginAfterReset();

private:
    LoginWidget *makeWidget(int timeoutMs);
    void clickLogin(LoginWidget *w, const QString &account, const QString &password);

    qeto::test::SimProcess mSim;
    quint16 mCounterPort = 0;
    ModalBoxWatcher *mBoxes = nullptr;
    LoginWidget *mWidget = nullptr;
};

void TstLoginE2e::initTestCase() {
    const QString sim = qEnvironmentVariable("QETO_SIM");
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable()) QSKIP("QETO_SIM does not name the simulator");

    std::string error;
    QVERIFY2(mSim.start(sim.toStdString(), {}, &error), error.c_str());
    mCounterPort = mSim.counterPort;

    QVERIFY(writeConfig("api_config.txt", apiConfigFor(mCounterPort)));
    QVERIFY(writeConfig("qeto_desk_config.ini", repoFile("qeto_desk_config.ini")));
    QVERIFY(writeConfig("error_msg.json", repoFile("error_msg.json")));
}

void TstLoginE2e::cleanupTestCase() { mSim.stop(); }

void TstLoginE2e::init() {
    QVERIFY(writeConfig("api_config.txt", apiConfigFor(mCounterPort)));
    mBoxes = new ModalBoxWatcher(this);
}

void TstLoginE2e::cleanup() {
    // Destroying the screen waits for its login thread and releases the instance.
    delete mWidget;
    mWidget = nullptr;
    delete mBoxes;
    mBoxes = nullptr;
}

LoginWidget *TstLoginE2e::makeWidget(int timeoutMs) {
    LoginWidget::setLoginTimeoutForTests(timeoutMs);
    mWidget = new LoginWidget;
    return mWidget;
}

void TstLoginE2e::clickLogin(LoginWidget *w, const QString &account, const QString &password) {
    w->findChild<QComboBox *>("exchangeBox")->setCurrentIndex(0);
    w->findChild<QLineEdit *>("accountEdit")->setText(account);
    w->findChild<QLineEdit *>("passwordEdit")->setText(password);
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
}

void TstLoginE2e::realLoginSucceeds() {
    LoginWidget *w = makeWidget(60000);
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    clickLogin(w, demo::kAccount, demo::kPassword);
    QVERIFY(success.wait(30000) || success.count() == 1);
    QCOMPARE(success.count(), 1);
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 3);
    QVERIFY(ApiClientUtils::mAccountSessionId.load() != 0);
    QVERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    QCOMPARE(mBoxes->count(), 0);
}

void TstLoginE2e::wrongPasswordShowsCatalogueText() {
    LoginWidget *w = makeWidget(60000);
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    clickLogin(w, demo::kAccount, "999999");
    QTRY_COMPARE_WITH_TIMEOUT(mBoxes->count(), 1, 30000);
    QCOMPARE_BOX(mBoxes->last(), "消息", "[1001]资金账户或密码错误");
    QTRY_VERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    QCOMPARE(success.count(), 0);

    // The refusal released the instance: a corrected password logs in on the same screen.
    w->findChild<QLineEdit *>("passwordEdit")->setText("123456");
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    QVERIFY(success.wait(30000) || success.count() == 1);
    QCOMPARE(mBoxes->count(), 1);
}

void TstLoginE2e::unreachableCounterTimesOut() {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    QVERIFY(writeConfig("api_config.txt", apiConfigFor(closedPort)));
    LoginWidget *w = makeWidget(1500);
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    QSignalSpy disconnects(SignalInterface::instance(), &SignalInterface::signal_onFrontDisconnected);
    clickLogin(w, demo::kAccount, demo::kPassword);
    QVERIFY(!w->findChild<QPushButton *>("loginButton")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(mBoxes->count(), 1, 30000);
    QCOMPARE_BOX(mBoxes->last(), "错误", "登录超时");
    QTRY_VERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    QCOMPARE(w->findChild<QPushButton *>("loginButton")->text(), QString("立即登录"));
    QVERIFY(disconnects.count() >= 1);
    QCOMPARE(disconnects.last().at(0).toInt(), 0);
    QCOMPARE(success.count(), 0);
}

void TstLoginE2e::secondLoginAfterReset() {
    LoginWidget *w = makeWidget(60000);
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    clickLogin(w, demo::kAccount, demo::kPassword);
    QVERIFY(success.wait(30000) || success.count() == 1);
    const uint32_t firstSession = ApiClientUtils::mAccountSessionId.load();

    w->resetLogin();
    QCOMPARE(w->findChild<QLineEdit *>("accountEdit")->text(), QString());
    clickLogin(w, demo::kAccount, demo::kPassword);
    QTRY_COMPARE_WITH_TIMEOUT(success.count(), 2, 30000);
    QVERIFY(ApiClientUtils::mAccountSessionId.load() != firstSession);
    QCOMPARE(mBoxes->count(), 0);
}

QTEST_MAIN(TstLoginE2e)
#include "tst_login_e2e.moc"
