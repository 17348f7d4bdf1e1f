// The inline parts of the line split (listfile/linesplit.h): the mask of line ends in a vector of
// units, and a walk's step to its next line, which takes the common line ends (an LF, or a CR LF
// among the same bytes looked at) without a call. linesplit.cpp holds the rest. Tested by
// tests/listfile/stringlist_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "listfile/linesplit.h"

namespace brevak {

namespace linesplit_detail {

// The units that end a line: CR and LF, and NUL, which ends the text.
template <typename TUnit>
bool IsLineEnd(TUnit u) {
  return u == '\r' || u == '\n' || u == 0;
}

// One bit per byte of the sixteen at p, set for the bytes of units that are CR, LF or NUL. Inline:
// the line walk asks it for every 32 bytes.
template <typename TUnit>
unsigned LineEndMask(const TUnit* p) {
#if defined(__SSE2__)
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i m;
  if constexpr (sizeof(TUnit) == 1) {
    m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                     _mm_cmpeq_epi8(v, _mm_setzero_si128()));
  } else {
    m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\r')),
                                  _mm_cmpeq_epi16(v, _mm_set1_epi16('\n'))),
                     _mm_cmpeq_epi16(v, _mm_setzero_si128()));
  }
  return static_cast<unsigned>(_mm_movemask_epi8(m));
#else
  unsigned mask = 0;
  for (std::size_t i = 0; i < 16 / sizeof(TUnit); ++i) {
    if (IsLineEnd(p[i])) mask |= ((1u << sizeof(TUnit)) - 1) << (i * sizeof(TUnit));
  }
  return mask;
#endif
}

}  // namespace linesplit_detail

inline bool TAnsiLineWalker::Next(std::u16string_view& line) {
  if (FNextSpan == FSpans.Size() && !NextBlock()) return false;
  const std::size_t start = FSpans.Start(FNextSpan);
  line = std::u16string_view(FUnits.Units.get() + (start - FBlockStart),
                             FSpans.End(FNextSpan) - start);
  ++FNextSpan;
  return true;
}

inline bool TAnsiLineWalker::NextBytes(std::string_view& line) {
  // The common line ends inline: an LF, or a CR LF among the same bytes looked at, in the 32
  // bytes after the last line end or a few more of them.
  const char* p = FBytes.data();
  while (FBreaks == 0 && FNextBreaksAt + 32 <= FTextEnd) {
    // The next line starts at most one byte past them: after a CR LF whose LF is the first.
    FBreaks = Breaks32(p + FNextBreaksAt) & ~std::uint32_t{FLineStart > FNextBreaksAt};
    FBreaksAt = FNextBreaksAt;
    FNextBreaksAt += 32;
  }
  if (FBreaks != 0) {
    const unsigned bit = static_cast<unsigned>(__builtin_ctz(FBreaks));
    const std::size_t end = FBreaksAt + bit;
    unsigned lineEnd = 0;
    if (p[end] == '\n') {
      lineEnd = 1;
    } else if (p[end] == '\r' && ((FBreaks >> bit) & 2) != 0 && p[end + 1] == '\n') {
      lineEnd = 2;
    }
    if (lineEnd != 0) {
      line = std::string_view(p + FLineStart, end - FLineStart);
      FLineStart = end + lineEnd;
      FBreaks &= FBreaks - 1;
      if (lineEnd == 2) FBreaks &= FBreaks - 1;
      return true;
    }
  }
  return NextBytesByRule(line);
}

inline std::uint32_t TAnsiLineWalker::Breaks32(const char* p) {
  return linesplit_detail::LineEndMask(p) | std::uint32_t{linesplit_detail::LineEndMask(p + 16)}
                                                << 16;
}

}  // namespace brevak
