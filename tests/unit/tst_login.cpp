#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <cstring>

#include "box_checks.h"
#include "client_session.h"
#include "config_files.h"
#include "login/login_req.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "modal_box.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "utils/api_client_utils.h"
#include "utils/config_param_reader.h"
#include "utils/error_msg.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {

const QByteArray kSettings = "[TRADE]\noperway=7\nbranchid=0001\nappid=qeto-desk\n\n[MD]\nswitch=0\n";

using cfgtest::configPath;
using cfgtest::repoFile;

using clienttest::bytesOf;
using clienttest::field;

LoginReq::TerminalProbes fixedProbes(const QString &mac, const QString &disk, const QString &ip, const QString &cpu,
                                     const QString &host) {
    return {[mac] { return mac; }, [disk] { return disk; }, [ip] { return ip; }, [cpu] { return cpu; },
            [host] { return host; }};
}

void fireLoginAnswer(uint32_t errorId, const QByteArray &text) { answerLogin(errorId, text, 77, 41, "RSP01", 0); }

void fireFrontConnect() {
    qeto::fake::fireOnThread([](const SpiCallbackTable &t) { t.onFrontConnect(); });
}

std::atomic<int> gExitStatus{-1};
std::atomic<int> gCreatesAtExit{-1};
void recordExit(int status) {
    gExitStatus = status;
    gCreatesAtExit = qeto::fake::countOf("createTraderApi");
}

}  // namespace

class TstLogin : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loginRecord_data();
    void loginRecord();
    void terminalRecord_data();
    void terminalRecord();
    void startRecord();
    void failureTable_data();
    void failureTable();
    void missingKeyEndsAfterCreate();

    void checkOrder_data();
    void checkOrder();
    void fieldRules_data();
    void fieldRules();
    void readConfigValues_data();
    void readConfigValues();
    void exchangeReloadsCatalogue();
    void loginSucceeds();
    void refusalShown_data();
    void refusalShown();
    void libraryFailureMessages_data();
    void libraryFailureMessages();
    void libraryFailureLeavesTimer();
    void timeoutThenLateSuccess();
    void resetClearsForm();
    void enterKey();
    void mainWindowPages_data();
    void mainWindowPages();

private:
    LoginWidget *makeWidget(int timeoutMs = 60000);
    void fill(LoginWidget *w, int exchange, const QString &account, const QString &password);

    ModalBoxWatcher *mBoxes = nullptr;
    QList<LoginWidget *> mWidgets;
};

void TstLogin::initTestCase() {
    QVERIFY(cfgtest::writeConfig("api_config.txt", repoFile("api_config.txt")));
    QVERIFY(cfgtest::writeConfig("qeto_desk_config.ini", kSettings));
    QVERIFY(cfgtest::writeConfig("error_msg.json", repoFile("error_msg.json")));
    QVERIFY(!repoFile("api_config.txt").isEmpty());
    ApiClientUtils::initSpi();
}

void TstLogin::init() {
    QVERIFY(cfgtest::writeConfig("api_config.txt", repoFile("api_config.txt")));
    QVERIFY(cfgtest::writeConfig("qeto_desk_config.ini", kSettings));
    qeto::fake::reset();
    ApiClientUtils::CanSendLogin = 2;
    ApiClientUtils::mRequestId = 0;
    LoginReq::setTerminalProbesForTests(
        fixedProbes("02:FC:00:00:00:01", "DISK-77", "10.1.2.3", "BFEBFBFF000906EA", "desk-host"));
    mBoxes = new ModalBoxWatcher(this);
}

void TstLogin::cleanup() {
    qDeleteAll(mWidgets);
    mWidgets.clear();
    delete mBoxes;
    mBoxes = nullptr;
    LoginReq::resetTerminalProbes();
    ConfigParamReader::setExitFunction(nullptr);
}

LoginWidget *TstLogin::makeWidget(int timeoutMs) {
    LoginWidget::setLoginTimeoutForTests(timeoutMs);
    auto *w = new LoginWidget;
    mWidgets << w;
    return w;
}

void TstLogin::fill(LoginWidget *w, int exchange, const QString &account, const QString &password) {
    w->findChild<QComboBox *>("exchangeBox")->setCurrentIndex(exchange);
    w->findChild<QLineEdit *>("accountEdit")->setText(account);
    w->findChild<QLineEdit *>("passwordEdit")->setText(password);
}

// ---------------------------------------------------------------- login request records

void TstLogin::loginRecord_data() {
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("appid");
    QTest::addColumn<char>("operway");
    QTest::addColumn<char>("market");

    QTest::newRow("shanghai") << demo::kAccount << "123456"
                              << "0001"
                              << "qeto-desk" << '7' << '1';
    QTest::newRow("shenzhen") << demo::kAccount << "123456"
                              << "0001"
                              << "qeto-desk" << '7' << '2';
    QTest::newRow("10-char password then branch") << demo::kAccount << "abcdefghij"
                                                  << "000123"
                                                  << "a" << '7' << '1';
    QTest::newRow("over-long texts cut at width") << QString(20, '9') << "12345678901"
                                                  << "1234567" << QString(31, 'x') << '\0' << '1';
}

void TstLogin::loginRecord() {
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QString, branch);
    QFETCH(QString, appid);
    QFETCH(char, operway);
    QFETCH(char, market);

    LoginReq req;
    QSignalSpy failures(&req, &LoginReq::signalReqLoginStatus);
    req.slotStartApi(account, password, appid, operway, market, branch);
    ApiClientUtils::mRequestId = 5;
    req.slotSendLogin();
    QCOMPARE(failures.count(), 0);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 6);

    QByteArray expected = field(18, account.toLatin1()) + field(10, password.toLatin1()) + field(6, branch.toLatin1()) +
                          QByteArray(1, market) + QByteArray(1, operway) + field(29, appid.toLatin1());
    QCOMPARE(expected.size(), 65);
    const std::vector<qeto::fake::Call> logins = qeto::fake::callsOf("reqLogin");
    QCOMPARE(int(logins.size()), 1);
    QCOMPARE(bytesOf(logins[0].record), expected);
    QCOMPARE(logins[0].requestId, 5);
    // One instance, entry 0, whichever exchange.
    for (const char *fn : {"createTraderApi", "registerSpi", "startApi", "reqLogin"}) {
        QCOMPARE(qeto::fake::countOf(fn), 1);
        QCOMPARE(qeto::fake::callsOf(fn)[0].entryNo, 0);
    }
    QCOMPARE(qeto::fake::countOf("release"), 0);

    // A reconnection sends the same records again.
    req.slotSendLogin();
    const std::vector<qeto::fake::Call> again = qeto::fake::callsOf("reqLogin");
    QCOMPARE(bytesOf(again[1].record), expected);
    QCOMPARE(again[1].extra, again[0].extra);
    QCOMPARE(again[1].requestId, 6);
}

void TstLogin::terminalRecord_data() {
    QTest::addColumn<QStringList>("values");  // mac, disk, ip, cpu, host
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("all five") << QStringList{"02:FC:00:00:00:01", "DISK-77", "10.1.2.3", "BFEBFBFF000906EA",
                                             "desk-host"}
                              << field(19, "02:FC:00:00:00:01") + field(33, "DISK-77") + field(16, "10.1.2.3") +
                                     field(21, "BFEBFBFF000906EA") + field(21, "desk-host");
    QTest::newRow("only the cpu serial") << QStringList{"", "", "", "0000000100000002", ""}
                                         << QByteArray(68, '\0') + field(21, "0000000100000002") + QByteArray(21, '\0');
    // 20 ASCII bytes then a 3-byte character: the character does not fit and is left out whole.
    QTest::newRow("utf-8 host cut at a character") << QStringList{"", "", "", "", QString(20, 'h') + "主"}
                                                   << QByteArray(89, '\0') + field(21, QByteArray(20, 'h'));
    QTest::newRow("host name filling the field")
        << QStringList{"", "", "", "", QString(25, 'n')} << QByteArray(89, '\0') + QByteArray(21, 'n');
}

void TstLogin::terminalRecord() {
    QFETCH(QStringList, values);
    QFETCH(QByteArray, expected);
    LoginReq::setTerminalProbesForTests(fixedProbes(values[0], values[1], values[2], values[3], values[4]));
    LoginReq req;
    QSignalSpy failures(&req, &LoginReq::signalReqLoginStatus);
    req.slotStartApi(demo::kAccount, demo::kPassword, "qeto-desk", '7', '1', "0001");
    req.slotSendLogin();
    QCOMPARE(failures.count(), 0);
    QCOMPARE(qeto::fake::countOf("reqLogin"), 1);
    QCOMPARE(bytesOf(qeto::fake::callsOf("reqLogin")[0].extra), expected);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&req.terminalRecord()), 110), expected);
}

void TstLogin::startRecord() {
    LoginReq req;
    req.slotStartApi(demo::kAccount, demo::kPassword, "qeto-desk", '7', '1', "0001");
    QCOMPARE(qeto::fake::countOf("startApi"), 1);
    const QByteArray bytes = bytesOf(qeto::fake::callsOf("startApi")[0].record);
    QCOMPARE(bytes.size(), 4188);
    const QByteArray path = (QCoreApplication::applicationDirPath() + "/config/api_config.txt").toUtf8();
    QByteArray expected = field(4096, path) + QByteArray(84, '\0');
    const int32_t minusOne = -1;
    expected += QByteArray(reinterpret_cast<const char *>(&minusOne), 4) + QByteArray(4, '\0');
    QCOMPARE(bytes, expected);
    // The callback table handed over is the bridge's own.
    QVERIFY(qeto::fake::hasTable());
    QVERIFY(qeto::fake::table().onFrontConnect == ApiClientUtils::spiTable().onFrontConnect);
    QVERIFY(qeto::fake::table().onRspLogin == ApiClientUtils::spiTable().onRspLogin);
}

void TstLogin::failureTable_data() {
    QTest::addColumn<QString>("failing");  // function given a result, or "terminal"
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("creates");

    QTest::newRow("no terminal value") << "terminal" << 0 << int(TerminalInfoFailed) << "获取监管信息失败" << 0;
    QTest::newRow("entry out of range") << "createTraderApi" << -1 << int(EntryNoOutOfRange) << "" << 1;
    QTest::newRow("entry exists") << "createTraderApi" << -2 << int(EntryNoExists) << "" << 1;
    QTest::newRow("start refused") << "startApi" << 3 << int(StartApiFailed) << "startApi error : 3" << 1;
    QTest::newRow("start refused negative") << "startApi" << -7 << int(StartApiFailed) << "startApi error : -7" << 1;
    QTest::newRow("login not sent") << "reqLogin" << 1 << int(LoginReqFailed) << "" << 1;
}

void TstLogin::failureTable() {
    QFETCH(QString, failing);
    QFETCH(int, result);
    QFETCH(int, status);
    QFETCH(QString, warning);
    QFETCH(int, creates);

    if (failing == "terminal")
        LoginReq::setTerminalProbesForTests(fixedProbes("", "", "", "", ""));
    else
        qeto::fake::setResult(failing.toStdString(), result);
    if (!warning.isEmpty()) QTest::ignoreMessage(QtWarningMsg, warning.toUtf8().constData());

    LoginReq req;
    std::atomic<int> emitted{0};
    std::atomic<int> emittedAtRelease{-1};
    connect(
        &req, &LoginReq::signalReqLoginStatus, this, [&] { ++emitted; }, Qt::DirectConnection);
    qeto::fake::setHandler("release", [&](const qeto::fake::Call &) { emittedAtRelease = emitted.load(); });
    QSignalSpy spy(&req, &LoginReq::signalReqLoginStatus);

    req.slotStartApi(demo::kAccount, demo::kPassword, "qeto-desk", '7', '1', "0001");
    if (failing == "reqLogin") req.slotSendLogin();

    QCOMPARE(spy.count(), 1);
    QCOMPARE(int(spy.at(0).at(0).value<LoginStatus>()), status);
    QCOMPARE(qeto::fake::countOf("release"), 1);
    QCOMPARE(emittedAtRelease.load(), 1);  // the status went out before the release
    QCOMPARE(qeto::fake::countOf("createTraderApi"), creates);
    if (failing == "createTraderApi") QCOMPARE(qeto::fake::countOf("startApi"), 0);
    qeto::fake::setHandler("release", nullptr);
}

void TstLogin::missingKeyEndsAfterCreate() {
    QVERIFY(cfgtest::writeConfig("api_config.txt", cfgtest::apiConfigWith("SuperLog")));
    gExitStatus = -1;
    gCreatesAtExit = -1;
    ConfigParamReader::setExitFunction(&recordExit);
    LoginReq req;
    req.slotStartApi(demo::kAccount, demo::kPassword, "qeto-desk", '7', '1', "0001");
    QCOMPARE(gExitStatus.load(), ConfigParamReader::kExitStatus);
    QCOMPARE(gCreatesAtExit.load(), 1);
}

// ---------------------------------------------------------------- login screen

void TstLogin::checkOrder_data() {
    QTest::addColumn<int>("exchange");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("settings");    // empty: no settings file
    QTest::addColumn<QByteArray>("missingKey");  // dropped from api_config.txt
    QTest::addColumn<QString>("message");        // empty: the checks pass

    QTest::newRow("empty form") << -1 << ""
                                << "" << kSettings << QByteArray() << "请选择正确的交易所！";
    QTest::newRow("exchange before account") << -1 << "1"
                                             << "2" << kSettings << QByteArray() << "请选择正确的交易所！";
    QTest::newRow("typed third exchange") << 2 << "1"
                                          << "2" << kSettings << QByteArray() << "请选择正确的交易所！";
    QTest::newRow("no account") << 0 << ""
                                << "2" << kSettings << QByteArray() << "资金账户不能为空！";
    QTest::newRow("no password") << 1 << "1"
                                 << "" << QByteArray() << QByteArray("URL") << "密码不能为空！";
    QTest::newRow("no settings file") << 0 << "1"
                                      << "2" << QByteArray() << QByteArray("URL")
                                      << "qeto_desk_config.ini配置文件不存在！";
    QTest::newRow("missing SuperLog") << 0 << "1"
                                      << "2" << kSettings << QByteArray("SuperLog")
                                      << "api_config.txt缺少配置项[SuperLog]！";
    QTest::newRow("missing URL") << 1 << "1"
                                 << "2" << kSettings << QByteArray("URL") << "api_config.txt缺少配置项[URL]！";
    QTest::newRow("all good") << 1 << demo::kAccount << "123456" << kSettings << QByteArray() << "";
}

void TstLogin::checkOrder() {
    QFETCH(int, exchange);
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, missingKey);
    QFETCH(QString, message);

    if (settings.isEmpty()) QFile::remove(configPath("qeto_desk_config.ini"));
    if (!missingKey.isEmpty()) QVERIFY(cfgtest::writeConfig("api_config.txt", cfgtest::apiConfigWith(missingKey)));

    LoginWidget *w = makeWidget();
    auto *box = w->findChild<QComboBox *>("exchangeBox");
    if (exchange == 2) {
        box->addItem("北交");  // what typing a new name into the editable box does
    }
    fill(w, exchange, account, password);

    QCOMPARE(w->checkInput(), message.isEmpty());
    if (message.isEmpty()) {
        QCOMPARE(mBoxes->count(), 0);
        return;
    }
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", message);
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QCOMPARE(mBoxes->last().buttons.size(), 1);
    // A refused check starts nothing.
    QCOMPARE(qeto::fake::countOf("createTraderApi"), 0);
}

void TstLogin::fieldRules_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    const char *const rows[][4] = {
        {"letters refused in account", "accountEdit", "12ab34", "1234"},
        {"15 digits kept", "accountEdit", "123456789012345", "123456789012345"},
        {"16th digit refused", "accountEdit", "1234567890123456", "123456789012345"},
        {"password takes letters", "passwordEdit", "aB3$x", "aB3$x"},
        {"11th password char refused", "passwordEdit", "abcdefghijk", "abcdefghij"},
    };
    for (const auto &row : rows) QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
}

void TstLogin::fieldRules() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    LoginWidget *w = makeWidget();
    auto *edit = w->findChild<QLineEdit *>(field);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), kept);
    if (field == "accountEdit") QCOMPARE(QString(ApiClientUtils::mAccount), kept);
    QCOMPARE(w->findChild<QLineEdit *>("passwordEdit")->echoMode(), QLineEdit::Password);
}

void TstLogin::readConfigValues_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<char>("operway");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("appid");
    QTest::addColumn<QString>("log");

    QTest::newRow("sample") << kSettings << '7' << "0001"
                            << "qeto-desk"
                            << "ini operway is [7] branchid is[0001], appid is[qeto-desk]";
    QTest::newRow("first character only") << QByteArray("[TRADE]\noperway=12\nbranchid=9\nappid=x\n") << '1' << "9"
                                          << "x"
                                          << "ini operway is [12] branchid is[9], appid is[x]";
    QTest::newRow("empty operway") << QByteArray("[TRADE]\noperway=\nbranchid=0002\n") << '\0' << "0002"
                                   << ""
                                   << "ini operway is [] branchid is[0002], appid is[]";
    QTest::newRow("no TRADE group") << QByteArray("[MD]\nswitch=1\n") << '\0' << ""
                                    << ""
                                    << "ini operway is [] branchid is[], appid is[]";
}

void TstLogin::readConfigValues() {
    QFETCH(QByteArray, ini);
    QFETCH(char, operway);
    QFETCH(QString, branch);
    QFETCH(QString, appid);
    QFETCH(QString, log);
    QVERIFY(cfgtest::writeConfig("qeto_desk_config.ini", ini));
    LoginWidget *w = makeWidget();
    QTest::ignoreMessage(QtInfoMsg, log.toUtf8().constData());
    QVERIFY(w->readConfig());
    QCOMPARE(w->operway(), operway);
    QCOMPARE(w->branchId(), branch);
    QCOMPARE(w->appId(), appid);

    // Edits between attempts count: a deleted file fails the next read.
    QFile::remove(configPath("qeto_desk_config.ini"));
    QTest::ignoreMessage(
        QtWarningMsg,
        ("can not found qeto_desk_config.ini file " + configPath("qeto_desk_config.ini")).toUtf8().constData());
    QVERIFY(!w->readConfig());
}

void TstLogin::exchangeReloadsCatalogue() {
    LoginWidget *w = makeWidget();
    QCOMPARE(w->market(), '0');
    QCOMPARE(ApiClientUtils::mMarket, '0');
    auto *box = w->findChild<QComboBox *>("exchangeBox");
    QCOMPARE(box->currentIndex(), -1);
    box->setCurrentIndex(0);
    QCOMPARE(ApiClientUtils::mMarket, '1');
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(2001), QString("上交所：证券代码不存在"));
    box->setCurrentIndex(1);
    QCOMPARE(w->market(), '2');
    QCOMPARE(ApiClientUtils::mMarket, '2');
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(2001), QString("深交所：证券代码不存在"));
}

void TstLogin::loginSucceeds() {
    LoginWidget *w = makeWidget();
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    fill(w, 1, demo::kAccount, demo::kPassword);
    auto *button = w->findChild<QPushButton *>("loginButton");
    ApiClientUtils::CanSendLogin = 1;
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 2);
    QCOMPARE(button->text(), QString("登录中..."));
    QVERIFY(!button->isEnabled());
    QVERIFY(!w->findChild<QLineEdit *>("accountEdit")->isEnabled());
    QVERIFY(!w->logStatus());
    QVERIFY(w->loginTimer()->isActive());
    QCOMPARE(w->loginTimer()->interval(), 60000);

    QTRY_COMPARE(qeto::fake::countOf("startApi"), 1);
    fireFrontConnect();
    QTRY_COMPARE(qeto::fake::countOf("reqLogin"), 1);
    const auto login = qeto::fake::lastRecord<GatewayUserReqLoginField>("reqLogin");
    QCOMPARE(login.ExchangeCode, '2');
    QCOMPARE(login.OperWay, '7');
    QCOMPARE(QByteArray(login.BranchID, 4), QByteArray("0001"));

    fireLoginAnswer(0, "");
    QTRY_COMPARE(success.count(), 1);
    QCOMPARE(success.at(0).at(0).value<LoginStatus>(), LoginSuccess);
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 3);
    QVERIFY(!w->loginTimer()->isActive());
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), QString("立即登录"));
    QCOMPARE(mBoxes->count(), 0);
    QCOMPARE(qeto::fake::countOf("release"), 0);
}

void TstLogin::refusalShown_data() {
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QByteArray>("counterText");
    QTest::addColumn<QString>("shown");
    QTest::newRow("unknown id keeps the counter's text") << 123u << QByteArray("bad login") << "[123]bad login";
    QTest::newRow("catalogue text") << 1001u << QByteArray("wrong password") << "[1001]资金账户或密码错误";
    QTest::newRow("chinese counter text as it came") << 1001u << QString("密码不对").toLocal8Bit() << "[1001]密码不对";
}

void TstLogin::refusalShown() {
    QFETCH(uint, errorId);
    QFETCH(QByteArray, counterText);
    QFETCH(QString, shown);
    LoginWidget *w = makeWidget();
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    fill(w, 0, demo::kAccount, "654321");
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    QTRY_COMPARE(qeto::fake::countOf("startApi"), 1);
    fireFrontConnect();
    QTRY_COMPARE(qeto::fake::countOf("reqLogin"), 1);
    fireLoginAnswer(errorId, counterText);

    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "消息", shown);
    QCOMPARE(mBoxes->last().icon, QMessageBox::Information);
    QTRY_COMPARE(qeto::fake::countOf("release"), 1);
    QVERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    QVERIFY(!w->loginTimer()->isActive());
    QCOMPARE(success.count(), 0);
    QCOMPARE(ApiClientUtils::CanSendLogin.load(), 2);
}

void TstLogin::libraryFailureMessages_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << int(LoginReqFailed) << "登录失败";
    QTest::newRow("2") << int(EntryNoOutOfRange) << "entryNo 超出界限";
    QTest::newRow("3") << int(EntryNoExists) << "entryNo 已经被创建，重新创建此entryNo Api";
    QTest::newRow("4") << int(StartApiFailed) << "startApi失败";
    QTest::newRow("5") << int(TerminalInfoFailed) << "获取监管信息失败";
    QTest::newRow("0 shows nothing") << int(LoginSuccess) << "";
    QTest::newRow("unknown shows nothing") << 9 << "";
}

void TstLogin::libraryFailureMessages() {
    QFETCH(int, status);
    QFETCH(QString, message);
    LoginWidget *w = makeWidget();
    w->setLoginButtonState(false);
    w->slotReqLoginResult(static_cast<LoginStatus>(status));
    QVERIFY(w->logStatus());
    QVERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    if (message.isEmpty()) {
        QCOMPARE(mBoxes->count(), 0);
        return;
    }
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", message);
    // The request object releases; the screen does not.
    QCOMPARE(qeto::fake::countOf("release"), 0);
}

void TstLogin::libraryFailureLeavesTimer() {
    qeto::fake::setResult("createTraderApi", -2);
    LoginWidget *w = makeWidget(400);
    QSignalSpy disconnects(SignalInterface::instance(), &SignalInterface::signal_onFrontDisconnected);
    fill(w, 0, demo::kAccount, demo::kPassword);
    QTest::ignoreMessage(QtInfoMsg, "login time out : mLogStatus is [1] and CanSendLogin is [2]");
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().text, QString("entryNo 已经被创建，重新创建此entryNo Api"));
    QTRY_VERIFY(!w->loginTimer()->isActive());
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(disconnects.count(), 0);
    QCOMPARE(qeto::fake::countOf("release"), 1);
}

void TstLogin::timeoutThenLateSuccess() {
    LoginWidget *w = makeWidget(200);
    QSignalSpy success(w, &LoginWidget::signalLoginSuccess);
    QSignalSpy disconnects(SignalInterface::instance(), &SignalInterface::signal_onFrontDisconnected);
    fill(w, 0, demo::kAccount, demo::kPassword);
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    QTRY_COMPARE(qeto::fake::countOf("startApi"), 1);

    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", "登录超时");
    QTRY_COMPARE(disconnects.count(), 1);
    QCOMPARE(disconnects.at(0).at(0).toInt(), 0);
    QVERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    // Released at once, and again behind whatever the login thread was still doing.
    QTRY_COMPARE(qeto::fake::countOf("release"), 2);

    // An answer still on its way after the instance was released opens no workspace.
    fireLoginAnswer(0, "");
    QTRY_COMPARE(qeto::fake::countOf("release"), 3);
    QTRY_COMPARE(ApiClientUtils::CanSendLogin.load(), 1);
    QCOMPARE(success.count(), 0);
    QCOMPARE(mBoxes->count(), 1);

    // The form works again.
    QTest::mouseClick(w->findChild<QPushButton *>("loginButton"), Qt::LeftButton);
    QTRY_COMPARE(qeto::fake::countOf("startApi"), 2);
}

void TstLogin::resetClearsForm() {
    LoginWidget *w = makeWidget();
    fill(w, 1, demo::kAccount, demo::kPassword);
    w->setLoginButtonState(false);
    ApiClientUtils::mRequestId = 9;
    QSignalSpy released(w, &LoginWidget::signalRelease);
    w->resetLogin();
    QCOMPARE(released.count(), 1);
    QCOMPARE(w->findChild<QComboBox *>("exchangeBox")->currentIndex(), -1);
    QCOMPARE(w->findChild<QComboBox *>("exchangeBox")->currentText(), QString());
    QCOMPARE(w->findChild<QLineEdit *>("accountEdit")->text(), QString());
    QCOMPARE(w->findChild<QLineEdit *>("passwordEdit")->text(), QString());
    QCOMPARE(w->market(), '0');
    QCOMPARE(ApiClientUtils::mMarket, '0');
    QCOMPARE(w->operway(), '\0');
    QCOMPARE(ApiClientUtils::mRequestId.load(), 0);
    QVERIFY(w->findChild<QPushButton *>("loginButton")->isEnabled());
    QCOMPARE(w->findChild<QPushButton *>("loginButton")->text(), QString("立即登录"));
    QCOMPARE(w->findChild<QLineEdit *>("accountEdit")->placeholderText(), QString("请输入正确的资金账户"));
    QTRY_COMPARE(qeto::fake::countOf("release"), 1);
}

void TstLogin::enterKey() {
    LoginWidget *w = makeWidget();
    QTest::keyClick(w, Qt::Key_Return);
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().text, QString("请选择正确的交易所！"));

    fill(w, 0, demo::kAccount, demo::kPassword);
    QTest::keyClick(w, Qt::Key_Enter);
    QTRY_COMPARE(qeto::fake::countOf("startApi"), 1);
    // Enter again while the attempt runs starts no second one.
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClick(w->findChild<QLineEdit *>("passwordEdit"), Qt::Key_Return);
    QCOMPARE(mBoxes->count(), 1);
    QVERIFY(!w->logStatus());
    fireFrontConnect();
    QTRY_COMPARE(qeto::fake::countOf("reqLogin"), 1);
    QCOMPARE(qeto::fake::countOf("createTraderApi"), 1);
}

// ---------------------------------------------------------------- main window

void TstLogin::mainWindowPages_data() {
    QTest::addColumn<int>("loginResult");  // status the login screen reports first
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("boxShown");

    QTest::newRow("disconnect after login") << int(LoginSuccess) << 4097 << true;
    QTest::newRow("logout after login") << int(LoginSuccess) << 1 << true;
    QTest::newRow("timeout while on the login page") << -1 << 0 << false;
    QTest::newRow("failure status keeps the login page") << int(StartApiFailed) << 4097 << false;
}

void TstLogin::mainWindowPages() {
    QFETCH(int, loginResult);
    QFETCH(int, reason);
    QFETCH(bool, boxShown);

    LoginWidget::setLoginTimeoutForTests(60000);
    MainWindow window;
    QCOMPARE(window.size(), QSize(1280, 720));
    QCOMPARE(window.stack()->currentIndex(), 0);
    QVERIFY(window.loginWidget()->isAncestorOf(window.stack()->widget(0)) ||
            window.stack()->widget(0)->isAncestorOf(window.loginWidget()));

    fill(window.loginWidget(), 1, demo::kAccount, demo::kPassword);
    if (loginResult >= 0) emit window.loginWidget()->signalLoginSuccess(static_cast<LoginStatus>(loginResult));
    const int page = loginResult == int(LoginSuccess) ? 1 : 0;
    QCOMPARE(window.stack()->currentIndex(), page);

    ApiClientUtils::mLoginRspCode = QStringLiteral("RSP01");
    if (boxShown)
        QTest::ignoreMessage(QtWarningMsg,
                             QString("slotFrontDisconnected 与柜台的链接断开[%1]").arg(reason).toUtf8().constData());
    // From a library thread, as the bridge does.
    qeto::fake::fireOnThread(
        [reason](const SpiCallbackTable &) { emit SignalInterface::instance()->signal_onFrontDisconnected(reason); });
    QTRY_VERIFY(ApiClientUtils::mLoginRspCode.isEmpty());
    QCOMPARE(window.stack()->currentIndex(), 0);
    QCOMPARE(mBoxes->count(), boxShown ? 1 : 0);
    if (!boxShown) {
        QCOMPARE(window.loginWidget()->findChild<QLineEdit *>("accountEdit")->text(), QString(demo::kAccount));
        return;
    }
    QCOMPARE_BOX(mBoxes->last(), "错误", "与柜台的链接断开，请重新登录！");
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
    QCOMPARE(window.loginWidget()->findChild<QLineEdit *>("accountEdit")->text(), QString());
    QCOMPARE(window.loginWidget()->findChild<QComboBox *>("exchangeBox")->currentIndex(), -1);
    QTRY_VERIFY(qeto::fake::countOf("release") >= 1);

    // The next login shows the page after the login again.
    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    QCOMPARE(window.stack()->currentIndex(), 1);
}

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
