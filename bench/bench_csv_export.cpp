// "全部导出" of the order table holding 100,000 answers: from the call until the file is closed
// (the moment its closing box comes into being), against the limit measured in the same run:
// the very bytes of that file written with one QFile::write into a fresh file beside it.
// Run with QT_QPA_PLATFORM=offscreen. Median of several runs; exits 1 if the file is not the
// 100,000 lines asked for.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_row.h"
#include "constants.h"
#include "user/queryWindow/ordered_widget.h"
#include "utils/error_msg.h"

namespace {

constexpr int kOrders = 100000;
constexpr int kRuns = 5;

CQetoRspQryOrderField orderRecord(int i) {
    CQetoRspQryOrderField f;
    std::memset(&f, 0, sizeof f);
    std::snprintf(f.SecurityID, sizeof f.SecurityID, "%06d", i % 2 ? 600000 + i % 900 : 1 + i % 900);
    f.Direction = i % 3 ? '1' : '2';
    f.Price = 10.0 + (i % 1000) * 0.01;
    f.Volume = 100u * static_cast<uint32_t>(1 + i % 50);
    f.OrderPriceType = '2';
    f.OrderSysID = static_cast<uint32_t>(i + 1);
    const int ms = 34200000 + i * 97;  // from 09:30:00.000 on
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    std::memcpy(f.InsertTime, time, sizeof f.InsertTime);
    f.TradeVolume = i % 4 == 0 ? f.Volume : 0;
    f.LeavesVolume = f.Volume - f.TradeVolume;
    f.TradeAmount = f.TradeVolume * f.Price;
    f.OrderStatus = i % 4 == 0 ? '7' : '2';
    f.NodeNo = 1;
    char no[16];
    std::snprintf(no, sizeof no, "%010d", i + 1);
    std::memcpy(f.OrderNo, no, sizeof f.OrderNo);
    f.SecurityType = 1;
    f.ErrorCode = i % 100 == 99 ? 1001 : 0;  // a refused order now and then, with its catalogue text
    f.Position = i + 1;
    return f;
}

// Milliseconds of one write of the bytes into a fresh file, as the limit.
double oneWriteMs(const QString &path, const QByteArray &bytes) {
    QFile::remove(path);
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) return 0;
    f.close();
    return t.nsecsElapsed() / 1e6;
}

// Notes when the export's closing box comes into being, and closes it once it shows.
class BoxClock : public QObject {
public:
    qint64 bornNs = -1;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (!box) return false;
        if (bornNs < 0) bornNs = clock.nsecsElapsed();
        if (event->type() == QEvent::Show) QTimer::singleShot(0, box, [box] { box->done(0); });
        return false;
    }
};

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The client logs every row shown; its log is not what is measured here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QFile catalogue(QStringLiteral(QETO_SOURCE_DIR "/config/error_msg.json"));
    if (!catalogue.open(QIODevice::ReadOnly) || ErrorMsg::instance()->loadCatalog(catalogue.readAll(), '1') != 0) {
        std::fprintf(stderr, "bench_csv_export: cannot read the error catalogue\n");
        return 2;
    }

    QTemporaryDir dir;
    if (!dir.isValid()) return 2;
    const QString exported = dir.filePath(QStringLiteral("orders.csv"));
    QueryWindow::setSaveFileNameProvider([exported] { return exported; });

    OrderedWidget widget(nullptr);
    widget.setHeader(kOrderColumns.size(), kOrderColumns);
    CQetoRspInfo ok;
    std::memset(&ok, 0, sizeof ok);
    for (int i = 0; i < kOrders; ++i) widget.slot_rspQryOrder(orderRecord(i), ok, 1, i == kOrders - 1);

    BoxClock boxes;
    app.installEventFilter(&boxes);
    std::vector<double> exportMs, writeMs;
    QByteArray bytes;
    for (int run = 0; run < kRuns; ++run) {
        boxes.bornNs = -1;
        boxes.clock.start();
        widget.exportAllToCsv();
        if (boxes.bornNs < 0) return 1;
        exportMs.push_back(boxes.bornNs / 1e6);

        QFile f(exported);
        if (!f.open(QIODevice::ReadOnly)) return 1;
        bytes = f.readAll();
        writeMs.push_back(oneWriteMs(dir.filePath(QStringLiteral("limit.csv")), bytes));
    }
    app.removeEventFilter(&boxes);

    const int lines = bytes.count('\n');
    std::printf("csv export of %d orders (全部导出): %d lines, %.1f MB\n", kOrders, lines, bytes.size() / 1e6);
    std::printf("  export   median %8.2f ms\n", bench::median(exportMs));
    std::printf("  one QFile::write of the same bytes: median %8.2f ms\n", bench::median(writeMs));
    if (lines != kOrders + 1) return 1;
    bench::printRow("CSV export, 100,000 orders", bench::median(exportMs), "ms", bench::median(writeMs),
                    bench::Better::Lower);
    return 0;
}
