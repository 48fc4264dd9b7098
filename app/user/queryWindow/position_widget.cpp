#include "user/queryWindow/position_widget.h"

#include <QFile>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTableWidgetItem>
#include <QTimer>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {

constexpr int kActionColumn = 7;

// Copies text into a NUL-terminated field: at most width - 1 bytes, so the terminator always fits.
template <std::size_t N>
void setTerminatedField(char (&field)[N], const QString &text) {
    RecordText::setField(field, text.toUtf8().left(static_cast<int>(N) - 1));
}

}  // namespace

PositionWidget::PositionWidget(QWidget *parent)
    : QueryWindow(kPositionQueryTitle, parent),
      mCodeEdit(new MyLineEdit(tr("证券代码"), this)),
      mSearchButton(new MyPushButton(QStringLiteral("搜索"), this)),
      mMoreButton(new MyPushButton(QStringLiteral("更多"), this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mExportButton(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)) {
    mCodeEdit->setObjectName(QStringLiteral("codeEdit"));
    mSearchButton->setObjectName(QStringLiteral("searchButton"));
    mMoreButton->setObjectName(QStringLiteral("moreButton"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    mExportButton->setObjectName(QStringLiteral("exportButton"));
    mExportAllButton->setObjectName(QStringLiteral("exportAllButton"));
    mCodeEdit->setMaxLength(6);
    mMoreButton->setEnabled(false);
    mClearButton->setGreenStyle();

    mTopLayout->addWidget(mCodeEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mSearchButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mMoreButton, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();
    mTopLayout->addWidget(mExportButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mExportAllButton, 0, Qt::AlignRight);

    connect(mClearButton, &QPushButton::clicked, this, &PositionWidget::slot_clickedClear);
    connect(mSearchButton, &QPushButton::clicked, this, &PositionWidget::slot_check);
    connect(mMoreButton, &QPushButton::clicked, this, &PositionWidget::slot_clickMore);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryPosition, this,
            &PositionWidget::slot_rspQryPosition);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &PositionWidget::exportAllToCsv);
    connect(mTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { orderRow(row); });
    mUncopiedTitles << kOperationColumn;
}

PositionWidget::~PositionWidget() = default;

template <class Cells>
void PositionWidget::cells(const CQetoRspQryStockPositionField &record, Cells &out) {
    out.utf8(record.SecurityID, RecordCells::fieldSize(record.SecurityID, sizeof record.SecurityID));
    out.number(record.TodayBuyVolume);
    out.number(record.TodaySellVolume);
    out.number(record.YesterdayVolume);
    // Signed and wide: more sold today than held must show negative, never wrap.
    out.number(static_cast<qint64>(record.YesterdayVolume) + record.TodayBuyVolume - record.TodaySellVolume);
    out.number(record.AvailableVolume);
    out.fixed(record.PositionCost, 6);
}

QStringList PositionWidget::recordTexts(const CQetoRspQryStockPositionField &record) {
    RecordCells::Texts texts;
    cells(record, texts);
    return texts.take();
}

void PositionWidget::slot_check() {
    mSearchButton->setEnabled(false);

    std::memset(&mRequest, 0, sizeof mRequest);
    // An account that fills the whole field goes out without a terminator, as the field is sized.
    RecordText::setField(mRequest.AccountID, ApiClientUtils::mAccount.toUtf8());
    const QString code = mCodeEdit->text();
    if (!code.isEmpty()) setTerminatedField(mRequest.SecurityID, code);

    const int result = reqQryPosition(&mRequest, ApiClientUtils::mAccountSessionId, ApiClientUtils::mRequestId++,
                                      ApiClientUtils::mEntryNo);
    if (result != 0) {
        QMessageBox::critical(nullptr, QStringLiteral("失败"), QStringLiteral("查询出错"));
        QTimer::singleShot(1000, this, [this] { mSearchButton->setEnabled(true); });
        return;
    }
    mMoreButton->setEnabled(false);
    mTable->setRowCount(0);
    mTotal = 0;
    mRowButtons.clear();
    mRecords.clear();
}

void PositionWidget::slot_rspQryPosition(CQetoRspQryStockPositionField pRspField, CQetoRspInfo pRspInfo, int,
                                         bool bIsLast) {
    if (pRspInfo.ErrorID != 0) {
        mSearchButton->setEnabled(true);
        const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
        qWarning("%s", qUtf8Printable(QStringLiteral("持仓查询失败%1").arg(text)));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), text);
    } else {
        mRecords.insert(mTotal, pRspField);
        ++mTotal;
        if (mTotal == kPageRows) {
            addPage();
        } else if (mTotal > kPageRows) {
            mMoreButton->setEnabled(true);
        }
    }
    if (bIsLast) {
        if (mTotal < kPageRows) addPage();
        mSearchButton->setEnabled(true);
    }
}

void PositionWidget::addPage() {
    const int first = mTable->rowCount();
    const int last = qMin(first + kPageRows, mTotal);
    if (last <= first) return;
    mTable->setRowCount(last);
    for (int row = first; row < last; ++row) {
        const QStringList texts = recordTexts(mRecords.value(row));
        for (int column = 0; column < texts.size(); ++column)
            mTable->setItem(row, column, new QTableWidgetItem(texts.at(column)));

        auto *cell = new QWidget;
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *button = new MyPushButton(QStringLiteral("下单"), cell);
        button->setFixedSize(50, 18);
        layout->addWidget(button, 0, Qt::AlignCenter);
        mTable->setCellWidget(row, kActionColumn, cell);
        mRowButtons.insert(button, row);
        connect(button, &QPushButton::clicked, this, &PositionWidget::slot_clickOrder);
    }
}

void PositionWidget::slot_clickMore() {
    addPage();
    if (mTable->rowCount() == mTotal) mMoreButton->setEnabled(false);
}

void PositionWidget::slot_clickOrder() {
    const auto it = mRowButtons.constFind(sender());
    if (it != mRowButtons.constEnd()) orderRow(it.value());
}

// A row's 下单 button and a double-click on the row both order its security.
void PositionWidget::orderRow(int row) {
    const QTableWidgetItem *codeItem = mTable->item(row, 0);
    if (codeItem) emit SignalInterface::instance()->signal_clicketOrder(codeItem->text());
}

QAbstractButton *PositionWidget::searchButton() const { return mSearchButton; }

void PositionWidget::slot_clickedClear() { mCodeEdit->clear(); }

void PositionWidget::exportAllToCsv() {
    exportRecords(
        mRecords, mTotal, CQetoRspQryStockPositionField{},
        [](const CQetoRspQryStockPositionField &record, RecordCells::CsvLines &line) { cells(record, line); },
        QStringLiteral("成功"));
}
