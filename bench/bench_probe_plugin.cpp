// A Qt generic plugin loaded into the program measured (QT_QPA_GENERIC_PLUGINS=qetobenchprobe):
// once the first window has been painted it prints
//   probe painted <CLOCK_MONOTONIC ns> <VmRSS KiB>
// and ends the process. Loaded as "qetobenchprobe:workspace" it logs the demo account in
// instead, waits until the quote list shows all its rows, the first with its order button, lets two
// refreshes pass and prints "probe workspace <ns> <KiB>" before ending the process.
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

#include "login_page.h"

namespace {

constexpr int kQuoteRows = 4096;

long long monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

long long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

[[noreturn]] void reportAndExit(const char *what) {
    std::printf("probe %s %lld %lld\n", what, monotonicNs(), residentKb());
    std::fflush(stdout);
    ::_exit(0);
}

class Probe : public QObject {
public:
    explicit Probe(bool workspace) : mWorkspace(workspace) {
        qApp->installEventFilter(this);
        connect(&mTimer, &QTimer::timeout, this, &Probe::tick);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        // The first paint event starts the painting of the whole window; the zero timer runs
        // once that painting is over.
        if (event->type() == QEvent::Paint && !mPainted) {
            mPainted = true;
            QTimer::singleShot(0, this, [this] {
                if (!mWorkspace) reportAndExit("painted");
                mTimer.start(100);
            });
        }
        return false;
    }

private:
    void tick() {
        if (!mClicked) {
            QPushButton *button = qeto::test::fillDemoLogin();
            if (!button) return;
            button->click();
            mClicked = true;
            return;
        }
        if (mFullAt < 0) {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                for (QTableWidget *table : top->findChildren<QTableWidget *>()) {
                    if (table->rowCount() == kQuoteRows && table->cellWidget(0, table->columnCount() - 1))
                        mFullAt = mTicks;
                }
            }
        } else if (mTicks - mFullAt >= 20) {
            reportAndExit("workspace");
        }
        ++mTicks;
    }

    const bool mWorkspace;
    bool mPainted = false;
    bool mClicked = false;
    int mTicks = 0;
    int mFullAt = -1;
    QTimer mTimer;
};

}  // namespace

class ProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "bench_probe.json")
public:
    QObject *create(const QString &, const QString &options) override {
        return new Probe(options == QLatin1String("workspace"));
    }
};

#include "bench_probe_plugin.moc"
