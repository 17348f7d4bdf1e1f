// libFuzzer target: TMatcher's compiler and search on arbitrary patterns, modifiers and inputs.
// Must never crash, hang or hand out a slot outside the searched text; a bad pattern may only end
// in EMatcher. The text's bytes searched as bytes must match as its units do. Run with
// tests/fuzz/run; an input that makes it fail becomes a row of tests/text/matcher_test.cpp.
//
// Input layout: byte 0 selects the modifiers, byte 1 the pattern length n; the next n bytes are the
// pattern (one unit per byte), the rest the searched text (one unit per byte, with the top bytes
// standing for a few units that matter: NUL cut, line separators, a non-ASCII digit, a surrogate).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/matcher.h"

namespace {

char16_t TextUnit(uint8_t byte) {
  switch (byte) {
    case 0xF8:
      return u'\u2028';
    case 0xF9:
      return u'\u2029';
    case 0xFA:
      return u'\u0085';
    case 0xFB:
      return u'\u0661';
    case 0xFC:
      return u'\xD83D';
    case 0xFD:
      return u'\u0416';
    default:
      return byte;
  }
}

// Every slot of the last search, for comparing two searches.
std::vector<int> Slots(const brevak::TMatcher& m) {
  std::vector<int> slots;
  for (int n = 0; n <= brevak::TMatcher::kMaxSlot; ++n) {
    slots.push_back(m.MatchPos(n));
    slots.push_back(m.MatchLen(n));
  }
  return slots;
}

void CheckSlots(const brevak::TMatcher& m, size_t searched) {
  for (int n = 0; n <= brevak::TMatcher::kMaxSlot; ++n) {
    const int pos = m.MatchPos(n);
    if (pos < 0) continue;
    if (m.MatchLen(n) < 0 || static_cast<size_t>(pos - 1 + m.MatchLen(n)) > searched) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const size_t pattern_length = std::min<size_t>(data[1], size - 2);
  std::u16string pattern, text;
  for (size_t i = 0; i < pattern_length; ++i) pattern += static_cast<char16_t>(data[2 + i]);
  for (size_t i = 2 + pattern_length; i < size; ++i) text += TextUnit(data[i]);
  const size_t searched = std::min(text.find(u'\0'), text.size());

  brevak::TMatcher m;
  m.SetModifierI(flags & 1);
  m.SetModifierS(flags & 2);
  m.SetModifierG(flags & 4);
  m.SetModifierX(flags & 8);
  m.SetExpression(pattern);
  try {
    (void)m.Dump();
    size_t searches = 0;
    for (bool found = m.Exec(text); found; found = m.ExecNext()) {
      CheckSlots(m, searched);
      // Every next search starts further on: there are at most two per position.
      if (++searches > 2 * searched + 2) std::abort();
    }
    if (flags & 16) {
      // Search from every position, the way a caller with its own offsets would.
      for (int offset = 1; offset <= static_cast<int>(searched) + 2; ++offset)
        if (m.ExecPos(offset)) CheckSlots(m, searched);
    }
    // The text's bytes searched as bytes, with TextUnit as their units, must give the matches of
    // its units searched through any U+0000, as ExecZeroFree does.
    const std::string bytes(reinterpret_cast<const char*>(data) + 2 + pattern_length,
                            size - 2 - pattern_length);
    std::array<char16_t, 256> units;
    for (size_t b = 0; b < units.size(); ++b) units[b] = TextUnit(static_cast<uint8_t>(b));
    brevak::TMatcher inUnits, inBytes;
    inUnits.SetModifierStr(m.ModifierStr());
    inUnits.SetExpression(pattern);
    inBytes.SetModifierStr(m.ModifierStr());
    inBytes.SetExpression(pattern);
    inBytes.SetByteUnits(units);
    bool found = inUnits.ExecZeroFree(text);
    bool foundInBytes = inBytes.ExecBytes(bytes);
    for (;;) {
      if (foundInBytes != found || Slots(inBytes) != Slots(inUnits)) std::abort();
      if (!found) break;
      const std::string_view match = std::string_view(bytes).substr(
          static_cast<size_t>(inUnits.MatchPos(0) - 1), static_cast<size_t>(inUnits.MatchLen(0)));
      if (inBytes.MatchBytes(0) != match) std::abort();
      found = inUnits.ExecNext();
      foundInBytes = inBytes.ExecNext();
    }
    if (flags & 16) {
      for (int offset = 1; offset <= static_cast<int>(text.size()) + 2; ++offset)
        if (inUnits.ExecPos(offset) != inBytes.ExecPos(offset) || Slots(inBytes) != Slots(inUnits))
          std::abort();
    }
  } catch (const brevak::EMatcher& e) {
    // The calls above are in a valid order; only the empty pattern counts as not assigned.
    if (e.ErrorCode >= 1000 &&
        !(e.ErrorCode == brevak::mecNotAssignedExpression && pattern.empty()))
      std::abort();
  }
  return 0;
}
