#include "user/queryWindow/query_window.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMetaType>
#include <QPainter>
#include <QShortcut>
#include <QTableWidgetItem>
#include <QVBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "constants.h"
#include "qeto_gate_api.h"
#include "utils/table_text.h"

namespace {

QueryWindow::SaveFileNameProvider &saveFileNameProvider() {
    static QueryWindow::SaveFileNameProvider provider;
    return provider;
}

void registerRecordTypes() {
    qRegisterMetaType<CQetoRspQryStockClientAccountField>("CQetoRspQryStockClientAccountField");
    qRegisterMetaType<CQetoRspQryStockPositionField>("CQetoRspQryStockPositionField");
    qRegisterMetaType<CQetoRspQryTradeField>("CQetoRspQryTradeField");
    qRegisterMetaType<CQetoRspQryStockSecuritiesField>("CQetoRspQryStockSecuritiesField");
    qRegisterMetaType<CQetoRspQryOrderField>("CQetoRspQryOrderField");
    qRegisterMetaType<CQetoRspQryCapTransferRecordField>("CQetoRspQryCapTransferRecordField");
    qRegisterMetaType<CQetoRspCapTransferField>("CQetoRspCapTransferField");
    qRegisterMetaType<CQetoRspQryBTCapTransferManagerField>("CQetoRspQryBTCapTransferManagerField");
    qRegisterMetaType<CQetoRspOrderActionField>("CQetoRspOrderActionField");
    qRegisterMetaType<CQetoRspInfo>("CQetoRspInfo");
}

}  // namespace

QueryWindow::QueryWindow(const QString &name, QWidget *parent)
    : QWidget(parent),
      mTable(new BaseTableWidget(this)),
      mTopLayout(new QHBoxLayout),
      mTitleLabel(new MyLabel(name, this)),
      mWindowName(name),
      mUncopiedTitles{kTickColumn} {
    registerRecordTypes();
    setMinimumWidth(640);

    mTitleLabel->setRedStyle();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mTitleLabel, 0, Qt::AlignLeft);
    layout->addLayout(mTopLayout);
    layout->addWidget(mTable);

    auto *copy = new QShortcut(QKeySequence::Copy, mTable, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &QueryWindow::copySelectedRows);
}

QueryWindow::~QueryWindow() = default;

void QueryWindow::setHeader(int columnCount, const QStringList &labels) {
    mColumnCount = columnCount;
    mHeaderLabels = labels;
    mTable->initTable(columnCount, labels);
}

QString QueryWindow::windowName() { return mWindowName; }

QStringList QueryWindow::headerLabels() { return mHeaderLabels; }

void QueryWindow::setSaveFileNameProvider(SaveFileNameProvider provider) {
    saveFileNameProvider() = std::move(provider);
}

QString QueryWindow::askCsvFileName() {
    if (saveFileNameProvider()) return saveFileNameProvider()();
    return QFileDialog::getSaveFileName(nullptr, QStringLiteral("Save CSV"), QString(),
                                        QStringLiteral("CSV Files (*.csv)"));
}

bool QueryWindow::openCsvFile(QFile &file, const QString &fileName) {
    file.setFileName(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        QMessageBox::critical(nullptr, QStringLiteral("错误"), QStringLiteral("文件打开失败"));
        return false;
    }
    static const char bom[] = "\xEF\xBB\xBF";
    file.write(bom, 3);
    return true;
}

QString QueryWindow::csvHeaderLine() {
    QStringList titles = headerLabels();
    const QString name = windowName();
    if (name == kOrderQueryTitle && !titles.isEmpty()) {
        titles.removeFirst();
    } else if (name == kPositionQueryTitle && !titles.isEmpty()) {
        titles.removeLast();
    }
    return titles.join(QLatin1Char(',')) + QLatin1Char('\n');
}

bool QueryWindow::flushCsvBuffer(QFile &file, RecordCells::CsvLines &lines) {
    const bool written = file.write(lines.constData(), lines.size()) == lines.size();
    lines.clear();
    return written;
}

void QueryWindow::finishCsvFile(QFile &file, bool written, const QString &successTitle) {
    // A full disk only shows when the last buffered bytes reach it.
    written = file.flush() && written;
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QMessageBox::critical(nullptr, QStringLiteral("错误"), QStringLiteral("文件写入失败"));
        return;
    }
    QMessageBox::information(nullptr, successTitle, QStringLiteral("文件写入成功"));
}

void QueryWindow::exportStoredRecords(int count, const std::function<void(int, RecordCells::CsvLines &)> &writeLine,
                                      const QString &successTitle) {
    const QString fileName = askCsvFileName();
    if (fileName.isEmpty()) return;
    QFile file;
    if (!openCsvFile(file, fileName)) return;

    RecordCells::CsvLines lines(kCsvBufferReserve);
    lines.append(csvHeaderLine().toUtf8());
    bool written = true;
    for (int index = 0; index < count && written; ++index) {
        writeLine(index, lines);
        lines.end();
        if (index % 10000 == 0 || index == count - 1) written = flushCsvBuffer(file, lines);
    }
    finishCsvFile(file, written, successTitle);
}

void QueryWindow::exportToCsv() {
    const QString fileName = askCsvFileName();
    if (fileName.isEmpty()) return;

    QFile file;
    if (!openCsvFile(file, fileName)) return;
    bool written = true;

    RecordCells::CsvLines lines(kCsvBufferReserve);
    lines.append(csvHeaderLine().toUtf8());

    const QString name = windowName();
    const int rows = mTable->rowCount();
    const int firstColumn = name == kOrderQueryTitle ? 1 : 0;
    int endColumn = mTable->columnCount();
    if (name == kPositionQueryTitle) --endColumn;

    for (int row = 0; row < rows && written; ++row) {
        for (int column = firstColumn; column < endColumn; ++column) {
            const QTableWidgetItem *item = mTable->item(row, column);
            lines.text(item ? item->text() : QString());
        }
        lines.end();
        if ((row + 1) % kCsvRowsPerFlush == 0 || row == rows - 1) written = flushCsvBuffer(file, lines);
    }
    finishCsvFile(file, written, QStringLiteral("成功"));
}

void QueryWindow::exportAllToCsv() {}

void QueryWindow::copySelectedRows() { TableText::copySelectedRows(mTable, mUncopiedTitles); }

void QueryWindow::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(QStringLiteral("#D3D3D3")));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
