// QuotesTcpClient over real sockets, on its own thread as the windows manager runs it.
#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextCodec>
#include <QThread>
#include <QtTest>
#include <memory>
#include <mutex>
#include <vector>

#include "config_files.h"
#include "log_capture.h"
#include "md_test_frames.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

using namespace mdtest;

namespace {

std::unique_ptr<LogCapture> gCapture;

// Every log line, from whichever thread, as "I text" / "W text".
QStringList logLines() {
    QStringList out;
    for (const LogCapture::Line &l : gCapture->lines())
        out << (l.type == QtWarningMsg ? QStringLiteral("W ")
                : l.type == QtInfoMsg  ? QStringLiteral("I ")
                                       : QStringLiteral("D ")) +
                   l.text;
    return out;
}

int countLog(const QString &line) { return logLines().count(line); }

int countLogStarting(const QString &prefix) {
    int n = 0;
    for (const QString &l : logLines()) n += l.startsWith(prefix);
    return n;
}

QString settingsPath() { return cfgtest::configPath("qeto_desk_config.ini"); }

void writeSettings(int sw, int printMd, quint16 port) {
    QVERIFY(cfgtest::writeConfig(
        "qeto_desk_config.ini",
        QStringLiteral("[TRADE]\noperway=7\n\n[MD]\nswitch=%1\nprintMD=%2\nip=127.0.0.1\nport=%3\n")
            .arg(sw)
            .arg(printMd)
            .arg(port)
            .toUtf8()));
}

// The client on a worker thread, started and torn down the way the windows manager does it.
struct ClientThread {
    QThread thread;
    QuotesTcpClient *client;

    explicit ClientThread(int connectWaitMs = 3000, int reconnectMs = 100) : client(new QuotesTcpClient(nullptr)) {
        client->setTimingForTest(connectWaitMs, reconnectMs);
        QObject::connect(&thread, &QThread::started, client, &QuotesTcpClient::slot_start);
        client->moveToThread(&thread);
        thread.start();
    }
    ~ClientThread() {
        client->deleteLater();
        thread.quit();
        thread.wait();
    }
    // Returns once everything queued to the client so far, slot_start included, has run.
    void sync() {
        QMetaObject::invokeMethod(
            client, [] {}, Qt::BlockingQueuedConnection);
    }
};

// The next connection, whether the server has already taken it in or not.
QTcpSocket *accept(QTcpServer &server, int timeoutMs = 5000) {
    if (!server.hasPendingConnections() && !server.waitForNewConnection(timeoutMs)) return nullptr;
    return server.nextPendingConnection();
}

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

}  // namespace

class TstQuotesClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void switchedOff_data();
    void switchedOff();
    void fillsTable_data();
    void fillsTable();
    void printLine();
    void reconnectsAfterDrop();
    void retriesUntilServerUp();
    void readersWhileIngesting();
    void laterCodesSortIn();
    void stopsDuringConnectAttempt();
    void withSimulator_data();
    void withSimulator();

private:
    QTextCodec *mSavedCodec = nullptr;
};

void TstQuotesClient::initTestCase() {
    mSavedCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

void TstQuotesClient::cleanupTestCase() { QTextCodec::setCodecForLocale(mSavedCodec); }

void TstQuotesClient::init() { gCapture.reset(new LogCapture); }

void TstQuotesClient::cleanup() {
    const QStringList lines = logLines();
    gCapture.reset();
    QFile::remove(settingsPath());
    if (QTest::currentTestFailed()) qDebug().noquote() << lines.mid(0, 40).join('\n');
}

void TstQuotesClient::switchedOff_data() {
    QTest::addColumn<bool>("withFile");
    QTest::newRow("switch 0") << true;
    QTest::newRow("no settings file") << false;
}

void TstQuotesClient::switchedOff() {
    QFETCH(bool, withFile);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    if (withFile)
        writeSettings(0, 1, server.serverPort());
    else
        QFile::remove(settingsPath());

    {
        ClientThread ct;
        ct.sync();
        // slot_start has returned; a connection it made would already be queued at the server.
        QVERIFY(!server.waitForNewConnection(0));
        QVERIFY(ct.client->quoteTable().isEmpty());
        const Record zero = ct.client->lookupQuote(QStringLiteral("600000"));
        QVERIFY(std::all_of(reinterpret_cast<const char *>(&zero), reinterpret_cast<const char *>(&zero) + sizeof zero,
                            [](char c) { return c == 0; }));
    }
    if (withFile) {
        QCOMPARE(countLog(QStringLiteral("I ini mSwitch is [0], mPrintMD is [1], ip is[127.0.0.1], port is[%1]")
                              .arg(server.serverPort())),
                 1);
    } else {
        QCOMPARE(countLog(QStringLiteral("W can not found qeto_desk_config.ini file ") + settingsPath()), 1);
    }
    QCOMPARE(countLog(QStringLiteral("W tcp connect error")), 0);
    QCOMPARE(countLog(QStringLiteral("I connect success")), 0);
}

void TstQuotesClient::fillsTable_data() {
    QTest::addColumn<int>("printMd");
    QTest::addColumn<int>("chunk");  // server write size; 0 = everything at once
    QTest::newRow("all at once") << 0 << 0;
    QTest::newRow("odd pieces, printed") << 1 << 97;
    QTest::newRow("frame and a half pieces") << 0 << 424;
}

void TstQuotesClient::fillsTable() {
    QFETCH(int, printMd);
    QFETCH(int, chunk);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeSettings(1, printMd, server.serverPort());

    // 40 codes, each sent twice: the second record replaces the first.
    QByteArray stream;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 40; ++i) stream += frameOf(QByteArray::number(600000 + i * 7), 10 + i + round * 100);

    ClientThread ct;
    std::unique_ptr<QTcpSocket> peer(accept(server));
    QVERIFY(peer);
    for (int pos = 0; pos < stream.size();) {
        const int n = chunk > 0 ? qMin(chunk, stream.size() - pos) : stream.size();
        peer->write(stream.mid(pos, n));
        peer->flush();
        pos += n;
        if (chunk > 0) QTest::qWait(0);
    }
    QTRY_COMPARE(ct.client->framesStored(), qint64(80));
    // Readers see the table a little after the client stored it; the last frame sent shows
    // when everything before it is visible too.
    QTRY_COMPARE(ct.client->lookupQuote(QStringLiteral("600273")).lastPrice, 149.0);
    QCOMPARE(ct.client->quoteTable().size(), 40);

    const auto table = ct.client->quoteTable();
    QString previous;
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        QVERIFY(previous < it.key());
        previous = it.key();
        QCOMPARE(it.key(), QString::fromLatin1(it->securityId));
        QVERIFY(consistent(*it));
        QVERIFY(it->lastPrice >= 110);
    }
    const Record r = ct.client->lookupQuote(QStringLiteral("600014"));
    QCOMPARE(r.lastPrice, 112.0);
    QVERIFY(consistent(r));
    QCOMPARE(ct.client->lookupQuote(QStringLiteral("600001")).lastPrice, 0.0);
    QCOMPARE(ct.client->bytesReceived(), qint64(stream.size()));
    QCOMPARE(countLog(QStringLiteral("I connect success")), 1);
    QCOMPARE(countLogStarting(QStringLiteral("I 更新时间:")), printMd ? 80 : 0);
}

void TstQuotesClient::printLine() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeSettings(1, 1, server.serverPort());
    Record r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.securityId, "600000", 6);
    std::memcpy(r.securityName, "浦发银行", std::strlen("浦发银行"));
    r.updateTime = 93000123;
    r.lastPrice = 10.125;
    r.openPrice = 1.0 / 3;
    r.highPrice = 11;
    r.lowPrice = 9.5;
    r.upperLimitPrice = 12.1;
    r.lowerLimitPrice = 8.9;
    r.preClosePrice = 10;
    r.totalVolume = 18446744073709551615ull;
    r.totalAmount = 42;
    for (int i = 0; i < 5; ++i) {
        r.bidPrice[i] = 10 - i;
        r.bidVolume[i] = 100 + i;
        r.askPrice[i] = 20 + i;
        r.askVolume[i] = 200 + i;
    }
    ClientThread ct;
    std::unique_ptr<QTcpSocket> peer(accept(server));
    QVERIFY(peer);
    peer->write(frame(r));
    peer->flush();
    QTRY_COMPARE(countLogStarting(QStringLiteral("I 更新时间:")), 1);
    const QString want = QStringLiteral(
        "I 更新时间: 93000123 , 证券代码: 600000 , 证券名称: 浦发银行 , 最新: 10.125 , 开盘: 0.333333 , "
        "最高: 11 , 最低: 9.5 , 涨停: 12.1 , 跌停: 8.9 , 昨收: 10 , 成交总数:  18446744073709551615 , "
        "成交总金额:  42 , :买一 10   100 , :买二 9   101 , :买三 8   102 , :买四 7   103 , :买五 6   104 "
        ", :卖一 20   200 , :卖二 21   201 , :卖三 22   202 , :卖四 23   203 , :卖五 24   204 ");
    QCOMPARE(logLines().filter(QStringLiteral("更新时间:")).value(0), want);
}

void TstQuotesClient::reconnectsAfterDrop() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeSettings(1, 0, server.serverPort());
    const int rounds = 3;

    ClientThread ct(3000, 100);
    for (int i = 0; i < rounds; ++i) {
        std::unique_ptr<QTcpSocket> peer(accept(server));
        QVERIFY(peer);
        // A whole frame, then half of one that the drop cuts off: the half must not be
        // glued to the next connection's bytes.
        const QByteArray whole = frameOf(QByteArray::number(600000 + i), 10 + i);
        peer->write(whole + frameOf("999999", 1).left(150));
        peer->flush();
        QTRY_COMPARE(ct.client->framesStored(), qint64(i + 1));
        peer->disconnectFromHost();
        if (peer->state() != QAbstractSocket::UnconnectedState) QVERIFY(peer->waitForDisconnected(5000));
        QTRY_COMPARE(countLog(QStringLiteral("I quotes tcp client disconnect!")), i + 1);
    }
    QTRY_COMPARE(ct.client->quoteTable().size(), rounds);
    const auto table = ct.client->quoteTable();
    for (const Record &r : table) QVERIFY(consistent(r));
    QVERIFY(!table.contains(QStringLiteral("999999")));
    // The client keeps reconnecting after the last drop.
    QVERIFY(countLog(QStringLiteral("I connect success")) >= rounds);
}

void TstQuotesClient::retriesUntilServerUp() {
    const quint16 port = unusedPort();
    writeSettings(1, 0, port);
    ClientThread ct(2000, 100);
    QTRY_VERIFY(countLog(QStringLiteral("W tcp connect error")) >= 2);

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    std::unique_ptr<QTcpSocket> peer(accept(server));
    QVERIFY(peer);
    peer->write(frameOf("000001", 7));
    peer->flush();
    QTRY_COMPARE(ct.client->lookupQuote(QStringLiteral("000001")).lastPrice, 7.0);
    QCOMPARE(countLog(QStringLiteral("I connect success")), 1);
}

// Stopping the thread must not wait for a connect attempt that hangs: the workspace is
// deleted on the GUI thread at a disconnect.
void TstQuotesClient::stopsDuringConnectAttempt() {
#ifdef _WIN32
    QSKIP("a full accept queue on Windows refuses connections instead of leaving them waiting");
#else
    // A listener whose accept queue is full drops further SYNs, so a connect to it just waits.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    QCOMPARE(::listen(listener, 0), 0);
    socklen_t len = sizeof addr;
    QCOMPARE(::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        fillers.push_back(fd);
    }

    writeSettings(1, 0, ntohs(addr.sin_port));
    // A connect wait far longer than the suite's own time limit: only an interruptible
    // wait lets this test finish.
    auto *ct = new ClientThread(3600 * 1000, 100);
    ct->sync();  // slot_start is running its connect attempt
    delete ct;
    // The attempt was still open when the thread stopped: it neither succeeded nor timed out.
    QCOMPARE(countLog(QStringLiteral("I connect success")), 0);
    QCOMPARE(countLog(QStringLiteral("W tcp connect error")), 0);

    for (int fd : fillers) ::close(fd);
    ::close(listener);
#endif
}

// GUI-thread readers against the client's thread writing; run under ThreadSanitizer too.
void TstQuotesClient::readersWhileIngesting() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeSettings(1, 0, server.serverPort());
    constexpr int kCodes = 300;
    constexpr int kRounds = 30;
    QByteArray stream;
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < kCodes; ++i) stream += frameOf(QByteArray::number(100000 + i), 1000 * round + i);

    ClientThread ct;
    std::unique_ptr<QTcpSocket> peer(accept(server));
    QVERIFY(peer);
    peer->write(stream);

    int lookups = 0, tables = 0;
    QElapsedTimer limit;
    limit.start();
    while (ct.client->framesStored() < kCodes * kRounds && limit.elapsed() < 60000) {
        QCoreApplication::processEvents();
        const int i = QRandomGenerator::global()->bounded(kCodes);
        const Record r = ct.client->lookupQuote(QString::number(100000 + i));
        QVERIFY(r.lastPrice == 0 || (consistent(r) && int(r.lastPrice) % 1000 == i));
        ++lookups;
        if (lookups % 50 == 0) {
            const auto table = ct.client->quoteTable();
            for (auto it = table.cbegin(); it != table.cend(); ++it)
                QVERIFY(consistent(*it) && it.key() == QLatin1String(it->securityId));
            ++tables;
        }
    }
    QCOMPARE(ct.client->framesStored(), qint64(kCodes * kRounds));
    QTRY_COMPARE(ct.client->lookupQuote(QString::number(100000 + kCodes - 1)).lastPrice,
                 1000.0 * (kRounds - 1) + kCodes - 1);
    const auto table = ct.client->quoteTable();
    QCOMPARE(table.size(), kCodes);
    for (const Record &r : table) QVERIFY(r.lastPrice >= 1000.0 * (kRounds - 1));
    QVERIFY(lookups > 0);
}

// Codes that arrive later, sorting between and after the known ones, reach both tables the
// readers are handed in turn, in code order, with every record's latest values.
void TstQuotesClient::laterCodesSortIn() {
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeSettings(1, 0, server.serverPort());
    ClientThread ct;
    std::unique_ptr<QTcpSocket> peer(accept(server));
    QVERIFY(peer);
    const QList<QList<QPair<QByteArray, double>>> rounds = {{{"600010", 1}, {"600030", 3}},
                                                            {{"600020", 2}, {"000001", 0.5}, {"600040", 4}},
                                                            {{"600010", 1.5}},
                                                            {{"600025", 2.5}}};
    QMap<QString, double> expected;
    for (const auto &round : rounds) {
        for (const auto &[code, price] : round) {
            peer->write(frameOf(code, price));
            expected[QString::fromLatin1(code)] = price;
        }
        peer->flush();
        for (int turn = 0; turn < 2; ++turn) {  // two publishes: each table of the pair catches up
            QTRY_COMPARE(ct.client->quoteTable().size(), expected.size());
            const auto table = ct.client->quoteTable();
            QCOMPARE(table.keys(), expected.keys());
            for (auto it = table.cbegin(); it != table.cend(); ++it) {
                QCOMPARE(QString::fromLatin1(it->securityId), it.key());
                QTRY_COMPARE(ct.client->lookupQuote(it.key()).lastPrice, expected.value(it.key()));
            }
            if (turn == 0) peer->write(frameOf(round.first().first, round.first().second));
            QTest::qWait(120);
        }
    }
}

void TstQuotesClient::withSimulator_data() {
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("localCodec");
    QTest::newRow("utf8 names") << QStringLiteral("utf8") << QByteArray("UTF-8");
    QTest::newRow("gbk names") << QStringLiteral("gbk") << QByteArray("GBK");
}

void TstQuotesClient::withSimulator() {
    QFETCH(QString, encoding);
    QFETCH(QByteArray, localCodec);
    const QString sim = qEnvironmentVariable("QETO_SIM");
    if (sim.isEmpty() || !QFile::exists(sim)) QSKIP("qeto-sim not built");
    QProcess proc;
    proc.start(sim, {"--counter-port", "0", "--md-port", "0", "--md-codes", "25", "--md-interval-ms", "20", "--seed",
                     "7", "--md-encoding", encoding});
    QVERIFY(proc.waitForStarted(5000));
    // waitForReadyRead, not QTRY: on Windows the pipe is read only in an alertable wait.
    QDeadlineTimer deadline(10000);
    while (!proc.canReadLine() && !deadline.hasExpired()) proc.waitForReadyRead(100);
    QVERIFY(proc.canReadLine());
    const QString first = QString::fromUtf8(proc.readLine()).trimmed();
    const QRegularExpression re(QStringLiteral("md_port=(\\d+)"));
    const auto m = re.match(first);
    QVERIFY2(m.hasMatch(), qPrintable(first));
    writeSettings(1, 0, quint16(m.captured(1).toUInt()));
    QTextCodec *const machineCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(localCodec));
    {
        ClientThread ct;
        QTRY_COMPARE_WITH_TIMEOUT(ct.client->quoteTable().size(), 25, 15000);
        for (const Record &r : ct.client->quoteTable()) {
            const QByteArray name(r.securityName, int(qstrnlen(r.securityName, sizeof r.securityName)));
            QVERIFY(name.size() < int(sizeof r.securityName));
            // A name decoded with the wrong codec would carry replacement characters.
            QVERIFY2(!name.isEmpty() && !QString::fromUtf8(name).contains(QChar::ReplacementCharacter),
                     name.constData());
            QVERIFY(r.lastPrice > 0);
        }
        QCOMPARE(ct.client->headersSkipped(), qint64(0));
    }
    QTextCodec::setCodecForLocale(machineCodec);
#ifdef Q_OS_WIN
    proc.kill();  // a console program has no window to take terminate()'s close message
#else
    proc.terminate();
#endif
    QVERIFY(proc.waitForFinished(5000));
}

QTEST_GUILESS_MAIN(TstQuotesClient)
#include "tst_quotes_client.moc"
