// The callsign filter of the sources a user describes. Tested by tests/sources/usersource_test.cpp.
#include "sources/callsign.h"

namespace brevak {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0';
}

}  // namespace

std::u16string CallsignIn(std::u16string_view text) {
  constexpr std::size_t kMin = 3, kMax = 20;
  std::u16string call;
  bool inTag = false;
  for (char16_t c : text) {
    if (c == u'<') inTag = true;
    if (!inTag) call += c;
    if (c == u'>') inTag = false;
  }
  while (!call.empty() && IsBlank(call.back())) call.pop_back();
  std::size_t lead = 0;
  while (lead < call.size() && IsBlank(call[lead])) ++lead;
  call.erase(0, lead);

  bool letter = false, digit = false;
  for (char16_t c : call) {
    const bool isLetter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    const bool isDigit = c >= u'0' && c <= u'9';
    if (!isLetter && !isDigit && c != u'/') return {};
    letter = letter || isLetter;
    digit = digit || isDigit;
  }
  if (call.size() < kMin || call.size() > kMax || !letter || !digit) return {};
  return call;
}

}  // namespace brevak
