// Huge pages by madvise: the system backs a range so marked by 2 MB pages where it can.
#include "base/hugepages.h"

#include <sys/mman.h>

#include <cstdint>

namespace brevak {

void AdviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
  if (bytes < 4 * kHuge) return;
  const auto address = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (address + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t end = (address + bytes) & ~(kHuge - 1);
  if (end <= begin) return;
  // The first whole page reached from the buffer's own pointer, not made from a number.
  char* first = const_cast<char*>(static_cast<const char*>(data)) + (begin - address);
  madvise(first, end - begin, MADV_HUGEPAGE);
}

}  // namespace brevak
