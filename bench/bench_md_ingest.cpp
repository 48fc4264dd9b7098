// Ingest rate of QuotesTcpClient on its own thread, fed by qeto-sim --md-blast over loopback,
// and the time GUI-thread readers (lookupQuote, quoteTable) take while it runs.
// Baselines measured in the same run: a plain reader that only drains the socket, and the
// same reader calls with no ingest running.
// Usage: bench_md_ingest [path-of-qeto-sim] [codes] [seconds]   (or QETO_SIM in the environment)
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTextCodec>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_row.h"
#include "constants.h"
#include "qeto_md_level1.h"
#include "sim_process.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

namespace {

using Table = QMap<QString, ClientSecurityMarketDataLevel1>;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

// Frames/s a reader that only drains the socket gets from the same server.
double drainRate(quint16 port, int seconds) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000)) return 0;
    std::vector<char> buf(1 << 20);
    std::vector<double> rates;
    QElapsedTimer t;
    t.start();
    qint64 bytes = 0, windowStart = 0;
    while (t.elapsed() < seconds * 1000) {
        if (s.bytesAvailable() == 0) s.waitForReadyRead(100);
        qint64 n;
        while ((n = s.read(buf.data(), static_cast<qint64>(buf.size()))) > 0) bytes += n;
        if (t.elapsed() - windowStart >= 1000) {
            rates.push_back(bytes / double(kMdFrameSize) * 1000.0 / (t.elapsed() - windowStart));
            bytes = 0;
            windowStart = t.elapsed();
        }
    }
    return median(rates);
}

struct ReaderTimes {
    std::vector<double> lookupUs;
    std::vector<double> tableUs;    // quoteTable() call
    std::vector<double> iterateUs;  // walking up to 4096 rows of the copy
    // Reader calls split by what the thread went through meanwhile: a voluntary switch means
    // it slept (the only sleep possible there is waiting for the lock); an involuntary one
    // means the scheduler took the core away, which says nothing about the lock.
    int blocked = 0;
    int preempted = 0;
    double maxBlockedUs = 0;
    double maxRunningUs = 0;  // longest call neither blocked nor preempted
};

struct Switches {
    long voluntary = 0, involuntary = 0;
    static Switches now() {
        rusage ru;
        getrusage(RUSAGE_THREAD, &ru);
        return {ru.ru_nvcsw, ru.ru_nivcsw};
    }
};

void account(ReaderTimes &rt, const Switches &before, double us) {
    const Switches after = Switches::now();
    if (after.voluntary != before.voluntary) {
        ++rt.blocked;
        rt.maxBlockedUs = std::max(rt.maxBlockedUs, us);
    } else if (after.involuntary != before.involuntary) {
        ++rt.preempted;
    } else {
        rt.maxRunningUs = std::max(rt.maxRunningUs, us);
    }
}

// One GUI-thread reader step: a lookup every call, a table refresh every tableEvery calls.
void readerStep(const QuotesTcpClient &client, const QStringList &codes, ReaderTimes &rt, int i, int tableEvery) {
    QElapsedTimer t;
    const QString &code = codes.at(QRandomGenerator::global()->bounded(codes.size()));
    Switches sw = Switches::now();
    t.start();
    const ClientSecurityMarketDataLevel1 r = client.lookupQuote(code);
    rt.lookupUs.push_back(t.nsecsElapsed() / 1000.0);
    account(rt, sw, rt.lookupUs.back());
    volatile double sink = r.lastPrice;
    (void)sink;
    if (i % tableEvery == 0) {
        sw = Switches::now();
        t.start();
        const Table table = client.quoteTable();
        rt.tableUs.push_back(t.nsecsElapsed() / 1000.0);
        account(rt, sw, rt.tableUs.back());
        t.start();
        double sum = 0;
        int n = 0;
        for (auto it = table.cbegin(); it != table.cend() && n < 4096; ++it, ++n)
            sum += it->lastPrice + it->bidPrice[0];
        rt.iterateUs.push_back(t.nsecsElapsed() / 1000.0);
        sink = sum;
    }
}

void printTimes(const char *what, const std::vector<double> &v) {
    std::printf("  %-34s n=%-7zu median %8.2f us  p99 %8.2f us  max %8.2f us\n", what, v.size(), median(v),
                percentile(v, 0.99), v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()));
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString simPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("QETO_SIM");
    if (simPath.isEmpty()) simPath = QString::fromStdString(qeto::test::simPath());
    const int codes = argc > 2 ? atoi(argv[2]) : 5000;
    const int seconds = argc > 3 ? atoi(argv[3]) : 7;
    if (simPath.isEmpty() || !QFile::exists(simPath)) {
        std::fprintf(stderr, "qeto-sim not found: pass its path or set QETO_SIM\n");
        return 2;
    }
    // qeto-sim sends UTF-8 names by default; read them as the local encoding.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    // The client's own log lines are not what is measured here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    qeto::test::SimProcess sim;
    std::string error;
    if (!sim.start(simPath.toStdString(), {"--md-blast", "--md-codes", std::to_string(codes), "--seed", "1"}, &error)) {
        std::fprintf(stderr, "qeto-sim did not start: %s\n", error.c_str());
        return 2;
    }
    QDir().mkpath(QCoreApplication::applicationDirPath() + QStringLiteral("/config"));
    {
        QFile ini(QCoreApplication::applicationDirPath() + kSettingsFile);
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 2;
        ini.write(QStringLiteral("[MD]\nswitch=1\nprintMD=0\nip=127.0.0.1\nport=%1\n").arg(sim.mdPort).toUtf8());
    }

    std::printf("bench_md_ingest: %d codes, qeto-sim --md-blast, %d windows of 1 s\n", codes, seconds);
    const double baseline = drainRate(sim.mdPort, 3);

    QStringList codeList;
    ReaderTimes idle;
    auto *client = new QuotesTcpClient(nullptr);
    QThread thread;
    QObject::connect(&thread, &QThread::started, client, &QuotesTcpClient::slot_start);
    client->moveToThread(&thread);
    thread.start();

    QElapsedTimer t;
    t.start();
    while (client->quoteTable().size() < codes && t.elapsed() < 20000) QThread::msleep(5);
    const Table reference = client->quoteTable();
    codeList = reference.keys();
    if (reference.size() < codes) {
        std::fprintf(stderr, "only %d codes arrived\n", int(reference.size()));
        client->deleteLater();
        thread.quit();
        thread.wait();
        return 1;
    }

    // Reader calls while ingest runs: a lookup about every 0.2 ms, a table refresh every 100.
    ReaderTimes busy;
    std::vector<double> rates;
    qint64 last = client->framesStored();
    t.restart();
    qint64 windowStart = 0;
    for (int i = 0; int(rates.size()) < seconds; ++i) {
        readerStep(*client, codeList, busy, i, 100);
        QThread::usleep(200);
        if (t.elapsed() - windowStart >= 1000) {
            const qint64 now = client->framesStored();
            rates.push_back((now - last) * 1000.0 / (t.elapsed() - windowStart));
            last = now;
            windowStart = t.elapsed();
        }
    }

    // Stop the feed and let the client settle: every byte it got is now parsed.
    const Table during = client->quoteTable();
    sim.stop();
    qint64 prev = -1;
    while (prev != client->bytesReceived()) {
        prev = client->bytesReceived();
        QThread::msleep(200);
    }
    const qint64 bytes = client->bytesReceived();
    const qint64 frames = client->framesStored();
    const qint64 skipped = client->headersSkipped();
    const Table final = client->quoteTable();

    // Same reader calls with nothing arriving.
    for (int i = 0; i < 5000; ++i) {
        readerStep(*client, codeList, idle, i, 100);
        QThread::usleep(200);
    }
    client->deleteLater();
    thread.quit();
    thread.wait();

    // The blast repeats one snapshot: every record of a code must be bit-identical to the first
    // one seen, and every byte received must belong to a whole frame (the last may be cut off).
    int differing = 0;
    for (const Table *tbl : {&during, &final}) {
        if (tbl->size() != reference.size()) ++differing;
        for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
            const auto other = tbl->constFind(it.key());
            if (other == tbl->cend() || std::memcmp(&*other, &*it, sizeof *it) != 0) ++differing;
        }
    }
    const qint64 leftover = bytes - frames * kMdFrameSize;
    const bool framesOk = skipped == 0 && leftover >= 0 && leftover < kMdFrameSize;

    std::printf("\ningest (frames stored into the table per 1 s window):\n");
    std::printf("  median %.0f frames/s, min %.0f, max %.0f   (%.1f MB/s)\n", median(rates),
                *std::min_element(rates.begin(), rates.end()), *std::max_element(rates.begin(), rates.end()),
                median(rates) * kMdFrameSize / 1e6);
    std::printf("  baseline: plain socket drain %.0f frames/s; ingest/drain ratio %.2f\n", baseline,
                baseline > 0 ? median(rates) / baseline : 0.0);
    std::printf(
        "\nintegrity: %lld frames, %lld bytes, %lld bytes of a cut-off frame, %lld headers skipped, "
        "%d records differing from the snapshot: %s\n",
        static_cast<long long>(frames), static_cast<long long>(bytes), static_cast<long long>(leftover),
        static_cast<long long>(skipped), differing, framesOk && differing == 0 ? "OK" : "FAILED");
    std::printf("\nGUI-thread reader calls while ingesting:\n");
    printTimes("lookupQuote", busy.lookupUs);
    printTimes("quoteTable", busy.tableUs);
    printTimes("walk of up to 4096 rows", busy.iterateUs);
    std::printf("GUI-thread reader calls with no ingest (baseline):\n");
    printTimes("lookupQuote", idle.lookupUs);
    printTimes("quoteTable", idle.tableUs);
    printTimes("walk of up to 4096 rows", idle.iterateUs);
    const double idleP99 = percentile(idle.lookupUs, 0.99);
    std::printf("  busy/idle lookup p99 ratio %.2f\n", idleP99 > 0 ? percentile(busy.lookupUs, 0.99) / idleP99 : 0.0);
    std::printf(
        "  reader calls while ingesting: %d slept on the lock (longest %.1f us), %d preempted by the "
        "scheduler, longest call otherwise %.1f us\n",
        busy.blocked, busy.maxBlockedUs, busy.preempted, busy.maxRunningUs);
    const double worst = std::max(busy.maxBlockedUs, busy.maxRunningUs);
    std::printf("  GUI thread held up by the table lock > 1000 us: %s (worst %.1f us)\n",
                worst < 1000 ? "never" : "YES", worst);
    if (framesOk && differing == 0)
        bench::printRow("MD ingest (frames stored)", median(rates), "frames/s", baseline, bench::Better::Higher);
    return framesOk && differing == 0 ? 0 : 1;
}
