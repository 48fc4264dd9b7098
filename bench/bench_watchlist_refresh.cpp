// GUI-thread cost of one quote-list refresh with 4096 codes whose prices all changed, including
// the repaint, against its limit, a repaint of the same table with nothing changed, and against
// the naive refresh that puts new items into every cell.
// Run with QT_QPA_PLATFORM=offscreen. Prints median and max per refresh and the ratios; exits 3
// if a refresh left old prices on show.
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidgetItem>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "bench_row.h"
#include "constants.h"
#include "qeto_md_level1.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"

namespace {

constexpr int kCodes = 4096;
constexpr int kRounds = 50;

using Table = QMap<QString, ClientSecurityMarketDataLevel1>;

QByteArray frames(int round) {
    QByteArray bytes;
    bytes.reserve(kCodes * kMdFrameSize);
    for (int i = 0; i < kCodes; ++i) {
        ClientSecurityMarketDataLevel1 r;
        std::memset(&r, 0, sizeof r);
        const double p = 10.0 + i * 0.01 + round * 0.001;
        r.lastPrice = p;
        r.openPrice = p - 0.1;
        r.highPrice = p + 0.2;
        r.lowPrice = p - 0.2;
        r.upperLimitPrice = p * 1.1;
        r.lowerLimitPrice = p * 0.9;
        r.preClosePrice = p - 0.05;
        std::snprintf(r.securityId, sizeof r.securityId, "%06d", 100000 + i);
        std::snprintf(r.securityName, sizeof r.securityName, "NAME%d", i);
        const int32_t mark = kMdFrameMark;
        bytes.append(reinterpret_cast<const char *>(&mark), sizeof mark);
        bytes.append(reinterpret_cast<const char *>(&r), sizeof r);
    }
    return bytes;
}

// Feeds one round of frames and waits until the client's table carries it.
bool feed(QTcpSocket *peer, QuotesTcpClient *client, int round) {
    peer->write(frames(round));
    const QString last = QStringLiteral("%1").arg(100000 + kCodes - 1, 6, 10, QLatin1Char('0'));
    const double expected = 10.0 + (kCodes - 1) * 0.01 + round * 0.001;
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const Table table = client->quoteTable();
        if (table.size() == kCodes && table.value(last).lastPrice == expected) return true;
    }
    return false;
}

// The refresh as first written: nine new items per row, every second.
void naiveRefresh(StockQuotesWidget *w, const Table &table) {
    BaseTableWidget *grid = w->table();
    int row = 0;
    for (auto it = table.cbegin(); it != table.cend() && row < kCodes; ++it, ++row) {
        const ClientSecurityMarketDataLevel1 &r = it.value();
        const double prices[] = {r.lastPrice,       r.openPrice,       r.highPrice,    r.lowPrice,
                                 r.upperLimitPrice, r.lowerLimitPrice, r.preClosePrice};
        grid->setItem(row, 0, new QTableWidgetItem(it.key()));
        grid->setItem(row, 1,
                      new QTableWidgetItem(QString::fromUtf8(r.securityName, int(strnlen(r.securityName, 30)))));
        for (int c = 0; c < 7; ++c) grid->setItem(row, 2 + c, new QTableWidgetItem(QString::number(prices[c], 'f', 3)));
    }
}

// Outside the timing: a refresh that left old prices on screen would only look fast.
bool showsRound(StockQuotesWidget *w, int round) {
    const QAbstractItemModel *model = w->table()->model();
    for (int row : {0, kCodes - 1}) {
        const double last = 10.0 + row * 0.01 + round * 0.001;
        if (model->data(model->index(row, 2)).toString() != QString::number(last, 'f', 3)) return false;
    }
    return true;
}

void paintNow(QWidget *w) {
    w->repaint();
    QCoreApplication::processEvents();
}

// CPU time of the calling thread: what the refresh costs the GUI thread, whatever else the
// machine runs at the same time.
double threadMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    double median = 0;
    double max = 0;
};

Figures summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    Figures f;
    f.median = samples[samples.size() / 2];
    f.max = samples.back();
    return f;
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 1;
    QDir().mkpath(QCoreApplication::applicationDirPath() + "/config");
    QFile ini(QCoreApplication::applicationDirPath() + kSettingsFile);
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    ini.write(QStringLiteral("[MD]\nswitch=1\nprintMD=0\nip=127.0.0.1\nport=%1\n").arg(server.serverPort()).toUtf8());
    ini.close();

    QueryWindowsManager manager(nullptr);
    manager.start();
    if (!server.waitForNewConnection(10000)) return 1;
    QTcpSocket *peer = server.nextPendingConnection();
    QuotesTcpClient *client = manager.quotesClient();

    // Refreshed by hand with the body of slot_releaseData: the widget's own one-second timer
    // could otherwise take a half-fed table between rounds and leave less to measure.
    StockQuotesWidget widget(nullptr);
    widget.setHeader(kQuoteColumns.size(), kQuoteColumns);
    widget.resize(1200, 700);
    widget.show();

    StockQuotesWidget naive(nullptr);
    naive.setHeader(kQuoteColumns.size(), kQuoteColumns);
    naive.resize(1200, 700);
    naive.show();

    if (!feed(peer, client, 0)) return 2;
    QElapsedTimer first;
    first.start();
    widget.showQuotes(client->quoteTable());
    paintNow(&widget);
    const double firstMs = first.nsecsElapsed() / 1e6;
    naive.showQuotes(client->quoteTable());  // same rows and buttons as the widget
    paintNow(&naive);

    std::vector<double> wallInPlace, wallRebuilt, cpuInPlace, cpuRebuilt, cpuInPlaceData, cpuRebuiltData, cpuRepaint;
    for (int round = 1; round <= kRounds; ++round) {
        if (!feed(peer, client, round)) return 2;
        QElapsedTimer t;
        t.start();
        double cpu = threadMs();
        widget.showQuotes(client->quoteTable());
        cpuInPlaceData.push_back(threadMs() - cpu);
        paintNow(&widget);
        cpuInPlace.push_back(threadMs() - cpu);
        wallInPlace.push_back(t.nsecsElapsed() / 1e6);
        if (!showsRound(&widget, round)) return 3;

        cpu = threadMs();
        paintNow(&widget);
        cpuRepaint.push_back(threadMs() - cpu);

        const Table table = client->quoteTable();
        t.restart();
        cpu = threadMs();
        naiveRefresh(&naive, table);
        cpuRebuiltData.push_back(threadMs() - cpu);
        paintNow(&naive);
        cpuRebuilt.push_back(threadMs() - cpu);
        wallRebuilt.push_back(t.nsecsElapsed() / 1e6);
    }

    const Figures a = summarise(cpuInPlace);
    const Figures b = summarise(cpuRebuilt);
    const Figures wa = summarise(wallInPlace);
    const Figures wb = summarise(wallRebuilt);
    const Figures p = summarise(cpuRepaint);
    std::printf("watch list refresh, %d codes, every price changed, %d rounds, refresh + repaint\n", kCodes, kRounds);
    std::printf("  first fill (items, buttons of the rows on screen; the rest follow in batches): %.2f ms wall\n",
                firstMs);
    std::printf("  GUI-thread CPU  in-place : median %6.2f ms, max %6.2f ms (refresh alone median %.2f ms)\n", a.median,
                a.max, summarise(cpuInPlaceData).median);
    std::printf("  GUI-thread CPU  new items: median %6.2f ms, max %6.2f ms (refresh alone median %.2f ms)\n", b.median,
                b.max, summarise(cpuRebuiltData).median);
    std::printf("  GUI-thread CPU  repaint with nothing changed: median %6.2f ms, max %6.2f ms\n", p.median, p.max);
    std::printf("  wall clock      in-place : median %6.2f ms, max %6.2f ms\n", wa.median, wa.max);
    std::printf("  wall clock      new items: median %6.2f ms, max %6.2f ms\n", wb.median, wb.max);
    std::printf("  ratio new items / in-place (CPU median): %.2fx, (wall median): %.2fx\n", b.median / a.median,
                wb.median / wa.median);
    char naiveText[64];
    std::snprintf(naiveText, sizeof naiveText, "%.2f ms new items", b.median);
    bench::printRow("watch list refresh + repaint, 4096 rows", a.median, "ms", p.median, bench::Better::Lower,
                    naiveText);
    return 0;
}
