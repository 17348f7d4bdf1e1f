// The unit-run search. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
//
// Places are filtered a vector at a time (8 units with SSE2, 16 with AVX2 where the processor has
// it): a place can only start an occurrence when two chosen units of the needle (its anchors)
// match there. The anchors are the needle's rarest units in markup, so in a page where "<", ">"
// and quotes are everywhere, almost every place is rejected before a unit-wise comparison.
#include "text/textfind.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/cpu.h"

namespace brevak {

namespace {

constexpr size_t kNotFound = std::u16string_view::npos;

// Units by how common they are in member pages, most common first; every other unit counts as
// rare.
constexpr std::u16string_view kCommonUnits = u" etaoinsrdhlcu<>=\"/mpf.gwybv,k;:-_'#&0123456789()";

// The rank of every ASCII unit in kCommonUnits, looked up rather than searched: TextPos chooses
// the anchors of its needle at every call, several times per page line.
constexpr std::array<uint8_t, 128> kAsciiRarity = [] {
  std::array<uint8_t, 128> rarity{};
  rarity.fill(static_cast<uint8_t>(kCommonUnits.size()));
  for (size_t rank = 0; rank < kCommonUnits.size(); ++rank)
    rarity[kCommonUnits[rank]] = static_cast<uint8_t>(rank);
  return rarity;
}();

size_t Rarity(char16_t unit) { return unit < 128 ? kAsciiRarity[unit] : kCommonUnits.size(); }

void ChooseAnchors(std::u16string_view needle, size_t& anchor1, size_t& anchor2) {
  anchor1 = 0;
  for (size_t k = 1; k < needle.size(); ++k)
    if (Rarity(needle[k]) > Rarity(needle[anchor1])) anchor1 = k;
  anchor2 = anchor1 == 0 ? 1 : 0;
  for (size_t k = 0; k < needle.size(); ++k)
    if (k != anchor1 && Rarity(needle[k]) > Rarity(needle[anchor2])) anchor2 = k;
}

#if defined(__x86_64__)

namespace sse2 {
struct V {
  using T = __m128i;
  static constexpr size_t kUnits = 8;
  static T Set1(char16_t u) { return _mm_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static void Store(char16_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi16(a, b); }
  static T SubsU(T a, T b) { return _mm_subs_epu16(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
};
#include "text/textfind_simd.inc"
}  // namespace sse2

BREVAK_AVX2_BEGIN
namespace avx2 {
struct V {
  using T = __m256i;
  static constexpr size_t kUnits = 16;
  static T Set1(char16_t u) { return _mm256_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static void Store(char16_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi16(a, b); }
  static T SubsU(T a, T b) { return _mm256_subs_epu16(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
};
#include "text/textfind_simd.inc"
}  // namespace avx2
BREVAK_AVX2_END

// The AVX2 loops for texts of at least one vector of 16 units, the SSE2 ones (8 units) for shorter
// ones: a page line's rest after an opening literal is often shorter than 16 units, and there the
// SSE2 loop still takes it in one or two vectors.
bool Wide(size_t units) { return HasAvx2() && units >= avx2::V::kUnits; }

template <bool kPaddedNeedle>
size_t FindAnchoredAny(const char16_t* hay, size_t n, const char16_t* needle, size_t m,
                       size_t anchor1, size_t anchor2) {
  return HasAvx2() ? avx2::FindAnchored<kPaddedNeedle>(hay, n, needle, m, anchor1, anchor2)
                   : sse2::FindAnchored<kPaddedNeedle>(hay, n, needle, m, anchor1, anchor2);
}

#endif

size_t FindAnchored(std::u16string_view haystack, std::u16string_view needle, size_t anchor1,
                    size_t anchor2) {
#if defined(__x86_64__)
  return FindAnchoredAny<false>(haystack.data(), haystack.size(), needle.data(), needle.size(),
                                anchor1, anchor2);
#else
  if (needle.size() > haystack.size()) return kNotFound;
  return haystack.find(needle);
#endif
}

}  // namespace

size_t FindUnit(std::u16string_view haystack, char16_t unit) {
#if defined(__x86_64__)
  if (Wide(haystack.size())) return avx2::FindOne(haystack.data(), haystack.size(), unit);
  return sse2::FindOne(haystack.data(), haystack.size(), unit);
#else
  return haystack.find(unit);
#endif
}

size_t FindDigit(std::u16string_view haystack) {
#if defined(__x86_64__)
  if (Wide(haystack.size())) return avx2::FindDigit(haystack.data(), haystack.size());
  return sse2::FindDigit(haystack.data(), haystack.size());
#else
  return haystack.find_first_of(u"0123456789");
#endif
}

size_t FindUnits(std::u16string_view haystack, std::u16string_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() == 1) return FindUnit(haystack, needle[0]);
  size_t anchor1 = 0, anchor2 = 0;
  ChooseAnchors(needle, anchor1, anchor2);
  return FindAnchored(haystack, needle, anchor1, anchor2);
}

namespace {

#if defined(__x86_64__)
size_t FindOneUnit(const char16_t* hay, size_t n, const char16_t* needle, size_t, size_t, size_t) {
  return FindUnit({hay, n}, needle[0]);
}
#else
size_t FindPortable(const char16_t* hay, size_t n, const char16_t* needle, size_t m, size_t,
                    size_t) {
  return std::u16string_view(hay, n).find(std::u16string_view(needle, m));
}
#endif

}  // namespace

TUnitFinder::TUnitFinder(std::u16string_view needle)
    : FNeedle(needle),
      FPaddedNeedle(std::u16string(kFindPadding, u'\0') + FNeedle +
                    std::u16string(kFindPadding, u'\0')) {
  if (needle.size() >= 2) ChooseAnchors(needle, FAnchor1, FAnchor2);
  if (needle.empty()) return;
  FAnchorLanes1.fill(needle[FAnchor1]);
  FAnchorLanes2.fill(needle[FAnchor2]);
#if defined(__x86_64__)
  if (needle.size() < 2) {
    FFind = FFindWide = &FindOneUnit;
  } else {
    // A text with fewer places than an AVX2 vector goes to the SSE2 loop, which still takes it
    // in one or two vectors.
    FFind = &sse2::FindAnchored<true>;
    FFindWide = HasAvx2() ? &avx2::FindAnchored<true> : &sse2::FindAnchored<true>;
  }
#else
  FFind = FFindWide = &FindPortable;
#endif
}

}  // namespace brevak
