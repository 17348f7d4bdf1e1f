// Regression tests for faults the list files once had, one line each on what broke.
#include <gtest/gtest.h>

#include <string>

#include "listfile/stringlist.h"

namespace brevak {
namespace {

std::string Saved(std::string_view loaded, const std::u16string& line) {
  TStringList list;
  TMemoryStream stream;
  stream.Write(loaded);
  list.LoadFromStream(stream);
  list.Add(line);
  return list.SaveToBytes();
}

// A save goes out in pieces of 65536 units. A character of two units whose first unit was the
// last of a piece was cut in two: two U+FFFD in UTF-8, two '?' in the code page.
TEST(FormerBugs, SurrogatePairOnThePieceCutStaysWhole) {
  const struct {
    const char* Name;
    std::string_view Loaded;
    std::string Character;
  } kCases[] = {
      {"UTF-8", "\xEF\xBB\xBFx", "\xF0\x9F\x98\x80"},
      {"code page", "x", "?"},
  };
  for (const auto& c : kCases) {
    // The pair's place in the piece depends on what precedes the line in the save (signature,
    // the loaded line and its line end), so every place around the cut is tried.
    for (std::size_t before = 65530; before <= 65537; ++before) {
      const std::u16string line = std::u16string(before, u'a') + u"\U0001F600" + u"b";
      const std::string expected =
          std::string(c.Loaded) + "\r\n" + std::string(before, 'a') + c.Character + "b\r\n";
      EXPECT_TRUE(Saved(c.Loaded, line) == expected) << c.Name << ", " << before << " units before";
    }
  }
}

}  // namespace
}  // namespace brevak
