// Edge behaviour of the string operations the line rules are written in.
#include "text/textops.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "text/textfind.h"

namespace brevak {
namespace {

std::string Show(std::u16string_view text) {
  return ::testing::PrintToString(std::u16string(text));
}

struct PosCase {
  std::u16string_view Piece, Text;
  int32_t Expected;
};

TEST(TextPos, Table) {
  const PosCase kCases[] = {
      // Empty and too long
      {u"", u"abc", 0},
      {u"a", u"", 0},
      {u"", u"", 0},
      {u"abcd", u"abc", 0},
      // Leftmost occurrence
      {u"b", u"abcb", 2},
      {u"ab", u"aab", 2},
      {u"abc", u"abc", 1},
      {u"c", u"abc", 3},
      {u"aab", u"aaab", 2},
      {u"x", u"abc", 0},
      // Exact units: case, surrogates, NUL
      {u"call=", u"CALL=UA1AAA", 0},
      {u"\xDE00", u"\xD83D\xDE00", 2},
      {std::u16string_view(u"\0b", 2), std::u16string_view(u"a\0b", 3), 2},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(TextPos(c.Piece, c.Text), c.Expected) << Show(c.Piece) << " in " << Show(c.Text);
    EXPECT_EQ(TextPos(TUnitFinder(c.Piece), c.Text), c.Expected) << "prepared " << Show(c.Piece);
  }
}

// A text, an index and a count, and the text that results.
struct RangeCase {
  std::u16string_view Text;
  int32_t Index, Count;
  std::u16string_view Expected;
};

TEST(TextCopy, Table) {
  const RangeCase kCases[] = {
      {u"abcdef", 2, 3, u"bcd"},
      {u"abcdef", 1, 6, u"abcdef"},
      // Index below 1 starts at the first unit without shortening the count
      {u"abcdef", 0, 3, u"abc"},
      {u"abcdef", -5, 2, u"ab"},
      {u"abcdef", INT32_MIN, 3, u"abc"},
      // Index at or past the end
      {u"abcdef", 6, 5, u"f"},
      {u"abcdef", 7, 1, u""},
      {u"abcdef", INT32_MAX, INT32_MAX, u""},
      // Counts
      {u"abcdef", 3, 0, u""},
      {u"abcdef", 3, -1, u""},
      {u"abcdef", 3, INT32_MIN, u""},
      {u"abcdef", 3, 100, u"cdef"},
      {u"abcdef", 2, INT32_MAX, u"bcdef"},
      {u"abcdef", 0, INT32_MAX, u"abcdef"},
      {u"", 1, 1, u""},
      {u"", 0, INT32_MAX, u""},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(TextCopy(c.Text, c.Index, c.Count), c.Expected)
        << Show(c.Text) << " " << c.Index << " " << c.Count;
}

TEST(TextCopy, AfterFirstDotIdiom) {
  auto afterDot = [](std::u16string_view t) {
    return TextCopy(t, TextPos(u".", t) + 1, static_cast<int32_t>(t.size()) - TextPos(u".", t));
  };
  EXPECT_EQ(afterDot(u"abc"), u"abc");
  EXPECT_EQ(afterDot(u"abc."), u"");
  EXPECT_EQ(afterDot(u"ab.cd.e"), u"cd.e");
}

TEST(TextDelete, Table) {
  const RangeCase kCases[] = {
      {u"abcdef", 2, 3, u"aef"},
      {u"abcdef", 1, 1, u"bcdef"},
      {u"abcdef", 6, 1, u"abcde"},
      {u"abcdef", 5, 100, u"abcd"},
      {u"abcdef", 1, 100, u""},
      {u"abcdef", 1, INT32_MAX, u""},
      {u"abcdef", 3, INT32_MAX, u"ab"},
      // Nothing happens: index below 1 is not moved, index past end, count 0 or less
      {u"abcdef", 0, 3, u"abcdef"},
      {u"abcdef", -1, 3, u"abcdef"},
      {u"abcdef", INT32_MIN, INT32_MAX, u"abcdef"},
      {u"abcdef", 7, 1, u"abcdef"},
      {u"abcdef", INT32_MAX, 1, u"abcdef"},
      {u"abcdef", 1, 0, u"abcdef"},
      {u"abcdef", 1, -1, u"abcdef"},
      {u"", 1, 1, u""},
      {u"", 0, 0, u""},
  };
  for (const auto& c : kCases) {
    std::u16string s(c.Text);
    TextDelete(s, c.Index, c.Count);
    EXPECT_EQ(s, c.Expected) << Show(c.Text) << " " << c.Index << " " << c.Count;
    if (c.Index == 1) {  // the view form keeps the same units, as the tail of the caller's
      std::u16string_view v = c.Text;
      TextDeleteFirst(v, c.Count);
      EXPECT_EQ(v, c.Expected) << Show(c.Text) << " " << c.Count;
      EXPECT_EQ(v.data() + v.size(), c.Text.data() + c.Text.size()) << Show(c.Text);
    }
  }
}

TEST(TextDelete, UpToFirstCloseIdiom) {
  std::u16string with = u"<td>UA1AAA";
  TextDelete(with, 1, TextPos(u">", with));
  EXPECT_EQ(with, u"UA1AAA");
  std::u16string without = u"UA1AAA";
  TextDelete(without, 1, TextPos(u">", without));
  EXPECT_EQ(without, u"UA1AAA");
}

TEST(TextTrim, Table) {
  const std::pair<std::u16string_view, std::u16string_view> kCases[] = {
      {u"", u""},
      {u"abc", u"abc"},
      {u"  a b  ", u"a b"},
      {u"\t\r\n a\x01", u"a"},
      {u" \t\x1F\r\n ", u""},
      {std::u16string_view(u"\0a\0", 3), u"a"},
      // Only U+0020 and below count: no-break space and other spaces stay
      {u"\u00A0a\u00A0", u"\u00A0a\u00A0"},
      {u" \u3000a\u2028 ", u"\u3000a\u2028"},
      {u"!a!", u"!a!"},
  };
  for (const auto& [text, expected] : kCases) EXPECT_EQ(TextTrim(text), expected) << Show(text);
}

TEST(TextBefore, Table) {
  const std::tuple<std::u16string_view, std::u16string_view, std::u16string_view> kCases[] = {
      {u"UA1AAA<br>", u"<", u"UA1AAA"},
      {u"a<b<c", u"<", u"a"},
      {u"<b", u"<", u""},
      {u"UA1AAA", u"<", u""},
      {u"abc", u"", u""},
      {u"", u"<", u""},
      {u"key</a>rest", u"</a>", u"key"},
  };
  for (const auto& [text, delimiter, expected] : kCases)
    EXPECT_EQ(TextBefore(text, delimiter), expected) << Show(text);
}

TEST(TextEquals, Table) {
  EXPECT_TRUE(TextEquals(u"", u""));
  EXPECT_TRUE(TextEquals(u"ex", u"ex"));
  EXPECT_FALSE(TextEquals(u"EX", u"ex"));
  EXPECT_FALSE(TextEquals(u"ex", u"ex "));
  EXPECT_FALSE(TextEquals(u"", u" "));
  EXPECT_FALSE(TextEquals(std::u16string_view(u"a\0", 2), u"a"));
}

TEST(Join, IsConcatenation) { EXPECT_EQ(std::u16string(u"UA1AAA") + u"=" + u"ex", u"UA1AAA=ex"); }

struct WordStep {
  std::u16string_view Word;
  int32_t Position;
};

void ExpectWords(std::u16string_view line, int32_t start, std::initializer_list<WordStep> steps) {
  int32_t position = start;
  std::u16string word = u"stale";
  int call = 0;
  for (const auto& step : steps) {
    ReadWord(line, position, word);
    ++call;
    EXPECT_EQ(word, step.Word) << Show(line) << " call " << call;
    EXPECT_EQ(position, step.Position) << Show(line) << " call " << call;
  }
}

TEST(ReadWord, WalksAWholeLineWordByWord) {
  ExpectWords(u"  12 ex  UA1AAA", 1,
              {{u"12", 5}, {u"ex", 8}, {u"UA1AAA", 16}, {u"", 16}, {u"", 16}});
}

TEST(ReadWord, Edges) {
  // Empty line: position untouched
  ExpectWords(u"", 1, {{u"", 1}});
  ExpectWords(u"", 7, {{u"", 7}});
  // Spaces only: position runs to length + 1
  ExpectWords(u"   ", 1, {{u"", 4}, {u"", 4}});
  // Only U+0020 separates; tab and control codes are part of the word
  ExpectWords(u"7\tX", 1, {{u"7\tX", 4}});
  ExpectWords(u"a\u00A0b c", 1, {{u"a\u00A0b", 4}, {u"c", 6}});
  // No change of case
  ExpectWords(u"Ex", 1, {{u"Ex", 3}});
  // Starting inside a word reads its tail
  ExpectWords(u"abc def", 2, {{u"bc", 4}, {u"def", 8}});
  // Outside 1 .. length + 1 nothing is read and the position stays
  ExpectWords(u"abc", 5, {{u"", 5}});
  ExpectWords(u"abc", INT32_MAX, {{u"", INT32_MAX}});
  ExpectWords(u"abc", 0, {{u"", 0}});
  ExpectWords(u"abc", INT32_MIN, {{u"", INT32_MIN}});
}

// The vector search takes 8 to 32 places at a time, then the last ones in an overlapping vector;
// every length and every place of the needle, near misses included, must agree with a plain scan,
// in units and in bytes alike.
template <typename TUnit>
void ExpectFindsAsPlainSearch(std::u16string_view unitNeedle, const std::u16string& unitHay) {
  const std::basic_string<TUnit> needle(unitNeedle.begin(), unitNeedle.end());
  const std::basic_string<TUnit> hay(unitHay.begin(), unitHay.end());
  const auto where = [&] { return Show(unitNeedle) + " in " + Show(unitHay); };
  const TFinder<TUnit> finder(needle);
  EXPECT_EQ(finder.Find(hay), hay.find(needle)) << where();
  // From every offset: the units before it are read but never found
  for (size_t from = 0; from <= hay.size(); ++from) {
    ASSERT_EQ(finder.FindFrom(hay.data(), from, hay.size()), hay.find(needle, from))
        << where() << " from " << from;
    ASSERT_EQ(finder.template FindFrom<true>(hay.data(), from, hay.size()), hay.find(needle, from))
        << where() << " from " << from;
  }
  if (needle.size() == 1) {
    EXPECT_EQ(FindUnit(hay, needle[0]), hay.find(needle[0])) << where();
  }
  EXPECT_EQ(FindDigit(hay), hay.find_first_of(std::basic_string<TUnit>{'0', '1', '5', '9'}))
      << where();
}

TEST(FindUnits, AgreesWithPlainSearch) {
  std::mt19937 random(7);
  const std::u16string_view needles[] = {u"a",
                                         u"\0",
                                         u"ab",
                                         u"aba",
                                         u"</a>",
                                         u"a<b>/a<b",
                                         u"a<b>/a<b>",
                                         u"<td align=center>",
                                         u"<a href=\"/members/<a href=\"/members/"};
  for (const std::u16string_view needle : needles) {
    for (size_t length = 0; length < 140; ++length) {
      for (int round = 0; round < 30; ++round) {
        std::u16string hay;
        for (size_t i = 0; i < length; ++i) hay += u"ab<>/\0x1/9"[random() % 10];
        if (round % 2 == 0 && length >= needle.size())
          hay.replace(random() % (length - needle.size() + 1), needle.size(), needle);
        EXPECT_EQ(FindUnits(hay, needle), hay.find(needle)) << Show(needle) << " in " << Show(hay);
        ExpectFindsAsPlainSearch<char16_t>(needle, hay);
        ExpectFindsAsPlainSearch<char>(needle, hay);
      }
    }
  }
}

}  // namespace
}  // namespace brevak
