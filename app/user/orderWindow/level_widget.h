// Five-level quote panel: ask and bid levels, last, previous close and the price limits of
// the code typed in the order form, refreshed every second from the market-data client.
// Every price can be clicked to hand it to the order form.
#ifndef QETO_LEVEL_WIDGET_H
#define QETO_LEVEL_WIDGET_H

#include <QString>
#include <QWidget>

class MyClickLabel;
class MyLabel;
class QHBoxLayout;
class QTimer;
class QuotesTcpClient;

class LevelWidget : public QWidget {
    Q_OBJECT
public:
    explicit LevelWidget(QWidget *parent);
    ~LevelWidget() override;

    void setQuotesTcpClient(QuotesTcpClient *client);
    // The once-a-second refresh, running once a client is set.
    QTimer *refreshTimer() const { return mTimer; }

signals:
    void signal_sendPrice(QString price);

public slots:
    void slot_beginShowLevel(QString id);
    void slot_releaseData();

private:
    struct Level {
        MyLabel *caption = nullptr;
        MyClickLabel *price = nullptr;
        MyLabel *volume = nullptr;
    };
    struct Single {
        MyLabel *caption = nullptr;
        MyClickLabel *value = nullptr;
    };

    Level makeLevel(const QString &caption, const QString &name);
    Single makeSingle(const QString &caption, const QString &name);
    QHBoxLayout *levelRow(const Level &level);
    void showNothing();

    // Index 0 is level 1 on both sides.
    Level mAsk[5];
    Level mBid[5];
    Single mLast;
    Single mPreClose;
    Single mUpperLimit;
    Single mLowerLimit;
    QuotesTcpClient *mQuotesClient = nullptr;
    QTimer *mTimer = nullptr;
    QString mSecurityId;
};

#endif  // QETO_LEVEL_WIDGET_H
