#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTableWidgetItem>
#include <QTimer>
#include <cmath>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/signal_interface.h"

// A cell of columns 0 to 8. Its text is formatted on demand from the row's record, so that
// text(), the view, the search and the export all read the values of the last refresh.
class StockQuotesWidget::Cell : public QTableWidgetItem {
public:
    Cell(std::shared_ptr<const ShownRows> rows, int row, int column)
        : mRows(std::move(rows)), mRow(row), mColumn(column) {}

    QVariant data(int role) const override {
        if ((role == Qt::DisplayRole || role == Qt::EditRole) && size_t(mRow) < mRows->size())
            return cellText((*mRows)[size_t(mRow)], mColumn);
        return QTableWidgetItem::data(role);
    }

    QTableWidgetItem *clone() const override { return new Cell(*this); }

private:
    std::shared_ptr<const ShownRows> mRows;
    int mRow;
    int mColumn;
};

StockQuotesWidget::StockQuotesWidget(QWidget *parent)
    : QueryWindow(QStringLiteral("股票行情"), parent),
      mSearchEdit(new MyLineEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mCodeRows(std::make_unique<QMap<QString, int>>()),
      mShownRows(std::make_shared<ShownRows>()) {
    mSearchEdit->setPlaceholderText(tr("证券代码"));
    mSearchEdit->setObjectName(QStringLiteral("searchEdit"));
    mSearchButton->setObjectName(QStringLiteral("searchButton"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    // The search sets the scroll bar to a row number, which holds while scrolling is per row.
    mTable->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    mClearButton->setGreenStyle();

    mTopLayout->addWidget(mSearchEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mSearchButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();

    connect(mSearchButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_checkClicked);
    connect(mClearButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_clearClicked);
    connect(mTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { orderRow(row); });
    mUncopiedTitles << kOperationColumn;

    // Rows scrolled, resized or shown into view get their owed buttons before they are painted.
    connect(mTable->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { putVisibleButtons(); });
    mTable->viewport()->installEventFilter(this);
}

StockQuotesWidget::~StockQuotesWidget() = default;

QString StockQuotesWidget::priceText(double value) {
    // Integer rounding of value * 1000 agrees with the exact decimal rounding except next to
    // a tie, where the product's rounding error could tip it; those, negatives (signed zeros)
    // and large values go the general way.
    if (value >= 0 && value < 1e9) {
        const double scaled = value * 1000.0;
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) > 1e-3) {
            const qint64 thousandths = qint64(whole) + (fraction > 0.5 ? 1 : 0);
            char text[24];
            char *end = text + sizeof text;
            char *p = end;
            qint64 rest = thousandths;
            for (int i = 0; i < 3; ++i, rest /= 10) *--p = char('0' + rest % 10);
            *--p = '.';
            do {
                *--p = char('0' + rest % 10);
                rest /= 10;
            } while (rest);
            return QString::fromLatin1(p, int(end - p));
        }
    }
    return QString::number(value, 'f', 3);
}

void StockQuotesWidget::setQuotesTcpClient(QuotesTcpClient *client) {
    mQuoteClient = client;
    if (mRefreshTimer) return;
    mRefreshTimer = std::make_unique<QTimer>();
    connect(mRefreshTimer.get(), &QTimer::timeout, this, &StockQuotesWidget::slot_releaseData);
    mRefreshTimer->start(1000);
}

void StockQuotesWidget::slot_checkClicked() {
    const int row = mCodeRows->value(mSearchEdit->text(), 0);
    mTable->verticalScrollBar()->setValue(row);
}

void StockQuotesWidget::slot_clearClicked() { mSearchEdit->clear(); }

void StockQuotesWidget::slot_clickOrder() {
    const auto found = mButtonRows.constFind(sender());
    if (found != mButtonRows.constEnd()) orderRow(found.value());
}

// A row's 下单 button and a double-click on the row both order its security.
void StockQuotesWidget::orderRow(int row) {
    const QTableWidgetItem *codeItem = mTable->item(row, 0);
    if (codeItem) emit SignalInterface::instance()->signal_clicketOrder(codeItem->text());
}

QAbstractButton *StockQuotesWidget::searchButton() const { return mSearchButton; }

void StockQuotesWidget::slot_releaseData() {
    if (!mQuoteClient) return;
    showQuotes(mQuoteClient->quoteTable());
}

void StockQuotesWidget::showQuotes(const QMap<QString, ClientSecurityMarketDataLevel1> &table) {
    const int rows = qMin(table.size(), kMaxRows);
    mShowRows = rows;
    if (mTable->rowCount() != rows) mTable->setRowCount(rows);

    // Rows past the count lost their cells and buttons to setRowCount (only a smaller table
    // handed in directly does that); if they come back they are new rows.
    ShownRows &shown = *mShownRows;
    const int rowsWithCells = qMin(int(shown.size()), rows);
    shown.resize(size_t(rows));
    if (int(mButtonDue.size()) > rows) {
        for (size_t r = size_t(rows); r < mButtonDue.size(); ++r) mButtonsDue -= mButtonDue[r];
    }
    mButtonDue.resize(size_t(rows), 0);

    // New cells would each signal the view; one viewport update after the batch repaints only
    // what is on screen, and the cells format their texts then.
    QAbstractItemModel *model = mTable->model();
    const bool wasBlocked = model->blockSignals(true);

    int row = 0;
    for (auto it = table.cbegin(); row < rows; ++it, ++row) {
        const QString &code = it.key();
        const ClientSecurityMarketDataLevel1 &record = it.value();
        ShownRow &target = shown[size_t(row)];

        const bool newRow = row >= rowsWithCells;
        const bool needsButton = newRow || target.code != code;
        if (needsButton) {
            // The code that sat here has moved down or out of the list; a later row re-enters it.
            if (!newRow && mCodeRows->value(target.code, -1) == row) mCodeRows->remove(target.code);
            mCodeRows->insert(code, row);
            target.code = code;
        }
        target.prices = {record.lastPrice,       record.openPrice,       record.highPrice,    record.lowPrice,
                         record.upperLimitPrice, record.lowerLimitPrice, record.preClosePrice};
        std::memcpy(target.name.data(), record.securityName, target.name.size());

        if (newRow) {
            for (int column = 0; column < kItemColumns; ++column)
                mTable->setItem(row, column, new Cell(mShownRows, row, column));
        }
        if (needsButton && !mButtonDue[size_t(row)]) {
            mButtonDue[size_t(row)] = 1;
            ++mButtonsDue;
        }
    }

    model->blockSignals(wasBlocked);
    mTable->viewport()->update();
    putVisibleButtons();
}

void StockQuotesWidget::putVisibleButtons() {
    if (mButtonsDue == 0 || !mTable->isVisible()) return;
    const int first = qMax(mTable->rowAt(0), 0);
    int last = mTable->rowAt(mTable->viewport()->height() - 1);
    if (last < 0) last = int(mButtonDue.size()) - 1;  // the rows end above the viewport's bottom
    for (int row = first; row <= last && mButtonsDue > 0; ++row) {
        if (!mButtonDue[size_t(row)]) continue;
        mButtonDue[size_t(row)] = 0;
        --mButtonsDue;
        putOrderButton(row);
    }
}

bool StockQuotesWidget::eventFilter(QObject *watched, QEvent *event) {
    if (watched == mTable->viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        putVisibleButtons();
    return QueryWindow::eventFilter(watched, event);
}

QString StockQuotesWidget::cellText(const ShownRow &row, int column) {
    switch (column) {
        case 0:
            return row.code;
        case 1:
            // The field is not terminated when the name fills it.
            return QString::fromUtf8(row.name.data(), int(strnlen(row.name.data(), row.name.size())));
        default:
            if (column >= 2 && column < 2 + kPriceColumns) return priceText(row.prices[size_t(column - 2)]);
            return QString();
    }
}

void StockQuotesWidget::putOrderButton(int row) {
    if (QWidget *old = mTable->cellWidget(row, kButtonColumn)) {
        if (auto *oldButton = old->findChild<MyPushButton *>()) mButtonRows.remove(oldButton);
    }

    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    auto *button = new MyPushButton(QStringLiteral("下单"), cell);
    button->setFixedSize(50, 18);
    layout->addWidget(button, 0, Qt::AlignHCenter | Qt::AlignVCenter);
    mTable->setCellWidget(row, kButtonColumn, cell);

    mButtonRows.insert(button, row);
    connect(button, &QPushButton::clicked, this, &StockQuotesWidget::slot_clickOrder);
}
