// Bounded reads of the fixed-width text fields of gateway records. A sender may fill a
// field completely and leave out the terminating zero, so a read stops at the first NUL
// or at the field's width, whichever comes first, and never touches the next field.
#ifndef QETO_RECORD_TEXT_H
#define QETO_RECORD_TEXT_H

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace RecordText {

// Bytes of a field up to the first NUL or `width`.
inline QByteArray fieldBytes(const char *p, int width) {
    if (!p || width <= 0) return QByteArray();
    int n = 0;
    while (n < width && p[n] != '\0') ++n;
    return QByteArray(p, n);
}

template <std::size_t N>
inline QByteArray fieldBytes(const char (&field)[N]) {
    return fieldBytes(field, static_cast<int>(N));
}

template <std::size_t N>
inline QString fieldUtf8(const char (&field)[N]) {
    return QString::fromUtf8(fieldBytes(field));
}

template <std::size_t N>
inline QString fieldLatin1(const char (&field)[N]) {
    return QString::fromLatin1(fieldBytes(field));
}

template <std::size_t N>
inline QString fieldLocal8Bit(const char (&field)[N]) {
    return QString::fromLocal8Bit(fieldBytes(field));
}

// Copies `bytes` to the start of a field, at most its width; the rest is zeroed.
// A text that fills the field has no terminating zero.
template <std::size_t N>
inline void setField(char (&field)[N], const QByteArray &bytes) {
    const std::size_t n = static_cast<std::size_t>(bytes.size()) < N ? static_cast<std::size_t>(bytes.size()) : N;
    for (std::size_t i = 0; i < N; ++i) field[i] = i < n ? bytes.at(static_cast<int>(i)) : '\0';
}

}  // namespace RecordText

#endif  // QETO_RECORD_TEXT_H
