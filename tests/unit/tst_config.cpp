// Configuration readers: the key check and business code of the gateway parameter file,
// the key=value reader with its exit paths, and hostile input of every kind.
#ifdef _WIN32
#include <io.h>
#define STDOUT_FILENO 1
#else
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "config_files.h"
#include "constants.h"
#include "user/return_alert.h"
#include "utils/config_param_reader.h"
#include "utils/read_api_config.h"
#include "utils/settings_value.h"

namespace {

QByteArray builtInCopy() {
    QFile f(":/build/Qeto-Desk/config/api_config.txt");
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QString apiConfigPath() { return QCoreApplication::applicationDirPath() + kApiConfigFile; }

bool writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QDir(path).removeRecursively();
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

QByteArray randomBytes(int n, quint32 seed) {
    QRandomGenerator gen(seed);
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i) out[i] = char(gen.bounded(256));
    return out;
}

int gExitStatus = -1;
int gExitCalls = 0;

void recordExit(int status) {
    gExitStatus = status;
    ++gExitCalls;
}

// Captures what is written to standard output while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        mSaved = dup(STDOUT_FILENO);
        mFile = std::tmpfile();
        dup2(fileno(mFile), STDOUT_FILENO);
    }
    ~StdoutCapture() { restore(); }
    QByteArray text() {
        restore();
        std::rewind(mFile);
        QByteArray out;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, mFile)) > 0) out.append(buf, int(n));
        return out;
    }

private:
    void restore() {
        if (mSaved < 0) return;
        std::fflush(stdout);
        dup2(mSaved, STDOUT_FILENO);
        close(mSaved);
        mSaved = -1;
    }
    int mSaved = -1;
    FILE *mFile = nullptr;
};

}  // namespace

// A damaged settings value makes Qt ask for an impossible allocation; the sanitizer must hand
// back null, as the system allocator does, rather than stop the suite.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void builtInCopyHoldsTheFourKeys();
    void checkConfigItems_data();
    void checkConfigItems();
    void businessCode_data();
    void businessCode();
    void paramReader_data();
    void paramReader();
    void paramReaderSurvivesHostileInput_data();
    void paramReaderSurvivesHostileInput();
    void exitPaths_data();
    void exitPaths();
    void settingsValues_data();
    void settingsValues();
    void alertSetting_data();
    void alertSetting();

private:
    QByteArray mSavedConfig;
    bool mHadConfig = false;
    ConfigParamReader::ExitFunction mPreviousExit = nullptr;
};

void TestConfig::initTestCase() {
    QFile existing(apiConfigPath());
    mHadConfig = existing.open(QIODevice::ReadOnly);
    if (mHadConfig) mSavedConfig = existing.readAll();
    existing.close();
    // The file-present flag is fixed at first use, so the file must be there before it.
    QVERIFY(writeFile(apiConfigPath(), builtInCopy()));
    QVERIFY(ReadApiConfig::instance()->isConfigExist());
    mPreviousExit = ConfigParamReader::setExitFunction(recordExit);
}

void TestConfig::cleanupTestCase() {
    ConfigParamReader::setExitFunction(mPreviousExit);
    if (mHadConfig)
        writeFile(apiConfigPath(), mSavedConfig);
    else
        QFile::remove(apiConfigPath());
}

void TestConfig::init() {
    gExitStatus = -1;
    gExitCalls = 0;
}

void TestConfig::builtInCopyHoldsTheFourKeys() {
    const QByteArray copy = builtInCopy();
    QCOMPARE(copy.count('\n') + 1, 28);
    const QSet<QString> keys = ReadApiConfig::readKeys(":/build/Qeto-Desk/config/api_config.txt");
    QCOMPARE(keys, (QSet<QString>{"URL", "SuperLog", "CpuCore", "PlatformSerialNum"}));
}

void TestConfig::checkConfigItems_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("missing");  // "*": any one of the four keys

    const QByteArray copy = builtInCopy();
    QByteArray spaced = copy;
    spaced.replace("URL=tcp://", "URL = tcp://");
    QByteArray hashed = copy;
    hashed.replace("URL=tcp://192.168.10.20:8888;", "URL=tcp://192.168.10.20:8888;#primary");

    QTest::newRow("copy of the built-in file") << copy << true << "";
    QTest::newRow("spaces around '=': 'URL ' is not URL") << spaced << false << "URL";
    QTest::newRow("'#' anywhere makes a comment") << hashed << false << "URL";
    QTest::newRow("extra keys ignored") << copy + "\nExtra=1\nBusinessCode=B01\n" << true << "";
    QTest::newRow("no blank lines, no final newline")
        << QByteArray("URL=tcp://127.0.0.1:8888;\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=P") << true << "";
    QTest::newRow("CRLF and leading blanks")
        << QByteArray("  URL=x\r\n\tSuperLog=0\r\nCpuCore=-1\r\n   PlatformSerialNum=P\r\n") << true << "";
    QTest::newRow("one key absent") << QByteArray("URL=x\nCpuCore=-1\nPlatformSerialNum=P\n") << false << "SuperLog";
    QTest::newRow("blank lines never count")
        << QByteArray("\n\n   \nURL=x\n\nSuperLog=0\nCpuCore=-1\n") << false << "PlatformSerialNum";
    QTest::newRow("NUL cuts the line") << QByteArray("URL=x\nSuper\0Log=0\nCpuCore=-1\nPlatformSerialNum=P\n", 49)
                                       << false << "SuperLog";
    QTest::newRow("'#' after a NUL is not seen")
        << QByteArray("URL=x\0#c\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=P\n", 51) << true << "";
    QTest::newRow("empty file") << QByteArray() << false << "*";
    QTest::newRow("exists but cannot be opened") << QByteArray("<dir>") << false << "*";
    QTest::newRow("random bytes") << randomBytes(64 * 1024, 7) << false << "*";
    QTest::newRow("1 MB line without newline") << QByteArray(1 << 20, 'k') << false << "*";
    QTest::newRow("keys after 1 MB line")
        << QByteArray(1 << 20, 'k') + "\nURL=x\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=P" << true << "";
    // A huge file costs a bounded read: what lies beyond the limit is not seen.
    QTest::newRow("keys beyond the read limit")
        << QByteArray("URL=x\nSuperLog=0\nCpuCore=-1\n") + QByteArray(int(ReadApiConfig::kMaxFileBytes), '\n') +
               "PlatformSerialNum=P\n"
        << false << "PlatformSerialNum";
}

void TestConfig::checkConfigItems() {
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QString, missing);
    if (content == "<dir>") {
        QFile::remove(apiConfigPath());
        QVERIFY(QDir().mkpath(apiConfigPath()));  // a directory cannot be opened as a file
    } else {
        QVERIFY(writeFile(apiConfigPath(), content));
    }
    const QPair<bool, QString> result = ReadApiConfig::instance()->checkConfigItems();
    QDir(apiConfigPath()).removeRecursively();
    QCOMPARE(result.first, ok);
    if (missing == "*")
        QVERIFY2(QStringList({"URL", "SuperLog", "CpuCore", "PlatformSerialNum"}).contains(result.second),
                 qPrintable(result.second));
    else
        QCOMPARE(result.second, missing);
}

void TestConfig::businessCode_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");  // the earlier value "SEED" stays when no line matches

    QTest::newRow("one line") << QByteArray("URL=x\nBusinessCode=ABC\n") << "ABC";
    QTest::newRow("second line wins") << QByteArray("BusinessCode=A1\nBusinessCode=B2\n") << "B2";
    QTest::newRow("A=B yields A") << QByteArray("BusinessCode=A=B\n") << "A";
    QTest::newRow("commented line ignored") << QByteArray("#BusinessCode=Z\nBusinessCode=Y #old\n") << "SEED";
    QTest::newRow("absent keeps the stored value") << QByteArray("URL=x\n") << "SEED";
    QTest::newRow("space before '=' does not match") << QByteArray("BusinessCode =Q\n") << "SEED";
    QTest::newRow("text before the key still matches") << QByteArray("xBusinessCode=Q\n") << "Q";
    QTest::newRow("empty value") << QByteArray("BusinessCode=\n") << "";
    QTest::newRow("CRLF and inner blanks") << QByteArray("BusinessCode=AB  C\r\n") << "AB C";
    QTest::newRow("unopenable keeps the stored value") << QByteArray() << "SEED";
}

void TestConfig::businessCode() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QVERIFY(writeFile(apiConfigPath(), "BusinessCode=SEED\n"));
    QCOMPARE(ReadApiConfig::instance()->getBusinessCode(), QString("SEED"));
    if (QByteArray(QTest::currentDataTag()).startsWith("unopenable")) {
        QFile::remove(apiConfigPath());
        QVERIFY(QDir().mkpath(apiConfigPath()));  // a directory cannot be opened as a file
    } else {
        QVERIFY(writeFile(apiConfigPath(), content));
    }
    QCOMPARE(ReadApiConfig::instance()->getBusinessCode(), expected);
    QDir(apiConfigPath()).removeRecursively();
}

void TestConfig::paramReader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArrayList>("expected");  // full key, value, full key, value, ...
    QTest::addColumn<int>("count");

    QTest::newRow("spaces before '#' are not a comment") << QByteArray("  # x=1\n") << QByteArrayList{"/# x", "1"} << 1;
    QTest::newRow("section trimmed, key and value trimmed")
        << QByteArray("[ sec ]\nk = v \n") << QByteArrayList{"sec/k", "v"} << 1;
    QTest::newRow("comments") << QByteArray("#a=1\n;b=2\n") << QByteArrayList{} << 0;
    QTest::newRow("no '=': key is value") << QByteArray("word \n") << QByteArrayList{"/word", "word"} << 1;
    QTest::newRow("CRLF") << QByteArray("URL=tcp://a:1;\r\nSuperLog=0\r\n")
                          << QByteArrayList{"/URL", "tcp://a:1;", "/SuperLog", "0"} << 2;
    QTest::newRow("no final newline") << QByteArray("a=1\nb=2") << QByteArrayList{"/a", "1", "/b", "2"} << 2;
    QTest::newRow("later value replaces") << QByteArray("k=1\nk=2\n") << QByteArrayList{"/k", "2"} << 1;
    QTest::newRow("only the first '=' splits") << QByteArray("k=a=b\n") << QByteArrayList{"/k", "a=b"} << 1;
    QTest::newRow("section without ']'") << QByteArray("[sec\nk=1\n") << QByteArrayList{"sec/k", "1"} << 1;
    QTest::newRow("empty section") << QByteArray("[]\nk=1\n") << QByteArrayList{"/k", "1"} << 1;
    QTest::newRow("tabs trimmed") << QByteArray("\tk\t=\tv\t\n") << QByteArrayList{"/k", "v"} << 1;
    QTest::newRow("NUL bytes kept inside")
        << QByteArray("K\0y=v\0w\n", 8) << QByteArrayList{QByteArray("/K\0y", 4), QByteArray("v\0w", 3)} << 1;
    QTest::newRow("1 MB value") << "Big=" + QByteArray(1 << 20, 'v') << QByteArrayList{"/Big", QByteArray(1 << 20, 'v')}
                                << 1;
    QTest::newRow("text beyond the read limit")
        << "a=1\n" + QByteArray(int(ConfigParamReader::kMaxFileBytes), 'x') + "\nb=2\n"
        << QByteArrayList{"/a", "1", "/" + QByteArray(int(ConfigParamReader::kMaxFileBytes) - 4, 'x'),
                          QByteArray(int(ConfigParamReader::kMaxFileBytes) - 4, 'x')}
        << 2;
    QTest::newRow("empty lines skipped") << QByteArray("\n\n\na=1\n\n") << QByteArrayList{"/a", "1"} << 1;
}

void TestConfig::paramReader() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArrayList, expected);
    QFETCH(int, count);
    QTemporaryDir dir;
    // A folder named in Chinese, as an install folder may be: the path goes in as UTF-8.
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("量化 交易")));
    const QString path = dir.filePath(QStringLiteral("量化 交易/params.txt"));
    QVERIFY(writeFile(path, content));
    ConfigParamReader reader;
    QCOMPARE(reader.load(path.toUtf8().toStdString()), 1);
    QCOMPARE(gExitCalls, 0);
    QCOMPARE(int(reader.params().size()), count);
    for (int i = 0; i + 1 < expected.size(); i += 2) {
        const std::string key = expected.at(i).toStdString();
        const auto it = reader.params().find(key);
        QVERIFY2(it != reader.params().end(), expected.at(i).constData());
        QCOMPARE(QByteArray::fromStdString(it->second), expected.at(i + 1));
    }
}

void TestConfig::paramReaderSurvivesHostileInput_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("random bytes") << randomBytes(256 * 1024, 42);
    QTest::newRow("random bytes 2") << randomBytes(4096, 1234);
    QTest::newRow("only newlines") << QByteArray(100000, '\n');
    QTest::newRow("only '['") << QByteArray(100000, '[');
    QTest::newRow("only '='") << QByteArray(100000, '=');
    QTest::newRow("only NUL") << QByteArray(100000, '\0');
    QTest::newRow("1 MB line, no newline") << QByteArray(1 << 20, 'x');
}

void TestConfig::paramReaderSurvivesHostileInput() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("params.txt");
    QVERIFY(writeFile(path, content));
    ConfigParamReader reader;
    QCOMPARE(reader.load(path.toStdString()), 1);
    // Loading twice rebuilds the map from scratch.
    const size_t first = reader.params().size();
    QCOMPARE(reader.load(path.toStdString()), 1);
    QCOMPARE(reader.params().size(), first);
    QCOMPARE(gExitCalls, 0);
}

void TestConfig::exitPaths_data() {
    QTest::addColumn<QByteArray>("content");  // "<missing>": no file at all
    QTest::addColumn<QByteArray>("key");      // empty: load only
    QTest::addColumn<bool>("exits");
    QTest::addColumn<QByteArray>("output");  // "%p" stands for the file's path
    QTest::addColumn<QByteArray>("value");

    const QByteArray good = "URL=tcp://127.0.0.1:8888;\nSuperLog=0\nCpuCore=-1\nPlatformSerialNum=P\n";
    QTest::newRow("missing file") << QByteArray("<missing>") << QByteArray() << true
                                  << QByteArray("config param file not exist,path [%p]\n") << QByteArray();
    QTest::newRow("key present") << good << QByteArray("CpuCore") << false << QByteArray() << QByteArray("-1");
    QTest::newRow("SuperLog absent") << QByteArray("URL=x\nCpuCore=-1\nPlatformSerialNum=P\n") << QByteArray("SuperLog")
                                     << true << QByteArray("key [SuperLog] not exist\n") << QByteArray();
    QTest::newRow("key after a section is not found") << QByteArray("[gw]\nURL=x\n") << QByteArray("URL") << true
                                                      << QByteArray("key [URL] not exist\n") << QByteArray();
    QTest::newRow("PcPrefix may be absent") << good << QByteArray("PcPrefix") << false << QByteArray() << QByteArray();
}

void TestConfig::exitPaths() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, key);
    QFETCH(bool, exits);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, value);

    QTemporaryDir dir;
    const QString path = dir.filePath("api_config.txt");
    if (content != "<missing>") QVERIFY(writeFile(path, content));
    ConfigParamReader reader;
    QByteArray got;
    QByteArray gotValue;
    int loaded = 0;
    {
        StdoutCapture capture;
        loaded = reader.load(path.toStdString());
        if (!key.isEmpty()) gotValue = QByteArray::fromStdString(reader.getValue(key.toStdString()));
        got = capture.text();
    }
    QCOMPARE(loaded, content == "<missing>" ? 0 : 1);
    QCOMPARE(gExitCalls, exits ? 1 : 0);
    QCOMPARE(gExitStatus, exits ? 1 : -1);  // a broken configuration never ends with success
    output.replace("%p", path.toUtf8());
    QCOMPARE(got, output);
    QCOMPARE(gotValue, value);
}

void TestConfig::settingsValues_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");  // invalid: read as absent, with a warning

    // An "@Variant" whose list claims billions of elements (found by fuzzing: it ended the
    // process with std::bad_alloc).
    static const char kDamaged[] =
        "@Variant(\0\0\0\x09"
        "f\\0\\0\\\xed\\xff)";
    const QByteArray damaged(kDamaged, sizeof kDamaged - 1);
    QTest::newRow("plain value") << QByteArray("[MD]\nport=9999\n") << "/MD/port" << QVariant("9999");
    QTest::newRow("sound @Variant") << QByteArray("[MD]\nswitch=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)\n") << "/MD/switch"
                                    << QVariant(1);
    QTest::newRow("damaged @Variant") << "[MD]\nswitch=" + damaged + "\n"
                                      << "/MD/switch" << QVariant();
    QTest::newRow("its section is lost") << "[MD]\nswitch=" + damaged + "\nport=9999\n"
                                         << "/MD/port" << QVariant();
    QTest::newRow("other sections still read") << "[TRADE]\nappid=" + damaged + "\n[MD]\nport=9999\n"
                                               << "/MD/port" << QVariant("9999");
}

void TestConfig::settingsValues() {
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    QTemporaryDir dir;  // a new file each row: QSettings caches files by name
    const QString path = dir.filePath("qeto_desk_config.ini");
    QVERIFY(writeFile(path, content));
    QSettings settings(path, QSettings::IniFormat);
    if (!expected.isValid())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("value of " + key + " cannot be read, ignored$"));
    QCOMPARE(settingsValue(settings, key), expected);
}

// /Alert/onReturn: on unless it reads as the number 0; the shipped file switches it on.
void TestConfig::alertSetting_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("on");
    QTest::newRow("the shipped file") << cfgtest::repoFile("qeto_desk_config.ini") << true;
    QTest::newRow("no [Alert] section") << QByteArray("[MD]\nswitch=0\n") << true;
    QTest::newRow("onReturn=0") << QByteArray("[Alert]\nonReturn=0\n") << false;
    QTest::newRow("onReturn=1") << QByteArray("[Alert]\nonReturn=1\n") << true;
    QTest::newRow("onReturn = 0 with blanks") << QByteArray("[Alert]\nonReturn = 0 \n") << false;
    QTest::newRow("onReturn=off is not a number") << QByteArray("[Alert]\nonReturn=off\n") << true;
    QTest::newRow("in another section") << QByteArray("[MD]\nonReturn=0\n") << true;
}

void TestConfig::alertSetting() {
    QFETCH(QByteArray, content);
    QFETCH(bool, on);
    QVERIFY(!content.isEmpty());
    QVERIFY(cfgtest::writeBesideApp(kSettingsFile, content));
    QCOMPARE(ReturnAlert::readSetting(), on);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
