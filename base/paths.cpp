#include "base/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "base/exepath.h"

namespace brevak {
namespace {

std::optional<TProgramPaths>& Resolved() {
  static std::optional<TProgramPaths> paths;
  return paths;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// Whether a new file can be made in dir: one is made and removed again. Asking access() would
// say yes to root on a read-only mount's sibling folders and no for some ACLs that allow it.
bool CanCreateFilesIn(const std::string& dir) {
  std::string probe = dir + ".brevak-probe-XXXXXX";
  int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

// The user's home: $HOME, else the password database's entry; empty when neither knows.
std::string HomeDir(const TEnvLookup& env) {
  std::string home = env("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

// An XDG base folder: the variable's value when it is an absolute path (relative ones are to be
// ignored), else the default below the home folder; empty when there is no home either.
std::string XdgDir(const TEnvLookup& env, const char* name, const char* homeRelative) {
  std::string value = env(name);
  if (!value.empty() && value.front() == '/') return WithSlash(value);
  std::string home = HomeDir(env);
  if (home.empty()) return {};
  return WithSlash(home) + homeRelative;
}

std::vector<std::string> XdgConfigDirs(const TEnvLookup& env) {
  std::string value = env("XDG_CONFIG_DIRS");
  if (value.empty()) value = "/etc/xdg";
  std::vector<std::string> dirs;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find(':', start);
    if (end == std::string::npos) end = value.size();
    std::string dir = value.substr(start, end - start);
    if (!dir.empty() && dir.front() == '/') dirs.push_back(WithSlash(dir));
    start = end + 1;
  }
  return dirs;
}

// mkdir -p with mode 0700 for each folder it makes.
void MakeFolders(const std::string& dir) {
  for (std::size_t slash = dir.find('/', 1); slash != std::string::npos;
       slash = dir.find('/', slash + 1)) {
    std::string part = dir.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

}  // namespace

bool IsInstalledLayout(const std::string& exeDir) {
  return Exists(exeDir + "../share/metainfo/" + kDesktopId + ".metainfo.xml");
}

TProgramPaths DecideProgramPaths(const std::string& exeDir, const TEnvLookup& env) {
  TProgramPaths paths;
  std::string configHome = XdgDir(env, "XDG_CONFIG_HOME", ".config/");
  std::string dataHome = XdgDir(env, "XDG_DATA_HOME", ".local/share/");
  // Without a home folder there is nowhere else to go: the copy's own folder it is, and the first
  // save says so with its path.
  paths.Portable = !IsInstalledLayout(exeDir) && CanCreateFilesIn(exeDir);
  if (paths.Portable || dataHome.empty() || configHome.empty()) {
    paths.Portable = true;
    paths.DataDir = exeDir;
    paths.ConfigDir = exeDir;
  } else {
    paths.DataDir = dataHome + "brevak/";
    paths.ConfigDir = configHome + "brevak/";
  }

  std::vector<std::string> candidates{exeDir};
  if (!configHome.empty()) candidates.push_back(configHome + "brevak/");
  for (const std::string& dir : XdgConfigDirs(env)) candidates.push_back(dir + "brevak/");
  for (const std::string& dir : candidates) {
    if (IsRegularFile(dir + "sources.ini")) {
      paths.SourcesFile = dir + "sources.ini";
      return paths;
    }
  }
  paths.SourcesFile = paths.ConfigDir + "sources.ini";
  return paths;
}

const TProgramPaths& ResolveProgramPaths() {
  Resolved() = DecideProgramPaths(ExeDir(), ProcessEnvironment);
  if (!Resolved()->Portable) {
    MakeFolders(Resolved()->DataDir);
    MakeFolders(Resolved()->ConfigDir);
  }
  return *Resolved();
}

void ForgetProgramPathsForTesting() { Resolved().reset(); }

std::string ListFilePath() { return (Resolved() ? Resolved()->DataDir : ExeDir()) + "brevak.ini"; }
std::string PlacementFilePath() {
  return (Resolved() ? Resolved()->ConfigDir : ExeDir()) + "prog.ini";
}
std::string SourcesFilePath() {
  return Resolved() ? Resolved()->SourcesFile : ExeDir() + "sources.ini";
}

}  // namespace brevak
