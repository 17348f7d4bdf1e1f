// UTF-8 and UTF-16 to and from the program's UTF-16 text. Tested by tests/listfile/utf_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace brevak {

// The three bytes a UTF-8 file may open with to say it is UTF-8.
constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";

// The halves of a surrogate pair: a character above U+FFFF takes a high unit, then a low one.
constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Strict UTF-8: decodes bytes to out, which has room for bytes.size() units, and returns the end
// of what was written; nullptr when the bytes hold any invalid sequence (a stray continuation
// byte, a cut-off sequence, an overlong form, a surrogate, a value above U+10FFFF).
char16_t* Utf8DecodeStrictTo(std::string_view bytes, char16_t* out);

// Lenient UTF-8 for text the program reads for itself: each byte that starts no valid sequence
// gives one U+FFFD, and decoding goes on at the next byte.
std::u16string Utf8Decode(std::string_view bytes);

// Encodes text as UTF-8 to out, which has room for 3 * text.size() bytes; returns the end of what
// was written. A lone surrogate is written as U+FFFD.
char* Utf8EncodeTo(std::u16string_view text, char* out);
std::string Utf8Encode(std::u16string_view text);

// UTF-16 bytes of either order, two bytes per unit; a byte left over at the end is ignored. out
// has room for bytes.size() / 2 units (decode) or 2 * text.size() bytes (encode); each returns the
// end of what was written. Surrogates pass through as the units they are.
enum class TByteOrder { LittleEndian, BigEndian };
char16_t* Utf16DecodeTo(std::string_view bytes, TByteOrder order, char16_t* out);
char* Utf16EncodeTo(std::u16string_view text, TByteOrder order, char* out);

}  // namespace brevak
