// TStringList: an ordered list of text lines, with the byte rules by which a file or a fetched
// document becomes lines and lines become a file. Tested by tests/listfile/stringlist_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/memorystream.h"
#include "listfile/fileio.h"
#include "listfile/linesplit.h"

namespace brevak {

// The encoding a load found, and a save writes. TEncoding::Ansi is the system ANSI code page
// (listfile/codepage.h); a list that was never loaded says TEncoding::None and saves in the code
// page.
enum class TEncoding { None, Ansi, UTF8, UTF16LE, UTF16BE };

// What a load does with bytes after the UTF-8 signature that are not valid UTF-8.
enum class TInvalidUTF8 {
  EmptyText,  // they decode to the empty text: no lines (fetched documents)
  Refuse,     // the load raises EInvalidUTF8 and the list stays as it was (the list file)
};

// "List index out of bounds (%d)"
class EListError : public Exception {
public:
  explicit EListError(int index);
};

// A file that begins with the UTF-8 signature but does not hold UTF-8; names the file.
class EInvalidUTF8 : public Exception {
public:
  explicit EInvalidUTF8(const std::string& path);
};

class TStringList {
public:
  TStringList();
  ~TStringList();
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  // Appends text unchanged (any unit, line ends included) as the last line; returns its index.
  int Add(std::u16string_view text);
  // The same for text followed by more, without joining them first.
  int Add(std::u16string_view text, std::u16string_view more);
  // The same for text and more given as bytes in the ANSI code page, one character each: the line
  // Add(AnsiDecode(text), AnsiDecode(more)) appends. A list that keeps its text in the code page's
  // bytes takes them as they are. Unlike Add, text and more must not lie in this list's own text,
  // which may move to make room.
  [[gnu::always_inline]] int AddAnsi(std::string_view text, std::string_view more) {
    // Inline: an import calls it for every line of a plain list.
    const std::size_t length = text.size() + more.size();
    if (FWide || FBytes.Size + length + kLineEndUnits > FBytes.Capacity)
      return AddAnsiMakingRoom(text, more);
    char* out = FBytes.Units.get() + FBytes.Size;
    CopyShort(text, out);
    CopyShort(more, out + text.size());
    return EndAddedLine(FBytes, length);
  }
  int Count() const { return static_cast<int>(FLines.Size()); }
  // Makes room for lines more lines of units more units in all, so that adding them does not move
  // the list's text; a hint that changes no line.
  void Reserve(int lines, std::size_t units);
  // The text of line index; raises EListError unless 0 <= index < Count().
  std::u16string Strings(int index) const;
  // The same without a copy; valid until the list next changes. A list that keeps its text in
  // the code page's bytes turns it into units first, for good.
  std::u16string_view StringView(int index);

  // Replaces all lines by the decoded content of the whole file and remembers its encoding.
  // Raises EFOpenError ("Cannot open file "%s". %s") when the file cannot be opened or read or is
  // refused (TFileReader::Open), and with TInvalidUTF8::Refuse EInvalidUTF8; the list then keeps
  // its old lines and encoding.
  void LoadFromFile(const std::string& path, TInvalidUTF8 invalid = TInvalidUTF8::EmptyText);
  // The same for the bytes from the stream's position to its end; the stream is left at its end.
  // Invalid UTF-8 after the signature gives no lines.
  void LoadFromStream(TMemoryStream& stream);

  // Creates or empties the file (following links, checking no owner, with no flush to the disk)
  // and writes the encoded lines; the list file is saved by SaveListFile instead. Raises
  // EFCreateError ("Cannot create file "%s". %s") when it cannot be created, EWriteError when the
  // write fails.
  void SaveToFile(const std::string& path) const;
  // The bytes SaveToFile writes: the signature of the remembered encoding (none for the ANSI code
  // page) and every line followed by CR LF, the last one too.
  std::string SaveToBytes() const;
  // The same bytes handed to write in pieces, in order, so that a large list is never held twice.
  // Stops at the first piece for which write returns non-zero, and returns that value; else 0.
  int WriteTo(const std::function<int(std::string_view)>& write) const;

  TEncoding Encoding() const { return FEncoding; }
  // Empties the list as a load of a file holding only the signature of encoding would: the list
  // then saves in encoding (the code page for TEncoding::None).
  void Clear(TEncoding encoding);

private:
  // The units of the line end, CR LF, that follows every added line in the buffer.
  static constexpr std::size_t kLineEndUnits = 2;

  // Decodes bytes (a whole file or stream) and, unless refused, replaces the lines by them.
  void LoadFromBytes(std::string_view bytes, TInvalidUTF8 invalid, const std::string& path);
  // Replaces the text (one of bytes or units, by the encoding), the lines and the encoding.
  void Replace(TByteBuffer&& bytes, TUnitBuffer&& units, TLineIndex&& lines, TEncoding encoding);
  void CheckIndex(int index) const;
  int AddUnits(std::u16string_view text, std::u16string_view more);
  int AddAnsiMakingRoom(std::string_view text, std::string_view more);
  // Copies the first and the last word of n bytes, n being from one to two words.
  template <typename TWord>
  static void CopyEnds(const char* from, std::size_t n, char* out) {
    TWord head, tail;
    std::memcpy(&head, from, sizeof(TWord));
    std::memcpy(&tail, from + n - sizeof(TWord), sizeof(TWord));
    std::memcpy(out, &head, sizeof(TWord));
    std::memcpy(out + n - sizeof(TWord), &tail, sizeof(TWord));
  }
  // Copies bytes to out in a few moves of fixed size, which overlap where the size is not one of
  // theirs: a piece of a line is short, and a call to memcpy costs as much as the copy.
  static void CopyShort(std::string_view bytes, char* out) {
    const char* from = bytes.data();
    const std::size_t n = bytes.size();
    if (n >= 16) {
      for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(out + i, from + i, 16);
      std::memcpy(out + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
      CopyEnds<std::uint64_t>(from, n, out);
    } else if (n >= 4) {
      CopyEnds<std::uint32_t>(from, n, out);
    } else if (n > 0) {
      out[0] = from[0];
      out[n / 2] = from[n / 2];
      out[n - 1] = from[n - 1];
    }
  }
  // Ends the line of length units just written at the end of text, which has room for its line
  // end, and indexes it. The line end goes into the buffer too, outside the line: a save then
  // finds the added lines and their line ends as one run and encodes it in large pieces.
  template <typename TUnit>
  [[gnu::always_inline]] int EndAddedLine(TBuffer<TUnit>& text, std::size_t length) {
    TUnit* end = text.Units.get() + text.Size + length;
    end[0] = '\r';
    end[1] = '\n';
    const std::size_t lineEnd = text.Size + length;
    text.Size = lineEnd + kLineEndUnits;
    FLines.Push(lineEnd, kLineEndUnits);
    return Count() - 1;
  }
  // Makes room for text, more and a line end after the last line; a piece that lies in the
  // buffer is pointed at its new place.
  void GrowFor(std::u16string_view& text, std::u16string_view& more);
  // Turns the bytes into units, for good.
  void Widen();

  // Every line's units, one after another in one buffer, each followed by its line end: the one a
  // loaded text had, CR LF for an added line. The index leaves the line ends out. While every
  // unit is a character of the ANSI code page and the list saves in it, the text is kept in
  // FBytes, one byte of the code page per unit, and FText is empty: the text then takes half the
  // memory, and a save writes it as it is. The first unit that the code page cannot hold turns it
  // into units in FText.
  TByteBuffer FBytes;
  TUnitBuffer FText;
  bool FWide = false;
  TLineIndex FLines;
  // The first line added since the last load: from its start on, the buffer holds only added
  // lines, each followed by CR LF, one after another.
  std::size_t FFirstAdded = 0;
  TEncoding FEncoding = TEncoding::None;
};

// A fetched document's lines, the same as TStringList::LoadFromStream makes of it, handed out one
// at a time from the first to the last. A document in the ANSI code page (one without a
// signature) is decoded a block of lines at a time as it is walked, so that the units of a large
// document never exist whole beside its bytes; one in another encoding is decoded whole first.
class TDocumentLines {
public:
  TDocumentLines();
  ~TDocumentLines();
  TDocumentLines(const TDocumentLines&) = delete;
  TDocumentLines& operator=(const TDocumentLines&) = delete;

  // Takes the bytes from the stream's position to its end and counts their lines; the stream is
  // left at its end, and its bytes must stay unchanged while the lines are walked.
  void LoadFromStream(TMemoryStream& stream);
  // The same with the stream itself handed over: its bytes are freed as soon as the walk no
  // longer reads them (once the last lines are decoded, or at once for a document decoded whole),
  // so that a long last line does not live beside the bytes it came from; the pages of a large
  // document go back to the system on the way, a few MB at a time, as the walk leaves them behind,
  // so that a list growing from its lines gets pages just let go.
  void LoadFromStream(TMemoryStream&& stream);
  int Count() const;
  // Sets line to the next line, valid until the next call; false after the last line.
  bool Next(std::u16string_view& line);
  // Whether the document is in the ANSI code page, so that its lines may be taken as bytes.
  bool InAnsiCodePage() const { return FAnsi != nullptr; }
  // For a document in the ANSI code page: the same as Next with the line's bytes, one character
  // each, left undecoded. A walk takes all its lines one way or all the other.
  bool NextAnsi(std::string_view& line) {
    if (!FAnsi->NextBytes(line)) {
      FOwn = TMemoryStream();
      return false;
    }
    if (FAnsi->OffsetOf(line) >= FDiscardAt) DiscardBefore(FAnsi->OffsetOf(line));
    return true;
  }

private:
  void Load(TMemoryStream& stream);
  // Lets go of what the walk of a stream handed over has left behind.
  void DiscardWalked();
  // Lets go of the pages of a stream handed over that lie wholly before offset done of the walk.
  void DiscardBefore(std::size_t done);

  std::unique_ptr<TAnsiLineWalker> FAnsi;
  TStringList FDecoded;       // the lines of a document with a signature
  TMemoryStream FOwn;         // a stream handed over, until its bytes are read
  std::size_t FOwnStart = 0;  // where the walked bytes start in FOwn
  static constexpr std::size_t kNever = static_cast<std::size_t>(-1);
  // The walk's offset from which DiscardWalked has pages to let go; never without a stream.
  std::size_t FDiscardAt = kNever;
  int FNext = 0;
};

}  // namespace brevak
