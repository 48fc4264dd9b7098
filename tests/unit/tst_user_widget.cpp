// The workspace: what initUi builds, the header badges, the windows behind the buttons, and
// the market-data thread stopping when a workspace is thrown away.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "config_files.h"
#include "constants.h"
#include "log_capture.h"
#include "login/login_widget.h"
#include "modal_box.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "user/hot_keys.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/return_alert.h"
#include "user/update_pwd_dialog.h"
#include "user/user_widget.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

namespace {

const QString kExpectedTabStyle = QStringLiteral(
    "QTabBar::tab {background:qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,stop: 0 #E1E1E1, stop: 0.4 #DDDDDD,stop: "
    "0.5 #D8D8D8, stop: 1.0 #D3D3D3);border:2px solid #C4C4C3; border-bottom-color:#C2C7CB; "
    "border-top-left-radius:4px; border-top-right-radius:4px; min-width:8px; padding:2px; }QTabBar::tab:hover "
    "{background:qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,stop: 0 #fafafa, stop: 0.4 #f4f4f4,stop: 0.5 #e7e7e7, "
    "stop: 1.0 #fafafa);}QTabBar::tab:selected {border-color:#9B9B9B;border-bottom-color:red;}"
    "QTabBar::tab:!selected {margin-top:2px;}");

QImage pictureOf(const QString &path) {
    return QPixmap::fromImage(QImage(path)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage shown(const MyLabel *label) {
    return label->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const QByteArray kApiConfig = "URL=tcp://127.0.0.1:8888;\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=GatewayApiTest2\n";

}  // namespace

class TestUserWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void buildsTablesAndWatchList();
    void exchangeBadge_data();
    void exchangeBadge();
    void businessCode_data();
    void businessCode();
    void buttonsOpenOneWindowEach_data();
    void buttonsOpenOneWindowEach();
    void defaultTimings_data();
    void defaultTimings();
    void orderRequestShowsTheOrderWindow();
    void deletingStopsTheMarketDataThread();
    void hotKeys_data();
    void hotKeys();
    void alerts_data();
    void alerts();

private:
    static MyPushButton *buttonByText(UserWidget *w, const QString &text);
    QScopedPointer<UserWidget> mWidget;
    ModalBoxWatcher *mBoxes = nullptr;
};

void TestUserWidget::initTestCase() {
    // No market-data server in these tests: the client stays idle on its thread.
    QVERIFY(cfgtest::writeBesideApp(kSettingsFile, "[MD]\nswitch=0\n"));
    // Written before the first reader exists, which fixes whether the file is there.
    QVERIFY(cfgtest::writeBesideApp(kApiConfigFile, kApiConfig));
    mBoxes = new ModalBoxWatcher(this);
}

void TestUserWidget::init() {
    mWidget.reset(new UserWidget(nullptr));
    mWidget->initUi();
    mWidget->updateHeader();
}

void TestUserWidget::cleanup() { mWidget.reset(); }

MyPushButton *TestUserWidget::buttonByText(UserWidget *w, const QString &text) {
    for (MyPushButton *b : w->findChildren<MyPushButton *>(QString(), Qt::FindDirectChildrenOnly))
        if (b->text() == text) return b;
    return nullptr;
}

void TestUserWidget::buildsTablesAndWatchList() {
    UserWidget *w = mWidget.data();
    QTabWidget *tabs = w->mTabWidget;
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->styleSheet(), kExpectedTabStyle);
    QCOMPARE(tabs->styleSheet().size(), 539);

    const QStringList titles = {kPositionQueryTitle, kTradeQueryTitle, kOrderQueryTitle};
    const QList<QStringList> columns = {kPositionColumns, kTradeColumns, kOrderColumns};
    const QList<int> counts = {8, 7, 16};
    for (int i = 0; i < 3; ++i) {
        auto *table = qobject_cast<QueryWindow *>(tabs->widget(i));
        QVERIFY(table);
        QCOMPARE(tabs->tabText(i), titles[i]);
        QCOMPARE(table->windowName(), titles[i]);
        QCOMPARE(table->headerLabels(), columns[i]);
        QCOMPARE(table->table()->columnCount(), counts[i]);
        QCOMPARE(table->table()->rowCount(), 0);
    }
    QVERIFY(qobject_cast<PositionWidget *>(tabs->widget(0)));
    QVERIFY(qobject_cast<TransactionWidget *>(tabs->widget(1)));
    auto *orders = qobject_cast<OrderedWidget *>(tabs->widget(2));
    QVERIFY(orders);

    auto *header = qobject_cast<MyHeaderView *>(orders->table()->horizontalHeader());
    QVERIFY(header);
    QCOMPARE(header->orientation(), Qt::Horizontal);
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(orders->table()->columnWidth(0), 40);

    // The watch list is not a tab but sits in the layout right above the tabs.
    auto *quotes = w->findChild<StockQuotesWidget *>();
    QVERIFY(quotes);
    QCOMPARE(tabs->indexOf(quotes), -1);
    QCOMPARE(quotes->table()->columnCount(), 10);
    QCOMPARE(quotes->headerLabels(), kQuoteColumns);
    QLayout *layout = w->layout();
    QVERIFY(layout);
    QCOMPARE(layout->indexOf(tabs), layout->indexOf(quotes) + 1);
    QVERIFY(layout->indexOf(quotes) > 0);

    // Built once: a repeated call for the same workspace adds nothing.
    w->initUi();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(w->findChildren<StockQuotesWidget *>().size(), 1);
    QCOMPARE(w->findChildren<OrderWindow *>().size(), 1);
}

void TestUserWidget::exchangeBadge_data() {
    QTest::addColumn<char>("market");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("picture");
    QTest::newRow("no exchange yet") << '0' << QStringLiteral("100200300") << QStringLiteral(":/resource/sse.svg");
    QTest::newRow("shanghai") << '1' << QStringLiteral("A1") << QStringLiteral(":/resource/sse.svg");
    QTest::newRow("shenzhen") << '2' << QStringLiteral("B2") << QStringLiteral(":/resource/szse.svg");
}

void TestUserWidget::exchangeBadge() {
    QFETCH(char, market);
    QFETCH(QString, account);
    QFETCH(QString, picture);
    QVERIFY(pictureOf(QStringLiteral(":/resource/sse.svg")) != pictureOf(QStringLiteral(":/resource/szse.svg")));

    // Start from the other picture so a header that never changes the badge fails.
    ApiClientUtils::mMarket = market == '2' ? '1' : '2';
    mWidget->updateHeader();
    ApiClientUtils::mMarket = market;
    ApiClientUtils::mAccount = account;
    mWidget->updateHeader();

    const QImage expected = pictureOf(picture);
    QVERIFY(!expected.isNull());
    QCOMPARE(shown(mWidget->mExchangeIcon), expected);
    QCOMPARE(mWidget->mExchangeIcon->size(), QSize(33, 30));
    QCOMPARE(mWidget->mAccountText->text(), account);
    QCOMPARE(shown(mWidget->mAccountIcon), pictureOf(QStringLiteral(":/resource/account.svg")));
    ApiClientUtils::mMarket = '0';
}

void TestUserWidget::businessCode_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("iconShown");
    QTest::addColumn<QString>("text");
    // In this order: a code once read is kept by the reader when a later file has none.
    QTest::newRow("absent") << QByteArray() << false << QString();
    QTest::newRow("commented out") << QByteArray("#BusinessCode=X1\n") << false << QString();
    QTest::newRow("present") << QByteArray("BusinessCode=QT01\n") << true << QStringLiteral("QT01");
}

void TestUserWidget::businessCode() {
    QFETCH(QByteArray, line);
    QFETCH(bool, iconShown);
    QFETCH(QString, text);
    QVERIFY(cfgtest::writeBesideApp(kApiConfigFile, kApiConfig + line));
    mWidget->updateHeader();
    QCOMPARE(!mWidget->mBusinessIcon->isHidden(), iconShown);
    QCOMPARE(mWidget->mBusinessText->text(), text);
    if (iconShown) QCOMPARE(shown(mWidget->mBusinessIcon), pictureOf(QStringLiteral(":/resource/business.svg")));
}

void TestUserWidget::buttonsOpenOneWindowEach_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("requestEachClick");  // library call every click makes, if any
    QTest::addColumn<bool>("opensEmpty");           // typed fields are cleared at every opening
    QTest::newRow("order") << QStringLiteral("委托") << QStringLiteral("OrderWindow") << QString() << false;
    QTest::newRow("transfer") << QStringLiteral("沪深资金调拨") << QStringLiteral("FundTransferWidget") << QString()
                              << false;
    QTest::newRow("deposit") << QStringLiteral("出入金") << QStringLiteral("DepositAndWithdrawalDialog") << QString()
                             << false;
    QTest::newRow("funds") << QStringLiteral("资金查询") << QStringLiteral("PersonalInfDialog")
                           << QStringLiteral("reqQryFund") << false;
    QTest::newRow("password") << QStringLiteral("修改密码") << QStringLiteral("UpdatePwdDialog") << QString() << true;
}

void TestUserWidget::buttonsOpenOneWindowEach() {
    QFETCH(QString, button);
    QFETCH(QString, windowClass);
    QFETCH(QString, requestEachClick);
    QFETCH(bool, opensEmpty);
    qeto::fake::reset();
    MyPushButton *b = buttonByText(mWidget.data(), button);
    QVERIFY(b);
    QCOMPARE(b->size(), QSize(150, 28));

    auto windows = [&] {
        QList<QWidget *> found;
        for (QWidget *child : mWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (windowClass == QLatin1String(child->metaObject()->className())) found << child;
        return found;
    };
    b->click();
    QCOMPARE(windows().size(), 1);
    QPointer<QWidget> first = windows().first();
    QVERIFY(first->isVisible());
    if (!requestEachClick.isEmpty()) QCOMPARE(qeto::fake::countOf(requestEachClick.toStdString()), 1);
    const QList<QLineEdit *> edits = first->findChildren<QLineEdit *>();
    for (QLineEdit *edit : edits) edit->setText(QStringLiteral("123"));
    first->hide();
    b->click();
    QCOMPARE(windows().size(), 1);
    QCOMPARE(windows().first(), first.data());
    QVERIFY(first->isVisible());
    if (!requestEachClick.isEmpty()) QCOMPARE(qeto::fake::countOf(requestEachClick.toStdString()), 2);
    if (opensEmpty) {
        QVERIFY(!edits.isEmpty());
        for (QLineEdit *edit : edits) QCOMPARE(edit->text(), QString());
    }
    first->hide();
}

void TestUserWidget::defaultTimings_data() {
    QTest::addColumn<QString>("timer");
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<bool>("singleShot");
    QTest::newRow("login timeout") << QStringLiteral("login") << 20000 << true;
    QTest::newRow("market-data reconnect") << QStringLiteral("reconnect") << 5000 << false;
    QTest::newRow("market-data connect limit") << QStringLiteral("connectLimit") << 30000 << true;
    QTest::newRow("watch-list refresh") << QStringLiteral("watchList") << 1000 << false;
    QTest::newRow("five-level panel refresh") << QStringLiteral("panel") << 1000 << false;
}

void TestUserWidget::defaultTimings() {
    QFETCH(QString, timer);
    QFETCH(int, intervalMs);
    QFETCH(bool, singleShot);
    QTimer *found = nullptr;
    QScopedPointer<LoginWidget> login;
    QScopedPointer<QuotesTcpClient> client;
    if (timer == QLatin1String("login")) {
        login.reset(new LoginWidget(nullptr));
        found = login->loginTimer();
    } else if (timer == QLatin1String("watchList")) {
        found = mWidget->mStockQuotesWidget->refreshTimer();
    } else if (timer == QLatin1String("panel")) {
        found = mWidget->mOrderWindow->levelWidget()->refreshTimer();
    } else {
        // A client of its own, switched on and started here, towards a port nobody listens on.
        QVERIFY(cfgtest::writeBesideApp(kSettingsFile, "[MD]\nswitch=1\nip=127.0.0.1\nport=1\n"));
        client.reset(new QuotesTcpClient);
        QVERIFY(cfgtest::writeBesideApp(kSettingsFile, "[MD]\nswitch=0\n"));
        client->slot_start();
        found = timer == QLatin1String("reconnect") ? client->reconnectTimer() : client->connectLimitTimer();
    }
    QVERIFY(found);
    QCOMPARE(found->interval(), intervalMs);
    QCOMPARE(found->isSingleShot(), singleShot);
    if (timer != QLatin1String("connectLimit") && timer != QLatin1String("login")) QVERIFY(found->isActive());
}

void TestUserWidget::orderRequestShowsTheOrderWindow() {
    // Built hidden with the workspace; an order request from any screen brings it up.
    auto *window = mWidget->findChild<OrderWindow *>();
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->size(), QSize(510, 333));
    QVERIFY(window->windowFlags() & Qt::Tool);
    emit SignalInterface::instance()->signal_clicketOrder(QStringLiteral("600000"));
    QTRY_VERIFY(window->isVisible());
    window->hide();
}

void TestUserWidget::deletingStopsTheMarketDataThread() {
    // Twice over, as after a disconnect and a second login.
    for (int round = 0; round < 2; ++round) {
        auto *manager = mWidget->findChild<QueryWindowsManager *>();
        QVERIFY(manager);
        QPointer<QThread> thread = manager->workerThread();
        QPointer<QuotesTcpClient> client = manager->quotesClient();
        QVERIFY(thread && client);
        QTRY_VERIFY(thread->isRunning());
        QCOMPARE(client->thread(), thread.data());

        mWidget.reset();
        // Stopped and joined by the time the workspace is gone; the object itself goes later.
        QVERIFY(thread && thread->isFinished());
        QVERIFY(client.isNull());
        QTRY_VERIFY(thread.isNull());

        init();
        QCOMPARE(mWidget->mTabWidget->count(), 3);
        QCOMPARE(mWidget->findChild<StockQuotesWidget *>()->table()->rowCount(), 0);
    }
}

namespace {

// Fires `what` `count` times from the fake library's thread.
enum Answer { OrderReturn, RefusedReturn, RefusedOrder, RefusedOrderErr, AcceptedOrder, RefusedCancel, AcceptedCancel };

void fire(Answer what, int count) {
    qeto::fake::fireOnThread([=](const SpiCallbackTable &t) {
        CQetoSessionInfo session = zeroed<CQetoSessionInfo>();
        const bool refused =
            what == RefusedReturn || what == RefusedOrder || what == RefusedOrderErr || what == RefusedCancel;
        CQetoRspInfo info = rspInfo(refused ? 7 : 0, refused ? "no funds" : "");
        for (int i = 0; i < count; ++i) {
            CQetoRspInfo copy = info;
            if (what == OrderReturn || what == RefusedReturn) {
                CQetoRtnOrderField rtn = zeroed<CQetoRtnOrderField>();
                std::memcpy(rtn.OrderText, "600000", 6);
                t.onRtnOrder(&rtn, &copy, &session, 0, true);
            } else if (what == RefusedCancel || what == AcceptedCancel) {
                CQetoRspOrderActionField rsp = zeroed<CQetoRspOrderActionField>();
                t.onRspCancelOrder(&rsp, &copy, &session, i, true);
            } else {
                CQetoRspOrderInsertField rsp = zeroed<CQetoRspOrderInsertField>();
                (what == RefusedOrderErr ? t.onErrRtnInsertOrder : t.onRspInsertOrder)(&rsp, &copy, &session, i, true);
            }
        }
    });
}

}  // namespace

Q_DECLARE_METATYPE(Answer)

// One hot key on the shown workspace: where it leads, what it sends, and the tool tip of the
// control it stands for.
void TestUserWidget::hotKeys_data() {
    QTest::addColumn<int>("startTab");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("tabAfter");
    QTest::addColumn<int>("side");         // the order window shown with this side chosen; 0: not shown
    QTest::addColumn<QString>("request");  // the library call made, once
    QTest::newRow("F1: 委托 with 买, focus in the code box") << 0 << HotKeys::kBuy << 1 << 0 << int('1') << "";
    QTest::newRow("F2: 委托 with 卖") << 1 << HotKeys::kSell << 1 << 1 << int('2') << "";
    QTest::newRow("F3: 委托查询") << 0 << HotKeys::kOrderQuery << 1 << 2 << 0 << "";
    QTest::newRow("F4: 持仓查询") << 2 << HotKeys::kPositions << 1 << 0 << 0 << "";
    QTest::newRow("F5 on 持仓查询: 搜索") << 0 << HotKeys::kSearch << 1 << 0 << 0 << "reqQryPosition";
    QTest::newRow("F5 on 成交查询: 查询") << 1 << HotKeys::kSearch << 1 << 1 << 0 << "reqQryTrade";
    QTest::newRow("F5 on 委托查询: 搜索") << 2 << HotKeys::kSearch << 1 << 2 << 0 << "reqQryOrder";
    QTest::newRow("F5 twice: refused while the search runs") << 2 << HotKeys::kSearch << 2 << 2 << 0 << "reqQryOrder";
}

void TestUserWidget::hotKeys() {
    QFETCH(int, startTab);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, tabAfter);
    QFETCH(int, side);
    QFETCH(QString, request);
    qeto::fake::reset();
    UserWidget *w = mWidget.data();
    w->mTabWidget->setCurrentIndex(startTab);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    OrderWindow *orderWindow = w->mOrderWindow;
    orderWindow->findChild<QRadioButton *>(side == '1' ? "sellButton" : "buyButton")->setChecked(true);

    for (int i = 0; i < presses; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key(key));

    QCOMPARE(w->mTabWidget->currentIndex(), tabAfter);
    QCOMPARE(orderWindow->isVisible(), side != 0);
    if (side) {
        QVERIFY(orderWindow->findChild<QRadioButton *>(side == '1' ? "buyButton" : "sellButton")->isChecked());
        QTRY_COMPARE(QApplication::focusWidget(), orderWindow->findChild<QWidget *>("codeBox"));
    }
    QCOMPARE(int(qeto::fake::calls().size()), request.isEmpty() ? 0 : 1);
    if (!request.isEmpty()) QCOMPARE(qeto::fake::countOf(request.toStdString()), 1);

    // The control the key stands for names it in its tool tip.
    const QString keyText = HotKeys::text(key);
    QString tip;
    if (key == HotKeys::kBuy || key == HotKeys::kSell)
        tip = w->mOrderButton->toolTip();
    else if (key == HotKeys::kSearch)
        tip = qobject_cast<QueryWindow *>(w->mTabWidget->currentWidget())->searchButton()->toolTip();
    else
        tip = w->mTabWidget->tabToolTip(tabAfter);
    QVERIFY2(tip.contains(keyText), qPrintable(tip));
    orderWindow->hide();
    w->hide();
}

// The alert on the answers that deserve the user's eye, once a second at most, on the
// workspace's window; none when the settings switch it off.
void TestUserWidget::alerts_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("switchedOn");
    QTest::addColumn<int>("alerts");
    QTest::newRow("an order return") << OrderReturn << 1 << true << 1;
    QTest::newRow("a refused order's return") << RefusedReturn << 1 << true << 1;
    QTest::newRow("a refused order") << RefusedOrder << 1 << true << 1;
    QTest::newRow("a refused order through the error signal") << RefusedOrderErr << 1 << true << 1;
    QTest::newRow("a refused cancel") << RefusedCancel << 1 << true << 1;
    QTest::newRow("an accepted order: none") << AcceptedOrder << 1 << true << 0;
    QTest::newRow("an accepted cancel: none") << AcceptedCancel << 1 << true << 0;
    QTest::newRow("three returns at once: one") << OrderReturn << 3 << true << 1;
    QTest::newRow("switched off: none") << OrderReturn << 1 << false << 0;
    QTest::newRow("a flood of 8000 returns: one a second") << OrderReturn << 8000 << true << 1;
}

void TestUserWidget::alerts() {
    QFETCH(Answer, answer);
    QFETCH(int, count);
    QFETCH(bool, switchedOn);
    QFETCH(int, alerts);
    const bool flood = count > 100;
    ApiClientUtils::initSpi();
    QList<QWidget *> alerted;
    ReturnAlert::setAlertFunction([&](QWidget *window) { alerted << window; });

    // The time the GUI thread takes to take in `count` answers of a workspace built now.
    auto takeIn = [&](bool on, int *alertsGiven) {
        QVERIFY(
            cfgtest::writeBesideApp(kSettingsFile, on ? "[MD]\nswitch=0\n" : "[MD]\nswitch=0\n[Alert]\nonReturn=0\n"));
        init();
        QCOMPARE(mWidget->findChild<ReturnAlert *>()->isOn(), on);
        qeto::fake::reset();
        registerSpi(ApiClientUtils::spiTable(), 0);
        // Connected after the workspace: sees each answer after the workspace's own slots did.
        int seen = 0;
        QObject counter;
        auto count1 = [&seen] { ++seen; };
        SignalInterface *hub = SignalInterface::instance();
        connect(hub, &SignalInterface::signal_rtnOrder, &counter, count1);
        connect(hub, &SignalInterface::signal_rspInsertOrder, &counter, count1);
        connect(hub, &SignalInterface::signal_rspErrInsertOrder, &counter, count1);
        connect(hub, &SignalInterface::signal_rspCancelOrder, &counter, count1);
        QElapsedTimer clock;
        clock.start();
        {
            LogCapture quiet;  // the bridge and the order form log every answer
            fire(answer, count);
            QTRY_COMPARE_WITH_TIMEOUT(seen, count, 60000);
        }
        const qint64 ms = clock.elapsed();
        *alertsGiven = mWidget->findChild<ReturnAlert *>()->alerts();
        if (flood)
            qInfo("flood figure: %d returns taken in %lld ms with the alert %s, %d alert(s)", count,
                  static_cast<long long>(ms), on ? "on" : "off", *alertsGiven);
        QVERIFY(*alertsGiven <= 1 + ms / ReturnAlert::kMinIntervalMs);
    };

    int given = 0;
    takeIn(switchedOn, &given);
    if (flood)
        QVERIFY(given >= 1);
    else
        QCOMPARE(given, alerts);
    ReturnAlert::setAlertFunction({});
    QVERIFY(cfgtest::writeBesideApp(kSettingsFile, "[MD]\nswitch=0\n"));
    QCOMPARE(alerted.size(), given);
    for (QWidget *window : alerted) QCOMPARE(window, mWidget->window());
}

QTEST_MAIN(TestUserWidget)
#include "tst_user_widget.moc"
