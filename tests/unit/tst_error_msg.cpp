// Error catalogue: loading both tables for the chosen exchange, the lookups and their order,
// Chinese counter texts kept as they came, and broken files of every kind.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>
#include <cstring>
#include <memory>
#include <vector>

#include "config_files.h"
#include "constants.h"
#include "log_capture.h"
#include "spi_answers.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"

namespace {

QString catalogPath() { return QCoreApplication::applicationDirPath() + kErrorMsgFile; }

bool writeCatalog(const QByteArray &content) { return cfgtest::writeFile(catalogPath(), content); }

// Writes the catalogue and reads it with `market` chosen; true when the read succeeds.
bool loadCatalog(const QByteArray &content, char market = '1') {
    ApiClientUtils::mMarket = market;
    return writeCatalog(content) && ErrorMsg::instance()->readErrorJson() == 0;
}

const QByteArray kFullCatalog = R"({
  "SS": [{"errorid": 2001, "errormsg": "SS-2001"}, {"errorid": 7, "errormsg": "SS-7"}],
  "SZ": [{"errorid": 2001, "errormsg": "SZ-2001"}, {"errorid": 8, "errormsg": "SZ-8"}],
  "manager": [{"errorid": 2001, "errormsg": "M-2001"}, {"errorid": 1001, "errormsg": "M-1001"},
              {"errorid": 1001, "errormsg": "M-1001b", "extra": true}],
  "other": 5
})";

}  // namespace

class TestErrorMsg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void lookups_data();
    void lookups();
    void entryShapes_data();
    void entryShapes();
    void readFailures_data();
    void readFailures();
    void switchingExchangeDropsTexts();
    void failedReadEmptiesTables();
    void hugeCatalog();
    void counterTextBoundedByField();
    void chineseDetectionLog();
    void localEncodingOfCounterText();

private:
    std::unique_ptr<LogCapture> mLog;
    QByteArray mSaved;
    bool mHadFile = false;
};

void TestErrorMsg::initTestCase() {
    QFile existing(catalogPath());
    mHadFile = existing.open(QIODevice::ReadOnly);
    if (mHadFile) mSaved = existing.readAll();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    mLog.reset(new LogCapture);
}

void TestErrorMsg::cleanupTestCase() {
    mLog.reset();
    if (mHadFile)
        writeCatalog(mSaved);
    else
        QFile::remove(catalogPath());
    ApiClientUtils::mMarket = '0';
}

void TestErrorMsg::init() { mLog->clear(); }

void TestErrorMsg::lookups_data() {
    QTest::addColumn<char>("market");
    QTest::addColumn<uint>("errorId");
    QTest::addColumn<QByteArray>("counterText");  // UTF-8, the local encoding here
    QTest::addColumn<QString>("shown");           // getErrorMsg
    QTest::addColumn<QString>("byId");            // getErrorMsgById
    QTest::addColumn<QString>("managerById");     // getManagerErrorMsgById

    const QByteArray zh = "资金不足";
    const struct {
        const char *name;
        char market;
        uint errorId;
        QByteArray counterText;
        QString shown, byId, managerById;
    } rows[] = {
        {"Chinese counter text wins over the catalogue", '1', 2001u, zh, QString::fromUtf8(zh), "SS-2001", "M-2001"},
        {"Chinese after ASCII still counts", '1', 2001u, "E42: 拒绝", QString::fromUtf8("E42: 拒绝"), "SS-2001",
         "M-2001"},
        {"ASCII, id in both tables, Shanghai", '1', 2001u, "no funds", "SS-2001", "SS-2001", "M-2001"},
        {"ASCII, id in both tables, Shenzhen", '2', 2001u, "no funds", "SZ-2001", "SZ-2001", "M-2001"},
        {"id in neither table", '1', 9998u, "busy", "busy", "", ""},
        {"id in neither, empty text", '1', 9998u, QByteArray(), "", "", ""},
        {"only in manager; later entry replaces", '1', 1001u, "x", "M-1001b", "M-1001b", "M-1001b"},
        {"only in exchange table", '1', 7u, "x", "SS-7", "SS-7", "SS-7"},
        {"no exchange chosen: manager only", '0', 2001u, "x", "M-2001", "M-2001", "M-2001"},
        {"no exchange chosen: exchange ids unknown", '0', 7u, "x", "x", "", ""},
        {"other exchange's ids unknown", '2', 7u, "x", "x", "", ""},
        {"accented Latin is not Chinese", '1', 2001u, "café", "SS-2001", "SS-2001", "M-2001"},
        {"U+4DFF below the range", '1', 2001u, "\xe4\xb7\xbf", "SS-2001", "SS-2001", "M-2001"},
        {"U+4E00 first ideograph", '1', 2001u, "\xe4\xb8\x80", QString(QChar(0x4E00)), "SS-2001", "M-2001"},
        {"U+9FFF last of the range", '1', 2001u, "\xe9\xbf\xbf", QString(QChar(0x9FFF)), "SS-2001", "M-2001"},
        {"U+A000 above the range", '1', 2001u, "\xea\x80\x80", "SS-2001", "SS-2001", "M-2001"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.market << r.errorId << r.counterText << r.shown << r.byId << r.managerById;
}

void TestErrorMsg::lookups() {
    QFETCH(char, market);
    QFETCH(uint, errorId);
    QFETCH(QByteArray, counterText);
    QFETCH(QString, shown);
    QFETCH(QString, byId);
    QFETCH(QString, managerById);

    QVERIFY(loadCatalog(kFullCatalog, market));
    QCOMPARE(ErrorMsg::instance()->getErrorMsg(rspInfo(errorId, counterText)), shown);
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(int(errorId)), byId);
    QCOMPARE(ErrorMsg::instance()->getManagerErrorMsgById(int(errorId)), managerById);
}

void TestErrorMsg::entryShapes_data() {
    QTest::addColumn<QByteArray>("manager");  // the "manager" array
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("known");  // whether the id is in the table at all

    QTest::newRow("entry without errorid is id 0") << QByteArray(R"([{"errormsg": "no id"}])") << 0 << "no id" << true;
    QTest::newRow("string errorid counts as 0")
        << QByteArray(R"([{"errorid": "12", "errormsg": "s"}])") << 0 << "s" << true;
    QTest::newRow("string errorid is not 12")
        << QByteArray(R"([{"errorid": "12", "errormsg": "s"}])") << 12 << "" << false;
    QTest::newRow("non-string errormsg is empty")
        << QByteArray(R"([{"errorid": 3, "errormsg": 1}])") << 3 << "" << true;
    QTest::newRow("non-object element stores empty text under 0") << QByteArray(R"([5, "x", null])") << 0 << "" << true;
    QTest::newRow("manager not an array") << QByteArray(R"({"errorid": 4, "errormsg": "obj"})") << 4 << "" << false;
    QTest::newRow("negative id") << QByteArray(R"([{"errorid": -5, "errormsg": "neg"}])") << -5 << "neg" << true;
    // A member named twice: the later one counts (found by fuzzing; the earlier values here are
    // scalars because Qt's parser leaks a replaced array or object).
    QTest::newRow("errorid named twice") << QByteArray(R"([{"errorid": 1, "errorid": 2, "errormsg": "d"}])") << 2 << "d"
                                         << true;
    QTest::newRow("manager named twice") << QByteArray(R"(5, "manager": [{"errorid": 9, "errormsg": "later"}])") << 9
                                         << "later" << true;
}

void TestErrorMsg::entryShapes() {
    QFETCH(QByteArray, manager);
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(bool, known);

    QVERIFY(loadCatalog("{\"manager\": " + manager + "}"));
    QCOMPARE(ErrorMsg::instance()->getManagerErrorMsgById(id), text);
    // A known id replaces the counter's text, even with an empty catalogue text.
    const QString shown = ErrorMsg::instance()->getErrorMsg(rspInfo(uint32_t(id), "counter"));
    QCOMPARE(shown, known ? text : QString("counter"));
}

void TestErrorMsg::readFailures_data() {
    QTest::addColumn<QByteArray>("content");  // "<missing>": no file
    QTest::addColumn<char>("market");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("warning");  // prefix of the one expected warning; empty: none

    const QString cannotOpen = QString::fromUtf8("无法打开error_msg文件");
    const QString parseFailed = QString::fromUtf8("解析 error_msg 失败：");
    const QString badShape = QString::fromUtf8("error_msg 文件内容格式错误");
    const QByteArray onlySS = R"({"SS": [{"errorid": 1, "errormsg": "a"}]})";

    QTest::newRow("missing file") << QByteArray("<missing>") << '1' << -1 << cannotOpen;
    QTest::newRow("malformed JSON") << QByteArray("{\"manager\": [") << '1' << -1 << parseFailed;
    QTest::newRow("empty file") << QByteArray() << '1' << -1 << parseFailed;
    QTest::newRow("arbitrary bytes") << QByteArray("\x00\xff\xfe{[\"\x80garbage", 14) << '1' << -1 << parseFailed;
    QTest::newRow("only SS, Shanghai") << onlySS << '1' << 0 << "";
    QTest::newRow("only SS, Shenzhen") << onlySS << '2' << -1 << badShape;
    QTest::newRow("only SS, no exchange (start-up)") << onlySS << '0' << -1 << badShape;
    QTest::newRow("only manager, Shanghai") << QByteArray(R"({"manager": []})") << '1' << 0 << "";
    QTest::newRow("top level is an array") << QByteArray(R"([{"manager": []}])") << '1' << -1 << badShape;
    QTest::newRow("top level is a number") << QByteArray("42") << '1' << -1 << "*";
    QTest::newRow("deep nesting") << QByteArray(10000, '[') << '1' << -1 << parseFailed;
    // Valid, but larger than the catalogue may be: refused before parsing.
    QTest::newRow("larger than the limit") << "{\"manager\": []" + QByteArray(int(ErrorMsg::kMaxFileBytes), ' ') + "}"
                                           << '1' << -1 << QString::fromUtf8("error_msg 文件过大");
}

void TestErrorMsg::readFailures() {
    QFETCH(QByteArray, content);
    QFETCH(char, market);
    QFETCH(int, result);
    QFETCH(QString, warning);

    if (content == "<missing>")
        QFile::remove(catalogPath());
    else
        QVERIFY(writeCatalog(content));
    ApiClientUtils::mMarket = market;
    QCOMPARE(ErrorMsg::instance()->readErrorJson(), result);
    if (warning.isEmpty()) {
        QVERIFY2(mLog->warnings().isEmpty(), qPrintable(mLog->warnings().join('|')));
    } else {
        QCOMPARE(mLog->warnings().size(), 1);
        if (warning != "*")
            QVERIFY2(mLog->warnings().first().startsWith(warning), qPrintable(mLog->warnings().first()));
    }
    if (warning == QString::fromUtf8("解析 error_msg 失败："))
        QVERIFY(mLog->warnings().first().size() > warning.size());  // the parser's own text follows
}

void TestErrorMsg::switchingExchangeDropsTexts() {
    QVERIFY(loadCatalog(kFullCatalog));
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(7), QString("SS-7"));
    ApiClientUtils::mMarket = '2';
    QCOMPARE(ErrorMsg::instance()->readErrorJson(), 0);
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(7), QString());
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(8), QString("SZ-8"));
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(2001), QString("SZ-2001"));
}

void TestErrorMsg::failedReadEmptiesTables() {
    QVERIFY(loadCatalog(kFullCatalog));
    QVERIFY(writeCatalog("not json"));
    QCOMPARE(ErrorMsg::instance()->readErrorJson(), -1);
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(2001), QString());
    QCOMPARE(ErrorMsg::instance()->getManagerErrorMsgById(1001), QString());
    QCOMPARE(ErrorMsg::instance()->getErrorMsg(rspInfo(2001, "own text")), QString("own text"));
}

void TestErrorMsg::hugeCatalog() {
    QByteArray json = "{\"manager\": [";
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        if (i) json += ',';
        json += "{\"errorid\": " + QByteArray::number(i) + ", \"errormsg\": \"text " + QByteArray::number(i) + "\"}";
    }
    json += "]}";
    QVERIFY(loadCatalog(json));
    QCOMPARE(ErrorMsg::instance()->getErrorMsgById(n - 1), QString("text %1").arg(n - 1));
}

void TestErrorMsg::counterTextBoundedByField() {
    QVERIFY(loadCatalog(kFullCatalog));
    // 81 bytes of text and no terminating zero, in a buffer of exactly the record's size.
    std::vector<char> raw(sizeof(CQetoRspInfo));
    auto *info = reinterpret_cast<CQetoRspInfo *>(raw.data());
    info->ErrorID = 9998;
    std::memset(info->ErrorMsg, 'e', sizeof info->ErrorMsg);
    QCOMPARE(ErrorMsg::instance()->getErrorMsg(*info), QString(81, 'e'));
}

void TestErrorMsg::chineseDetectionLog() {
    QVERIFY(loadCatalog(kFullCatalog));
    mLog->clear();
    ErrorMsg::instance()->getErrorMsg(rspInfo(2001, "ab中c"));
    ErrorMsg::instance()->getErrorMsg(rspInfo(5, "abc"));
    QCOMPARE(mLog->infos().size(), 2);
    QCOMPARE(mLog->infos().at(0),
             QString::fromUtf8("haveChines is [1], current size is  [2] ErrorId is [2001] ErrorMsg is [ab中c]"));
    QCOMPARE(mLog->infos().at(1), QString("haveChines is [0], current size is  [3] ErrorId is [5] ErrorMsg is [abc]"));
}

void TestErrorMsg::localEncodingOfCounterText() {
    // A counter writing GB18030 on a machine whose local encoding is GB18030.
    QTextCodec *gb = QTextCodec::codecForName("GB18030");
    if (!gb) QSKIP("no GB18030 codec");
    QTextCodec *previous = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(gb);
    const QString zh = QString::fromUtf8("委托失败");
    const QString shown = ErrorMsg::instance()->getErrorMsg(rspInfo(2001, gb->fromUnicode(zh)));
    QTextCodec::setCodecForLocale(previous);
    QCOMPARE(shown, zh);
}

QTEST_GUILESS_MAIN(TestErrorMsg)
#include "tst_error_msg.moc"
