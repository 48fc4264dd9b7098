// Display texts of gateway codes, packed times, numbers, fixed fields and CSV fields.
#include <QtTest>
#include <cmath>
#include <limits>
#include <memory>

#include "utils/api_client_utils.h"
#include "utils/utils.h"

namespace {
// A heap copy of exactly `length` bytes, so that a read past the field trips the address checker.
std::unique_ptr<char[]> exactCopy(const QByteArray &bytes, int length) {
    std::unique_ptr<char[]> buffer(new char[length > 0 ? length : 1]);
    if (length > 0) memcpy(buffer.get(), bytes.constData(), static_cast<size_t>(qMin(length, bytes.size())));
    return buffer;
}
}  // namespace

class TestDisplayTexts : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ApiClientUtils::mMarket = '0'; }

    void codeText_data();
    void codeText();
    void securityType_data();
    void securityType();
    void formatTime_data();
    void formatTime();
    void truncateNumber_data();
    void truncateNumber();
    void fixedText_data();
    void fixedText();
    void appendCsvField_data();
    void appendCsvField();
};

void TestDisplayTexts::codeText_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<char>("code");
    QTest::addColumn<QString>("expected");

    const struct {
        const char *table;
        char code;
        const char *text;
    } rows[] = {
        {"priceType", '1', "市价"},
        {"priceType", '2', "限价"},
        {"priceType", 'K', "市价剩余转限价"},
        {"priceType", 'k', ""},
        {"priceType", '0', ""},
        {"priceType", '\0', ""},
        {"status", '0', "未报"},
        {"status", '1', "正报"},
        {"status", '2', "已报"},
        {"status", '3', "已报待撤"},
        {"status", '4', "部成待撤"},
        {"status", '5', "部撤"},
        {"status", '6', "已撤"},
        {"status", '7', "部成"},
        {"status", '8', "已成"},
        {"status", '9', "废单"},
        {"status", 'A', ""},
        {"status", '\0', ""},
        {"direction", '1', "买"},
        {"direction", '2', "卖"},
        {"direction", '0', ""},
        {"direction", '3', ""},
        {"transfer", '1', "接收到调拨消息"},
        {"transfer", '2', "发送调出请求结束"},
        {"transfer", '3', "接收到调出结束消息"},
        {"transfer", '4', "发送调入消息请求结束"},
        {"transfer", '5', "接收到调入结束消息"},
        {"transfer", '6', "操作结束"},
        {"transfer", '0', ""},
        {"transfer", '7', ""},
        {"transfer", char(0xff), ""},
    };
    for (const auto &row : rows) {
        QTest::addRow("%s %d", row.table, int(static_cast<unsigned char>(row.code)))
            << QString::fromLatin1(row.table) << row.code << QString::fromUtf8(row.text);
    }
}

void TestDisplayTexts::codeText() {
    QFETCH(QString, table);
    QFETCH(char, code);
    QFETCH(QString, expected);
    QString text;
    if (table == QLatin1String("priceType"))
        text = Utils::orderPriceTypeText(code);
    else if (table == QLatin1String("status"))
        text = Utils::orderStatusText(code);
    else if (table == QLatin1String("direction"))
        text = Utils::directionText(code);
    else
        text = Utils::transferStatusText(code);
    QCOMPARE(text, expected);
}

void TestDisplayTexts::securityType_data() {
    QTest::addColumn<char>("market");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");

    // Codes read the same on every exchange, even before a login.
    const struct {
        int code;
        const char *text;
    } common[] = {{1, "股票"},     {2, "基金"}, {3, "可转债券"}, {4, "新股"},    {5, "配股"},
                  {6, "新债申购"}, {7, "配债"}, {17, "逆回购"},  {21, "主板CDR"}};
    for (char market : {'0', '1', '2'}) {
        for (const auto &row : common)
            QTest::addRow("%c/%d", market, row.code) << market << row.code << QString::fromUtf8(row.text);
    }

    const struct {
        int code;
        const char *shanghai;
        const char *shenzhen;
    } byExchange[] = {
        {8, "科创板", "核准制创业板"},
        {9, "科创板新股申购", "核准制创业板申购"},
        {10, "科创板配股", "核准制创业板配股"},
        {11, "非交易类型", ""},
        {14, "", "注册制创业板"},
        {15, "", "注册制创业板申购"},
        {16, "", "注册制创业板配股"},
        {22, "科创板CDR", "创业板CDR"},
        {0, "", ""},
        {12, "", ""},
        {13, "", ""},
        {18, "", ""},
        {20, "", ""},
        {23, "", ""},
        {255, "", ""},
    };
    for (const auto &row : byExchange) {
        QTest::addRow("1/%d", row.code) << '1' << row.code << QString::fromUtf8(row.shanghai);
        QTest::addRow("2/%d", row.code) << '2' << row.code << QString::fromUtf8(row.shenzhen);
        QTest::addRow("0/%d", row.code) << '0' << row.code << QString();
        QTest::addRow("3/%d", row.code) << '3' << row.code << QString();
    }
}

void TestDisplayTexts::securityType() {
    QFETCH(char, market);
    QFETCH(int, code);
    QFETCH(QString, expected);
    ApiClientUtils::mMarket = market;
    QCOMPARE(Utils::securityTypeText(static_cast<unsigned char>(code)), expected);
}

void TestDisplayTexts::formatTime_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("nullField");
    QTest::addColumn<QString>("expected");

    QTest::newRow("morning") << QByteArray("093015250") << 9 << false << QStringLiteral("09:30:15.250");
    QTest::newRow("midnight") << QByteArray("000000000") << 9 << false << QStringLiteral("00:00:00.000");
    QTest::newRow("last ms") << QByteArray("235959999") << 9 << false << QStringLiteral("23:59:59.999");
    QTest::newRow("padded wider field") << QByteArray("145700001\0\0\0", 12) << 12 << false
                                        << QStringLiteral("14:57:00.001");
    QTest::newRow("garbage after width") << QByteArray("0930152509876") << 9 << false << QStringLiteral("09:30:15.250");
    QTest::newRow("zero bytes") << QByteArray(9, '\0') << 9 << false << QString();
    QTest::newRow("hour 25") << QByteArray("253015250") << 9 << false << QString();
    QTest::newRow("minute 60") << QByteArray("096015250") << 9 << false << QString();
    QTest::newRow("second 60") << QByteArray("093060250") << 9 << false << QString();
    QTest::newRow("nine digits, wider field")
        << QByteArray("093015250\0", 10) << 10 << false << QStringLiteral("09:30:15.250");
    QTest::newRow("eight digits") << QByteArray("09301525\0", 9) << 9 << false << QString();
    QTest::newRow("short width") << QByteArray("0930152") << 7 << false << QString();
    QTest::newRow("letter") << QByteArray("09a015250") << 9 << false << QString();
    QTest::newRow("sign") << QByteArray("+93015250") << 9 << false << QString();
    QTest::newRow("space") << QByteArray(" 93015250") << 9 << false << QString();
    QTest::newRow("not utf-8") << QByteArray(
                                      "09\xff"
                                      "015250")
                               << 9 << false << QString();
    QTest::newRow("null field") << QByteArray() << 9 << true << QString();
    QTest::newRow("zero length") << QByteArray("093015250") << 0 << false << QString();
    QTest::newRow("negative length") << QByteArray("093015250") << -1 << false << QString();
}

void TestDisplayTexts::formatTime() {
    QFETCH(QByteArray, field);
    QFETCH(int, length);
    QFETCH(bool, nullField);
    QFETCH(QString, expected);
    const auto buffer = exactCopy(field, length);
    QCOMPARE(Utils::formatTime(nullField ? nullptr : buffer.get(), length), expected);
}

void TestDisplayTexts::truncateNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<uint>("decimals");
    QTest::addColumn<QString>("expected");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("cut not rounded") << 1234.5678 << 2u << QStringLiteral("1234.56");
    QTest::newRow("first step rounds") << 0.9996 << 2u << QStringLiteral("1.00");
    QTest::newRow("integer") << 100.0 << 3u << QStringLiteral("100.000");
    QTest::newRow("below last place") << 0.0005 << 3u << QStringLiteral("0.000");
    QTest::newRow("negative") << -1234.5678 << 2u << QStringLiteral("-1234.56");
    QTest::newRow("negative rounds up") << -0.9996 << 2u << QStringLiteral("-1.00");
    QTest::newRow("zero") << 0.0 << 2u << QStringLiteral("0.00");
    QTest::newRow("no decimals") << 2.5 << 0u << QStringLiteral("2");
    QTest::newRow("no decimals negative") << -7.94 << 0u << QStringLiteral("-7");
    QTest::newRow("no decimals rounds first") << -7.99 << 0u << QStringLiteral("-8");
    QTest::newRow("large exact") << 1000000000000000.25 << 2u << QStringLiteral("1000000000000000.25");
    QTest::newRow("huge") << 1e20 << 2u << QStringLiteral("100000000000000000000.00");
    QTest::newRow("nan") << nan << 2u << QStringLiteral("nan");
    QTest::newRow("inf") << inf << 2u << QStringLiteral("inf");
    QTest::newRow("-inf") << -inf << 2u << QStringLiteral("-inf");
}

void TestDisplayTexts::truncateNumber() {
    QFETCH(double, value);
    QFETCH(uint, decimals);
    QFETCH(QString, expected);
    QCOMPARE(Utils::truncateNumber(value, decimals), expected);
}

void TestDisplayTexts::fixedText_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("nullField");
    QTest::addColumn<QString>("expected");

    const QChar nul(0);
    QTest::newRow("full width") << QByteArray("600000") << 6 << false << QStringLiteral("600000");
    QTest::newRow("zero padded") << QByteArray("600000\0\0\0", 9) << 9 << false
                                 << QStringLiteral("600000") + QString(3, nul);
    QTest::newRow("chinese padded") << QByteArray("上交\0\0", 8) << 8 << false
                                    << QStringLiteral("上交") + QString(2, nul);
    QTest::newRow("garbage after width") << QByteArray("0001XYZ") << 4 << false << QStringLiteral("0001");
    QTest::newRow("invalid utf-8") << QByteArray(
                                          "a\xff"
                                          "b")
                                   << 3 << false
                                   << QStringLiteral("a") + QChar(QChar::ReplacementCharacter) + QStringLiteral("b");
    QTest::newRow("cut multibyte") << QByteArray("上") << 2 << false << QString(2, QChar(QChar::ReplacementCharacter));
    QTest::newRow("null field") << QByteArray() << 4 << true << QString();
    QTest::newRow("zero length") << QByteArray("abc") << 0 << false << QString();
    QTest::newRow("negative length") << QByteArray("abc") << -5 << false << QString();
}

void TestDisplayTexts::fixedText() {
    QFETCH(QByteArray, field);
    QFETCH(int, length);
    QFETCH(bool, nullField);
    QFETCH(QString, expected);
    const auto buffer = exactCopy(field, length);
    QCOMPARE(Utils::fixedText(nullField ? nullptr : buffer.get(), length), expected);
}

void TestDisplayTexts::appendCsvField_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("last");
    QTest::addColumn<QString>("expected");

    QTest::newRow("quote doubled") << QString() << QStringLiteral("a\"b") << false << QStringLiteral("\"a\"\"b\",");
    QTest::newRow("last adds LF") << QStringLiteral("\"x\",") << QStringLiteral("y") << true
                                  << QStringLiteral("\"x\",\"y\"\n");
    QTest::newRow("comma inside") << QString() << QStringLiteral("1,2") << false << QStringLiteral("\"1,2\",");
    QTest::newRow("newline inside") << QString() << QStringLiteral("a\r\nb") << true << QStringLiteral("\"a\r\nb\"\n");
    QTest::newRow("empty") << QString() << QString() << false << QStringLiteral("\"\",");
    QTest::newRow("only quotes") << QString() << QStringLiteral("\"\"") << true << QStringLiteral("\"\"\"\"\"\"\n");
    QTest::newRow("chinese") << QString() << QStringLiteral("已成") << false << QStringLiteral("\"已成\",");
}

void TestDisplayTexts::appendCsvField() {
    QFETCH(QString, line);
    QFETCH(QString, value);
    QFETCH(bool, last);
    QFETCH(QString, expected);
    Utils::appendCsvField(line, value, last);
    QCOMPARE(line, expected);
}

QTEST_APPLESS_MAIN(TestDisplayTexts)
#include "tst_display_texts.moc"
