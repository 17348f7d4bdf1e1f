// Line splitting. The scan compares sixteen bytes at a time against CR, LF and NUL (SSE2 where
// there is one) and hands only the line ends it finds to the one place that applies the rule.
#include "listfile/linesplit.h"

#include <algorithm>

#include "base/cpu.h"
#include "base/hugepages.h"
#include "listfile/codepage.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace brevak {

// Applies the line rule to the CR, LF and NUL units of a text, given in order with their
// positions. Needs no look at the text itself, so the text may come in blocks.
class TLineCollector {
public:
  explicit TLineCollector(TLineIndex& lines) : FLines(lines) {}

  // Unit u (CR, LF or NUL) at pos. Returns false when it is the NUL that ends the text.
  bool TakeBreakUnit(std::size_t pos, unsigned u) {
    if (u == '\n' && FAfterCR && pos == FStart) {
      // The LF of a CR LF: the line ended at the CR.
      FLines.LengthenLastLineEnd();
      FAfterCR = false;
      FStart = pos + 1;
      return true;
    }
    if (u == 0) {
      // A NUL at the start of a line ends the text with no line of its own.
      if (pos > FStart) FLines.Push(pos, 0);
      FEnd = pos;
      return false;
    }
    FLines.Push(pos, 1);
    FStart = pos + 1;
    FAfterCR = u == '\r';
    return true;
  }

  // A CR at pos and the LF right after it: the same as the two units one by one.
  void TakeCrLf(std::size_t pos) {
    FLines.Push(pos, 2);
    FStart = pos + 2;
    FAfterCR = false;
  }

  // The text had size units: the last line, if it has no line end of its own. Returns where the
  // text ended.
  std::size_t Finish(std::size_t size) {
    if (FEnd != kNoEnd) return FEnd;
    if (FStart < size) FLines.Push(size, 0);
    return size;
  }

private:
  static constexpr std::size_t kNoEnd = static_cast<std::size_t>(-1);
  TLineIndex& FLines;
  std::size_t FStart = 0;
  bool FAfterCR = false;
  std::size_t FEnd = kNoEnd;
};

namespace {

using linesplit_detail::IsLineEnd;
using linesplit_detail::LineEndMask;

// Hands every line end among the n units at text, which sit at base in the whole text, to
// collector. Returns false when a NUL ended the text.
template <typename TUnit>
bool ScanLineEnds(const TUnit* text, std::size_t n, std::size_t base, TLineCollector& collector) {
  constexpr std::size_t kPerChunk = 16 / sizeof(TUnit);
  std::size_t i = 0;
  for (; n - i >= kPerChunk; i += kPerChunk) {
    for (unsigned mask = LineEndMask(text + i); mask != 0;) {
      unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      std::size_t at = i + bit / sizeof(TUnit);
      // CR LF, the most common line end, in one step when both are in this chunk.
      constexpr unsigned kTwoUnits = (1u << (2 * sizeof(TUnit))) - 1;
      if (text[at] == '\r' && (mask >> (bit + sizeof(TUnit)) & 1) != 0 && text[at + 1] == '\n') {
        collector.TakeCrLf(base + at);
        mask &= ~(kTwoUnits << bit);
        continue;
      }
      // A unit of two bytes has two bits; both go.
      mask &= ~(((1u << sizeof(TUnit)) - 1) << bit);
      if (!collector.TakeBreakUnit(base + at, static_cast<std::make_unsigned_t<TUnit>>(text[at])))
        return false;
    }
  }
  for (; i < n; ++i) {
    if (IsLineEnd(text[i]) &&
        !collector.TakeBreakUnit(base + i, static_cast<std::make_unsigned_t<TUnit>>(text[i]))) {
      return false;
    }
  }
  return true;
}

#if defined(__SSE2__)
namespace sse2 {
struct V {
  using T = __m128i;
  static constexpr std::size_t kBytes = 16;
  static T Set1(char c) { return _mm_set1_epi8(c); }
  static T Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
  static T Min(T a, T b) { return _mm_min_epu8(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
  static unsigned Mask(T a) { return static_cast<unsigned>(_mm_movemask_epi8(a)); }
  static std::size_t SumBytes(T a) {
    T sums = _mm_sad_epu8(a, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
};
#include "listfile/linesplit_simd.inc"
}  // namespace sse2

BREVAK_AVX2_BEGIN
namespace avx2 {
struct V {
  using T = __m256i;
  static constexpr std::size_t kBytes = 32;
  static T Set1(char c) { return _mm256_set1_epi8(c); }
  static T Load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
  static T Min(T a, T b) { return _mm256_min_epu8(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
  static unsigned Mask(T a) { return static_cast<unsigned>(_mm256_movemask_epi8(a)); }
  static std::size_t SumBytes(T a) {
    // Four sums of eight bytes each, added up.
    T sums = _mm256_sad_epu8(a, _mm256_setzero_si256());
    __m128i two = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return static_cast<std::size_t>(_mm_cvtsi128_si64(two)) +
           static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_srli_si128(two, 8)));
  }
};
#include "listfile/linesplit_simd.inc"
}  // namespace avx2
BREVAK_AVX2_END

#endif

}  // namespace

// The number of lines the rule makes of bytes in the ANSI code page, without finding where each
// one is: every CR ends a line, and so does every LF but the one right after a CR; a NUL ends the
// text, and a last line without a line end of its own counts too.
std::size_t CountAnsiLines(std::string_view bytes, TVectorSteps steps) {
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // The first byte has none before it to load, and is counted on its own.
  if (n > 0 && p[0] != 0) {
    count = p[0] == '\r' || p[0] == '\n' ? 1 : 0;
    const bool wide = steps == TVectorSteps::Best && HasAvx2();
    i = wide ? avx2::CountLineEnds(p, 1, n, count) : sse2::CountLineEnds(p, 1, n, count);
  }
#else
  (void)steps;
#endif
  std::size_t end = n;
  bool afterCr = i > 0 && p[i - 1] == '\r';
  for (; i < n; ++i) {
    char c = p[i];
    if (c == 0) {
      end = i;
      break;
    }
    if (c == '\n' && !afterCr) ++count;
    afterCr = c == '\r';
    if (afterCr) ++count;
  }
  if (end > 0 && p[end - 1] != '\r' && p[end - 1] != '\n') ++count;
  return count;
}

void TLineIndex::PushGrowing(std::uint64_t word) {
  FWords.Grow(FWords.Size + 1);
  FWords.Units[FWords.Size++] = word;
}

template <typename TUnit>
void TBuffer<TUnit>::Grow(std::size_t capacity) {
  if (capacity > Capacity) Reserve(std::max(capacity, Capacity * 2));
}

template <typename TUnit>
void TBuffer<TUnit>::Reserve(std::size_t capacity) {
  if (capacity <= Capacity) return;
  auto units = std::make_unique_for_overwrite<TUnit[]>(capacity);
  AdviseHugePages(units.get(), capacity * sizeof(TUnit));
  std::copy_n(Units.get(), Size, units.get());
  Units = std::move(units);
  Capacity = capacity;
}

template struct TBuffer<char16_t>;
template struct TBuffer<char>;
template struct TBuffer<std::uint64_t>;

std::size_t SplitLines(std::u16string_view text, TLineIndex& lines) {
  TLineCollector collector(lines);
  ScanLineEnds(text.data(), text.size(), 0, collector);
  return collector.Finish(text.size());
}

TAnsiLineSplitter::TAnsiLineSplitter(TByteBuffer& text, TLineIndex& lines, std::size_t sizeHint)
    : FText(text), FCollector(std::make_unique<TLineCollector>(lines)) {
  FText.Reserve(sizeHint);
  // Room for lines of 16 bytes on average: a large document never copies its index as it grows,
  // and the part of the room that is not used is never touched.
  lines.Reserve(sizeHint / 16);
}

TAnsiLineSplitter::~TAnsiLineSplitter() = default;

std::span<char> TAnsiLineSplitter::Room(std::size_t most) {
  return {FText.Units.get() + FText.Size, std::min(most, FText.Capacity - FText.Size)};
}

void TAnsiLineSplitter::Took(std::size_t n) {
  if (FEnded) return;
  FEnded = !ScanLineEnds(FText.Units.get() + FText.Size, n, FText.Size, *FCollector);
  FText.Size += n;
}

void TAnsiLineSplitter::Feed(std::string_view bytes) {
  if (FEnded) return;
  FText.Grow(FText.Size + bytes.size());
  std::copy(bytes.begin(), bytes.end(), FText.Units.get() + FText.Size);
  Took(bytes.size());
}

void TAnsiLineSplitter::Finish() { FText.Size = FCollector->Finish(FText.Size); }

TAnsiLineWalker::TAnsiLineWalker(std::string_view bytes)
    : FBytes(bytes), FCount(static_cast<int>(CountAnsiLines(bytes))), FTextEnd(bytes.size()) {
  Restart();
}

TAnsiLineWalker::~TAnsiLineWalker() = default;

void TAnsiLineWalker::Restart() {
  FSpans = TLineIndex();
  FCollector = std::make_unique<TLineCollector>(FSpans);
  FNextSpan = 0;
  FScanned = 0;
  FEnded = false;
  FFinished = false;
}

bool TAnsiLineWalker::FindLines() {
  // A few hundred lines of a typical list: the bytes and units of a block stay in the cache.
  constexpr std::size_t kBlock = 8192;
  FSpans.ClearKeepingNextStart();
  FNextSpan = 0;
  while (FSpans.Empty() && !FFinished) {
    if (FScanned < FBytes.size() && !FEnded) {
      std::size_t n = std::min(kBlock, FBytes.size() - FScanned);
      FEnded = !ScanLineEnds(FBytes.data() + FScanned, n, FScanned, *FCollector);
      FScanned += n;
    } else {
      FCollector->Finish(FBytes.size());
      FFinished = true;
    }
  }
  if (FSpans.Empty()) return false;
  FBlockStart = FSpans.Start(0);
  return true;
}

bool TAnsiLineWalker::NextBlock() {
  if (!FindLines()) return false;
  // One decode for all the lines found, line ends between them included.
  std::size_t last = FSpans.End(FSpans.Size() - 1);
  FUnits.Size = 0;
  FUnits.Grow(last - FBlockStart);
  AnsiDecodeTo(FBytes.substr(FBlockStart, last - FBlockStart), FUnits.Units.get());
  return true;
}

bool TAnsiLineWalker::LoadBreaks() {
  if (FNextBreaksAt >= FTextEnd) return false;
  const char* p = FBytes.data();
  FBreaksAt = FNextBreaksAt;
  if (FTextEnd - FBreaksAt >= 32) {
    FBreaks = Breaks32(p + FBreaksAt);
    FNextBreaksAt += 32;
  } else {
    FBreaks = 0;
    for (std::size_t i = FBreaksAt; i < FTextEnd; ++i) {
      if (IsLineEnd(p[i])) FBreaks |= 1u << (i - FBreaksAt);
    }
    FNextBreaksAt = FTextEnd;
  }
  // The LF of a CR LF whose CR ended the line before.
  if (FLineStart > FBreaksAt) FBreaks &= ~1u;
  return true;
}

bool TAnsiLineWalker::NextBytesByRule(std::string_view& line) {
  const char* p = FBytes.data();
  for (;;) {
    if (FBreaks == 0) {
      if (LoadBreaks()) continue;
      // No line end after the last one: what is left is the last line.
      if (FLineStart >= FTextEnd) return false;
      line = std::string_view(p + FLineStart, FTextEnd - FLineStart);
      FLineStart = FTextEnd;
      return true;
    }
    const unsigned bit = static_cast<unsigned>(__builtin_ctz(FBreaks));
    const std::size_t end = FBreaksAt + bit;
    FBreaks &= FBreaks - 1;
    if (p[end] == 0) {
      // A NUL ends the text, and the line it stands in, if that has begun.
      FTextEnd = end;
      FBreaks = 0;
      continue;
    }
    const bool crLf = p[end] == '\r' && end + 1 < FTextEnd && p[end + 1] == '\n';
    line = std::string_view(p + FLineStart, end - FLineStart);
    FLineStart = end + (crLf ? 2 : 1);
    // The CR's LF, when it is among these bytes, is taken with it.
    if (crLf) FBreaks &= ~(2u << bit);
    return true;
  }
}

}  // namespace brevak
