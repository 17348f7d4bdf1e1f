// The main window TfrmMain: ten source buttons, each running its source's import, a row of buttons
// for the clubs sources.ini describes (when it describes any), and the progress bar that shows how
// far the run has got. Tested by tests/app/main_qtest.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/paths.h"
#include "import/importrun.h"
#include "sources/sourcelist.h"
#include "sources/sourcetable.h"

class QPushButton;

namespace brevak {

class TFormStorage;
class TProgressBar;
class TSkinManager;

class TfrmMain : public TForm, public TImportHost {
  Q_OBJECT
public:
  // The window working on the files of paths.
  explicit TfrmMain(TProgramPaths paths, QWidget* parent = nullptr);
  ~TfrmMain() override;

  QPushButton* btnHamlog = nullptr;
  QPushButton* btnSRR = nullptr;
  QPushButton* btnKDR = nullptr;
  QPushButton* btnAGB = nullptr;
  QPushButton* btnARCK = nullptr;
  QPushButton* btnRCWC = nullptr;
  QPushButton* btn5Ocean = nullptr;
  QPushButton* btnRDXC = nullptr;
  QPushButton* btnRCPW = nullptr;
  QPushButton* btnRadioWave = nullptr;
  TProgressBar* ProgressBar = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TSkinManager* SkinManager1 = nullptr;

  // Once, when the window has been built: bar to 0, the temporaries of killed saves and the old
  // list file gone, the placement store pointed at the placement file.
  void FormCreate();
  // Each time the window is shown, after the placement store has put it in place: the skin is
  // applied afresh to the window now on screen. The first time, the sections sources.ini had to
  // leave out are told in the error box once the window is there.
  void FormShow();
  // While an import run is in progress the window stays open; it closes when the run has saved.
  // A close while the run's fetch waits for the network stops the fetch, so the run ends at once.
  void FormCloseQuery(bool& canClose);

  // Whether a button's import run is in progress.
  bool ImportRunning() const { return FRunning; }

  // What a button press runs: ImportSourceOverHttp on the window's files (or, for a
  // source that sources.ini describes anew, the list's ImportOverHttp), or a stand-in that tests
  // put in its place.
  using TImportRun = std::function<void(TSourceId, TImportHost&)>;
  TImportRun ImportRun;
  // What a press of a button of a club described in sources.ini runs: the list's ImportOverHttp,
  // or a stand-in.
  using TOwnImportRun = std::function<void(const TSource&, TImportHost&)>;
  TOwnImportRun OwnImportRun;

  // The row of buttons under the ten, one per club sources.ini describes, in the file's order;
  // empty when it describes none.
  std::vector<QPushButton*> OwnButtons;

  // A click of source's button: runs the source's import unless another is in progress (the run
  // in progress holds the list file from its load to its save); an error that ends the run goes to
  // the error box.
  void ImportClick(TSourceId source);

  // What an import run asks of the window.
  void SetPercent(int v) override;
  void ProcessMessages() override;
  // While the fetch waits: the window repaints, moves and shows hints; a close stops the fetch.
  bool KeepWaiting() override;

protected:
  // Keys 1 to 9 and 0, on the main block or the keypad, press the ten buttons in the window's
  // order (the buttons take no focus by Tab, so the keys are the keyboard's way to them).
  void keyPressEvent(QKeyEvent* event) override;

private:
  void SetUpWindow();
  void CreateButtons();
  void CreateProgressBar();
  void CreateComponents();
  // The buttons of the clubs sources.ini describes, and the window made taller for them.
  void CreateOwnButtons();
  // A click's run: one at a time, its error in the box, a close asked for meanwhile done after.
  void RunOnClick(const std::function<void()>& run);

  TProgramPaths FPaths;
  std::unique_ptr<TSourceList> FSources;  // null when sources.ini could not be read
  std::string FSourcesProblems;           // told once the window is on screen
  bool FRunning = false;
  bool FCloseWhenDone = false;
};

// The program's one window, while the message loop runs.
extern TfrmMain* frmMain;

}  // namespace brevak
