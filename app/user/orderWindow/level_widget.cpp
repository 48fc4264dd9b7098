#include "user/orderWindow/level_widget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "basicControl/my_click_label.h"
#include "basicControl/my_label.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

namespace {

const QString kNone = QStringLiteral("-");

QString priceText(double value) { return QString::number(value, 'f', 3); }

QFrame *hLine(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

LevelWidget::LevelWidget(QWidget *parent) : QWidget(parent) {
    static const char *const kAskCaptions[5] = {"卖一", "卖二", "卖三", "卖四", "卖五"};
    static const char *const kBidCaptions[5] = {"买一", "买二", "买三", "买四", "买五"};
    // Built top to bottom, as the panel shows them.
    for (int i = 4; i >= 0; --i)
        mAsk[i] = makeLevel(QString::fromUtf8(kAskCaptions[i]), QStringLiteral("ask%1").arg(i + 1));
    for (int i = 0; i < 5; ++i)
        mBid[i] = makeLevel(QString::fromUtf8(kBidCaptions[i]), QStringLiteral("bid%1").arg(i + 1));
    mLast = makeSingle(QStringLiteral("最新"), QStringLiteral("last"));
    mPreClose = makeSingle(QStringLiteral("昨收"), QStringLiteral("preClose"));
    mUpperLimit = makeSingle(QStringLiteral("涨停"), QStringLiteral("upperLimit"));
    mLowerLimit = makeSingle(QStringLiteral("跌停"), QStringLiteral("lowerLimit"));

    auto *layout = new QVBoxLayout(this);
    for (int i = 4; i >= 0; --i) layout->addLayout(levelRow(mAsk[i]));
    layout->addWidget(hLine(this));
    for (int i = 0; i < 5; ++i) layout->addLayout(levelRow(mBid[i]));
    layout->addWidget(hLine(this));
    auto *lastRow = new QHBoxLayout;
    for (const Single &s : {mLast, mPreClose}) {
        lastRow->addWidget(s.caption);
        lastRow->addWidget(s.value);
    }
    layout->addLayout(lastRow);
    auto *limitRow = new QHBoxLayout;
    for (const Single &s : {mUpperLimit, mLowerLimit}) {
        limitRow->addWidget(s.caption);
        limitRow->addWidget(s.value);
    }
    layout->addLayout(limitRow);

    for (int i = 0; i < 5; ++i) {
        connect(mAsk[i].price, &MyClickLabel::signal_sendPrice, this, &LevelWidget::signal_sendPrice);
        connect(mBid[i].price, &MyClickLabel::signal_sendPrice, this, &LevelWidget::signal_sendPrice);
    }
    for (const Single &s : {mLast, mPreClose, mUpperLimit, mLowerLimit})
        connect(s.value, &MyClickLabel::signal_sendPrice, this, &LevelWidget::signal_sendPrice);
}

LevelWidget::~LevelWidget() { delete mTimer; }

LevelWidget::Level LevelWidget::makeLevel(const QString &caption, const QString &name) {
    Level level;
    level.caption = new MyLabel(caption, this);
    level.price = new MyClickLabel(kNone, this);
    level.price->setObjectName(name + QStringLiteral("Price"));
    level.volume = new MyLabel(kNone, this);
    level.volume->setObjectName(name + QStringLiteral("Volume"));
    return level;
}

LevelWidget::Single LevelWidget::makeSingle(const QString &caption, const QString &name) {
    Single single;
    single.caption = new MyLabel(caption, this);
    single.value = new MyClickLabel(kNone, this);
    single.value->setObjectName(name);
    return single;
}

QHBoxLayout *LevelWidget::levelRow(const Level &level) {
    auto *row = new QHBoxLayout;
    row->addWidget(level.caption);
    row->addWidget(level.price);
    row->addWidget(level.volume);
    return row;
}

void LevelWidget::setQuotesTcpClient(QuotesTcpClient *client) {
    mQuotesClient = client;
    if (mTimer) return;  // one timer for the panel's whole life
    mTimer = new QTimer;
    connect(mTimer, &QTimer::timeout, this, &LevelWidget::slot_releaseData);
    mTimer->start(1000);
}

void LevelWidget::slot_beginShowLevel(QString id) { mSecurityId = id; }

void LevelWidget::showNothing() {
    for (int i = 0; i < 5; ++i) {
        for (const Level &level : {mAsk[i], mBid[i]}) {
            level.price->setText(kNone);
            level.volume->setText(kNone);
        }
    }
    for (const Single &s : {mLast, mPreClose, mUpperLimit, mLowerLimit}) s.value->setText(kNone);
}

void LevelWidget::slot_releaseData() {
    if (mSecurityId.isEmpty()) {
        showNothing();
        return;
    }
    ClientSecurityMarketDataLevel1 rec{};
    if (mQuotesClient) rec = mQuotesClient->lookupQuote(mSecurityId);

    mLast.value->setText(priceText(rec.lastPrice));
    mPreClose.value->setText(priceText(rec.preClosePrice));
    mUpperLimit.value->setText(priceText(rec.upperLimitPrice));
    mLowerLimit.value->setText(priceText(rec.lowerLimitPrice));

    const auto showLevel = [](const Level &level, double price, quint64 volume) {
        if (price != 0) {
            level.price->setText(priceText(price));
            level.volume->setText(QString::number(volume));
        } else {
            level.price->setText(kNone);
            level.volume->setText(kNone);
        }
    };
    for (int i = 0; i < 5; ++i) showLevel(mBid[i], rec.bidPrice[i], rec.bidVolume[i]);
    for (int i = 0; i < 5; ++i) showLevel(mAsk[i], rec.askPrice[i], rec.askVolume[i]);
}
