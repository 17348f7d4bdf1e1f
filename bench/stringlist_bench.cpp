// Line lists on a 100 MB Windows-1251 document: a load from the file and a save to a new one,
// beside baselines that do only the least any load must do:
//  - BM_Baseline_SplitAndDecode: the bytes (already in memory) split at line ends and decoded by
//    table into one buffer allocated once, a vector of 32 bytes at a time (AVX2 where the
//    processor has it, else 16 with SSE2): line ends found by a compare and a mask, bytes below
//    0x80 widened in the vector, others through the table;
//  - BM_Baseline_ReadSplitAndDecode: the same after reading the file into memory, the baseline of
//    LoadFromFile;
//  - BM_Baseline_LoadAndWrite: that, then the same bytes written to a new file with write() and
//    made durable with fsync(), as the list file's save makes its file: the baseline of
//    LoadFromFile + SaveToFile (which itself does not fsync).
// A list in the code page keeps the file's bytes as its text and decodes a line only when it is
// read, so its load does less than the baselines above; the fair ones for it leave the decode out:
//  - BM_Baseline_ReadAndSplit: the file read into memory and split at line ends, as
//    BM_Baseline_ReadSplitAndDecode without the decode;
//  - BM_Baseline_ReadSplitAndWrite: that, then written and made durable as in
//    BM_Baseline_LoadAndWrite.
// Temporary files live in /tmp and are removed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <immintrin.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "listfile/codepage.h"
#include "listfile/fileio.h"
#include "listfile/stringlist.h"

namespace brevak {
namespace {

constexpr std::size_t kDocumentBytes = 100u << 20;

// Member lines as a club's list has them: a callsign, a name in Cyrillic, a town, a number.
std::string MakeDocument() {
  static const char* const kNames[] = {"\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED",
                                       "\xCF\xE5\xF2\xF0\xEE\xE2 \xCF\xB8\xF2\xF0",
                                       "\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xD1\xE8\xE4\xEE\xF0"};
  static const char* const kTowns[] = {"\xCC\xEE\xF1\xEA\xE2\xE0", "Kyiv", "\xCA\xE8\xE5\xE2"};
  std::mt19937 random(1);
  std::string doc;
  doc.reserve(kDocumentBytes + 128);
  char line[128];
  while (doc.size() < kDocumentBytes) {
    unsigned r = static_cast<unsigned>(random());
    int n = std::snprintf(line, sizeof line, "U%c%u%c%c%c;%s;%s;\xB9%u\r\n", 'A' + r % 8, r % 10,
                          'A' + (r >> 4) % 26, 'A' + (r >> 9) % 26, 'A' + (r >> 14) % 26,
                          kNames[r % 3], kTowns[(r >> 20) % 3], r % 5000);
    doc.append(line, static_cast<std::size_t>(n));
  }
  return doc;
}

struct TFiles {
  std::string Document = MakeDocument();
  std::string In = "/tmp/brevak-bench-" + std::to_string(getpid()) + "-in.txt";
  std::string Out = "/tmp/brevak-bench-" + std::to_string(getpid()) + "-out.txt";
  TFiles() { WriteWholeFile(In, Document); }
  ~TFiles() {
    std::remove(In.c_str());
    std::remove(Out.c_str());
  }
};

TFiles* gFiles = nullptr;

// One buffer for the decoded units and one for the line starts, allocated once.
struct TBaselineBuffers {
  std::unique_ptr<char16_t[]> Units;
  std::vector<std::uint32_t> LineEnds;  // offset of every LF in the document
  explicit TBaselineBuffers(std::size_t bytes)
      : Units(std::make_unique_for_overwrite<char16_t[]>(bytes + 32)) {
    LineEnds.reserve(bytes / 16);
  }
};

// Inlined into a function of V's instruction set; the vector types in its signature are never
// passed across a call, hence no ABI warning is wanted.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
template <typename V, bool kDecode = true>
[[gnu::always_inline]] inline std::size_t SplitAndDecode(const char* p, std::size_t n,
                                                         TBaselineBuffers& out) {
  char16_t* units = out.Units.get();
  std::uint32_t* ends = out.LineEnds.data();
  std::size_t lines = 0;
  const typename V::T lf = V::Set1('\n');
  std::size_t i = 0;
  for (; i + V::kBytes <= n; i += V::kBytes) {
    const typename V::T v = V::Load(p + i);
    for (std::uint32_t mask = V::Mask(V::Eq(v, lf)); mask != 0; mask &= mask - 1)
      ends[lines++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(__builtin_ctz(mask)));
    if constexpr (!kDecode) {
      continue;
    } else if (V::Mask(v) == 0) {
      V::Widen(units + i, v);
    } else {
      for (std::size_t k = 0; k < V::kBytes; ++k)
        units[i + k] = kAnsiToUnicode[static_cast<unsigned char>(p[i + k])];
    }
  }
  for (; i < n; ++i) {
    if (p[i] == '\n') ends[lines++] = static_cast<std::uint32_t>(i);
    if constexpr (kDecode) units[i] = kAnsiToUnicode[static_cast<unsigned char>(p[i])];
  }
  return lines;
}
#pragma GCC diagnostic pop

struct TSse2 {
  using T = __m128i;
  static constexpr std::size_t kBytes = 16;
  static T Set1(char c) { return _mm_set1_epi8(c); }
  static T Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
  static std::uint32_t Mask(T a) { return static_cast<std::uint32_t>(_mm_movemask_epi8(a)); }
  static void Widen(char16_t* out, T v) {
    const T zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<T*>(out), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<T*>(out + 8), _mm_unpackhi_epi8(v, zero));
  }
};

#pragma GCC push_options
#pragma GCC target("avx2")
struct TAvx2 {
  using T = __m256i;
  static constexpr std::size_t kBytes = 32;
  static T Set1(char c) { return _mm256_set1_epi8(c); }
  static T Load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
  static std::uint32_t Mask(T a) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(a)); }
  static void Widen(char16_t* out, T v) {
    _mm256_storeu_si256(reinterpret_cast<T*>(out), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v)));
    _mm256_storeu_si256(reinterpret_cast<T*>(out + 16),
                        _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v, 1)));
  }
};
std::size_t SplitAndDecodeAvx2(const char* p, std::size_t n, TBaselineBuffers& out) {
  return SplitAndDecode<TAvx2>(p, n, out);
}
std::size_t SplitAvx2(const char* p, std::size_t n, TBaselineBuffers& out) {
  return SplitAndDecode<TAvx2, false>(p, n, out);
}
#pragma GCC pop_options

std::size_t SplitAndDecodeAny(const char* p, std::size_t n, TBaselineBuffers& out) {
  static const bool kAvx2 = __builtin_cpu_supports("avx2") != 0;
  return kAvx2 ? SplitAndDecodeAvx2(p, n, out) : SplitAndDecode<TSse2>(p, n, out);
}

std::size_t SplitAny(const char* p, std::size_t n, TBaselineBuffers& out) {
  static const bool kAvx2 = __builtin_cpu_supports("avx2") != 0;
  return kAvx2 ? SplitAvx2(p, n, out) : SplitAndDecode<TSse2, false>(p, n, out);
}

void BM_Baseline_SplitAndDecode(benchmark::State& state) {
  const std::string& doc = gFiles->Document;
  TBaselineBuffers buffers(doc.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(SplitAndDecodeAny(doc.data(), doc.size(), buffers));
    benchmark::DoNotOptimize(buffers.Units.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_Baseline_SplitAndDecode)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReadSplitAndDecode(benchmark::State& state) {
  TBaselineBuffers buffers(gFiles->Document.size());
  for (auto _ : state) {
    TBytes bytes;
    ReadWholeFile(gFiles->In, bytes);
    benchmark::DoNotOptimize(SplitAndDecodeAny(bytes.View().data(), bytes.View().size(), buffers));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_Baseline_ReadSplitAndDecode)->Unit(benchmark::kMillisecond);

// Reads the input file, splits it with split, and writes its bytes to the output file as the list
// file's save makes its file durable.
template <typename TSplit>
void ReadSplitAndWrite(TSplit split, TBaselineBuffers& buffers) {
  TBytes bytes;
  ReadWholeFile(gFiles->In, bytes);
  const std::string_view view = bytes.View();
  benchmark::DoNotOptimize(split(view.data(), view.size(), buffers));
  const int fd = open(gFiles->Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (std::size_t done = 0; done < view.size();) {
    const ssize_t n = write(fd, view.data() + done, view.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  fsync(fd);
  close(fd);
}

void BM_Baseline_LoadAndWrite(benchmark::State& state) {
  TBaselineBuffers buffers(gFiles->Document.size());
  for (auto _ : state) ReadSplitAndWrite(SplitAndDecodeAny, buffers);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_Baseline_LoadAndWrite)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReadAndSplit(benchmark::State& state) {
  TBaselineBuffers buffers(gFiles->Document.size());
  for (auto _ : state) {
    TBytes bytes;
    ReadWholeFile(gFiles->In, bytes);
    benchmark::DoNotOptimize(SplitAny(bytes.View().data(), bytes.View().size(), buffers));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_Baseline_ReadAndSplit)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReadSplitAndWrite(benchmark::State& state) {
  TBaselineBuffers buffers(gFiles->Document.size());
  for (auto _ : state) ReadSplitAndWrite(SplitAny, buffers);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_Baseline_ReadSplitAndWrite)->Unit(benchmark::kMillisecond);

void BM_LoadFromFileAndSaveToFile(benchmark::State& state) {
  for (auto _ : state) {
    TStringList list;
    list.LoadFromFile(gFiles->In);
    list.SaveToFile(gFiles->Out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_LoadFromFileAndSaveToFile)->Unit(benchmark::kMillisecond);

// The parts on their own: the load, the save, and the file input and output alone.
void BM_LoadFromFile(benchmark::State& state) {
  for (auto _ : state) {
    TStringList list;
    list.LoadFromFile(gFiles->In);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State& state) {
  TStringList list;
  list.LoadFromFile(gFiles->In);
  for (auto _ : state) list.SaveToFile(gFiles->Out);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

void BM_ReadAndWriteFileOnly(benchmark::State& state) {
  for (auto _ : state) {
    TBytes bytes;
    ReadWholeFile(gFiles->In, bytes);
    WriteWholeFile(gFiles->Out, bytes.View());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFiles->Document.size()));
}
BENCHMARK(BM_ReadAndWriteFileOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brevak

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  brevak::TFiles files;
  brevak::gFiles = &files;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
