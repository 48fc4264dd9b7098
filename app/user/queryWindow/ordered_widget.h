// Order table: queries the account's orders page by page, keeps every answer for the full
// export, and cancels the ticked orders.
#ifndef QETO_ORDERED_WIDGET_H
#define QETO_ORDERED_WIDGET_H

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "qeto_gate_api.h"
#include "user/queryWindow/query_window.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class MyTimeEdit;

// One answer as received: the order record followed by its response info.
#pragma pack(push, 1)
struct OrderQueryEntry {
    CQetoRspQryOrderField field;
    CQetoRspInfo info;
};
#pragma pack(pop)
static_assert(sizeof(OrderQueryEntry) == 357, "order entry is the record and its response info");

class OrderedWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit OrderedWidget(QWidget *parent);
    ~OrderedWidget() override;

    // Shows the next page of stored records.
    void additem();
    void AfterCancelOrder(const QString &text, bool ok);

    // Cell texts of columns 1-15 for one record; the full export writes the same texts.
    static QStringList cellTexts(const CQetoRspQryOrderField &field);
    template <class Cells>
    static void cells(const CQetoRspQryOrderField &field, Cells &out);

    static constexpr int kPageRows = 10000;

    QAbstractButton *searchButton() const override;

signals:
    // A cancel the counter refused: worth the user's eye (ReturnAlert).
    void signalAnswerToNotice();

public slots:
    void slot_clicked();
    void slot_moreInfClicked();
    void slot_rspQryOrder(CQetoRspQryOrderField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slot_cancelOrderClicked();
    // The header's check box: ticks or unticks every row that can be cancelled.
    void slot_HeadCheckBoxToggled(bool checked);
    void slot_rspCancelOrder(CQetoRspOrderActionField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slot_clickedClear();
    void exportAllToCsv() override;

private:
    // Zeroed request from the filters of the last search, starting at `position`.
    void fillRequest(CQetoReqQryOrderField &req, int position) const;
    int sendRequest(CQetoReqQryOrderField &req);
    // Whether the row's error code cell reads 0, i.e. the order can be cancelled.
    bool rowAccepted(int row) const;

    MyLineEdit *mCodeEdit = nullptr;
    MyPushButton *mCancelButton = nullptr;
    MyLabel *mOrderNoLabel = nullptr;
    MyLineEdit *mOrderNoEdit = nullptr;
    MyLabel *mStartLabel = nullptr;
    MyTimeEdit *mStartEdit = nullptr;
    MyLabel *mEndLabel = nullptr;
    MyTimeEdit *mEndEdit = nullptr;
    MyPushButton *mClearButton = nullptr;
    MyPushButton *mSearchButton = nullptr;
    MyPushButton *mMoreButton = nullptr;
    MyPushButton *mExportButton = nullptr;
    MyPushButton *mExportAllButton = nullptr;
    CQetoReqQryOrderField mNextRequest;
    QString mCode;
    uint32_t mOrderNo = 0;
    QString mStartTime;
    QString mEndTime;
    int mTotal = 0;
    int cancelMode = 2;
    QList<int> mOrderSysIds;
    QMap<int, OrderQueryEntry> mEntries;
};

#endif  // QETO_ORDERED_WIDGET_H
