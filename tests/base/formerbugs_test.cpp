// Regression tests for faults the shared pieces once had, one line each on what broke.
#include <gtest/gtest.h>

#include <string>

#include "base/memorystream.h"

namespace brevak {
namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// The huge-page hint marked only the whole huge pages inside a large buffer's mapping, which cut
// the mapping in three wherever it did not start and end on a huge page, which the system does
// not promise; growing it then failed as "out of memory", and with it the fetch of a body of more
// than 8 MB that grows as it arrives.
TEST(FormerBugs, BufferGrowsFromASizeBetweenHugePages) {
  TMemoryStream stream;
  stream.Reserve(9 * kMiB + 4096);
  std::string bytes(9 * kMiB + 100, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 12));
  stream.Write(bytes);
  stream.Reserve(20 * kMiB + 4096);
  EXPECT_GE(stream.Capacity(), 20 * kMiB);
  EXPECT_TRUE(stream.Bytes() == bytes);
}

}  // namespace
}  // namespace brevak
