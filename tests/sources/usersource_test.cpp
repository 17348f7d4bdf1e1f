// Sources described in sources.ini: the callsign filter, reading the sections, and each kind of
// rule run end to end through the frame on small documents.
#include "sources/usersource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "listfile/codepage.h"
#include "listfile/stringlist.h"
#include "listfile/utf.h"
#include "sources/callsign.h"
#include "support/runfixture.h"
#include "text/matcher.h"

namespace brevak {
namespace {

using namespace brevak::test;
using UserSources = TRunFixture;

TEST(CallsignFilter, KeepsOnlyWhatLooksLikeACallsign) {
  const struct {
    std::u16string In, Out;
  } cases[] = {
      {u"UA1AAA", u"UA1AAA"},
      {u"  <b>R1ABC/P</b>\u00A0", u"R1ABC/P"},
      {u"EW/UA1AAA", u"EW/UA1AAA"},
      {u"ua3abc", u"ua3abc"},
      {u"K1A", u"K1A"},
      {u"R1", u""},                     // too short
      {u"ABCDEFGHIJ1234567890X", u""},  // 21 characters
      {u"UA1 AAA", u""},                // a blank inside
      {u"Callsign", u""},               // no digit: a heading
      {u"12345", u""},                  // no letter: a number
      {u"UA1AAA,", u""},
      {u"УА1ААА", u""},  // Cyrillic look-alikes are no callsign
      {u"<td>", u""},
  };
  std::u16string buffer;
  for (const auto& c : cases)
    EXPECT_EQ(CallsignIn(c.In, buffer), c.Out) << ::testing::PrintToString(c.In);
}

// A line of a document in the code page may reach a rule as its bytes (ApplyAnsi) or decoded
// (Apply): every rule that takes the bytes must append what it appends for the decoded line.
TEST(UserRules, BytesGiveTheEntriesOfTheDecodedLine) {
  const auto source = [](TUserRuleKind rule, std::u16string pattern = {}) {
    TUserSource s;
    s.Rule = rule;
    s.Pattern = std::move(pattern);
    s.Note = u"Club \u0416";
    return s;
  };
  std::vector<TUserSource> sources = {
      source(TUserRuleKind::Lines),
      source(TUserRuleKind::Columns),
      source(TUserRuleKind::Pattern, u"<td class=\"call\">(.*?)</td>"),
      source(TUserRuleKind::Pattern, u"<b>(.*?\\d.*?)</b>"),
      source(TUserRuleKind::Pattern, u"(.*?)\u0416;"),
      source(TUserRuleKind::Pattern, u"\u0416(.*?);"),
  };
  sources[1].CallsignColumn = 2;
  sources[1].NumberColumn = 1;
  TUserSource tabs = sources[1];
  tabs.Separator = u'\t';
  tabs.CallsignsOnly = false;
  sources.push_back(tabs);
  for (const TUserRuleKind rule : {TUserRuleKind::Lines, TUserRuleKind::Pattern}) {
    TUserSource any = rule == TUserRuleKind::Lines ? sources[0] : sources[2];
    any.CallsignsOnly = false;
    any.FirstMatchOnly = true;
    sources.push_back(any);
  }
  const std::string lines[] = {
      "",
      "UA1AAA ex R1AAA",
      "\xA0 R1ABC/P\xA0;2019",
      "12,UA1AAA,\"Ivanov, I.\"",
      "\"1\"\"3\", \"R1ABC\" ,x",
      "\xB9\xA0\x37\xA0\tUA1AAA\xA0\t\xC6",
      "\xC6\xC6\t\xC6 \xC6",
      "<td class=\"call\"> <b>UA1AAA</b>\xA0</td><td class=\"call\">R1ABC</td><td class=\"call\">",
      "<td class=\"call\">\xC6</td><td class=\"call\">\xA0UA1AAA\xA0\xA0</td>",
      "<b>x</b><b>UA1AAA</b> <b>R1ABC<b>R9</b>",
      "UA1AAA\xC6; R1ABC \xC6;\xC6\xC6;",
      "\xC6UA1AAA; \xC6 R1ABC ;\xC6",
  };
  for (const TUserSource& s : sources) {
    TMatcher units, bytes;
    std::unique_ptr<TLineRule> unitRule = MakeUserRule(s, units);
    std::unique_ptr<TLineRule> byteRule = MakeUserRule(s, bytes);
    EXPECT_TRUE(byteRule->TakesAnsi()) << ::testing::PrintToString(s.Pattern);
    TStringList fromUnits, fromBytes;
    for (const std::string& line : lines) {
      unitRule->Apply(AnsiDecode(line), fromUnits);
      byteRule->ApplyAnsi(line, fromBytes);
    }
    EXPECT_GT(fromUnits.Count(), 1) << ::testing::PrintToString(s.Pattern);
    EXPECT_EQ(fromBytes.SaveToBytes(), fromUnits.SaveToBytes())
        << static_cast<int>(s.Rule) << " " << ::testing::PrintToString(s.Pattern);
  }
}

// The bytes are taken only where they stand for the same text: a note, a separator or a pattern
// literal the code page does not hold, and a pattern other than a pair, keep the decoded lines.
TEST(UserRules, DecodedLinesWhereTheBytesCannotServe) {
  TUserSource note;
  note.Rule = TUserRuleKind::Lines;
  note.Note = u"Club \u4E2D";
  TUserSource separator;
  separator.Rule = TUserRuleKind::Columns;
  separator.Separator = u'\u4E2D';
  TUserSource literal;
  literal.Rule = TUserRuleKind::Pattern;
  literal.Pattern = u"\u4E2D(.*?)</td>";
  TUserSource other = literal;
  other.Pattern = u"<b>\\d+";
  for (const TUserSource& s : {note, separator, literal, other}) {
    TMatcher matcher;
    EXPECT_FALSE(MakeUserRule(s, matcher)->TakesAnsi()) << ::testing::PrintToString(s.Pattern);
  }
}

TEST_F(UserSources, SectionsBecomeSourcesOrOneErrorEach) {
  WriteFile(FDir / "sources.ini",
            "[Hosts]\r\nSRR=srr.example.org\r\n"
            "[Source CWClub]\r\n"
            "; a comment, and a key of no source's\r\n"
            "URL=https://cwclub.example.org:8443/roster.html?all=1\r\n"
            "Rule=pattern\r\nPattern=<td class=\"call\">(.*?)</td>\r\nNote=CW Club\r\n"
            "[Source Lists]\r\nURL=http://[::1]/l.txt\r\nRule=lines\r\nSkip=1\r\n"
            "Encoding=auto\r\nCallsigns=any\r\n"
            "[Source AGB]\r\nURL=http://agb.example.org/new.csv\r\nRule=columns\r\n"
            "Separator=tab\r\nCallsign=2\r\nNumber=1\r\n"
            // The errors, each in a section of its own.
            "[Source NoUrl]\r\nRule=lines\r\n"
            "[Source BadUrl]\r\nURL=ftp://a.example.org/x\r\nRule=lines\r\n"
            "[Source Port]\r\nURL=http://a.example.org:83535/x\r\nRule=lines\r\n"
            "[Source User]\r\nURL=http://me:pw@a.example.org/x\r\nRule=lines\r\n"
            "[Source Frag]\r\nURL=http://a.example.org/x#top\r\nRule=lines\r\n"
            "[Source Kind]\r\nURL=http://a.example.org/x\r\nRule=table\r\n"
            "[Source Typo]\r\nURL=http://a.example.org/x\r\nRule=lines\r\nSkp=1\r\n"
            "[Source Column]\r\nURL=http://a.example.org/x\r\nRule=columns\r\nCallsign=0\r\n"
            "[Source Foreign]\r\nURL=http://a.example.org/x\r\nRule=lines\r\nCallsign=2\r\n"
            "[Source Syntax]\r\nURL=http://a.example.org/x\r\nRule=pattern\r\nPattern=a(b\r\n"
            "[Source Slow]\r\nURL=http://a.example.org/x\r\nRule=pattern\r\nPattern=a.*?b.*?c\r\n"
            "[Source all]\r\nURL=http://a.example.org/x\r\nRule=lines\r\n"
            "[Source Bidi\u202Eabc]\r\nURL=http://a.example.org/x\r\nRule=lines\r\n"
            "[Source CWClub]\r\nURL=http://a.example.org/x\r\nRule=lines\r\n");
  const std::string path = (FDir / "sources.ini").string();
  TUserSources read = ReadUserSources(path);

  ASSERT_EQ(read.Sources.size(), 3u);
  const TUserSource& cw = read.Sources[0];
  EXPECT_EQ(cw.Name, "CWClub");
  EXPECT_EQ(cw.Url, "https://cwclub.example.org:8443/roster.html?all=1");
  EXPECT_EQ(cw.Rule, TUserRuleKind::Pattern);
  EXPECT_EQ(cw.Header, u"[CWClub]");
  EXPECT_EQ(cw.Note, u"CW Club");
  EXPECT_TRUE(cw.CallsignsOnly);
  EXPECT_EQ(cw.File, path);
  const TUserSource& lists = read.Sources[1];
  EXPECT_EQ(lists.Skip, 1);
  EXPECT_EQ(lists.Encoding, TUserEncoding::Auto);
  EXPECT_FALSE(lists.CallsignsOnly);
  // A built-in source replaced keeps its header and its note.
  const TUserSource& agb = read.Sources[2];
  EXPECT_EQ(agb.Replaces, &SourceInfo(TSourceId::AGB));
  EXPECT_EQ(agb.Header, u"[AGB]");
  EXPECT_EQ(agb.Note, u"AGB");
  EXPECT_EQ(agb.Separator, u'\t');
  EXPECT_EQ(agb.CallsignColumn, 2);
  EXPECT_EQ(agb.NumberColumn, 1);

  const std::vector<std::string> reasons = {
      "[Source NoUrl] URL: missing",
      "[Source BadUrl] URL: not an http:// or https:// URL",
      "[Source Port] URL: the port is not a number from 1 to 65535",
      "[Source User] URL: a user name is not allowed",
      "[Source Frag] URL: a fragment (#...) is never sent to the server",
      "[Source Kind] Rule: not lines, columns or pattern",
      "[Source Typo] Skp: no such key",
      "[Source Column] Callsign: not a column number from 1 to 1000",
      "[Source Foreign] Callsign: not used by Rule=lines",
      "[Source Syntax] Pattern: at position",
      "[Source Slow] Pattern: only patterns of the forms TEXT(.*?)TEXT, (.*?)TEXT and",
      "[Source all]: \"all\" names every source on the command line",
      "[Source Bidi\\u202Eabc]: the name may not hold control characters",
      "[Source CWClub]: a source of this name is described above",
  };
  ASSERT_EQ(read.Errors.size(), reasons.size());
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    EXPECT_THAT(read.Errors[i], ::testing::StartsWith(path + ", line ")) << read.Errors[i];
    EXPECT_THAT(read.Errors[i], ::testing::HasSubstr(reasons[i]));
  }
}

// The example file shows one section of each kind, commented out: uncommented, each is a source.
TEST_F(UserSources, TheExampleSectionsAreSources) {
  std::ifstream in(std::string(std::getenv("BREVAK_TEST_DATA")) + "/../sources.ini.example");
  ASSERT_TRUE(in) << "sources.ini.example";
  std::string uncommented, line;
  bool inSource = false;
  while (std::getline(in, line)) {
    if (line.starts_with(";[Source ")) inSource = true;
    if (inSource && line.starts_with(";") && line.size() > 1 && line[1] != ' ')
      uncommented += line.substr(1) + "\r\n";
  }
  WriteFile(FDir / "sources.ini", uncommented);
  TUserSources read = ReadUserSources((FDir / "sources.ini").string());
  EXPECT_EQ(read.Errors, std::vector<std::string>{});
  ASSERT_EQ(read.Sources.size(), 3u);
  EXPECT_EQ(read.Sources[0].Rule, TUserRuleKind::Lines);
  EXPECT_EQ(read.Sources[1].Rule, TUserRuleKind::Columns);
  EXPECT_EQ(read.Sources[2].Rule, TUserRuleKind::Pattern);
}

// Another user could have planted the clubs, or a built-in source's new address: refused as a
// [Hosts] section would be.
TEST_F(UserSources, AFileOthersCouldWriteIsRefused) {
  WriteFile(FDir / "sources.ini",
            "[Source SRR]\r\nURL=http://attacker.example.org/x\r\nRule=lines\r\n");
  std::filesystem::permissions(FDir / "sources.ini", std::filesystem::perms(0666));
  EXPECT_THROW(ReadUserSources((FDir / "sources.ini").string()), Exception);
}

TEST_F(UserSources, NoFileDescribesNoSource) {
  TUserSources read = ReadUserSources((FDir / "sources.ini").string());
  EXPECT_TRUE(read.Sources.empty());
  EXPECT_TRUE(read.Errors.empty());
}

// Each kind of rule on a small document, run through the frame into the list file.
TEST_F(UserSources, EachRuleAppendsItsSection) {
  struct Case {
    const char* Name;
    std::string Section;  // the keys after URL
    std::string Document;
    std::string List;  // the list file afterwards (Windows-1251)
  } cases[] = {
      {"lines: first word, blank lines and headings left out", "Rule=lines\r\nSkip=1\r\n",
       "Callsign list\r\nUA1AAA ex R1AAA\r\n\r\n  R1ABC;2019\r\nUA,x\r\n",
       "[Club]\r\nUA1AAA=Club\r\nR1ABC=Club\r\n"},
      {"columns: quoted fields and a number", "Rule=columns\r\nCallsign=2\r\nNumber=1\r\n",
       "No,Call,Name\r\n12,UA1AAA,\"Ivanov, I.\"\r\n\"1\"\"3\",\"R1ABC\",x\r\n7\r\n",
       "[Club]\r\nUA1AAA=Club \xB9"
       "12\r\nR1ABC=Club \xB9"
       "1\"3\r\n"},
      {"pattern: every match, its group", "Rule=pattern\r\nPattern=<td>(.*?)</td>\r\n",
       "<tr><td>UA1AAA</td><td> <b>R1ABC</b> </td><td>Name</td></tr>\r\n",
       "[Club]\r\nUA1AAA=Club\r\nR1ABC=Club\r\n"},
      {"pattern: the first match only, whole",
       "Rule=pattern\r\nPattern=R1\\d\\d\\d\r\nMatches=first\r\nCallsigns=any\r\n",
       "R1000 R1001\r\nx\r\n", "[Club]\r\nR1000=Club\r\n"},
      {"UTF-8 without a signature", "Rule=lines\r\nEncoding=utf-8\r\nCallsigns=any\r\n",
       "\xD0\x96\xD0\x96\r\n", "[Club]\r\n\xC6\xC6=Club\r\n"},
      {"windows-1251 stays the default", "Rule=lines\r\nCallsigns=any\r\n", "\xC6\r\n",
       "[Club]\r\n\xC6=Club\r\n"},
      {"auto: not UTF-8, so the code page", "Rule=lines\r\nEncoding=auto\r\nCallsigns=any\r\n",
       "\xC6\xC6\r\n", "[Club]\r\n\xC6\xC6=Club\r\n"},
  };
  for (const Case& c : cases) {
    WriteFile(FDir / "sources.ini",
              "[Source Club]\r\nURL=http://club.example.org/list\r\n" + c.Section);
    TUserSources read = ReadUserSources((FDir / "sources.ini").string());
    ASSERT_EQ(read.Sources.size(), 1u) << c.Name << ": " << ::testing::PrintToString(read.Errors);
    std::filesystem::remove(ListFile());
    TFakeFetch fetch(c.Document);
    TFakeHost host;
    ImportUserSourceWithFetch(read.Sources[0], ListFile().string(), host, fetch.Fn());
    EXPECT_EQ(fetch.Urls, std::vector<std::string>{"http://club.example.org/list"}) << c.Name;
    EXPECT_EQ(ReadListFile(), c.List) << c.Name;
  }
}

TEST_F(UserSources, AFailedFetchSavesTheListAsItWas) {
  WriteFile(ListFile(), "[SRR]\r\nUA1AAA=SRR Member\r\n");
  WriteFile(FDir / "sources.ini",
            "[Source Club]\r\nURL=http://club.example.org/list\r\nRule=lines\r\n");
  TUserSources read = ReadUserSources((FDir / "sources.ini").string());
  ASSERT_EQ(read.Sources.size(), 1u);
  TFakeFetch fetch;
  fetch.Fails = true;
  TFakeHost host;
  EXPECT_THROW(ImportUserSourceWithFetch(read.Sources[0], ListFile().string(), host, fetch.Fn()),
               Exception);
  EXPECT_EQ(ReadListFile(), "[SRR]\r\nUA1AAA=SRR Member\r\n");
}

}  // namespace
}  // namespace brevak
