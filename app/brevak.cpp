// Start-up: the command line first, with no display needed; then either what it asks for (imports,
// the list of sources, a source's check), or the window: the TLS binding, the application, the
// program's fonts, the main window, the message loop; the TLS binding is released when the window
// has closed.
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "app/errorbox.h"
#include "app/fonts.h"
#include "app/main.h"
#include "app/paths.h"
#include "app/translation.h"
#include "base/exepath.h"
#include "net/sslinterface.h"

namespace brevak {

namespace {

// --import, --list-sources and --check-source: each needs sources.ini, whose faulty sections are
// told first; only --import uses the list file, and so takes its lock and its folders.
int RunWithSources(const TCommandLine& line) {
  const bool imports = line.Action == TStartAction::Import;
  const TProgramPaths paths =
      imports ? ResolveProgramPaths()
              : DecideProgramPaths(InspectExeFolder(ExeDir()), ProcessEnvironment);
  const std::unique_ptr<TSourceList> list = ReadSourceList(paths.Import, stderr);
  if (!list) return kExitFailed;
  if (line.Action == TStartAction::ListSources) {
    PrintSourceList(*list, stdout);
    return kExitOk;
  }
  std::vector<const TSource*> sources;
  std::string usage;
  if (!ResolveSources(line.Sources, *list, sources, usage)) {
    std::fputs(usage.c_str(), stderr);
    return kExitUsage;
  }
  std::optional<TListFileLock> lock;
  if (imports) {
    const std::string& listFile = paths.Import.ListFile;
    lock.emplace(listFile);
    const std::string inUse = ListFileInUse(*lock, listFile);
    if (!inUse.empty()) {
      PrintError(stderr, inUse);
      return kExitFailed;
    }
  }
  InitSSLInterface();
  TImportOutput output;
  output.Progress = !line.Quiet && isatty(STDERR_FILENO) == 1;
  output.Summary = !line.Quiet && isatty(STDOUT_FILENO) == 1;
  const TFetchFn fetch = HTTPFetchWithin(line.MaxFetchTime);
  const int status = imports ? RunImports(sources, *list, output, fetch)
                             : CheckSource(*sources.front(), *list, output, fetch);
  DestroySSLInterface();
  return status;
}

int RunWindow(int argc, char* argv[]) {
  TProgramPaths paths = ResolveProgramPaths();
  // Held until the program ends; taken before the window deletes the list file.
  const std::string& listFile = paths.Import.ListFile;
  TListFileLock lock(listFile);
  const std::string inUse = ListFileInUse(lock, listFile);
  InitSSLInterface();
  int result = 0;
  {
    QApplication application(argc, argv);
    InstallTranslations();
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brevak/icon.png")));
    if (!inUse.empty()) {
      PrintError(stderr, inUse);
      ShowErrorBox(inUse);
      DestroySSLInterface();
      return kExitFailed;
    }
    LoadProgramFonts();
    TfrmMain window(paths);
    frmMain = &window;
    window.show();
    result = QApplication::exec();
    frmMain = nullptr;
  }
  DestroySSLInterface();
  return result;
}

}  // namespace

}  // namespace brevak

int main(int argc, char* argv[]) {
  using namespace brevak;
  QCoreApplication::setApplicationName(QStringLiteral("brevak"));
  QCoreApplication::setApplicationVersion(QStringLiteral(BREVAK_VERSION));
  {
    // Reads the arguments as the locale encodes them, and speaks the user's language on the
    // terminal; gone before a window's application exists.
    QCoreApplication console(argc, argv);
    InstallTranslations();
    const TCommandLine line = ParseCommandLine(QCoreApplication::arguments());
    switch (line.Action) {
      case TStartAction::Exit:
        std::fputs(line.Text.c_str(), line.ToStandardError ? stderr : stdout);
        return line.ExitStatus;
      case TStartAction::Import:
      case TStartAction::ListSources:
      case TStartAction::CheckSource:
        return RunWithSources(line);
      case TStartAction::Window:
        break;
    }
    const std::string missing = MissingDisplay(ProcessEnvironment);
    if (!missing.empty()) {
      const QString text =
          QCoreApplication::translate(
              "CommandLine",
              "brevak: cannot open the window: %1. To import without a window, run brevak "
              "--import SOURCE[,SOURCE...] (see brevak --help).")
              .arg(QString::fromStdString(missing));
      std::fputs((text + u'\n').toUtf8().constData(), stderr);
      return kExitFailed;
    }
  }
  return RunWindow(argc, argv);
}
