// Live quote list of the workspace: one row per code the market-data server has sent, in code
// order, refreshed every second, each row with a button that opens the order window on its code.
#ifndef QETO_STOCK_QUOTES_WIDGET_H
#define QETO_STOCK_QUOTES_WIDGET_H

#include <QMap>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "qeto_md_level1.h"
#include "user/queryWindow/query_window.h"

class MyLineEdit;
class MyPushButton;
class QTimer;
class QuotesTcpClient;

class StockQuotesWidget : public QueryWindow {
    Q_OBJECT
public:
    explicit StockQuotesWidget(QWidget *parent);
    ~StockQuotesWidget() override;

    void setQuotesTcpClient(QuotesTcpClient *client);
    // The once-a-second refresh, running once a client is set.
    QTimer *refreshTimer() const { return mRefreshTimer.get(); }

    // One refresh from a given table; slot_releaseData feeds it the client's table.
    void showQuotes(const QMap<QString, ClientSecurityMarketDataLevel1> &table);

    // QString::number(value, 'f', 3), faster for the prices a quote carries.
    static QString priceText(double value);

    static constexpr int kMaxRows = 4096;
    static constexpr int kButtonColumn = 9;

    QAbstractButton *searchButton() const override;

public slots:
    void slot_checkClicked();
    void slot_clearClicked();
    void slot_clickOrder();
    void slot_releaseData();

private:
    static constexpr int kPriceColumns = 7;
    static constexpr int kItemColumns = 9;

    // The record fields a row shows. Cells format their text from it when asked, so a refresh
    // only copies records and the repaint formats just the cells on screen.
    struct ShownRow {
        QString code;
        std::array<double, kPriceColumns> prices{};
        std::array<char, sizeof(ClientSecurityMarketDataLevel1::securityName)> name{};
    };
    using ShownRows = std::vector<ShownRow>;
    class Cell;

    static QString cellText(const ShownRow &row, int column);
    void putOrderButton(int row);
    void orderRow(int row);
    // Order buttons are owed to rows whose code changed and are put when the row comes on
    // screen: a button widget costs tens of kilobytes, and most of 4,096 rows are never seen.
    void putVisibleButtons();
    bool eventFilter(QObject *watched, QEvent *event) override;

    MyLineEdit *mSearchEdit = nullptr;
    MyPushButton *mClearButton = nullptr;
    MyPushButton *mSearchButton = nullptr;
    int mShowRows = 0;
    std::unique_ptr<QMap<QString, int>> mCodeRows;
    QMap<QObject *, int> mButtonRows;
    std::unique_ptr<QTimer> mRefreshTimer;
    QuotesTcpClient *mQuoteClient = nullptr;
    // Shared with the cells, which the table owns and may outlive this object's members.
    std::shared_ptr<ShownRows> mShownRows;
    std::vector<char> mButtonDue;  // per row: a new order button is owed
    int mButtonsDue = 0;
};

#endif  // QETO_STOCK_QUOTES_WIDGET_H
