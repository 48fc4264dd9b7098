// Crash reports: the dump name, and a child process that really crashes.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "crash_dump.h"

extern char **environ;

namespace {

// Runs in the child: install the handler, then fail in the way asked for.
volatile int gZero = 0;
volatile int *gNull = nullptr;

__attribute__((noinline)) int recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (gZero > 1)  // never true; keeps the recursion unbounded without the compiler noticing
        return pad[0];
    return recurse(depth + 1) + pad[0];
}

int crashChild(const char *kind) {
    installCrashDumpFilter();
    if (!std::strcmp(kind, "segv"))
        *gNull = 1;
    else if (!std::strcmp(kind, "abort"))
        std::abort();
    else if (!std::strcmp(kind, "fpe"))
        return 10 / gZero;
    else if (!std::strcmp(kind, "overflow"))
        return recurse(0);
    else if (!std::strcmp(kind, "thread"))
        std::thread([] { *gNull = 2; }).join();
    else if (!std::strcmp(kind, "kill"))
        kill(getpid(), SIGBUS);  // a signal sent, not caused: only re-raising ends the process
    else if (!std::strcmp(kind, "threads")) {
        // Two threads parked in the C library, then a fault on the main thread.
        static std::atomic<int> started{0};
        for (int i = 0; i < 2; ++i)
            std::thread([] {
                ++started;
                pause();
            }).detach();
        while (started.load() < 2) std::this_thread::yield();
        *gNull = 3;
    }
    return 0;
}

struct ChildResult {
    pid_t pid = -1;
    int status = 0;
};

// path: the child's PATH, where the crash handler looks for its stack printer; empty keeps ours.
ChildResult runChild(const QString &dir, const char *kind, const QByteArray &tz,
                     const QByteArray &path = QByteArray()) {
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const QByteArray cwd = QFile::encodeName(dir);
    QList<QByteArray> env;
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "TZ=", 3) != 0 && (path.isEmpty() || std::strncmp(*e, "PATH=", 5) != 0))
            env << QByteArray(*e);
    env << "TZ=" + tz;
    if (!path.isEmpty()) env << "PATH=" + path;
    std::vector<char *> envp;
    for (QByteArray &e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(self.constData()), const_cast<char *>("--crash-child"), const_cast<char *>(kind),
                    nullptr};

    ChildResult r;
    r.pid = fork();
    if (r.pid == 0) {
        const rlimit noCore = {0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (chdir(cwd.constData()) == 0) execve(self.constData(), argv, envp.data());
        _exit(127);
    }
    if (r.pid > 0) waitpid(r.pid, &r.status, 0);
    return r;
}

}  // namespace

class TestCrashDump : public QObject {
    Q_OBJECT

private slots:
    void dumpName_data();
    void dumpName();
    void tooSmallBuffer();
    void report_data();
    void report();
    void threadStacks_data();
    void threadStacks();
};

void TestCrashDump::dumpName_data() {
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QString>("expected");
    QTest::newRow("example") << QList<int>{2024, 3, 5, 9, 30, 1, 42} << QStringLiteral("20240305_093001042.dmp");
    QTest::newRow("all zero") << QList<int>{0, 0, 0, 0, 0, 0, 0} << QStringLiteral("00000000_000000000.dmp");
    QTest::newRow("largest") << QList<int>{9999, 12, 31, 23, 59, 59, 999} << QStringLiteral("99991231_235959999.dmp");
    // Widths are minimums, as with printf: a wider number is written whole.
    QTest::newRow("wide year") << QList<int>{12345, 1, 2, 3, 4, 5, 6} << QStringLiteral("123450102_030405006.dmp");
}

void TestCrashDump::dumpName() {
    QFETCH(QList<int>, fields);
    QFETCH(QString, expected);
    CrashTime t;
    t.year = static_cast<unsigned short>(fields[0]);
    t.month = static_cast<unsigned short>(fields[1]);
    t.day = static_cast<unsigned short>(fields[2]);
    t.hour = static_cast<unsigned short>(fields[3]);
    t.minute = static_cast<unsigned short>(fields[4]);
    t.second = static_cast<unsigned short>(fields[5]);
    t.millisecond = static_cast<unsigned short>(fields[6]);

    char narrow[64];
    QCOMPARE(formatCrashDumpName(narrow, sizeof(narrow), t), std::size_t(expected.size()));
    QCOMPARE(QString::fromLatin1(narrow), expected);

    wchar_t wide[64];
    QCOMPARE(formatCrashDumpName(wide, 64, t), std::size_t(expected.size()));
    QCOMPARE(QString::fromWCharArray(wide), expected);
}

void TestCrashDump::tooSmallBuffer() {
    const CrashTime t = {2024, 3, 5, 9, 30, 1, 42};
    char buf[32];
    std::memset(buf, 'x', sizeof(buf));
    // 22 characters plus the terminating zero need 23.
    QCOMPARE(formatCrashDumpName(buf, 22, t), std::size_t(0));
    QCOMPARE(buf[22], 'x');
    QCOMPARE(formatCrashDumpName(buf, 23, t), std::size_t(22));
    QCOMPARE(buf[22], '\0');
}

void TestCrashDump::report_data() {
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<int>("utcOffset");
    QTest::addColumn<bool>("mainThread");
    QTest::addColumn<QString>("address");

    QTest::newRow("null pointer") << QByteArray("segv") << SIGSEGV << "SIGSEGV" << QByteArray("UTC0") << 0 << true
                                  << "0x0";
    QTest::newRow("abort, east of UTC") << QByteArray("abort") << SIGABRT << "SIGABRT" << QByteArray("XST-8")
                                        << 8 * 3600 << true << QString();
    QTest::newRow("division by zero, west of UTC")
        << QByteArray("fpe") << SIGFPE << "SIGFPE" << QByteArray("XST+5:30") << -(5 * 3600 + 1800) << true << QString();
    QTest::newRow("stack overflow") << QByteArray("overflow") << SIGSEGV << "SIGSEGV" << QByteArray("UTC0") << 0 << true
                                    << QString();
    QTest::newRow("other thread") << QByteArray("thread") << SIGSEGV << "SIGSEGV" << QByteArray("UTC0") << 0 << false
                                  << "0x0";
    QTest::newRow("sent by kill") << QByteArray("kill") << SIGBUS << "SIGBUS" << QByteArray("UTC0") << 0 << true
                                  << QString();
}

void TestCrashDump::report() {
    QFETCH(QByteArray, kind);
    QFETCH(int, signal);
    QFETCH(QString, name);
    QFETCH(QByteArray, tz);
    QFETCH(int, utcOffset);
    QFETCH(bool, mainThread);
    QFETCH(QString, address);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(utcOffset).addSecs(-2);
    const ChildResult child = runChild(dir.path(), kind.constData(), tz);
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(utcOffset).addSecs(2);
    QVERIFY(child.pid > 0);
    QVERIFY2(WIFSIGNALED(child.status), qPrintable(QString::number(child.status)));
    QCOMPARE(WTERMSIG(child.status), signal);

    const QStringList dumps = QDir(dir.path()).entryList({"*.dmp"}, QDir::Files);
    QCOMPARE(dumps.size(), 1);
    const QRegularExpressionMatch m = QRegularExpression("^(\\d{8}_\\d{9})\\.dmp$").match(dumps[0]);
    QVERIFY2(m.hasMatch(), qPrintable(dumps[0]));
    // The name is local time of the crash, in the zone the child ran in.
    QDateTime stamp = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd_hhmmsszzz"));
    stamp.setTimeSpec(Qt::UTC);
    QVERIFY2(stamp >= before && stamp <= after,
             qPrintable(stamp.toString(Qt::ISODateWithMs) + " outside " + before.toString(Qt::ISODateWithMs)));

    QFile f(dir.filePath(dumps[0]));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLocal8Bit(f.readAll()).split('\n');
    QVERIFY(lines.contains(QStringLiteral("signal: %1 (%2)").arg(signal).arg(name)));
    QVERIFY(lines.contains(QStringLiteral("pid: %1").arg(child.pid)));
    const int tidAt = lines.indexOf(QRegularExpression("^tid: \\d+$"));
    QVERIFY(tidAt >= 0);
    QCOMPARE(lines[tidAt] == QStringLiteral("tid: %1").arg(child.pid), mainThread);
    QVERIFY(lines.indexOf(QRegularExpression("^address: 0x[0-9a-f]+$")) >= 0);
    if (!address.isEmpty()) QVERIFY(lines.contains("address: " + address));
    const QString time = stamp.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    QVERIFY2(lines.contains("time: " + time), qPrintable(time));
    const int bt = lines.indexOf(QStringLiteral("backtrace:"));
    QVERIFY(bt >= 0);
    int frames = 0;
    for (int i = bt + 1; i < lines.size(); ++i)
        frames += lines[i].contains(QRegularExpression("\\[0x[0-9a-f]+\\]$")) ? 1 : 0;
    QVERIFY2(frames >= 2, qPrintable(lines.join('\n')));
}

void TestCrashDump::threadStacks_data() {
    QTest::addColumn<bool>("printer");
    QTest::newRow("stack printer on PATH") << true;
    QTest::newRow("no stack printer") << false;
}

// Every thread's stack with names comes from the stack printer; without it the raw report stands.
void TestCrashDump::threadStacks() {
    QFETCH(bool, printer);
    const QString euStack = QStandardPaths::findExecutable(QStringLiteral("eu-stack"));
    if (printer && euStack.isEmpty()) QSKIP("eu-stack (elfutils) not installed");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = printer ? QFile::encodeName(QFileInfo(euStack).path()) : QByteArray("/nonexistent");
    const ChildResult child = runChild(dir.path(), "threads", "UTC0", path);
    QVERIFY(WIFSIGNALED(child.status));
    QCOMPARE(WTERMSIG(child.status), SIGSEGV);
    const QStringList dumps = QDir(dir.path()).entryList({"*.dmp"}, QDir::Files);
    QCOMPARE(dumps.size(), 1);
    QFile f(dir.filePath(dumps[0]));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString report = QString::fromLocal8Bit(f.readAll());

    // The raw part: this executable's build id and its load address among the modules.
    const QRegularExpressionMatch id =
        QRegularExpression("^build-id: ([0-9a-f]{40})$", QRegularExpression::MultilineOption).match(report);
    QVERIFY2(id.hasMatch(), qPrintable(report));
    QVERIFY(report.contains(
        QRegularExpression("^0x[0-9a-f]+ " + id.captured(1) + " /", QRegularExpression::MultilineOption)));
    QVERIFY(
        report.contains(QRegularExpression("^backtrace:\n.*\\[0x[0-9a-f]+\\]$", QRegularExpression::MultilineOption)));

    if (!printer) {
        QVERIFY2(report.contains("threads: not listed (eu-stack not found"), qPrintable(report));
        return;
    }
    QVERIFY2(report.contains("threads: stack printer exit status"), qPrintable(report));
    const QStringList sections = report.split(QRegularExpression("^TID ", QRegularExpression::MultilineOption));
    QCOMPARE(sections.size() - 1, 3);  // the main thread and both parked ones
    const QStringList mainThread = sections.filter(QRegularExpression(QStringLiteral("^%1:").arg(child.pid)));
    QCOMPARE(mainThread.size(), 1);
    for (const char *frame : {" crashChild", " main "})
        QVERIFY2(mainThread[0].contains(QLatin1String(frame)), qPrintable(mainThread[0]));
    QVERIFY2(mainThread[0].contains("tst_crashdump.cpp:"), qPrintable(mainThread[0]));
}

int main(int argc, char **argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--crash-child") == 0) return crashChild(argv[2]);
    QCoreApplication app(argc, argv);
    TestCrashDump test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashdump.moc"
