#include "listfile/codepage.h"

#include <gtest/gtest.h>

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
    unsigned char byte;
    char16_t unit;
  };
  const Case kCases[] = {
      {0x41, u'A'},
      {0x0D, u'\r'},
      {0x80, u'\u0402'},  // Ђ
      {0x88, u'\u20AC'},  // €
      {0x98, u'\u0098'},  // no character in the code page: passes through
      {0xA8, u'\u0401'},  // Ё
      {0xB9, u'\u2116'},  // №
      {0xC0, u'\u0410'},  // А
      {0xFF, u'\u044F'},  // я
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.byte);
    EXPECT_EQ(kAnsiToUnicode[c.byte], c.unit);
    EXPECT_EQ(AnsiByteOf(c.unit), c.byte);
  }
}

TEST(CodePage, CharactersItCannotHoldBecomeQuestionMarks) {
  // é, the Greek alpha, a lone high and a lone low surrogate: one '?' each; the surrogate pair of
  // U+1F600 is one character and gives one '?'.
  EXPECT_EQ(AnsiEncode(u"a\u00E9\u03B1\xD800" u"b\xDC00" u"c\U0001F600d"), "a???b?c?d");
  EXPECT_EQ(AnsiEncode(u"UA1AAA=AGB \u21161"), "UA1AAA=AGB \xB9" "1");
}

}  // namespace
}  // namespace brevak
