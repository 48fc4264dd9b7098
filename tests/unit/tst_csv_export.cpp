// Export of the rows a query window shows: byte order mark, header rules per window, quoting,
// batching, and the boxes for files that cannot be opened or written.
#include <QFile>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "box_checks.h"
#include "constants.h"
#include "local_text.h"
#include "modal_box.h"
#include "user/queryWindow/query_window.h"
#include "user/queryWindow/transaction_widget.h"

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// Cells given row by row; a null QString leaves the cell without an item.
using Grid = QVector<QStringList>;

void fill(QueryWindow &window, const QStringList &titles, const Grid &grid) {
    window.setHeader(titles.size(), titles);
    BaseTableWidget *table = window.table();
    table->setRowCount(grid.size());
    for (int row = 0; row < grid.size(); ++row) {
        for (int column = 0; column < grid[row].size(); ++column) {
            if (!grid[row][column].isNull()) table->setItem(row, column, new QTableWidgetItem(grid[row][column]));
        }
    }
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return file.readAll();
}

QStringList numbered(const QString &prefix, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i) list << prefix + QString::number(i);
    return list;
}

}  // namespace

class TestCsvExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exportShownRows_data();
    void exportShownRows();
    void flushesInBatchesWithoutLosingRows();
    void failures_data();
    void failures();
    void exportAllWithoutRecords_data();
    void exportAllWithoutRecords();
    void cancelledDialogWritesNothing();

private:
    QTemporaryDir mDir;
    QString mPath;
    ModalBoxWatcher *mBoxes = nullptr;
};

void TestCsvExport::init() {
    QVERIFY(mDir.isValid());
    mPath = mDir.filePath(QStringLiteral("out.csv"));
    QFile::remove(mPath);
    QueryWindow::setSaveFileNameProvider([this] { return mPath; });
    mBoxes = new ModalBoxWatcher(this);
}

void TestCsvExport::cleanup() {
    QueryWindow::setSaveFileNameProvider({});
    delete mBoxes;
    mBoxes = nullptr;
}

void TestCsvExport::exportShownRows_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<QByteArray>("expected");

    const QString orderRow1 = QStringLiteral(
        "\"1\",\"n\",\"600000\",\"股票\",\"10.000000\",\"100\",\"限价\",\"已报\",\"买\",\"0.000\",\"0\",\"100\",\"0\","
        "\"\","
        "\"09:30:00\"\n");
    QStringList orderCells = {QString(),
                              "1",
                              "n",
                              "600000",
                              QStringLiteral("股票"),
                              "10.000000",
                              "100",
                              QStringLiteral("限价"),
                              QStringLiteral("已报"),
                              QStringLiteral("买"),
                              "0.000",
                              "0",
                              "100",
                              "0",
                              "",
                              "09:30:00"};
    QStringList orderTitles = kOrderColumns;
    orderTitles.removeFirst();
    QTest::newRow("order window skips the check-box column")
        << kOrderQueryTitle << kOrderColumns << Grid{orderCells}
        << kBom + (orderTitles.join(',') + "\n" + orderRow1).toUtf8();

    QStringList positionTitles = kPositionColumns;
    positionTitles.removeLast();
    QTest::newRow("position window skips the action column")
        << kPositionQueryTitle << kPositionColumns
        << Grid{{"600000", "100", "0", "200", "300", "300", "9.500000", "ignored"}}
        << kBom + (positionTitles.join(',') + "\n" + "\"600000\",\"100\",\"0\",\"200\",\"300\",\"300\",\"9.500000\"\n")
                      .toUtf8();

    QTest::newRow("trade window writes every column")
        << kTradeQueryTitle << kTradeColumns
        << Grid{{"7", "000001", "1.000000", QStringLiteral("卖"), "5", "0", "10:00:01"}}
        << kBom + (kTradeColumns.join(',') + "\n" +
                   QStringLiteral("\"7\",\"000001\",\"1.000000\",\"卖\",\"5\",\"0\",\"10:00:01\"\n"))
                      .toUtf8();

    QTest::newRow("quotes doubled, commas kept, missing item empty")
        << QStringLiteral("股票行情") << QStringList{"a", "b", "c"}
        << Grid{{"say \"hi\"", "1,2", QString()}, {"", "x\"", "y"}}
        << kBom + QByteArray("a,b,c\n\"say \"\"hi\"\"\",\"1,2\",\"\"\n\"\",\"x\"\"\",\"y\"\n");

    QTest::newRow("no rows: only the byte order mark") << kOrderQueryTitle << kOrderColumns << Grid{} << kBom;
}

void TestCsvExport::exportShownRows() {
    QFETCH(QString, name);
    QFETCH(QStringList, titles);
    QFETCH(Grid, grid);
    QFETCH(QByteArray, expected);

    QueryWindow window(name, nullptr);
    fill(window, titles, grid);
    window.exportToCsv();

    QCOMPARE(readAll(mPath), QByteArray(expected).replace("\n", kTextEol));
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "成功", "文件写入成功");
}

void TestCsvExport::flushesInBatchesWithoutLosingRows() {
    // Around the batch boundaries: a row lost or doubled at a flush shows in the line list.
    QueryWindow window(kTradeQueryTitle, nullptr);
    window.setHeader(kTradeColumns.size(), kTradeColumns);
    const int rows = 10001;
    window.table()->setRowCount(rows);
    for (int row = 0; row < rows; ++row) window.table()->setItem(row, 0, new QTableWidgetItem(QString::number(row)));
    window.exportToCsv();

    const QByteArray bytes = readAll(mPath);
    QVERIFY(bytes.startsWith(kBom));
    const QList<QByteArray> lines = textLines(bytes.mid(3));
    QCOMPARE(lines.size(), rows + 2);  // header, rows, and the empty piece after the last line feed
    QCOMPARE(lines.first(), kTradeColumns.join(',').toUtf8());
    for (int row : {0, 4999, 5000, 9999, 10000})
        QCOMPARE(lines.at(row + 1), QByteArray("\"" + QByteArray::number(row) + "\",\"\",\"\",\"\",\"\",\"\",\"\""));
    QVERIFY(lines.last().isEmpty());
}

void TestCsvExport::failures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::newRow("directory that does not exist")
        << QStringLiteral("/nonexistent-dir/x/out.csv") << QStringLiteral("文件打开失败");
    if (QFile::exists(QStringLiteral("/dev/full")))
        QTest::newRow("device that is full") << QStringLiteral("/dev/full") << QStringLiteral("文件写入失败");
}

void TestCsvExport::failures() {
    QFETCH(QString, path);
    QFETCH(QString, text);
    QueryWindow::setSaveFileNameProvider([path] { return path; });

    QueryWindow window(kTradeQueryTitle, nullptr);
    fill(window, kTradeColumns, Grid{numbered("c", 7)});
    window.exportToCsv();

    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE_BOX(mBoxes->last(), "错误", text);
    QCOMPARE(mBoxes->last().icon, QMessageBox::Critical);
}

void TestCsvExport::exportAllWithoutRecords_data() {
    QTest::addColumn<bool>("fullDevice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("only the byte order mark") << false << QStringLiteral("文件写入成功") << kBom;
    if (QFile::exists(QStringLiteral("/dev/full")))
        QTest::newRow("device that is full") << true << QStringLiteral("文件写入失败") << QByteArray();
}

void TestCsvExport::exportAllWithoutRecords() {
    QFETCH(bool, fullDevice);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    if (fullDevice) QueryWindow::setSaveFileNameProvider([] { return QStringLiteral("/dev/full"); });
    // No query made: nothing stored to export.
    TransactionWidget window(nullptr);
    window.setHeader(kTradeColumns.size(), kTradeColumns);
    window.exportAllToCsv();
    QCOMPARE(mBoxes->count(), 1);
    QCOMPARE(mBoxes->last().text, text);
    if (!fullDevice) QCOMPARE(readAll(mPath), bytes);
}

void TestCsvExport::cancelledDialogWritesNothing() {
    QueryWindow::setSaveFileNameProvider([] { return QString(); });
    QueryWindow window(kTradeQueryTitle, nullptr);
    fill(window, kTradeColumns, Grid{numbered("c", 7)});
    window.exportToCsv();
    window.exportAllToCsv();
    QVERIFY(!QFile::exists(mPath));
    QCOMPARE(mBoxes->count(), 0);
}

QTEST_MAIN(TestCsvExport)
#include "tst_csv_export.moc"
