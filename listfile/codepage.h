// The system ANSI code page: Windows-1251, by a table of our own. Every byte decodes (0x98, which
// the code page leaves undefined, becomes U+0098); a character the code page cannot hold is
// written as "?". Tested by tests/listfile/codepage_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevak {

// The character of each byte.
extern const char16_t kAnsiToUnicode[256];

// The byte of unit u, or '?' when the code page has no such character.
unsigned char AnsiByteOf(char16_t u);

// Decodes bytes, one unit per byte, to out, which has room for bytes.size() units. Returns the
// end of what was written.
char16_t* AnsiDecodeTo(std::string_view bytes, char16_t* out);
std::u16string AnsiDecode(std::string_view bytes);

// Encodes text to out, which has room for text.size() bytes; returns the end of what was written.
// A surrogate pair is one character and so one "?"; a lone surrogate is one "?" as well.
char* AnsiEncodeTo(std::u16string_view text, char* out);
std::string AnsiEncode(std::u16string_view text);

// Encodes text to out, which has room for text.size() bytes, for as long as each unit is a
// character of the code page, one that decodes back to the same unit. Returns the number of units
// encoded: text.size(), or the index of the first unit that has no byte of its own.
std::size_t AnsiEncodeExactTo(std::u16string_view text, char* out);

}  // namespace brevak

// The inline definitions: a list encodes every piece of every line it is given.
#include "listfile/codepage_impl.h"
