// The program's command line, read before any window or display is needed: --help, --version,
// --import SOURCE[,SOURCE...] (the buttons' imports without a window, for scheduled refreshes)
// with --quiet and --max-time SECONDS, and the window when nothing is asked. Tested by
// tests/app/import_e2e_qtest.cpp (the program run as a separate process) and
// tests/app/commandline_qtest.cpp.
#pragma once

#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "base/environment.h"
#include "import/importrun.h"
#include "listfile/listlock.h"
#include "net/httpsend.h"
#include "sources/sourcetable.h"

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an import failed, or the window had no display
constexpr int kExitUsage = 2;   // an unknown option or source name

// The most fetches an --import runs at the same time.
constexpr int kMaxParallelFetches = 10;

enum class TStartAction { saWindow, saImport, saExit };

struct TCommandLine {
  TStartAction Action = TStartAction::saWindow;
  std::vector<brevak::TSourceId> Sources;        // saImport: in the order given
  bool Quiet = false;                            // saImport: errors and warnings only
  int MaxFetchTime = brevak::kRequestTimeLimit;  // saImport: ms for each fetch in all (--max-time)
  // saExit: what to print, where, and the status to exit with.
  std::string Text;
  bool ToStandardError = false;
  int ExitStatus = kExitOk;
};

// Reads the arguments (the program's name first). An unknown option, a stray argument or an
// unknown source name gives saExit with one line saying so and a pointer to --help on stderr, and
// kExitUsage.
TCommandLine ParseCommandLine(const QStringList& arguments);

// The source whose sources.ini key is name, compared without regard to case and spaces ("5ocean"
// is "5 Ocean"); false when none is.
bool SourceByName(const QString& name, brevak::TSourceId& source);

// Where an --import run's words go. Errors and warnings always go to Err.
struct TImportOutput {
  std::FILE* Err = stderr;
  std::FILE* Out = stdout;
  bool Progress = false;  // a one-line bar per source on Err
  bool Summary = false;   // a line per source imported and the list file's path on Out
};

// Imports sources into the list file of files (sources.ini from its places) and replaces it once at
// the end. The fetches run at the same time, at most kMaxParallelFetches at once, each with fetch
// on a thread of its own; the documents are applied in the given order, so that the file is byte
// for byte what running the imports one after another from an empty list gives. A source that fails
// keeps its section of the previous list file, copied as it was at its place in the order, and says
// so on Err. An old list file that cannot be read, or a save that fails, leaves the file as it was.
// Returns kExitOk when every import succeeded, else kExitFailed.
int RunImports(const std::vector<brevak::TSourceId>& sources, const brevak::TImportFiles& files,
               const TImportOutput& output, const brevak::TFetchFn& fetch = brevak::HTTPFetch);

// Why this process may not use the list file, or empty when it holds its lock (or goes on
// without one where the folder takes no lock file): another Brevak holds it, or what lies at the
// lock file's path was refused.
std::string ListFileInUse(const brevak::TListFileLock& lock, const std::string& listFile);

// An error's message on a line of its own, as the error box words it.
void PrintError(std::FILE* err, const std::string& message);

// The progress line for a source at bar value v (kept mod 65536, as the window's bar does).
std::string ProgressLine(const std::string& name, int v);

// Why the window cannot open in this environment, or empty when there is a display to try:
// nothing names one, or the local X display named has no server socket. A platform chosen with
// QT_QPA_PLATFORM is trusted.
std::string MissingDisplay(const brevak::TEnvLookup& env);
