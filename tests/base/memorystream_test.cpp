#include "base/memorystream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace brevak {
namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

std::string Pattern(std::size_t size, int seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 131 + seed + (i >> 12));
  return s;
}

// The bytes survive every way of growing: malloc'd, moved into a mapping, the mapping grown.
TEST(MemoryStream, GrowingKeepsTheBytes) {
  TMemoryStream stream;
  std::string expected;
  for (std::size_t piece :
       {std::size_t(10), 700 * std::size_t(1024), 600 * std::size_t(1024), 3 * kMiB}) {
    std::string bytes = Pattern(piece, static_cast<int>(piece));
    stream.Write(bytes);
    expected += bytes;
    ASSERT_TRUE(stream.Bytes() == expected) << "after " << piece;
  }
  stream.Reserve(40 * kMiB);
  EXPECT_GE(stream.Capacity(), 40 * kMiB);
  EXPECT_TRUE(stream.Bytes() == expected);

  // Written into the room, then counted.
  std::string more = Pattern(5 * kMiB, 7);
  std::memcpy(stream.Tail(), more.data(), more.size());
  stream.Extend(more.size());
  expected += more;
  EXPECT_TRUE(stream.Bytes() == expected);

  stream.SetPosition(expected.size() - 3);
  stream.Truncate(5);
  EXPECT_EQ(stream.Bytes(), expected.substr(0, 5));
  EXPECT_EQ(stream.Position(), 5u);
  EXPECT_EQ(stream.ReadToEnd(), "");

  TMemoryStream moved = std::move(stream);
  EXPECT_EQ(moved.Bytes(), expected.substr(0, 5));
  EXPECT_EQ(stream.Size(), 0u);  // NOLINT(bugprone-use-after-move): emptied by the move
  stream.Write("again");
  EXPECT_EQ(stream.Bytes(), "again");
}

// A body of many small chunks must not grow its buffer once per chunk (each growth of a mapping is
// a system call, each growth below it a copy); the first room asked for is exact.
// Discarding lets go of whole pages before the offset only: the bytes from the offset on, and
// the size, position and room, stay; a small buffer keeps everything.
TEST(MemoryStream, DiscardKeepsTheBytesFromTheOffsetOn) {
  for (std::size_t size : {std::size_t(300), 12 * kMiB}) {
    for (std::size_t offset :
         {std::size_t(0), std::size_t(100), 2 * kMiB - 1, 5 * kMiB + 7, 12 * kMiB, 20 * kMiB}) {
      TMemoryStream stream;
      const std::string bytes = Pattern(size, 5);
      stream.Write(bytes);
      stream.SetPosition(size / 3);
      const std::size_t capacity = stream.Capacity();
      stream.DiscardBefore(offset);
      const std::size_t kept = std::min(offset, size);
      ASSERT_TRUE(stream.Bytes().substr(kept) == std::string_view(bytes).substr(kept))
          << size << " " << offset;
      if (size < kMiB) {
        ASSERT_TRUE(stream.Bytes() == bytes);
      }
      EXPECT_EQ(stream.Size(), size);
      EXPECT_EQ(stream.Position(), size / 3);
      EXPECT_EQ(stream.Capacity(), capacity);
      // The buffer is still the stream's to write into.
      stream.Write("end");
      EXPECT_EQ(stream.Bytes().substr(size), "end");
    }
  }
}

TEST(MemoryStream, SmallAdditionsGrowGeometrically) {
  TMemoryStream stream;
  stream.ReserveMore(100);
  EXPECT_EQ(stream.Capacity(), 100u);
  int growths = 0;
  std::size_t capacity = stream.Capacity();
  for (int i = 0; i < 3000000; ++i) {
    stream.ReserveMore(1);
    *stream.Tail() = static_cast<char>(i);
    stream.Extend(1);
    if (stream.Capacity() != capacity) ++growths;
    capacity = stream.Capacity();
  }
  EXPECT_LE(growths, 20);
  EXPECT_EQ(stream.Bytes()[2999999], static_cast<char>(2999999));
}

}  // namespace
}  // namespace brevak
