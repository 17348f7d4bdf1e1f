// The inline part of the code page (listfile/codepage.h): the exact encode of a line's pieces,
// which a list runs for every piece of every line it is given; a run of ASCII goes a vector at a
// time without a call. codepage.cpp holds the rest. Tested by tests/listfile/codepage_test.cpp.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "listfile/codepage.h"

namespace brevak {

// AnsiEncodeExactTo for the units of text from index from on; out is the buffer of the whole
// text (unit i goes to out[i]), and the units before from are taken as written already.
std::size_t AnsiEncodeExactFrom(std::u16string_view text, std::size_t from, char* out);

inline std::size_t AnsiEncodeExactTo(std::u16string_view text, char* out) {
#if defined(__SSE2__)
  // A line of a list is short and mostly ASCII: vectors of it, the last one ending at the text's
  // end and overlapping the one before, so that no unit goes on its own.
  const char16_t* const begin = text.data();
  const std::size_t n = text.size();
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  auto isAscii = [&](__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, high), _mm_setzero_si128())) ==
           0xFFFF;
  };
  if (n >= 16) {
    for (std::size_t i = 0;; i += 16) {
      const std::size_t at = i < n - 16 ? i : n - 16;
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + at));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + at + 8));
      if (!isAscii(_mm_or_si128(a, b))) return AnsiEncodeExactFrom(text, at, out);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_packus_epi16(a, b));
      if (at == n - 16) return n;
    }
  }
  if (n >= 8) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + n - 8));
    if (isAscii(_mm_or_si128(a, b))) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, a));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + n - 8), _mm_packus_epi16(b, b));
      return n;
    }
  }
#endif
  return AnsiEncodeExactFrom(text, 0, out);
}

}  // namespace brevak
