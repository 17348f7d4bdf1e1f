// The unit-run search. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
//
// Candidates are filtered eight at a time: a position can only start an occurrence when the unit
// there equals the needle's first unit and the unit len-1 further on equals its last unit. In
// markup, where "<" is everywhere, testing both ends rejects almost every "<" before any unit-wise
// comparison is made.
#include "text/textfind.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevak {

namespace {

bool MiddleEquals(const char16_t* at, std::u16string_view needle) {
  // The first and the last unit have already been compared.
  return needle.size() <= 2 ||
         std::memcmp(at + 1, needle.data() + 1, (needle.size() - 2) * sizeof(char16_t)) == 0;
}

}  // namespace

size_t FindUnits(std::u16string_view haystack, std::u16string_view needle) {
  const size_t m = needle.size();
  if (m == 0) return 0;
  if (m > haystack.size()) return std::u16string_view::npos;
  const char16_t* hay = haystack.data();
  const char16_t first = needle[0];
  const char16_t last = needle[m - 1];
  const size_t candidates = haystack.size() - m + 1;  // starts 0 .. candidates-1
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i first8 = _mm_set1_epi16(static_cast<short>(first));
  const __m128i last8 = _mm_set1_epi16(static_cast<short>(last));
  for (; i + 8 <= candidates; i += 8) {
    const __m128i at_first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
    const __m128i at_last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i + m - 1));
    const __m128i both =
        _mm_and_si128(_mm_cmpeq_epi16(at_first, first8), _mm_cmpeq_epi16(at_last, last8));
    // Two mask bits per unit.
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (MiddleEquals(hay + i + bit / 2, needle)) return i + bit / 2;
      mask &= ~(3u << bit);
    }
  }
#endif
  for (; i < candidates; ++i)
    if (hay[i] == first && hay[i + m - 1] == last && MiddleEquals(hay + i, needle)) return i;
  return std::u16string_view::npos;
}

}  // namespace brevak
