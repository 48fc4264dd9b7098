// Log line format, the day's file, concurrent writers, and the version read at start-up.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "constants.h"
#include "local_text.h"
#include "log_handler.h"
#include "version.h"

namespace {

const QDateTime kMorning(QDate(2024, 3, 5), QTime(9, 30, 1, 42));

QString pos37(const QString &s) { return s.rightJustified(37, QLatin1Char(' ')); }

QStringList readLines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString text = QTextCodec::codecForLocale()->toUnicode(f.readAll());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Installs the handler for one test and puts the previous one and the default settings back.
struct HandlerScope {
    QtMessageHandler previous;
    explicit HandlerScope(const LogSettings &settings) {
        setLogSettings(settings);
        previous = qInstallMessageHandler(messageHandler);
    }
    ~HandlerScope() {
        qInstallMessageHandler(previous);
        setLogSettings(LogSettings());
    }
};

}  // namespace

class TestLogging : public QObject {
    Q_OBJECT

private slots:
    void lineFormat_data();
    void lineFormat();
    void contextOfRealMessages();
    void dayRollover();
    void appendsAndCreatesDirectory();
    void messageFromInsideHandlerIsDropped();
    void unusableDirectoryDropsMessage_data();
    void unusableDirectoryDropsMessage();
    void defaultDirectoryFollowsWorkingDirectory();
    void localEncodingRoundTrip();
    void localCodecBytes_data();
    void localCodecBytes();
    void concurrentWriters();

    void readVersionFile_data();
    void readVersionFile();
    void windowTitle_data();
    void windowTitle();
    void getVersionReadsBesideExecutableAndLogs();
};

void TestLogging::lineFormat_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("expected");

    const QString t = QStringLiteral("2024-03-05 09:30:01   ");
    const QByteArray win("C:\\src\\app\\login\\login_widget.cpp");
    const QString lw = pos37(QStringLiteral("login_widget.cpp:88"));

    QTest::newRow("debug") << int(QtDebugMsg) << win << true << 88 << "hello" << qint64(4321)
                           << t + " DEBUG      " + lw + "    00004321    hello";
    QTest::newRow("info") << int(QtInfoMsg) << win << true << 88 << "hello" << qint64(4321)
                          << t + " INFO      " + lw + "    00004321    hello";
    QTest::newRow("warning") << int(QtWarningMsg) << win << true << 88 << "hello" << qint64(4321)
                             << t + " WARNING   " + lw + "    00004321    hello";
    // Empty level word: five spaces between the time and the position field.
    QTest::newRow("critical") << int(QtCriticalMsg) << win << true << 88 << "x" << qint64(1)
                              << QStringLiteral("2024-03-05 09:30:01     ") + lw + "    00000001    x";
    QTest::newRow("fatal") << int(QtFatalMsg) << win << true << 88 << "x" << qint64(1)
                           << QStringLiteral("2024-03-05 09:30:01     ") + lw + "    00000001    x";

    QTest::newRow("literal line") << int(QtInfoMsg) << QByteArray("a\\b.cpp") << true << 7 << "m" << qint64(4321)
                                  << QStringLiteral(
                                         "2024-03-05 09:30:01    INFO"
                                         "%1"
                                         "b.cpp:7    00004321    m")
                                         .arg(QString(36, ' '));
    QTest::newRow("forward slashes keep the path")
        << int(QtInfoMsg) << QByteArray("/w/app/x.cpp") << true << 3 << "m" << qint64(4321)
        << t + " INFO      " + pos37("/w/app/x.cpp:3") + "    00004321    m";
    QTest::newRow("mixed separators") << int(QtInfoMsg) << QByteArray("C:\\a/b\\c/d.cpp") << true << 3 << "m"
                                      << qint64(4321) << t + " INFO      " + pos37("c/d.cpp:3") + "    00004321    m";
    QTest::newRow("trailing backslash") << int(QtInfoMsg) << QByteArray("C:\\dir\\") << true << 3 << "m" << qint64(4321)
                                        << t + " INFO      " + pos37(":3") + "    00004321    m";
    QTest::newRow("no file context") << int(QtInfoMsg) << QByteArray() << false << 55 << "m" << qint64(4321)
                                     << t + " INFO      " + pos37(":0") + "    00004321    m";

    const QString exact = QStringLiteral("abcdefghijklmnopqrstuvwxyz01234.cpp:9");  // 37 characters
    QTest::newRow("position of exactly 37") << int(QtInfoMsg) << exact.left(35).toLatin1() << true << 9 << "m"
                                            << qint64(4321) << t + " INFO      " + exact + "    00004321    m";
    const QString longName = QStringLiteral("quotes_tcp_client_with_a_much_longer_name.cpp");
    QTest::newRow("long position not cut") << int(QtInfoMsg) << ("src\\" + longName.toLatin1()) << true << 1234 << "m"
                                           << qint64(4321) << t + " INFO      " + longName + ":1234    00004321    m";

    QTest::newRow("placeholders in message") << int(QtInfoMsg) << win << true << 88 << "%1 and %2 %5 %%" << qint64(4321)
                                             << t + " INFO      " + lw + "    00004321    %1 and %2 %5 %%";
    QTest::newRow("placeholders in file name")
        << int(QtInfoMsg) << QByteArray("x\\p%4q%1.cpp") << true << 2 << "m" << qint64(4321)
        << t + " INFO      " + pos37("p%4q%1.cpp:2") + "    00004321    m";
    QTest::newRow("pid zero") << int(QtInfoMsg) << win << true << 88 << "m" << qint64(0)
                              << t + " INFO      " + lw + "    00000000    m";
    QTest::newRow("pid wider than 8") << int(QtInfoMsg) << win << true << 88 << "m" << qint64(123456789)
                                      << t + " INFO      " + lw + "    123456789    m";
    QTest::newRow("empty message") << int(QtInfoMsg) << win << true << 88 << "" << qint64(4321)
                                   << t + " INFO      " + lw + "    00004321    ";
    QTest::newRow("chinese message") << int(QtWarningMsg) << win << true << 88
                                     << QStringLiteral("slotFrontDisconnected与柜台的链接断开[4097]") << qint64(4321)
                                     << t + " WARNING   " + lw +
                                            "    00004321    slotFrontDisconnected与柜台的链接断开[4097]";
}

void TestLogging::lineFormat() {
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(bool, hasFile);
    QFETCH(int, line);
    QFETCH(QString, msg);
    QFETCH(qint64, pid);
    QFETCH(QString, expected);

    const QString got = formatLogLine(QtMsgType(type), hasFile ? file.constData() : nullptr, line, msg, kMorning, pid);
    QCOMPARE(got, expected);
}

void TestLogging::contextOfRealMessages() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    HandlerScope scope({[] { return kMorning; }, dir.path() + "/log"});

    const int line = __LINE__ + 1;
    qInfo() << "through qInfo";
    qWarning("through %s", "qWarning");

    const QStringList lines = readLines(dir.path() + "/log/Qeto-Desk-20240305.log");
    QCOMPARE(lines.size(), 2);
    // Release builds keep the source position too.
    const QString where = QStringLiteral(__FILE__ ":%1").arg(line);
    QVERIFY2(lines[0].contains(" INFO      " + pos37(where) + "   "), qPrintable(lines[0]));
    QVERIFY(lines[0].endsWith("    through qInfo"));
    QVERIFY2(lines[1].contains(QStringLiteral(__FILE__ ":%1").arg(line + 1)), qPrintable(lines[1]));
    const QString pid = QStringLiteral("%1").arg(QCoreApplication::applicationPid(), 8, 10, QLatin1Char('0'));
    QVERIFY(lines[1].endsWith("    " + pid + "    through qWarning"));
}

void TestLogging::dayRollover() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::vector<QDateTime> times = {QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59, 999)),
                                    QDateTime(QDate(2024, 3, 6), QTime(0, 0, 0, 0))};
    auto next = std::make_shared<std::size_t>(0);
    HandlerScope scope({[times, next] { return times[(*next)++ % times.size()]; }, dir.path()});

    qInfo("last of the day");
    qInfo("first of the next");

    const QStringList first = readLines(dir.path() + "/Qeto-Desk-20240305.log");
    const QStringList second = readLines(dir.path() + "/Qeto-Desk-20240306.log");
    QCOMPARE(first.size(), 1);
    QCOMPARE(second.size(), 1);
    QVERIFY(first[0].startsWith("2024-03-05 23:59:59    INFO"));
    QVERIFY(first[0].endsWith("last of the day"));
    QVERIFY(second[0].startsWith("2024-03-06 00:00:00    INFO"));
    QVERIFY(second[0].endsWith("first of the next"));
}

void TestLogging::appendsAndCreatesDirectory() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString logDir = dir.path() + "/log";
    const QString path = logDir + "/Qeto-Desk-20240305.log";
    QVERIFY(!QFileInfo::exists(logDir));
    HandlerScope scope({[] { return kMorning; }, logDir});

    qInfo("one");
    QVERIFY(QFileInfo(logDir).isDir());
    qDebug("two");

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    // Each line ends in CR LF, including the last; nothing else in the file.
    QCOMPARE(raw.count("\r\n"), 2);
    QVERIFY(raw.endsWith("two\r\n"));
    QCOMPARE(raw.count('\n'), 2);
    QCOMPARE(readLines(path).size(), 2);
}

void TestLogging::messageFromInsideHandlerIsDropped() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A clock that itself logs: the nested message must neither deadlock nor be written.
    HandlerScope scope({[] {
                            qWarning("nested");
                            return kMorning;
                        },
                        dir.path()});
    qInfo("outer");
    const QStringList lines = readLines(dir.path() + "/Qeto-Desk-20240305.log");
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].endsWith("    outer"));
}

void TestLogging::unusableDirectoryDropsMessage_data() {
    QTest::addColumn<QString>("relative");
    QTest::newRow("directory is a file") << QStringLiteral("plainfile");
    QTest::newRow("parent is a file") << QStringLiteral("plainfile/log");
    QTest::newRow("two levels missing") << QStringLiteral("a/b/log");
}

void TestLogging::unusableDirectoryDropsMessage() {
    QFETCH(QString, relative);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile plain(dir.path() + "/plainfile");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    {
        HandlerScope scope({[] { return kMorning; }, dir.path() + "/" + relative});
        qWarning("dropped");
    }
    QCOMPARE(QFileInfo(dir.path() + "/plainfile").size(), qint64(0));
    QVERIFY(!QFileInfo::exists(dir.path() + "/a"));

    // The handler is still usable afterwards.
    HandlerScope scope({[] { return kMorning; }, dir.path() + "/good"});
    qWarning("kept");
    QCOMPARE(readLines(dir.path() + "/good/Qeto-Desk-20240305.log").size(), 1);
}

void TestLogging::defaultDirectoryFollowsWorkingDirectory() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    setLogSettings(LogSettings());
    const QString got = logDirectory();
    {
        HandlerScope scope{LogSettings()};
        qInfo("in the working directory");
    }
    QVERIFY(QDir::setCurrent(before));

    QCOMPARE(QFileInfo(got).canonicalFilePath(), QFileInfo(dir.path() + "/log").canonicalFilePath());
    const QString today = logFileName(dir.path() + "/log", QDateTime::currentDateTime());
    // Near midnight the line may have gone to the other day's file; either way one line exists.
    const QStringList files = QDir(dir.path() + "/log").entryList({"Qeto-Desk-*.log"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    Q_UNUSED(today);
    QVERIFY(QRegularExpression("^Qeto-Desk-\\d{8}\\.log$").match(files[0]).hasMatch());
}

void TestLogging::localEncodingRoundTrip() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    HandlerScope scope({[] { return kMorning; }, dir.path()});
    const QString text = QStringLiteral("报单发送失败[2001]资金不足");
    qWarning().noquote() << text;
    const QStringList lines = readLines(dir.path() + "/Qeto-Desk-20240305.log");
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].endsWith(text), qPrintable(QTextCodec::codecForLocale()->name()));
}

void TestLogging::localCodecBytes_data() {
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("text");
    // Windows under a Chinese locale: the ANSI code page 936. Neither '?' nor UTF-8 may land.
    QTest::newRow("GBK") << QByteArray("GBK") << QStringLiteral("报单发送失败[2001]资金不足");
}

void TestLogging::localCodecBytes() {
    QFETCH(QByteArray, codec);
    QFETCH(QString, text);
    QTextCodec *local = QTextCodec::codecForName(codec);
    QVERIFY(local);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QTextCodec::setCodecForLocale(local);
    {
        HandlerScope scope({[] { return kMorning; }, dir.path()});
        qWarning().noquote() << text;
    }
    QTextCodec::setCodecForLocale(nullptr);

    QFile f(dir.path() + "/Qeto-Desk-20240305.log");
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    const QByteArray expected = local->fromUnicode(text);
    QVERIFY2(raw.endsWith("    " + expected + "\r\n"), raw.constData());
}

void TestLogging::concurrentWriters() {
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    HandlerScope scope({[] { return kMorning; }, dir.path()});

    // std::thread rather than QThread: its join is visible to the thread sanitizer.
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &ready] {
            ++ready;
            while (ready.load() < kThreads) {
            }
            for (int i = 0; i < kLines; ++i) qInfo("writer %d line %d end", t, i);
        });
    }
    for (auto &thread : threads) thread.join();

    const QStringList lines = readLines(dir.path() + "/Qeto-Desk-20240305.log");
    QCOMPARE(lines.size(), kThreads * kLines);
    const QRegularExpression shape(
        "^2024-03-05 09:30:01    INFO      +\\S+:\\d+    \\d{8}    writer (\\d) line (\\d+) end$");
    std::vector<int> nextOf(kThreads, 0);
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = shape.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const int t = m.captured(1).toInt();
        // Each writer's lines arrive whole and in its own order, none lost or doubled.
        QCOMPARE(m.captured(2).toInt(), nextOf[t]);
        ++nextOf[t];
    }
    for (int t = 0; t < kThreads; ++t) QCOMPARE(nextOf[t], kLines);
}

void TestLogging::readVersionFile_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing") << false << QByteArray() << QString();
    QTest::newRow("empty file") << true << QByteArray() << QString();
    QTest::newRow("empty first line") << true << QByteArray("\n1.0.7\n") << QString();
    QTest::newRow("no line end") << true << QByteArray("1.0.7") << QStringLiteral("1.0.7");
    QTest::newRow("LF") << true << QByteArray("1.0.7\nsecond\n") << QStringLiteral("1.0.7");
    QTest::newRow("CRLF") << true << QByteArray("1.0.7\r\nsecond\r\n") << QStringLiteral("1.0.7");
    QTest::newRow("spaces kept") << true << QByteArray(" 1.0.7 \n") << QStringLiteral(" 1.0.7 ");
    QTest::newRow("UTF-8 byte order mark") << true
                                           << QByteArray(
                                                  "\xEF\xBB\xBF"
                                                  "2.0\n")
                                           << QStringLiteral("2.0");
    // A first line longer than the limit is cut there, whatever follows it.
    const QString cut = QString(kMaxVersionLength, QLatin1Char('7'));
    QTest::newRow("line at the limit") << true << cut.toLatin1() + "\r\nx\n" << cut;
    QTest::newRow("line over the limit") << true << cut.toLatin1() + "89\n" << cut;
    // The file is read in the local encoding: a character of two or more bytes in it.
    const QChar wide = QTextCodec::codecForLocale()->canEncode(QChar(0x7248)) ? QChar(0x7248) : QChar(0xE9);
    QTest::newRow("limit counts characters, not bytes")
        << true << localBytes(QString(kMaxVersionLength + 5, wide)) << QString(kMaxVersionLength, wide);
    QTest::newRow("8 MB line") << true << QByteArray(8 << 20, 'v') << QString(kMaxVersionLength, QLatin1Char('v'));
}

void TestLogging::readVersionFile() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.path() + "/version.txt";
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QCOMPARE(::readVersionFile(path), expected);
}

void TestLogging::windowTitle_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("title");
    QTest::newRow("version") << QStringLiteral("1.0.7") << QStringLiteral("Qeto-Desk 1.0.7");
    QTest::newRow("empty gives default") << QString() << QStringLiteral("Qeto-Desk 3.2");
    QTest::newRow("blank is not empty") << QStringLiteral(" ") << QStringLiteral("Qeto-Desk  ");
    QTest::newRow("placeholder text") << QStringLiteral("%1") << QStringLiteral("Qeto-Desk %1");
}

void TestLogging::windowTitle() {
    QFETCH(QString, version);
    QFETCH(QString, title);
    QCOMPARE(windowTitleFor(version), title);
}

void TestLogging::getVersionReadsBesideExecutableAndLogs() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString beside = QCoreApplication::applicationDirPath() + kVersionFile;
    QFile::remove(beside);

    // Another working directory holding its own version.txt must not be read.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QFile decoy(dir.path() + kVersionFile);
    QVERIFY(decoy.open(QIODevice::WriteOnly));
    decoy.write("9.9.9\n");
    decoy.close();

    QString missing;
    {
        HandlerScope scope({[] { return kMorning; }, dir.path() + "/log"});
        missing = getVersion();
        QFile f(beside);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("1.0.7\r\n");
        f.close();
        QCOMPARE(getVersion(), QStringLiteral("1.0.7"));
    }
    QFile::remove(beside);
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(missing, QString());

    const QStringList lines = readLines(dir.path() + "/log/Qeto-Desk-20240305.log");
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].endsWith("    version : "), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith("    version : 1.0.7"), qPrintable(lines[1]));
    QVERIFY(lines[1].contains(" INFO      "));
}

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
