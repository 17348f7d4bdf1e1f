// TMemoryStream's storage: malloc for small buffers, a mapping of its own for large ones, and the
// one large buffer the process keeps between documents.
#include "base/memorystream.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
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

char* Map(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  return static_cast<char*>(p);
}

// The large buffer kept for the next large document. Its pages are marked free: the system
// takes them back when it needs memory, and until then writing to them reuses them.
struct TKeptBuffer {
  std::mutex Lock;
  char* Data = nullptr;
  std::size_t Bytes = 0;
};

TKeptBuffer& Kept() {
  static TKeptBuffer kept;
  return kept;
}

// Keeps a mapping let go of, when it is larger than the one kept so far; unmaps the other.
void Keep(char* data, std::size_t bytes) {
  madvise(data, bytes, MADV_FREE);
  TKeptBuffer& kept = Kept();
  std::lock_guard<std::mutex> guard(kept.Lock);
  if (kept.Data && kept.Bytes >= bytes) {
    munmap(data, bytes);
    return;
  }
  if (kept.Data) munmap(kept.Data, kept.Bytes);
  kept.Data = data;
  kept.Bytes = bytes;
}

// A mapping of at least bytes: the kept one (grown when it is smaller), else a fresh one.
std::pair<char*, std::size_t> TakeMapping(std::size_t bytes) {
  TKeptBuffer& kept = Kept();
  std::pair<char*, std::size_t> taken{nullptr, 0};
  {
    std::lock_guard<std::mutex> guard(kept.Lock);
    std::swap(taken.first, kept.Data);
    std::swap(taken.second, kept.Bytes);
  }
  if (taken.first && taken.second < bytes) {
    void* grown = mremap(taken.first, taken.second, bytes, MREMAP_MAYMOVE);
    if (grown == MAP_FAILED) {
      munmap(taken.first, taken.second);
      taken.first = nullptr;
    } else {
      taken = {static_cast<char*>(grown), bytes};
    }
  }
  if (!taken.first) taken = {Map(bytes), bytes};
  AdviseHugePages(taken.first, taken.second);
  return taken;
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
    Keep(FData, FCapacity);
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
  auto [data, capacity] = TakeMapping(bytes);
  if (FSize > 0) std::memcpy(data, FData, FSize);
  std::free(FData);
  FData = data;
  FCapacity = capacity;
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

void TMemoryStream::Truncate(std::size_t size) {
  if (size >= FSize) return;
  FSize = size;
  if (FPosition > FSize) FPosition = FSize;
}

}  // namespace brevak
