// Position tab: the account's holdings, 20 rows a page, each row with a button that hands its
// code to the order entry form.
#ifndef QETO_POSITION_WIDGET_H
#define QETO_POSITION_WIDGET_H

#include <QMap>
#include <QStringList>

#include "qeto_gate_api.h"
#include "user/queryWindow/query_window.h"

class MyLineEdit;
class MyPushButton;

class PositionWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit PositionWidget(QWidget *parent);
    ~PositionWidget() override;

    // Texts of columns 0-6 for one record; the table and the full export share them.
    static QStringList recordTexts(const CQetoRspQryStockPositionField &record);
    template <class Cells>
    static void cells(const CQetoRspQryStockPositionField &record, Cells &out);

    static constexpr int kPageRows = 20;

    QAbstractButton *searchButton() const override;

public slots:
    void slot_rspQryPosition(CQetoRspQryStockPositionField pRspField, CQetoRspInfo pRspInfo, int nRequestID,
                             bool bIsLast);
    void slot_check();
    void slot_clickOrder();
    void slot_clickedClear();
    void slot_clickMore();
    void exportAllToCsv() override;

private:
    friend class TestPositionWidget;

    void addPage();
    void orderRow(int row);

    MyLineEdit *mCodeEdit = nullptr;
    MyPushButton *mSearchButton = nullptr;
    MyPushButton *mMoreButton = nullptr;
    MyPushButton *mClearButton = nullptr;
    MyPushButton *mExportButton = nullptr;
    MyPushButton *mExportAllButton = nullptr;
    int mTotal = 0;
    QMap<QObject *, int> mRowButtons;
    QMap<int, CQetoRspQryStockPositionField> mRecords;
    CQetoReqQryStockPositionField mRequest{};
};

#endif  // QETO_POSITION_WIDGET_H
