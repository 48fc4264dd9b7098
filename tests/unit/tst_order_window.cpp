// The order window: the order record and its checks, confirmation and answers through the
// callback bridge on a thread of the fake library, and the five-level panel fed by a real
// market-data client reading from a local server.
#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QScopedPointer>
#include <QtTest>
#include <cstring>

#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "constants.h"
#include "local_text.h"
#include "md_feed.h"
#include "modal_box.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/signal_interface.h"

namespace {

using mdtest::Feed;
using mdtest::Record;

Record quote(const QByteArray &code, double last, const QByteArray &name) {
    Record r = mdtest::makeRecord(code, last, name);
    r.preClosePrice = last - 0.05;
    r.upperLimitPrice = last + 1.05;
    r.lowerLimitPrice = last - 1.05;
    for (int i = 0; i < 5; ++i) r.askVolume[i] = 5000000000ull + i;  // past 32 bits
    return r;
}

// 600000 has no bid level 3.
Record gapQuote() {
    Record r = quote("600000", 10.5, "PF BANK");
    r.bidPrice[2] = 0;
    r.bidVolume[2] = 700;
    return r;
}

// The form's code box text at the moment the window is shown.
class ShowWatcher : public QObject {
public:
    ShowWatcher(QWidget *window, QLineEdit *codeBox) : mCodeBox(codeBox) { window->installEventFilter(this); }
    QString codeAtShow;
    bool shown = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Show && !shown) {
            shown = true;
            codeAtShow = mCodeBox->text();
        }
        return false;
    }

private:
    QLineEdit *mCodeBox;
};

QByteArray expectedRecord(uint32_t id, const QByteArray &code, char side, double price, int32_t quantity) {
    char b[48] = {};
    std::memcpy(b, &id, 4);
    std::memcpy(b + 4, code.constData(), size_t(qMin(code.size(), 8)));
    b[12] = side;
    std::memcpy(b + 14, &price, 8);
    std::memcpy(b + 22, &quantity, 4);
    b[26] = '2';
    b[27] = '0';
    std::memcpy(b + 32, "ApiClient", 9);
    return QByteArray(b, sizeof b);
}

QStringList repeated(int n, const QString &text) {
    QStringList list;
    for (int i = 0; i < n; ++i) list << text;
    return list;
}

}  // namespace

class TstOrderWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void orderRecordBytes_data();
    void orderRecordBytes();
    void inputChecks_data();
    void inputChecks();
    void unconfirmedOrderUsesUpAnId();
    void requestFailureIsReported();
    void responses_data();
    void responses();
    void returnsOnlyLog();
    void priceFromPanel_data();
    void priceFromPanel();
    void clearKeepsSide();
    void codeBoxTakesSixDigits();
    void panelLevels_data();
    void panelLevels();
    void clickingPanelPrice_data();
    void clickingPanelPrice();
    void hubOrderShowsWindowWithCode();
    void keys_data();
    void keys();
    void onePressOneOrder();

private:
    void enter(const QString &code, double price, int quantity);
    void clickOrder() { mWindow->findChild<MyPushButton *>("orderButton")->click(); }
    QLineEdit *codeBox() const { return mWindow->findChild<MyLineEdit *>("codeBox"); }
    QDoubleSpinBox *priceBox() const { return mWindow->findChild<MyDoubleSpinBox *>("priceBox"); }
    QString panel(const QString &name) const {
        const QLabel *label = mWindow->findChild<QLabel *>(name);
        return label ? label->text() : QStringLiteral("<none>");
    }

    QScopedPointer<Feed> mFeed;
    QScopedPointer<OrderWindow> mWindow;
    ModalBoxWatcher *mBoxes = nullptr;
};

void TstOrderWindow::initTestCase() {
    ApiClientUtils::initSpi();
    mFeed.reset(new Feed);
    mFeed->push({gapQuote(), quote("600519", 1700, localBytes(QStringLiteral("贵州茅台")))});
    mFeed->waitForSize(2);
    mWindow.reset(new OrderWindow(nullptr));
    mWindow->initDataClass(mFeed->client());
}

void TstOrderWindow::cleanupTestCase() {
    mWindow.reset();
    mFeed.reset();
}

void TstOrderWindow::init() {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), 0);
    ApiClientUtils::mAccountSessionId = 4242;
    mBoxes = new ModalBoxWatcher(this);
    mWindow->findChild<MyPushButton *>("clearButton")->click();
    mWindow->findChild<QRadioButton *>("buyButton")->setChecked(true);
}

void TstOrderWindow::cleanup() {
    delete mBoxes;
    mBoxes = nullptr;
    mWindow->hide();
}

void TstOrderWindow::enter(const QString &code, double price, int quantity) {
    codeBox()->setText(code);
    priceBox()->setValue(price);
    mWindow->findChild<MySpinBox *>("quantityBox")->setValue(quantity);
}

void TstOrderWindow::orderRecordBytes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("sell");
    QTest::addColumn<double>("price");
    QTest::addColumn<int>("quantity");
    QTest::newRow("buy 100 at 10.5") << "600000" << false << 10.5 << 100;
    QTest::newRow("sell at the range ends") << "000001" << true << 0.001 << 2147483647;
}

void TstOrderWindow::orderRecordBytes() {
    QFETCH(QString, code);
    QFETCH(bool, sell);
    QFETCH(double, price);
    QFETCH(int, quantity);
    mWindow->findChild<QRadioButton *>(sell ? "sellButton" : "buyButton")->setChecked(true);
    enter(code, price, quantity);
    const uint32_t id = ApiClientUtils::mMaxUserLocalId + 1;
    const int requestId = ApiClientUtils::mRequestId;

    clickOrder();

    QCOMPARE(mBoxes->count(), 1);
    const SeenBox box = mBoxes->last();
    QCOMPARE(box.title, QStringLiteral("确认"));
    QCOMPARE(box.text, QStringLiteral("是否确认交易"));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.buttons, (QStringList{QStringLiteral("确认"), QStringLiteral("取消")}));

    const auto calls = qeto::fake::callsOf("reqInsertOrder");
    QCOMPARE(int(calls.size()), 1);
    const auto &call = calls.front();
    const QByteArray bytes(reinterpret_cast<const char *>(call.record.data()), int(call.record.size()));
    QCOMPARE(bytes.toHex(' '), expectedRecord(id, code.toLatin1(), sell ? '2' : '1', price, quantity).toHex(' '));
    QCOMPARE(call.extra, std::vector<unsigned char>(128, 0));
    QCOMPARE(call.sessionId, 4242u);
    QCOMPARE(call.requestId, requestId);
    QCOMPARE(call.entryNo, 0);
    QCOMPARE(int(ApiClientUtils::mRequestId), requestId + 1);
    QCOMPARE(uint32_t(ApiClientUtils::mMaxUserLocalId), id);
}

void TstOrderWindow::inputChecks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("price");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty code first") << "" << 0.0 << 0 << "证券代码不能为空!";
    QTest::newRow("five digits") << "60000" << 10.0 << 100 << "证券代码错误!";
    QTest::newRow("letters set from outside") << "60000A" << 10.0 << 100 << "证券代码错误!";
    QTest::newRow("price before quantity") << "600000" << 0.0 << 0 << "填写正确的价格!";
    QTest::newRow("quantity") << "600000" << 10.0 << 0 << "填写正确的数量!";
}

void TstOrderWindow::inputChecks() {
    QFETCH(QString, code);
    QFETCH(double, price);
    QFETCH(int, quantity);
    QFETCH(QString, message);
    enter(code, price, quantity);
    const uint32_t id = ApiClientUtils::mMaxUserLocalId;
    const int requestId = ApiClientUtils::mRequestId;

    clickOrder();

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("出错"));
    QCOMPARE(mBoxes->last().text, message);
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 0);
    QCOMPARE(uint32_t(ApiClientUtils::mMaxUserLocalId), id);
    QCOMPARE(int(ApiClientUtils::mRequestId), requestId);
    // Nothing in the form changes.
    QCOMPARE(codeBox()->text(), code);
    QCOMPARE(priceBox()->value(), price);
}

void TstOrderWindow::unconfirmedOrderUsesUpAnId() {
    enter("600000", 10.5, 100);
    const uint32_t before = ApiClientUtils::mMaxUserLocalId;
    const int requestId = ApiClientUtils::mRequestId;

    mBoxes->setAnswerText(QStringLiteral("取消"));
    clickOrder();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 0);
    QCOMPARE(int(ApiClientUtils::mRequestId), requestId);

    mBoxes->setAnswerText(QString());
    clickOrder();
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 1);
    QCOMPARE(qeto::fake::lastRecord<CQetoReqOrderInsertField>("reqInsertOrder").UserLocalID, before + 2);
}

void TstOrderWindow::requestFailureIsReported() {
    qeto::fake::setResult("reqInsertOrder", 3);
    enter("600000", 10.5, 100);
    const int requestId = ApiClientUtils::mRequestId;
    QTest::ignoreMessage(QtWarningMsg, "报单请求失败");

    clickOrder();

    QCOMPARE(mBoxes->count(), 2);
    QCOMPARE(mBoxes->last().title, QStringLiteral("出错"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("报单请求失败"));
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 1);
    QCOMPARE(int(ApiClientUtils::mRequestId), requestId + 1);
}

void TstOrderWindow::responses_data() {
    QTest::addColumn<bool>("throughErr");
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::newRow("success") << false << 0u << "成功" << int(QMessageBox::Information);
    QTest::newRow("success through the error signal") << true << 0u << "成功" << int(QMessageBox::Information);
    QTest::newRow("refused") << false << 12u << "出错" << int(QMessageBox::Warning);
    QTest::newRow("refused through the error signal") << true << 10004u << "出错" << int(QMessageBox::Warning);
}

void TstOrderWindow::responses() {
    QFETCH(bool, throughErr);
    QFETCH(uint, errorId);
    QFETCH(QString, title);
    QFETCH(int, icon);
    const CQetoRspInfo info = rspInfo(errorId, errorId ? "price out of range" : "");
    const QString text = errorId ? QStringLiteral("报单发送失败[%0]%1")
                                       .arg(QString::number(errorId), ErrorMsg::instance()->getErrorMsg(info))
                                 : QStringLiteral("报单发送成功");

    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        CQetoRspOrderInsertField rsp;
        std::memset(&rsp, 0, sizeof rsp);
        CQetoRspInfo copy = info;
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        (throughErr ? t.onErrRtnInsertOrder : t.onRspInsertOrder)(&rsp, &copy, &session, 1, true);
    });

    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, title);
    QCOMPARE(mBoxes->last().text, text);
    QCOMPARE(int(mBoxes->last().icon), icon);
    QCOMPARE(mBoxes->last().buttons.size(), 1);
}

void TstOrderWindow::returnsOnlyLog() {
    // An order text filling its field to the record's end: the log line stops there.
    const QString orderText(118, QLatin1Char('A'));
    const CQetoRspInfo refused = rspInfo(7, "no funds");
    QTest::ignoreMessage(QtWarningMsg, QStringLiteral("%1交易失败[7]%2")
                                           .arg(orderText, ErrorMsg::instance()->getErrorMsg(refused))
                                           .toUtf8()
                                           .constData());
    QTest::ignoreMessage(QtInfoMsg, (orderText + QStringLiteral("交易成功")).toUtf8().constData());

    qeto::fake::fireOnThread([&](const SpiCallbackTable &t) {
        CQetoRtnOrderField rtn;
        std::memset(&rtn, 0, sizeof rtn);
        std::memset(rtn.OrderText, 'A', sizeof rtn.OrderText);
        CQetoRspInfo copy = refused;
        CQetoRspInfo ok = rspInfo(0, "");
        CQetoSessionInfo session;
        std::memset(&session, 0, sizeof session);
        t.onRtnOrder(&rtn, &copy, &session, 0, true);
        t.onRtnOrder(&rtn, &ok, &session, 0, true);
        // Delivered after the returns: when its box is the only one, the returns showed none.
        CQetoRspOrderInsertField rsp;
        std::memset(&rsp, 0, sizeof rsp);
        t.onRspInsertOrder(&rsp, &ok, &session, 1, true);
    });

    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().text, QStringLiteral("报单发送成功"));
}

void TstOrderWindow::priceFromPanel_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("dash is ignored") << "-" << 7.5;
    QTest::newRow("empty is ignored") << "" << 7.5;
    QTest::newRow("three decimals") << "10.123" << 10.123;
    QTest::newRow("zero") << "0.000" << 0.0;
}

void TstOrderWindow::priceFromPanel() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    priceBox()->setValue(7.5);
    mWindow->orderWidget()->slotChangePrice(text);
    QCOMPARE(priceBox()->value(), expected);
}

void TstOrderWindow::clearKeepsSide() {
    mWindow->findChild<QRadioButton *>("sellButton")->setChecked(true);
    enter("600000", 10.5, 100);
    mWindow->findChild<MyPushButton *>("clearButton")->click();
    QCOMPARE(codeBox()->text(), QString());
    QCOMPARE(priceBox()->value(), 0.0);
    QCOMPARE(mWindow->findChild<MySpinBox *>("quantityBox")->value(), 0);

    enter("600000", 10.5, 100);
    clickOrder();
    QCOMPARE(qeto::fake::lastRecord<CQetoReqOrderInsertField>("reqInsertOrder").Direction, '2');
}

void TstOrderWindow::codeBoxTakesSixDigits() {
    QTest::keyClicks(codeBox(), "60a00001x9");
    QCOMPARE(codeBox()->text(), QStringLiteral("600000"));
    QCOMPARE(mWindow->findChild<MyLabel *>("nameLabel")->text(), QStringLiteral("PF BANK"));
}

void TstOrderWindow::panelLevels_data() {
    QTest::addColumn<QString>("shownBefore");  // a code whose levels are on show first, if any
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("singles");  // last, previous close, limit up, limit down
    QTest::addColumn<QStringList>("bids");     // price and volume of levels 1 to 5
    QTest::addColumn<QStringList>("asks");
    const QStringList dashes = repeated(10, QStringLiteral("-"));
    const QStringList zeros = repeated(4, QStringLiteral("0.000"));
    QTest::newRow("no code") << ""
                             << ""
                             << "" << repeated(4, QStringLiteral("-")) << dashes << dashes;
    QTest::newRow("code without data") << ""
                                       << "600001"
                                       << "" << zeros << dashes << dashes;
    QTest::newRow("back to dashes: code without data") << "600000"
                                                       << "600001"
                                                       << "" << zeros << dashes << dashes;
    QTest::newRow("back to dashes: partial code") << "600000"
                                                  << "60000"
                                                  << "" << zeros << dashes << dashes;
    QTest::newRow("back to dashes: no code") << "600000"
                                             << ""
                                             << "" << repeated(4, QStringLiteral("-")) << dashes << dashes;
    QTest::newRow("bid level 3 empty") << ""
                                       << "600000"
                                       << "PF BANK" << QStringList{"10.500", "10.450", "11.550", "9.450"}
                                       << QStringList{"10.490", "100",    "10.480", "200",    "-",
                                                      "-",      "10.460", "400",    "10.450", "500"}
                                       << QStringList{"10.510", "5000000000", "10.520", "5000000001",
                                                      "10.530", "5000000002", "10.540", "5000000003",
                                                      "10.550", "5000000004"};
}

void TstOrderWindow::panelLevels() {
    QFETCH(QString, shownBefore);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QStringList, singles);
    QFETCH(QStringList, bids);
    QFETCH(QStringList, asks);
    if (!shownBefore.isEmpty()) {
        codeBox()->setText(shownBefore);
        QTRY_VERIFY_WITH_TIMEOUT(panel(QStringLiteral("bid1Price")) != QStringLiteral("-"), 5000);
        QVERIFY(!mWindow->findChild<MyLabel *>("nameLabel")->text().isEmpty());
    }
    // A partial code first, as when typing; the panel follows the last one.
    codeBox()->setText(QStringLiteral("60051"));
    codeBox()->setText(code);
    QCOMPARE(mWindow->findChild<MyLabel *>("nameLabel")->text(), name);

    QStringList shownBids, shownAsks;
    const auto collect = [&] {
        shownBids.clear();
        shownAsks.clear();
        for (int i = 1; i <= 5; ++i) {
            shownBids << panel(QStringLiteral("bid%1Price").arg(i)) << panel(QStringLiteral("bid%1Volume").arg(i));
            shownAsks << panel(QStringLiteral("ask%1Price").arg(i)) << panel(QStringLiteral("ask%1Volume").arg(i));
        }
        return QStringList{panel("last"), panel("preClose"), panel("upperLimit"), panel("lowerLimit")};
    };
    QTRY_COMPARE_WITH_TIMEOUT(collect(), singles, 5000);
    QTRY_COMPARE_WITH_TIMEOUT((collect(), shownBids), bids, 5000);
    QCOMPARE(shownAsks, asks);
}

void TstOrderWindow::clickingPanelPrice_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("expected");
    QTest::newRow("limit up") << "upperLimit" << 11.55;
    QTest::newRow("ask level 2") << "ask2Price" << 10.52;
    QTest::newRow("empty bid level 3") << "bid3Price" << 1.0;
}

void TstOrderWindow::clickingPanelPrice() {
    QFETCH(QString, label);
    QFETCH(double, expected);
    codeBox()->setText(QStringLiteral("600000"));
    priceBox()->setValue(1.0);
    QTRY_COMPARE_WITH_TIMEOUT(panel("last"), QStringLiteral("10.500"), 5000);
    auto *clickLabel = mWindow->findChild<MyClickLabel *>(label);
    QVERIFY(clickLabel);
    QSignalSpy sent(mWindow->levelWidget(), &LevelWidget::signal_sendPrice);
    QTest::mouseClick(clickLabel, Qt::LeftButton);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().first().toString(), clickLabel->text());
    QCOMPARE(priceBox()->value(), expected);
}

void TstOrderWindow::hubOrderShowsWindowWithCode() {
    QVERIFY(!mWindow->isVisible());
    ShowWatcher watcher(mWindow.data(), codeBox());
    emit SignalInterface::instance()->signal_clicketOrder(QStringLiteral("600519"));
    QTRY_VERIFY(mWindow->isVisible());
    QCOMPARE(watcher.codeAtShow, QStringLiteral("600519"));
    QCOMPARE(mWindow->findChild<MyLabel *>("nameLabel")->text(), QStringLiteral("贵州茅台"));
    QTRY_COMPARE_WITH_TIMEOUT(panel("last"), QStringLiteral("1700.000"), 5000);
    QCOMPARE(mWindow->size(), QSize(510, 333));
    QVERIFY(mWindow->windowFlags() & Qt::Tool);
}

namespace {

// A key press as a held key repeats it.
void pressRepeated(QWidget *widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(widget, &press);
}

}  // namespace

// One key on the shown window, with the focus where the row says: what it sends, where the
// focus goes, whether the window stays.
void TstOrderWindow::keys_data() {
    QTest::addColumn<QString>("focus");  // object name of the focused control
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("repeated");  // a held key's repeat
    QTest::addColumn<int>("orders");     // reqInsertOrder calls, each after one 确认 box
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<bool>("shownAfter");
    const int none = Qt::NoModifier;
    QTest::newRow("Return in the price box: 下单")
        << "priceBox" << int(Qt::Key_Return) << none << false << 1 << "priceBox" << true;
    QTest::newRow("Enter in the quantity box: 下单")
        << "quantityBox" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << 1 << "quantityBox" << true;
    QTest::newRow("held Enter's repeat: nothing")
        << "quantityBox" << int(Qt::Key_Return) << none << true << 0 << "quantityBox" << true;
    // The window's default button, as before the keys came: 下单 is the first in the focus chain.
    QTest::newRow("Enter in the code box: the default button 下单")
        << "codeBox" << int(Qt::Key_Return) << none << false << 1 << "codeBox" << true;
    QTest::newRow("Ctrl+Enter in the price box: nothing")
        << "priceBox" << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << 0 << "priceBox" << true;
    QTest::newRow("Tab: code to price") << "codeBox" << int(Qt::Key_Tab) << none << false << 0 << "priceBox" << true;
    QTest::newRow("Tab: price to quantity")
        << "priceBox" << int(Qt::Key_Tab) << none << false << 0 << "quantityBox" << true;
    QTest::newRow("Tab: quantity to 下单")
        << "quantityBox" << int(Qt::Key_Tab) << none << false << 0 << "orderButton" << true;
    QTest::newRow("Enter on 下单: 下单") << "orderButton" << int(Qt::Key_Return) << none << false << 1 << "orderButton"
                                         << true;
    QTest::newRow("Up in the quantity box: its own step")
        << "quantityBox" << int(Qt::Key_Up) << none << false << 0 << "quantityBox" << true;
    QTest::newRow("Esc: the window hides") << "priceBox" << int(Qt::Key_Escape) << none << false << 0 << "" << false;
}

void TstOrderWindow::keys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, repeated);
    QFETCH(int, orders);
    QFETCH(QString, focusAfter);
    QFETCH(bool, shownAfter);
    enter("600000", 10.5, 100);
    mWindow->show();
    mWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mWindow.data()));
    auto *target = mWindow->findChild<QWidget *>(focus);
    QVERIFY(target);
    target->setFocus(Qt::OtherFocusReason);
    // The window's own focus: the offscreen platform does not give a tool window its activation
    // back when a box closes.
    QTRY_COMPARE(mWindow->focusWidget(), target);
    auto *quantity = mWindow->findChild<MySpinBox *>("quantityBox");

    if (repeated)
        pressRepeated(target, Qt::Key(key));
    else
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), orders);
    QCOMPARE(mBoxes->count(), orders);
    if (orders) QCOMPARE(mBoxes->last().text, QStringLiteral("是否确认交易"));
    QCOMPARE(mWindow->isVisible(), shownAfter);
    if (shownAfter) QCOMPARE(mWindow->focusWidget()->objectName(), focusAfter);
    QCOMPARE(quantity->value(), key == Qt::Key_Up ? 101 : 100);
    QCOMPARE(codeBox()->text(), QStringLiteral("600000"));
}

// One Enter, one order: presses, repeats and clicks that reach the form while the 确认 box is
// open are refused, and the next press after it orders again.
void TstOrderWindow::onePressOneOrder() {
    enter("600000", 10.5, 100);
    mWindow->show();
    mWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mWindow.data()));
    QWidget *price = priceBox();
    auto *quantity = mWindow->findChild<MySpinBox *>("quantityBox");
    price->setFocus(Qt::OtherFocusReason);
    int extraPresses = 0;
    mBoxes->setOnBox([&](QMessageBox *) {
        QTest::keyClick(price, Qt::Key_Return);
        QTest::keyClick(quantity, Qt::Key_Enter, Qt::KeypadModifier);
        pressRepeated(price, Qt::Key_Return);
        clickOrder();
        extraPresses = 4;
    });

    QTest::keyClick(price, Qt::Key_Return);

    QCOMPARE(extraPresses, 4);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 1);
    pressRepeated(price, Qt::Key_Return);  // the key still held after the box
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 1);

    mBoxes->setOnBox({});
    QTest::keyClick(price, Qt::Key_Return);
    QCOMPARE(mBoxes->count(), 2);
    QCOMPARE(qeto::fake::countOf("reqInsertOrder"), 2);
}

QTEST_MAIN(TstOrderWindow)
#include "tst_order_window.moc"
