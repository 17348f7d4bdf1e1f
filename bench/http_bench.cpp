// One GET of a large file from a loopback web server, by THTTPSend and by curl, side by side;
// and one GET of a gzip'd list, decoded as it arrives, beside zcat decoding the same file.
// Needs BREVAK_BENCH_URL (and BREVAK_BENCH_GZIP, BREVAK_BENCH_SIZE for the gzip pair);
// bench/http_download and bench/gzip_download start nginx, set them and print the median ratio.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "net/httpsend.h"
#include "net/sslinterface.h"

namespace {

const char* BenchUrl() { return std::getenv("BREVAK_BENCH_URL"); }

void BM_Download_Brevak(benchmark::State& state) {
  if (!BenchUrl())
    return state.SkipWithError("BREVAK_BENCH_URL is not set (run bench/http_download)");
  brevak::InitSSLInterface();
  for (auto _ : state) {
    brevak::THTTPSend http;
    if (!http.HTTPMethod("GET", BenchUrl())) return state.SkipWithError(http.ErrorCause().c_str());
    state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(http.Document().Size()));
  }
}
BENCHMARK(BM_Download_Brevak)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_Download_Curl(benchmark::State& state) {
  if (!BenchUrl())
    return state.SkipWithError("BREVAK_BENCH_URL is not set (run bench/http_download)");
  std::string command = std::string("curl -sf -o /dev/null '") + BenchUrl() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("curl failed");
  }
}
BENCHMARK(BM_Download_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_Gzip_Brevak(benchmark::State& state) {
  const char* size = std::getenv("BREVAK_BENCH_SIZE");
  if (!BenchUrl() || !size)
    return state.SkipWithError("BREVAK_BENCH_URL is not set (run bench/gzip_download)");
  for (auto _ : state) {
    brevak::THTTPSend http;
    if (!http.HTTPMethod("GET", BenchUrl())) return state.SkipWithError(http.ErrorCause().c_str());
    if (http.Document().Size() != std::strtoull(size, nullptr, 10))
      return state.SkipWithError("the decoded list has another size");
  }
}
BENCHMARK(BM_Gzip_Brevak)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_Gzip_Zcat(benchmark::State& state) {
  const char* file = std::getenv("BREVAK_BENCH_GZIP");
  if (!file) return state.SkipWithError("BREVAK_BENCH_GZIP is not set (run bench/gzip_download)");
  std::string command = std::string("zcat '") + file + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("zcat failed");
  }
}
BENCHMARK(BM_Gzip_Zcat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
