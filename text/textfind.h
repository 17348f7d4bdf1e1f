// Finding a run of UTF-16 code units (or of bytes) inside a text: the one search loop behind
// TextPos and the matcher's literal scans. Tested by tests/text/textops_test.cpp and
// tests/text/matcher_test.cpp.
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

// The same for bytes: the first byte equal to unit, the first byte "0" .. "9".
size_t FindUnit(std::string_view haystack, char unit);
size_t FindDigit(std::string_view haystack);

// A needle prepared once for many searches (the matcher's literals): FindUnits without the set-up.
// TUnit is char16_t for a text of UTF-16 units, char for one of bytes.
template <typename TUnit>
class TFinder {
public:
  using TView = std::basic_string_view<TUnit>;
  TFinder() = default;
  explicit TFinder(TView needle);
  const std::basic_string<TUnit>& Needle() const { return FNeedle; }
  // The first occurrence in text[from, end), as an offset in text, or npos. Reads text[0, end):
  // the units before from are never part of an occurrence, but they let the short rest of a line
  // be taken in one vector. kNear: for a needle that is most often found near from.
  template <bool kNear = false>
  size_t FindFrom(const TUnit* text, size_t from, size_t end) const;
  // The first occurrence in haystack, or npos.
  size_t Find(TView haystack) const;

private:
  // FindFrom's steps for a few places, in textfind_impl.h.
  struct TFewPlaces;
  // The units of a vector of 16 bytes.
  static constexpr size_t kLanes = 16 / sizeof(TUnit);

  std::basic_string<TUnit> FNeedle;
  // FNeedle with kFindPadding<TUnit> units 0 before and after it, for whole-vector loads.
  std::basic_string<TUnit> FPaddedNeedle;
  // The two units compared first, by their offsets in the needle: the two that are rarest in
  // markup and text, so that few places pass that test and need the full comparison.
  size_t FAnchor1 = 0, FAnchor2 = 0;
  // The needle's units there, in each lane of a vector.
  alignas(16) std::array<TUnit, kLanes> FAnchorLanes1{}, FAnchorLanes2{};
  // The search loop for this needle and processor: (haystack, its size, needle, its size, anchors).
  using TFind = size_t (*)(const TUnit*, size_t, const TUnit*, size_t, size_t, size_t);
  TFind FFind = &FindEmpty;      // for texts with fewer places than a wide vector has units
  TFind FFindWide = &FindEmpty;  // for the others
  static size_t FindEmpty(const TUnit*, size_t, const TUnit*, size_t, size_t, size_t) { return 0; }
};

using TUnitFinder = TFinder<char16_t>;
using TByteFinder = TFinder<char>;
extern template class TFinder<char16_t>;
extern template class TFinder<char>;

}  // namespace brevak

// The inline definitions: the searches of a page's every line go through them.
#include "text/textfind_impl.h"
