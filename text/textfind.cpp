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
// A byte above 0x7F is a letter of the code page, as rare as a unit outside ASCII.
size_t Rarity(char unit) { return Rarity(static_cast<char16_t>(static_cast<unsigned char>(unit))); }

template <typename TView>
void ChooseAnchors(TView needle, size_t& anchor1, size_t& anchor2) {
  anchor1 = 0;
  for (size_t k = 1; k < needle.size(); ++k)
    if (Rarity(needle[k]) > Rarity(needle[anchor1])) anchor1 = k;
  anchor2 = anchor1 == 0 ? 1 : 0;
  for (size_t k = 0; k < needle.size(); ++k)
    if (k != anchor1 && Rarity(needle[k]) > Rarity(needle[anchor2])) anchor2 = k;
}

#if defined(__x86_64__)

namespace sse2 {
template <typename TUnit>
struct V;
template <>
struct V<char16_t> {
  using T = __m128i;
  static constexpr size_t kUnits = 8;
  static constexpr unsigned kBits = 2;
  static constexpr uint32_t kPlaceBits = 0x55555555u;  // one bit per place
  static T Set1(char16_t u) { return _mm_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi16(a, b); }
  static T SubsU(T a, T b) { return _mm_subs_epu16(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
};
template <>
struct V<char> {
  using T = __m128i;
  static constexpr size_t kUnits = 16;
  static constexpr unsigned kBits = 1;
  static constexpr uint32_t kPlaceBits = 0xFFFFFFFFu;
  static T Set1(char u) { return _mm_set1_epi8(u); }
  static T Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
  static T SubsU(T a, T b) { return _mm_subs_epu8(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
};
#include "text/textfind_simd.inc"
}  // namespace sse2

BREVAK_AVX2_BEGIN
namespace avx2 {
template <typename TUnit>
struct V;
template <>
struct V<char16_t> {
  using T = __m256i;
  static constexpr size_t kUnits = 16;
  static constexpr unsigned kBits = 2;
  static constexpr uint32_t kPlaceBits = 0x55555555u;
  static T Set1(char16_t u) { return _mm256_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi16(a, b); }
  static T SubsU(T a, T b) { return _mm256_subs_epu16(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
};
template <>
struct V<char> {
  using T = __m256i;
  static constexpr size_t kUnits = 32;
  static constexpr unsigned kBits = 1;
  static constexpr uint32_t kPlaceBits = 0xFFFFFFFFu;
  static T Set1(char u) { return _mm256_set1_epi8(u); }
  static T Load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
  static T SubsU(T a, T b) { return _mm256_subs_epu8(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
};
#include "text/textfind_simd.inc"
}  // namespace avx2
BREVAK_AVX2_END

// The AVX2 loops for texts of at least one vector of 32 bytes, the SSE2 ones (16 bytes) for
// shorter ones: a page line's rest after an opening literal is often shorter than that, and there
// the SSE2 loop still takes it in one or two vectors.
template <typename TUnit>
bool Wide(size_t units) {
  return HasAvx2() && units >= avx2::V<TUnit>::kUnits;
}

template <typename TUnit>
size_t FindOneAny(const TUnit* hay, size_t n, TUnit unit) {
  return Wide<TUnit>(n) ? avx2::FindOne(hay, n, unit) : sse2::FindOne(hay, n, unit);
}

template <typename TUnit>
size_t FindDigitAny(const TUnit* hay, size_t n) {
  return Wide<TUnit>(n) ? avx2::FindDigit(hay, n) : sse2::FindDigit(hay, n);
}

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
  return FindOneAny(haystack.data(), haystack.size(), unit);
#else
  return haystack.find(unit);
#endif
}

size_t FindDigit(std::u16string_view haystack) {
#if defined(__x86_64__)
  return FindDigitAny(haystack.data(), haystack.size());
#else
  return haystack.find_first_of(u"0123456789");
#endif
}

size_t FindUnit(std::string_view haystack, char unit) {
#if defined(__x86_64__)
  return FindOneAny(haystack.data(), haystack.size(), unit);
#else
  return haystack.find(unit);
#endif
}

size_t FindDigit(std::string_view haystack) {
#if defined(__x86_64__)
  return FindDigitAny(haystack.data(), haystack.size());
#else
  return haystack.find_first_of("0123456789");
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
template <typename TUnit>
size_t FindOneUnit(const TUnit* hay, size_t n, const TUnit* needle, size_t, size_t, size_t) {
  return FindOneAny(hay, n, needle[0]);
}
#else
template <typename TUnit>
size_t FindPortable(const TUnit* hay, size_t n, const TUnit* needle, size_t m, size_t, size_t) {
  return std::basic_string_view<TUnit>(hay, n).find(std::basic_string_view<TUnit>(needle, m));
}
#endif

}  // namespace

template <typename TUnit>
TFinder<TUnit>::TFinder(TView needle)
    : FNeedle(needle),
      FPaddedNeedle(std::basic_string<TUnit>(kFindPadding<TUnit>, TUnit{0}) + FNeedle +
                    std::basic_string<TUnit>(kFindPadding<TUnit>, TUnit{0})) {
  if (needle.size() >= 2) ChooseAnchors(needle, FAnchor1, FAnchor2);
  if (needle.empty()) return;
  FAnchorLanes1.fill(needle[FAnchor1]);
  FAnchorLanes2.fill(needle[FAnchor2]);
#if defined(__x86_64__)
  if (needle.size() < 2) {
    FFind = FFindWide = &FindOneUnit<TUnit>;
  } else {
    // A text with fewer places than an AVX2 vector goes to the SSE2 loop, which still takes it
    // in one or two vectors.
    FFind = &sse2::FindAnchored<true, TUnit>;
    FFindWide = HasAvx2() ? &avx2::FindAnchored<true, TUnit> : &sse2::FindAnchored<true, TUnit>;
  }
#else
  FFind = FFindWide = &FindPortable<TUnit>;
#endif
}

template class TFinder<char16_t>;
template class TFinder<char>;

}  // namespace brevak
