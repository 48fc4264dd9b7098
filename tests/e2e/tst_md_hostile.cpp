// A market-data server that misbehaves, written here, feeding the real client on the thread
// the windows manager gives it, with the quote list refreshing on the GUI thread. Per row: the
// client still stores the valid frames sent after the misbehaviour, the GUI thread keeps its
// timer going, and resident memory grows less than the row's bound. Figures go to the log.
#include <malloc.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextCodec>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "basicControl/base_table_widget.h"
#include "config_files.h"
#include "constants.h"
#include "md_test_frames.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

using namespace mdtest;

namespace {

constexpr int kTailCodes = 100;
constexpr double kTailPrice = 77;

std::mutex gLogLock;
QStringList gWarnings;
QtMessageHandler gPrevious = nullptr;

// Warnings are kept for counting; the rest goes to the test log.
void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &msg) {
    if (type != QtWarningMsg) {
        gPrevious(type, context, msg);
        return;
    }
    std::lock_guard<std::mutex> lock(gLogLock);
    gWarnings << msg;
}

qint64 residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

QByteArray tailCode(int i) { return QByteArray::number(700000 + i); }

// The bytes of one row: a prologue of valid frames, the misbehaviour in pieces of about 1 MB,
// then the same codes again with the tail price.
class Stream {
public:
    using Body = std::function<bool(QByteArray &piece)>;  // false once the body is over
    explicit Stream(Body body) : mBody(std::move(body)) {}
    bool next(QByteArray &piece) {
        piece.clear();
        switch (mPhase) {
            case 0:
                for (int i = 0; i < kTailCodes; ++i) piece += frameOf(tailCode(i), 1);
                mPhase = 1;
                return true;
            case 1:
                if (mBody(piece)) return true;
                mPhase = 2;
                Q_FALLTHROUGH();
            case 2:
                for (int i = 0; i < kTailCodes; ++i) piece += frameOf(tailCode(i), kTailPrice);
                mPhase = 3;
                return true;
            default:
                return false;
        }
    }

private:
    Body mBody;
    int mPhase = 0;
};

// The server: accepts the client's connection and writes the stream as fast as the socket
// takes it, for at most timeLimitMs, then holds the connection until told to let go.
class Server : public QThread {
public:
    Server(Stream::Body body, int timeLimitMs) : mStream(std::move(body)), mTimeLimitMs(timeLimitMs) {}
    ~Server() override {
        mRelease.release();
        wait();
    }
    quint16 listen() {
        start();
        mListening.acquire();
        return mPort;
    }
    qint64 sent() const { return mSent.load(); }
    bool done() const { return mDone.load(); }

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        mPort = server.serverPort();
        mListening.release();
        if (!server.waitForNewConnection(30000)) {
            mDone = true;
            return;
        }
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
        QElapsedTimer t;
        t.start();
        QByteArray piece;
        while (t.elapsed() < mTimeLimitMs && peer->state() == QAbstractSocket::ConnectedState && mStream.next(piece)) {
            peer->write(piece);
            mSent += piece.size();
            while (peer->bytesToWrite() > (4 << 20) && peer->state() == QAbstractSocket::ConnectedState)
                peer->waitForBytesWritten(1000);
        }
        // Whatever the time limit cut short, the tail still goes out.
        while (mStream.next(piece)) {
            peer->write(piece);
            mSent += piece.size();
        }
        while (peer->bytesToWrite() > 0 && peer->state() == QAbstractSocket::ConnectedState)
            peer->waitForBytesWritten(1000);
        mDone = true;
        mRelease.tryAcquire(1, 300000);
    }

private:
    Stream mStream;
    int mTimeLimitMs;
    quint16 mPort = 0;
    QSemaphore mListening;
    QSemaphore mRelease;
    std::atomic<qint64> mSent{0};
    std::atomic<bool> mDone{false};
};

// Frames of count codes, rounds times over, from code first on; name given per frame.
Stream::Body codes(qint64 first, int count, int rounds, std::function<QByteArray(int)> name = {}) {
    auto at = std::make_shared<qint64>(0);
    return [=](QByteArray &piece) {
        const qint64 total = qint64(count) * rounds;
        if (*at >= total) return false;
        for (int n = 0; n < 4096 && *at < total; ++n, ++*at) {
            const int i = int(*at % count);
            Record r = makeRecord(QByteArray::number(first + i), 10 + double(*at / count));
            if (name) {
                const QByteArray raw = name(i);
                std::memcpy(r.securityName, raw.constData(), qMin<size_t>(raw.size(), sizeof r.securityName));
            }
            piece += frame(r);
        }
        return true;
    };
}

}  // namespace

class TstMdHostile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void hostileServer_data();
    void hostileServer();

private:
    QTextCodec *mSavedCodec = nullptr;
};

void TstMdHostile::initTestCase() {
    mSavedCodec = QTextCodec::codecForLocale();
    gPrevious = qInstallMessageHandler(captureLog);
}

void TstMdHostile::cleanupTestCase() {
    qInstallMessageHandler(gPrevious);
    QTextCodec::setCodecForLocale(mSavedCodec);
    QFile::remove(QCoreApplication::applicationDirPath() + kSettingsFile);
}

void TstMdHostile::hostileServer_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("localCodec");
    QTest::addColumn<int>("tableSize");   // codes stored at the end
    QTest::addColumn<qint64>("refused");  // frames refused for a full table
    QTest::addColumn<int>("rssBoundMb");  // measured growth, with room for noise

    enum { Random, NoNul, BadNames, Many, Flood };
    QTest::newRow("random bytes at full speed") << int(Random) << QByteArray("UTF-8") << kTailCodes << qint64(0) << 40;
    QTest::newRow("codes without a NUL") << int(NoNul) << QByteArray("UTF-8") << kTailCodes + 20000 << qint64(0) << 60;
    QTest::newRow("names not UTF-8") << int(BadNames) << QByteArray("UTF-8") << kTailCodes + 200 << qint64(0) << 40;
    QTest::newRow("names not GBK") << int(BadNames) << QByteArray("GBK") << kTailCodes + 200 << qint64(0) << 40;
    QTest::newRow("50,000 distinct codes")
        << int(Many) << QByteArray("UTF-8") << kTailCodes + 50000 << qint64(0) << 120;
    QTest::newRow("flood of new codes past the bound")
        << int(Flood) << QByteArray("UTF-8") << QuotesTcpClient::kMaxQuoteCodes
        << qint64(600000 + kTailCodes - QuotesTcpClient::kMaxQuoteCodes) << 250;
}

void TstMdHostile::hostileServer() {
    QFETCH(int, kind);
    QFETCH(QByteArray, localCodec);
    QFETCH(int, tableSize);
    QFETCH(qint64, refused);
    QFETCH(int, rssBoundMb);
    enum { Random, NoNul, BadNames, Many, Flood };

    QTextCodec::setCodecForLocale(QTextCodec::codecForName(localCodec));
    {
        std::lock_guard<std::mutex> lock(gLogLock);
        gWarnings.clear();
    }

    Stream::Body body;
    int timeLimitMs = 150000;
    if (kind == Random) {
        // Whole words, none of them the frame mark, so the frames after it stay in step.
        auto rng = std::make_shared<QRandomGenerator>(8);
        auto pieces = std::make_shared<int>(0);
        body = [rng, pieces](QByteArray &piece) {
            if (++*pieces > 256) return false;
            piece.resize(1 << 20);
            auto *words = reinterpret_cast<quint32 *>(piece.data());
            rng->fillRange(words, piece.size() / 4);
            for (int i = 0; i < piece.size() / 4; ++i)
                if (words[i] == quint32(kMdFrameMark)) words[i] = 0;
            return true;
        };
        timeLimitMs = 4000;
    } else if (kind == NoNul) {
        body = codes(100000000, 20000, 2);  // nine digits fill the field
    } else if (kind == BadNames) {
        // Bytes 0x80 to 0xFF at random: lone UTF-8 continuation bytes, GBK lead bytes without
        // their trail byte, 0xFF which neither has.
        auto rng = std::make_shared<QRandomGenerator>(9);
        body = codes(300000, 200, 100, [rng](int) {
            QByteArray raw(29, '\0');
            for (char &c : raw) c = char(0x80 + rng->bounded(0x80));
            return raw;
        });
    } else if (kind == Many) {
        body = codes(100000, 50000, 4);
    } else {
        body = codes(100000000, 600000, 1);
    }

    Server server(std::move(body), timeLimitMs);
    const quint16 port = server.listen();
    QVERIFY(port != 0);
    QVERIFY(cfgtest::writeBesideApp(
        kSettingsFile, QStringLiteral("[MD]\nswitch=1\nprintMD=0\nip=127.0.0.1\nport=%1\n").arg(port).toUtf8()));

    // Memory freed by earlier rows would otherwise be reused unseen.
    malloc_trim(0);
    const qint64 rssBefore = residentKb();
    qint64 rssPeak = rssBefore;
    qint64 maxGapMs = 0;
    int ticks = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer heartbeat;
    heartbeat.setInterval(10);
    connect(&heartbeat, &QTimer::timeout, [&] {
        maxGapMs = qMax(maxGapMs, sinceTick.restart());
        if (++ticks % 5 == 0) rssPeak = qMax(rssPeak, residentKb());
    });
    heartbeat.start();

    QElapsedTimer wall;
    wall.start();
    {
        QueryWindowsManager manager(nullptr);
        StockQuotesWidget list(nullptr);
        list.setQuotesTcpClient(manager.quotesClient());
        manager.start();
        QuotesTcpClient *client = manager.quotesClient();

        // Hang guard only: the rows take seconds.
        QTRY_VERIFY_WITH_TIMEOUT(server.done(), 200000);
        QTRY_COMPARE_WITH_TIMEOUT(client->bytesReceived(), server.sent(), 60000);
        for (int i = 0; i < kTailCodes; ++i) {
            QTRY_COMPARE(client->lookupQuote(QString::fromLatin1(tailCode(i))).lastPrice, kTailPrice);
            QVERIFY(consistent(client->lookupQuote(QString::fromLatin1(tailCode(i)))));
        }
        const auto table = client->quoteTable();
        QCOMPARE(table.size(), tableSize);
        QCOMPARE(client->framesRefused(), refused);
        for (auto it = table.cbegin(); it != table.cend(); ++it) {
            const QByteArray name(it->securityName, int(qstrnlen(it->securityName, sizeof it->securityName)));
            QVERIFY(name.size() < int(sizeof it->securityName));
            QCOMPARE(QString::fromUtf8(name).toUtf8(), name);  // valid UTF-8, whatever came in
            QCOMPARE(it.key().toLatin1(), QByteArray(it->securityId, int(qstrnlen(it->securityId, 9))));
        }
        if (kind == NoNul) QCOMPARE(table.firstKey().size(), 9);
        if (kind == Random) QVERIFY(client->headersSkipped() > 0);
        // One line for the whole flood, not one per frame.
        int full = 0;
        {
            std::lock_guard<std::mutex> lock(gLogLock);
            for (const QString &w : gWarnings) full += w.startsWith(QLatin1String("quote table full"));
        }
        QCOMPARE(full, refused > 0 ? 1 : 0);

        rssPeak = qMax(rssPeak, residentKb());
        // The list's refresh has run on what the client published.
        QTRY_COMPARE(list.table()->rowCount(), qMin(tableSize, StockQuotesWidget::kMaxRows));
        qInfo(
            "%s: %.1f MB in %lld ms, %lld frames stored, %lld refused, %lld headers skipped; GUI timer max gap "
            "%lld ms over %d ticks; VmRSS %lld -> peak %lld KB, growth %.1f MB (bound %d MB)",
            QTest::currentDataTag(), server.sent() / 1e6, static_cast<long long>(wall.elapsed()),
            static_cast<long long>(client->framesStored()), static_cast<long long>(client->framesRefused()),
            static_cast<long long>(client->headersSkipped()), static_cast<long long>(maxGapMs), ticks,
            static_cast<long long>(rssBefore), static_cast<long long>(rssPeak), (rssPeak - rssBefore) / 1024.0,
            rssBoundMb);
    }
    QVERIFY2(maxGapMs < 10000, "GUI thread stalled");
    QVERIFY((rssPeak - rssBefore) / 1024 < rssBoundMb);
}

QTEST_MAIN(TstMdHostile)
#include "tst_md_hostile.moc"
