#include "quotes_tcp_client.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <cstring>

#include "constants.h"
#include "utils/settings_value.h"

namespace {
// Readers see a fresh table at most this long after a record arrives; each publish writes every
// code's record once.
constexpr int kPublishGapMs = 50;
// Ids remembered beyond the codes: several raw ids can decode to one code.
constexpr int kMaxIds = 2 * QuotesTcpClient::kMaxQuoteCodes;
// Bytes taken from the socket per parse, so a large backlog never needs one huge buffer.
constexpr qint64 kReadChunk = 1 << 20;

// True when no reader holds a copy of table. The reference taken and dropped here is an
// atomic read-modify-write of the count the readers' releases wrote, so their last reads of
// the entries happen before whatever the caller writes into them next.
bool ownedAlone(const QMap<QString, ClientSecurityMarketDataLevel1> &table) {
    if (!table.isDetached()) return false;
    const QMap<QString, ClientSecurityMarketDataLevel1> probe = table;
    return true;
}
}  // namespace

QuotesTcpClient::QuotesTcpClient(QObject *parent)
    : QObject(parent), mSocket(new QTcpSocket(this)), mConnectLimit(new QTimer(this)), mPublishTimer(new QTimer(this)) {
    mConnectLimit->setSingleShot(true);
    connect(mConnectLimit, &QTimer::timeout, this, &QuotesTcpClient::onConnectAttemptEnded);
    connect(mSocket, &QAbstractSocket::connected, this, &QuotesTcpClient::onConnectAttemptEnded);
    connect(mSocket, &QAbstractSocket::errorOccurred, this, &QuotesTcpClient::onConnectAttemptEnded);
    // Address space only: pages are touched as codes arrive, and a growing table is never copied.
    mSlots.reserve(kMaxQuoteCodes);
    mPublishTimer->setSingleShot(true);
    connect(mPublishTimer, &QTimer::timeout, this, [this] {
        if (mDirty) publish();
    });
    readConfig();
}

QuotesTcpClient::~QuotesTcpClient() { delete mReconnectTimer; }

void QuotesTcpClient::readConfig() {
    const QString path = QCoreApplication::applicationDirPath() + kSettingsFile;
    if (!QFileInfo(path).isFile()) {
        qWarning("%s", qUtf8Printable(QStringLiteral("can not found qeto_desk_config.ini file ") + path));
        return;
    }
    QSettings settings(path, QSettings::IniFormat);
    mSwitch = settingsValue(settings, QStringLiteral("/MD/switch")).toInt();
    mPrintMD = settingsValue(settings, QStringLiteral("/MD/printMD")).toInt();
    mIp = settingsValue(settings, QStringLiteral("/MD/ip")).toString();
    mPort = settingsValue(settings, QStringLiteral("/MD/port")).toInt();
    qInfo("%s",
          qUtf8Printable(QStringLiteral("ini mSwitch is [%1], mPrintMD is [%2], ip is[%3], port is[%4]")
                             .arg(QString::number(mSwitch), QString::number(mPrintMD), mIp, QString::number(mPort))));
}

void QuotesTcpClient::setTimingForTest(int connectWaitMs, int reconnectIntervalMs) {
    mConnectWait = connectWaitMs;
    mReconnectInterval = reconnectIntervalMs;
}

void QuotesTcpClient::slot_start() {
    if (mSwitch == 0 || mReconnectTimer) return;
    initTcpConnect();
    mReconnectTimer = new QTimer();
    mReconnectTimer->setInterval(mReconnectInterval);
    connect(mReconnectTimer, &QTimer::timeout, this, &QuotesTcpClient::slot_reConnect);
    mReconnectTimer->start();
}

void QuotesTcpClient::initTcpConnect() {
    // A new connection is a new stream: nothing of the old one may be glued to it.
    if (mSocket->state() != QAbstractSocket::UnconnectedState) mSocket->abort();
    mPending.clear();

    // The attempt runs on this thread's event loop rather than in waitForConnected, so that
    // stopping the thread (the workspace going away) never waits out a 30-second attempt.
    // One attempt at a time; it ends on success, on a socket error or at the time limit.
    mConnecting = true;
    mConnectLimit->start(mConnectWait);
    mSocket->connectToHost(mIp, static_cast<quint16>(mPort), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void QuotesTcpClient::onConnectAttemptEnded() {
    if (!mConnecting) return;
    mConnecting = false;
    mConnectLimit->stop();
    mConnected = mSocket->state() == QAbstractSocket::ConnectedState;
    if (!mConnected) {
        mSocket->abort();
        qWarning("tcp connect error");
        return;
    }
    qInfo("connect success");
    connect(mSocket, &QTcpSocket::readyRead, this, &QuotesTcpClient::slot_read, Qt::UniqueConnection);
    connect(mSocket, &QTcpSocket::disconnected, this, &QuotesTcpClient::slot_disconnect, Qt::UniqueConnection);
    // Frames that came with the connection itself would otherwise wait for the next ones.
    if (mSocket->bytesAvailable() > 0) slot_read();
}

void QuotesTcpClient::slot_reConnect() {
    if (!mConnected && !mConnecting) initTcpConnect();
}

void QuotesTcpClient::slot_disconnect() {
    qInfo("quotes tcp client disconnect!");
    // Frames that arrived just before the close are still worth keeping.
    if (mSocket->bytesAvailable() > 0) slot_read();
    disconnect(mSocket, &QTcpSocket::readyRead, this, &QuotesTcpClient::slot_read);
    disconnect(mSocket, &QTcpSocket::disconnected, this, &QuotesTcpClient::slot_disconnect);
    mConnected = false;
    mPending.clear();
}

void QuotesTcpClient::slot_read() {
    do {
        const qint64 want = qMin(mSocket->bytesAvailable(), kReadChunk);
        if (want > 0) {
            const int old = mPending.size();
            mPending.resize(old + static_cast<int>(want));
            qint64 got = mSocket->read(mPending.data() + old, want);
            if (got < 0) {
                qInfo("read lenth is 0");
                got = 0;
            }
            mPending.resize(old + static_cast<int>(got));
            mBytesReceived.fetchAndAddRelaxed(got);
            if (got == 0) break;
        }

        // Each record goes straight into its code's slot; one of a code the full table refuses
        // is still read (and printed), into a spare record.
        struct Store {
            QuotesTcpClient &client;
            ClientSecurityMarketDataLevel1 refused;
            qint64 stored = 0, refusedCount = 0;
            ClientSecurityMarketDataLevel1 &into(const char *bytes) {
                const int slot = client.slotOf(bytes);
                if (slot < 0) return ++refusedCount, refused;
                ++stored;
                return client.mSlots[std::size_t(slot)];
            }
            void filled(const ClientSecurityMarketDataLevel1 &rec) {
                if (client.mPrintMD != 0) client.printMdInfo(rec);
            }
        } store{*this, {}};
        const int used = mParser.parse(mPending.constData(), mPending.size(), store);
        mPending.remove(0, used);
        mHeadersSkipped.storeRelaxed(mParser.headersSkipped());
        mFramesStored.fetchAndAddRelaxed(store.stored);
        if (store.refusedCount > 0) mFramesRefused.fetchAndAddRelaxed(store.refusedCount);
        if (store.stored > 0) schedulePublish();
    } while (mSocket->bytesAvailable() > 0);
}

void QuotesTcpClient::schedulePublish() {
    mDirty = true;
    if (!mSincePublish.isValid() || mSincePublish.elapsed() >= kPublishGapMs) {
        publish();
        return;
    }
    if (!mPublishTimer->isActive()) mPublishTimer->start(kPublishGapMs - static_cast<int>(mSincePublish.elapsed()));
}

int QuotesTcpClient::slotOf(const char *record) {
    const char *securityId = record + offsetof(ClientSecurityMarketDataLevel1, securityId);
    const MdFrameParser::IdKey id = MdFrameParser::idKey(securityId);
    if (mSlotById.empty()) growIdIndex();
    const std::size_t mask = mSlotById.size() - 1;
    std::size_t i = MdFrameParser::IdHash()(id) & mask;
    for (; mSlotById[i].slot >= 0; i = (i + 1) & mask) {
        if (mSlotById[i].id == id) return mSlotById[i].slot;
    }

    // Different raw ids can decode to the same code; they share its slot.
    const QString code = MdFrameParser::securityKey(securityId);
    auto c = mSlotByCode.constFind(code);
    int slot;
    if (c != mSlotByCode.constEnd()) {
        slot = c.value();
    } else if (mSlots.size() < std::size_t(kMaxQuoteCodes)) {
        slot = static_cast<int>(mSlots.size());
        mSlots.emplace_back();
        mSlotByCode.insert(code, slot);
    } else {
        if (!mFullWarned) {
            mFullWarned = true;
            // Once per client: a flood of new codes must not flood the log too. The code itself
            // is left out, it is whatever bytes the server sent.
            qWarning("%s", qUtf8Printable(QStringLiteral("quote table full at %1 codes, records of further codes "
                                                         "are not stored")
                                              .arg(kMaxQuoteCodes)));
        }
        return -1;
    }
    // Past the bound the ids are looked up by their code, more slowly but without growing.
    if (mIdCount >= kMaxIds) return slot;
    mSlotById[i] = IdEntry{id, slot};
    if (++mIdCount * 2 > static_cast<int>(mSlotById.size())) growIdIndex();
    return slot;
}

void QuotesTcpClient::growIdIndex() {
    std::vector<IdEntry> old;
    old.swap(mSlotById);
    mSlotById.assign(old.empty() ? 1024 : old.size() * 2, IdEntry{{0, 0}, -1});
    const std::size_t mask = mSlotById.size() - 1;
    for (const IdEntry &e : old) {
        if (e.slot < 0) continue;
        std::size_t i = MdFrameParser::IdHash()(e.id) & mask;
        while (mSlotById[i].slot >= 0) i = (i + 1) & mask;
        mSlotById[i] = e;
    }
}

void QuotesTcpClient::publish() {
    // The table the readers gave up at the last swap is brought up to date in place, walked in
    // code order beside the codes (a code it lacks goes in before the entry that follows it),
    // unless a reader still holds a copy of it: then a new one is built.
    if (!ownedAlone(mBackTable)) mBackTable = QuoteMap();
    auto entry = mBackTable.begin();
    for (auto it = mSlotByCode.cbegin(); it != mSlotByCode.cend(); ++it, ++entry) {
        const ClientSecurityMarketDataLevel1 &rec = mSlots[std::size_t(it.value())];
        if (entry != mBackTable.end() && entry.key() == it.key())
            *entry = rec;
        else
            entry = mBackTable.insert(entry, it.key(), rec);
    }
    {
        std::lock_guard<std::mutex> lock(mQuoteTableLock);
        mQuoteTable.swap(mBackTable);
    }
    mDirty = false;
    mSincePublish.restart();
}

ClientSecurityMarketDataLevel1 QuotesTcpClient::lookupQuote(QString code) const {
    ClientSecurityMarketDataLevel1 rec;
    {
        std::lock_guard<std::mutex> lock(mQuoteTableLock);
        auto it = mQuoteTable.constFind(code);
        if (it != mQuoteTable.constEnd()) return *it;
    }
    std::memset(&rec, 0, sizeof rec);
    return rec;
}

QMap<QString, ClientSecurityMarketDataLevel1> QuotesTcpClient::quoteTable() const {
    std::lock_guard<std::mutex> lock(mQuoteTableLock);
    return mQuoteTable;
}

void QuotesTcpClient::printMdInfo(const ClientSecurityMarketDataLevel1 &rec) {
    if (mPrintMD == 0) return;
    QString line;
    QTextStream s(&line);
    // Every element is followed by one space. Values are taken by copy: the record is packed.
    auto put = [&s](auto v) { s << v << ' '; };
    put(QStringLiteral("更新时间:"));
    put(rec.updateTime);
    put(QStringLiteral(", 证券代码:"));
    put(QString::fromUtf8(MdFrameParser::fieldText(rec.securityId, sizeof rec.securityId)));
    put(QStringLiteral(", 证券名称:"));
    put(QString::fromUtf8(MdFrameParser::fieldText(rec.securityName, sizeof rec.securityName)));
    put(QStringLiteral(", 最新:"));
    put(rec.lastPrice);
    put(QStringLiteral(", 开盘:"));
    put(rec.openPrice);
    put(QStringLiteral(", 最高:"));
    put(rec.highPrice);
    put(QStringLiteral(", 最低:"));
    put(rec.lowPrice);
    put(QStringLiteral(", 涨停:"));
    put(rec.upperLimitPrice);
    put(QStringLiteral(", 跌停:"));
    put(rec.lowerLimitPrice);
    put(QStringLiteral(", 昨收:"));
    put(rec.preClosePrice);
    put(QStringLiteral(", 成交总数: "));
    put(rec.totalVolume);
    put(QStringLiteral(", 成交总金额: "));
    put(rec.totalAmount);
    static const char *const bidLabels[5] = {", :买一", ", :买二", ", :买三", ", :买四", ", :买五"};
    static const char *const askLabels[5] = {", :卖一", ", :卖二", ", :卖三", ", :卖四", ", :卖五"};
    for (int i = 0; i < 5; ++i) {
        put(QString::fromUtf8(bidLabels[i]));
        put(rec.bidPrice[i]);
        put(' ');
        put(rec.bidVolume[i]);
    }
    for (int i = 0; i < 5; ++i) {
        put(QString::fromUtf8(askLabels[i]));
        put(rec.askPrice[i]);
        put(' ');
        put(rec.askVolume[i]);
    }
    s.flush();
    qInfo("%s", qUtf8Printable(line));
}
