// The position tab: request bytes, paging by 20 with the more button, the cell texts, the
// per-row order buttons across pages and searches, the failure boxes and the full export.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "exported_csv.h"
#include "local_text.h"
#include "log_capture.h"
#include "modal_box.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "spi_answers.h"
#include "table_gestures.h"
#include "user/queryWindow/position_widget.h"
#include "utils/api_client_utils.h"
#include "utils/signal_interface.h"

namespace demo = qeto::sim::demo;

namespace {

CQetoRspQryStockPositionField position(const QByteArray &code, uint32_t yesterday = 0, uint32_t bought = 0,
                                       uint32_t sold = 0, double cost = 0, uint32_t available = 0) {
    CQetoRspQryStockPositionField rec;
    std::memset(&rec, 0, sizeof rec);
    std::memcpy(rec.SecurityID, code.constData(), static_cast<size_t>(code.size()));
    rec.YesterdayVolume = yesterday;
    rec.TodayBuyVolume = bought;
    rec.TodaySellVolume = sold;
    rec.PositionCost = cost;
    rec.AvailableVolume = available;
    return rec;
}

QByteArray codeOf(int i) { return QByteArray("6") + QByteArray::number(i).rightJustified(5, '0'); }

// Answers from the library's side, one callback per record, the last one flagged as such.
void answer(const QList<CQetoRspQryStockPositionField> &records, bool lastFlag = true, uint32_t errorId = 0,
            const QByteArray &errorText = QByteArray()) {
    answerEach(&SpiCallbackTable::onRspQryPosition, records, lastFlag, rspInfo(errorId, errorText));
}

QList<CQetoRspQryStockPositionField> numberedPositions(int count) {
    QList<CQetoRspQryStockPositionField> list;
    for (int i = 0; i < count; ++i) list << position(codeOf(i), static_cast<uint32_t>(i));
    return list;
}

}  // namespace

class TestPositionWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void requestBytes_data();
    void requestBytes();
    void paging_data();
    void paging();
    void firstPageShowsAtTwentiethRecord();
    void cells_data();
    void cells();
    void rowButtonSendsItsCodeAfterMorePages();
    void newSearchDropsOldButtons();
    void sendFailure();
    void errorAnswer();
    void exportAll();
    void keys_data();
    void keys();

private:
    std::unique_ptr<LogCapture> mLog;
    void search(PositionWidget &w) {
        w.slot_check();
        QVERIFY(!w.mSearchButton->isEnabled());
    }
    // Waits until the queued answers reached the widget.
    static void delivered(PositionWidget &w, int total) { QTRY_COMPARE(w.mTotal, total); }

    QScopedPointer<PositionWidget> mWidget;
    ModalBoxWatcher *mBoxes = nullptr;
    QTemporaryDir mDir;
};

void TestPositionWidget::initTestCase() {
    ApiClientUtils::initSpi();
    mLog.reset(new LogCapture(true));
    mBoxes = new ModalBoxWatcher(this);
}

void TestPositionWidget::cleanupTestCase() { mLog.reset(); }

void TestPositionWidget::init() {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), ApiClientUtils::mEntryNo);
    ApiClientUtils::mAccount = QLatin1String(demo::kAccount);
    ApiClientUtils::mAccountSessionId = 42;
    mBoxes->clear();
    mLog->clear();
    mWidget.reset(new PositionWidget(nullptr));
    mWidget->setHeader(kPositionColumns.size(), kPositionColumns);
}

void TestPositionWidget::cleanup() {
    mWidget.reset();
    QueryWindow::setSaveFileNameProvider({});
}

void TestPositionWidget::requestBytes_data() {
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("accountBytes");
    QTest::addColumn<QByteArray>("codeBytes");

    QTest::newRow("every position") << demo::kAccount << "" << QByteArray(demo::kAccount) << QByteArray();
    QTest::newRow("one code") << demo::kAccount << "600000" << QByteArray(demo::kAccount) << QByteArray("600000");
    // A full-width account must not run into the code field.
    // Six characters may be more than the field holds: the code is cut so its terminator fits.
    QTest::newRow("wide code") << demo::kAccount << QStringLiteral("上证50ET") << QByteArray(demo::kAccount)
                               << QStringLiteral("上证5").toUtf8();
    QTest::newRow("full-width account") << "123456789012345"
                                        << "000001" << QByteArray("123456789012345") << QByteArray("000001");
}

void TestPositionWidget::requestBytes() {
    QFETCH(QString, account);
    QFETCH(QString, code);
    QFETCH(QByteArray, accountBytes);
    QFETCH(QByteArray, codeBytes);

    ApiClientUtils::mAccount = account;
    mWidget->mCodeEdit->setText(code);
    const int requestId = ApiClientUtils::mRequestId;
    search(*mWidget);

    const std::vector<qeto::fake::Call> calls = qeto::fake::callsOf("reqQryPosition");
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].record.size(), size_t(151));
    QCOMPARE(calls[0].sessionId, 42u);
    QCOMPARE(calls[0].requestId, requestId);
    QCOMPARE(calls[0].entryNo, ApiClientUtils::mEntryNo);
    QCOMPARE(int(ApiClientUtils::mRequestId), requestId + 1);

    QByteArray expected(151, '\0');
    expected.replace(0, accountBytes.size(), accountBytes);
    expected.replace(15, codeBytes.size(), codeBytes);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(calls[0].record.data()), 151), expected);
}

void TestPositionWidget::paging_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<QList<int>>("rowsAfterEachMore");  // empty: more stays disabled

    QTest::newRow("one") << 1 << QList<int>{};
    QTest::newRow("exactly a page") << 20 << QList<int>{};
    QTest::newRow("one over") << 21 << QList<int>{21};
    QTest::newRow("two pages and a bit") << 45 << QList<int>{40, 45};
}

void TestPositionWidget::paging() {
    QFETCH(int, records);
    QFETCH(QList<int>, rowsAfterEachMore);
    PositionWidget &w = *mWidget;
    search(w);

    answer(numberedPositions(records));
    delivered(w, records);
    QTRY_VERIFY(w.mSearchButton->isEnabled());
    QCOMPARE(w.table()->rowCount(), qMin(records, 20));
    QCOMPARE(w.mMoreButton->isEnabled(), !rowsAfterEachMore.isEmpty());

    for (int i = 0; i < rowsAfterEachMore.size(); ++i) {
        QVERIFY(w.mMoreButton->isEnabled());
        w.mMoreButton->click();
        QCOMPARE(w.table()->rowCount(), rowsAfterEachMore.at(i));
    }
    QVERIFY(!w.mMoreButton->isEnabled());
    for (int row = 0; row < w.table()->rowCount(); ++row)
        QCOMPARE(w.table()->item(row, 0)->text(), QString::fromLatin1(codeOf(row)));
    QCOMPARE(w.mRowButtons.size(), w.table()->rowCount());
}

void TestPositionWidget::firstPageShowsAtTwentiethRecord() {
    PositionWidget &w = *mWidget;
    search(w);
    answer(numberedPositions(19), false);
    delivered(w, 19);
    QCOMPARE(w.table()->rowCount(), 0);
    answer(numberedPositions(1), false);
    delivered(w, 20);
    QCOMPARE(w.table()->rowCount(), 20);
    QVERIFY(!w.mSearchButton->isEnabled());
}

void TestPositionWidget::cells_data() {
    QTest::addColumn<CQetoRspQryStockPositionField>("record");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("sold part of it") << position("600000", 1000, 300, 500, 12.5, 800)
                                     << QStringList{"600000", "300", "500", "1000", "800", "800", "12.500000"};
    QTest::newRow("sold more than held") << position("000001", 0, 0, 100, 0.1234567, 0)
                                         << QStringList{"000001", "0", "100", "0", "-100", "0", "0.123457"};
    QTest::newRow("beyond 32 bits") << position("300750", 4000000000u, 500000000u, 0, 1, 4294967295u)
                                    << QStringList{"300750",     "500000000",  "0",       "4000000000",
                                                   "4500000000", "4294967295", "1.000000"};
    // A code that fills its field is read to the field's end and no further.
    QTest::newRow("unterminated code") << position("1234567890123456", 1, 0, 0, 0, 1)
                                       << QStringList{"1234567890123456", "0", "0", "1", "1", "1", "0.000000"};
}

void TestPositionWidget::cells() {
    QFETCH(CQetoRspQryStockPositionField, record);
    QFETCH(QStringList, texts);
    PositionWidget &w = *mWidget;
    search(w);
    answer({record});
    delivered(w, 1);
    QTRY_COMPARE(w.table()->rowCount(), 1);
    for (int column = 0; column < texts.size(); ++column)
        QCOMPARE(w.table()->item(0, column)->text(), texts.at(column));
    QVERIFY(!w.table()->item(0, 7));
    auto *button = w.table()->cellWidget(0, 7)->findChild<MyPushButton *>();
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("下单"));
    QCOMPARE(button->size(), QSize(50, 18));
}

void TestPositionWidget::rowButtonSendsItsCodeAfterMorePages() {
    PositionWidget &w = *mWidget;
    search(w);
    answer(numberedPositions(45));
    delivered(w, 45);
    w.mMoreButton->click();
    w.mMoreButton->click();
    QCOMPARE(w.table()->rowCount(), 45);

    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    for (int row : {3, 22, 44}) {
        auto *button = w.table()->cellWidget(row, 7)->findChild<MyPushButton *>();
        QVERIFY(button);
        button->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toString(), QString::fromLatin1(codeOf(row)));
    }
}

void TestPositionWidget::newSearchDropsOldButtons() {
    PositionWidget &w = *mWidget;
    search(w);
    answer(numberedPositions(3));
    delivered(w, 3);
    QTRY_VERIFY(w.mSearchButton->isEnabled());
    QPointer<MyPushButton> old = w.table()->cellWidget(1, 7)->findChild<MyPushButton *>();
    QVERIFY(old);

    search(w);
    QCOMPARE(w.table()->rowCount(), 0);
    QVERIFY(w.mRowButtons.isEmpty());
    QVERIFY(w.mRecords.isEmpty());
    QCOMPARE(w.mTotal, 0);

    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    if (old) old->click();  // may already be gone with its row
    QCOMPARE(spy.count(), 0);

    // The new answer's buttons work and start from row 0 again.
    answer({position("510300")});
    delivered(w, 1);
    QTRY_COMPARE(w.table()->rowCount(), 1);
    w.table()->cellWidget(0, 7)->findChild<MyPushButton *>()->click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("510300"));
}

void TestPositionWidget::sendFailure() {
    PositionWidget &w = *mWidget;
    search(w);
    answer(numberedPositions(2));
    delivered(w, 2);
    QTRY_VERIFY(w.mSearchButton->isEnabled());

    qeto::fake::setResult("reqQryPosition", 5);
    w.mSearchButton->click();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("失败"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("查询出错"));
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
    // The rows of the previous search stay; the button comes back by itself.
    QCOMPARE(w.table()->rowCount(), 2);
    QCOMPARE(w.mTotal, 2);
    QVERIFY(!w.mSearchButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(w.mSearchButton->isEnabled(), 5000);
}

void TestPositionWidget::errorAnswer() {
    PositionWidget &w = *mWidget;
    search(w);
    answer({position("600000")}, true, 1208, localBytes(QStringLiteral("持仓不足")));
    QTRY_COMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().title, QStringLiteral("错误"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("[1208]持仓不足"));
    QCOMPARE(mBoxes->last().icon, QMessageBox::Warning);
    QVERIFY(mLog->warnings().contains(QStringLiteral("持仓查询失败[1208]持仓不足")));
    QTRY_VERIFY(w.mSearchButton->isEnabled());
    QCOMPARE(w.mTotal, 0);
    QCOMPARE(w.table()->rowCount(), 0);
}

void TestPositionWidget::exportAll() {
    QVERIFY(mDir.isValid());
    const QString path = mDir.filePath(QStringLiteral("positions.csv"));
    QueryWindow::setSaveFileNameProvider([path] { return path; });

    PositionWidget &w = *mWidget;
    search(w);
    QList<CQetoRspQryStockPositionField> records = numberedPositions(25);
    records[24] = position("600519", 1000, 300, 500, 1688.5, 800);
    answer(records);
    delivered(w, 25);
    QCOMPARE(w.table()->rowCount(), 20);

    w.mExportAllButton->click();
    QCOMPARE(mBoxes->last().title, QStringLiteral("成功"));
    QCOMPARE(mBoxes->last().text, QStringLiteral("文件写入成功"));

    QList<QByteArray> lines;
    QVERIFY(readExport(path, lines));
    QCOMPARE(lines.size(), 1 + 25 + 1);  // header, records, nothing after the last line feed
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(QString::fromUtf8(lines[0]), QStringLiteral("证券代码,今买入,今卖出,昨买仓,总持仓,可用持仓,持仓成本"));
    QCOMPARE(lines[1], QByteArray("\"600000\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0.000000\""));
    QCOMPARE(lines[25], QByteArray("\"600519\",\"300\",\"500\",\"1000\",\"800\",\"800\",\"1688.500000\""));
}

// The mouse and keys on the shown table: a double-click is the row's 下单, Ctrl+C copies the
// selected rows for a spreadsheet, without the 操作 column.
void TestPositionWidget::keys_data() {
    QTest::addColumn<QString>("action");   // "double-click" on the cell or "copy" the rows
    QTest::addColumn<QList<int>>("rows");  // the row double-clicked, or the rows selected
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("ordered");    // the code handed to the order window, if any
    QTest::addColumn<QList<int>>("copied");  // the rows on the clipboard after the titles
    QTest::newRow("double-click on a code") << "double-click" << QList<int>{0} << 0 << "600000" << QList<int>{};
    QTest::newRow("double-click on the cost, second page")
        << "double-click" << QList<int>{21} << 6 << "600021" << QList<int>{};
    QTest::newRow("Ctrl+C: two rows without 操作") << "copy" << QList<int>{4, 1} << 0 << "" << QList<int>{1, 4};
    QTest::newRow("Ctrl+C: nothing selected copies nothing") << "copy" << QList<int>{} << 0 << "" << QList<int>{};
}

void TestPositionWidget::keys() {
    QFETCH(QString, action);
    QFETCH(QList<int>, rows);
    QFETCH(int, column);
    QFETCH(QString, ordered);
    QFETCH(QList<int>, copied);
    PositionWidget &w = *mWidget;
    search(w);
    answer(numberedPositions(25));
    delivered(w, 25);
    w.mMoreButton->click();
    QCOMPARE(w.table()->rowCount(), 25);
    w.resize(900, 400);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QList<QStringList> texts;
    for (int row : copied) texts << PositionWidget::recordTexts(numberedPositions(25).at(row));
    const QString text = copied.isEmpty() ? QString() : qeto::test::tabText(kPositionColumns.mid(0, 7), texts);
    qeto::test::checkRowGesture(w.table(), action, rows, column, ordered, text);
}

QTEST_MAIN(TestPositionWidget)
#include "tst_position_widget.moc"
