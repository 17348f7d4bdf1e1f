// Line lists on a 100 MB Windows-1251 document: a load from the file and a save to a new one,
// beside a baseline that does only the least any load must do (split the bytes at line ends with
// memchr and decode them by table into one buffer). Temporary files live in /tmp and are removed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

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

// The least a load does: memchr for each LF, decode the line by table into one buffer.
void BM_Baseline_SplitAndDecode(benchmark::State& state) {
  const std::string& doc = gFiles->Document;
  for (auto _ : state) {
    auto units = std::make_unique_for_overwrite<char16_t[]>(doc.size());
    char16_t* out = units.get();
    std::size_t lines = 0;
    const char* p = doc.data();
    const char* end = p + doc.size();
    while (p < end) {
      const char* nl =
          static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      const char* lineEnd = nl != nullptr ? nl : end;
      if (lineEnd > p && lineEnd[-1] == '\r') --lineEnd;
      for (const char* c = p; c != lineEnd; ++c)
        *out++ = kAnsiToUnicode[static_cast<unsigned char>(*c)];
      ++lines;
      p = nl != nullptr ? nl + 1 : end;
    }
    benchmark::DoNotOptimize(units.get());
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_Baseline_SplitAndDecode)->Unit(benchmark::kMillisecond);

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
