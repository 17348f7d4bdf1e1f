#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <exception>

#include "app/errorbox.h"
#include "listfile/listfile.h"

namespace {

using brevak::TSourceId;

QString SourceNames() {
  QStringList names;
  for (int i = 0; i < brevak::kSourceCount; ++i)
    names << QString::fromUtf8(brevak::SourceTable()[i].Name);
  return names.join(", ");
}

// Writes the progress line over itself; the run's last value stays on screen.
class TConsoleHost : public brevak::TImportHost {
public:
  TConsoleHost(std::string name, std::FILE* err, bool show)
      : FName(std::move(name)), FErr(err), FShow(show) {}
  ~TConsoleHost() override {
    if (FShown) std::fputc('\n', FErr);
  }
  void SetPercent(int v) override {
    if (!FShow) return;
    std::fprintf(FErr, "\r%s", ProgressLine(FName, v).c_str());
    std::fflush(FErr);
    FShown = true;
  }
  void ProcessMessages() override {}

private:
  std::string FName;
  std::FILE* FErr;
  bool FShow;
  bool FShown = false;
};

// Whether something listens on the Unix socket at path (abstract when abstract).
bool Answers(const std::string& path, bool abstract) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() + 2 > sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path + (abstract ? 1 : 0), path.data(), path.size());
  socklen_t len =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0));
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool SourceByName(const QString& name, TSourceId& source) {
  for (int i = 0; i < brevak::kSourceCount; ++i) {
    const brevak::TSourceInfo& info = brevak::SourceTable()[i];
    if (name.compare(QString::fromUtf8(info.Name), Qt::CaseInsensitive) == 0) {
      source = info.Id;
      return true;
    }
  }
  return false;
}

TCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Builds the club member list brevak.ini from ten clubs' and services' member lists.\n"
      "Without options it opens the window; --import runs imports without one.\n"
      "Sources: " +
      SourceNames() + ".");
  QCommandLineOption help({"h", "help"}, "Prints this help and exits.");
  QCommandLineOption version({"v", "version"}, "Prints the version and exits.");
  QCommandLineOption import(
      "import",
      "Deletes the list file, then runs the imports of the named sources in the given order "
      "without a window, as the buttons do. Names are the sources.ini keys, in any case; quote "
      "\"5 Ocean\". Exits 1 when an import failed.",
      "SOURCE[,SOURCE...]");
  parser.addOption(help);
  parser.addOption(version);
  parser.addOption(import);

  TCommandLine result;
  auto usageError = [&](const QString& why) {
    result.Action = TStartAction::saExit;
    result.ToStandardError = true;
    result.ExitStatus = kExitUsage;
    result.Text = (QCoreApplication::applicationName() + ": " + why + "\n\n" + parser.helpText())
                      .toStdString();
    return result;
  };
  if (!parser.parse(arguments)) return usageError(parser.errorText());
  if (!parser.positionalArguments().isEmpty())
    return usageError("unexpected argument \"" + parser.positionalArguments().first() + "\"");
  if (parser.isSet(help)) {
    result.Action = TStartAction::saExit;
    result.Text = parser.helpText().toStdString();
    return result;
  }
  if (parser.isSet(version)) {
    result.Action = TStartAction::saExit;
    result.Text =
        (QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion() + "\n")
            .toStdString();
    return result;
  }
  if (parser.isSet(import)) {
    for (const QString& value : parser.values(import)) {
      for (const QString& piece : value.split(',')) {
        TSourceId source{};
        if (!SourceByName(piece.trimmed(), source))
          return usageError("unknown source \"" + piece.trimmed() + "\"");
        result.Sources.push_back(source);
      }
    }
    result.Action = TStartAction::saImport;
  }
  return result;
}

std::string ProgressLine(const std::string& name, int v) {
  constexpr int kWidth = 30;
  const int percent = v & 0xFFFF;
  const int filled = std::min(percent, 100) * kWidth / 100;
  return name + " [" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " +
         std::to_string(percent) + "%";
}

int RunImports(const std::vector<TSourceId>& sources, std::FILE* err, bool showProgress,
               const TSourceImport& import) {
  brevak::ClearFilesAtStart();  // as at every start of the window: a failure leaves the old file
  int status = kExitOk;
  for (TSourceId source : sources) {
    std::string error;
    {
      TConsoleHost host(brevak::SourceInfo(source).Name, err, showProgress);
      try {
        import(source, host);
      } catch (const std::exception& e) {
        error = e.what();
      }
    }
    if (!error.empty()) {
      std::fprintf(err, "%s\n", ErrorBoxText(QString::fromStdString(error)).toStdString().c_str());
      status = kExitFailed;
    }
  }
  return status;
}

std::string MissingDisplay(const brevak::TEnvLookup& env) {
  if (!env("QT_QPA_PLATFORM").empty()) return {};
  std::string wayland = env("WAYLAND_DISPLAY");
  if (!wayland.empty()) {
    std::string path = wayland.front() == '/' ? wayland : env("XDG_RUNTIME_DIR") + "/" + wayland;
    if (Answers(path, false)) return {};
  }
  std::string x = env("DISPLAY");
  if (!x.empty()) {
    // A local display, ":N" or "unix:N" with an optional ".screen", has its server's socket in
    // /tmp/.X11-unix (or the abstract name of that path); a remote one is left to Qt.
    std::string rest = x.rfind("unix:", 0) == 0 ? x.substr(4) : x;
    if (rest.empty() || rest.front() != ':') return {};
    std::string number = rest.substr(1, rest.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return {};
    std::string socket = "/tmp/.X11-unix/X" + number;
    if (Answers(socket, true) || Answers(socket, false)) return {};
    return "no X server answers on display " + x;
  }
  if (!wayland.empty()) return "no Wayland compositor answers on " + wayland;
  return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}
