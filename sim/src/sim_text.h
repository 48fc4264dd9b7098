// Fixed-width text fields, encodings and clock texts shared by the market and the counter.
#ifndef QETO_SIM_TEXT_H
#define QETO_SIM_TEXT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qeto::sim {

// Copies at most N bytes; the rest of the field is zero. A text that fills the field has no NUL.
template <std::size_t N>
void putText(char (&field)[N], std::string_view text) {
    const std::size_t n = text.size() < N ? text.size() : N;
    std::memcpy(field, text.data(), n);
    if (n < N) std::memset(field + n, 0, N - n);
}

// Reads a field up to its first NUL, never past its width.
template <std::size_t N>
std::string getText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

enum class Encoding { Utf8, Gbk };

bool parseEncoding(std::string_view name, Encoding *out);

// UTF-8 text in the given encoding, cut at a character boundary so that it fits in maxBytes.
std::string encodeFitting(std::string_view utf8, Encoding enc, std::size_t maxBytes);

// Longest prefix of a UTF-8 text that ends on a character boundary and has at most maxBytes.
std::string_view utf8Prefix(std::string_view utf8, std::size_t maxBytes);

// Milliseconds since local midnight -> "hhmmsszzz".
std::string timeText(int msOfDay);
// "hhmmsszzz" (exactly 9 digits) -> milliseconds since midnight; -1 when the field is empty or malformed.
int parseTimeText(const char *field9);
// Milliseconds since local midnight -> hhmmssmmm as a number.
uint64_t timeNumber(int msOfDay);

}  // namespace qeto::sim

#endif
