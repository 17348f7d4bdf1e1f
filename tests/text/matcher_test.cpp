// TMatcher: the compiled program of each pattern, the search results the HTML sources rely on,
// the modifiers, and every error. The PCRE2 comparison over generated lines is in
// matcher_pcre_test.cpp.
#include "text/matcher.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "text/sourcepatterns.h"

namespace brevak {
namespace {

std::string Show(std::u16string_view text) {
  return ::testing::PrintToString(std::u16string(text));
}

// The nine patterns of the sources.
constexpr std::u16string_view kOceanLink = patterns::kFiveOceanBlankLink;
constexpr std::u16string_view kOceanCell = patterns::kFiveOceanStyledLink;
constexpr std::u16string_view kArck = patterns::kARCKCall;
constexpr std::u16string_view kKdrBold = patterns::kKDRNumber;
constexpr std::u16string_view kKdrLink = patterns::kKDRLink;
constexpr std::u16string_view kRadioWave = patterns::kRadioWaveCell;
constexpr std::u16string_view kRcpw = patterns::kRCPWCell;
constexpr std::u16string_view kRrcLink = patterns::kRRCLink;
constexpr std::u16string_view kRrcBreak = patterns::kRRCPiece;

struct DumpCase {
  std::u16string_view Pattern;
  const char* Program;
};

TEST(MatcherCompile, Programs) {
  const DumpCase kCases[] = {
      // The nine patterns
      {kOceanLink, "lit\"_blank\">\" open1 any*? close1 lit\"</a>\" end | regstart=_"},
      {kOceanCell, "lit\";\">\" open1 any*? close1 lit\"</a>\" end | regstart=;"},
      {kArck, "lit\"<br>\" open1 any*? close1 lit\"&nbsp\" end | regstart=<"},
      {kKdrBold, "lit\"<b>\" open1 any*? close1 lit\"<a href=\" end | regstart=<"},
      {kKdrLink, "lit\"_blank\">\" open1 any*? close1 lit\"<a/>\" end | regstart=_"},
      {kRadioWave, "lit\"<td class=\"col1\"\" open1 any*? close1 lit\"</a>\" end | regstart=<"},
      {kRcpw,
       "lit\"<td align=center>\" open1 any*? digit any*? close1 lit\"</td>\" end | regstart=<"},
      {kRrcLink, "lit\"<a href\" open1 any*? close1 lit\"</a>\" end | regstart=<"},
      {kRrcBreak, "open1 any*? close1 lit\"<br>\" end | regmust=\"<br>\""},
      // A repetition sign takes the last character of a literal run alone
      {u"abc*?d", "lit\"ab\" lit\"c\"*? lit\"d\" end | regstart=a"},
      {u"a*?bc", "lit\"a\"*? lit\"bc\" end | regmust=\"bc\""},
      {u"ab+c?", "lit\"a\" lit\"b\"+ lit\"c\"? end | regstart=a"},
      // regmust: the longest literal, the later one on a tie; also behind a leading group
      {u".*?ab.cd", "any*? lit\"ab\" any lit\"cd\" end | regmust=\"cd\""},
      {u"((x*?))abc", "open1 open2 lit\"x\"*? close2 close1 lit\"abc\" end | regmust=\"abc\""},
      {u"(a)\\d", "open1 lit\"a\" close1 digit end"},
      // Escaped punctuation joins the literal run
      {u"a\\.\\(\\*b", "lit\"a.(*b\" end | regstart=a"},
      {u"}]", "lit\"}]\" end | regstart=}"},
      {u"\\d*", "digit* end"},
  };
  for (const auto& c : kCases) {
    TMatcher m;
    m.SetExpression(c.Pattern);
    EXPECT_EQ(m.Dump(), c.Program) << Show(c.Pattern);
  }
}

TEST(MatcherCompile, ModifiersChangeTheProgram) {
  struct Case {
    const char* Modifiers;
    std::u16string_view Pattern;
    const char* Program;
  };
  const Case kCases[] = {
      {"-s", u"a.b", "lit\"a\" anybutsep lit\"b\" end | regstart=a"},
      {"-g", u"a*b+?c", "lit\"a\"*? lit\"b\"+? lit\"c\" end | regmust=\"c\""},
      {"g", u"a*b+?c", "lit\"a\"* lit\"b\"+? lit\"c\" end | regmust=\"c\""},
      {"i", u"AbÄ", "ilit\"ab\\u00E4\" end"},
      {"x", u"a b # comment\n c *", "lit\"ab\" lit\"c\"* end | regstart=a"},
      {"x", u"a\\ b", "lit\"a b\" end | regstart=a"},
  };
  for (const auto& c : kCases) {
    TMatcher m;
    m.SetModifierStr(c.Modifiers);
    m.SetExpression(c.Pattern);
    EXPECT_EQ(m.Dump(), c.Program) << c.Modifiers << " " << Show(c.Pattern);
  }
}

struct CompileErrorCase {
  std::u16string_view Pattern;
  int Code;
  int Pos;
};

TEST(MatcherCompile, Errors) {
  const CompileErrorCase kCases[] = {
      // Repetition of something that can match nothing, of nothing, and of a repetition
      {u"()*", mecRepeatEmpty, 3},
      {u"(a*?)+", mecRepeatEmpty, 6},
      {u"*a", mecRepeatNothing, 1},
      {u"(+a)", mecRepeatNothing, 2},
      {u"a**", mecNestedRepeat, 3},
      {u"a*??", mecNestedRepeat, 4},
      {u"a?+", mecNestedRepeat, 3},
      // Groups
      {u"(a", mecMissingClose, 3},
      {u"((a)", mecMissingClose, 5},
      {u"a)", mecUnmatchedClose, 2},
      {u"(1)(2)(3)(4)(5)(6)(7)(8)(9)(10)(11)(12)(13)(14)(15)", mecTooManyGroups, 48},
      {u"a\\", mecTrailingBackslash, 2},
      // Constructs the sources do not use
      {u"a|b", mecUnsupported, 2},
      {u"(a|b)", mecUnsupported, 3},
      {u"^a", mecUnsupported, 1},
      {u"a$", mecUnsupported, 2},
      {u"[ab]", mecUnsupported, 1},
      {u"a{2}", mecUnsupported, 2},
      {u"(ab)*", mecUnsupported, 5},
      {u"(a)?", mecUnsupported, 4},
      {u"(?:a)", mecUnsupported, 2},
      {u"\\w", mecUnsupported, 1},
      {u"\\1", mecUnsupported, 1},
      {u"a\\b", mecUnsupported, 2},
  };
  for (const auto& c : kCases) {
    TMatcher m;
    m.SetExpression(c.Pattern);
    try {
      m.Exec(u"ab");
      ADD_FAILURE() << "no error for " << Show(c.Pattern);
    } catch (const EMatcher& e) {
      EXPECT_EQ(e.ErrorCode, c.Code) << Show(c.Pattern);
      EXPECT_EQ(e.CompilerErrorPos, c.Pos) << Show(c.Pattern);
      EXPECT_EQ(e.what(), m.ErrorMsg(c.Code) + " (pos " + std::to_string(c.Pos) + ")");
      EXPECT_EQ(m.LastError(), c.Code);
    }
  }
}

TEST(MatcherCompile, FourteenGroupsCompile) {
  TMatcher m;
  m.SetExpression(u"(1)(2)(3)(4)(5)(6)(7)(8)(9)(a)(b)(c)(d)(e)");
  ASSERT_TRUE(m.Exec(u"123456789abcde"));
  EXPECT_EQ(m.Match(14), u"e");
  EXPECT_EQ(m.MatchPos(14), 14);
  EXPECT_EQ(m.Match(15), u"");
  EXPECT_EQ(m.MatchPos(15), -1);
}

// One search with Exec, then ExecNext until it gives false. Each expected match is its 1-based
// position, Match[0] and Match[1].
struct Found {
  int Pos;
  std::u16string_view Whole, Group;
};
struct SearchCase {
  std::u16string_view Pattern;
  std::u16string_view Line;
  std::vector<Found> Matches;
};

void ExpectSearch(const SearchCase& c) {
  TMatcher m;
  m.SetExpression(c.Pattern);
  bool found = m.Exec(c.Line);
  for (const Found& expected : c.Matches) {
    ASSERT_TRUE(found) << Show(c.Pattern) << " on " << Show(c.Line);
    EXPECT_EQ(m.MatchPos(0), expected.Pos) << Show(c.Pattern) << " on " << Show(c.Line);
    EXPECT_EQ(m.Match(0), expected.Whole) << Show(c.Pattern) << " on " << Show(c.Line);
    EXPECT_EQ(m.MatchLen(0), static_cast<int>(expected.Whole.size()));
    EXPECT_EQ(m.Match(1), expected.Group) << Show(c.Pattern) << " on " << Show(c.Line);
    // the view is the caller's own units, not a copy
    EXPECT_EQ(m.MatchView(0).data(), c.Line.data() + expected.Pos - 1) << Show(c.Pattern);
    EXPECT_EQ(m.MatchView(0), expected.Whole) << Show(c.Pattern) << " on " << Show(c.Line);
    found = m.ExecNext();
  }
  EXPECT_FALSE(found) << Show(c.Pattern) << " on " << Show(c.Line);
  EXPECT_TRUE(m.MatchView(0).empty());
  EXPECT_EQ(m.Match(0), u"");
  EXPECT_EQ(m.MatchPos(0), -1);
  EXPECT_EQ(m.MatchLen(1), -1);
}

TEST(MatcherSearch, FiveOcean) {
  const SearchCase kCases[] = {
      {kOceanLink,
       u"<a href=x target=_blank\">UA1AAA</a> <a target=_blank\">UA2BBB</a>",
       {{18, u"_blank\">UA1AAA</a>", u"UA1AAA"}, {47, u"_blank\">UA2BBB</a>", u"UA2BBB"}}},
      {kOceanLink, u"x _blank\">UA1AAA", {}},
      {kOceanLink, u"</a> _blank\">", {}},
      {kOceanLink, u"_blank\"></a>", {{1, u"_blank\"></a>", u""}}},
      {kOceanLink, u"_blank\">_blank\">K</a>", {{1, u"_blank\">_blank\">K</a>", u"_blank\">K"}}},
      {kOceanCell, u"<td style=\"x;\">UR5AAA</a></td>", {{13, u";\">UR5AAA</a>", u"UR5AAA"}}},
      {kOceanCell, u"", {}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherSearch, Arck) {
  const SearchCase kCases[] = {
      // An inner opening literal belongs to the middle part
      {kArck, u"<br>A<br>B&nbsp", {{1, u"<br>A<br>B&nbsp", u"A<br>B"}}},
      // Two pairs: Exec finds the first, ExecNext the second
      {kArck,
       u"<br>UA1AAA&nbsp;<br>UA2BBB&nbsp;",
       {{1, u"<br>UA1AAA&nbsp", u"UA1AAA"}, {17, u"<br>UA2BBB&nbsp", u"UA2BBB"}}},
      {kArck, u"&nbsp<br>x", {}},
      {kArck, u"<br>&nbsp<br>&nbsp", {{1, u"<br>&nbsp", u""}, {10, u"<br>&nbsp", u""}}},
      // Case matters
      {kArck, u"<BR>x&nbsp", {}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherSearch, Kdr) {
  const SearchCase kCases[] = {
      {kKdrBold,
       u"<td><b>UA1AAA</b> <a href=\"m\">",
       {{5, u"<b>UA1AAA</b> <a href=", u"UA1AAA</b> "}}},
      {kKdrBold, u"<b>UA1AAA <a href", {}},
      {kKdrLink, u"target=\"_blank\">UA1AAA<a/>", {{9, u"_blank\">UA1AAA<a/>", u"UA1AAA"}}},
      {kKdrLink, u"_blank\">UA1AAA</a>", {}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherSearch, RadioWave) {
  const SearchCase kCases[] = {
      {kRadioWave,
       u"<td class=\"col1\"><a>UT1A</a></td><td class=\"col1\"><a>UT2B</a>",
       {{1, u"<td class=\"col1\"><a>UT1A</a>", u"><a>UT1A"},
        {34, u"<td class=\"col1\"><a>UT2B</a>", u"><a>UT2B"}}},
      {kRadioWave, u"<td class=\"col2\"><a>UT1A</a>", {}},
      {kRadioWave, u"<td class=\"col1\"></a", {}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherSearch, Rcpw) {
  const SearchCase kCases[] = {
      // The first centred cell has no digit: the match runs through the second cell's end
      {kRcpw,
       u"<td align=center>SP</td><td align=center>SP9ABC</td>",
       {{1, u"<td align=center>SP</td><td align=center>SP9ABC</td>",
         u"SP</td><td align=center>SP9ABC"}}},
      {kRcpw, u"<td align=center>12</td>", {{1, u"<td align=center>12</td>", u"12"}}},
      // A digit with no closing literal after it does not count
      {kRcpw, u"<td align=center>ab</td>7", {}},
      {kRcpw, u"<td align=center>x</td>", {}},
      // Capitals do not match
      {kRcpw, u"<TD ALIGN=CENTER>1</td>", {}},
      // Non-ASCII digits are not digits
      {kRcpw, u"<td align=center>\u0661\uFF11</td>", {}},
      {kRcpw,
       u"<td align=center>\u06617</td>",
       {{1, u"<td align=center>\u06617</td>", u"\u06617"}}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherSearch, Rrc) {
  const SearchCase kCases[] = {
      {kRrcLink,
       u"<a href=\"a\">EA1</a>, <a href=\"b\">EA2</a>",
       {{1, u"<a href=\"a\">EA1</a>", u"=\"a\">EA1"},
        {22, u"<a href=\"b\">EA2</a>", u"=\"b\">EA2"}}},
      {kRrcLink, u"<a name=x>EA1</a>", {}},
      // Three pieces, two breaks: the piece after the last break is never matched
      {kRrcBreak,
       u"EA1AAA<br>EA2BBB<br>EA3CCC",
       {{1, u"EA1AAA<br>", u"EA1AAA"}, {11, u"EA2BBB<br>", u"EA2BBB"}}},
      {kRrcBreak, u"<br><br>", {{1, u"<br>", u""}, {5, u"<br>", u""}}},
      {kRrcBreak, u"no break", {}},
      {kRrcBreak, u"", {}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

// ExecNext gives up without a search when the last match leaves fewer units than the pattern's
// literals take: a match that fits exactly must still be found, one unit short must not.
TEST(MatcherSearch, NextMatchNeedsRoomForItsLiterals) {
  const SearchCase kCases[] = {
      {kRrcBreak, u"a<br><br>", {{1, u"a<br>", u"a"}, {6, u"<br>", u""}}},
      {kArck, u"<br>&nbsp<br>&nbsp", {{1, u"<br>&nbsp", u""}, {10, u"<br>&nbsp", u""}}},
      {kArck, u"<br>&nbsp<br>&nbs", {{1, u"<br>&nbsp", u""}}},
      {kRcpw,
       u"<td align=center>1</td><td align=center>2</td>",
       {{1, u"<td align=center>1</td>", u"1"}, {24, u"<td align=center>2</td>", u"2"}}},
      {kRcpw,
       u"<td align=center>1</td><td align=center>2</td",
       {{1, u"<td align=center>1</td>", u"1"}}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
  // The room is the pattern's now: a pattern set between the searches goes on from the last match
  TMatcher m;
  const std::u16string line = u"<br>1&nbsp<br>";
  m.SetExpression(kArck);
  ASSERT_TRUE(m.Exec(line));
  m.SetExpression(kRrcBreak);
  ASSERT_TRUE(m.ExecNext());
  EXPECT_EQ(m.MatchPos(0), 11);
  EXPECT_FALSE(m.ExecNext());
  EXPECT_EQ(m.MatchPos(1), -1);
  EXPECT_THROW(m.ExecNext(), EMatcher);
  EXPECT_EQ(m.LastError(), mecExecNextWithoutExec);
}

TEST(MatcherSearch, InputEndsAtFirstNul) {
  const std::u16string line = std::u16string(u"<br>x") + u'\0' + u"&nbsp";
  TMatcher m;
  m.SetExpression(kArck);
  EXPECT_FALSE(m.Exec(line));
  EXPECT_EQ(m.InputString(), line);
  const std::u16string before = std::u16string(u"<br>x&nbsp") + u'\0' + u"<br>y&nbsp";
  ASSERT_TRUE(m.Exec(before));
  EXPECT_EQ(m.Match(0), u"<br>x&nbsp");
  EXPECT_FALSE(m.ExecNext());
  // On a long line, the matches up to the cut and none across or after it, however far ahead
  // the search for the cut looked
  std::u16string pairs;
  for (int i = 0; i < 30; ++i) pairs += u"<br>R0AA&nbsp ";
  const std::u16string gap(70, u' ');
  const std::u16string longLine = pairs + gap + u"<br>R0X" + u'\0' + u"&nbsp " + gap + pairs;
  int found = 0;
  for (bool more = m.Exec(longLine); more; more = m.ExecNext()) ++found;
  EXPECT_EQ(found, 30);
  // "." stops at the cut as well
  m.SetExpression(u"a.");
  EXPECT_FALSE(m.Exec(std::u16string(u"a") + u'\0' + u"b"));
  // A text its caller says holds no U+0000 is not looked at for one: a U+0000 is an ordinary unit
  m.SetExpression(kArck);
  ASSERT_TRUE(m.ExecZeroFree(line));
  EXPECT_EQ(m.Match(0), line);
}

// Constructs beyond the nine patterns, each against an obvious result.
TEST(MatcherSearch, OtherConstructs) {
  const SearchCase kCases[] = {
      {u"a*", u"baa", {{1, u"", u""}, {2, u"aa", u""}, {4, u"", u""}}},
      {u"a*?", u"aa", {{1, u"", u""}, {2, u"", u""}, {3, u"", u""}}},
      {u"(a+)b", u"xaab", {{2, u"aab", u"aa"}}},
      {u"(a+?)a", u"aaa", {{1, u"aa", u"a"}}},
      {u"x(a?)a", u"xa", {{1, u"xa", u""}}},
      {u"x(a?)", u"xa", {{1, u"xa", u"a"}}},
      {u"x(a?\?)", u"xa", {{1, u"x", u""}}},
      {u"(\\d+)\\.(\\d*)", u"v 10.25", {{3, u"10.25", u"10"}}},
  };
  for (const auto& c : kCases) ExpectSearch(c);
}

TEST(MatcherModifiers, DefaultsAndLetters) {
  TMatcher m;
  EXPECT_EQ(m.ModifierStr(), "rsg-imx");
  EXPECT_FALSE(m.ModifierI());
  EXPECT_TRUE(m.ModifierR());
  EXPECT_TRUE(m.ModifierS());
  EXPECT_TRUE(m.ModifierG());
  EXPECT_FALSE(m.ModifierM());
  EXPECT_FALSE(m.ModifierX());
  m.SetModifierStr("ix-sg");
  EXPECT_EQ(m.ModifierStr(), "irx-sgm");
  m.SetModifierStr("S");
  EXPECT_EQ(m.ModifierStr(), "irsx-gm");
  try {
    m.SetModifierStr("iq");
    ADD_FAILURE() << "no error";
  } catch (const EMatcher& e) {
    EXPECT_EQ(e.ErrorCode, mecUnknownModifier);
    EXPECT_EQ(e.CompilerErrorPos, 0);
  }
  EXPECT_EQ(m.ModifierStr(), "irsx-gm");
}

TEST(MatcherModifiers, ChangeRecompilesBeforeTheNextSearch) {
  TMatcher m;
  m.SetExpression(u"a.c");
  EXPECT_TRUE(m.Exec(u"a\nc"));
  m.SetModifierS(false);
  for (const char16_t separator : TMatcher::LineSeparators())
    EXPECT_FALSE(m.Exec(std::u16string(u"a") + separator + u"c")) << int(separator);
  EXPECT_TRUE(m.Exec(u"a\tc"));
  m.SetModifierS(true);
  EXPECT_TRUE(m.Exec(u"a\u2028c"));

  m.SetExpression(u"Ab\u0416\u0401");
  EXPECT_FALSE(m.Exec(u"aB\u0436\u0451"));
  m.SetModifierI(true);
  EXPECT_TRUE(m.Exec(u"xaB\u0436\u0451"));
  EXPECT_EQ(m.MatchPos(0), 2);

  m.SetModifierI(false);
  m.SetExpression(u"<(.*)>");
  ASSERT_TRUE(m.Exec(u"<a><b>"));
  EXPECT_EQ(m.Match(0), u"<a><b>");
  m.SetModifierG(false);
  ASSERT_TRUE(m.Exec(u"<a><b>"));
  EXPECT_EQ(m.Match(0), u"<a>");
}

TEST(MatcherErrors, CallingOrder) {
  struct Case {
    void (*Call)(TMatcher&);
    int Code;
    const char* Message;
  };
  const Case kCases[] = {
      {[](TMatcher& m) { m.Exec(u"x"); }, 1003, "TMatcher(exec): Not Assigned Expression Property"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.ExecPos(1);
       },
       1005, "TMatcher(exec): No Input String Specified"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.SetInputString(u"x");
         m.ExecPos(0);
       },
       1006, "TMatcher(exec): Offset Must Be Greater Than 0"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.SetInputString(u"x");
         m.ExecPos(-2147483647 - 1);
       },
       1006, "TMatcher(exec): Offset Must Be Greater Than 0"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.ExecNext();
       },
       1007, "TMatcher(exec): ExecNext Without Exec[Pos]"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.Exec(u"y");
         m.ExecNext();
       },
       1007, "TMatcher(exec): ExecNext Without Exec[Pos]"},
      {[](TMatcher& m) {
         m.SetExpression(u"x");
         m.Exec(u"xx");
         m.SetInputString(u"xx");
         m.ExecNext();
       },
       1007, "TMatcher(exec): ExecNext Without Exec[Pos]"},
  };
  for (const auto& c : kCases) {
    TMatcher m;
    try {
      c.Call(m);
      ADD_FAILURE() << "no error " << c.Code;
    } catch (const EMatcher& e) {
      EXPECT_EQ(e.ErrorCode, c.Code);
      EXPECT_EQ(e.CompilerErrorPos, 0);
      EXPECT_STREQ(e.what(), c.Message);
      EXPECT_EQ(m.LastError(), c.Code);
    }
  }
}

TEST(MatcherSearch, ExecPosOffsets) {
  TMatcher m;
  m.SetExpression(u"a*");
  m.SetInputString(u"baa");
  ASSERT_TRUE(m.ExecPos(2));
  EXPECT_EQ(m.Match(0), u"aa");
  ASSERT_TRUE(m.ExecPos(4));  // just past the end: the empty match there
  EXPECT_EQ(m.MatchPos(0), 4);
  EXPECT_EQ(m.MatchLen(0), 0);
  EXPECT_FALSE(m.ExecNext());  // one further than the end
  EXPECT_FALSE(m.ExecPos(5));
  EXPECT_FALSE(m.ExecPos(2147483647));
  m.SetExpression(kArck);
  m.SetInputString(u"<br>1&nbsp<br>2&nbsp");
  ASSERT_TRUE(m.ExecPos(2));
  EXPECT_EQ(m.Match(1), u"2");
}

// Group 1 of the first match in line of the pattern set as given (a text or a constant).
template <typename TPattern>
std::u16string FirstGroup(TMatcher& m, const TPattern& pattern, std::u16string_view line) {
  m.SetExpression(pattern);
  return m.Exec(line) ? m.Match(1) : u"(no match)";
}

TEST(MatcherSearch, AlternatingPatternsKeepTheirResults) {
  TMatcher m;
  const std::u16string line = u"<b>x;\">UA1</a> _blank\">UA2</a>";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(FirstGroup(m, kOceanLink, line), u"UA2");
    EXPECT_EQ(FirstGroup(m, kOceanCell, line), u"UA1");
  }
  // A pattern that failed to compile fails again at every search
  m.SetExpression(u"(");
  EXPECT_THROW(m.Exec(line), EMatcher);
  m.SetExpression(u"(");
  EXPECT_THROW(m.Exec(line), EMatcher);
  m.SetExpression(kOceanCell);
  EXPECT_TRUE(m.Exec(line));
}

// A constant pattern is known again by its address, beside patterns handed over as texts: every
// way of setting one, in any order, searches with the pattern just set.
TEST(MatcherSearch, FixedPatternsAmongOthers) {
  TMatcher m;
  const std::u16string line = u"<b>x;\">UA1</a> _blank\">UA2</a>";
  const std::u16string linkCopy(patterns::kFiveOceanBlankLink.Units());  // same units elsewhere
  // As long as the styled link's pattern, so that a slot it left must not pass for it
  constexpr std::u16string_view kBold = u"<b>(.*?);\">U";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(FirstGroup(m, patterns::kFiveOceanBlankLink, line), u"UA2");
    EXPECT_EQ(FirstGroup(m, patterns::kFiveOceanStyledLink, line), u"UA1");
    EXPECT_EQ(FirstGroup(m, linkCopy, line), u"UA2");
    EXPECT_EQ(FirstGroup(m, kBold, line), u"x");
  }
  // A change of modifiers recompiles a constant pattern too
  static constexpr TFixedPattern kUpper{u"_BLANK\">(.*?)</A>"};
  m.SetExpression(kUpper);
  EXPECT_FALSE(m.Exec(line));
  m.SetModifierI(true);
  ASSERT_TRUE(m.Exec(line));
  EXPECT_EQ(m.Match(1), u"UA2");
  // A constant that fails to compile fails again at every search
  static constexpr TFixedPattern kBroken{u"("};
  for (int i = 0; i < 2; ++i) {
    m.SetExpression(kBroken);
    EXPECT_THROW(m.Exec(line), EMatcher);
  }
  m.SetExpression(patterns::kFiveOceanBlankLink);
  EXPECT_TRUE(m.Exec(line));
}

// Bytes of a code page: Latin-1, but for byte 0x80, which stands for U+0416 (so that 0x80 is
// the only byte of U+0416, and U+0080 has none), and byte 0x81, a second byte of U+00E9.
std::array<char16_t, 256> LatinBytes() {
  std::array<char16_t, 256> units{};
  for (size_t b = 0; b < units.size(); ++b) units[b] = static_cast<char16_t>(b);
  units[0x80] = u'\u0416';
  units[0x81] = u'\u00E9';
  return units;
}

// A pair is searched in the bytes when each unit of its literals has a byte of its own; any
// other pattern in the decoded units. Either way the matches are read in the bytes.
TEST(MatcherBytes, PairsSearchTheBytesOthersTheirUnits) {
  const struct {
    std::u16string_view Pattern;
    bool InBytes;
    std::vector<std::string> Matches;  // slot 1, or 0 without a group
  } cases[] = {
      {u"<td>(.*?)</td>", true, {"UA1", "\x80"}},
      {u"(.*?)</td>", true, {"<td>UA1", "<td>\x80"}},
      {u"<td>(.*?\\d.*?)</td>", true, {"UA1"}},
      {u"<td>(.*?)\u0416<", true, {"UA1</td><td>"}},
      {u"(.*?)\u00E9", false, {"<td>UA1</td><td>\x80</td>", ""}},  // U+00E9 at two bytes
      {u"(.*?)\u0080", false, {}},                                 // no byte at all
      {u"\\d+", false, {"1"}},
      {u"<td>", false, {"<td>", "<td>"}},
  };
  const std::string line = "<td>UA1</td><td>\x80</td>\xE9\x81";
  for (const auto& c : cases) {
    TMatcher m;
    m.SetByteUnits(LatinBytes());
    m.SetExpression(c.Pattern);
    EXPECT_EQ(m.SearchesBytes(), c.InBytes) << Show(c.Pattern);
    std::vector<std::string> matches;
    for (bool found = m.ExecBytes(line); found; found = m.ExecNext()) {
      matches.emplace_back(m.MatchBytes(m.MatchPos(1) > 0 ? 1 : 0));
      EXPECT_EQ(m.MatchView(0), c.InBytes ? u"" : m.MatchView(0)) << Show(c.Pattern);
    }
    EXPECT_EQ(matches, c.Matches) << Show(c.Pattern);
  }
}

TEST(MatcherBytes, OffsetsAndOtherSearchesAfterABytesSearch) {
  TMatcher m;
  m.SetByteUnits(LatinBytes());
  m.SetExpression(u"<b>(.*?)</b>");
  const std::string line = "<b>1</b><b>22</b>";
  ASSERT_TRUE(m.ExecBytes(line));
  ASSERT_TRUE(m.ExecPos(2));
  EXPECT_EQ(m.MatchBytes(1), "22");
  EXPECT_EQ(m.MatchPos(1), 12);
  EXPECT_FALSE(m.ExecPos(10));
  // A search of units reads its match in units only
  ASSERT_TRUE(m.Exec(u"<b>3</b>"));
  EXPECT_EQ(m.MatchView(1), u"3");
  EXPECT_EQ(m.MatchBytes(1), "");
  // A new pattern is searched in bytes with its own literals
  m.SetExpression(u"<i>(.*?)</i>");
  ASSERT_TRUE(m.ExecBytes("<b>1</b><i>4</i>"));
  EXPECT_EQ(m.MatchBytes(1), "4");
}

}  // namespace
}  // namespace brevak
