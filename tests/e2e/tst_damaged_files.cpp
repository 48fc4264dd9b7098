// The real client started beside damaged files: each file it reads (version.txt and the three
// files under config/) missing, empty, binary, 50 MB or holding values of the wrong type.
// Every case must end in a stated outcome within a bound: the login page and then the
// workspace, a message box, or an exit with a message; never a crash or a hang.
// A generic plugin (login_driver_plugin.cpp) plays the user inside the client.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include "config_files.h"
#include "sim_process.h"

namespace {

constexpr qint64 kBigFile = 50 << 20;
constexpr int kHangGuardMs = 20000;

using cfgtest::repoFile;
using cfgtest::writeFile;

QByteArray randomBytes(int n, quint32 seed) {
    QRandomGenerator gen(seed);
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i) out[i] = char(gen.bounded(256));
    return out;
}

// `head`, `fill` repeated to at least kBigFile bytes in all, then `tail`; written in chunks.
bool writeBig(const QString &path, const QByteArray &head, const QByteArray &fill, const QByteArray &tail = {}) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(head) != head.size()) return false;
    QByteArray chunk;
    while (chunk.size() < (1 << 20)) chunk += fill;
    while (f.size() < kBigFile)
        if (f.write(chunk) != chunk.size()) return false;
    return f.write(tail) == tail.size();
}

// A hard link where the file system allows it (the binaries are large), else a copy.
bool placeBeside(const QString &from, const QString &to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    return QFile::copy(from, to);
}

// Peak resident memory of a running process, in MB (Linux), -1 when unknown.
int peakRssMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return int(line.mid(6).trimmed().split(' ').first().toLongLong() / 1024);
    return -1;
}

}  // namespace

class TstDamagedFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void damagedFile_data();
    void damagedFile();

private:
    bool layOut(const QString &dir);
    bool damage(const QString &dir, const QString &file, const QString &how);

    qeto::test::SimProcess mSim;
    quint16 mCounterPort = 0;
};

void TstDamagedFiles::initTestCase() {
    const QString sim = qEnvironmentVariable("QETO_SIM");
    if (sim.isEmpty() || !QFileInfo(sim).isExecutable()) QSKIP("QETO_SIM does not name the simulator");
    std::string error;
    QVERIFY2(mSim.start(sim.toStdString(), {}, &error), error.c_str());
    mCounterPort = mSim.counterPort;
}

void TstDamagedFiles::cleanupTestCase() { mSim.stop(); }

// The directory as the build lays it out, with sound files pointing at the simulator.
bool TstDamagedFiles::layOut(const QString &dir) {
    const QByteArray api = cfgtest::apiConfigFor(mCounterPort);
    return QDir(dir).mkpath("config") && placeBeside(QStringLiteral(QETO_DESK_EXE), dir + "/Qeto-Desk") &&
           placeBeside(QStringLiteral(QETO_GATE_LIB),
                       dir + "/" + QFileInfo(QStringLiteral(QETO_GATE_LIB)).fileName()) &&
           writeFile(dir + "/version.txt", "1.0.7\n") && writeFile(dir + "/config/api_config.txt", api) &&
           writeFile(dir + "/config/qeto_desk_config.ini", repoFile("qeto_desk_config.ini")) &&
           writeFile(dir + "/config/error_msg.json", repoFile("error_msg.json"));
}

bool TstDamagedFiles::damage(const QString &dir, const QString &file, const QString &how) {
    const QString path = dir + "/" + file;
    QFile sound(path);
    if (!sound.open(QIODevice::ReadOnly)) return false;
    const QByteArray good = sound.readAll();
    sound.close();
    if (how == "missing") return QFile::remove(path);
    if (how == "empty") return writeFile(path, QByteArray());
    if (how == "binary") return writeFile(path, randomBytes(4096, 8));
    if (how == "50 MB") {
        if (file.endsWith(".json"))
            return writeBig(path, "{\"manager\": [\n", "{\"errorid\": 100000, \"errormsg\": \"padding\"},\n",
                            "{\"errorid\": 0, \"errormsg\": \"\"}]}\n");
        // The sound content, then one line as long as the rest of the 50 MB; the version file
        // gets it as its first line.
        return writeBig(path, file == "version.txt" ? good.trimmed() : good, "x");
    }
    if (how == "a directory") return QFile::remove(path) && QDir().mkpath(path);
    if (how == "a named pipe") return QFile::remove(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (how == "numbers not numbers") {
        QByteArray api = good;
        api.replace("SuperLog=0", "SuperLog=yes").replace("CpuCore=-1", "CpuCore=first");
        api.replace("PlatformSerialNum=", "PlatformSerialNum=ThisSerialIsFarLongerThanEighteen");
        return writeFile(path, api);
    }
    if (how == "URL not an address") {
        QByteArray api = good;
        api.replace(QRegularExpression("(?m)^URL=[^\n]*").match(QString::fromUtf8(good)).captured(0).toUtf8(),
                    "URL=8888");
        return writeFile(path, api);
    }
    if (how == "keys inside a section") return writeFile(path, "[gateway]\n" + good);
    if (how == "values of the wrong type" && file.endsWith(".ini"))
        return writeFile(
            path,
            "[TRADE]\noperway=\xe4\xb8\xad\nbranchid=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\xff)\nappid=@ByteArray(\n"
            "[MD]\nswitch=on\nprintMD=1.5e99\nip=@Variant(garbage\nport=http\n");
    if (how == "a value Qt cannot decode") {
        // An "@Variant" list claiming billions of elements: the MD section reads as absent.
        static const char kDamaged[] =
            "@Variant(\0\0\0\x09"
            "f\\0\\0\\\xed\\xff)";
        return writeFile(path, good.left(good.indexOf("[MD]")) +
                                   "[MD]\nswitch=" + QByteArray(kDamaged, sizeof kDamaged - 1) + "\nport=9999\n");
    }
    if (how == "values of the wrong type")
        return writeFile(path, R"({"SS": 5, "SZ": [[1], "a", null], "manager": {"errorid": "x", "errormsg": []}})");
    return false;
}

void TstDamagedFiles::damagedFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("title");    // pattern of the window title at the login page
    QTest::addColumn<QString>("outcome");  // driver line that ends the case, or "exit N | text"

    const QString version = QStringLiteral("version.txt");
    const QString api = QStringLiteral("config/api_config.txt");
    const QString ini = QStringLiteral("config/qeto_desk_config.ini");
    const QString json = QStringLiteral("config/error_msg.json");
    const QString sound = QStringLiteral("Qeto-Desk 1\\.0\\.7");
    const QString fallback = QStringLiteral("Qeto-Desk 3\\.2");
    const QString workspace = QStringLiteral("page: workspace");
    const QString lacks = QStringLiteral("box: 错误 | api_config.txt缺少配置项[");

    QTest::newRow("version missing") << version << "missing" << fallback << workspace;
    QTest::newRow("version empty") << version << "empty" << fallback << workspace;
    QTest::newRow("version binary") << version << "binary"
                                    << "Qeto-Desk .{1,4096}" << workspace;
    QTest::newRow("version 50 MB") << version << "50 MB"
                                   << "Qeto-Desk 1\\.0\\.7x{4091}" << workspace;
    QTest::newRow("version a directory") << version << "a directory" << fallback << workspace;
    QTest::newRow("version a named pipe") << version << "a named pipe" << fallback << workspace;

    QTest::newRow("api missing") << api << "missing" << sound << "box: 错误 | 配置文件不存在！";
    QTest::newRow("api empty") << api << "empty" << sound << lacks;
    QTest::newRow("api binary") << api << "binary" << sound << lacks;
    QTest::newRow("api 50 MB") << api << "50 MB" << sound << workspace;
    QTest::newRow("api numbers not numbers") << api << "numbers not numbers" << sound << workspace;
    QTest::newRow("api URL not an address") << api << "URL not an address" << sound << "box: 错误 | startApi失败";
    QTest::newRow("api keys inside a section")
        << api << "keys inside a section" << sound << "exit 1 | key [URL] not exist";

    QTest::newRow("ini missing") << ini << "missing" << sound << "box: 错误 | qeto_desk_config.ini配置文件不存在！";
    // Without its TRADE values the login goes out with an empty branch and app id, and the
    // counter refuses it.
    const QString refused = QStringLiteral("box: 消息 | [1004]营业部或应用编号不符");
    QTest::newRow("ini empty") << ini << "empty" << sound << refused;
    QTest::newRow("ini binary") << ini << "binary" << sound << refused;
    QTest::newRow("ini 50 MB") << ini << "50 MB" << sound << workspace;
    QTest::newRow("ini wrong types") << ini << "values of the wrong type" << sound << refused;
    QTest::newRow("ini value Qt cannot decode") << ini << "a value Qt cannot decode" << sound << workspace;

    QTest::newRow("catalogue missing") << json << "missing" << sound << workspace;
    QTest::newRow("catalogue empty") << json << "empty" << sound << workspace;
    QTest::newRow("catalogue binary") << json << "binary" << sound << workspace;
    QTest::newRow("catalogue 50 MB") << json << "50 MB" << sound << workspace;
    QTest::newRow("catalogue wrong types") << json << "values of the wrong type" << sound << workspace;
    QTest::newRow("catalogue a named pipe") << json << "a named pipe" << sound << workspace;
}

void TstDamagedFiles::damagedFile() {
    QFETCH(QString, file);
    QFETCH(QString, how);
    QFETCH(QString, title);
    QFETCH(QString, outcome);

    QTemporaryDir dir(QDir::currentPath() + "/damaged-XXXXXX");
    QVERIFY(dir.isValid());
    QVERIFY(layOut(dir.path()));
    QVERIFY2(damage(dir.path(), file, how), qPrintable(how));

    QProcess client;
    client.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_PLUGIN_PATH", QStringLiteral(QETO_DRIVER_PLUGIN_PATH));
    env.insert("QT_QPA_GENERIC_PLUGINS", "qetologindriver");
    client.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    client.start(dir.path() + "/Qeto-Desk", QStringList());
    QVERIFY2(client.waitForStarted(), qPrintable(client.errorString()));

    const QRegularExpressionMatch exit = QRegularExpression("^exit (\\d+) \\| (.*)$").match(outcome);
    QByteArray out;
    auto ended = [&] {
        out += client.readAllStandardOutput();
        return client.state() == QProcess::NotRunning || (!exit.hasMatch() && out.contains(outcome.toUtf8()));
    };
    // Whatever happens below, the client does not outlive the case.
    const QScopeGuard stop([&] {
        client.kill();
        client.waitForFinished();
    });
    QTRY_VERIFY2_WITH_TIMEOUT(ended(), out.constData(), kHangGuardMs);
    const qint64 elapsed = clock.elapsed();
    const int peak = peakRssMb(client.processId());
    const bool running = client.state() == QProcess::Running;
    client.kill();
    client.waitForFinished();
    out += client.readAllStandardOutput();
    qInfo("%s: outcome after %lld ms, peak resident memory %d MB", QTest::currentDataTag(), elapsed, peak);

    const QString shown = QString::fromUtf8(out);
    if (exit.hasMatch()) {
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QCOMPARE(client.exitCode(), exit.captured(1).toInt());
        QVERIFY2(shown.contains(exit.captured(2)), qPrintable(shown));
    } else {
        QVERIFY2(running, qPrintable(shown + QString::fromLocal8Bit(client.readAllStandardError())));
    }
    const QRegularExpressionMatch titleLine = QRegularExpression("(?m)^title: (.*)$").match(shown);
    QVERIFY2(titleLine.hasMatch(), qPrintable(shown));
    QVERIFY2(QRegularExpression("(?s)^" + title + "$").match(titleLine.captured(1)).hasMatch(),
             qPrintable(titleLine.captured(1)));

    // Start-up got as far as reading the version, and logged it under the working directory.
    bool logged = false;
    for (const QString &name : QDir(dir.path() + "/log").entryList({"Qeto-Desk-*.log"}, QDir::Files)) {
        QFile log(dir.path() + "/log/" + name);
        logged = logged || (log.open(QIODevice::ReadOnly) && log.readAll().contains("version : "));
    }
    QVERIFY(logged);
}

QTEST_GUILESS_MAIN(TstDamagedFiles)
#include "tst_damaged_files.moc"
