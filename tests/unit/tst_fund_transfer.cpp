// Shanghai-Shenzhen transfer: the form's request and its two-phase answer, and the record
// table's single query at a time.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_double_spin_box.h"
#include "box_checks.h"
#include "client_session.h"
#include "modal_box.h"
#include "spi_answers.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {

const QByteArray kCatalogue = R"({
  "SS": [ { "errorid": 3003, "errormsg": "调拨金额超出可用资金" } ],
  "manager": [ { "errorid": 5, "errormsg": "余额不足" } ]
})";

using clienttest::button;
using clienttest::bytesOf;

CQetoRspQryBTCapTransferManagerField record(const QByteArray &org, double amount, char direction,
                                            const QByteArray &time, uint32_t errorCode, char status) {
    auto r = zeroed<CQetoRspQryBTCapTransferManagerField>();
    std::memset(r.LoginRspCode, 'L', sizeof r.LoginRspCode);
    std::memcpy(r.OrgCode, org.constData(), static_cast<size_t>(qMin(org.size(), 4)));
    std::memset(r.AccountID, '9', sizeof r.AccountID);  // right behind the code, no NUL between
    r.Amount = amount;
    r.Direction = direction;
    std::memcpy(r.OperTime, time.constData(), static_cast<size_t>(qMin(time.size(), 9)));
    r.ErrorCode = errorCode;
    r.TransferStatus = status;
    return r;
}

void fireRecord(const CQetoRspQryBTCapTransferManagerField &r, const CQetoRspInfo &i, bool last) {
    answerEach(&SpiCallbackTable::onRspQryBTFundTransferRecord, QList<CQetoRspQryBTCapTransferManagerField>{r}, last,
               i);
}

void fireResponse(const CQetoRspInfo &i) {
    answerEach(&SpiCallbackTable::onRspBTFundTransfer,
               QList<CQetoRspBTCapTransferManagerField>{zeroed<CQetoRspBTCapTransferManagerField>()}, true, i);
}

void fireReturn(const CQetoRspInfo &i) {
    answerEach(&SpiCallbackTable::onRtnBTFundTransfer,
               QList<CQetoRtnBtCapTransferManagerField>{zeroed<CQetoRtnBtCapTransferManagerField>()}, true, i);
}

}  // namespace

class TestFundTransfer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void zeroAmountOnlyWarns_data();
    void zeroAmountOnlyWarns();
    void requestBytes_data();
    void requestBytes();
    void unconfirmedSendsNothing();
    void sendFailure();
    void twoPhaseAnswer_data();
    void twoPhaseAnswer();
    void oneQueryUntilTheLastAnswer();
    void refusedQueryReconnects();
    void strayLastAnswerKeepsOneQueryPerClick();
    void errorAnswer_data();
    void errorAnswer();
    void recordCells_data();
    void recordCells();

private:
    void clickRefresh();

    ModalBoxWatcher *mBoxes = nullptr;
    FundTransferWidget *mWindow = nullptr;
    FundTransferOperationWidget *mForm = nullptr;
    FundTransferTableWidget *mRecords = nullptr;
    MyDoubleSpinBox *mAmount = nullptr;
};

void TestFundTransfer::initTestCase() {
    QVERIFY(clienttest::loadCatalogue(kCatalogue));
    ApiClientUtils::initSpi();
}

void TestFundTransfer::init() {
    clienttest::startSession(91, 20);
    ApiClientUtils::mLoginRspCode = QStringLiteral("AB12");
    mBoxes = new ModalBoxWatcher(this);
    mWindow = new FundTransferWidget(nullptr);
    mForm = mWindow->operationWidget();
    mRecords = mWindow->tableWidget();
    mAmount = mForm->findChild<MyDoubleSpinBox *>();
    QVERIFY(mAmount);
    mWindow->show();
}

void TestFundTransfer::cleanup() {
    delete mWindow;
    mWindow = nullptr;
    delete mBoxes;
    mBoxes = nullptr;
}

void TestFundTransfer::clickRefresh() { button(mRecords, QStringLiteral("刷新"))->click(); }

void TestFundTransfer::zeroAmountOnlyWarns_data() {
    QTest::addColumn<bool>("shenzhenToShanghai");
    QTest::newRow("Shanghai to Shenzhen") << false;
    QTest::newRow("Shenzhen to Shanghai") << true;
}

void TestFundTransfer::zeroAmountOnlyWarns() {
    QFETCH(bool, shenzhenToShanghai);
    if (shenzhenToShanghai) mForm->findChildren<QRadioButton *>().at(1)->setChecked(true);
    button(mForm, QStringLiteral("调拨"))->click();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", "请填写正确调拨金额");
    QCOMPARE(qeto::fake::countOf("reqBTFundTransfer"), 0);
}

void TestFundTransfer::requestBytes_data() {
    QTest::addColumn<QString>("loginCode");
    QTest::addColumn<QString>("account");
    QTest::addColumn<bool>("shenzhenToShanghai");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QByteArray>("head");  // bytes 0 to 19
    QTest::addColumn<bool>("chosenBack");  // Shenzhen-to-Shanghai chosen, then Shanghai-to-Shenzhen again
    QTest::newRow("four-character code fills its field")
        << "AB12" << demo::kAccount << false << 1500.25 << QByteArray("AB1210001001").leftJustified(20, '\0') << false;
    QTest::newRow("short code zero-padded")
        << "X1" << demo::kAccount << true << 0.01
        << (QByteArray("X1\0\0", 4) + QByteArray(demo::kAccount).leftJustified(16, '\0')) << false;
    QTest::newRow("long values cut at their fields")
        << "ABCDEF"
        << "12345678901234567890" << false << 2147483647.0 << QByteArray("ABCD1234567890123456") << false;
    QTest::newRow("direction chosen back to Shanghai to Shenzhen")
        << "SH01" << demo::kAccount << false << 300.0 << QByteArray("SH0110001001").leftJustified(20, '\0') << true;
}

void TestFundTransfer::requestBytes() {
    QFETCH(QString, loginCode);
    QFETCH(QString, account);
    QFETCH(bool, shenzhenToShanghai);
    QFETCH(double, amount);
    QFETCH(QByteArray, head);
    QFETCH(bool, chosenBack);
    ApiClientUtils::mLoginRspCode = loginCode;
    ApiClientUtils::mAccount = account;
    if (shenzhenToShanghai || chosenBack) mForm->findChildren<QRadioButton *>().at(1)->setChecked(true);
    if (chosenBack) mForm->findChildren<QRadioButton *>().at(0)->setChecked(true);
    mAmount->setValue(amount);
    button(mForm, QStringLiteral("调拨"))->click();

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "确认", "是否确认调拨");
    QCOMPARE(mBoxes->last().buttons, QStringList({QStringLiteral("确认"), QStringLiteral("取消")}));

    QCOMPARE(qeto::fake::countOf("reqBTFundTransfer"), 1);
    const qeto::fake::Call call = qeto::fake::callsOf("reqBTFundTransfer").front();
    QCOMPARE(call.sessionId, 91u);
    QCOMPARE(call.requestId, 20);
    QCOMPARE(call.entryNo, 0);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 21);

    QByteArray expected(92, '\0');
    expected.replace(0, 20, head);
    std::memcpy(expected.data() + 20, &amount, sizeof amount);
    expected[28] = shenzhenToShanghai ? '2' : '1';
    QCOMPARE(bytesOf(call.record), expected);

    // Clearing keeps the direction.
    button(mForm, QStringLiteral("清空"))->click();
    QCOMPARE(mAmount->value(), 0.0);
    QCOMPARE(mForm->direction(), shenzhenToShanghai ? '2' : '1');
}

void TestFundTransfer::unconfirmedSendsNothing() {
    mBoxes->setAnswer(1);
    mAmount->setValue(10);
    button(mForm, QStringLiteral("调拨"))->click();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(qeto::fake::countOf("reqBTFundTransfer"), 0);
}

void TestFundTransfer::sendFailure() {
    qeto::fake::setResult("reqBTFundTransfer", 1);
    mAmount->setValue(10);
    button(mForm, QStringLiteral("调拨"))->click();
    QCOMPARE(mBoxes->count(), 2);
    QCOMPARE_BOX(mBoxes->last(), "错误", "请求失败!");
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
}

void TestFundTransfer::twoPhaseAnswer_data() {
    QTest::addColumn<uint>("responseError");
    QTest::addColumn<uint>("returnError");
    QTest::addColumn<QStringList>("boxes");  // title and text of each box, in order
    QTest::newRow("success shows only the return") << 0u << 0u << QStringList({"成功", "调拨成功"});
    QTest::newRow("refused return after an accepted response")
        << 0u << 3003u << QStringList({"错误", "[3003]调拨金额超出可用资金"});
    QTest::newRow("refused response, then return")
        << 5u << 5u << QStringList({"错误", "[5]余额不足", "错误", "[5]余额不足"});
    QTest::newRow("code outside the catalogue") << 0u << 42u << QStringList({"错误", "[42]"});
}

void TestFundTransfer::twoPhaseAnswer() {
    QFETCH(uint, responseError);
    QFETCH(uint, returnError);
    QFETCH(QStringList, boxes);
    // The texts come from the catalogue by code, never from the counter's text.
    fireResponse(rspInfo(responseError, "ignored"));
    fireReturn(rspInfo(returnError, "ignored"));
    QTRY_COMPARE(mBoxes->count(), boxes.size() / 2);
    for (int i = 0; i < mBoxes->count(); ++i) {
        QCOMPARE_BOX(mBoxes->boxes().at(i), boxes.at(2 * i), boxes.at(2 * i + 1));
    }
}

void TestFundTransfer::oneQueryUntilTheLastAnswer() {
    clickRefresh();
    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), 1);
    QByteArray expected(82, '\0');
    expected.replace(0, 12, "AB1210001001");
    QCOMPARE(bytesOf(qeto::fake::callsOf("reqQryBTFundTransferRecord").front().record), expected);

    fireRecord(record("0001", 1, '1', "093000000", 0, '1'), rspInfo(0), false);
    fireRecord(record("0002", 2, '2', "093000000", 0, '1'), rspInfo(0), false);
    QTRY_COMPARE(mRecords->table()->rowCount(), 2);
    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), 1);

    fireRecord(record("0003", 3, '1', "093000000", 0, '1'), rspInfo(0), true);
    QTRY_COMPARE(mRecords->table()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(mRecords->table()->item(row, 0)->text(), QStringLiteral("000%1").arg(row + 1));

    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), 2);
    QCOMPARE(mRecords->table()->rowCount(), 0);
    QCOMPARE(mBoxes->count(), 0);
}

void TestFundTransfer::refusedQueryReconnects() {
    qeto::fake::setResult("reqQryBTFundTransferRecord", 4);
    clickRefresh();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "失败", "查询失败");
    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), 2);
}

void TestFundTransfer::strayLastAnswerKeepsOneQueryPerClick() {
    // A last answer this table did not ask for must not connect the button a second time.
    fireRecord(record("0001", 1, '1', "093000000", 0, '1'), rspInfo(0), true);
    QTRY_COMPARE(mRecords->table()->rowCount(), 1);
    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), 1);
}

void TestFundTransfer::errorAnswer_data() {
    QTest::addColumn<bool>("last");
    QTest::addColumn<int>("queriesAfterClick");
    QTest::newRow("not last: still waiting") << false << 1;
    QTest::newRow("last: refresh works again") << true << 2;
}

void TestFundTransfer::errorAnswer() {
    QFETCH(bool, last);
    QFETCH(int, queriesAfterClick);
    clickRefresh();
    fireRecord(record("0001", 1, '1', "093000000", 0, '1'), rspInfo(9, "counter busy"), last);
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "失败", "[9]counter busy");
    QCOMPARE(mRecords->table()->rowCount(), 0);
    clickRefresh();
    QCOMPARE(qeto::fake::countOf("reqQryBTFundTransferRecord"), queriesAfterClick);
}

void TestFundTransfer::recordCells_data() {
    QTest::addColumn<QByteArray>("org");
    QTest::addColumn<double>("amount");
    QTest::addColumn<char>("direction");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<uint>("errorCode");
    QTest::addColumn<char>("status");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("Shanghai to Shenzhen, full code")
        << QByteArray("ABCD") << 1234.5 << '1' << QByteArray("093015250") << 0u << '1'
        << QStringList({"ABCD", "1234.50", "上交柜台调往深交柜台", "0", "成功", "接收到调拨消息", "09:30:15.250"});
    QTest::newRow("Shenzhen to Shanghai, failed")
        << QByteArray("01") << 0.5 << '2' << QByteArray("235959999") << 12u << '3'
        << QStringList({"01", "0.50", "深交柜台调往上交柜台", "12", "失败", "接收到调出结束消息", "23:59:59.999"});
    QTest::newRow("unknown direction and status, bad time")
        << QByteArray("0001") << 7.0 << '3' << QByteArray("99") << 0u << 'z'
        << QStringList({"0001", "7.00", "", "0", "成功", "", ""});
}

void TestFundTransfer::recordCells() {
    QFETCH(QByteArray, org);
    QFETCH(double, amount);
    QFETCH(char, direction);
    QFETCH(QByteArray, time);
    QFETCH(uint, errorCode);
    QFETCH(char, status);
    QFETCH(QStringList, cells);
    fireRecord(record(org, amount, direction, time, errorCode, status), rspInfo(0), true);
    QTRY_COMPARE(mRecords->table()->rowCount(), 1);
    for (int column = 0; column < cells.size(); ++column)
        QCOMPARE(mRecords->table()->item(0, column)->text(), cells.at(column));
}

QTEST_MAIN(TestFundTransfer)
#include "tst_fund_transfer.moc"
