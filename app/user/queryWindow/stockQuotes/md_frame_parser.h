// Frame handling of the market-data stream, kept apart from the socket so that it can be
// driven from plain byte buffers.
#ifndef MD_FRAME_PARSER_H
#define MD_FRAME_PARSER_H

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QtEndian>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "qeto_md_level1.h"

class QTextCodec;

class MdFrameParser {
public:
    using Record = ClientSecurityMarketDataLevel1;

    MdFrameParser();

    // Takes every whole frame from the front of data and appends its record (name already
    // converted) to out. Returns the number of bytes consumed; whatever follows, at most one
    // incomplete frame, must be kept by the caller and offered again with the next bytes.
    // Never consumes part of a frame whose header carries the right mark.
    int parse(const char *data, int size, std::vector<Record> &out);
    // The same without the vector: each record is copied straight to the Record & that
    // sink.into(its bytes) gives, its name converted there, then sink.filled(that record).
    template <class Sink>
    int parse(const char *data, int size, Sink &sink);

    qint64 framesParsed() const { return mFrames; }
    qint64 headersSkipped() const { return mSkipped; }

    // The table key of a record: securityId up to its NUL, never past its 9 bytes.
    static QString securityKey(const Record &rec) { return securityKey(rec.securityId); }
    static QString securityKey(const char *securityId);

    // securityId as a fixed-size value (bytes after the NUL zeroed), for cheap per-frame lookups.
    struct IdKey {
        quint64 head;
        quint8 tail;
        bool operator==(const IdKey &o) const { return head == o.head && tail == o.tail; }
    };
    struct IdHash {
        std::size_t operator()(const IdKey &k) const {
            // Every input bit reaches the low bits, which is what a power-of-two table uses.
            quint64 x = k.head ^ (quint64(k.tail) * 0x9E3779B97F4A7C15ull);
            x ^= x >> 33;
            x *= 0xFF51AFD7ED558CCDull;
            x ^= x >> 33;
            x *= 0xC4CEB9FE1A85EC53ull;
            x ^= x >> 33;
            return static_cast<std::size_t>(x);
        }
    };
    // Little-endian hosts only, like the records themselves.
    static IdKey idKey(const char *securityId);
    // Writes utf8 into a name field of fieldSize bytes: cut on a character boundary to
    // leave room for the NUL, rest zero-filled.
    static void fitUtf8(const QByteArray &utf8, char *field, int fieldSize);
    // The text of a NUL-terminated field, never read past its width.
    static QByteArray fieldText(const char *field, int fieldSize);

private:
    // False when there is not one whole frame yet.
    bool begin(int size);
    void convertName(Record &rec);

    // A code sends the same name frame after frame: its last raw name (bytes after the NUL
    // zeroed) and the conversion are remembered per code. Bounded so a stream of ever-new
    // codes cannot grow it without limit.
    struct NameMemo {
        char raw[sizeof(Record::securityName)];
        char utf8[sizeof(Record::securityName)];
    };
    std::unordered_map<IdKey, NameMemo, IdHash> mNames;
    QTextCodec *mNamesCodec = nullptr;
    bool mLocalIsUtf8 = false;
    qint64 mFrames = 0;
    qint64 mSkipped = 0;
};

template <class Sink>
int MdFrameParser::parse(const char *data, int size, Sink &sink) {
    if (!begin(size)) return 0;
    int pos = 0;
    // Skipping stays within the bytes at hand; a header with the right mark is only taken
    // with its whole body, otherwise it waits in the caller's buffer for the rest.
    while (size - pos >= kMdHeaderSize) {
        const qint32 mark = qFromLittleEndian<qint32>(data + pos);
        if (mark != kMdFrameMark) {
            pos += kMdHeaderSize;
            ++mSkipped;
            continue;
        }
        if (size - pos < kMdFrameSize) break;
        const char *bytes = data + pos + kMdHeaderSize;
        Record &rec = sink.into(bytes);
        std::memcpy(&rec, bytes, kMdRecordSize);
        convertName(rec);
        sink.filled(rec);
        pos += kMdFrameSize;
        ++mFrames;
    }
    return pos;
}

#endif  // MD_FRAME_PARSER_H
