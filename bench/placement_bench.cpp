// Closing the main window: the placement store writes the window's position to prog.ini, which
// is what a close costs beyond Qt's own work. The file lies in a fresh folder beside the
// benchmark binary, so that every replace and flush reaches the real disk.
#include <QApplication>

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/form.h"
#include "app/placement.h"
#include "base/exepath.h"

using brevak::fpPosition;
using brevak::TForm;
using brevak::TFormStorage;

namespace {

class TfrmMain : public TForm {
  Q_OBJECT
};

// A restored window at rest, as it stands when the user closes it; each iteration is one close.
void BM_PlacementSaveOnClose(benchmark::State& state) {
  const std::filesystem::path dir = brevak::ExeDir() + "placement_bench.d";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    TfrmMain form;
    auto* store = new TFormStorage(&form);
    store->Options = fpPosition;
    store->IniFileName = (dir / "prog.ini").string();
    form.setGeometry(100, 200, 325, 195);
    form.show();  // reads the (absent) file: the store saves only after a restore
    for (auto _ : state) store->SaveFormPlacement();
    store->Active = false;  // the closing window writes no further save after the loop
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PlacementSaveOnClose)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#include "placement_bench.moc"
