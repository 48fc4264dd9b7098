#include "utils/record_cells.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "utils/utils.h"

namespace RecordCells {

void Texts::time(const char *field, int size) { mTexts << Utils::formatTime(field, size); }

void CsvLines::append(const QByteArray &bytes) {
    char *p = room(bytes.size());
    std::copy(bytes.begin(), bytes.end(), p);
    done(p + bytes.size());
}

void CsvLines::text(const QString &value) {
    const int n = value.size();
    char *const start = room(3 * n + 3);  // 3 bytes per UTF-16 unit at most, quotes and comma
    char *p = start;
    *p++ = '"';
    for (const QChar qc : value) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            if (c == '"') *p++ = '"';
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (qc.isSurrogate()) {
            // Pairs and strays: Qt's own encoder, exactly as the table's text would be saved.
            done(start);
            return append('"' + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")).toUtf8() + "\",");
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    closeField(p);
}

void CsvLines::utf8(const char *bytes, int size) {
    if (size < 0) size = 0;
    for (int i = 0; i < size; ++i) {
        // Anything beyond ASCII goes the way the table's text went, replacement of bad bytes included.
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return text(QString::fromUtf8(bytes, size));
    }
    char *p = room(2 * size + 3);
    *p++ = '"';
    for (int i = 0; i < size; ++i) {
        if (bytes[i] == '"') *p++ = '"';
        *p++ = bytes[i];
    }
    closeField(p);
}

void CsvLines::number(qint64 value) {
    char *p = room(24);
    *p++ = '"';
    p = std::to_chars(p, p + 20, value).ptr;
    closeField(p);
}

void CsvLines::fixed(double value, int places) {
    static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (places >= 0 && places <= 9 && !std::signbit(value)) {
        // Below 2^49 the product is within 1/32 of value * 10^places exactly, so where it is not
        // within 1/16 of a half it rounds to the same integer as the exact decimal does.
        const double scaled = value * kScale[places];
        if (scaled < 562949953421312.0) {
            const double whole = std::floor(scaled);
            const double part = scaled - whole;
            if (std::fabs(part - 0.5) > 0.0625) {
                const auto units = static_cast<uint64_t>(whole) + (part > 0.5 ? 1 : 0);
                const auto scale = static_cast<uint64_t>(kScale[places]);
                char *p = room(places + 24);
                *p++ = '"';
                p = std::to_chars(p, p + 20, units / scale).ptr;
                if (places > 0) {
                    *p = '.';
                    uint64_t fraction = units % scale;
                    for (int i = places; i > 0; --i, fraction /= 10) p[i] = static_cast<char>('0' + fraction % 10);
                    p += places + 1;
                }
                closeField(p);
                return;
            }
        }
    }
    text(QString::number(value, 'f', places));
}

void CsvLines::time(const char *field, int size) {
    char packed[12];
    if (!Utils::packedTimeText(field, size, packed)) return text(Utils::formatTime(field, size));
    char *p = room(15);
    *p++ = '"';
    for (const char c : packed) *p++ = c;
    closeField(p);
}

void CsvLines::end() {
    if (mSize > 0 && mBuffer.at(mSize - 1) == ',') {
        mBuffer[mSize - 1] = '\n';
    } else {
        done(room(1));
        mBuffer[mSize++] = '\n';
    }
}

}  // namespace RecordCells
