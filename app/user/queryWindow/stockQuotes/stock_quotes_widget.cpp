#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QTableWidgetItem>
#include <QTimer>

#include <cmath>
#include <cstring>
#include <limits>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/signal_interface.h"

namespace {

QString nameText(const ClientSecurityMarketDataLevel1 &record) {
    return QString::fromUtf8(record.securityName, int(strnlen(record.securityName, sizeof record.securityName)));
}

}  // namespace

StockQuotesWidget::StockQuotesWidget(QWidget *parent)
    : QueryWindow(QStringLiteral("股票行情"), parent),
      mSearchEdit(new MyLineEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mCodeRows(std::make_unique<QMap<QString, int>>()) {
    mSearchEdit->setPlaceholderText(tr("证券代码"));
    // The search sets the scroll bar to a row number, which holds while scrolling is per row.
    mTable->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    mClearButton->setGreenStyle();

    mTopLayout->addWidget(mSearchEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mSearchButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();

    connect(mSearchButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_checkClicked);
    connect(mClearButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_clearClicked);
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
    if (found == mButtonRows.constEnd()) return;
    const QTableWidgetItem *codeItem = mTable->item(found.value(), 0);
    if (!codeItem) return;
    emit SignalInterface::instance()->signal_clicketOrder(codeItem->text());
}

void StockQuotesWidget::slot_releaseData() {
    if (!mQuoteClient) return;
    showQuotes(mQuoteClient->quoteTable());
}

void StockQuotesWidget::showQuotes(const QMap<QString, ClientSecurityMarketDataLevel1> &table) {
    const int rows = qMin(table.size(), kMaxRows);
    mShowRows = rows;
    if (mTable->rowCount() != rows) mTable->setRowCount(rows);
    if (int(mShownRows.size()) < rows) {
        ShownRow unknown;
        unknown.prices.fill(std::numeric_limits<double>::quiet_NaN());  // equal to nothing, so always set
        unknown.name.fill(0);
        mShownRows.resize(size_t(rows), unknown);
    }

    // Per-cell change signals would make the view work out and repaint every cell on its own;
    // one viewport update after the batch repaints only what is on screen.
    QAbstractItemModel *model = mTable->model();
    const bool wasBlocked = model->blockSignals(true);

    int row = 0;
    for (auto it = table.cbegin(); row < rows; ++it, ++row) {
        const QString &code = it.key();
        const ClientSecurityMarketDataLevel1 &record = it.value();

        bool needsButton = true;
        if (const QTableWidgetItem *codeItem = mTable->item(row, 0)) {
            const QString shownCode = codeItem->text();
            needsButton = shownCode != code;
            // The code that sat here has moved down or out of the list; a later row re-enters it.
            if (needsButton && mCodeRows->value(shownCode, -1) == row) mCodeRows->remove(shownCode);
        }
        if (needsButton) {
            mCodeRows->insert(code, row);
            setCellText(row, 0, code);
        }
        setNameCell(row, record);
        setPriceCell(row, 0, record.lastPrice);
        setPriceCell(row, 1, record.openPrice);
        setPriceCell(row, 2, record.highPrice);
        setPriceCell(row, 3, record.lowPrice);
        setPriceCell(row, 4, record.upperLimitPrice);
        setPriceCell(row, 5, record.lowerLimitPrice);
        setPriceCell(row, 6, record.preClosePrice);

        if (needsButton) putOrderButton(row);
    }

    model->blockSignals(wasBlocked);
    mTable->viewport()->update();
}

void StockQuotesWidget::setCellText(int row, int column, const QString &text) {
    QTableWidgetItem *item = mTable->item(row, column);
    if (!item) {
        mTable->setItem(row, column, new QTableWidgetItem(text));
    } else if (item->text() != text) {
        item->setText(text);
    }
}

void StockQuotesWidget::setNameCell(int row, const ClientSecurityMarketDataLevel1 &record) {
    ShownRow &shown = mShownRows[size_t(row)];
    if (shown.hasName && std::memcmp(shown.name.data(), record.securityName, shown.name.size()) == 0 &&
        mTable->item(row, 1))
        return;
    std::memcpy(shown.name.data(), record.securityName, shown.name.size());
    shown.hasName = true;
    setCellText(row, 1, nameText(record));
}

void StockQuotesWidget::setPriceCell(int row, int priceIndex, double value) {
    double &shown = mShownRows[size_t(row)].prices[size_t(priceIndex)];
    const int column = 2 + priceIndex;
    // Compared bit for bit: the text is a function of the value, and NaN must never match.
    if (std::memcmp(&shown, &value, sizeof value) == 0 && mTable->item(row, column)) return;
    shown = value;
    // setText itself ignores a text equal to the one shown.
    if (QTableWidgetItem *item = mTable->item(row, column)) {
        item->setText(priceText(value));
    } else {
        mTable->setItem(row, column, new QTableWidgetItem(priceText(value)));
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
