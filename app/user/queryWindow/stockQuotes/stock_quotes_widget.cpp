#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QTableWidgetItem>
#include <QTimer>

#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/signal_interface.h"

namespace {

QString priceText(double value) { return QString::number(value, 'f', 3); }

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
    mClearButton->setGreenStyle();

    mTopLayout->addWidget(mSearchEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mSearchButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();

    connect(mSearchButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_checkClicked);
    connect(mClearButton, &QPushButton::clicked, this, &StockQuotesWidget::slot_clearClicked);
}

StockQuotesWidget::~StockQuotesWidget() = default;

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
        mCodeRows->insert(code, row);

        setCellText(row, 0, code);
        setCellText(row, 1, nameText(record));
        setCellText(row, 2, priceText(record.lastPrice));
        setCellText(row, 3, priceText(record.openPrice));
        setCellText(row, 4, priceText(record.highPrice));
        setCellText(row, 5, priceText(record.lowPrice));
        setCellText(row, 6, priceText(record.upperLimitPrice));
        setCellText(row, 7, priceText(record.lowerLimitPrice));
        setCellText(row, 8, priceText(record.preClosePrice));

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
