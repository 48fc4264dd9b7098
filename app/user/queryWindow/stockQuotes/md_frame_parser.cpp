#include "md_frame_parser.h"

#include <QTextCodec>
#include <QtEndian>
#include <QtGlobal>

#include <cstring>

namespace {
constexpr int kNameSize = sizeof(ClientSecurityMarketDataLevel1::securityName);
constexpr int kIdSize = sizeof(ClientSecurityMarketDataLevel1::securityId);
constexpr std::size_t kMaxCachedNames = 65536;
}  // namespace

std::size_t MdFrameParser::NameHash::operator()(const NameField &n) const
{
    std::size_t h = 1469598103934665603ull;
    for (char c : n) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

MdFrameParser::MdFrameParser()
{
    mNames.reserve(8192);
}

int MdFrameParser::parse(const char *data, int size, std::vector<Record> &out)
{
    if (size < kMdHeaderSize) {
        qWarning("recv_len < sizeof ClientSecurityMarketDataLevel1Header");
        return 0;
    }
    if (size < kMdFrameSize)
        return 0;

    // The conversion depends on the local codec; forget it when someone switches codecs.
    QTextCodec *codec = QTextCodec::codecForLocale();
    if (codec != mNamesCodec) {
        mNames.clear();
        mNamesCodec = codec;
    }

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
        if (size - pos < kMdFrameSize)
            break;
        out.emplace_back();
        Record &rec = out.back();
        std::memcpy(&rec, data + pos + kMdHeaderSize, kMdRecordSize);
        convertName(rec.securityName);
        pos += kMdFrameSize;
        ++mFrames;
    }
    return pos;
}

void MdFrameParser::convertName(char *name)
{
    NameField raw{};
    const int len = static_cast<int>(qstrnlen(name, kNameSize));
    std::memcpy(raw.data(), name, len);

    auto it = mNames.find(raw);
    if (it != mNames.end()) {
        std::memcpy(name, it->second.data(), kNameSize);
        return;
    }
    const QByteArray utf8 = QString::fromLocal8Bit(raw.data(), len).toUtf8();
    fitUtf8(utf8, name, kNameSize);
    if (mNames.size() >= kMaxCachedNames)
        mNames.clear();
    NameField converted;
    std::memcpy(converted.data(), name, kNameSize);
    mNames.emplace(raw, converted);
}

void MdFrameParser::fitUtf8(const QByteArray &utf8, char *field, int fieldSize)
{
    int n = qMin(utf8.size(), fieldSize - 1);
    if (n < utf8.size()) {
        // Back off to the start of the character that does not fit whole.
        while (n > 0 && (static_cast<unsigned char>(utf8.at(n)) & 0xC0) == 0x80)
            --n;
    }
    std::memset(field, 0, fieldSize);
    std::memcpy(field, utf8.constData(), n);
}

QByteArray MdFrameParser::fieldText(const char *field, int fieldSize)
{
    return QByteArray(field, static_cast<int>(qstrnlen(field, fieldSize)));
}

QString MdFrameParser::securityKey(const Record &rec)
{
    return QString::fromUtf8(rec.securityId, static_cast<int>(qstrnlen(rec.securityId, kIdSize)));
}

void MdFrameParser::store(QMap<QString, Record> &table, const Record &rec)
{
    const char *id = rec.securityId;
    const int len = static_cast<int>(qstrnlen(id, kIdSize));
    QChar chars[kIdSize];
    bool ascii = true;
    for (int i = 0; i < len; ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (c >= 0x80) {
            ascii = false;
            break;
        }
        chars[i] = QLatin1Char(static_cast<char>(c));
    }
    if (!ascii) {
        table.insert(securityKey(rec), rec);
        return;
    }
    // Codes already in the table are found without allocating a key.
    const QString probe = QString::fromRawData(chars, len);
    auto it = table.find(probe);
    if (it != table.end())
        *it = rec;
    else
        table.insert(QString(chars, len), rec);
}
