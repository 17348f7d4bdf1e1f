#include "listfile/utf.h"

#include <gtest/gtest.h>

#include <optional>

namespace brevak {
namespace {

std::optional<std::u16string> DecodeStrict(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  char16_t* end = Utf8DecodeStrictTo(bytes, out.data());
  if (end == nullptr) return std::nullopt;
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

TEST(Utf8, StrictDecoding) {
  struct Case {
    std::string_view Bytes;
    std::optional<std::u16string> Text;
  };
  const Case kCases[] = {
      // Valid
      {"", u""},
      {"plain ASCII longer than eight bytes", u"plain ASCII longer than eight bytes"},
      {"\xD0\x90\xE2\x84\x96", u"\u0410\u2116"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      // Overlong forms
      {"\xC0\x80", std::nullopt},
      {"\xC1\xBF", std::nullopt},
      {"\xE0\x9F\xBF", std::nullopt},
      {"\xF0\x8F\xBF\xBF", std::nullopt},
      // Surrogates and values above U+10FFFF
      {"\xED\xA0\x80", std::nullopt},
      {"\xED\xBF\xBF", std::nullopt},
      {"\xF4\x90\x80\x80", std::nullopt},
      {"\xF5\x80\x80\x80", std::nullopt},
      // Broken sequences
      {"\x80", std::nullopt},
      {"x\xC3", std::nullopt},
      {"\xE2\x84", std::nullopt},
      {"\xC3y", std::nullopt},
      {"abcdefgh\xC3"
       "abcdefgh",
       std::nullopt},
      {"\xFF", std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.Bytes)));
    EXPECT_EQ(DecodeStrict(c.Bytes), c.Text);
  }
}

TEST(Utf8, LenientDecodingReplacesEachBadByte) {
  EXPECT_EQ(Utf8Decode("a\xC3"
                       "b\xED\xA0\x80"),
            u"a\uFFFDb\uFFFD\uFFFD\uFFFD");
}

TEST(Utf8, Encoding) {
  EXPECT_EQ(Utf8Encode(u"a\u0410\u2116\U0001F600"), "a\xD0\x90\xE2\x84\x96\xF0\x9F\x98\x80");
  // A lone surrogate has no UTF-8 form.
  EXPECT_EQ(Utf8Encode(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(Utf16, BothByteOrdersDropAStrayByte) {
  std::u16string out(2, u'\0');
  EXPECT_EQ(Utf16DecodeTo(std::string_view("\x10\x04\x16\x21\x41", 5), TByteOrder::LittleEndian,
                          out.data()) -
                out.data(),
            2);
  EXPECT_EQ(out, u"\u0410\u2116");
  EXPECT_EQ(Utf16DecodeTo(std::string_view("\x04\x10\x21\x16\x41", 5), TByteOrder::BigEndian,
                          out.data()) -
                out.data(),
            2);
  EXPECT_EQ(out, u"\u0410\u2116");
  char bytes[4];
  Utf16EncodeTo(u"\u0410\u2116", TByteOrder::BigEndian, bytes);
  EXPECT_EQ(std::string(bytes, 4), std::string("\x04\x10\x21\x16", 4));
}

}  // namespace
}  // namespace brevak
