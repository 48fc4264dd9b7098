#include "user/queryWindow/ordered_widget.h"

#include <QDebug>
#include <QFile>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTableWidgetItem>
#include <QTime>
#include <QTimer>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_time_edit.h"
#include "constants.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"
#include "utils/signal_interface.h"
#include "utils/utils.h"

namespace {

const QString kNoTime = QStringLiteral("000000000");
const QString kTimeFormat = QStringLiteral("hhmmsszzz");
const int kCheckColumn = 0;
const int kErrorCodeColumn = 13;
const int kQueryFlag = 2;

void sendFailedBox() {
    qWarning("%s", qUtf8Printable(QStringLiteral("发送委托查询请求失败")));
    QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("发送委托查询请求失败"));
}

}  // namespace

OrderedWidget::OrderedWidget(QWidget *parent) : QueryWindow(kOrderQueryTitle, parent) {
    std::memset(&mNextRequest, 0, sizeof mNextRequest);

    mCodeEdit = new MyLineEdit(tr("证券代码"), this);
    mCodeEdit->setMaxLength(6);
    mCodeEdit->setObjectName(QStringLiteral("codeEdit"));
    mCancelButton = new MyPushButton(QStringLiteral("批量撤单"), this);
    mCancelButton->setObjectName(QStringLiteral("cancelButton"));
    mOrderNoLabel = new MyLabel(QStringLiteral("报单编号"), this);
    mOrderNoEdit = new MyLineEdit(QStringLiteral("报单编号"), this);
    mOrderNoEdit->setMaxLength(9);
    mOrderNoEdit->setObjectName(QStringLiteral("orderNoEdit"));
    mStartLabel = new MyLabel(QStringLiteral("开始时间"), this);
    mStartEdit = new MyTimeEdit(this);
    mStartEdit->setObjectName(QStringLiteral("startEdit"));
    mEndLabel = new MyLabel(QStringLiteral("结束时间"), this);
    mEndEdit = new MyTimeEdit(this);
    mEndEdit->setObjectName(QStringLiteral("endEdit"));
    mClearButton = new MyPushButton(QStringLiteral("清空"), this);
    mClearButton->setGreenStyle();
    mClearButton->setObjectName(QStringLiteral("clearButton"));
    mSearchButton = new MyPushButton(QStringLiteral("搜索"), this);
    mSearchButton->setObjectName(QStringLiteral("searchButton"));
    mMoreButton = new MyPushButton(QStringLiteral("更多"), this);
    mMoreButton->setObjectName(QStringLiteral("moreButton"));
    mMoreButton->setEnabled(false);
    mExportButton = new MyPushButton(QStringLiteral("导出"), this);
    mExportButton->setObjectName(QStringLiteral("exportButton"));
    mExportAllButton = new MyPushButton(QStringLiteral("全部导出"), this);
    mExportAllButton->setObjectName(QStringLiteral("exportAllButton"));

    for (QWidget *w : {static_cast<QWidget *>(mCodeEdit), static_cast<QWidget *>(mCancelButton),
                       static_cast<QWidget *>(mOrderNoLabel), static_cast<QWidget *>(mOrderNoEdit),
                       static_cast<QWidget *>(mStartLabel), static_cast<QWidget *>(mStartEdit),
                       static_cast<QWidget *>(mEndLabel), static_cast<QWidget *>(mEndEdit)})
        mTopLayout->addWidget(w, 0, Qt::AlignLeft);
    mTopLayout->addWidget(mSearchButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mMoreButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mClearButton, 0, Qt::AlignLeft);
    mTopLayout->addStretch();
    mTopLayout->addWidget(mExportButton, 0, Qt::AlignRight);
    mTopLayout->addWidget(mExportAllButton, 0, Qt::AlignRight);

    connect(mSearchButton, &QPushButton::clicked, this, &OrderedWidget::slot_clicked);
    connect(mMoreButton, &QPushButton::clicked, this, &OrderedWidget::slot_moreInfClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &OrderedWidget::slot_cancelOrderClicked);
    connect(mClearButton, &QPushButton::clicked, this, &OrderedWidget::slot_clickedClear);
    connect(mExportButton, &QPushButton::clicked, this, &QueryWindow::exportToCsv);
    connect(mExportAllButton, &QPushButton::clicked, this, &OrderedWidget::exportAllToCsv);

    SignalInterface *hub = SignalInterface::instance();
    connect(hub, &SignalInterface::signal_rspQryOrder, this, &OrderedWidget::slot_rspQryOrder);
    connect(hub, &SignalInterface::signal_rspCancelOrder, this, &OrderedWidget::slot_rspCancelOrder);
}

OrderedWidget::~OrderedWidget() = default;

template <class Cells>
void OrderedWidget::cells(const CQetoRspQryOrderField &f, Cells &out) {
    const int32_t traded = static_cast<int32_t>(f.TradeVolume);
    out.utf8(f.OrderNo, static_cast<int>(sizeof f.OrderNo));
    out.number(f.NodeNo);
    out.utf8(f.SecurityID, RecordCells::fieldSize(f.SecurityID, sizeof f.SecurityID));
    out.text(Utils::securityTypeText(f.SecurityType));
    out.fixed(f.Price, 6);
    out.number(static_cast<int32_t>(f.Volume));
    out.text(Utils::orderPriceTypeText(f.OrderPriceType));
    out.text(Utils::orderStatusText(f.OrderStatus));
    out.text(Utils::directionText(f.Direction));
    out.fixed(traded != 0 ? f.TradeAmount / traded : 0.0, 3);
    out.number(traded);
    out.number(static_cast<int32_t>(f.LeavesVolume));
    out.number(f.ErrorCode);
    out.text(ErrorMsg::instance()->getErrorMsgById(f.ErrorCode));
    out.time(f.InsertTime, static_cast<int>(sizeof f.InsertTime));
}

QStringList OrderedWidget::cellTexts(const CQetoRspQryOrderField &f) {
    RecordCells::Texts texts;
    cells(f, texts);
    return texts.take();
}

void OrderedWidget::fillRequest(CQetoReqQryOrderField &req, int position) const {
    std::memset(&req, 0, sizeof req);
    if (!mCode.isEmpty()) {
        // The counter reads 8 bytes and wants the terminator inside them.
        const QByteArray code = mCode.toUtf8().left(7);
        std::memcpy(req.SecurityID, code.constData(), static_cast<size_t>(code.size()));
    }
    if (mStartTime != kNoTime) {
        const QByteArray t = mStartTime.toLatin1().left(static_cast<int>(sizeof req.BeginTime));
        std::memcpy(req.BeginTime, t.constData(), static_cast<size_t>(t.size()));
    }
    if (mEndTime != kNoTime) {
        const QByteArray t = mEndTime.toLatin1().left(static_cast<int>(sizeof req.EndTime));
        std::memcpy(req.EndTime, t.constData(), static_cast<size_t>(t.size()));
    }
    req.OrderSysID = mOrderNo;
    req.QueryFlag = kQueryFlag;
    req.Position = position;
}

int OrderedWidget::sendRequest(CQetoReqQryOrderField &req) {
    const int requestId = ApiClientUtils::mRequestId++;
    return reqQryOrder(&req, ApiClientUtils::mAccountSessionId, requestId, ApiClientUtils::mEntryNo);
}

void OrderedWidget::slot_clicked() {
    mSearchButton->setEnabled(false);

    mCode = mCodeEdit->text();
    bool ok = false;
    mOrderNo = mOrderNoEdit->text().toUInt(&ok, 10);
    if (!ok) mOrderNo = 0;
    mStartTime = mStartEdit->time().toString(kTimeFormat);
    mEndTime = mEndEdit->time().toString(kTimeFormat);

    CQetoReqQryOrderField req;
    fillRequest(req, 0);
    if (sendRequest(req) != 0) {
        sendFailedBox();
        QTimer::singleShot(1000, this, [this] { mSearchButton->setEnabled(true); });
        return;
    }
    mTable->setRowCount(0);
    mTotal = 0;
    mOrderSysIds.clear();
    mEntries.clear();
}

void OrderedWidget::slot_moreInfClicked() {
    additem();
    if (mTable->rowCount() == mTotal) mMoreButton->setEnabled(false);
}

void OrderedWidget::slot_rspQryOrder(CQetoRspQryOrderField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                     bool bIsLast) {
    Q_UNUSED(nRequestID)
    if (pRspInfo.ErrorID != 0) {
        mSearchButton->setEnabled(true);
        const QString text = ErrorMsg::instance()->getErrorText(pRspInfo);
        qWarning("%s", qUtf8Printable(QStringLiteral("委托查询出错%1").arg(text)));
        QMessageBox::warning(nullptr, QStringLiteral("错误"), text);
    } else {
        OrderQueryEntry entry;
        entry.field = pRspField;
        entry.info = pRspInfo;
        mEntries.insert(mTotal, entry);
        ++mTotal;
        if (mTotal == kPageRows) {
            additem();
        } else if (mTotal > kPageRows) {
            mMoreButton->setEnabled(true);
        }
        mOrderSysIds.append(static_cast<int>(pRspField.OrderSysID));
    }

    if (!bIsLast) return;
    if (mTotal < kPageRows) additem();
    if (pRspField.MoreData != 0) {
        fillRequest(mNextRequest, pRspField.Position);
        if (sendRequest(mNextRequest) != 0) {
            sendFailedBox();
            // No answer will come for this query, so it is over.
            mSearchButton->setEnabled(true);
        }
    } else {
        mSearchButton->setEnabled(true);
    }
}

void OrderedWidget::additem() {
    const int first = mTable->rowCount();
    const int last = qMin(first + kPageRows, mTotal);
    if (last <= first) return;
    mTable->setUpdatesEnabled(false);
    mTable->setRowCount(last);
    OrderQueryEntry blank;
    std::memset(&blank, 0, sizeof blank);
    for (int row = first; row < last; ++row) {
        const auto it = mEntries.constFind(row);
        const CQetoRspQryOrderField &f = it != mEntries.constEnd() ? it->field : blank.field;
        qInfo() << "pRspField.OrderSysID" << f.OrderSysID;

        if (f.ErrorCode == 0) {
            auto *check = new QTableWidgetItem;
            check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            check->setCheckState(Qt::Unchecked);
            mTable->setItem(row, kCheckColumn, check);
        }
        const QStringList texts = cellTexts(f);
        for (int i = 0; i < texts.size(); ++i) mTable->setItem(row, i + 1, new QTableWidgetItem(texts.at(i)));
    }
    mTable->setUpdatesEnabled(true);
}

void OrderedWidget::slot_clickedClear() {
    mStartEdit->setTime(QTime(0, 0, 0, 0));
    mEndEdit->setTime(QTime(0, 0, 0, 0));
    mCodeEdit->clear();
    mOrderNoEdit->clear();
}

bool OrderedWidget::rowAccepted(int row) const {
    const QTableWidgetItem *code = mTable->item(row, kErrorCodeColumn);
    return code && code->text().toInt() == 0 && mTable->item(row, kCheckColumn);
}

void OrderedWidget::slot_HeadCheckBoxToggled(bool checked) {
    for (int row = 0; row < mTable->rowCount(); ++row) {
        if (!rowAccepted(row)) continue;
        mTable->item(row, kCheckColumn)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void OrderedWidget::slot_cancelOrderClicked() {
    int sent = 0;
    for (int row = 0; row < mTable->rowCount(); ++row) {
        if (!rowAccepted(row) || mTable->item(row, kCheckColumn)->checkState() != Qt::Checked) continue;
        ++sent;
        CQetoReqOrderActionField req;
        std::memset(&req, 0, sizeof req);
        req.UserLocalID = static_cast<int32_t>(++ApiClientUtils::mMaxUserLocalId);
        req.OrderSysID = static_cast<uint32_t>(mOrderSysIds.value(row, 0));
        req.ActionFlag = '1';
        const int requestId = ApiClientUtils::mRequestId++;
        reqCancelOrder(&req, ApiClientUtils::mOpaqueBlock, ApiClientUtils::mAccountSessionId, requestId,
                       ApiClientUtils::mEntryNo);
    }
    if (sent > 0) {
        cancelMode = sent == 1 ? 1 : 0;
    } else {
        QMessageBox::information(nullptr, QStringLiteral("信息"), QStringLiteral("请选择报单"));
    }
}

void OrderedWidget::slot_rspCancelOrder(CQetoRspOrderActionField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                                        bool bIsLast) {
    Q_UNUSED(pRspField)
    Q_UNUSED(nRequestID)
    Q_UNUSED(bIsLast)
    QString label;
    if (cancelMode == 1) {
        label = QStringLiteral("撤单");
    } else if (cancelMode == 0) {
        label = QStringLiteral("批量撤单");
    }
    if (pRspInfo.ErrorID != 0) {
        emit signalAnswerToNotice();
        const QString text = QStringLiteral("%1发送失败[%2]%3")
                                 .arg(label)
                                 .arg(pRspInfo.ErrorID)
                                 .arg(ErrorMsg::instance()->getErrorMsg(pRspInfo));
        AfterCancelOrder(text, false);
    } else {
        AfterCancelOrder(QStringLiteral("%1发送成功").arg(label), true);
    }
}

void OrderedWidget::AfterCancelOrder(const QString &text, bool ok) {
    if (cancelMode != 2) {
        // Set first: the later answers of a batch may arrive while the box is open.
        cancelMode = 2;
        if (ok) {
            QMessageBox::information(nullptr, QStringLiteral("成功"), text);
        } else {
            QMessageBox::critical(nullptr, QStringLiteral("错误"), text);
        }
        slot_clicked();
        if (auto *header = qobject_cast<MyHeaderView *>(mTable->horizontalHeader())) header->setUnchecked();
    }
    qInfo("%s", qUtf8Printable(text));
}

void OrderedWidget::exportAllToCsv() {
    OrderQueryEntry blank;
    std::memset(&blank, 0, sizeof blank);
    exportRecords(
        mEntries, mTotal, blank,
        [](const OrderQueryEntry &entry, RecordCells::CsvLines &line) { cells(entry.field, line); },
        QStringLiteral("正确"));
}

QAbstractButton *OrderedWidget::searchButton() const { return mSearchButton; }
