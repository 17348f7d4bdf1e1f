// Reading and writing stored integers and cutting position texts into words. Tested by
// tests/app/placementrules_qtest.cpp.
#include "app/placementrules.h"

#include <cstdint>
#include <limits>

#include "base/hexdigit.h"

namespace brevak {

namespace {

// Reads digits[from..] in base 10 or 16 as a magnitude; false for no digits, any other character,
// or a magnitude beyond limit.
bool ReadMagnitude(const std::string& digits, std::size_t from, int base, std::int64_t limit,
                   std::int64_t& magnitude) {
  if (from >= digits.size()) return false;
  magnitude = 0;
  for (std::size_t i = from; i < digits.size(); ++i) {
    const int d = HexDigitValue(digits[i]);
    if (d < 0 || d >= base) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  return true;
}

bool IsSeparator(char c) { return c == ',' || c == ' '; }

}  // namespace

int StrToIntDef(const std::string& text, int def) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ReadMagnitude(text, 2, 16, kMax, magnitude) ? static_cast<int>(magnitude) : def;

  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    i += 1;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (!ReadMagnitude(text, i, base, negative ? kMax + 1 : kMax, magnitude)) return def;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

std::string IntToStr(int value) { return std::to_string(value); }

std::string ExtractWord(int n, const std::string& text) {
  std::size_t i = 0;
  for (int word = 1;; ++word) {
    while (i < text.size() && IsSeparator(text[i])) ++i;
    if (i >= text.size()) return {};
    std::size_t end = i;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    if (word == n) return text.substr(i, end - i);
    i = end;
  }
}

}  // namespace brevak
