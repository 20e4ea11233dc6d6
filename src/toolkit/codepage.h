// Code pages: conversions between UTF-16 text and byte strings.
//
// The program addresses Simplified Chinese users, so the "ANSI" code page is GBK (936)
// whatever the process locale says. Conversions never throw and never stop at the first
// bad byte: bytes that cannot be decoded become U+FFFD, characters that cannot be encoded
// become "?".
#pragma once

#include "toolkit/text.h"

namespace zentrow {

inline constexpr int CP_GBK = 936;
inline constexpr int CP_BIG5 = 950;
inline constexpr int CP_EUCKR = 51949;
inline constexpr int CP_UTF8 = 65001;
inline constexpr int CP_ANSI = CP_GBK;

// Exactly `length` bytes in the given code page to text (zero bytes are kept as U+0000).
// An unknown code page gives an empty text.
Text FromCodePage(const char* bytes, size_t length, int codePage);
inline Text FromCodePage(std::string_view bytes, int codePage) {
  return FromCodePage(bytes.data(), bytes.size(), codePage);
}

// Text to bytes in the given code page (no terminating zero in the std::string's size).
Bytes ToCodePage(TextView text, int codePage);

// Zero-terminated ANSI (GBK) bytes to text; conversion stops at the first zero byte.
Text FromAnsi(const char* zeroTerminated);

inline Bytes ToGbk(TextView text) { return ToCodePage(text, CP_GBK); }
inline Bytes ToUtf8(TextView text) { return ToCodePage(text, CP_UTF8); }
inline Text FromUtf8(std::string_view bytes) { return FromCodePage(bytes, CP_UTF8); }

}  // namespace zentrow
