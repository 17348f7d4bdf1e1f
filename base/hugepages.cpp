// Huge pages by madvise: the system backs a range so marked by 2 MB pages where it can.
#include "base/hugepages.h"

#include <sys/mman.h>

#include <cstdint>

namespace brevak {

void AdviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
  if (bytes < 4 * kHuge) return;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace brevak
