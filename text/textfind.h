// Finding a run of UTF-16 code units inside a text: the one search loop behind TextPos and the
// matcher's literal scans. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevak {

// Offset (0-based) of the first occurrence of needle in haystack, or npos. An empty needle is
// found at offset 0. Exact comparison, unit for unit.
size_t FindUnits(std::u16string_view haystack, std::u16string_view needle);

// Offset of the first unit equal to unit, or npos.
size_t FindUnit(std::u16string_view haystack, char16_t unit);

// Offset of the first unit "0" .. "9", or npos.
size_t FindDigit(std::u16string_view haystack);

// A needle prepared once for many searches (the matcher's literals): FindUnits without the set-up.
class TUnitFinder {
public:
  TUnitFinder() = default;
  explicit TUnitFinder(std::u16string_view needle);
  const std::u16string& Needle() const { return FNeedle; }
  // The first occurrence in text[from, end), as an offset in text, or npos. Reads text[0, end):
  // the units before from are never part of an occurrence, but they let the short rest of a line
  // be taken in one vector. kNear: for a needle that is most often found near from.
  template <bool kNear = false>
  size_t FindFrom(const char16_t* text, size_t from, size_t end) const;
  // The first occurrence in haystack, or npos.
  size_t Find(std::u16string_view haystack) const;

private:
  // FindFrom's steps for a few places, in textfind_impl.h.
  struct TFewPlaces;

  std::u16string FNeedle;
  // FNeedle with kFindPadding units U+0000 before and after it, for whole-vector loads.
  std::u16string FPaddedNeedle;
  // The two units compared first, by their offsets in the needle: the two that are rarest in
  // markup and text, so that few places pass that test and need the full comparison.
  size_t FAnchor1 = 0, FAnchor2 = 0;
  // The needle's units there, in each of the eight lanes of a vector.
  alignas(16) std::array<char16_t, 8> FAnchorLanes1{}, FAnchorLanes2{};
  // The search loop for this needle and processor: (haystack, its size, needle, its size, anchors).
  using TFind = size_t (*)(const char16_t*, size_t, const char16_t*, size_t, size_t, size_t);
  TFind FFind = &FindEmpty;      // for texts of fewer than 16 places
  TFind FFindWide = &FindEmpty;  // for the others
  static size_t FindEmpty(const char16_t*, size_t, const char16_t*, size_t, size_t, size_t) {
    return 0;
  }
};

}  // namespace brevak

// The inline definitions: the searches of a page's every line go through them.
#include "text/textfind_impl.h"
