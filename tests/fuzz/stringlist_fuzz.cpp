// libFuzzer target: loading a line list from arbitrary bytes in every encoding. Whatever the bytes,
// the load must not crash, the walk of a fetched document must give the same lines as the list,
// and saving the list and loading the saved bytes again must give the same lines in the same
// encoding, saved as the same bytes, whether its lines were read as copies or as views; the same
// lines added one by one to a new list must come back as they were and save in the code page. Run
// with tests/fuzz/run; an input that makes it fail becomes a case of
// tests/listfile/formerbugs_test.cpp.
//
// Input layout: byte 0 picks the signature put before the rest (none, UTF-8, UTF-16 LE or BE), so
// that every decoder is reached at once; the rest is the file's body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "listfile/codepage.h"
#include "listfile/stringlist.h"

namespace {

using brevak::TMemoryStream;
using brevak::TStringList;

std::vector<std::u16string> LinesOf(const TStringList& list) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

// The same through views, which turn a list kept in the code page's bytes into units.
std::vector<std::u16string> ViewedLinesOf(TStringList& list) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list.StringView(i));
  return lines;
}

void Load(TStringList& list, std::string_view bytes) {
  TMemoryStream stream;
  stream.Write(bytes);
  list.LoadFromStream(stream);
}

void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kSignatures[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  std::string bytes(kSignatures[data[0] % 4]);
  bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

  TStringList list;
  Load(list, bytes);
  const std::vector<std::u16string> lines = LinesOf(list);

  TMemoryStream stream;
  stream.Write(bytes);
  brevak::TDocumentLines walk;
  walk.LoadFromStream(stream);
  Require(walk.Count() == list.Count());
  std::u16string_view line;
  for (const std::u16string& expected : lines) Require(walk.Next(line) && line == expected);
  Require(!walk.Next(line));

  // A document in the code page walked as bytes: the same lines, undecoded.
  stream.SetPosition(0);
  brevak::TDocumentLines bytesWalk;
  bytesWalk.LoadFromStream(stream);
  if (bytesWalk.InAnsiCodePage()) {
    Require(brevak::CountAnsiLines(bytes, brevak::TVectorSteps::Sse2) == lines.size());
    std::string_view bytesLine;
    for (const std::u16string& expected : lines)
      Require(bytesWalk.NextAnsi(bytesLine) && brevak::AnsiDecode(bytesLine) == expected);
    Require(!bytesWalk.NextAnsi(bytesLine));
  }

  const std::string saved = list.SaveToBytes();
  TStringList again;
  Load(again, saved);
  Require(again.Encoding() == list.Encoding());
  Require(LinesOf(again) == lines);
  Require(again.SaveToBytes() == saved);

  // Views of the list give the same lines, and it saves the same bytes after they were taken.
  Require(ViewedLinesOf(again) == lines);
  Require(again.SaveToBytes() == saved);

  // The lines added one by one, each in two pieces, to a list never loaded: it holds them as
  // they were, and saves each in the code page followed by CR LF.
  TStringList added;
  std::string expected;
  for (const std::u16string& l : lines) {
    std::u16string_view whole = l;
    std::size_t cut = whole.size() / 2;
    added.Add(whole.substr(0, cut), whole.substr(cut));
    expected += brevak::AnsiEncode(l) + "\r\n";
  }
  Require(LinesOf(added) == lines);
  Require(added.SaveToBytes() == expected);
  return 0;
}
