// The program's command line, read before any window or display is needed: --help, --version,
// --import SOURCE[,SOURCE...] (the buttons' imports without a window, for scheduled refreshes)
// with --quiet and --max-time SECONDS, --list-sources, --check-source SOURCE (a source tried
// without touching the list file), and the window when nothing is asked. The arguments are read
// first, with no file needed; the names are looked up once sources.ini is read, as it may describe
// sources of its own. Tested by tests/app/import_e2e_qtest.cpp (the program run as a separate
// process) and tests/app/commandline_qtest.cpp.
#pragma once

#include <QStringList>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/environment.h"
#include "import/importrun.h"
#include "listfile/listlock.h"
#include "net/httpsend.h"
#include "sources/sourcelist.h"

namespace brevak {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an import or a check failed, or the window had no display
constexpr int kExitUsage = 2;   // an unknown option or source name, or a source left out

// The most fetches an --import runs at the same time.
constexpr int kMaxParallelFetches = 10;

// The most entries --check-source shows; the rest are counted.
constexpr int kCheckShownEntries = 20;

enum class TStartAction { Window, Import, ListSources, CheckSource, Exit };

struct TCommandLine {
  TStartAction Action = TStartAction::Window;
  // Import: the names in the order given, as typed ("all" among them); CheckSource: the one.
  std::vector<std::string> Sources;
  bool Quiet = false;  // Import: errors and warnings only; CheckSource: no progress bar
  int MaxFetchTime = kRequestTimeLimit;  // ms for each fetch in all (--max-time)
  // Exit: what to print, where, and the status to exit with.
  std::string Text;
  bool ToStandardError = false;
  int ExitStatus = kExitOk;
};

// Reads the arguments (the program's name first); names are kept for ResolveSources. --help and
// --version give TStartAction::Exit with their text for stdout and kExitOk. An unknown option, a
// stray argument, options that do not go together, more than one source (or "all") for
// --check-source or a --max-time that is no number of seconds from 0.001 to 2000000 give
// TStartAction::Exit with one line saying so and a pointer to --help on stderr, and kExitUsage.
TCommandLine ParseCommandLine(const QStringList& arguments);

// Reads the sources.ini of files for a run of the command line and tells each of its faulty
// sections on err, once. Null, with the reason on err, when the file cannot be read.
std::unique_ptr<TSourceList> ReadSourceList(const TImportFiles& files, std::FILE* err);

// Looks names up in list, in order, into sources: without regard to case and spaces ("5ocean" is
// "5 Ocean"; an exact name first); "all" is every source of list in its order. A name that is
// none, or whose section in sources.ini was left out (and "all" while one was), gives false and in
// usage the text to print on stderr, as ParseCommandLine words its refusals; the nearest name is
// suggested for a slip.
bool ResolveSources(const std::vector<std::string>& names, const TSourceList& list,
                    std::vector<const TSource*>& sources, std::string& usage);

// Where the words of an --import or a --check-source go. Errors and warnings always go to Err.
struct TImportOutput {
  std::FILE* Err = stderr;
  std::FILE* Out = stdout;
  bool Progress = false;  // a one-line bar per source on Err
  bool Summary = false;   // a line per source imported and the list file's path on Out
};

// Imports sources of list into its list file and replaces it once at the end. The fetches run at
// the same time, at most kMaxParallelFetches at once, each with fetch on a thread of its own; the
// documents are applied in the given order, so that, when every import succeeds, the file is byte
// for byte what running the imports one after another from an empty list gives. A source that fails
// keeps its section of the previous list file (found by the header its import writes), copied as it
// was at its place in the order, and says so on Err. An old list file that cannot be read, a save
// that fails, a run in which no import succeeded and one whose import broke off inside its section
// leave the file as it was. Returns kExitOk when every import succeeded, else kExitFailed.
int RunImports(const std::vector<const TSource*>& sources, const TSourceList& list,
               const TImportOutput& output, const TFetchFn& fetch = HTTPFetch);

// Fetches source and runs its rule into a list of its own: prints on Out the header and the first
// kCheckShownEntries entries as an import would append them, then how many there are. The list
// file is neither read nor written, so no lock is needed. Returns kExitOk with entries, else
// kExitFailed (a failed fetch, or a warning that the answer gave none).
int CheckSource(const TSource& source, const TSourceList& list, const TImportOutput& output,
                const TFetchFn& fetch = HTTPFetch);

// Every source of list in the window's order on out, one a line under a heading, in aligned
// columns: its name, its rule, where it is described ("built in" or the sources.ini), its URL (or,
// for a [Hosts] value that is refused, why).
void PrintSourceList(const TSourceList& list, std::FILE* out);

// Why this process may not use the list file, or empty when it holds its lock (or goes on
// without one where the folder takes no lock file): another Brevak holds it, or what lies at the
// lock file's path was refused.
std::string ListFileInUse(const TListFileLock& lock, const std::string& listFile);

// An error's message on a line of its own, as the error box words it.
void PrintError(std::FILE* err, const std::string& message);

// The progress line for a source at bar value v (kept mod 65536, as the window's bar does).
std::string ProgressLine(const std::string& name, int v);

// Why the window cannot open in this environment, or empty when there is a display to try:
// nothing names one, or the local X display named has no server socket. A platform chosen with
// QT_QPA_PLATFORM is trusted.
std::string MissingDisplay(const TEnvLookup& env);

}  // namespace brevak
