// Display texts of gateway codes, packed times, numbers, fixed fields and CSV lines.
#include <QtTest>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "utils/api_client_utils.h"
#include "utils/record_cells.h"
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
    void csvLineMatchesTexts_data();
    void csvLineMatchesTexts();
    void csvFixedAgreesWithQt();
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

// Each kind of cell written into a CSV line is the text the table shows, quoted, quotes doubled.
void TestDisplayTexts::csvLineMatchesTexts_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("places");
    const auto text = [](const char *name, const QString &value) {
        QTest::newRow(name) << QStringLiteral("text") << value << QByteArray() << 0.0 << 0;
    };
    const auto utf8 = [](const char *name, const QByteArray &bytes) {
        QTest::newRow(name) << QStringLiteral("utf8") << QString() << bytes << 0.0 << 0;
    };
    const auto number = [](const char *name, double value, int places, const char *kind = "fixed") {
        QTest::newRow(name) << QString::fromLatin1(kind) << QString() << QByteArray() << value << places;
    };
    text("quote, comma and line breaks", QStringLiteral("a\"b,c\r\nd"));
    text("empty", QString());
    text("two- and three-byte letters", QStringLiteral("é已成"));
    text("a surrogate pair", QString::fromUcs4(U"\U00020000x"));
    text("a stray surrogate", QString(QChar(0xD800)) + QLatin1Char('"'));
    utf8("ascii with a quote and a NUL", QByteArray("60\"0\0\0", 6));
    utf8("chinese", QByteArray("股票"));
    utf8("bytes that are not UTF-8", QByteArray("\xff\xfe\"a"));
    number("int64 lowest", -9223372036854775808.0, 0, "number");
    number("price", 10.005, 6);
    number("cost rounded up", 12.3456785, 3);
    number("a tie at six places", 0.0078125, 6);
    number("ties at no places", 2.5, 0);
    number("just below a carry", 0.9999995, 6);
    number("negative zero", -0.0, 6);
    number("negative", -3.25, 3);
    number("largest quick product", 562949.953421311, 9);
    number("too large for the quick path", 1e20, 6);
    number("not a number", std::numeric_limits<double>::quiet_NaN(), 6);
    number("time", 0, 0, "time");
}

void TestDisplayTexts::csvLineMatchesTexts() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(double, value);
    QFETCH(int, places);
    const auto write = [&](auto &out) {
        if (kind == QLatin1String("text")) out.text(text);
        if (kind == QLatin1String("utf8")) out.utf8(bytes.constData(), bytes.size());
        if (kind == QLatin1String("number")) out.number(static_cast<qint64>(value));
        if (kind == QLatin1String("fixed")) out.fixed(value, places);
        if (kind == QLatin1String("time")) {
            out.time("093015250", 9);
            out.time("246000000", 9);
            out.time("0930", 4);
        }
    };
    RecordCells::Texts texts;
    write(texts);
    RecordCells::CsvLines csv;
    csv.append("\"x\",");
    write(csv);
    csv.end();
    QByteArray expected("\"x\",");
    for (const QString &shown : texts.take())
        expected += '"' + QString(shown).replace(QLatin1Char('"'), QStringLiteral("\"\"")).toUtf8() + "\",";
    expected.back() = '\n';
    QCOMPARE(csv.bytes(), expected);
}

// Fixed decimals as Qt writes them, over many magnitudes, places and values near a half.
void TestDisplayTexts::csvFixedAgreesWithQt() {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> mantissa(0, 1);
    std::uniform_int_distribution<int> exponent(-12, 16), places(0, 9);
    for (int i = 0; i < 100000; ++i) {
        const int p = places(random);
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 2) value = (std::round(value * std::pow(10.0, p)) + 0.5) / std::pow(10.0, p);  // near a half
        RecordCells::CsvLines csv;
        csv.fixed(value, p);
        const QByteArray line = csv.bytes();
        const QByteArray qt = '"' + QString::number(value, 'f', p).toLatin1() + "\",";
        if (line != qt)
            QFAIL(qPrintable(QStringLiteral("%1 at %2 places: %3, Qt %4")
                                 .arg(value, 0, 'g', 17)
                                 .arg(p)
                                 .arg(QString::fromLatin1(line), QString::fromLatin1(qt))));
    }
}

QTEST_APPLESS_MAIN(TestDisplayTexts)
#include "tst_display_texts.moc"
