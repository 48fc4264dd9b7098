#include "md_frame_parser.h"

#include <QTextCodec>
#include <QtAlgorithms>
#include <QtEndian>
#include <QtGlobal>
#include <cstring>

namespace {
constexpr int kNameSize = sizeof(ClientSecurityMarketDataLevel1::securityName);
constexpr int kIdSize = sizeof(ClientSecurityMarketDataLevel1::securityId);
constexpr std::size_t kMaxCachedNames = 65536;

// True when decoding these bytes as UTF-8 and encoding the result again gives the same bytes:
// one- to three-byte sequences of ordinary characters only. Byte order marks, surrogates,
// noncharacters, four-byte sequences and anything malformed take the full conversion.
bool plainUtf8(const unsigned char *p, int len) {
    int i = 0;
    while (i < len) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (i + 1 >= len || (p[i + 1] & 0xC0) != 0x80) return false;
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (i + 2 >= len || (p[i + 1] & 0xC0) != 0x80 || (p[i + 2] & 0xC0) != 0x80) return false;
            const unsigned cp = ((c & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) || (cp >= 0xFDD0 && cp <= 0xFDEF) || cp == 0xFEFF ||
                cp >= 0xFFFE)
                return false;
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}
}  // namespace

MdFrameParser::MdFrameParser() { mNames.reserve(8192); }

bool MdFrameParser::begin(int size) {
    if (size < kMdHeaderSize) {
        qWarning("recv_len < sizeof ClientSecurityMarketDataLevel1Header");
        return false;
    }
    if (size < kMdFrameSize) return false;

    // The conversion depends on the local codec; forget it when someone switches codecs.
    QTextCodec *codec = QTextCodec::codecForLocale();
    if (codec != mNamesCodec) {
        mNames.clear();
        mNamesCodec = codec;
        mLocalIsUtf8 = codec && codec->mibEnum() == 106;
    }
    return true;
}

int MdFrameParser::parse(const char *data, int size, std::vector<Record> &out) {
    struct Append {
        std::vector<Record> &out;
        Record &into(const char *) { return out.emplace_back(); }
        void filled(const Record &) {}
    } sink{out};
    return parse(data, size, sink);
}

void MdFrameParser::convertName(Record &rec) {
    char *name = rec.securityName;
    char raw[kNameSize] = {};
    const int len = static_cast<int>(qstrnlen(name, kNameSize));
    std::memcpy(raw, name, len);

    // With a UTF-8 locale an ordinary name converts to itself; only the fitting is left.
    if (mLocalIsUtf8 && plainUtf8(reinterpret_cast<const unsigned char *>(raw), len)) {
        if (len < kNameSize) {
            std::memcpy(name, raw, kNameSize);
            return;
        }
        fitUtf8(QByteArray::fromRawData(raw, len), name, kNameSize);
        return;
    }

    const IdKey key = idKey(rec.securityId);
    auto it = mNames.find(key);
    if (it != mNames.end() && std::memcmp(it->second.raw, raw, kNameSize) == 0) {
        std::memcpy(name, it->second.utf8, kNameSize);
        return;
    }
    const QByteArray utf8 = QString::fromLocal8Bit(raw, len).toUtf8();
    fitUtf8(utf8, name, kNameSize);
    if (it == mNames.end()) {
        if (mNames.size() >= kMaxCachedNames) mNames.clear();
        it = mNames.emplace(key, NameMemo()).first;
    }
    std::memcpy(it->second.raw, raw, kNameSize);
    std::memcpy(it->second.utf8, name, kNameSize);
}

MdFrameParser::IdKey MdFrameParser::idKey(const char *securityId) {
    IdKey k;
    std::memcpy(&k.head, securityId, sizeof k.head);
    k.tail = static_cast<quint8>(securityId[8]);
    // Zero every byte from the first NUL on; the lowest flagged byte is always a real zero.
    const quint64 zeros = (k.head - 0x0101010101010101ull) & ~k.head & 0x8080808080808080ull;
    if (zeros != 0) {
        const int keep = qCountTrailingZeroBits(zeros) / 8;
        k.head = keep == 0 ? 0 : k.head & (~0ull >> (64 - 8 * keep));
        k.tail = 0;
    }
    return k;
}

void MdFrameParser::fitUtf8(const QByteArray &utf8, char *field, int fieldSize) {
    int n = qMin(utf8.size(), fieldSize - 1);
    if (n < utf8.size()) {
        // Back off to the start of the character that does not fit whole.
        while (n > 0 && (static_cast<unsigned char>(utf8.at(n)) & 0xC0) == 0x80) --n;
    }
    std::memset(field, 0, fieldSize);
    std::memcpy(field, utf8.constData(), n);
}

QByteArray MdFrameParser::fieldText(const char *field, int fieldSize) {
    return QByteArray(field, static_cast<int>(qstrnlen(field, fieldSize)));
}

QString MdFrameParser::securityKey(const char *securityId) {
    return QString::fromUtf8(securityId, static_cast<int>(qstrnlen(securityId, kIdSize)));
}
