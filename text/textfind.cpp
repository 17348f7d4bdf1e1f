// The unit-run search. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
//
// Candidates are filtered eight at a time: a position can only start an occurrence when the unit
// there equals the needle's first unit and the unit len-1 further on equals its last unit. In
// markup, where "<" is everywhere, testing both ends rejects almost every "<" before any unit-wise
// comparison is made.
#include "text/textfind.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevak {

namespace {

// The first and the last unit have already been compared. Needles are short: a plain loop beats a
// call to memcmp.
bool MiddleEquals(const char16_t* at, std::u16string_view needle) {
  for (size_t k = 1; k + 1 < needle.size(); ++k)
    if (at[k] != needle[k]) return false;
  return true;
}

}  // namespace

size_t FindUnits(std::u16string_view haystack, std::u16string_view needle) {
  const size_t m = needle.size();
  if (m == 0) return 0;
  if (m > haystack.size()) return std::u16string_view::npos;
  if (m == 1) return FindUnit(haystack, needle[0]);
  const char16_t* hay = haystack.data();
  const char16_t first = needle[0];
  const char16_t last = needle[m - 1];
  const size_t candidates = haystack.size() - m + 1;  // starts 0 .. candidates-1
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i first8 = _mm_set1_epi16(static_cast<short>(first));
  const __m128i last8 = _mm_set1_epi16(static_cast<short>(last));
  // Two mask bits per unit: both ends match at the starts of the eight from `at`.
  const auto ends_match = [&](size_t at) {
    const __m128i at_first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + at));
    const __m128i at_last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + at + m - 1));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi16(at_first, first8), _mm_cmpeq_epi16(at_last, last8))));
  };
  const auto first_full_match = [&](size_t at, unsigned mask) {
    for (; mask != 0; mask &= mask - 1) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (bit % 2 == 0 && MiddleEquals(hay + at + bit / 2, needle)) return at + bit / 2;
    }
    return std::u16string_view::npos;
  };
  if (candidates >= 8) {
    for (; i + 8 <= candidates; i += 8) {
      const size_t found = first_full_match(i, ends_match(i));
      if (found != std::u16string_view::npos) return found;
    }
    if (i == candidates) return std::u16string_view::npos;
    // The last starts, in one vector that overlaps starts already done.
    const size_t at = candidates - 8;
    return first_full_match(at, ends_match(at) & (~0u << (2 * (i - at))));
  }
#endif
  for (; i < candidates; ++i)
    if (hay[i] == first && hay[i + m - 1] == last && MiddleEquals(hay + i, needle)) return i;
  return std::u16string_view::npos;
}

size_t FindUnit(std::u16string_view haystack, char16_t unit) {
  const char16_t* hay = haystack.data();
  const size_t n = haystack.size();
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i unit8 = _mm_set1_epi16(static_cast<short>(unit));
  // 32 units per step while no unit matches, then 8 at a time to place the first one.
  for (; i + 32 <= n; i += 32) {
    const auto at = reinterpret_cast<const __m128i*>(hay + i);
    const __m128i any = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(_mm_loadu_si128(at), unit8),
                     _mm_cmpeq_epi16(_mm_loadu_si128(at + 1), unit8)),
        _mm_or_si128(_mm_cmpeq_epi16(_mm_loadu_si128(at + 2), unit8),
                     _mm_cmpeq_epi16(_mm_loadu_si128(at + 3), unit8)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
  for (; i + 8 <= n; i += 8) {
    const __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(at, unit8)));
    if (mask != 0) return i + static_cast<unsigned>(__builtin_ctz(mask)) / 2;
  }
#endif
  for (; i < n; ++i)
    if (hay[i] == unit) return i;
  return std::u16string_view::npos;
}

size_t CopyFindUnit(char16_t* target, std::u16string_view source, char16_t unit) {
  const char16_t* from = source.data();
  const size_t n = source.size();
  size_t i = 0;
  size_t found = std::u16string_view::npos;
#if defined(__SSE2__)
  const __m128i unit8 = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= n; i += 8) {
    const __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), at);
    if (found == std::u16string_view::npos) {
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(at, unit8)));
      if (mask != 0) found = i + static_cast<unsigned>(__builtin_ctz(mask)) / 2;
    }
  }
#endif
  for (; i < n; ++i) {
    target[i] = from[i];
    if (from[i] == unit && found == std::u16string_view::npos) found = i;
  }
  return found;
}

}  // namespace brevak
