// The text rules of the placement file: how a stored integer is read and written, and how a
// position text is cut into words. No window needed. Tested by tests/app/placementrules_qtest.cpp.
#pragma once

#include <string>

namespace brevak {

// Reads a stored integer. A text of three or more characters that begins with "0x" or "0X" is
// hexadecimal after those two; otherwise leading spaces are skipped, one "-" or "+" is taken, and
// the rest is decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything
// else, an empty text, or a value outside the signed 32-bit range gives def.
int StrToIntDef(const std::string& text, int def);

// Writes an integer in decimal, with "-" when negative.
std::string IntToStr(int value);

// Word n (from 1) of text cut at every "," and " "; a run of separators is one cut and the ends
// give no empty word. The empty text when there are fewer than n words.
std::string ExtractWord(int n, const std::string& text);

}  // namespace brevak
