#include "user/queryWindow/transaction_widget.h"

#include <QFile>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTableWidgetItem>
#include <QTime>
#include <QTimer>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/record_text.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {

const QString kTimeFormat = QStringLiteral("hhmmsszzz");
const QString kNoTime = QStringLiteral("000000000");

}  // namespace

TransactionWidget::TransactionWidget(QWidget *parent)
    : QueryWindow(kTradeQueryTitle, parent),
      mCodeEdit(new MyLineEdit(tr("证券代码"), this)),
      mOrderNoLabel(new MyLabel(QStringLiteral("报单编号"), this)),
      mOrderNoEdit(new MyLineEdit(QStringLiteral("报单编号"), this)),
      mStartLabel(new MyLabel(QStringLiteral("开始时间"), this)),
      mStartEdit(new MyTimeEdit(this)),
      mEndLabel(new MyLabel(QStringLiteral("结束时间"), this)),
      mEndEdit(new MyTimeEdit(this)),
      mClearButton(new MyPushButton(QStringLiteral("清空"), this)),
      mQueryButton(new MyPushButton(QStringLiteral("查询"), this)),
      mMoreButton(new MyPushButton(QStringLiteral("更多"), this)),
      mExportButton(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAllButton(new MyPushButton(QStringLiteral("全部导出"), this)) {
    mCodeEdit->setObjectName(QStringLiteral("codeEdit"));
    mQueryButton->setObjectName(QStringLiteral("queryButton"));
    mMoreButton->setObjectName(QStringLiteral("moreButton"));
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    mExportButton->setObjectName(QStringLiteral("exportButton"));
    mExportAllButton->setObjectName(QStringLiteral("exportAllButton"));
    mCodeEdit->setMaxLength(6);
    mOrderNoEdit->setMaxLength(9);
    for (MyTimeEdit *edit : {mStartEdit, mEndEdit}) {
        edit->setDisplayFormat(QStringLiteral("HH:mm:ss.zzz"));
        edit->setTime(QTime(0, 0));
    }
    mClearButton->setGreenStyle();
    mMoreButton->setEnabled(false);

    mTopLayout->addWidget(mCodeEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mOrderNoLabel, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mOrderNoEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mStartLabel, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mStartEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mEndLabel, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mEndEdit, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mQueryButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mMoreButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();
    mTopLayout->addWidget(mExportButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mExportAllButton, 0, Qt::AlignRight);

    connect(mQueryButton, &QPushButton::clicked, this, &TransactionWidget::slot_click);
    connect(mMoreButton, &QPushButton::clicked, this, &TransactionWidget::slot_moreInfClicked);
    connect(mClearButton, &QPushButton::clicked, this, &TransactionWidget::slot_clickedClear);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &TransactionWidget::exportAllToCsv);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspQryTrade, this,
            &TransactionWidget::slot_rspQryTrade);
}

TransactionWidget::~TransactionWidget() = default;

template <class Cells>
void TransactionWidget::cells(const CQetoRspQryTradeField &record, Cells &out) {
    out.utf8(record.OrderNo, sizeof record.OrderNo);
    out.utf8(record.SecurityID, RecordCells::fieldSize(record.SecurityID, sizeof record.SecurityID));
    out.fixed(record.TradePrice, 6);
    out.text(Utils::directionText(record.Direction));
    out.number(record.TradeVolume);
    out.number(record.LeavesVolume);
    out.time(record.TradeTime, sizeof record.TradeTime);
}

QStringList TransactionWidget::recordTexts(const CQetoRspQryTradeField &record) {
    RecordCells::Texts texts;
    cells(record, texts);
    return texts.take();
}

void TransactionWidget::fillRequest(CQetoReqQryTradeField &request, int32_t position) const {
    std::memset(&request, 0, sizeof request);
    request.OrderSysID = mOrderNoFilter;
    // The code field is NUL-terminated, so at most width - 1 bytes of it carry text.
    if (!mCodeFilter.isEmpty())
        RecordText::setField(request.SecurityID,
                             mCodeFilter.toUtf8().left(static_cast<int>(sizeof request.SecurityID) - 1));
    if (mStartText != kNoTime) RecordText::setField(request.BeginTime, mStartText.toLatin1());
    if (mEndText != kNoTime) RecordText::setField(request.EndTime, mEndText.toLatin1());
    request.Position = position;
    request.QueryFlag = 2;
}

void TransactionWidget::slot_click() {
    mQueryButton->setEnabled(false);

    mCodeFilter = mCodeEdit->text();
    bool ok = false;
    const uint orderNo = mOrderNoEdit->text().toUInt(&ok);
    mOrderNoFilter = ok ? orderNo : 0;
    mStartText = mStartEdit->time().toString(kTimeFormat);
    mEndText = mEndEdit->time().toString(kTimeFormat);

    fillRequest(mRequest, 0);
    const int result = reqQryTrade(&mRequest, ApiClientUtils::mAccountSessionId, ApiClientUtils::mRequestId++,
                                   ApiClientUtils::mEntryNo);
    if (result != 0) {
        qWarning("%s", qUtf8Printable(QStringLiteral("成交查询请求失败")));
        QMessageBox::warning(nullptr, QStringLiteral("失败"), QStringLiteral("查询出错"));
        QTimer::singleShot(1000, this, [this] { mQueryButton->setEnabled(true); });
        return;
    }
    mTable->setRowCount(0);
    mTotal = 0;
    mRecords.clear();
}

void TransactionWidget::slot_rspQryTrade(CQetoRspQryTradeField pRspField, CQetoRspInfo pRspInfo, int, bool bIsLast) {
    if (pRspInfo.ErrorID != 0) {
        mQueryButton->setEnabled(true);
        const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
        qWarning("%s", qUtf8Printable(QStringLiteral("成交查询失败%1").arg(text)));
        QMessageBox::warning(nullptr, QStringLiteral("失败"), text);
    } else {
        mRecords.insert(mTotal, pRspField);
        ++mTotal;
        if (mTotal == kPageRows) {
            addPage();
        } else if (mTotal > kPageRows) {
            mMoreButton->setEnabled(true);
        }
    }
    if (!bIsLast) return;

    if (mTotal < kPageRows) addPage();
    if (pRspField.MoreData != 0) {
        mMoreButton->setEnabled(true);
        fillRequest(mFollowUpRequest, pRspField.Position);
        const int result = reqQryTrade(&mFollowUpRequest, ApiClientUtils::mAccountSessionId,
                                       ApiClientUtils::mRequestId++, ApiClientUtils::mEntryNo);
        if (result != 0) {
            qWarning("%s", qUtf8Printable(QStringLiteral("成交查询更多信息请求失败")));
            QMessageBox::warning(nullptr, QStringLiteral("失败"), QStringLiteral("查询出错"));
            // No answer will come for it, so the query is over and a new one must be possible.
            mQueryButton->setEnabled(true);
        }
    } else {
        mQueryButton->setEnabled(true);
    }
}

void TransactionWidget::addPage() {
    const int first = mTable->rowCount();
    const int last = qMin(first + kPageRows, mTotal);
    if (last <= first) return;
    mTable->setRowCount(last);
    for (int row = first; row < last; ++row) {
        const QStringList texts = recordTexts(mRecords.value(row));
        for (int column = 0; column < texts.size(); ++column)
            mTable->setItem(row, column, new QTableWidgetItem(texts.at(column)));
    }
}

void TransactionWidget::slot_moreInfClicked() {
    addPage();
    if (mTable->rowCount() == mTotal) mMoreButton->setEnabled(false);
}

void TransactionWidget::slot_clickedClear() {
    mCodeEdit->clear();
    mOrderNoEdit->clear();
    mStartEdit->setTime(QTime(0, 0));
    mEndEdit->setTime(QTime(0, 0));
}

void TransactionWidget::exportAllToCsv() {
    exportRecords(
        mRecords, mTotal, CQetoRspQryTradeField{},
        [](const CQetoRspQryTradeField &record, RecordCells::CsvLines &line) { cells(record, line); },
        QStringLiteral("成功"));
}

QAbstractButton *TransactionWidget::searchButton() const { return mQueryButton; }
