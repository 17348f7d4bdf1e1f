// TfrmMain: the buttons, the import run of each and the host the run reports to. Tested by
// tests/app/main_qtest.cpp and tests/app/import_e2e_qtest.cpp.
#include "app/main.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <cstddef>
#include <iterator>
#include <string>
#include <utility>

#include "app/errorbox.h"
#include "app/fonts.h"
#include "app/placement.h"
#include "app/progressbar.h"
#include "app/skin.h"
#include "base/showntext.h"
#include "listfile/listfile.h"

namespace brevak {

TfrmMain* frmMain = nullptr;

namespace {

// The layout was designed at 96 pixels per inch; Qt scales it for other densities.
constexpr int kClientWidth = 319;
constexpr int kClientHeight = 166;
constexpr int kButtonHeight = 25;

// What the window itself gives a source's button; the source table gives what it runs.
struct TButtonDesign {
  TSourceId Source;
  QPushButton* TfrmMain::*Field;
  const char* Name;
  const char* Caption;
  const char* Hint;  // UTF-8
  int Left, Top, Width;
};

// In the order of TSourceId, which is the window's reading order and tab order: keys 1 to 9 and 0
// press the buttons in this order.
constexpr TButtonDesign kButtons[] = {
    {TSourceId::Hamlog, &TfrmMain::btnHamlog, "btnHamlog", "Hamlog", "User Hamlog", 8, 8, 97},
    {TSourceId::SRR, &TfrmMain::btnSRR, "btnSRR", "Create SRR", "SRR", 111, 8, 97},
    {TSourceId::KDR, &TfrmMain::btnKDR, "btnKDR", "Create KDR",
     "Клуб дипломированных радиолюбителей (KDR)", 214, 8, 97},
    {TSourceId::AGB, &TfrmMain::btnAGB, "btnAGB", "Create AGB", "Activity Group of Belarus", 8, 39,
     97},
    {TSourceId::ARCK, &TfrmMain::btnARCK, "btnARCK", "Create ARCK", "Amateur Radio Club Kristall",
     111, 39, 97},
    {TSourceId::RCWC, &TfrmMain::btnRCWC, "btnRCWC", "Create RCWC", "Russian CW Club", 214, 39, 97},
    {TSourceId::FiveOcean, &TfrmMain::btn5Ocean, "btn5Ocean", "Create 5 Ocean", "Fifth Ocean", 8,
     70, 97},
    {TSourceId::RRC, &TfrmMain::btnRDXC, "btnRDXC", "Create RRC", "Russian Robinson Club", 112, 70,
     96},
    {TSourceId::RCPW, &TfrmMain::btnRCPW, "btnRCPW", "Create RCPW", "Radio Club <ПВ>", 216, 70, 95},
    {TSourceId::RadioWave, &TfrmMain::btnRadioWave, "btnRadioWave", "Create RadioWave",
     "Клуб путешественников РадиоВолна", 88, 103, 145},
};

constexpr bool InSourceOrder() {
  for (std::size_t i = 0; i < std::size(kButtons); ++i)
    if (kButtons[i].Source != static_cast<TSourceId>(i)) return false;
  return true;
}
static_assert(std::size(kButtons) == kSourceCount && InSourceOrder(),
              "one button per source, in the order of TSourceId");

const TButtonDesign& ButtonDesign(TSourceId source) {
  return kButtons[static_cast<std::size_t>(source)];
}

// The key that presses the button of source.
char ButtonKey(TSourceId source) {
  return static_cast<char>('0' + (static_cast<int>(source) + 1) % 10);
}

}  // namespace

TfrmMain::TfrmMain(TProgramPaths paths, QWidget* parent) : TForm(parent), FPaths(std::move(paths)) {
  // A sources.ini that cannot be read leaves the ten buttons as they are: each press then says why.
  try {
    FSources = std::make_unique<TSourceList>(FPaths.Import);
    for (const std::string& problem : FSources->Errors())
      FSourcesProblems += (FSourcesProblems.empty() ? "" : "\n") + problem;
  } catch (const Exception&) {
    FSources.reset();
  }
  ImportRun = [this](TSourceId source, TImportHost& host) {
    if (FSources && FSources->BuiltIn(source).User)
      FSources->ImportOverHttp(FSources->BuiltIn(source), host);
    else
      ImportSourceOverHttp(source, FPaths.Import, host);
  };
  OwnImportRun = [this](const TSource& source, TImportHost& host) {
    FSources->ImportOverHttp(source, host);
  };
  SetUpWindow();
  CreateButtons();
  CreateProgressBar();
  CreateOwnButtons();
  CreateComponents();
  FormCreate();
}

TfrmMain::~TfrmMain() { DoDestroy(); }

void TfrmMain::SetUpWindow() {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Brevak.ini"));
  // A single, fixed border and a title bar with the close button only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  BorderStyle = bsSingle;
  setFont(ProgramFont());
}

void TfrmMain::CreateButtons() {
  QWidget* previous = nullptr;
  for (int i = 0; i < kSourceCount; ++i) {
    const TSourceId source = SourceTable()[i].Id;
    const TButtonDesign& design = ButtonDesign(source);
    auto* button = new QPushButton(QString::fromUtf8(design.Caption), this);
    button->setObjectName(QString::fromLatin1(design.Name));
    button->setToolTip(QString::fromUtf8(design.Hint));
    button->setAccessibleDescription(tr("Key %1").arg(QChar::fromLatin1(ButtonKey(source))));
    button->setGeometry(design.Left, design.Top, design.Width, kButtonHeight);
    // No tab stop: the Tab key never brings the focus to a button; a click still may.
    button->setFocusPolicy(Qt::ClickFocus);
    connect(button, &QPushButton::clicked, this, [this, source] { ImportClick(source); });
    if (previous) setTabOrder(previous, button);
    previous = button;
    this->*design.Field = button;
  }
}

void TfrmMain::CreateOwnButtons() {
  if (!FSources || !FSources->HasOwnSources()) return;
  constexpr int kPerRow = 3, kRowHeight = 31;
  const int lefts[kPerRow] = {8, 111, 214};
  const std::vector<TSource>& sources = FSources->Sources();
  int top = 134;
  for (std::size_t i = kSourceCount; i < sources.size(); ++i) {
    const std::size_t k = OwnButtons.size();
    if (k > 0 && k % kPerRow == 0) top += kRowHeight;
    const TSource* source = &sources[i];
    auto* button = new QPushButton(QString::fromStdString(ShownText(source->Name)), this);
    button->setObjectName(QStringLiteral("btnOwn%1").arg(k + 1));
    button->setToolTip(QString::fromStdString(ShownText(FSources->Url(*source))));
    button->setGeometry(lefts[k % kPerRow], top, 97, kButtonHeight);
    button->setFocusPolicy(Qt::ClickFocus);
    connect(button, &QPushButton::clicked, this,
            [this, source] { RunOnClick([this, source] { OwnImportRun(*source, *this); }); });
    OwnButtons.push_back(button);
  }
  const int added = top + kRowHeight - 134;
  ProgressBar->move(ProgressBar->x(), ProgressBar->y() + added);
  setFixedSize(kClientWidth, kClientHeight + added);
}

void TfrmMain::CreateProgressBar() {
  ProgressBar = new TProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setAccessibleName(tr("Import progress"));
  ProgressBar->setGeometry(8, 134, 303, 24);
  ProgressBar->SetPercent(20);  // the design value; FormCreate sets 0 before anyone sees it
}

void TfrmMain::CreateComponents() {
  SkinManager1 = new TSkinManager(this);
  SkinManager1->setObjectName(QStringLiteral("SkinManager1"));
  SkinManager1->SetActive(true);
  // The window's own handlers first; the placement store then hooks them and keeps them running.
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  FormStorage1 = new TFormStorage(this);
  FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
  FormStorage1->Options = fpPosition;
}

void TfrmMain::FormCreate() {
  ProgressBar->SetPercent(0);
  // A failure is silent: the first run then appends to the old file.
  ClearFilesAtStart(FPaths.Import.ListFile, FPaths.PlacementFile);
  FormStorage1->IniFileName = FPaths.PlacementFile;
}

void TfrmMain::FormShow() {
  SkinManager1->SetActive(false);
  SkinManager1->SetActive(true);
  // Sections of sources.ini that describe no source are told once, when the window is there.
  if (!FSourcesProblems.empty()) {
    QTimer::singleShot(0, this, [this, problems = FSourcesProblems] { ShowErrorBox(problems); });
    FSourcesProblems.clear();
  }
}

void TfrmMain::FormCloseQuery(bool& canClose) {
  if (!FRunning) return;
  canClose = false;
  FCloseWhenDone = true;
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (!plain || key < Qt::Key_0 || key > Qt::Key_9) {
    TForm::keyPressEvent(event);
    return;
  }
  // A held key repeats; one press is one import.
  if (!event->isAutoRepeat()) {
    const auto source = static_cast<TSourceId>((key - Qt::Key_0 + 9) % 10);
    (this->*ButtonDesign(source).Field)->click();
  }
  event->accept();
}

void TfrmMain::SetPercent(int v) { ProgressBar->SetPercent(v); }

void TfrmMain::ProcessMessages() { QCoreApplication::processEvents(); }

bool TfrmMain::KeepWaiting() {
  QCoreApplication::processEvents();
  return !FCloseWhenDone;
}

void TfrmMain::ImportClick(TSourceId source) {
  RunOnClick([this, source] { ImportRun(source, *this); });
}

void TfrmMain::RunOnClick(const std::function<void()>& run) {
  if (FRunning) return;
  FRunning = true;
  std::string error;
  bool failed = false;
  try {
    run();
  } catch (const EFetchStopped&) {
    // The user closed the window while the fetch waited: nothing to tell.
  } catch (const std::exception& e) {
    failed = true;
    error = e.what();
  }
  FRunning = false;
  if (failed) ShowErrorBox(error);
  if (FCloseWhenDone) {
    FCloseWhenDone = false;
    close();
  }
}

}  // namespace brevak
