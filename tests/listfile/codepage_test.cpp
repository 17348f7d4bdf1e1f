#include "listfile/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace brevak {
namespace {

TEST(CodePage, EveryByteDecodesAndEncodesBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::u16string text = AnsiDecode(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(AnsiEncode(text), all);
}

TEST(CodePage, ChosenCharacters) {
  struct Case {
    unsigned char Byte;
    char16_t Unit;
  };
  const Case kCases[] = {
      {0x41, u'A'},      {0x0D, u'\r'}, {0x80, u'\u0402'},  // Ђ
      {0x88, u'\u20AC'},                                    // €
      {0x98, u'\u0098'},  // no character in the code page: passes through
      {0xA8, u'\u0401'},  // Ё
      {0xB9, u'\u2116'},  // №
      {0xC0, u'\u0410'},  // А
      {0xFF, u'\u044F'},  // я
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.Byte);
    EXPECT_EQ(kAnsiToUnicode[c.Byte], c.Unit);
    EXPECT_EQ(AnsiByteOf(c.Unit), c.Byte);
  }
}

TEST(CodePage, CharactersItCannotHoldBecomeQuestionMarks) {
  // é, the Greek alpha, a lone high and a lone low surrogate: one '?' each; the surrogate pair of
  // U+1F600 is one character and gives one '?'.
  EXPECT_EQ(AnsiEncode(u"a\u00E9\u03B1\xD800"
                       u"b\xDC00"
                       u"c\U0001F600d"),
            "a???b?c?d");
  EXPECT_EQ(AnsiEncode(u"UA1AAA=AGB \u21161"),
            "UA1AAA=AGB \xB9"
            "1");
}

// The converters take runs of ASCII and of the Russian alphabet by arithmetic, sixteen bytes or
// eight or sixteen units at a time, and the rest by table; mixed runs of every length must agree
// with the table alone.
TEST(CodePage, FastPathsAgreeWithTheTable) {
  std::mt19937 random(7);
  const std::u16string kPools[] = {u"AZaz09 ;=\r\n", u"\u0410\u044F\u0401\u0451\u2116",
                                   u"\u20AC\u0098\u00E9\U0001F600\xD800"};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    std::size_t length = random() % 80;
    for (std::size_t i = 0; i < length; ++i) {
      // Mostly one pool per round, so that whole runs of one kind occur.
      const std::u16string& pool = kPools[random() % 8 == 0 ? random() % 3 : round % 3];
      text += pool[random() % pool.size()];
    }
    std::string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
      bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                  text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      expected += static_cast<char>(AnsiByteOf(text[i]));
      if (pair) ++i;
    }
    std::string bytes = AnsiEncode(text);
    ASSERT_EQ(bytes, expected) << round;
    // The exact encode gives the same bytes up to the first unit the code page does not hold.
    std::size_t held = 0;
    while (held < text.size() && kAnsiToUnicode[AnsiByteOf(text[held])] == text[held]) ++held;
    std::string exact(text.size(), '\0');
    ASSERT_EQ(AnsiEncodeExactTo(text, exact.data()), held) << round;
    ASSERT_EQ(exact.substr(0, held), expected.substr(0, held)) << round;
    std::u16string decoded = AnsiDecode(bytes);
    ASSERT_EQ(decoded.size(), bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      ASSERT_EQ(decoded[i], kAnsiToUnicode[static_cast<unsigned char>(bytes[i])])
          << round << " " << i;
    }
  }
}

// Exactly the 256 units the bytes decode to are kept, wherever they stand in a text; every other
// unit, 0x98's neighbours, the surrogates and the characters that would become "?" included,
// stops the encode right there.
TEST(CodePage, ExactEncodeKeepsOnlyTheCodePagesCharacters) {
  std::vector<bool> held(0x10000);
  for (char16_t u : kAnsiToUnicode) held[u] = true;
  int kept = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    for (std::size_t before : {0, 5, 20, 40}) {
      std::u16string text(before, u'a');
      text += static_cast<char16_t>(u);
      text += u"0123456789";
      std::string out(text.size(), '\0');
      std::size_t n = AnsiEncodeExactTo(text, out.data());
      ASSERT_EQ(n, held[u] ? text.size() : before) << u << " " << before;
      if (held[u]) {
        ASSERT_EQ(out, AnsiEncode(text)) << u;
      }
    }
    kept += held[u] ? 1 : 0;
  }
  EXPECT_EQ(kept, 256);
}

}  // namespace
}  // namespace brevak
