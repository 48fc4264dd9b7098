// Soak: the real main window, logged in through the real gateway library against qeto-sim
// with 5,000 codes ticking every 100 ms, left running with its quote list refreshing.
// Prints resident memory every 10 s and the growth per hour fitted to the samples after the
// first minute (a least-squares slope), against the spread of those samples as the noise.
// Usage: bench_soak [--seconds N] [--sim PATH]   (default 180 s; QETO_SIM also names the sim)
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "log_handler.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "qeto_demo_accounts.h"
#include "sim_process.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/user_widget.h"

namespace demo = qeto::sim::demo;

namespace {

qint64 residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

QByteArray repoFile(const QString &name) {
    QFile f(QStringLiteral(QETO_SOURCE_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &relative, const QByteArray &bytes) {
    const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Waits with the event loop running, so the window goes on doing its work meanwhile.
bool waitFor(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 180;
    QString simPath = qEnvironmentVariable("QETO_SIM");
    if (simPath.isEmpty()) simPath = QString::fromStdString(qeto::test::simPath());
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds")) seconds = qMax(20, args[i + 1].toInt());
        if (args[i] == QLatin1String("--sim")) simPath = args[i + 1];
    }
    if (simPath.isEmpty() || !QFileInfo(simPath).isExecutable()) {
        std::fprintf(stderr, "qeto-sim not found: pass --sim PATH or set QETO_SIM\n");
        return 2;
    }
    // The log goes where the deployed client writes it, beside the executable.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    qInstallMessageHandler(messageHandler);

    qeto::test::SimProcess sim;
    std::string error;
    if (!sim.start(simPath.toStdString(), {"--md-codes", "5000", "--md-interval-ms", "100"}, &error)) {
        std::fprintf(stderr, "qeto-sim did not start: %s\n", error.c_str());
        return 2;
    }

    QByteArray api;
    for (const QByteArray &line : repoFile(QStringLiteral("config/api_config.txt")).split('\n'))
        api += (line.startsWith("URL=") ? "URL=tcp://127.0.0.1:" + QByteArray::number(sim.counterPort) + ';' : line) +
               '\n';
    const QByteArray ini =
        "[TRADE]\noperway=7\nbranchid=0001\nappid=qeto-desk\n\n[MD]\nswitch=1\nprintMD=0\n"
        "ip=127.0.0.1\nport=" +
        QByteArray::number(sim.mdPort) + '\n';
    if (!writeFile(QStringLiteral("config/api_config.txt"), api) ||
        !writeFile(QStringLiteral("config/qeto_desk_config.ini"), ini) ||
        !writeFile(QStringLiteral("config/error_msg.json"), repoFile(QStringLiteral("config/error_msg.json"))) ||
        !writeFile(QStringLiteral("version.txt"), repoFile(QStringLiteral("version.txt")))) {
        std::fprintf(stderr, "cannot lay the configuration files\n");
        return 2;
    }

    const qint64 startKb = residentKb();
    MainWindow window;
    window.show();
    LoginWidget *login = window.loginWidget();
    login->findChild<QComboBox *>(QStringLiteral("exchangeBox"))->setCurrentIndex(0);
    login->findChild<QLineEdit *>(QStringLiteral("accountEdit"))->setText(QLatin1String(demo::kAccount));
    login->findChild<QLineEdit *>(QStringLiteral("passwordEdit"))->setText(QStringLiteral("123456"));
    login->findChild<QPushButton *>(QStringLiteral("loginButton"))->click();

    StockQuotesWidget *quotes = nullptr;
    const bool in = waitFor(
        [&] {
            if (!window.workspace() || window.stack()->currentWidget() != window.workspace()) return false;
            quotes = window.workspace()->findChild<StockQuotesWidget *>();
            return quotes && quotes->table()->rowCount() == StockQuotesWidget::kMaxRows;
        },
        60000);
    if (!in) {
        std::fprintf(stderr, "no workspace with a full quote list within 60 s\n");
        sim.stop();
        return 1;
    }
    std::printf(
        "bench_soak: logged in, quote list %d rows; %d s against qeto-sim --md-codes 5000 "
        "--md-interval-ms 100\n",
        quotes->table()->rowCount(), seconds);
    std::printf("  VmRSS before the window %lld KB\n", static_cast<long long>(startKb));
    std::fflush(stdout);

    // Samples every 10 s from the login on.
    std::vector<std::pair<double, double>> samples;  // seconds, KB
    // The list keeps showing new prices: its first row's last price, seen at each sample.
    QStringList firstRowPrices;
    QElapsedTimer clock;
    clock.start();
    QTimer sampler;
    sampler.setInterval(10000);
    auto sample = [&] {
        const double t = clock.elapsed() / 1000.0;
        const qint64 kb = residentKb();
        samples.emplace_back(t, double(kb));
        const QTableWidgetItem *price = quotes->table()->item(0, 2);
        firstRowPrices << (price ? price->text() : QString());
        std::printf("  t=%4.0f s  VmRSS %8lld KB\n", t, static_cast<long long>(kb));
        std::fflush(stdout);
    };
    QObject::connect(&sampler, &QTimer::timeout, sample);
    sample();
    sampler.start();
    waitFor([&] { return clock.elapsed() >= seconds * 1000LL; }, seconds * 1000 + 10000);
    sampler.stop();
    if (samples.back().first < seconds - 5) sample();

    // Least-squares slope of the samples from 60 s on.
    std::vector<std::pair<double, double>> late;
    for (const auto &s : samples)
        if (s.first >= 60) late.push_back(s);
    double slopeKbPerS = 0, spreadKb = 0;
    if (late.size() >= 2) {
        double mt = 0, mk = 0;
        for (const auto &s : late) {
            mt += s.first;
            mk += s.second;
        }
        mt /= late.size();
        mk /= late.size();
        double num = 0, den = 0;
        for (const auto &s : late) {
            num += (s.first - mt) * (s.second - mk);
            den += (s.first - mt) * (s.first - mt);
        }
        slopeKbPerS = den > 0 ? num / den : 0;
        const auto mm = std::minmax_element(late.begin(), late.end(),
                                            [](const auto &a, const auto &b) { return a.second < b.second; });
        spreadKb = mm.second->second - mm.first->second;
    }
    std::printf("\n  VmRSS at 60 s %.0f KB, at the end %.0f KB\n", late.empty() ? 0.0 : late.front().second,
                samples.back().second);
    std::printf(
        "  growth after the first minute: %.1f MB/hour (least-squares over %zu samples); "
        "spread of those samples %.1f MB\n",
        slopeKbPerS * 3600 / 1024, late.size(), spreadKb / 1024);
    int changes = 0;
    for (int i = 1; i < firstRowPrices.size(); ++i) changes += firstRowPrices[i] != firstRowPrices[i - 1];
    std::printf("  quote list rows %d; first row's last price changed between %d of %d samples\n",
                quotes->table()->rowCount(), changes, int(firstRowPrices.size()) - 1);
    std::fflush(stdout);

    sim.stop();
    // The window is never closed (that ends the process at once); the gateway's and the
    // market-data threads are left to the process exit, as the client does.
    std::quick_exit(0);
}
