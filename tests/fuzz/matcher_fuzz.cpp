// libFuzzer target: TMatcher's compiler and search on arbitrary patterns, modifiers and inputs.
// Must never crash, hang or hand out a slot outside the searched text; a bad pattern may only end
// in EMatcher. Run with tests/fuzz/run; an input that makes it fail becomes a row of
// tests/text/matcher_test.cpp.
//
// Input layout: byte 0 selects the modifiers, byte 1 the pattern length n; the next n bytes are the
// pattern (one unit per byte), the rest the searched text (one unit per byte, with the top bytes
// standing for a few units that matter: NUL cut, line separators, a non-ASCII digit, a surrogate).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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
  } catch (const brevak::EMatcher& e) {
    // The calls above are in a valid order; only the empty pattern counts as not assigned.
    if (e.ErrorCode >= 1000 &&
        !(e.ErrorCode == brevak::mecNotAssignedExpression && pattern.empty()))
      std::abort();
  }
  return 0;
}
