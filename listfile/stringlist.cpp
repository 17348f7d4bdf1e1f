// TStringList. A load keeps or decodes the whole input in one buffer and indexes its lines there,
// so that no line is copied or allocated on its own; a save encodes runs of that buffer into one
// reused piece of bytes at a time, which goes to the file before the next is made.
#include "listfile/stringlist.h"

#include <algorithm>
#include <span>
#include <utility>

#include "base/hugepages.h"
#include "listfile/codepage.h"
#include "listfile/fileio.h"
#include "listfile/linesplit.h"
#include "listfile/utf.h"

namespace brevak {
namespace {

constexpr std::string_view kUtf16LESignature = "\xFF\xFE";
constexpr std::string_view kUtf16BESignature = "\xFE\xFF";

std::string_view SignatureOf(TEncoding encoding) {
  switch (encoding) {
    case TEncoding::UTF8:
      return kUtf8Signature;
    case TEncoding::UTF16LE:
      return kUtf16LESignature;
    case TEncoding::UTF16BE:
      return kUtf16BESignature;
    default:
      return {};
  }
}

// The encoding whose signature starts bytes; the ANSI code page when none does.
TEncoding DetectEncoding(std::string_view bytes) {
  for (TEncoding e : {TEncoding::UTF8, TEncoding::UTF16LE, TEncoding::UTF16BE}) {
    if (bytes.starts_with(SignatureOf(e))) return e;
  }
  return TEncoding::Ansi;
}

// One reused piece of bytes between a list's text and write: units are encoded into it, and each
// full piece goes to write before the next is made. Its first bytes are the signature.
template <typename TUnit, typename TEncode>
class TPieceWriter {
public:
  using TView = std::basic_string_view<TUnit>;

  // encode turns units into at most perUnit bytes each.
  TPieceWriter(std::string_view signature, std::size_t perUnit, TEncode encode,
               const std::function<int(std::string_view)>& write)
      : FEncode(encode),
        FWrite(write),
        FPiece(std::make_unique_for_overwrite<char[]>(signature.size() + perUnit * kPieceUnits)),
        FOut(std::copy(signature.begin(), signature.end(), FPiece.get())) {}

  // Encodes s after what the piece holds, handing each piece that fills to write. Returns 0, or
  // write's error.
  int Put(TView s) {
    while (!s.empty()) {
      if constexpr (sizeof(TUnit) == 1) {
        // Bytes that go out as they are go to write from where they lie, a piece at a time.
        if (FOut == FPiece.get() && s.size() >= kPieceUnits) {
          if (int err = FWrite(s.substr(0, kPieceUnits))) return err;
          s.remove_prefix(kPieceUnits);
          continue;
        }
      }
      std::size_t take = std::min(FRoom, s.size());
      if constexpr (sizeof(TUnit) == 2) {
        // A surrogate pair stays in one piece, so that it is encoded as one character.
        if (take < s.size() && IsHighSurrogate(s[take - 1])) --take;
      }
      if (take > 0) {
        FOut = FEncode(s.substr(0, take), FOut);
        FRoom -= take;
        s.remove_prefix(take);
      }
      if (FRoom <= 1) {
        if (int err = Flush()) return err;
      }
    }
    return 0;
  }

  // Hands what the piece still holds to write. Returns 0, or write's error.
  int Finish() { return FOut != FPiece.get() ? Flush() : 0; }

private:
  static constexpr std::size_t kPieceUnits = 1 << 16;

  int Flush() {
    int err = FWrite(std::string_view(FPiece.get(), static_cast<std::size_t>(FOut - FPiece.get())));
    FOut = FPiece.get();
    FRoom = kPieceUnits;
    return err;
  }

  TEncode FEncode;
  const std::function<int(std::string_view)>& FWrite;
  std::unique_ptr<char[]> FPiece;
  char* FOut;                       // where the next encoded byte goes
  std::size_t FRoom = kPieceUnits;  // units the piece takes before it goes to write
};

// Hands the bytes of a list's text to write in pieces: the signature, then every line followed
// by CR LF. text holds the lines (see TStringList::FText), firstAdded is the first added line;
// encode turns units into at most perUnit bytes each.
template <typename TUnit, typename TEncode>
int WriteText(const TBuffer<TUnit>& text, const TLineIndex& lines, std::size_t firstAdded,
              std::string_view signature, std::size_t perUnit, TEncode encode,
              const std::function<int(std::string_view)>& write) {
  using TView = std::basic_string_view<TUnit>;
  static constexpr TUnit kCrLf[] = {'\r', '\n'};
  TPieceWriter<TUnit, TEncode> out(signature, perUnit, encode, write);
  // The buffer holds the line ends of a loaded text and of every added line between the lines.
  // Where those are CR LF, a line, its line end and the lines after it are one run of the buffer,
  // encoded in one go.
  const TUnit* units = text.Units.get();
  for (std::size_t i = 0; i < firstAdded;) {
    std::size_t start = lines.Start(i);
    while (i < firstAdded && lines.LineEnd(i) == 2) ++i;
    if (i == firstAdded) {
      if (int err = out.Put(TView(units + start, lines.Start(i) - start))) return err;
      break;
    }
    // A line whose CR LF is not in the buffer: one loaded with a lone CR or LF, or with none.
    if (int err = out.Put(TView(units + start, lines.End(i) - start))) return err;
    if (int err = out.Put(TView(kCrLf, 2))) return err;
    ++i;
  }
  // The added lines and their line ends are the rest of the buffer.
  if (firstAdded < lines.Size()) {
    std::size_t start = lines.Start(firstAdded);
    if (int err = out.Put(TView(units + start, text.Size - start))) return err;
  }
  return out.Finish();
}

// A list file read a block at a time. The block holds the bytes read that were not handed on
// yet; the rest of the file is read into a whole string, or straight into a line splitter's
// buffer.
class TBlockReader {
public:
  explicit TBlockReader(const std::string& path)
      : FPath(path), FBlock(std::make_unique_for_overwrite<char[]>(kBlock)) {
    if (int err = FFile.Open(path)) throw EFOpenError(path, err);
  }

  // Reads until the block holds at least n bytes or the file ends; the bytes it holds.
  std::string_view ReadHead(std::size_t n) {
    while (FGot < n && !FAtEnd) ReadMore();
    return Held();
  }

  // The bytes the block holds, then the rest of the file.
  std::string ReadAll() {
    std::string bytes;
    bytes.reserve(FFile.SizeHint());
    while (FGot > 0) {
      bytes.append(FBlock.get(), FGot);
      FGot = 0;
      ReadMore();
    }
    return bytes;
  }

  // The bytes the block holds, then the rest of the file, split into lines as bytes of the code
  // page: the file is read straight into text, with no copy.
  void SplitAll(TByteBuffer& text, TLineIndex& lines) {
    TAnsiLineSplitter splitter(text, lines, FFile.SizeHint());
    splitter.Feed(Held());
    std::size_t got = FGot;
    while (got > 0) {
      std::span<char> room = splitter.Room(kBlock);
      if (room.empty()) {
        // The buffer is full: the file is at its end, or longer than it said (or said nothing).
        // The block finds out, and the buffer grows for what it holds.
        FGot = 0;
        ReadMore();
        got = FGot;
        splitter.Feed(Held());
      } else {
        got = Read(room.data(), room.size());
        splitter.Took(got);
      }
    }
    splitter.Finish();
  }

private:
  static constexpr std::size_t kBlock = 1 << 16;

  std::string_view Held() const { return {FBlock.get(), FGot}; }

  // Adds the next bytes of the file to the block.
  void ReadMore() {
    std::size_t n = Read(FBlock.get() + FGot, kBlock - FGot);
    FGot += n;
    FAtEnd = n == 0;
  }

  // Reads up to size bytes to buf; 0 at the end of the file.
  std::size_t Read(char* buf, std::size_t size) {
    std::size_t n = 0;
    if (int err = FFile.Read(buf, size, n)) throw EFOpenError(FPath, err);
    return n;
  }

  const std::string& FPath;
  TFileReader FFile;
  std::unique_ptr<char[]> FBlock;
  std::size_t FGot = 0;  // the bytes the block holds
  bool FAtEnd = false;
};

}  // namespace

EListError::EListError(int index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

EInvalidUTF8::EInvalidUTF8(const std::string& path)
    : Exception("Cannot load file \"" + FullPath(path) +
                "\". It begins with the UTF-8 signature but does not hold valid UTF-8; it was left "
                "unchanged") {}

TStringList::TStringList() = default;
TStringList::~TStringList() = default;

void TStringList::Replace(TByteBuffer&& bytes, TUnitBuffer&& units, TLineIndex&& lines,
                          TEncoding encoding) {
  // Only a list that saves in the code page keeps its text in the code page's bytes.
  FWide = encoding != TEncoding::Ansi;
  FBytes = std::move(bytes);
  FText = std::move(units);
  FLines = std::move(lines);
  FFirstAdded = FLines.Size();
  FEncoding = encoding;
}

void TStringList::Clear(TEncoding encoding) {
  LoadFromBytes(SignatureOf(encoding), TInvalidUTF8::EmptyText, {});
}

void TStringList::LoadFromBytes(std::string_view bytes, TInvalidUTF8 invalid,
                                const std::string& path) {
  TEncoding encoding = DetectEncoding(bytes);
  std::string_view body = bytes.substr(SignatureOf(encoding).size());
  TLineIndex lines;
  if (encoding == TEncoding::Ansi) {
    // Every byte is a character of the code page, so the bytes are kept as the text.
    TByteBuffer kept;
    TAnsiLineSplitter splitter(kept, lines, body.size());
    splitter.Feed(body);
    splitter.Finish();
    Replace(std::move(kept), TUnitBuffer(), std::move(lines), encoding);
    return;
  }
  TUnitBuffer text;
  // No encoding gives more units than bytes.
  bool utf16 = encoding == TEncoding::UTF16LE || encoding == TEncoding::UTF16BE;
  text.Reserve(utf16 ? body.size() / 2 : body.size());
  char16_t* units = text.Units.get();
  char16_t* end;
  if (encoding == TEncoding::UTF8) {
    end = Utf8DecodeStrictTo(body, units);
    if (end == nullptr) {
      if (invalid == TInvalidUTF8::Refuse) throw EInvalidUTF8(path);
      end = units;
    }
  } else {
    end = Utf16DecodeTo(
        body, encoding == TEncoding::UTF16LE ? TByteOrder::LittleEndian : TByteOrder::BigEndian,
        units);
  }
  text.Size = SplitLines(std::u16string_view(units, static_cast<std::size_t>(end - units)), lines);
  Replace(TByteBuffer(), std::move(text), std::move(lines), encoding);
}

void TStringList::LoadFromFile(const std::string& path, TInvalidUTF8 invalid) {
  TBlockReader file(path);
  // The first bytes decide the encoding.
  TEncoding encoding = DetectEncoding(file.ReadHead(kUtf8Signature.size()));
  if (encoding != TEncoding::Ansi) {
    // A file with a signature is decoded in one piece, as a document is.
    LoadFromBytes(file.ReadAll(), invalid, path);
    return;
  }
  // In the ANSI code page every byte is a character, so the bytes are kept as the text.
  TByteBuffer kept;
  TLineIndex lines;
  file.SplitAll(kept, lines);
  Replace(std::move(kept), TUnitBuffer(), std::move(lines), encoding);
}

void TStringList::LoadFromStream(TMemoryStream& stream) {
  LoadFromBytes(stream.ReadToEnd(), TInvalidUTF8::EmptyText, std::string());
}

void TStringList::Reserve(int lines, std::size_t units) {
  std::size_t more = lines > 0 ? static_cast<std::size_t>(lines) : 0;
  FLines.Reserve(FLines.Size() + more);
  std::size_t room = units + kLineEndUnits * more;
  if (FWide) {
    FText.Reserve(FText.Size + room);
  } else {
    FBytes.Reserve(FBytes.Size + room);
  }
}

int TStringList::Add(std::u16string_view text) { return Add(text, {}); }

int TStringList::Add(std::u16string_view text, std::u16string_view more) {
  if (FWide) return AddUnits(text, more);
  std::size_t start = FBytes.Size;
  std::size_t length = text.size() + more.size();
  if (start + length + kLineEndUnits > FBytes.Capacity) FBytes.Grow(start + length + kLineEndUnits);
  char* out = FBytes.Units.get() + start;
  if (AnsiEncodeExactTo(text, out) != text.size() ||
      AnsiEncodeExactTo(more, out + text.size()) != more.size()) {
    // What was encoded of this line lies past the text's end and is overwritten.
    Widen();
    return AddUnits(text, more);
  }
  return EndAddedLine(FBytes, length);
}

int TStringList::AddAnsiMakingRoom(std::string_view text, std::string_view more) {
  const std::size_t length = text.size() + more.size();
  if (!FWide) {
    FBytes.Grow(FBytes.Size + length + kLineEndUnits);
    return AddAnsi(text, more);
  }
  FText.Grow(FText.Size + length + kLineEndUnits);
  AnsiDecodeTo(more, AnsiDecodeTo(text, FText.Units.get() + FText.Size));
  return EndAddedLine(FText, length);
}

void TStringList::Widen() {
  TUnitBuffer units;
  units.Reserve(FBytes.Capacity);
  AnsiDecodeTo(std::string_view(FBytes.Units.get(), FBytes.Size), units.Units.get());
  units.Size = FBytes.Size;
  FText = std::move(units);
  FBytes = TByteBuffer();
  FWide = true;
}

int TStringList::AddUnits(std::u16string_view text, std::u16string_view more) {
  std::size_t start = FText.Size;
  std::size_t length = text.size() + more.size();
  if (start + length + kLineEndUnits > FText.Capacity) GrowFor(text, more);
  char16_t* out = std::copy_n(text.data(), text.size(), FText.Units.get() + start);
  std::copy_n(more.data(), more.size(), out);
  return EndAddedLine(FText, length);
}

void TStringList::GrowFor(std::u16string_view& text, std::u16string_view& more) {
  // A piece of a line of this list itself keeps its place in the buffer across the buffer's
  // growth.
  const char16_t* own = FText.Units.get();
  auto offsetIfOwn = [&](std::u16string_view piece) -> std::ptrdiff_t {
    std::less_equal<const char16_t*> notAfter;
    bool isOwn =
        own != nullptr && notAfter(own, piece.data()) && notAfter(piece.data(), own + FText.Size);
    return isOwn ? piece.data() - own : -1;
  };
  std::ptrdiff_t textOffset = offsetIfOwn(text);
  std::ptrdiff_t moreOffset = offsetIfOwn(more);
  FText.Grow(FText.Size + text.size() + more.size() + kLineEndUnits);
  char16_t* units = FText.Units.get();
  if (textOffset >= 0) text = std::u16string_view(units + textOffset, text.size());
  if (moreOffset >= 0) more = std::u16string_view(units + moreOffset, more.size());
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(index);
}

std::u16string_view TStringList::StringView(int index) {
  CheckIndex(index);
  if (!FWide) Widen();
  const std::size_t i = static_cast<std::size_t>(index);
  return {FText.Units.get() + FLines.Start(i), FLines.Length(i)};
}

std::u16string TStringList::Strings(int index) const {
  CheckIndex(index);
  const std::size_t i = static_cast<std::size_t>(index);
  if (!FWide)
    return AnsiDecode(std::string_view(FBytes.Units.get() + FLines.Start(i), FLines.Length(i)));
  return std::u16string(FText.Units.get() + FLines.Start(i), FLines.Length(i));
}

int TStringList::WriteTo(const std::function<int(std::string_view)>& write) const {
  if (!FWide) {
    // The text is in the code page the list saves in.
    auto copy = [](std::string_view s, char* out) { return std::copy(s.begin(), s.end(), out); };
    return WriteText(FBytes, FLines, FFirstAdded, {}, 1, copy, write);
  }
  TEncoding encoding = FEncoding == TEncoding::None ? TEncoding::Ansi : FEncoding;
  std::string_view signature = SignatureOf(encoding);
  // The most bytes a unit can take: one in the code page, two in UTF-16, three in UTF-8.
  std::size_t perUnit = encoding == TEncoding::Ansi ? 1 : encoding == TEncoding::UTF8 ? 3 : 2;
  TByteOrder order =
      encoding == TEncoding::UTF16BE ? TByteOrder::BigEndian : TByteOrder::LittleEndian;
  auto encode = [&](std::u16string_view s, char* out) {
    switch (encoding) {
      case TEncoding::UTF8:
        return Utf8EncodeTo(s, out);
      case TEncoding::UTF16LE:
      case TEncoding::UTF16BE:
        return Utf16EncodeTo(s, order, out);
      default:
        return AnsiEncodeTo(s, out);
    }
  };
  return WriteText(FText, FLines, FFirstAdded, signature, perUnit, encode, write);
}

TDocumentLines::TDocumentLines() = default;
TDocumentLines::~TDocumentLines() = default;

namespace {

// How far the walk of a stream handed over goes on before its pages go back: whole huge pages.
constexpr std::size_t kDiscardStep = 2 * kHugePageBytes;

}  // namespace

void TDocumentLines::LoadFromStream(TMemoryStream& stream) {
  FOwn = TMemoryStream();
  FDiscardAt = kNever;
  Load(stream);
}

void TDocumentLines::Load(TMemoryStream& stream) {
  std::string_view bytes = std::string_view(stream.Bytes()).substr(stream.Position());
  if (DetectEncoding(bytes) == TEncoding::Ansi) {
    FAnsi = std::make_unique<TAnsiLineWalker>(stream.ReadToEnd());
  } else {
    FAnsi.reset();
    FDecoded.LoadFromStream(stream);
  }
  FNext = 0;
}

void TDocumentLines::LoadFromStream(TMemoryStream&& stream) {
  FOwn = std::move(stream);
  FOwnStart = FOwn.Position();
  FDiscardAt = kDiscardStep;
  Load(FOwn);
  if (!FAnsi) FOwn = TMemoryStream();
}

void TDocumentLines::DiscardWalked() {
  if (FAnsi->BytesRead()) {
    FOwn = TMemoryStream();
    return;
  }
  DiscardBefore(FAnsi->BytesDone());
}

void TDocumentLines::DiscardBefore(std::size_t done) {
  FOwn.DiscardBefore(FOwnStart + done);
  FDiscardAt = done + kDiscardStep;
}

int TDocumentLines::Count() const { return FAnsi ? FAnsi->Count() : FDecoded.Count(); }

bool TDocumentLines::Next(std::u16string_view& line) {
  if (FAnsi) {
    bool found = FAnsi->Next(line);
    if (FOwn.Capacity() > 0 && (FAnsi->BytesRead() || FAnsi->BytesDone() >= FDiscardAt))
      DiscardWalked();
    return found;
  }
  if (FNext == FDecoded.Count()) return false;
  line = FDecoded.StringView(FNext++);
  return true;
}

std::string TStringList::SaveToBytes() const {
  std::string bytes;
  WriteTo([&bytes](std::string_view piece) {
    bytes.append(piece);
    return 0;
  });
  return bytes;
}

void TStringList::SaveToFile(const std::string& path) const {
  TSaveResult result =
      SaveFile(path, TSaveMode::Create, [this](const TWriteFn& write) { return WriteTo(write); });
  if (result.Err != 0) RaiseSaveError(path, result, true);
}

}  // namespace brevak
