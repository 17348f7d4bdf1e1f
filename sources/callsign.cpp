// The callsign filter of the sources a user describes. Tested by tests/sources/usersource_test.cpp.
#include "sources/callsign.h"

namespace brevak {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0';
}

}  // namespace

std::u16string_view CallsignIn(std::u16string_view text, std::u16string& buffer) {
  constexpr std::size_t kMin = 3, kMax = 20;
  if (text.find(u'<') != std::u16string_view::npos) {
    buffer.clear();
    bool inTag = false;
    for (char16_t c : text) {
      if (c == u'<') inTag = true;
      if (!inTag) buffer += c;
      if (c == u'>') inTag = false;
    }
    text = buffer;
  }
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  if (text.size() < kMin || text.size() > kMax) return {};

  bool letter = false, digit = false;
  for (char16_t c : text) {
    const bool isLetter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    const bool isDigit = c >= u'0' && c <= u'9';
    if (!isLetter && !isDigit && c != u'/') return {};
    letter = letter || isLetter;
    digit = digit || isDigit;
  }
  if (!letter || !digit) return {};
  return text;
}

}  // namespace brevak
