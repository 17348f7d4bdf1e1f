// Splitting a decoded text into lines: CR LF, a lone CR and a lone LF each end a line; LF CR is
// two line ends; a line end at the very end adds no empty line; a NUL ends the text and
// everything after it is dropped. Tested by tests/listfile/stringlist_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace brevak {

// Units (of a text's units or of its bytes, or words) in one allocation that is not cleared first.
template <typename TUnit>
struct TBuffer {
  std::unique_ptr<TUnit[]> Units;
  std::size_t Size = 0;
  std::size_t Capacity = 0;

  // Makes room for exactly capacity units if there is less, keeping the first Size.
  void Reserve(std::size_t capacity);
  // The same for a buffer that grows step by step: at least doubles, so that the copying stays
  // in proportion to the size.
  void Grow(std::size_t capacity);
};
using TUnitBuffer = TBuffer<char16_t>;
using TByteBuffer = TBuffer<char>;
extern template struct TBuffer<char16_t>;
extern template struct TBuffer<char>;
extern template struct TBuffer<std::uint64_t>;

// The lines of a text in which they lie one after another, each followed by its line end (none,
// CR, LF or CR LF), from the first unit of the first one on: one word a line, where the line ends
// with the length of its line end in the two lowest bits. A line starts where the one before it
// and its line end stop, so its start and length cost a look at two words.
class TLineIndex {
public:
  // No lines yet; the first one starts at first.
  explicit TLineIndex(std::size_t first = 0) {
    FWords.Reserve(1);
    FWords.Units[0] = Word(first, 0);
    FWords.Size = 1;
  }

  std::size_t Size() const { return FWords.Size - 1; }
  bool Empty() const { return FWords.Size == 1; }
  // Where line i starts; for i == Size(), where a line after the last one would start.
  std::size_t Start(std::size_t i) const { return After(FWords.Units[i]); }
  // Where line i ends, before its line end.
  std::size_t End(std::size_t i) const { return FWords.Units[i + 1] >> 2; }
  std::size_t Length(std::size_t i) const { return End(i) - Start(i); }
  // The number of units of line i's line end: 0 (the last line only), 1 (CR or LF) or 2 (CR LF).
  unsigned LineEnd(std::size_t i) const { return static_cast<unsigned>(FWords.Units[i + 1] & 3); }

  // A line that starts where the last one's line end stops, ends at end and is followed by a line
  // end of lineEnd units. Growing is out of line, so that a caller adding a line for every line
  // of a document keeps only the store.
  void Push(std::size_t end, unsigned lineEnd) {
    if (FWords.Size == FWords.Capacity) [[unlikely]] {
      PushGrowing(Word(end, lineEnd));
      return;
    }
    FWords.Units[FWords.Size++] = Word(end, lineEnd);
  }
  // The last line's CR turns out to be followed by an LF: its line end is CR LF. Before any line,
  // the first one starts a unit later.
  void LengthenLastLineEnd() { ++FWords.Units[FWords.Size - 1]; }
  // Forgets the lines; the next one starts where the last one's line end stops.
  void ClearKeepingNextStart() {
    FWords.Units[0] = FWords.Units[FWords.Size - 1];
    FWords.Size = 1;
  }
  // Makes room for lines lines in all, on huge pages when that is large.
  void Reserve(std::size_t lines) { FWords.Reserve(lines + 1); }
  std::size_t Capacity() const { return FWords.Capacity - 1; }

private:
  static std::uint64_t Word(std::size_t end, unsigned lineEnd) {
    return static_cast<std::uint64_t>(end) << 2 | lineEnd;
  }
  static std::size_t After(std::uint64_t word) {
    return static_cast<std::size_t>((word >> 2) + (word & 3));
  }

  void PushGrowing(std::uint64_t word);

  // Word 0 stands for the end of the text before the first line.
  TBuffer<std::uint64_t> FWords;
};

// Appends the lines of text to lines. Returns where the text ends: its size, or the position of
// the NUL that ends it.
std::size_t SplitLines(std::u16string_view text, TLineIndex& lines);

// The vector steps a count takes: AVX2 ones where the processor has them, else SSE2 ones; or the
// SSE2 ones in any case, so that tests check them against the others.
enum class TVectorSteps { Best, Sse2 };

// The number of lines SplitLines makes of the decoded bytes in the ANSI code page, counted in
// the bytes themselves.
std::size_t CountAnsiLines(std::string_view bytes, TVectorSteps steps = TVectorSteps::Best);

class TLineCollector;

// Splits bytes in the ANSI code page, given block by block as they are read, into lines of one
// buffer that keeps the bytes as they are: the code page has one unit per byte, so the lines and
// their ends are found in the bytes, and the bytes need no decode to be kept.
class TAnsiLineSplitter {
public:
  // text and lines start empty. sizeHint, the number of bytes expected, sizes the buffers up front.
  TAnsiLineSplitter(TByteBuffer& text, TLineIndex& lines, std::size_t sizeHint);
  ~TAnsiLineSplitter();
  // The free room at the end of the text, up to most bytes, where the next bytes may be read in
  // place and then handed to Took; empty when the buffer is full.
  std::span<char> Room(std::size_t most);
  // The next n bytes of the input, written at the start of Room(); nothing more is taken once a
  // NUL has ended the text.
  void Took(std::size_t n);
  // The same for bytes that lie elsewhere.
  void Feed(std::string_view bytes);
  // After the last bytes: the last line; text.Size becomes where the text ended.
  void Finish();

private:
  TByteBuffer& FText;
  std::unique_ptr<TLineCollector> FCollector;
  bool FEnded = false;
};

// Walks the lines of bytes in the ANSI code page, held whole elsewhere, from the first to the
// last: the lines TAnsiLineSplitter makes of the same bytes, without ever holding all their units.
// The bytes are scanned a block at a time, and the lines whose ends that block holds are decoded
// together into one reused buffer, which stays in the cache while they are used. A walk that takes
// the lines as bytes keeps no lines at all: it finds each line end after the one before, from a
// mask of the CR, LF and NUL among the next 32 bytes.
class TAnsiLineWalker {
public:
  // bytes must stay unchanged while the walker is in use. Counts the lines up front.
  explicit TAnsiLineWalker(std::string_view bytes);
  ~TAnsiLineWalker();
  TAnsiLineWalker(const TAnsiLineWalker&) = delete;
  TAnsiLineWalker& operator=(const TAnsiLineWalker&) = delete;

  int Count() const { return FCount; }
  // Sets line to the next line, valid until the next call; false after the last line.
  bool Next(std::u16string_view& line);
  // The same with the next line's bytes, a view into the walked bytes, valid while they are.
  // Nothing is decoded and no lines are held: each line end is found from the one before. A walk
  // takes all its lines one way or all the other.
  bool NextBytes(std::string_view& line);
  // Where a line that NextBytes gave starts in the bytes.
  std::size_t OffsetOf(std::string_view line) const {
    return static_cast<std::size_t>(line.data() - FBytes.data());
  }
  // Of a walk that takes units: whether the lines still to come are decoded already, so that the
  // bytes are not read again and may go.
  bool BytesRead() const { return FFinished; }
  // Of a walk that takes units: the bytes before this offset are read no more.
  std::size_t BytesDone() const { return FBlockStart; }

private:
  // Back to the first line.
  void Restart();
  // Scans on until at least one more line is found: FSpans holds it and any others whose ends
  // were in the same block, the first of which starts at FBlockStart. False after the last line.
  bool FindLines();
  // Finds the next lines and decodes them into FUnits; false after the last line.
  bool NextBlock();
  // NextBytes for any line end, the text's end and a NUL.
  bool NextBytesByRule(std::string_view& line);
  // Looks at the next bytes for CR, LF and NUL; false when there are none left.
  bool LoadBreaks();
  // One bit for each CR, LF and NUL among the 32 bytes at p.
  static std::uint32_t Breaks32(const char* p);

  std::string_view FBytes;
  std::unique_ptr<TLineCollector> FCollector;
  TLineIndex FSpans;
  std::size_t FNextSpan = 0;
  std::size_t FScanned = 0;     // bytes handed to the collector
  bool FEnded = false;          // a NUL ended the text
  bool FFinished = false;       // the collector has had the end of the text
  TUnitBuffer FUnits;           // the units of FSpans' lines, from the first one's start on
  std::size_t FBlockStart = 0;  // where the first of FSpans' lines starts in the bytes
  int FCount = 0;
  // A walk that takes bytes: one bit for each CR, LF and NUL among the 32 bytes (or the fewer
  // last ones) from FBreaksAt on that lies past the lines given so far, never one before
  // FLineStart; where the bytes looked at next start; where the next line starts; where the text
  // ends (at the NUL that ends it, once one is met).
  std::uint32_t FBreaks = 0;
  std::size_t FBreaksAt = 0;
  std::size_t FNextBreaksAt = 0;
  std::size_t FLineStart = 0;
  std::size_t FTextEnd = 0;
};

}  // namespace brevak

// The inline definitions: a walk calls them for every line of a document.
#include "listfile/linesplit_impl.h"
