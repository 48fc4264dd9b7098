// The quote list fed by a real market-data client on its own thread, which reads frames pushed
// by a local server: row order and cap, buttons that follow their row's code, search, texts.
#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "local_text.h"
#include "md_feed.h"
#include "modal_box.h"
#include "qeto_md_level1.h"
#include "table_gestures.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "utils/signal_interface.h"

namespace {

using mdtest::Feed;

// Bid and ask levels from makeRecord; the prices the list shows set here.
ClientSecurityMarketDataLevel1 record(const QByteArray &code, double last, const QByteArray &name = "N") {
    ClientSecurityMarketDataLevel1 r = mdtest::makeRecord(code, last, name);
    r.openPrice = last - 0.1;
    r.highPrice = last + 0.2;
    r.lowPrice = last - 0.2;
    r.upperLimitPrice = last * 1.1;
    r.lowerLimitPrice = last * 0.9;
    r.preClosePrice = last - 0.05;
    return r;
}

// Fills the name field to its last byte, so nothing terminates it.
ClientSecurityMarketDataLevel1 fullName(const QByteArray &code, double last, const QByteArray &name) {
    auto r = record(code, last);
    Q_ASSERT(name.size() == int(sizeof r.securityName));
    std::memcpy(r.securityName, name.constData(), sizeof r.securityName);
    return r;
}

using Table = QMap<QString, ClientSecurityMarketDataLevel1>;
using Tables = std::vector<std::vector<ClientSecurityMarketDataLevel1>>;

// The nine texts of a record's row, worked out without the widget.
QStringList expectedTexts(const ClientSecurityMarketDataLevel1 &r) {
    const double prices[] = {r.lastPrice,       r.openPrice,       r.highPrice,    r.lowPrice,
                             r.upperLimitPrice, r.lowerLimitPrice, r.preClosePrice};
    QStringList texts{QString::fromLatin1(r.securityId),
                      QString::fromUtf8(r.securityName, int(strnlen(r.securityName, sizeof r.securityName)))};
    for (double p : prices) texts << QString::number(p, 'f', 3);
    return texts;
}

QByteArray code(int n) { return QByteArray::number(n).rightJustified(6, '0'); }

QString cell(StockQuotesWidget &w, int row, int column) {
    const QTableWidgetItem *item = w.table()->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

MyPushButton *topBarButton(StockQuotesWidget &w, const QString &text) {
    for (MyPushButton *b : w.findChildren<MyPushButton *>(QString(), Qt::FindDirectChildrenOnly))
        if (b->text() == text) return b;
    return nullptr;
}

MyPushButton *button(StockQuotesWidget &w, int row) {
    QWidget *cellWidget = w.table()->cellWidget(row, StockQuotesWidget::kButtonColumn);
    return cellWidget ? cellWidget->findChild<MyPushButton *>() : nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(Tables)

class TestStockQuotes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void noRecordsNoRows();
    void showsOnlyTheSmallestCodes();
    void newCodeShiftsRowsAndRenewsButtons();
    void search_data();
    void search();
    void rowTexts_data();
    void rowTexts();
    void priceTextMatchesGeneralFormat_data();
    void priceTextMatchesGeneralFormat();
    void changedFieldsReachTheCells();
    void cellsFollowEachRefresh_data();
    void cellsFollowEachRefresh();
    void exportWritesTheShownTexts();
    void refreshRepaintsTheList();
    void buttonsForRowsOnScreenFirst();
    void keys_data();
    void keys();

    void cleanupTestCase() { mSearchFeed.reset(); }

private:
    static StockQuotesWidget *makeWidget(QuotesTcpClient *client);
    QScopedPointer<Feed> mSearchFeed;
};

void TestStockQuotes::initTestCase() {
    // Names travel in the local 8-bit encoding; pin it so the test does not depend on the locale.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

StockQuotesWidget *TestStockQuotes::makeWidget(QuotesTcpClient *client) {
    auto *w = new StockQuotesWidget(nullptr);
    w->setHeader(kQuoteColumns.size(), kQuoteColumns);
    w->setQuotesTcpClient(client);
    return w;
}

void TestStockQuotes::noRecordsNoRows() {
    Feed feed;
    QScopedPointer<StockQuotesWidget> w(makeWidget(feed.client()));
    w->slot_releaseData();
    QCOMPARE(w->table()->rowCount(), 0);
    QCOMPARE(w->table()->columnCount(), 10);
}

void TestStockQuotes::showsOnlyTheSmallestCodes() {
    Feed feed;
    std::vector<ClientSecurityMarketDataLevel1> records;
    // Sent largest first, so the order on screen cannot come from arrival order.
    for (int i = 4999; i >= 0; --i) records.push_back(record(code(100000 + i * 7), 1.0 + i));
    feed.push(records);
    feed.waitForSize(5000);
    if (QTest::currentTestFailed()) return;

    QScopedPointer<StockQuotesWidget> w(makeWidget(feed.client()));
    w->slot_releaseData();
    w->slot_releaseData();  // a second pass over the same table changes nothing
    QCOMPARE(w->table()->rowCount(), 4096);
    for (int row = 0; row < 4096; ++row) {
        if (cell(*w, row, 0) != QString::fromLatin1(code(100000 + row * 7)))
            QFAIL(qPrintable(QStringLiteral("row %1 shows %2").arg(row).arg(cell(*w, row, 0))));
    }
}

void TestStockQuotes::newCodeShiftsRowsAndRenewsButtons() {
    Feed feed;
    feed.push({record("600000", 10.0), record("600519", 1700.0)});
    feed.waitForSize(2);
    if (QTest::currentTestFailed()) return;
    QScopedPointer<StockQuotesWidget> w(makeWidget(feed.client()));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.data()));
    w->slot_releaseData();
    QCOMPARE(w->table()->rowCount(), 2);
    const QPointer<MyPushButton> before0 = button(*w, 0);
    const QPointer<MyPushButton> before1 = button(*w, 1);
    QVERIFY(before0 && before1);

    feed.push({record("000001", 12.0)});
    feed.waitForSize(3);
    if (QTest::currentTestFailed()) return;
    w->slot_releaseData();

    QCOMPARE(w->table()->rowCount(), 3);
    const QStringList expected = {"000001", "600000", "600519"};
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(cell(*w, row, 0), expected[row]);
        MyPushButton *b = button(*w, row);
        QVERIFY(b);
        QVERIFY(b != before0.data() && b != before1.data());
        QCOMPARE(b->text(), QStringLiteral("下单"));
        QCOMPARE(b->size(), QSize(50, 18));
        b->click();
        QCOMPARE(spy.count(), row + 1);
        QCOMPARE(spy.last().at(0).toString(), expected[row]);
    }
    // The replaced buttons are gone once their deferred deletes ran.
    QTRY_VERIFY(!before0 && !before1);

    // A refresh with unchanged codes keeps the buttons.
    MyPushButton *kept = button(*w, 2);
    w->slot_releaseData();
    QCOMPARE(button(*w, 2), kept);
}

void TestStockQuotes::search_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row");
    QTest::newRow("shown code scrolls to its row") << QString::fromLatin1(code(60)) << 60;
    QTest::newRow("first code") << QString::fromLatin1(code(0)) << 0;
    QTest::newRow("code not shown scrolls to the top") << QStringLiteral("999999") << 0;
    QTest::newRow("empty box scrolls to the top") << QString() << 0;
}

void TestStockQuotes::search() {
    QFETCH(QString, text);
    QFETCH(int, row);

    if (!mSearchFeed) {
        mSearchFeed.reset(new Feed);
        Feed *feed = mSearchFeed.data();
        std::vector<ClientSecurityMarketDataLevel1> records;
        for (int i = 0; i < 300; ++i) records.push_back(record(code(i), 5.0));
        feed->push(records);
        feed->waitForSize(300);
        if (QTest::currentTestFailed()) return;
    }
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.setQuotesTcpClient(mSearchFeed->client());
    w.resize(900, 400);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.slot_releaseData();
    QTRY_VERIFY(w.table()->verticalScrollBar()->maximum() > 100);
    w.table()->verticalScrollBar()->setValue(150);

    w.findChild<MyLineEdit *>()->setText(text);
    MyPushButton *searchButton = topBarButton(w, QStringLiteral("搜索"));
    QVERIFY(searchButton);
    searchButton->click();
    QCOMPARE(w.table()->verticalScrollBar()->value(), row);

    MyPushButton *clearButton = topBarButton(w, QStringLiteral("清空"));
    QVERIFY(clearButton);
    clearButton->click();
    QVERIFY(w.findChild<MyLineEdit *>()->text().isEmpty());
}

void TestStockQuotes::rowTexts_data() {
    QTest::addColumn<double>("last");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("three decimals, rounded")
        << 10.1234 << QByteArray("PF")
        << QStringList{"600000", "PF", "10.123", "10.023", "10.323", "9.923", "11.136", "9.111", "10.073"};
    QTest::newRow("zero prices, utf-8 name")
        << 0.0 << QStringLiteral("浦发银行").toUtf8()
        << QStringList{"600000", QStringLiteral("浦发银行"), "0.000", "-0.100", "0.200", "-0.200", "0.000", "0.000",
                       "-0.050"};
}

void TestStockQuotes::rowTexts() {
    QFETCH(double, last);
    QFETCH(QByteArray, name);
    QFETCH(QStringList, cells);

    const auto r = record("600000", last, name);
    QMap<QString, ClientSecurityMarketDataLevel1> table;
    table.insert(QStringLiteral("600000"), r);
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.showQuotes(table);
    for (int column = 0; column < 9; ++column) QCOMPARE(cell(w, 0, column), cells[column]);
}

void TestStockQuotes::priceTextMatchesGeneralFormat_data() {
    QTest::addColumn<double>("value");
    const double cases[] = {0.0,    -0.0,    0.0004,  0.0005,   0.0015,   0.0625,   0.1875,     2.5625,
                            1.0005, 10.0005, 9.9995,  999.9995, 0.001,    1e-300,   123456.789, 999999999.9994,
                            1e9,    1e12,    -0.0001, -1.5,     -10.0625, 1700.125, 3.14159,    12.3456789};
    for (double v : cases) QTest::newRow(qPrintable(QString::number(v, 'g', 17))) << v;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("inf") << std::numeric_limits<double>::infinity();
}

void TestStockQuotes::priceTextMatchesGeneralFormat() {
    QFETCH(double, value);
    QCOMPARE(StockQuotesWidget::priceText(value), QString::number(value, 'f', 3));
    // Neighbours in the last bits sit on either side of any rounding edge.
    double below = value, above = value;
    for (int i = 0; i < 4; ++i) {
        below = std::nextafter(below, -INFINITY);
        above = std::nextafter(above, INFINITY);
        QCOMPARE(StockQuotesWidget::priceText(below), QString::number(below, 'f', 3));
        QCOMPARE(StockQuotesWidget::priceText(above), QString::number(above, 'f', 3));
    }
    // And a sweep of prices around this one, at the steps prices move in.
    if (std::isfinite(value) && std::fabs(value) < 1e6) {
        for (int step = -500; step <= 500; ++step) {
            const double p = value + step * 0.0005;
            if (StockQuotesWidget::priceText(p) != QString::number(p, 'f', 3))
                QFAIL(qPrintable(QString::number(p, 'g', 17)));
        }
    }
}

void TestStockQuotes::changedFieldsReachTheCells() {
    // Cells are updated in place; a field that changes must show, one that does not must stay.
    QMap<QString, ClientSecurityMarketDataLevel1> table;
    table.insert(QStringLiteral("600000"), record("600000", 10.0, "AAA"));
    table.insert(QStringLiteral("600001"), record("600001", 20.0, "BBB"));
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.showQuotes(table);
    QTableWidgetItem *kept = w.table()->item(1, 2);

    auto changed = record("600001", 20.0004, "BBC");
    changed.preClosePrice = 19.0;
    table.insert(QStringLiteral("600001"), changed);
    w.showQuotes(table);
    QCOMPARE(cell(w, 1, 1), QStringLiteral("BBC"));
    QCOMPARE(cell(w, 1, 2), QStringLiteral("20.000"));
    QCOMPARE(cell(w, 1, 8), QStringLiteral("19.000"));
    QCOMPARE(cell(w, 0, 2), QStringLiteral("10.000"));
    QCOMPARE(w.table()->item(1, 2), kept);  // same item, text set in place

    table.insert(QStringLiteral("600001"), record("600001", 20.0, "BBB"));
    w.showQuotes(table);
    QCOMPARE(cell(w, 1, 1), QStringLiteral("BBB"));
    QCOMPARE(cell(w, 1, 8), QStringLiteral("19.950"));
}

void TestStockQuotes::cellsFollowEachRefresh_data() {
    QTest::addColumn<Tables>("tables");
    const QByteArray name30 = QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    const QByteArray utf8Name30 = QStringLiteral("浦发银行浦发银行浦发").toUtf8();
    QTest::newRow("a code sorting first shifts the rows")
        << Tables{{record("600000", 10.0, "A"), record("600519", 1700.0, "B")},
                  {record("000001", 12.0, "C"), record("600000", 10.01, "A"), record("600519", 1700.5, "B")}};
    QTest::newRow("names that fill the field")
        << Tables{{fullName("600000", 1.0, name30), fullName("600001", 2.0, utf8Name30)},
                  {fullName("600000", 1.5, utf8Name30), record("600001", 2.5, "short")}};
    QTest::newRow("a smaller table, then the rows come back")
        << Tables{{record("000001", 1.0), record("000002", 2.0), record("000003", 3.0)},
                  {record("000002", 2.5)},
                  {record("000001", 1.25), record("000002", 2.75), record("000003", 3.5)}};
    QTest::newRow("same table twice") << Tables{{record("300750", 200.125, "X")}, {record("300750", 200.125, "X")}};
}

void TestStockQuotes::cellsFollowEachRefresh() {
    // Every way the table is read (item text, what the view asks the model, a copy of the
    // item) shows the last refresh, and every row's button sends the row's code.
    QFETCH(Tables, tables);
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.show();  // buttons are built for rows on screen
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QAbstractItemModel *model = w.table()->model();
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);

    for (size_t step = 0; step < tables.size(); ++step) {
        Table table;
        for (const auto &r : tables[step]) table.insert(QString::fromLatin1(r.securityId), r);
        w.showQuotes(table);
        QCOMPARE(w.table()->rowCount(), table.size());
        int row = 0;
        for (const auto &r : table) {
            const QStringList texts = expectedTexts(r);
            for (int column = 0; column < texts.size(); ++column) {
                const QModelIndex index = model->index(row, column);
                QCOMPARE(cell(w, row, column), texts[column]);
                QCOMPARE(model->data(index, Qt::DisplayRole).toString(), texts[column]);
                QCOMPARE(model->data(index, Qt::EditRole).toString(), texts[column]);
                QScopedPointer<QTableWidgetItem> copy(w.table()->item(row, column)->clone());
                QCOMPARE(copy->text(), texts[column]);
            }
            MyPushButton *b = button(w, row);
            QVERIFY(b);
            b->click();
            QCOMPARE(spy.last().at(0).toString(), texts[0]);
            ++row;
        }
    }
}

void TestStockQuotes::exportWritesTheShownTexts() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quotes.csv"));
    QueryWindow::setSaveFileNameProvider([path] { return path; });
    ModalBoxWatcher boxes;

    Table table;
    for (const auto &r : {record("000001", 9.87654, "a \"b\""), record("600000", 10.0, "x,y"), record("688981", 0.0)})
        table.insert(QString::fromLatin1(r.securityId), r);
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.showQuotes(table);
    w.exportToCsv();
    QueryWindow::setSaveFileNameProvider({});
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, QStringLiteral("文件写入成功"));

    QString expected = kQuoteColumns.join(',') + '\n';
    for (const auto &r : table) {
        for (const QString &text : expectedTexts(r)) expected += '"' + QString(text).replace('"', "\"\"") + "\",";
        expected += "\"\"\n";  // the button column has no item
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF") + expected.toUtf8().replace("\n", kTextEol));
}

namespace {
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};
}  // namespace

void TestStockQuotes::refreshRepaintsTheList() {
    // The cells change without telling the view, so the refresh itself must get the rows redrawn.
    StockQuotesWidget w(nullptr);
    w.setHeader(kQuoteColumns.size(), kQuoteColumns);
    w.resize(900, 300);
    Table table;
    table.insert(QStringLiteral("600000"), record("600000", 10.0));
    w.showQuotes(table);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();

    PaintCounter counter;
    w.table()->viewport()->installEventFilter(&counter);
    table.insert(QStringLiteral("600000"), record("600000", 10.5));
    w.showQuotes(table);
    QTRY_VERIFY(counter.paints > 0);
    QCOMPARE(cell(w, 0, 2), QStringLiteral("10.500"));
}

// A fill of thousands of rows builds button widgets only for the rows on screen; rows scrolled
// to get theirs before they show.
void TestStockQuotes::buttonsForRowsOnScreenFirst() {
    QMap<QString, ClientSecurityMarketDataLevel1> table;
    for (int i = 0; i < StockQuotesWidget::kMaxRows; ++i) {
        const QByteArray c = code(100000 + i);
        table.insert(QString::fromLatin1(c), record(c, 1.0 + i));
    }
    QScopedPointer<StockQuotesWidget> w(makeWidget(nullptr));
    w->resize(900, 300);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.data()));

    w->showQuotes(table);
    QVERIFY(button(*w, 0));
    QVERIFY(!button(*w, StockQuotesWidget::kMaxRows - 1));

    w->table()->scrollToBottom();
    MyPushButton *last = button(*w, StockQuotesWidget::kMaxRows - 1);
    QVERIFY(last);

    QVERIFY(!button(*w, 2048));  // never on screen, never built
    w->table()->scrollToItem(w->table()->item(2048, 0));
    QVERIFY(button(*w, 2048));
    // Every button, made early or late, sends its own row's code.
    QSignalSpy spy(SignalInterface::instance(), &SignalInterface::signal_clicketOrder);
    last->click();
    button(*w, 2048)->click();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QString::fromLatin1(code(100000 + StockQuotesWidget::kMaxRows - 1)));
    QCOMPARE(spy.at(1).at(0).toString(), QString::fromLatin1(code(100000 + 2048)));
}

// The mouse and keys on the shown list: a double-click is the row's 下单, Ctrl+C copies the
// selected rows for a spreadsheet.
void TestStockQuotes::keys_data() {
    QTest::addColumn<QString>("action");   // "double-click" on the cell or "copy" the rows
    QTest::addColumn<QList<int>>("rows");  // the row double-clicked, or the rows selected
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("ordered");    // the code handed to the order window, if any
    QTest::addColumn<QList<int>>("copied");  // the rows on the clipboard after the titles
    QTest::newRow("double-click on a code") << "double-click" << QList<int>{0} << 0 << "000001" << QList<int>{};
    QTest::newRow("double-click on a price") << "double-click" << QList<int>{2} << 4 << "600519" << QList<int>{};
    QTest::newRow("Ctrl+C: two rows, in row order, without 操作")
        << "copy" << QList<int>{2, 0} << 0 << "" << QList<int>{0, 2};
    QTest::newRow("Ctrl+C: nothing selected copies nothing") << "copy" << QList<int>{} << 0 << "" << QList<int>{};
}

void TestStockQuotes::keys() {
    QFETCH(QString, action);
    QFETCH(QList<int>, rows);
    QFETCH(int, column);
    QFETCH(QString, ordered);
    QFETCH(QList<int>, copied);
    const std::vector<ClientSecurityMarketDataLevel1> records = {
        record("000001", 11.5, "PING AN"), record("600000", 10.125, "PF BANK"), record("600519", 1700, "MOUTAI")};
    Table table;
    for (const auto &r : records) table.insert(QString::fromLatin1(r.securityId), r);
    QScopedPointer<StockQuotesWidget> w(makeWidget(nullptr));
    w->showQuotes(table);
    w->resize(900, 300);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.data()));
    QList<QStringList> texts;
    for (int row : copied) texts << expectedTexts(records[size_t(row)]);
    const QString text = copied.isEmpty()
                             ? QString()
                             : qeto::test::tabText(kQuoteColumns.mid(0, StockQuotesWidget::kButtonColumn), texts);
    qeto::test::checkRowGesture(w->table(), action, rows, column, ordered, text);
}

QTEST_MAIN(TestStockQuotes)
#include "tst_stock_quotes.moc"
