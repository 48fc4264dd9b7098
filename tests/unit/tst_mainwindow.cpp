// Main window: switching between the login page and the workspace, the disconnect path that
// throws the workspace away, and the shell's message box.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QtTest>
#include <cstring>

#include "config_files.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "modal_box.h"
#include "my_message_box.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "user/return_alert.h"
#include "user/user_widget.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {
void disconnectFromLibraryThread(int reason) {
    qeto::fake::fireOnThread(
        [reason](const SpiCallbackTable &) { emit SignalInterface::instance()->signal_onFrontDisconnected(reason); });
}
}  // namespace

class TstMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void loginShowsWorkspace();
    void disconnectDropsWorkspace();
    void disconnectOnLoginPageOnlyClearsCode();
    void messageBoxIcons_data();
    void messageBoxIcons();
    void returnAlertsTheMainWindow();

private:
    ModalBoxWatcher *mBoxes = nullptr;
};

void TstMainWindow::initTestCase() {
    // Market data off: the workspace's client never connects.
    QVERIFY(cfgtest::writeConfig("qeto_desk_config.ini",
                                 "[TRADE]\noperway=7\nbranchid=0001\nappid=qeto-desk\n\n[MD]\nswitch=0\n"));
    QVERIFY(cfgtest::writeConfig(
        "api_config.txt", "URL=tcp://127.0.0.1:1;\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=T\nBusinessCode=QD01\n"));
    mBoxes = new ModalBoxWatcher(this);
}

void TstMainWindow::init() {
    qeto::fake::reset();
    mBoxes->clear();
    ApiClientUtils::mMarket = '1';
    ApiClientUtils::mAccount = QLatin1String(demo::kAccount);
}

void TstMainWindow::loginShowsWorkspace() {
    MainWindow window;
    UserWidget *first = window.workspace();
    QVERIFY(first);
    QCOMPARE(window.stack()->currentIndex(), 0);
    QCOMPARE(window.stack()->indexOf(first), 1);
    QCOMPARE(first->findChild<QTabWidget *>()->count(), 0);  // the tables are built at the login

    emit window.loginWidget()->signalLoginSuccess(StartApiFailed);
    QCOMPARE(window.stack()->currentIndex(), 0);

    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    QCOMPARE(window.stack()->currentWidget(), first);
    auto *tabs = first->findChild<QTabWidget *>();
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 3);
}

void TstMainWindow::disconnectDropsWorkspace() {
    MainWindow window;
    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    QPointer<UserWidget> first = window.workspace();
    QVERIFY(first);

    ApiClientUtils::mLoginRspCode = QStringLiteral("SH01");
    QTest::ignoreMessage(QtWarningMsg, "slotFrontDisconnected 与柜台的链接断开[4097]");
    disconnectFromLibraryThread(4097);
    QTRY_VERIFY(first.isNull());
    QCOMPARE(window.workspace(), static_cast<UserWidget *>(nullptr));
    QCOMPARE(window.stack()->currentIndex(), 0);
    QVERIFY(ApiClientUtils::mLoginRspCode.isEmpty());
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("错误"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("与柜台的链接断开，请重新登录！"));
    QTRY_VERIFY(qeto::fake::countOf("release") >= 1);

    // The next login builds a fresh workspace with the header of that login.
    ApiClientUtils::mMarket = '2';
    ApiClientUtils::mAccount = QLatin1String(demo::kSecondAccount);
    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    UserWidget *second = window.workspace();
    QVERIFY(second);
    QCOMPARE(window.stack()->currentWidget(), second);
    auto *tabs = second->findChild<QTabWidget *>();
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 3);
    for (int i = 0; i < tabs->count(); ++i) {
        auto *table = tabs->widget(i)->findChild<QTableWidget *>();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 0);
    }
    bool accountShown = false;
    for (QLabel *label : second->findChildren<QLabel *>())
        accountShown |= label->text() == QLatin1String(demo::kSecondAccount);
    QVERIFY(accountShown);

    // A second disconnect while the first box would be open finds the login page: no new box.
    disconnectFromLibraryThread(4097);
    QTest::ignoreMessage(QtWarningMsg, "slotFrontDisconnected 与柜台的链接断开[4097]");
    QTRY_VERIFY(window.workspace() == nullptr);
    disconnectFromLibraryThread(8193);
    QTRY_COMPARE(mBoxes->count(), 2);
    QTest::qWait(50);
    QCOMPARE(mBoxes->count(), 2);
}

void TstMainWindow::disconnectOnLoginPageOnlyClearsCode() {
    MainWindow window;
    UserWidget *kept = window.workspace();
    ApiClientUtils::mLoginRspCode = QStringLiteral("SH01");
    disconnectFromLibraryThread(0);
    QTRY_VERIFY(ApiClientUtils::mLoginRspCode.isEmpty());
    QCOMPARE(window.workspace(), kept);
    QCOMPARE(mBoxes->count(), 0);
}

void TstMainWindow::messageBoxIcons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("pixmap");
    QTest::newRow("warning") << 1 << int(QStyle::SP_MessageBoxWarning);
    QTest::newRow("critical") << 2 << int(QStyle::SP_MessageBoxCritical);
    QTest::newRow("information") << 7 << int(QStyle::SP_MessageBoxInformation);
}

void TstMainWindow::messageBoxIcons() {
    QFETCH(int, kind);
    QFETCH(int, pixmap);
    auto *box = new MyMessageBox(QStringLiteral("标题"), kind, nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("标题"));
    QCOMPARE(box->keptTitle(), QStringLiteral("标题"));
    QVERIFY(box->testAttribute(Qt::WA_DeleteOnClose));
    const QImage expected =
        QApplication::style()->standardIcon(static_cast<QStyle::StandardPixmap>(pixmap)).pixmap(64, 64).toImage();
    QCOMPARE(box->iconPixmap().toImage(), expected);
    delete box;

    MyMessageBox two(QStringLiteral("t"), QStringLiteral("text"), QStringLiteral("确认"), QStringLiteral("取消"));
    QCOMPARE(two.keptTitle(), QString());
    QCOMPARE(two.windowTitle(), QStringLiteral("t"));
    QCOMPARE(two.buttons().size(), 2);
    QCOMPARE(two.buttonRole(two.buttons().at(0)) == QMessageBox::AcceptRole ||
                 two.buttonRole(two.buttons().at(1)) == QMessageBox::AcceptRole,
             true);
}

// An order return flashes the main window, also from the workspace of a second login.
void TstMainWindow::returnAlertsTheMainWindow() {
    QList<QWidget *> alerted;
    ReturnAlert::setAlertFunction([&](QWidget *window) { alerted << window; });
    MainWindow window;
    auto orderReturn = [] {
        qeto::fake::fireOnThread([](const SpiCallbackTable &) {
            CQetoRtnOrderField rtn;
            std::memset(&rtn, 0, sizeof rtn);
            CQetoRspInfo info;
            std::memset(&info, 0, sizeof info);
            emit SignalInterface::instance()->signal_rtnOrder(rtn, info, 0, true);
        });
    };
    orderReturn();  // on the login page: no workspace built, no alert
    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    QTest::qWait(20);
    QCOMPARE(alerted.size(), 0);
    orderReturn();
    QTRY_COMPARE(alerted.size(), 1);
    QCOMPARE(alerted.last(), static_cast<QWidget *>(&window));

    QTest::ignoreMessage(QtWarningMsg, "slotFrontDisconnected 与柜台的链接断开[4097]");
    disconnectFromLibraryThread(4097);
    QTRY_VERIFY(window.workspace() == nullptr);
    emit window.loginWidget()->signalLoginSuccess(LoginSuccess);
    orderReturn();
    QTRY_COMPARE(alerted.size(), 2);
    QCOMPARE(alerted.last(), static_cast<QWidget *>(&window));
    ReturnAlert::setAlertFunction({});
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
