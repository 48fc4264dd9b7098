// Feeds arbitrary bytes to the market-data frame parser the way the client does: in reads of
// varying size, keeping what it does not consume. The first byte picks the local codec and
// the read sizes.
#include <QByteArray>
#include <QTextCodec>
#include <QtGlobal>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "user/queryWindow/stockQuotes/md_frame_parser.h"

namespace {

bool validUtf8(const char *s, int len) { return QString::fromUtf8(s, len).toUtf8() == QByteArray(s, len); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    static const char *const codecs[] = {"UTF-8", "GBK", "ISO-8859-1", "Big5"};
    const uint8_t control = data[0];
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(codecs[control & 3]));
    ++data;
    --size;
    const int step = 1 + (control >> 2) * 37;  // 1 .. 2332 bytes per read

    static MdFrameParser parser;  // kept across inputs: its memo must survive codec changes
    QByteArray pending;
    std::vector<ClientSecurityMarketDataLevel1> out;
    size_t pos = 0;
    while (pos < size) {
        const size_t n = qMin<size_t>(step, size - pos);
        pending.append(reinterpret_cast<const char *>(data + pos), static_cast<int>(n));
        pos += n;
        out.clear();
        const int used = parser.parse(pending.constData(), pending.size(), out);
        check(used >= 0 && used <= pending.size());
        pending.remove(0, used);
        // At most one incomplete frame is ever left waiting.
        check(pending.size() < kMdFrameSize);
        for (const ClientSecurityMarketDataLevel1 &rec : out) {
            const char *name = rec.securityName;
            const int len = static_cast<int>(qstrnlen(name, sizeof rec.securityName));
            check(len < static_cast<int>(sizeof rec.securityName));
            check(validUtf8(name, len));
            for (int i = len; i < static_cast<int>(sizeof rec.securityName); ++i) check(name[i] == 0);
            const QString key = MdFrameParser::securityKey(rec);
            check(key.toUtf8().size() <= static_cast<int>(sizeof rec.securityId) * 3);
        }
    }
    return 0;
}
