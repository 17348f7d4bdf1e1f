// TStringList. A load decodes the whole input into one buffer of units and indexes its lines
// there, so that no line is copied or allocated on its own; a save sizes its output once and
// encodes every line straight into it.
#include "listfile/stringlist.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "listfile/codepage.h"
#include "listfile/fileio.h"
#include "listfile/utf.h"

namespace brevak {
namespace {

constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LESignature = "\xFF\xFE";
constexpr std::string_view kUtf16BESignature = "\xFE\xFF";

std::string_view SignatureOf(TEncoding encoding) {
  switch (encoding) {
    case TEncoding::encUTF8: return kUtf8Signature;
    case TEncoding::encUTF16LE: return kUtf16LESignature;
    case TEncoding::encUTF16BE: return kUtf16BESignature;
    default: return {};
  }
}

// The encoding whose signature starts bytes; the ANSI code page when none does.
TEncoding DetectEncoding(std::string_view bytes) {
  for (TEncoding e : {TEncoding::encUTF8, TEncoding::encUTF16LE, TEncoding::encUTF16BE}) {
    if (bytes.starts_with(SignatureOf(e))) return e;
  }
  return TEncoding::encAnsi;
}

template <typename TUnit>
bool IsLineEnd(TUnit u) {
  auto v = static_cast<std::make_unsigned_t<TUnit>>(u);
  return v == 13 || v == 10 || v == 0;
}

// The first CR, LF or NUL in [p, end), or end. Tests eight bytes at a time for a unit below 14
// (the classic "has a lane less than n" bit trick) and looks closer only where one is found, so
// that ordinary text, which has few control characters, is passed at word speed.
template <typename TUnit>
const TUnit* FindLineEnd(const TUnit* p, const TUnit* end) {
  constexpr std::size_t kPerWord = 8 / sizeof(TUnit);
  constexpr std::uint64_t kOnes = sizeof(TUnit) == 1 ? 0x0101010101010101ull : 0x0001000100010001ull;
  constexpr std::uint64_t kHigh = kOnes << (8 * sizeof(TUnit) - 1);
  while (static_cast<std::size_t>(end - p) >= kPerWord) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (((word - kOnes * 14) & ~word & kHigh) != 0) {
      for (std::size_t i = 0; i < kPerWord; ++i) {
        if (IsLineEnd(p[i])) return p + i;
      }
    }
    p += kPerWord;
  }
  while (p != end && !IsLineEnd(*p)) ++p;
  return p;
}

}  // namespace

EListError::EListError(int index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

EInvalidUTF8::EInvalidUTF8(const std::string& path)
    : Exception("Cannot load file \"" + FullPath(path) +
                "\". It begins with the UTF-8 signature but does not hold valid UTF-8; it was left "
                "unchanged") {}

TStringList::TStringList() = default;
TStringList::~TStringList() = default;

// CR LF, a lone CR and a lone LF each end a line; LF CR is two line ends; a line end at the very
// end adds no empty line; a NUL ends the text. Offsets count units of text, which for the ANSI
// code page are its bytes, so the split may run on the undecoded bytes.
template <typename TUnit>
void TStringList::SplitLines(const TUnit* text, std::size_t size, std::vector<TLine>& lines) {
  const TUnit* p = text;
  const TUnit* end = text + size;
  while (p != end && *p != 0) {
    const TUnit* q = FindLineEnd(p, end);
    lines.push_back({static_cast<std::size_t>(p - text), static_cast<std::size_t>(q - p)});
    p = q;
    if (p != end && *p == '\r') ++p;
    if (p != end && *p == '\n') ++p;
  }
}

void TStringList::LoadFromBytes(std::string_view bytes, TInvalidUTF8 invalid, const std::string& path) {
  TEncoding encoding = DetectEncoding(bytes);
  std::string_view body = bytes.substr(SignatureOf(encoding).size());
  bool utf16 = encoding == TEncoding::encUTF16LE || encoding == TEncoding::encUTF16BE;

  TText text;
  // No encoding gives more units than bytes.
  text.Capacity = utf16 ? body.size() / 2 : body.size();
  text.Units = std::make_unique_for_overwrite<char16_t[]>(text.Capacity);
  char16_t* units = text.Units.get();
  char16_t* end = units;
  std::vector<TLine> lines;
  switch (encoding) {
    case TEncoding::encAnsi:
      end = AnsiDecodeTo(body, units);
      SplitLines(body.data(), body.size(), lines);
      break;
    case TEncoding::encUTF8:
      end = Utf8DecodeStrictTo(body, units);
      if (end == nullptr) {
        if (invalid == TInvalidUTF8::iuRefuse) throw EInvalidUTF8(path);
        end = units;
      }
      break;
    default:
      end = Utf16DecodeTo(body, encoding == TEncoding::encUTF16LE ? TByteOrder::boLittleEndian
                                                                 : TByteOrder::boBigEndian, units);
      break;
  }
  text.Size = static_cast<std::size_t>(end - units);
  if (encoding != TEncoding::encAnsi) SplitLines(units, text.Size, lines);

  FText = std::move(text);
  FLines = std::move(lines);
  FEncoding = encoding;
}

void TStringList::LoadFromFile(const std::string& path, TInvalidUTF8 invalid) {
  std::string bytes;
  if (int err = ReadWholeFile(path, bytes)) throw EFOpenError(path, err);
  LoadFromBytes(bytes, invalid, path);
}

void TStringList::LoadFromStream(TMemoryStream& stream) {
  LoadFromBytes(stream.ReadToEnd(), TInvalidUTF8::iuEmptyText, std::string());
}

void TStringList::Reserve(int lines, std::size_t units) {
  if (lines > 0) FLines.reserve(FLines.size() + static_cast<std::size_t>(lines));
  std::size_t need = FText.Size + units;
  if (need <= FText.Capacity) return;
  auto grown = std::make_unique_for_overwrite<char16_t[]>(need);
  std::copy_n(FText.Units.get(), FText.Size, grown.get());
  FText.Units = std::move(grown);
  FText.Capacity = need;
}

int TStringList::Add(std::u16string_view line) {
  std::size_t need = FText.Size + line.size();
  if (need > FText.Capacity) {
    std::size_t capacity = std::max({need, FText.Capacity * 2, std::size_t{256}});
    auto units = std::make_unique_for_overwrite<char16_t[]>(capacity);
    std::copy_n(FText.Units.get(), FText.Size, units.get());
    // line may be a view of this list's own buffer, which stays alive until the swap below.
    std::copy_n(line.data(), line.size(), units.get() + FText.Size);
    FText.Units = std::move(units);
    FText.Capacity = capacity;
  } else {
    std::copy_n(line.data(), line.size(), FText.Units.get() + FText.Size);
  }
  FLines.push_back({FText.Size, line.size()});
  FText.Size = need;
  return Count() - 1;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(index);
}

std::u16string_view TStringList::StringView(int index) const {
  CheckIndex(index);
  const TLine& line = FLines[static_cast<std::size_t>(index)];
  return {FText.Units.get() + line.Start, line.Length};
}

std::u16string TStringList::Strings(int index) const { return std::u16string(StringView(index)); }

std::string TStringList::SaveToBytes() const {
  TEncoding encoding = FEncoding == TEncoding::encNone ? TEncoding::encAnsi : FEncoding;
  std::string_view signature = SignatureOf(encoding);
  std::size_t units = 0;
  for (const TLine& line : FLines) units += line.Length + 2;
  // The most bytes a unit can take: one in the code page, two in UTF-16, three in UTF-8.
  std::size_t perUnit = encoding == TEncoding::encAnsi ? 1 : encoding == TEncoding::encUTF8 ? 3 : 2;

  std::string bytes(signature.size() + perUnit * units, '\0');
  char* out = std::copy(signature.begin(), signature.end(), bytes.data());
  auto encodeAll = [&](auto encode) {
    for (const TLine& line : FLines) {
      out = encode(std::u16string_view(FText.Units.get() + line.Start, line.Length), out);
      out = encode(u"\r\n", out);
    }
  };
  switch (encoding) {
    case TEncoding::encUTF8:
      encodeAll([](std::u16string_view s, char* o) { return Utf8EncodeTo(s, o); });
      break;
    case TEncoding::encUTF16LE:
    case TEncoding::encUTF16BE: {
      TByteOrder order = encoding == TEncoding::encUTF16LE ? TByteOrder::boLittleEndian : TByteOrder::boBigEndian;
      encodeAll([order](std::u16string_view s, char* o) { return Utf16EncodeTo(s, order, o); });
      break;
    }
    default:
      encodeAll([](std::u16string_view s, char* o) { return AnsiEncodeTo(s, o); });
      break;
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
  return bytes;
}

void TStringList::SaveToFile(const std::string& path) const {
  std::string bytes = SaveToBytes();
  bool opened = false;
  if (int err = WriteWholeFile(path, bytes, &opened)) {
    if (!opened) throw EFCreateError(path, err);
    throw EWriteError(path, err);
  }
}

}  // namespace brevak
