// The trade tab: request bytes from the filters, paging by 10000, follow-up requests while the
// counter reports more, the cell texts, the failure boxes and logs, clear, and the full export.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "exported_csv.h"
#include "local_text.h"
#include "log_capture.h"
#include "modal_box.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "user/queryWindow/transaction_widget.h"
#include "utils/api_client_utils.h"

namespace {

CQetoRspQryTradeField trade(int i) {
    CQetoRspQryTradeField rec;
    std::memset(&rec, 0, sizeof rec);
    const QByteArray number = QByteArray::number(i).rightJustified(10, '0');
    std::memcpy(rec.OrderNo, number.constData(), 10);
    std::memcpy(rec.SecurityID, "600000", 6);
    rec.TradeVolume = i;
    return rec;
}

QList<CQetoRspQryTradeField> trades(int first, int count) {
    QList<CQetoRspQryTradeField> list;
    for (int i = first; i < first + count; ++i) list << trade(i);
    return list;
}

// Answers from the library's side; `moreData`/`position` go on the last record only.
void answer(QList<CQetoRspQryTradeField> records, bool lastFlag = true, uint8_t moreData = 0, int32_t position = 0,
            uint32_t errorId = 0, const QByteArray &errorText = QByteArray()) {
    if (!records.isEmpty() && lastFlag) {
        records.last().MoreData = moreData;
        records.last().Position = position;
    }
    answerEach(&SpiCallbackTable::onRspQryTrade, records, lastFlag, rspInfo(errorId, errorText));
}

QByteArray bytesOf(const qeto::fake::Call &call) {
    return QByteArray(reinterpret_cast<const char *>(call.record.data()), static_cast<int>(call.record.size()));
}

// A request as it must go out: filters at their offsets, offset 42 = 2, the rest zero.
QByteArray request(uint32_t orderNo, const QByteArray &code, const QByteArray &start, const QByteArray &end,
                   int32_t position) {
    QByteArray bytes(158, '\0');
    bytes.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&orderNo), 4));
    bytes.replace(4, code.size(), code);
    bytes.replace(12, start.size(), start);
    bytes.replace(21, end.size(), end);
    bytes.replace(34, 4, QByteArray(reinterpret_cast<const char *>(&position), 4));
    bytes[42] = 2;
    return bytes;
}

}  // namespace

class TestTransactionWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void requestBytes_data();
    void requestBytes();
    void pageBoundary_data();
    void pageBoundary();
    void moreFlagSendsFollowUp();
    void cells();
    void failures_data();
    void failures();
    void clearResetsFilters();
    void exportAll();

private:
    std::unique_ptr<LogCapture> mLog;
    static void delivered(TransactionWidget &w, int total) { QTRY_COMPARE(w.mTotal, total); }

    QScopedPointer<TransactionWidget> mWidget;
    ModalBoxWatcher *mBoxes = nullptr;
    QTemporaryDir mDir;
};

void TestTransactionWidget::initTestCase() {
    ApiClientUtils::initSpi();
    mLog.reset(new LogCapture(true));
    mBoxes = new ModalBoxWatcher(this);
}

void TestTransactionWidget::cleanupTestCase() { mLog.reset(); }

void TestTransactionWidget::init() {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), ApiClientUtils::mEntryNo);
    ApiClientUtils::mAccountSessionId = 7;
    mBoxes->clear();
    mLog->clear();
    mWidget.reset(new TransactionWidget(nullptr));
    mWidget->setHeader(kTradeColumns.size(), kTradeColumns);
}

void TestTransactionWidget::cleanup() {
    mWidget.reset();
    QueryWindow::setSaveFileNameProvider({});
}

void TestTransactionWidget::requestBytes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("orderNo");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<QByteArray>("expected");

    const QTime midnight(0, 0);
    QTest::newRow("no filters") << ""
                                << "" << midnight << midnight << request(0, "", "", "", 0);
    QTest::newRow("start only") << ""
                                << "" << QTime(9, 30) << midnight << request(0, "", "093000000", "", 0);
    QTest::newRow("end only") << ""
                              << "" << midnight << QTime(15, 0, 0, 1) << request(0, "", "", "150000001", 0);
    QTest::newRow("all filters") << "000001"
                                 << "123456789" << QTime(9, 30, 15, 250) << QTime(14, 59, 59, 999)
                                 << request(123456789, "000001", "093015250", "145959999", 0);
    QTest::newRow("order number not a number") << ""
                                               << "abc" << midnight << midnight << request(0, "", "", "", 0);
}

void TestTransactionWidget::requestBytes() {
    QFETCH(QString, code);
    QFETCH(QString, orderNo);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(QByteArray, expected);

    TransactionWidget &w = *mWidget;
    w.mCodeEdit->setText(code);
    w.mOrderNoEdit->setText(orderNo);
    w.mStartEdit->setTime(start);
    w.mEndEdit->setTime(end);
    const int requestId = ApiClientUtils::mRequestId;
    w.mQueryButton->click();
    QVERIFY(!w.mQueryButton->isEnabled());

    const std::vector<qeto::fake::Call> calls = qeto::fake::callsOf("reqQryTrade");
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].sessionId, 7u);
    QCOMPARE(calls[0].requestId, requestId);
    QCOMPARE(calls[0].entryNo, ApiClientUtils::mEntryNo);
    QCOMPARE(bytesOf(calls[0]), expected);
}

void TestTransactionWidget::pageBoundary_data() {
    QTest::addColumn<int>("records");

    QTest::newRow("exactly a page") << 10000;
    QTest::newRow("one over") << 10001;
}

void TestTransactionWidget::pageBoundary() {
    QFETCH(int, records);
    TransactionWidget &w = *mWidget;
    w.slot_click();

    answer(trades(0, 9999), false);
    delivered(w, 9999);
    QCOMPARE(w.table()->rowCount(), 0);
    // The page appears with the 10000th record, whether or not it is the last.
    answer(trades(9999, records - 9999), true);
    delivered(w, records);
    QTRY_VERIFY(w.mQueryButton->isEnabled());
    QCOMPARE(w.table()->rowCount(), 10000);
    QCOMPARE(w.mMoreButton->isEnabled(), records > 10000);
    if (records == 10000) return;

    w.mMoreButton->click();
    QCOMPARE(w.table()->rowCount(), records);
    QVERIFY(!w.mMoreButton->isEnabled());
    QCOMPARE(w.table()->item(records - 1, 0)->text(), QString::number(records - 1).rightJustified(10, '0'));
}

void TestTransactionWidget::moreFlagSendsFollowUp() {
    TransactionWidget &w = *mWidget;
    w.mCodeEdit->setText(QStringLiteral("600000"));
    w.mOrderNoEdit->setText(QStringLiteral("77"));
    w.mStartEdit->setTime(QTime(9, 30));
    w.slot_click();
    // Edits changed after the query do not leak into its follow-ups.
    w.mCodeEdit->setText(QStringLiteral("000001"));
    w.mStartEdit->setTime(QTime(10, 0));

    answer(trades(0, 3), true, 1, 4242);
    QTRY_COMPARE(qeto::fake::countOf("reqQryTrade"), 2);
    QCOMPARE(bytesOf(qeto::fake::callsOf("reqQryTrade").back()), request(77, "600000", "093000000", "", 4242));
    QCOMPARE(w.table()->rowCount(), 3);
    QVERIFY(w.mMoreButton->isEnabled());
    QVERIFY(!w.mQueryButton->isEnabled());

    // Nothing is waiting to be shown: the click shows nothing new and disables more.
    w.mMoreButton->click();
    QCOMPARE(w.table()->rowCount(), 3);
    QVERIFY(!w.mMoreButton->isEnabled());

    answer(trades(3, 2), true, 0, 0);
    delivered(w, 5);
    QTRY_VERIFY(w.mQueryButton->isEnabled());
    QCOMPARE(w.table()->rowCount(), 5);
    QCOMPARE(qeto::fake::countOf("reqQryTrade"), 2);
    QCOMPARE(w.table()->item(4, 0)->text(), QStringLiteral("0000000004"));
}

void TestTransactionWidget::cells() {
    CQetoRspQryTradeField rec = trade(12345);
    std::memcpy(rec.SecurityID, "00000123", 8);  // fills the field: read no further
    std::memcpy(rec.TradeTime, "093015250", 9);
    rec.TradePrice = 10.5;
    rec.Direction = '2';
    rec.TradeVolume = 300;
    rec.LeavesVolume = -1;
    rec.reserved3[0] = 'X';  // next to the price, must not show anywhere

    TransactionWidget &w = *mWidget;
    w.slot_click();
    answer({rec});
    QTRY_COMPARE(w.table()->rowCount(), 1);
    const QStringList expected = {"0000012345", "00000123", "10.500000", "卖", "300", "-1", "09:30:15.250"};
    for (int column = 0; column < expected.size(); ++column)
        QCOMPARE(w.table()->item(0, column)->text(), expected.at(column));
}

void TestTransactionWidget::failures_data() {
    QTest::addColumn<QString>("failing");  // "first", "answer" or "follow-up"
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("log");
    QTest::addColumn<int>("rows");

    QTest::newRow("first request") << "first"
                                   << "查询出错"
                                   << "成交查询请求失败" << 2;
    QTest::newRow("error answer") << "answer"
                                  << "[5001]无记录"
                                  << "成交查询失败[5001]无记录" << 0;
    QTest::newRow("follow-up") << "follow-up"
                               << "查询出错"
                               << "成交查询更多信息请求失败" << 1;
}

void TestTransactionWidget::failures() {
    QFETCH(QString, failing);
    QFETCH(QString, text);
    QFETCH(QString, log);
    QFETCH(int, rows);
    TransactionWidget &w = *mWidget;

    if (failing == "first") {
        // Rows of an earlier query stay when the next one cannot be sent.
        w.slot_click();
        answer(trades(0, 2));
        QTRY_VERIFY(w.mQueryButton->isEnabled());
        qeto::fake::setResult("reqQryTrade", 3);
        w.mQueryButton->click();
        QCOMPARE(mBoxes->count(), 1);
        QVERIFY(!w.mQueryButton->isEnabled());
    } else if (failing == "answer") {
        w.slot_click();
        answer({trade(1)}, true, 0, 0, 5001, localBytes(QStringLiteral("无记录")));
    } else {
        w.slot_click();
        qeto::fake::setResult("reqQryTrade", 3);
        answer({trade(1)}, true, 1, 99);
    }
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("失败"));
    QCOMPARE(mBoxes->last().text, text);
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QVERIFY2(mLog->warnings().contains(log), qPrintable(mLog->warnings().join(QLatin1Char('|'))));
    QCOMPARE(w.table()->rowCount(), rows);
    // Whatever failed, a new query becomes possible again.
    QTRY_VERIFY_WITH_TIMEOUT(w.mQueryButton->isEnabled(), 5000);
}

void TestTransactionWidget::clearResetsFilters() {
    TransactionWidget &w = *mWidget;
    w.mCodeEdit->setText(QStringLiteral("600000"));
    w.mOrderNoEdit->setText(QStringLiteral("12"));
    w.mStartEdit->setTime(QTime(9, 30));
    w.mEndEdit->setTime(QTime(15, 0));
    w.slot_click();
    answer(trades(0, 1));
    QTRY_COMPARE(w.table()->rowCount(), 1);

    w.mClearButton->click();
    QVERIFY(w.mCodeEdit->text().isEmpty());
    QVERIFY(w.mOrderNoEdit->text().isEmpty());
    QCOMPARE(w.mStartEdit->time(), QTime(0, 0));
    QCOMPARE(w.mEndEdit->time(), QTime(0, 0));
    QCOMPARE(w.table()->rowCount(), 1);
}

void TestTransactionWidget::exportAll() {
    QVERIFY(mDir.isValid());
    const QString path = mDir.filePath(QStringLiteral("trades.csv"));
    QueryWindow::setSaveFileNameProvider([path] { return path; });

    TransactionWidget &w = *mWidget;
    w.slot_click();
    QList<CQetoRspQryTradeField> records = trades(0, 3);
    std::memcpy(records[2].TradeTime, "145959999", 9);
    records[2].TradePrice = 3.25;
    records[2].Direction = '1';
    answer(records, true, 1, 3);  // more on the counter: the follow-up stays unanswered
    delivered(w, 3);

    w.mExportAllButton->click();
    QCOMPARE(mBoxes->last().title, QStringLiteral("成功"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("文件写入成功"));

    QList<QByteArray> lines;
    QVERIFY(readExport(path, lines));
    QCOMPARE(lines.size(), 1 + 3 + 1);
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(QString::fromUtf8(lines[0]), kTradeColumns.join(QLatin1Char(',')));
    QCOMPARE(lines[1], QByteArray("\"0000000000\",\"600000\",\"0.000000\",\"\",\"0\",\"0\",\"\""));
    QCOMPARE(QString::fromUtf8(lines[3]),
             QStringLiteral("\"0000000002\",\"600000\",\"3.250000\",\"买\",\"2\",\"0\",\"14:59:59.999\""));
}

QTEST_MAIN(TestTransactionWidget)
#include "tst_transaction_widget.moc"
