// The filter every outside text passes on its way into a message.
#include "base/showntext.h"

#include <gtest/gtest.h>

#include <string>

namespace brevak {
namespace {

struct TShownCase {
  const char* Name;
  std::string In;
  std::string Out;
};

TEST(ShownText, EscapesWhatCouldSteerTheDisplay) {
  const TShownCase cases[] = {
      {"plain ASCII and UTF-8 stay", "404 Не найдено <b>", "404 Не найдено <b>"},
      {"terminal escapes", "\x1B]0;title\x07\x1B[2J", "\\x1B]0;title\\x07\\x1B[2J"},
      {"line ends and tab", "a\r\nb\tc", "a\\x0D\\x0Ab\\x09c"},
      {"NUL and DEL", std::string("a\0b\x7F", 4), "a\\x00b\\x7F"},
      {"C1 control as UTF-8",
       "a\xC2\x9B"
       "2Jb",
       "a\\u009B2Jb"},
      {"bidi overrides and isolates", "x\xE2\x80\xAEtxt.exe\xE2\x81\xA6", "x\\u202Etxt.exe\\u2066"},
      {"Windows-1251 bytes are no UTF-8", "\xCF\xF0\xE8", "\\xCF\\xF0\\xE8"},
      {"overlong and surrogate forms", "\xC0\xAF\xED\xA0\x80", "\\xC0\\xAF\\xED\\xA0\\x80"},
      {"a sequence cut short at the end", "ok\xE2\x80", "ok\\xE2\\x80"},
      {"four-byte characters stay", "\xF0\x9F\x93\xBB", "\xF0\x9F\x93\xBB"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShownText(c.In), c.Out) << c.Name;
}

TEST(ShownText, CutsAfterTwoHundredCharactersNotBytes) {
  EXPECT_EQ(ShownText(std::string(200, 'a')), std::string(200, 'a'));
  EXPECT_EQ(ShownText(std::string(201, 'a')), std::string(200, 'a') + "...");

  std::string cyrillic;
  for (int i = 0; i < 300; ++i) cyrillic += "Ж";
  std::string kept;
  for (int i = 0; i < 200; ++i) kept += "Ж";
  EXPECT_EQ(ShownText(cyrillic), kept + "...");

  // An escape stands for one character; a 900 KB answer of escapes stays short.
  EXPECT_EQ(ShownText(std::string(std::size_t{900} * 1024, '\x1B')).size(),
            std::size_t{200} * 4 + 3);
}

}  // namespace
}  // namespace brevak
