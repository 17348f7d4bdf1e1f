// Huge pages by madvise: the system backs a range so marked by 2 MB pages where it can.
#include "base/hugepages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace brevak {

void AdviseHugePages(const void* data, std::size_t bytes) {
  if (bytes < 4 * kHugePageBytes) return;
  // The whole pages within the buffer, not only its whole huge pages: the system puts huge pages
  // only where a whole one fits anyway, and a mapping of its own that is advised whole stays one
  // piece that mremap can still grow. Advising only its aligned middle would split it in three,
  // and growing a mapping that is split fails.
  static const auto kPage = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto address = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (address + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t end = (address + bytes) & ~(kPage - 1);
  if (end <= begin) return;
  // The first whole page reached from the buffer's own pointer, not made from a number.
  char* first = const_cast<char*>(static_cast<const char*>(data)) + (begin - address);
  madvise(first, end - begin, MADV_HUGEPAGE);
}

}  // namespace brevak
