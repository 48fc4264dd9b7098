// Market-data frame handling driven from byte buffers, without a socket.
#include <QMap>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>
#include <cstring>
#include <vector>

#include "md_test_frames.h"
#include "user/queryWindow/stockQuotes/md_frame_parser.h"

using namespace mdtest;
using Chunks = QList<QByteArray>;

Q_DECLARE_METATYPE(Chunks)

namespace {

// Feeds chunks the way the client does: bytes not consumed are kept and offered again.
struct Feeder {
    MdFrameParser parser;
    QByteArray pending;
    std::vector<Record> out;
    void feed(const QByteArray &chunk) {
        pending += chunk;
        const int used = parser.parse(pending.constData(), pending.size(), out);
        QVERIFY(used >= 0 && used <= pending.size());
        pending.remove(0, used);
    }
};

QByteArray field(const Record &r) { return QByteArray(r.securityName, sizeof r.securityName); }

class CodecGuard {
public:
    explicit CodecGuard(const QByteArray &name) : mSaved(QTextCodec::codecForLocale()) {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(name));
    }
    ~CodecGuard() { QTextCodec::setCodecForLocale(mSaved); }

private:
    QTextCodec *mSaved;
};

}  // namespace

class TstMdFrames : public QObject {
    Q_OBJECT
private slots:
    void stream_data();
    void stream();
    void anySplit();
    void shortBuffer();
    void names_data();
    void names();
    void nameCacheFollowsCodec();
    void namesMatchPlainConversion_data();
    void namesMatchPlainConversion();
    void keys_data();
    void keys();
};

void TstMdFrames::stream_data() {
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("codes");  // codes stored, in order
    QTest::addColumn<int>("leftover");       // bytes kept after the last chunk
    QTest::addColumn<int>("skipped");        // headers dropped

    const QByteArray a = frameOf("600000", 10.5);
    const QByteArray b = frameOf("000001", 12.25);
    const QByteArray bad = header(124);

    QTest::newRow("two frames in one read") << Chunks{a + b} << QStringList{"600000", "000001"} << 0 << 0;
    QTest::newRow("frame and a half") << Chunks{a + b.left(141)} << QStringList{"600000"} << 141 << 0;
    QTest::newRow("half completes later")
        << Chunks{a + b.left(141), b.mid(141)} << QStringList{"600000", "000001"} << 0 << 0;
    QTest::newRow("mark 124 skipped") << Chunks{bad + a} << QStringList{"600000"} << 0 << 1;
    QTest::newRow("three bad headers skipped")
        << Chunks{bad + bad + bad + a + b} << QStringList{"600000", "000001"} << 0 << 3;
    // After the skip too few bytes remain for the body: nothing stored, the header waits.
    QTest::newRow("out of step keeps the partial frame")
        << Chunks{bad + a.left(283 - 4 + 2)} << QStringList{} << 281 << 1;
    QTest::newRow("out of step completes")
        << Chunks{bad + a.left(281), a.mid(281) + b} << QStringList{"600000", "000001"} << 0 << 1;
    QTest::newRow("less than a frame waits") << Chunks{a.left(282)} << QStringList{} << 282 << 0;
    QTest::newRow("trailing bytes kept") << Chunks{a + QByteArray(3, '\x7b')} << QStringList{"600000"} << 3 << 0;
}

void TstMdFrames::stream() {
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, codes);
    QFETCH(int, leftover);
    QFETCH(int, skipped);

    Feeder f;
    for (const QByteArray &c : chunks) f.feed(c);

    QStringList got;
    for (const Record &r : f.out) got << MdFrameParser::securityKey(r);
    QCOMPARE(got, codes);
    QCOMPARE(f.pending.size(), leftover);
    QCOMPARE(f.parser.headersSkipped(), qint64(skipped));
    QCOMPARE(f.parser.framesParsed(), qint64(codes.size()));
    for (const Record &r : f.out) {
        const Record want = makeRecord(r.securityId, r.lastPrice);
        QVERIFY(std::memcmp(&r, &want, sizeof r) == 0);
    }
}

// Wherever the reads happen to cut the stream, the records come out whole and in order.
void TstMdFrames::anySplit() {
    // Short reads warn; that is not what this case is about.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QByteArray stream = frameOf("600000", 1) + frameOf("600001", 2) + frameOf("600002", 3);
    bool ok = true;
    for (int cut1 = 1; cut1 < stream.size() && ok; ++cut1) {
        const int cut2 = (cut1 * 7) % stream.size();
        const int lo = qMin(cut1, cut2), hi = qMax(cut1, cut2);
        Feeder f;
        f.feed(stream.left(lo));
        f.feed(stream.mid(lo, hi - lo));
        f.feed(stream.mid(hi));
        ok = f.out.size() == 3 && f.pending.isEmpty();
        for (int i = 0; ok && i < 3; ++i) {
            const Record want = makeRecord(QByteArray("60000") + char('0' + i), i + 1);
            ok = std::memcmp(&f.out[i], &want, sizeof want) == 0;
        }
        if (!ok) qInstallMessageHandler(previous);
        QVERIFY2(ok, qPrintable(QStringLiteral("cut at %1/%2").arg(lo).arg(hi)));
    }
    qInstallMessageHandler(previous);
}

void TstMdFrames::shortBuffer() {
    Feeder f;
    QTest::ignoreMessage(QtWarningMsg, "recv_len < sizeof ClientSecurityMarketDataLevel1Header");
    f.feed(QByteArray("\x7b\0\0", 3));
    QCOMPARE(f.pending.size(), 3);
    QVERIFY(f.out.empty());
    // The kept bytes are the start of the next frame.
    const QByteArray a = frameOf("600000", 5);
    f.feed(a.mid(3));
    QCOMPARE(int(f.out.size()), 1);
    QCOMPARE(f.out[0].lastPrice, 5.0);
}

void TstMdFrames::names_data() {
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("wire");    // the 30-byte field as sent (shorter: zero-padded)
    QTest::addColumn<QByteArray>("stored");  // expected text before the NUL

    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    const QString fourChars = QStringLiteral("浦发银行");
    const QByteArray gbk4 = gbk->fromUnicode(fourChars);
    QCOMPARE(gbk4.size(), 8);
    QTest::newRow("gbk four characters") << QByteArray("GBK") << gbk4 << fourChars.toUtf8();

    const QString fifteen = QString(15, QChar(0x94F6));  // 银 x15: 30 GBK bytes, no NUL
    QTest::newRow("gbk 30 bytes cut to whole characters")
        << QByteArray("GBK") << gbk->fromUnicode(fifteen) << fifteen.left(9).toUtf8();

    QTest::newRow("ascii no nul") << QByteArray("UTF-8") << QByteArray(30, 'A') << QByteArray(29, 'A');
    const QString mixed = QStringLiteral("ABC") + QString(9, QChar(0x884C));  // 3 + 27 bytes
    QTest::newRow("utf8 cut before a split character")
        << QByteArray("UTF-8") << mixed.toUtf8() << (QStringLiteral("ABC") + QString(8, QChar(0x884C))).toUtf8();
    QTest::newRow("utf8 29 bytes fit") << QByteArray("UTF-8")
                                       << (QStringLiteral("AB") + QString(9, QChar(0x884C))).toUtf8()
                                       << (QStringLiteral("AB") + QString(9, QChar(0x884C))).toUtf8();
    QTest::newRow("bytes after the nul dropped")
        << QByteArray("UTF-8") << QByteArray("AB\0junk", 7) << QByteArray("AB");
    QTest::newRow("empty") << QByteArray("GBK") << QByteArray() << QByteArray();
    QTest::newRow("latin1 high bytes") << QByteArray("ISO-8859-1") << QByteArray(30, '\xE9')
                                       << QString(14, QChar(0xE9)).toUtf8();
}

void TstMdFrames::names() {
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, stored);
    CodecGuard guard(codec);

    Feeder f;
    f.feed(frame(makeRecord("600000", 1, wire)));
    QCOMPARE(int(f.out.size()), 1);
    QByteArray want = stored;
    want.append(QByteArray(30 - stored.size(), '\0'));
    QCOMPARE(field(f.out[0]), want);
    QVERIFY(want.size() == 30 && want.at(29) == '\0');
}

void TstMdFrames::nameCacheFollowsCodec() {
    const QByteArray raw = QTextCodec::codecForName("GBK")->fromUnicode(QStringLiteral("平安银行"));
    Feeder f;
    {
        CodecGuard guard("GBK");
        f.feed(frame(makeRecord("000001", 1, raw)));
    }
    {
        CodecGuard guard("ISO-8859-1");
        f.feed(frame(makeRecord("000001", 1, raw)));
    }
    QCOMPARE(int(f.out.size()), 2);
    QCOMPARE(MdFrameParser::fieldText(f.out[0].securityName, 30), QStringLiteral("平安银行").toUtf8());
    QCOMPARE(MdFrameParser::fieldText(f.out[1].securityName, 30), QString::fromLatin1(raw).toUtf8());
}

void TstMdFrames::namesMatchPlainConversion_data() {
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("utf8") << QByteArray("UTF-8");
    QTest::newRow("gbk") << QByteArray("GBK");
    QTest::newRow("latin1") << QByteArray("ISO-8859-1");
}

// Whatever shortcut the parser takes for names it has seen or for plain UTF-8, the stored
// name is the one the full conversion gives; names change under the same code too.
void TstMdFrames::namesMatchPlainConversion() {
    QFETCH(QByteArray, codec);
    CodecGuard guard(codec);
    const QList<QByteArray> pieces = {"A",
                                      "Zq",
                                      QStringLiteral("银").toUtf8(),
                                      QStringLiteral("é").toUtf8(),
                                      "\xEF\xBB\xBF",
                                      "\xED\xA0\x80",
                                      "\xEF\xBF\xBE",
                                      "\xF0\x9F\x98\x80",
                                      "\xC0\xAF",
                                      "\xE4\xBD",
                                      "\x80",
                                      "\xFF",
                                      "\xB9\xA4",
                                      QByteArray("\0", 1)};
    QRandomGenerator rng(42);
    Feeder f;
    std::vector<QByteArray> sent;
    for (int n = 0; n < 3000; ++n) {
        QByteArray name;
        while (name.size() < 34 && rng.bounded(12) != 0) name += pieces.at(rng.bounded(pieces.size()));
        name = name.left(30);
        sent.push_back(name);
        f.feed(frame(makeRecord(QByteArray::number(600000 + rng.bounded(16)), n, name)));
    }
    QCOMPARE(f.out.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        const QByteArray raw = sent[i].left(int(qstrnlen(sent[i].constData(), sent[i].size())));
        char want[30];
        MdFrameParser::fitUtf8(QString::fromLocal8Bit(raw).toUtf8(), want, 30);
        QVERIFY2(std::memcmp(f.out[i].securityName, want, 30) == 0, raw.toHex().constData());
    }
}

void TstMdFrames::keys_data() {
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QString>("key");
    QTest::newRow("six digits") << QByteArray("600000") << QStringLiteral("600000");
    QTest::newRow("nine bytes without nul") << QByteArray("123456789") << QStringLiteral("123456789");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("utf8 bytes") << QStringLiteral("代码").toUtf8() << QStringLiteral("代码");
}

void TstMdFrames::keys() {
    QFETCH(QByteArray, id);
    QFETCH(QString, key);
    // The name right after the id must not leak into the key.
    Record r = makeRecord(id, 1, "XYZ");
    QCOMPARE(MdFrameParser::securityKey(r), key);
    // Raw ids that differ only after the NUL are one code.
    Record other = r;
    if (id.size() < 8) {
        other.securityId[8] = 'Q';
        QVERIFY(MdFrameParser::idKey(r.securityId) == MdFrameParser::idKey(other.securityId));
    }
}

QTEST_GUILESS_MAIN(TstMdFrames)
#include "tst_md_frames.moc"
