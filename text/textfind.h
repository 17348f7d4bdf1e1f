// Finding a run of UTF-16 code units inside a text: the one search loop behind TextPos and the
// matcher's literal scans. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevak {

// Offset (0-based) of the first occurrence of needle in haystack, or npos. An empty needle is
// found at offset 0. Exact comparison, unit for unit.
size_t FindUnits(std::u16string_view haystack, std::u16string_view needle);

// Offset of the first unit equal to unit, or npos.
size_t FindUnit(std::u16string_view haystack, char16_t unit);

// Offset of the first unit "0" .. "9", or npos.
size_t FindDigit(std::u16string_view haystack);

// Whether the n units from p hold a U+0000: inline for the few units of a page line, the vector
// search of FindUnit for more.
inline bool HasZeroUnit(const char16_t* p, size_t n) {
#if defined(__SSE2__)
  if (n >= 8 && n <= 64) {
    const __m128i zero = _mm_setzero_si128();
    __m128i zeros =
        _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 8)), zero);
    for (size_t k = 0; k + 8 < n; k += 8)
      zeros = _mm_or_si128(
          zeros, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), zero));
    return _mm_movemask_epi8(zeros) != 0;
  }
#endif
  if (n < 8) {
    for (size_t k = 0; k < n; ++k)
      if (p[k] == 0) return true;
    return false;
  }
  return FindUnit({p, n}, u'\0') != std::u16string_view::npos;
}

// Whether a and b hold the same units: a short text compared a vector at a time, inline.
inline bool SameUnits(std::u16string_view a, std::u16string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
#if defined(__SSE2__)
  if (n >= 8) {
    for (size_t k = 0;; k += 8) {
      const size_t at = k + 8 <= n ? k : n - 8;  // the last vector overlaps the one before
      // Inlined where one side is a short literal, GCC 12 at -O3 warns of a vector read past it,
      // in this branch that only runs for eight units or more.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data() + at));
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.data() + at));
#pragma GCC diagnostic pop
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(x, y)) != 0xFFFF) return false;
      if (at + 8 == n) return true;
    }
  }
#endif
  for (size_t k = 0; k < n; ++k)
    if (a[k] != b[k]) return false;
  return true;
}

// Units of U+0000 a TUnitFinder keeps before and after its needle, so that a short needle is
// compared with a place in one vector.
inline constexpr size_t kFindPadding = 16;

// A needle prepared once for many searches (the matcher's literals): FindUnits without the set-up.
class TUnitFinder {
public:
  TUnitFinder() = default;
  explicit TUnitFinder(std::u16string_view needle);
  const std::u16string& Needle() const { return FNeedle; }
  size_t Find(std::u16string_view haystack) const {
    // The wide loop only where the text has a wide vector's worth of places.
    const TFind find = haystack.size() >= FNeedle.size() + 15 ? FFindWide : FFind;
    return find(haystack.data(), haystack.size(), FPaddedNeedle.data() + kFindPadding,
                FNeedle.size(), FAnchor1, FAnchor2);
  }

private:
  std::u16string FNeedle;
  // FNeedle with kFindPadding units U+0000 before and after it, for whole-vector loads.
  std::u16string FPaddedNeedle;
  // The two units compared first, by their offsets in the needle: the two that are rarest in
  // markup and text, so that few places pass that test and need the full comparison.
  size_t FAnchor1 = 0, FAnchor2 = 0;
  // The search loop for this needle and processor: (haystack, its size, needle, its size, anchors).
  using TFind = size_t (*)(const char16_t*, size_t, const char16_t*, size_t, size_t, size_t);
  TFind FFind = &FindEmpty;      // for texts of fewer than 16 places
  TFind FFindWide = &FindEmpty;  // for the others
  static size_t FindEmpty(const char16_t*, size_t, const char16_t*, size_t, size_t, size_t) {
    return 0;
  }
};

}  // namespace brevak
