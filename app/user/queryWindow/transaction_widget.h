// Trade tab: the account's trades with code, order number and time filters, 10000 rows a
// page, follow-up requests while the counter reports more.
#ifndef QETO_TRANSACTION_WIDGET_H
#define QETO_TRANSACTION_WIDGET_H

#include <QMap>
#include <QStringList>
#include <cstdint>

#include "qeto_gate_api.h"
#include "user/queryWindow/query_window.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;
class MyTimeEdit;

class TransactionWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit TransactionWidget(QWidget *parent);
    ~TransactionWidget() override;

    // Texts of the 7 columns for one record; the table and the full export share them.
    static QStringList recordTexts(const CQetoRspQryTradeField &record);
    template <class Cells>
    static void cells(const CQetoRspQryTradeField &record, Cells &out);

    static constexpr int kPageRows = 10000;

    QAbstractButton *searchButton() const override;

public slots:
    void slot_click();
    void slot_rspQryTrade(CQetoRspQryTradeField pRspField, CQetoRspInfo pRspInfo, int nRequestID, bool bIsLast);
    void slot_clickedClear();
    void slot_moreInfClicked();
    void exportAllToCsv() override;

private:
    friend class TestTransactionWidget;

    void fillRequest(CQetoReqQryTradeField &request, int32_t position) const;
    void addPage();

    MyLineEdit *mCodeEdit = nullptr;
    MyLabel *mOrderNoLabel = nullptr;
    MyLineEdit *mOrderNoEdit = nullptr;
    MyLabel *mStartLabel = nullptr;
    MyTimeEdit *mStartEdit = nullptr;
    MyLabel *mEndLabel = nullptr;
    MyTimeEdit *mEndEdit = nullptr;
    MyPushButton *mClearButton = nullptr;
    MyPushButton *mQueryButton = nullptr;
    MyPushButton *mMoreButton = nullptr;
    MyPushButton *mExportButton = nullptr;
    MyPushButton *mExportAllButton = nullptr;
    CQetoReqQryTradeField mRequest{};
    CQetoReqQryTradeField mFollowUpRequest{};
    QString mCodeFilter;
    uint32_t mOrderNoFilter = 0;
    QString mStartText;
    QString mEndText;
    int mTotal = 0;
    QMap<int, CQetoRspQryTradeField> mRecords;
};

#endif  // QETO_TRANSACTION_WIDGET_H
