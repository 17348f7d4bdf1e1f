// TMemoryStream's storage: malloc for small buffers, a mapping of its own for large ones.
#include "base/memorystream.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "base/hugepages.h"

namespace brevak {
namespace {

// From this size on a buffer gets a mapping of its own.
constexpr std::size_t kMapBytes = std::size_t(1) << 20;

std::size_t PageRound(std::size_t bytes) {
  static const auto kPage = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  if (bytes > SIZE_MAX - kPage) throw std::bad_alloc();
  return (bytes + kPage - 1) / kPage * kPage;
}

// A fresh mapping of bytes, backed by huge pages where the system can.
char* MapLarge(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  AdviseHugePages(p, bytes);
  return static_cast<char*>(p);
}

}  // namespace

TMemoryStream::~TMemoryStream() { Release(); }

TMemoryStream::TMemoryStream(TMemoryStream&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)),
      FSize(std::exchange(other.FSize, 0)),
      FCapacity(std::exchange(other.FCapacity, 0)),
      FPosition(std::exchange(other.FPosition, 0)),
      FMapped(std::exchange(other.FMapped, false)) {}

TMemoryStream& TMemoryStream::operator=(TMemoryStream&& other) noexcept {
  if (this != &other) {
    Release();
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
    FCapacity = std::exchange(other.FCapacity, 0);
    FPosition = std::exchange(other.FPosition, 0);
    FMapped = std::exchange(other.FMapped, false);
  }
  return *this;
}

void TMemoryStream::Release() {
  if (FMapped)
    munmap(FData, FCapacity);
  else
    std::free(FData);
  FData = nullptr;
  FSize = FCapacity = FPosition = 0;
  FMapped = false;
}

void TMemoryStream::Reserve(std::size_t total) {
  if (total <= FCapacity) return;
  if (total < kMapBytes) {
    void* p = std::realloc(FData, total);
    if (!p) throw std::bad_alloc();
    FData = static_cast<char*>(p);
    FCapacity = total;
    return;
  }
  const std::size_t bytes = PageRound(total);
  if (FMapped) {
    // The pages move with the mapping; nothing is copied.
    void* p = mremap(FData, FCapacity, bytes, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) throw std::bad_alloc();
    FData = static_cast<char*>(p);
    FCapacity = bytes;
    AdviseHugePages(FData, FCapacity);
    return;
  }
  char* data = MapLarge(bytes);
  if (FSize > 0) std::memcpy(data, FData, FSize);
  std::free(FData);
  FData = data;
  FCapacity = bytes;
  FMapped = true;
}

void TMemoryStream::ReserveMore(std::size_t count) {
  if (count <= FCapacity - FSize) return;
  if (count > SIZE_MAX / 2 - FSize) throw std::bad_alloc();
  const std::size_t need = FSize + count;
  Reserve(need > 2 * FCapacity ? need : 2 * FCapacity);
}

void TMemoryStream::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  ReserveMore(bytes.size());
  std::memcpy(FData + FSize, bytes.data(), bytes.size());
  FSize += bytes.size();
}

void TMemoryStream::DiscardBefore(std::size_t offset) {
  if (!FMapped) return;
  // Whole huge pages only: one that is cut goes on as small pages.
  const auto address = reinterpret_cast<std::uintptr_t>(FData);
  const std::uintptr_t end =
      (address + (offset < FSize ? offset : FSize)) & ~std::uintptr_t{kHugePageBytes - 1};
  // The mapping starts on a page boundary, so the range from its start is whole pages.
  if (end > address) madvise(FData, end - address, MADV_DONTNEED);
}

void TMemoryStream::Truncate(std::size_t size) {
  if (size >= FSize) return;
  FSize = size;
  if (FPosition > FSize) FPosition = FSize;
}

}  // namespace brevak
