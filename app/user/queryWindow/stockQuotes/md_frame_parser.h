// Frame handling of the market-data stream, kept apart from the socket so that it can be
// driven from plain byte buffers.
#ifndef MD_FRAME_PARSER_H
#define MD_FRAME_PARSER_H

#include <QByteArray>
#include <QMap>
#include <QString>

#include <array>
#include <cstddef>
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

    qint64 framesParsed() const { return mFrames; }
    qint64 headersSkipped() const { return mSkipped; }

    // The table key of a record: securityId up to its NUL, never past its 9 bytes.
    static QString securityKey(const Record &rec);
    // Stores rec in the table under its key, replacing an earlier record of the same code.
    static void store(QMap<QString, Record> &table, const Record &rec);
    // Writes utf8 into a name field of fieldSize bytes: cut on a character boundary to
    // leave room for the NUL, rest zero-filled.
    static void fitUtf8(const QByteArray &utf8, char *field, int fieldSize);
    // The text of a NUL-terminated field, never read past its width.
    static QByteArray fieldText(const char *field, int fieldSize);

private:
    void convertName(char *name);

    // Names repeat with every frame of a code; the conversion is remembered per raw name
    // (bytes after the NUL zeroed). Bounded so a stream of ever-new names cannot grow it.
    using NameField = std::array<char, sizeof(Record::securityName)>;
    struct NameHash {
        std::size_t operator()(const NameField &n) const;
    };
    std::unordered_map<NameField, NameField, NameHash> mNames;
    QTextCodec *mNamesCodec = nullptr;
    qint64 mFrames = 0;
    qint64 mSkipped = 0;
};

#endif  // MD_FRAME_PARSER_H
