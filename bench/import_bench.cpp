// One import run of one source without the window, for bench/import_bench.sh to time against a
// shell pipeline: import_bench <source name> <folder holding sources.ini>. The list file is
// written into that folder. Prints the run's own wall time in milliseconds.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/exception.h"
#include "net/sslinterface.h"
#include "sources/sourcetable.h"

namespace {

class TNoWindow : public brevak::TImportHost {
public:
  void SetPercent(int) override {}
  void ProcessMessages() override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: import_bench <source name> <folder with sources.ini>\n");
    return 2;
  }
  const brevak::TSourceInfo* info = nullptr;
  for (int i = 0; i < brevak::kSourceCount; ++i)
    if (std::strcmp(brevak::SourceTable()[i].Name, argv[1]) == 0) info = &brevak::SourceTable()[i];
  if (!info) {
    std::fprintf(stderr, "import_bench: no source named \"%s\"\n", argv[1]);
    return 2;
  }
  brevak::InitSSLInterface();  // as the program does at start-up, for the HTTPS source
  TNoWindow host;
  auto start = std::chrono::steady_clock::now();
  try {
    brevak::ImportSourceOverHttp(info->Id, brevak::ImportFilesIn(argv[2]), host);
  } catch (const brevak::Exception& e) {
    std::fprintf(stderr, "import_bench: %s\n", e.what());
    return 1;
  }
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  std::printf("%.1f\n", took.count());
  return 0;
}
