// Start-up and resident memory of the real client, Qeto-Desk as the build made it, against a
// bare QMainWindow with the same style sheet and font (bench_bare_window), both started the
// same way and measured by the same probe plugin inside them (bench_probe_plugin.cpp):
//   - process start until the login page has been painted;
//   - resident memory at that moment;
//   - resident memory in the workspace once the quote list shows 4,096 quotes from qeto-sim.
// Runs offscreen. Usage: bench_startup [start-up runs]   (default 7; QETO_SIM names the sim)
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_row.h"
#include "config_files.h"
#include "sim_process.h"

namespace {

struct Probe {
    double ms = -1;  // from the start of the process to the probe's report
    double mb = -1;  // VmRSS at the report
};

// Hard links where the file system allows them, else copies: the client reads its files
// beside itself, so it runs from a folder of its own.
bool placeBeside(const QString &from, const QString &to) {
    QFile::remove(to);
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    return QFile::copy(from, to);
}

bool layOutClient(const QString &dir, quint16 counterPort, quint16 mdPort) {
    QByteArray ini;
    for (const QByteArray &line : cfgtest::repoFile("qeto_desk_config.ini").split('\n'))
        ini += (line.startsWith("port=") ? "port=" + QByteArray::number(mdPort) : line) + '\n';
    return QDir(dir).mkpath("config") && placeBeside(QStringLiteral(QETO_DESK_EXE), dir + "/Qeto-Desk") &&
           placeBeside(QStringLiteral(QETO_GATE_LIB),
                       dir + "/" + QFileInfo(QStringLiteral(QETO_GATE_LIB)).fileName()) &&
           cfgtest::writeFile(dir + "/version.txt", "1.0.0\n") &&
           cfgtest::writeFile(dir + "/config/api_config.txt", cfgtest::apiConfigFor(counterPort)) &&
           cfgtest::writeFile(dir + "/config/qeto_desk_config.ini", ini) &&
           cfgtest::writeFile(dir + "/config/error_msg.json", cfgtest::repoFile("error_msg.json"));
}

Probe launch(const QString &program, const QString &probe, const QString &workDir) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(QETO_PROBE_PLUGIN_PATH));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), probe);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // steady_clock is CLOCK_MONOTONIC, the clock the probe reports in.
    const auto t0 = std::chrono::steady_clock::now().time_since_epoch();
    p.start(program, QStringList());
    Probe r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    const QList<QByteArray> words = p.readAllStandardOutput().trimmed().split('\n').last().split(' ');
    if (words.size() != 4 || words[0] != "probe") return r;
    r.ms = (words[2].toLongLong() - std::chrono::duration_cast<std::chrono::nanoseconds>(t0).count()) / 1e6;
    r.mb = words[3].toLongLong() / 1024.0;
    return r;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 7;
    QTemporaryDir work;  // the working directory: the client's log goes there
    const QString clientDir = QCoreApplication::applicationDirPath() + QStringLiteral("/client");
    const QString client = clientDir + QStringLiteral("/Qeto-Desk");
    const QString bare = QStringLiteral(QETO_BARE_WINDOW_EXE);
    if (!work.isValid() || !layOutClient(clientDir, 1, 1)) {
        std::fprintf(stderr, "bench_startup: cannot lay out the client\n");
        return 2;
    }

    // Alternating, so that a change in the machine's load meets both alike.
    std::vector<double> clientMs, bareMs, clientMb, bareMb;
    for (int i = 0; i < runs + 1; ++i) {
        const Probe c = launch(client, QStringLiteral("qetobenchprobe"), work.path());
        const Probe b = launch(bare, QStringLiteral("qetobenchprobe"), work.path());
        if (c.ms < 0 || b.ms < 0) {
            std::fprintf(stderr, "bench_startup: a probe did not report\n");
            return 1;
        }
        if (i == 0) continue;  // the first run warms the file and font caches
        clientMs.push_back(c.ms);
        bareMs.push_back(b.ms);
        clientMb.push_back(c.mb);
        bareMb.push_back(b.mb);
    }

    qeto::test::SimProcess sim;
    std::string error;
    if (!sim.start(qeto::test::simPath(), {"--md-codes", "4096"}, &error) ||
        !layOutClient(clientDir, sim.counterPort, sim.mdPort)) {
        std::fprintf(stderr, "bench_startup: qeto-sim did not start: %s\n", error.c_str());
        return 2;
    }
    const Probe ws = launch(client, QStringLiteral("qetobenchprobe:workspace"), work.path());
    sim.stop();
    if (ws.mb < 0) {
        std::fprintf(stderr, "bench_startup: no workspace with 4096 quotes\n");
        return 1;
    }

    std::printf("start-up to the first paint, %d runs after one warm-up (median):\n", runs);
    std::printf("  Qeto-Desk login page  %8.1f ms   VmRSS %7.1f MB\n", bench::median(clientMs),
                bench::median(clientMb));
    std::printf("  bare window           %8.1f ms   VmRSS %7.1f MB\n", bench::median(bareMs), bench::median(bareMb));
    std::printf("  Qeto-Desk workspace with 4096 quotes: VmRSS %7.1f MB (%.1f s after start)\n", ws.mb, ws.ms / 1e3);
    bench::printRow("start-up to the login page painted", bench::median(clientMs), "ms", bench::median(bareMs),
                    bench::Better::Lower);
    bench::printRow("resident memory at the login page", bench::median(clientMb), "MB", bench::median(bareMb),
                    bench::Better::Lower);
    bench::printRow("resident memory in the workspace, 4,096 quotes", ws.mb, "MB", bench::median(bareMb),
                    bench::Better::Lower);
    return 0;
}
