// The inline parts of the unit-run search (text/textfind.h): a prepared needle's search of the
// first few places of a line, and the short zero and equality checks the matcher runs before its
// searches. Each takes a line's few units in one or two SSE2 vectors, so that the searches of a
// page's every line cost no call; textfind.cpp holds the loops for longer texts. Tested by
// tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/textfind.h"

namespace brevak {

// Units of 0 a TFinder keeps before and after its needle, so that a short needle is compared
// with a place in one vector of up to 32 bytes.
template <typename TUnit>
inline constexpr size_t kFindPadding = 32 / sizeof(TUnit);

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

#if defined(__SSE2__)
// FindFrom for a few places: the anchors of every place compared in one or two vectors of 16
// bytes, each loaded inside text[0, end), which needs end >= kLanes.
template <typename TUnit>
struct TFinder<TUnit>::TFewPlaces {
  // Up to this many places, FindFrom compares the anchors inline.
  static constexpr size_t kPlaces = 2 * kLanes;
  // Mask bits per unit of a comparison, and the first bit of each place.
  static constexpr unsigned kBits = sizeof(TUnit);
  static constexpr uint32_t kPlaceBits = kBits == 2 ? 0x55555555u : 0xFFFFFFFFu;

  [[gnu::always_inline]] static __m128i Eq(__m128i a, __m128i b) {
    if constexpr (sizeof(TUnit) == 2) return _mm_cmpeq_epi16(a, b);
    return _mm_cmpeq_epi8(a, b);
  }
  [[gnu::always_inline]] static __m128i Load(const TUnit* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }

  // FindFrom for 1 to kPlaces places, with end >= kLanes.
  [[gnu::always_inline]] static size_t Find(const TFinder& f, const TUnit* text, size_t from,
                                            size_t end, size_t places) {
    const __m128i unit1 = Lanes(f.FAnchorLanes1), unit2 = Lanes(f.FAnchorLanes2);
    // kBits mask bits per place p, from bit kBits * p.
    if (places <= kLanes) {
      uint32_t mask = AnchorBits(text, from, end, f.FAnchor1, unit1) &
                      AnchorBits(text, from, end, f.FAnchor2, unit2) &
                      ((uint32_t{1} << (kBits * places)) - 1);
      return FirstOccurrence(f, text, from, end, mask);
    }
    // The first kLanes places, and the last kLanes (overlapping them).
    const size_t last = places - kLanes;
    return FirstOccurrence(f, text, from, end,
                           AnchorsAt(f, text + from, unit1, unit2) |
                               (AnchorsAt(f, text + from + last, unit1, unit2) << (kBits * last)));
  }

  [[gnu::always_inline]] static __m128i Lanes(const std::array<TUnit, kLanes>& lanes) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes.data()));
  }
  // The first place from `from` on in mask where the needle occurs.
  [[gnu::always_inline]] static size_t FirstOccurrence(const TFinder& f, const TUnit* text,
                                                       size_t from, size_t end, uint32_t mask) {
    mask &= kPlaceBits;
    // A needle of one or two bytes is all anchors: where they match, it occurs. (Units keep the
    // comparison: on the sources' patterns the extra test cost more than it saved.)
    if constexpr (sizeof(TUnit) == 1) {
      if (f.FNeedle.size() <= 2)
        return mask == 0 ? std::basic_string_view<TUnit>::npos
                         : from + static_cast<size_t>(__builtin_ctz(mask));
    }
    for (; mask != 0; mask &= mask - 1) {
      const size_t at = from + static_cast<size_t>(__builtin_ctz(mask)) / kBits;
      if (OccursAt(f, text, at, end)) return at;
    }
    return std::basic_string_view<TUnit>::npos;
  }
  // Mask bits of the places from p on (kLanes at most) where both anchors match; p + anchor +
  // kLanes must be within the text.
  [[gnu::always_inline]] static uint32_t AnchorsAt(const TFinder& f, const TUnit* p, __m128i unit1,
                                                   __m128i unit2) {
    return static_cast<uint32_t>(_mm_movemask_epi8(
        _mm_and_si128(Eq(Load(p + f.FAnchor1), unit1), Eq(Load(p + f.FAnchor2), unit2))));
  }
  // Mask bits of the places from `from` on (kLanes at most) whose unit at offset anchor is unit:
  // the vector from the first such unit, or the last vector of text[0, end) when that one would
  // pass end.
  [[gnu::always_inline]] static uint32_t AnchorBits(const TUnit* text, size_t from, size_t end,
                                                    size_t anchor, __m128i unit) {
    const size_t first = from + anchor;
    const size_t at = first + kLanes <= end ? first : end - kLanes;
    const auto bits = static_cast<uint32_t>(_mm_movemask_epi8(Eq(Load(text + at), unit)));
    return bits >> (kBits * (first - at));
  }
  // Whether the needle occurs at text[at], at + its length <= end, end >= kLanes: a needle of up
  // to kLanes units in one vector of text[0, end) (compared with the padded needle shifted to
  // match), a longer one a vector at a time.
  [[gnu::always_inline]] static bool OccursAt(const TFinder& f, const TUnit* text, size_t at,
                                              size_t end) {
    const TUnit* needle = f.FPaddedNeedle.data() + kFindPadding<TUnit>;
    const size_t m = f.FNeedle.size();
    const auto same = [](const TUnit* x, const TUnit* y) {
      return static_cast<uint32_t>(_mm_movemask_epi8(Eq(Load(x), Load(y))));
    };
    if (m <= kLanes) {
      const size_t start = at + kLanes <= end ? at : end - kLanes;
      const size_t shift = at - start;
      const uint32_t bits = ((uint32_t{1} << (kBits * m)) - 1) << (kBits * shift);
      return (same(text + start, needle - shift) & bits) == bits;
    }
    for (size_t k = 0; k + kLanes < m; k += kLanes)
      if (same(text + at + k, needle + k) != 0xFFFF) return false;
    return same(text + at + m - kLanes, needle + m - kLanes) == 0xFFFF;
  }
};
#endif

// Inline for a text of up to twice TFewPlaces::kPlaces places and, with kNear, for the start of
// any text: a line's rest after an opening literal is most often that short.
template <typename TUnit>
template <bool kNear>
[[gnu::always_inline]] inline size_t TFinder<TUnit>::FindFrom(const TUnit* text, size_t from,
                                                              size_t end) const {
  constexpr size_t kNotFound = TView::npos;
  const size_t m = FNeedle.size();
  if (end - from < m) return kNotFound;
#if defined(__SSE2__)
  constexpr size_t kFewPlaces = TFewPlaces::kPlaces;
  const size_t places = end - from - m + 1;
  if (m != 0 && end >= kLanes && (kNear || places <= 2 * kFewPlaces)) {
    if (places <= kFewPlaces) return TFewPlaces::Find(*this, text, from, end, places);
    const size_t near = TFewPlaces::Find(*this, text, from, from + kFewPlaces + m - 1, kFewPlaces);
    if (near != kNotFound) return near;
    // The last places of a text of up to twice as many, overlapping those just seen.
    if (places <= 2 * kFewPlaces)
      return TFewPlaces::Find(*this, text, from + places - kFewPlaces, end, kFewPlaces);
    from += kFewPlaces;
  }
#endif
  const size_t found = Find({text + from, end - from});
  return found == kNotFound ? found : from + found;
}

template <typename TUnit>
inline size_t TFinder<TUnit>::Find(TView haystack) const {
  // The wide loop only where the text has a wide vector's worth of places (32 bytes).
  const TFind find = haystack.size() >= FNeedle.size() + 32 / sizeof(TUnit) - 1 ? FFindWide : FFind;
  return find(haystack.data(), haystack.size(), FPaddedNeedle.data() + kFindPadding<TUnit>,
              FNeedle.size(), FAnchor1, FAnchor2);
}

}  // namespace brevak
