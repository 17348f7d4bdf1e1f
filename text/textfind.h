// Finding a run of UTF-16 code units inside a text: the one search loop behind TextPos and the
// matcher's literal scans. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevak {

// Offset (0-based) of the first occurrence of needle in haystack, or npos. An empty needle is
// found at offset 0. Exact comparison, unit for unit.
size_t FindUnits(std::u16string_view haystack, std::u16string_view needle);

// Offset of the first unit equal to unit, or npos.
size_t FindUnit(std::u16string_view haystack, char16_t unit);

// Copies n units from src to dst (which must not overlap) and gives the offset of the first U+0000
// among them, or npos: one pass over the text for both.
size_t CopyUnitsFindZero(char16_t* dst, const char16_t* src, size_t n);

// A needle prepared once for many searches (the matcher's literals): FindUnits without the set-up.
class TUnitFinder {
public:
  TUnitFinder() = default;
  explicit TUnitFinder(std::u16string_view needle);
  const std::u16string& Needle() const { return fNeedle; }
  size_t Find(std::u16string_view haystack) const;

private:
  std::u16string fNeedle;
  // The two units compared first, by their offsets in the needle: the two that are rarest in
  // markup and text, so that few places pass that test and need the full comparison.
  size_t fAnchor1 = 0, fAnchor2 = 0;
};

}  // namespace brevak
