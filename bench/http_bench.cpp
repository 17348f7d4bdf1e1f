// One GET of a large file from a loopback web server, by THTTPSend and by curl, side by side.
// Needs BREVAK_BENCH_URL; bench/http_download starts nginx, sets it and prints the median ratio.
#include <benchmark/benchmark.h>

#include <cstdlib>
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

}  // namespace

BENCHMARK_MAIN();
