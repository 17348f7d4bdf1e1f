// One import run: what a button press does. Load the list file, fetch the source, append its
// section, walk the lines with the source's rule, save the list file on every way out.
// Tested by tests/listfile/importrun_test.cpp and tests/sources/.
#pragma once

namespace brevak {

// What the run needs of the window: the progress bar and the message pump.
class TImportHost {
public:
  virtual ~TImportHost() = default;
  // The bar's Percent := v (the bar keeps v mod 65536).
  virtual void SetPercent(int v) = 0;
  // Dispatches pending window messages (clicks included) and returns.
  virtual void ProcessMessages() = 0;
};

// The ten sources, in the order of the window's buttons' tab order.
enum class TSourceId { Hamlog, SRR, KDR, AGB, ARCK, RCWC, FiveOcean, RRC, RCPW, RadioWave };

// Runs the import of one source against the list file beside the executable. Raises
// brevak::Exception when the run ends by an error (the list file has then been saved, except when
// it could not be loaded). Not re-entrant: the caller refuses a second run while one is in progress.
void RunSourceImport(TSourceId source, TImportHost& host);

}  // namespace brevak
