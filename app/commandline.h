// The program's command line, read before any window or display is needed: --help, --version,
// --import SOURCE[,SOURCE...] (the buttons' imports without a window, for scheduled refreshes),
// and the window when nothing is asked. Tested by tests/app/import_e2e_qtest.cpp (the program run
// as a separate process) and tests/app/commandline_qtest.cpp.
#pragma once

#include <QStringList>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/environment.h"
#include "sources/sourcetable.h"

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an import failed, or the window had no display
constexpr int kExitUsage = 2;   // an unknown option or source name

enum class TStartAction { saWindow, saImport, saExit };

struct TCommandLine {
  TStartAction Action = TStartAction::saWindow;
  std::vector<brevak::TSourceId> Sources;  // saImport: in the order given
  // saExit: what to print, where, and the status to exit with.
  std::string Text;
  bool ToStandardError = false;
  int ExitStatus = kExitOk;
};

// Reads the arguments (the program's name first). An unknown option, a stray argument or an
// unknown source name gives saExit with the usage on stderr and kExitUsage.
TCommandLine ParseCommandLine(const QStringList& arguments);

// The source whose sources.ini key is name, compared without regard to case; false when none is.
bool SourceByName(const QString& name, brevak::TSourceId& source);

// Runs the imports in order without a window, as the buttons do: the list file is deleted first,
// each run appends its section. Progress goes to err as a one-line bar when showProgress; a
// failed import's message (as the error box would show it) goes to err and the rest still run.
// Returns kExitOk when every import succeeded, else kExitFailed.
using TSourceImport = std::function<void(brevak::TSourceId, brevak::TImportHost&)>;
int RunImports(const std::vector<brevak::TSourceId>& sources, std::FILE* err, bool showProgress,
               const TSourceImport& import = brevak::ImportSourceOverHttp);

// The progress line for a source at bar value v (kept mod 65536, as the window's bar does).
std::string ProgressLine(const std::string& name, int v);

// Why the window cannot open in this environment, or empty when there is a display to try:
// nothing names one, or the local X display named has no server socket. A platform chosen with
// QT_QPA_PLATFORM is trusted.
std::string MissingDisplay(const brevak::TEnvLookup& env);
