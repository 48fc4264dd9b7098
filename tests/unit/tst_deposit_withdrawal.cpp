// Deposit and withdrawal: amount checks, the request bytes, the answers' texts, and the
// record query with its table.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "box_checks.h"
#include "client_session.h"
#include "modal_box.h"
#include "spi_answers.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {

const QByteArray kCatalogue = R"({
  "SS": [ { "errorid": 7, "errormsg": "超出单笔限额" } ],
  "manager": [ { "errorid": 5, "errormsg": "余额不足" } ]
})";

using clienttest::bytesOf;

CQetoRspQryCapTransferRecordField record(const QByteArray &org, double amount, char direction, const char *time) {
    auto r = zeroed<CQetoRspQryCapTransferRecordField>();
    std::memcpy(r.OrgCode, org.constData(), static_cast<size_t>(qMin(org.size(), 4)));
    std::memset(r.AccountID, '9', sizeof r.AccountID);  // right behind the code, no NUL between
    r.Amount = amount;
    r.Direction = direction;
    std::strncpy(r.OperTime, time, sizeof r.OperTime - 1);
    return r;
}

void fireRecord(const CQetoRspQryCapTransferRecordField &r, const CQetoRspInfo &i, bool last) {
    answerEach(&SpiCallbackTable::onRspQryInOutFundRecord, QList<CQetoRspQryCapTransferRecordField>{r}, last, i);
}

}  // namespace

class TestDepositWithdrawal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void refusesAmount_data();
    void refusesAmount();
    void sendsRequest_data();
    void sendsRequest();
    void typing_data();
    void typing();
    void unconfirmedSendsNothing_data();
    void unconfirmedSendsNothing();
    void requestFailure_data();
    void requestFailure();
    void answers_data();
    void answers();
    void refreshQueriesOncePerSecond();
    void refusedQueryKeepsRows();
    void recordRows();
    void answerWithoutRows_data();
    void answerWithoutRows();

private:
    QPushButton *button(const QString &text) const;
    void send(bool withdrawal);

    ModalBoxWatcher *mBoxes = nullptr;
    DepositAndWithdrawalDialog *mDialog = nullptr;
    DepositAndWithdrawalWidget *mWidget = nullptr;
    QLineEdit *mAmount = nullptr;
};

void TestDepositWithdrawal::initTestCase() {
    QVERIFY(clienttest::loadCatalogue(kCatalogue));
    ApiClientUtils::initSpi();
}

void TestDepositWithdrawal::init() {
    clienttest::startSession(77, 5);
    mBoxes = new ModalBoxWatcher(this);
    mDialog = new DepositAndWithdrawalDialog(nullptr);
    mWidget = mDialog->widget();
    mAmount = mWidget->findChild<QLineEdit *>();
    QVERIFY(mAmount);
    mDialog->show();
}

void TestDepositWithdrawal::cleanup() {
    delete mDialog;
    mDialog = nullptr;
    delete mBoxes;
    mBoxes = nullptr;
}

QPushButton *TestDepositWithdrawal::button(const QString &text) const { return clienttest::button(mWidget, text); }

void TestDepositWithdrawal::send(bool withdrawal) {
    button(withdrawal ? QStringLiteral("出金") : QStringLiteral("入金"))->click();
}

void TestDepositWithdrawal::refusesAmount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withdrawal");
    for (bool withdrawal : {false, true}) {
        const char *side = withdrawal ? "withdrawal" : "deposit";
        // Set directly, past the validator, as a paste of anything could be.
        for (const char *text : {"", "0", "-5", "abc", "1e999", "inf", "nan"})
            QTest::addRow("%s '%s'", side, text) << QString::fromLatin1(text) << withdrawal;
    }
}

void TestDepositWithdrawal::refusesAmount() {
    QFETCH(QString, text);
    QFETCH(bool, withdrawal);
    mAmount->setText(text);
    send(withdrawal);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", "请输入正确的金额");
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QCOMPARE(qeto::fake::countOf("reqInFund") + qeto::fake::countOf("reqOutFund"), 0);
}

void TestDepositWithdrawal::sendsRequest_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withdrawal");
    QTest::addColumn<QString>("account");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QByteArray>("accountBytes");
    QTest::newRow("deposit with exponent") << "1e3" << false << demo::kAccount << 1000.0 << QByteArray(demo::kAccount);
    QTest::newRow("withdrawal, two decimals")
        << "12.34" << true << demo::kAccount << 12.34 << QByteArray(demo::kAccount);
    QTest::newRow("long account cut at 15 bytes")
        << "5" << false << "1234567890123456789" << 5.0 << QByteArray("123456789012345");
}

void TestDepositWithdrawal::sendsRequest() {
    QFETCH(QString, text);
    QFETCH(bool, withdrawal);
    QFETCH(QString, account);
    QFETCH(double, amount);
    QFETCH(QByteArray, accountBytes);
    ApiClientUtils::mAccount = account;
    mAmount->setText(text);
    send(withdrawal);

    QCOMPARE(mBoxes->count(), 1);
    const SeenBox confirm = mBoxes->last();
    QCOMPARE_BOX(confirm, "确认", withdrawal ? QStringLiteral("是否确认出金") : QStringLiteral("是否确认入金"));
    QCOMPARE(confirm.buttons, QStringList({QStringLiteral("确认"), QStringLiteral("取消")}));

    const char *function = withdrawal ? "reqOutFund" : "reqInFund";
    QCOMPARE(qeto::fake::countOf(function), 1);
    QCOMPARE(qeto::fake::countOf(withdrawal ? "reqInFund" : "reqOutFund"), 0);
    const qeto::fake::Call call = qeto::fake::callsOf(function).front();
    QCOMPARE(call.sessionId, 77u);
    QCOMPARE(call.requestId, 5);
    QCOMPARE(ApiClientUtils::mRequestId.load(), 6);
    QCOMPARE(call.entryNo, 0);

    QByteArray expected(134, '\0');
    expected.replace(4, accountBytes.size(), accountBytes);
    std::memcpy(expected.data() + 30, &amount, sizeof amount);
    QCOMPARE(bytesOf(call.record), expected);
    QCOMPARE(mAmount->text(), text);
}

void TestDepositWithdrawal::typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("third decimal refused") << "12.345"
                                           << "12.34";
    QTest::newRow("exponent") << "1e3"
                              << "1e3";
    QTest::newRow("letters refused") << "a7b"
                                     << "7";
    QTest::newRow("second point refused") << "1.2.3"
                                          << "1.23";
}

void TestDepositWithdrawal::typing() {
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QTest::keyClicks(mAmount, keys);
    QCOMPARE(mAmount->text(), shown);
}

void TestDepositWithdrawal::unconfirmedSendsNothing_data() {
    QTest::addColumn<bool>("withdrawal");
    QTest::newRow("deposit") << false;
    QTest::newRow("withdrawal") << true;
}

void TestDepositWithdrawal::unconfirmedSendsNothing() {
    QFETCH(bool, withdrawal);
    mBoxes->setAnswer(1);
    mAmount->setText(QStringLiteral("100"));
    send(withdrawal);
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("确认"));
    QCOMPARE(qeto::fake::countOf("reqInFund") + qeto::fake::countOf("reqOutFund"), 0);
}

void TestDepositWithdrawal::requestFailure_data() {
    QTest::addColumn<bool>("withdrawal");
    QTest::addColumn<QString>("title");
    QTest::newRow("withdrawal") << true << QStringLiteral("错误");
    QTest::newRow("deposit") << false << QStringLiteral("失败");
}

void TestDepositWithdrawal::requestFailure() {
    QFETCH(bool, withdrawal);
    QFETCH(QString, title);
    qeto::fake::setResult(withdrawal ? "reqOutFund" : "reqInFund", -3);
    mAmount->setText(QStringLiteral("88.5"));
    send(withdrawal);
    QCOMPARE(mBoxes->count(), 2);
    QCOMPARE_BOX(mBoxes->last(), title, "请求失败");
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QCOMPARE(mAmount->text(), QStringLiteral("88.5"));
}

void TestDepositWithdrawal::answers_data() {
    QTest::addColumn<bool>("withdrawal");
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QByteArray>("counterText");
    QTest::addColumn<int>("recordCode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    for (bool withdrawal : {false, true}) {
        const QString verb = withdrawal ? QStringLiteral("调出资金") : QStringLiteral("调入资金");
        const char *side = withdrawal ? "withdrawal" : "deposit";
        QTest::addRow("%s succeeded", side) << withdrawal << 0u << QByteArray() << 0 << "成功" << verb + "成功";
        QTest::addRow("%s refused, record code in catalogue", side)
            << withdrawal << 5u << QByteArray("limit") << 7 << "失败" << verb + "失败[5]超出单笔限额";
        QTest::addRow("%s refused, record code unknown", side)
            << withdrawal << 5u << QByteArray("limit") << 8 << "失败" << verb + "失败[5]";
        QTest::addRow("%s refused, catalogue text of the info", side)
            << withdrawal << 5u << QByteArray("no money") << 0 << "失败" << verb + "失败[5]余额不足";
        QTest::addRow("%s refused, counter text of the info", side)
            << withdrawal << 6u << QByteArray("bank closed") << 0 << "失败" << verb + "失败[6]bank closed";
    }
}

void TestDepositWithdrawal::answers() {
    QFETCH(bool, withdrawal);
    QFETCH(uint, errorId);
    QFETCH(QByteArray, counterText);
    QFETCH(int, recordCode);
    QFETCH(QString, title);
    QFETCH(QString, text);
    mAmount->setText(QStringLiteral("42"));

    auto field = zeroed<CQetoRspCapTransferField>();
    field.ErrorCode = recordCode;
    const CQetoRspInfo answerInfo = rspInfo(errorId, counterText.constData());
    qeto::fake::fireOnThread([=](const SpiCallbackTable &t) {
        auto f = field;
        auto i = answerInfo;
        auto session = zeroed<CQetoSessionInfo>();
        (withdrawal ? t.onRspOutFund : t.onRspInFund)(&f, &i, &session, 3, true);
    });
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), title, text);
    QCOMPARE(mBoxes->last().icon, errorId == 0 ? QMessageBox::Information : QMessageBox::Warning);
    QCOMPARE(mAmount->text(), QStringLiteral("42"));
}

void TestDepositWithdrawal::refreshQueriesOncePerSecond() {
    QPushButton *refresh = button(QStringLiteral("刷新"));
    refresh->click();
    refresh->click();
    QCOMPARE(qeto::fake::countOf("reqQryInOutFundRecord"), 1);
    QVERIFY(!refresh->isEnabled());
    QByteArray expected(83, '\0');
    expected.replace(4, 8, demo::kAccount);
    QCOMPARE(bytesOf(qeto::fake::callsOf("reqQryInOutFundRecord").front().record), expected);

    QTRY_VERIFY(refresh->isEnabled());
    refresh->click();
    QCOMPARE(qeto::fake::countOf("reqQryInOutFundRecord"), 2);
    QCOMPARE(mBoxes->count(), 0);
}

void TestDepositWithdrawal::refusedQueryKeepsRows() {
    fireRecord(record("0001", 10, '1', "093000"), rspInfo(0), true);
    QTRY_COMPARE(mWidget->table()->rowCount(), 1);
    qeto::fake::setResult("reqQryInOutFundRecord", 2);
    button(QStringLiteral("刷新"))->click();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", "查询出错");
    QCOMPARE(mWidget->table()->rowCount(), 1);
    // Disabled for a second even when the request was refused.
    QVERIFY(!button(QStringLiteral("刷新"))->isEnabled());
}

void TestDepositWithdrawal::recordRows() {
    fireRecord(record("0001", 1234.5, '1', "2026-12-08 09:30:00"), rspInfo(0), false);
    fireRecord(record("ABCD", 0.5, '2', "10:00"), rspInfo(0), false);
    fireRecord(record("0002", 3, '0', "11:00"), rspInfo(0), false);  // '0' only counts as "no records" when last
    fireRecord(record("01", 7, '9', ""), rspInfo(0), true);
    QTRY_COMPARE(mWidget->table()->rowCount(), 4);

    const QList<QStringList> expected = {
        {"0001", "1234.50", "入金", "2026-12-08 09:30:00"},
        {"ABCD", "0.50", "出金", "10:00"},
        {"0002", "3.00", "", "11:00"},
        {"01", "7.00", "", ""},
    };
    for (int row = 0; row < expected.size(); ++row)
        for (int column = 0; column < 4; ++column)
            QCOMPARE(mWidget->table()->item(row, column)->text(), expected[row][column]);
    QCOMPARE(mBoxes->count(), 0);

    button(QStringLiteral("刷新"))->click();
    QCOMPARE(mWidget->table()->rowCount(), 0);
    fireRecord(record("0003", 1, '1', "12:00"), rspInfo(0), true);
    QTRY_COMPARE(mWidget->table()->rowCount(), 1);
    QCOMPARE(mWidget->table()->item(0, 0)->text(), QStringLiteral("0003"));
}

void TestDepositWithdrawal::answerWithoutRows_data() {
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<char>("direction");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty answer") << 0u << '0' << QStringLiteral("查询成功，没有记录");
    QTest::newRow("refused, catalogue text") << 5u << '1' << QStringLiteral("[5]余额不足");
    QTest::newRow("refused, counter text") << 9u << '0' << QStringLiteral("[9]busy");
}

void TestDepositWithdrawal::answerWithoutRows() {
    QFETCH(uint, errorId);
    QFETCH(char, direction);
    QFETCH(QString, text);
    fireRecord(record("0001", 5, direction, "09:00"), rspInfo(errorId, "busy"), true);
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", text);
    QCOMPARE(mWidget->table()->rowCount(), 0);
}

QTEST_MAIN(TestDepositWithdrawal)
#include "tst_deposit_withdrawal.moc"
