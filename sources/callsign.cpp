// The callsign filter of the sources a user describes. Tested by tests/sources/usersource_test.cpp.
#include "sources/callsign.h"

#include <array>
#include <cstdint>
#include <type_traits>

#include "listfile/codepage.h"

namespace brevak {
namespace {

// The character a unit of the text stands for; a byte is one of the ANSI code page.
char16_t UnitOf(char16_t c) { return c; }
char16_t UnitOf(char c) { return kAnsiToUnicode[static_cast<unsigned char>(c)]; }

template <typename TUnit>
bool IsBlank(TUnit c) {
  const char16_t u = UnitOf(c);
  return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\u00A0';
}

// What a callsign may hold, by ASCII character: a letter, a digit or "/".
enum : uint8_t { kLetter = 1, kDigit = 2, kSlash = 4 };
constexpr std::array<uint8_t, 128> kCallsignClass = [] {
  std::array<uint8_t, 128> classes{};
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] = classes[c + ('a' - 'A')] = kLetter;
  for (int c = '0'; c <= '9'; ++c) classes[c] = kDigit;
  classes['/'] = kSlash;
  return classes;
}();

template <typename TUnit>
uint8_t CallsignClass(TUnit c) {
  const auto code = static_cast<std::make_unsigned_t<TUnit>>(c);
  return code < 128 ? kCallsignClass[code] : 0;
}

// Whether text, which holds only units a callsign may (seen: their classes together), is one.
bool IsCallsign(std::size_t size, uint8_t seen) {
  constexpr std::size_t kMin = 3, kMax = 20;
  return size >= kMin && size <= kMax && (seen & kLetter) != 0 && (seen & kDigit) != 0;
}

template <typename TUnit>
std::basic_string_view<TUnit> CallsignOf(std::basic_string_view<TUnit> text,
                                         std::basic_string<TUnit>& buffer) {
  using TView = std::basic_string_view<TUnit>;
  // Most often the text is a bare callsign: the classes of its units, read once, say so.
  uint8_t seen = 0;
  std::size_t plain = 0;
  for (; plain < text.size(); ++plain) {
    const uint8_t k = CallsignClass(text[plain]);
    if (k == 0) break;
    seen |= k;
  }
  if (plain == text.size()) return IsCallsign(text.size(), seen) ? text : TView();

  if (text.find('<', plain) != text.npos) {
    buffer.clear();
    bool inTag = false;
    for (TUnit c : text) {
      if (c == '<') inTag = true;
      if (!inTag) buffer += c;
      if (c == '>') inTag = false;
    }
    text = buffer;
  }
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  seen = 0;
  for (TUnit c : text) {
    const uint8_t k = CallsignClass(c);
    if (k == 0) return TView();
    seen |= k;
  }
  return IsCallsign(text.size(), seen) ? text : TView();
}

}  // namespace

std::u16string_view CallsignIn(std::u16string_view text, std::u16string& buffer) {
  return CallsignOf(text, buffer);
}

std::string_view CallsignIn(std::string_view text, std::string& buffer) {
  return CallsignOf(text, buffer);
}

}  // namespace brevak
