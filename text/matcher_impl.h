// The inline parts of TMatcher (text/matcher.h): what a source calls for every line of a page,
// most often for a line with no match or with one match at its end, so that such a line costs
// the search and no calls around it. Tested by tests/text/matcher_test.cpp.
#pragma once

#include <algorithm>
#include <string_view>

#include "text/matcher.h"
#include "text/textfind_impl.h"

namespace brevak {

// A source sets its pattern before every search, to the one it had or, alternating between two,
// to the one before it: both are known again without a call.
inline void TMatcher::SetExpression(std::u16string_view expression) {
  if (FPatterns[FCurrent].Program) {
    if (SameUnits(expression, FPatterns[FCurrent].Expression)) return;
    if (SameUnits(expression, FPatterns[1 - FCurrent].Expression)) {
      SwitchToOtherPattern();
      return;
    }
  }
  ChangeExpression(expression);
}

inline void TMatcher::SetExpression(TFixedPattern expression) {
  const std::u16string_view units = expression.Units();
  if (FPatterns[FCurrent].Holds(units)) return;
  if (FPatterns[FCurrent].Program && FPatterns[1 - FCurrent].Holds(units)) {
    SwitchToOtherPattern();
    return;
  }
  SetExpression(units);
  FPatterns[FCurrent].Fixed = units.data();
}

// Where a pair pattern's last match leaves no room for another (a line's last match, most often
// at its end), it fails without a search.
inline bool TMatcher::ExecNext() {
  if (FProgram != nullptr && FProgram->PairGroup != 0 && FSlots.End[0] >= 0 &&
      static_cast<size_t>(FSlots.End[0]) + FProgram->Pair.MinLength > FInputLength) {
    UnsetSlots();
    return false;
  }
  return SearchNext();
}

inline int TMatcher::MatchPos(int n) const {
  if (n < 0 || n > kMaxSlot) return -1;
  const auto slot = static_cast<size_t>(n);
  if (FSlots.Start[slot] < 0 || FSlots.End[slot] < 0) return -1;
  return FSlots.Start[slot] + 1;
}

inline int TMatcher::MatchLen(int n) const {
  if (MatchPos(n) < 0) return -1;
  const auto slot = static_cast<size_t>(n);
  return FSlots.End[slot] - FSlots.Start[slot];
}

inline std::string_view TMatcher::MatchBytes(int n) const {
  if (FSearched < TSearched::Bytes || n < 0 || n > kMaxSlot) return {};
  const auto slot = static_cast<size_t>(n);
  if (FSlots.Start[slot] < 0 || FSlots.End[slot] < 0) return {};
  return {FBytes + FSlots.Start[slot], static_cast<size_t>(FSlots.End[slot] - FSlots.Start[slot])};
}

inline bool TMatcher::Compiled() const {
  const TPattern& current = FPatterns[FCurrent];
  return current.Program && current.ProgModifiers == FModifiers;
}

inline void TMatcher::SetModifier(bool& modifier, bool on) {
  modifier = on;
  ForgetReadyPrograms();
}

inline void TMatcher::SwitchToOtherPattern() {
  FCurrent = 1 - FCurrent;
  FProgram = FPatterns[FCurrent].Ready;
  FBacktrackerReady = false;
}

inline void TMatcher::ForgetReadyPrograms() {
  FProgram = FPatterns[0].Ready = FPatterns[1].Ready = nullptr;
}

// It runs before every search, several times per page line.
inline void TMatcher::PrepareSearch() {
  if (FProgram == nullptr) SelectProgram();
  if (FSearched == TSearched::Nothing) Error(mecNoInputString);
}

// A few vectors are looked at inline (HasZeroUnit, up to kInlineZeroCheck units), more by the
// vector loop of FindLength.
inline bool TMatcher::NoZeroBefore(size_t end, size_t zeroAhead) {
  if (end <= FZeroFree) return true;
  if (FLengthKnown) return false;
  if (end - FZeroFree <= kInlineZeroCheck) {
    if (!HasZeroUnit(FText + FZeroFree, end - FZeroFree)) {
      FZeroFree = end;
      return true;
    }
    zeroAhead = 0;
  }
  FindLength(std::max(end, FZeroFree + zeroAhead));
  return end <= FZeroFree;
}

inline void TMatcher::UnsetSlots() {
  if (FSlotsSet == 0) return;
  if (FSlotsSet <= 2) {  // the whole match and one group: most patterns
    FSlots.Start[0] = FSlots.End[0] = FSlots.Start[1] = FSlots.End[1] = -1;
  } else {
    FSlots.Clear();
  }
  FSlotsSet = 0;
}

}  // namespace brevak
