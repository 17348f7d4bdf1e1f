#include <gtest/gtest.h>

#include "listfile/memorystream.h"

TEST(MemoryStream, ReadsFromItsPositionToTheEnd) {
  brevak::TMemoryStream s;
  s.Write("abc");
  s.SetPosition(1);
  EXPECT_EQ(s.ReadToEnd(), "bc");
  EXPECT_EQ(s.Position(), 3u);
}
