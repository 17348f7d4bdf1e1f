// Large buffers backed by huge pages. Tested through the buffers that use it (TMemoryStream, the
// line lists' buffers).
#pragma once

#include <cstddef>

namespace brevak {

// The size of a huge page: what a buffer's pages are advised and let go in.
inline constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;

// Asks the system to back the whole 2 MB pages within a buffer of at least 8 MB by huge pages, so
// that filling it takes one page fault for every 2 MB instead of one for every 4 KB. Only a hint:
// the buffer works the same whether it is taken or not. Call it before the buffer is written.
void AdviseHugePages(const void* data, std::size_t bytes);

}  // namespace brevak
