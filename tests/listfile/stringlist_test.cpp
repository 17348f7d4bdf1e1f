#include "listfile/stringlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "listfile/codepage.h"
#include "listfile/fileio.h"
#include "support/tempdir.h"

namespace brevak {
namespace {

using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;
using Lines = std::vector<std::u16string>;

Lines LinesOf(const TStringList& list) {
  Lines lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

TStringList* LoadBytes(TStringList& list, std::string_view bytes) {
  TMemoryStream stream;
  stream.Write(bytes);
  list.LoadFromStream(stream);
  return &list;
}

// The lines of a document in the code page walked as bytes, decoded afterwards.
Lines WalkAnsi(TDocumentLines& lines) {
  Lines walked;
  for (std::string_view line; lines.NextAnsi(line);) walked.push_back(AnsiDecode(line));
  return walked;
}

// The lines of a document as an import run walks them; the count given up front must match, and
// so must the count by SSE2 steps where the processor has AVX2 ones. A walk over a stream handed
// over, which frees the bytes on the way, must give the same lines, and so must a walk of a
// document in the code page that takes the lines as bytes.
Lines WalkBytes(std::string_view bytes) {
  TMemoryStream stream;
  stream.Write(bytes);
  TDocumentLines lines;
  lines.LoadFromStream(stream);
  Lines walked;
  for (std::u16string_view line; lines.Next(line);) walked.emplace_back(line);
  EXPECT_EQ(lines.Count(), static_cast<int>(walked.size()));
  if (lines.InAnsiCodePage()) {
    EXPECT_EQ(CountAnsiLines(bytes, TVectorSteps::Sse2), walked.size());
  }
  EXPECT_EQ(stream.Position(), stream.Size());

  TMemoryStream handed;
  handed.Write(bytes);
  TDocumentLines owning;
  owning.LoadFromStream(std::move(handed));
  Lines walkedOwning;
  for (std::u16string_view line; owning.Next(line);) walkedOwning.emplace_back(line);
  EXPECT_EQ(walkedOwning, walked);
  EXPECT_EQ(owning.Count(), static_cast<int>(walked.size()));

  if (lines.InAnsiCodePage()) {
    TMemoryStream handedAgain;
    handedAgain.Write(bytes);
    TDocumentLines asBytes;
    asBytes.LoadFromStream(std::move(handedAgain));
    EXPECT_EQ(WalkAnsi(asBytes), walked);
  }
  return walked;
}

TEST(StringListLoad, BytesToLines) {
  struct Case {
    std::string_view Bytes;
    Lines Expected;
    TEncoding Encoding;
  };
  using enum TEncoding;
  const Case kCases[] = {
      // Line ends
      {"a\r\nb", {u"a", u"b"}, Ansi},
      {"a\nb", {u"a", u"b"}, Ansi},
      {"a\rb", {u"a", u"b"}, Ansi},
      {"a\r\n", {u"a"}, Ansi},
      {"a\r\n\r\n", {u"a", u""}, Ansi},
      {"a\n\rb", {u"a", u"", u"b"}, Ansi},
      {"a\r\r\nb", {u"a", u"", u"b"}, Ansi},
      {"", {}, Ansi},
      {"\r\n", {u""}, Ansi},
      {"\n\n", {u"", u""}, Ansi},
      {"tab\there and a long line past the word size\r\nx",
       {u"tab\there and a long line past the word size", u"x"},
       Ansi},
      // NUL ends the text
      {std::string_view("a\0b", 3), {u"a"}, Ansi},
      {std::string_view("\0a", 2), {}, Ansi},
      {std::string_view("abcdefghij\r\nkl\0mn\r\n", 19), {u"abcdefghij", u"kl"}, Ansi},
      // A CR LF across the sixteen-byte steps of the scans; a NUL in a full step after line ends
      {"0123456789abcde\r\n0123456789abcdef", {u"0123456789abcde", u"0123456789abcdef"}, Ansi},
      {std::string_view("0123456789abcde\r\nab\r\0cdefghijklmnopqrstu", 40),
       {u"0123456789abcde", u"ab"},
       Ansi},
      // The ANSI code page
      {"[AGB]\r\nUA1AAA=AGB \xB9"
       "1\r\n\xC0\xFF\x98",
       {u"[AGB]", u"UA1AAA=AGB \u21161", u"\u0410\u044F\u0098"},
       Ansi},
      // UTF-8 signature
      {"\xEF\xBB\xBFx\xD0\x90\r\ny", {u"x\u0410", u"y"}, UTF8},
      {"\xEF\xBB\xBFx\xC3y", {}, UTF8},
      {"\xEF\xBB\xBF", {}, UTF8},
      {"\xEF\xBB", {u"\u043F\u00BB"}, Ansi},
      // UTF-16 signatures; a stray byte at the end is dropped
      {std::string_view("\xFF\xFE"
                        "a\0\r\0\n\0\x16\x21"
                        "c",
                        11),
       {u"a", u"\u2116"},
       UTF16LE},
      {std::string_view("\xFE\xFF\0a\0\n\x21\x16", 8), {u"a", u"\u2116"}, UTF16BE},
      {"\xFF\xFE", {}, UTF16LE},
      // A UTF-32 signature reads as UTF-16 whose first unit is NUL
      {std::string_view("\xFF\xFE\0\0a\0b\0", 8), {}, UTF16LE},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.Bytes)));
    TStringList list;
    LoadBytes(list, c.Bytes);
    EXPECT_EQ(LinesOf(list), c.Expected);
    EXPECT_EQ(list.Encoding(), c.Encoding);
    EXPECT_EQ(WalkBytes(c.Bytes), c.Expected);
  }
}

// The rule, one unit at a time: the reference the fast scans are checked against.
Lines ReferenceSplit(const std::u16string& text) {
  Lines lines;
  std::size_t p = 0;
  while (p < text.size() && text[p] != 0) {
    std::size_t q = p;
    while (q < text.size() && text[q] != '\r' && text[q] != '\n' && text[q] != 0) ++q;
    lines.push_back(text.substr(p, q - p));
    p = q;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  return lines;
}

// A file is read and split in blocks of 64 KB, a stream in one piece, and a walk over a document
// scans and decodes 8 KB at a time; line ends that straddle a block's edge, lines longer than a
// block, and NULs anywhere, must come out as the rule says every way, and the save must give each
// line CR LF.
TEST(StringListLoad, BlocksAndWholeAgreeWithTheRule) {
  TTempDir dir;
  std::string path = dir.Path("doc.txt");
  std::mt19937 random(3);
  const char kUnits[] = {'a', '\xC0', '\xB9', '\r', '\n'};
  for (int round = 0; round < 16; ++round) {
    std::string bytes;
    std::size_t size = round < 4 ? 65536 + 8192 : random() % 140000;
    while (bytes.size() < size) bytes += kUnits[random() % 5];
    if (round < 4) {
      // A CR LF across the first read and the first decode block; then a NUL, late or never.
      bytes[65535] = '\r', bytes[65536] = '\n';
      bytes[8191] = '\r', bytes[8192] = '\n';
      if (round % 2 == 1) bytes[65536 + 100] = '\0';
      if (round == 2) std::fill(bytes.begin() + 100, bytes.begin() + 30000, 'a');
    } else if (round % 5 == 0) {
      bytes[random() % bytes.size()] = '\0';
    }
    WriteBytes(path, bytes);
    Lines expected = ReferenceSplit(AnsiDecode(bytes));
    TStringList fromFile, fromStream;
    fromFile.LoadFromFile(path);
    LoadBytes(fromStream, bytes);
    ASSERT_EQ(LinesOf(fromFile), expected) << round;
    ASSERT_EQ(LinesOf(fromStream), expected) << round;
    ASSERT_EQ(WalkBytes(bytes), expected) << round;
    // Saved, every line gets CR LF, whatever line end it had; the runs that had CR LF already go
    // out as they lie in the buffer.
    std::string saved;
    for (const std::u16string& line : expected) saved += AnsiEncode(line) + "\r\n";
    ASSERT_TRUE(fromFile.SaveToBytes() == saved) << round;
  }
}

// A large document handed over lets its pages go as the walk leaves them behind: the lines are
// those of the same bytes walked in place, up to the last, whatever line straddles the points
// where pages go.
TEST(DocumentLines, AHandedOverDocumentGivesTheSameLinesAsItsPagesGo) {
  std::mt19937 random(11);
  std::string bytes = "skipped\r\n";
  const std::size_t skipped = bytes.size();
  while (bytes.size() < (std::size_t(13) << 20)) {
    std::size_t length = random() % 5 == 0 ? random() % 100000 : random() % 40;
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>('a' + random() % 26);
    bytes += random() % 2 == 0 ? "\r\n" : "\n";
  }
  bytes += "last";
  TMemoryStream kept;
  kept.Write(bytes);
  kept.SetPosition(skipped);
  TDocumentLines inPlace;
  inPlace.LoadFromStream(kept);
  TMemoryStream handed;
  handed.Write(bytes);
  handed.SetPosition(skipped);
  TDocumentLines owning;
  owning.LoadFromStream(std::move(handed));
  ASSERT_EQ(owning.Count(), inPlace.Count());
  std::u16string_view expected, line;
  int n = 0;
  while (inPlace.Next(expected)) {
    ASSERT_TRUE(owning.Next(line)) << n;
    ASSERT_TRUE(line == expected) << n;
    ++n;
  }
  EXPECT_FALSE(owning.Next(line));
  EXPECT_TRUE(expected == u"last");

  // Taken as bytes, a line is a view into the document: its pages stay until the walk is past it.
  TMemoryStream handedAgain;
  handedAgain.Write(bytes);
  handedAgain.SetPosition(skipped);
  TDocumentLines asBytes;
  asBytes.LoadFromStream(std::move(handedAgain));
  kept.SetPosition(skipped);
  inPlace.LoadFromStream(kept);
  std::string_view bytesLine;
  n = 0;
  while (inPlace.Next(expected)) {
    ASSERT_TRUE(asBytes.NextAnsi(bytesLine)) << n;
    ASSERT_TRUE(AnsiDecode(bytesLine) == expected) << n;
    ++n;
  }
  EXPECT_FALSE(asBytes.NextAnsi(bytesLine));
}

// A walk that takes bytes looks for line ends 32 bytes at a time, and at the last fewer than 32
// one by one: a CR LF across the edge of either is one line end.
TEST(DocumentLines, ACrLfAcrossTheBytesLookedAtTogether) {
  for (std::size_t before : {31, 63}) {
    for (std::size_t after : {1, 40}) {
      std::string bytes = std::string(before, 'a') + "\r\n" + std::string(after, 'b');
      EXPECT_EQ(WalkBytes(bytes),
                (Lines{std::u16string(before, u'a'), std::u16string(after, u'b')}))
          << before << " " << after;
    }
  }
}

TEST(StringListLoad, StreamIsReadFromItsPositionAndLeftAtItsEnd) {
  TMemoryStream stream;
  stream.Write("skip\r\nkeep\r\n");
  stream.SetPosition(6);
  TStringList list;
  list.Add(u"old");
  list.LoadFromStream(stream);
  EXPECT_EQ(LinesOf(list), Lines{u"keep"});
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(StringListSave, LinesToBytes) {
  struct Case {
    std::string_view
        Loaded;  // what the list was loaded from, to set its encoding; null: never loaded
    Lines Added;
    std::string_view Bytes;
  };
  const Case kCases[] = {
      // Never loaded: the ANSI code page, no signature
      {{}, {}, ""},
      {{},
       {u"[AGB]", u"UA1AAA=AGB \u21161"},
       "[AGB]\r\nUA1AAA=AGB \xB9"
       "1\r\n"},
      {{}, {u"caf\u00E9", u"\U0001F600"}, "caf?\r\n?\r\n"},
      {{}, {u"a\rb", u""}, "a\rb\r\n\r\n"},
      {{}, {u""}, "\r\n"},
      // The encoding of the last load, with its signature
      {"x", {u"\u2116"}, "x\r\n\xB9\r\n"},
      {"\xEF\xBB\xBF", {u"\u2116"}, "\xEF\xBB\xBF\xE2\x84\x96\r\n"},
      {"\xEF\xBB\xBFold\nline", {u"new"}, "\xEF\xBB\xBFold\r\nline\r\nnew\r\n"},
      {"\xEF\xBB\xBF\xC3", {}, "\xEF\xBB\xBF"},
      {"\xFF\xFE", {}, "\xFF\xFE"},
      {"\xFF\xFE",
       {u"a\u2116"},
       std::string_view("\xFF\xFE"
                        "a\0\x16\x21\r\0\n\0",
                        10)},
      {"\xFE\xFF", {u"a"}, std::string_view("\xFE\xFF\0a\0\r\0\n", 8)},
      // Loaded lines, then added ones; a loaded last line without a line end gets its own, even
      // when the added line after it begins with one
      {"a\r\nb\r\n", {u"c", u"d"}, "a\r\nb\r\nc\r\nd\r\n"},
      {"a", {u"\r\nx"}, "a\r\n\r\nx\r\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.Loaded)));
    TStringList list;
    if (c.Loaded.data() != nullptr) LoadBytes(list, c.Loaded);
    for (const std::u16string& line : c.Added) list.Add(line);
    EXPECT_EQ(list.SaveToBytes(), c.Bytes);
  }
}

// A save goes out in pieces of 65536 units; a character of two units at the cut stays whole.
TEST(StringListSave, LongTextsAcrossPieces) {
  std::u16string line =
      std::u16string(65535, u'a') + u"\U0001F600" + std::u16string(70000, u'\u0410');
  std::string utf8Line = std::string(65535, 'a') + "\xF0\x9F\x98\x80";
  for (int i = 0; i < 70000; ++i) utf8Line += "\xD0\x90";
  struct Case {
    std::string_view Loaded;
    std::string Bytes;
  };
  const Case kCases[] = {
      {"x", "x\r\n" + std::string(65535, 'a') + "?" + std::string(70000, '\xC0') + "\r\n"},
      {"\xEF\xBB\xBFx", "\xEF\xBB\xBFx\r\n" + utf8Line + "\r\n"},
  };
  for (const Case& c : kCases) {
    TStringList list;
    LoadBytes(list, c.Loaded);
    list.Add(line);
    EXPECT_TRUE(list.SaveToBytes() == c.Bytes);
    // Loaded back, the line goes out again as it came in: through the run of the loaded buffer.
    TStringList again;
    LoadBytes(again, c.Bytes);
    EXPECT_TRUE(again.SaveToBytes() == c.Bytes);
  }
}

TEST(StringList, AddAppendsCopiesAndReturnsTheIndex) {
  TStringList list;
  EXPECT_EQ(list.Add(u"UA1AAA=RRC"), 0);
  EXPECT_EQ(list.Add(u"UA1AAA=RRC"), 1);
  // A line of the list itself, while the buffer grows under it.
  for (int i = 0; i < 300; ++i) list.Add(list.StringView(i));
  EXPECT_EQ(list.Count(), 302);
  EXPECT_EQ(list.Strings(301), u"UA1AAA=RRC");
  // A line of two pieces, each a part of a line of the list.
  for (int i = 0; i < 300; ++i)
    list.Add(list.StringView(i).substr(0, 6), list.StringView(i + 1).substr(6));
  EXPECT_EQ(list.Count(), 602);
  EXPECT_EQ(list.Strings(601), u"UA1AAA=RRC");
  list.Add(u"R0A", list.StringView(0).substr(6));
  list.Add(list.StringView(0).substr(0, 6), u"");
  EXPECT_EQ(list.Strings(602), u"R0A=RRC");
  EXPECT_EQ(list.Strings(603), u"UA1AAA");
  // Room made up front changes no line.
  list.Reserve(1000, 100000);
  list.Add(u"");
  EXPECT_EQ(list.Count(), 605);
  EXPECT_EQ(list.Strings(0), u"UA1AAA=RRC");
  EXPECT_EQ(list.Strings(604), u"");
}

// A list keeps its text in the code page's bytes while every unit is one of its characters, and
// turns it into units when one that is not arrives, wherever it stands in the pieces of an added
// line. Either way each line reads back as it was added, a view of it too, and the save writes the
// code page (each unit it cannot hold as "?") as it did.
TEST(StringList, CodePageTextAndTheUnitThatWidensIt) {
  struct TAdd {
    std::u16string_view Text;
    std::u16string_view More;
  };
  struct Case {
    std::string_view Loaded;  // null: never loaded
    std::vector<TAdd> Adds;
    Lines Expected;
    std::string_view Bytes;
  };
  // Long enough for the vector steps, with the odd unit at their start, middle and end.
  const std::u16string_view kLong = u"R0AAA;Member 100000;City 996";
  const Case kCases[] = {
      // Characters of the code page: ASCII, the alphabet, the numero sign, U+0098, NUL
      {{},
       {{u"UA1AAA=AGB \u2116", u"1"},
        {u"\u0410\u044F", u"\u0098"},
        {std::u16string_view(u"a\0b", 3), u""}},
       {u"UA1AAA=AGB \u21161", u"\u0410\u044F\u0098", std::u16string(u"a\0b", 3)},
       std::string_view("UA1AAA=AGB \xB9"
                        "1\r\n\xC0\xFF\x98\r\na\0b\r\n",
                        25)},
      // A unit the code page cannot hold in the text or in the piece after it
      {{}, {{u"a", u""}, {u"\u00E9xy", u"=z"}}, {u"a", u"\u00E9xy=z"}, "a\r\n?xy=z\r\n"},
      {{},
       {{u"\u0410", u""}, {u"x\u00E9y", u"=z"}},
       {u"\u0410", u"x\u00E9y=z"},
       "\xC0\r\nx?y=z\r\n"},
      {{}, {{u"xy\u00E9", u"=z"}}, {u"xy\u00E9=z"}, "xy?=z\r\n"},
      {{}, {{u"xy", u"\u20AC\u0099z"}}, {u"xy\u20AC\u0099z"}, "xy\x88?z\r\n"},
      {{}, {{u"xy", u"=\u0099z"}}, {u"xy=\u0099z"}, "xy=?z\r\n"},
      {{},
       {{u"xy", u"=z\u0099"}, {u"after", u""}},
       {u"xy=z\u0099", u"after"},
       "xy=z?\r\nafter\r\n"},
      // ... in a long line: in a vector step or in its tail
      {{},
       {{kLong, u"\u00E9=SRR Member"}, {kLong.substr(0, 20), u""}},
       {std::u16string(kLong) + u"\u00E9=SRR Member", std::u16string(kLong.substr(0, 20))},
       "R0AAA;Member 100000;City 996?=SRR Member\r\nR0AAA;Member 100000;\r\n"},
      {{},
       {{u"R0AAA;Member 1000\u00E90;City 996", u"=SRR Member"}},
       {u"R0AAA;Member 1000\u00E90;City 996=SRR Member"},
       "R0AAA;Member 1000?0;City 996=SRR Member\r\n"},
      // A surrogate pair cut between the pieces is one character; a lone one is one too
      {{}, {{u"a\xD83D", u"\xDE00z"}}, {u"a\U0001F600z"}, "a?z\r\n"},
      {{}, {{u"a", u"\xDC00"}}, {u"a\xDC00"}, "a?\r\n"},
      // After a load in the code page: its lines and line ends stay as they were
      {"a\rb\nc\r\n\xC0",
       {{u"\u00E9", u""}, {u"d", u""}},
       {u"a", u"b", u"c", u"\u0410", u"\u00E9", u"d"},
       "a\r\nb\r\nc\r\n\xC0\r\n?\r\nd\r\n"},
      // A list loaded with a signature holds units from the start
      {"\xEF\xBB\xBFx", {{u"\u00E9", u""}}, {u"x", u"\u00E9"}, "\xEF\xBB\xBFx\r\n\xC3\xA9\r\n"},
  };
  for (std::size_t k = 0; k < std::size(kCases); ++k) {
    const Case& c = kCases[k];
    SCOPED_TRACE(k);
    TStringList list;
    if (c.Loaded.data() != nullptr) LoadBytes(list, c.Loaded);
    for (const TAdd& add : c.Adds) list.Add(add.Text, add.More);
    EXPECT_EQ(LinesOf(list), c.Expected);
    EXPECT_EQ(list.SaveToBytes(), c.Bytes);
    // Views turn the text into units for good; nothing read or saved changes.
    Lines viewed;
    for (int i = 0; i < list.Count(); ++i) viewed.emplace_back(list.StringView(i));
    EXPECT_EQ(viewed, c.Expected);
    EXPECT_EQ(LinesOf(list), c.Expected);
    EXPECT_EQ(list.SaveToBytes(), c.Bytes);
  }
}

// Bytes in the code page are added as the line their characters make, whether the list keeps
// bytes (and takes them as they are) or units: every byte, NUL and 0x98 too, in pieces of every
// length up to 40, as the buffer grows under them.
TEST(StringList, AddAnsiAddsTheDecodedLine) {
  std::vector<std::pair<std::string, std::string>> adds;
  for (int b = 0; b < 256; ++b) adds.emplace_back(std::string(1, static_cast<char>(b)), "=SRR");
  adds.emplace_back("", "");
  adds.emplace_back("R0AAA;Member 100000;City 996 \xC0\xFF\x98", "");
  adds.emplace_back("", "\xB9 a piece after an empty one, past a vector's width");
  // Every length up to past two vectors, for the moves a piece is copied by.
  const std::string kLong = "R0AAA;Member 100000;City 996 \xC0\xFF\x98 and more of the line";
  for (std::size_t n = 0; n <= 40; ++n) adds.emplace_back(kLong.substr(0, n), kLong.substr(n));
  for (std::string_view loaded : {std::string_view(), std::string_view("a\rb\n"),
                                  std::string_view("\xEF\xBB\xBFx"), std::string_view("wide")}) {
    SCOPED_TRACE(loaded);
    TStringList byBytes, byUnits;
    if (loaded.data() != nullptr) {
      LoadBytes(byBytes, loaded);
      LoadBytes(byUnits, loaded);
    }
    if (loaded == "wide") {
      byBytes.Add(u"\u00E9");
      byUnits.Add(u"\u00E9");
    }
    for (const auto& [text, more] : adds) {
      EXPECT_EQ(byBytes.AddAnsi(text, more), byUnits.Add(AnsiDecode(text), AnsiDecode(more)));
    }
    EXPECT_EQ(LinesOf(byBytes), LinesOf(byUnits));
    EXPECT_EQ(byBytes.SaveToBytes(), byUnits.SaveToBytes());
  }
}

// Every byte but the line ends is a character of the code page, so a load keeps the bytes as they
// are; the lines read back decoded, and go out again as the same bytes.
TEST(StringListLoad, EveryByteOfTheCodePageIsKept) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
  }
  TTempDir dir;
  std::string path = dir.Path("all.txt");
  WriteBytes(path, bytes + "\r\n" + bytes);
  TStringList list;
  list.LoadFromFile(path);
  EXPECT_EQ(LinesOf(list), (Lines{AnsiDecode(bytes), AnsiDecode(bytes)}));
  list.Add(u"\u0098");
  EXPECT_EQ(list.SaveToBytes(), bytes + "\r\n" + bytes + "\r\n\x98\r\n");
  EXPECT_EQ(std::u16string(list.StringView(1)), AnsiDecode(bytes));
  EXPECT_EQ(list.SaveToBytes(), bytes + "\r\n" + bytes + "\r\n\x98\r\n");
}

TEST(StringList, BadIndexIsAnError) {
  TStringList list;
  list.Add(u"a");
  for (int index : {-1, 1}) {
    try {
      list.Strings(index);
      ADD_FAILURE() << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

TEST(StringListFile, SavesAndLoadsBackInTheEncodingItFound) {
  TTempDir dir;
  std::string path = dir.Path("list.ini");
  WriteBytes(path, "\xEF\xBB\xBF[SRR]\nR1A=SRR Member");
  TStringList list;
  list.LoadFromFile(path);
  list.Add(u"[AGB]");
  list.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF[SRR]\r\nR1A=SRR Member\r\n[AGB]\r\n");
}

template <typename TError>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TError& e) {
    return e.what();
  }
  return "no error";
}

TEST(StringListFile, ErrorsNameTheFullPathAndTheCause) {
  TTempDir dir;
  std::string missing = dir.Path("missing.ini");
  std::string underFile = dir.Path("plain/list.ini");
  WriteBytes(dir.Path("plain"), "a file, not a folder");
  TStringList list;
  list.Add(u"kept");

  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(missing); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(dir.Dir()); }),
            "Cannot open file \"" + dir.Dir() + "\". Is a directory");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(underFile); }),
            "Cannot create file \"" + underFile + "\". Not a directory");
  EXPECT_EQ(MessageOf<EWriteError>([&] { list.SaveToFile("/dev/full"); }),
            "Cannot write file \"/dev/full\". No space left on device");
  // A relative path is named in full.
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile("no-such-dir/../nothing.ini"); }),
            "Cannot open file \"" + FullPath("nothing.ini") + "\". No such file or directory");
  EXPECT_EQ(LinesOf(list), Lines{u"kept"});
}

TEST(StringListFile, RefusedUtf8LeavesTheListAsItWas) {
  TTempDir dir;
  std::string path = dir.Path("bad.ini");
  WriteBytes(path,
             "\xEF\xBB\xBF[AGB]\r\nUA1AAA=AGB \xB9"
             "1\r\n");
  TStringList list;
  list.Add(u"kept");
  EXPECT_EQ(MessageOf<EInvalidUTF8>([&] { list.LoadFromFile(path, TInvalidUTF8::Refuse); }),
            "Cannot load file \"" + path +
                "\". It begins with the UTF-8 signature but does not hold valid UTF-8; it was left "
                "unchanged");
  EXPECT_EQ(LinesOf(list), Lines{u"kept"});
  EXPECT_EQ(list.Encoding(), TEncoding::None);
  // Without the refusal the same file gives no lines.
  list.LoadFromFile(path);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace brevak
