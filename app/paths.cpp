#include "app/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/exepath.h"

namespace brevak {
namespace {

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

std::string AccountHome(uid_t uid) {
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

// An XDG base folder: the variable's value when it is an absolute path (relative ones are to be
// ignored), else the default below the home folder ($HOME, else the account's); empty when there
// is no home either.
std::string XdgDir(const TEnvLookup& env, const std::string& accountHome, const char* name,
                   const char* homeRelative) {
  std::string value = env(name);
  if (!value.empty() && value.front() == '/') return WithSlash(value);
  std::string home = env("HOME");
  if (home.empty()) home = accountHome;
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

// Whether the folder is the user's alone: it belongs to the user (or root) and neither its group
// nor others may write to it. In a folder that others may write to (a group's shared folder, one
// with the sticky bit), another user could put a link in the place of the list file and have the
// program write the server's lines into any file of the user's, or read one out into the list.
bool IsOwnFolder(const TExeFolder& exe) {
  return (exe.Owner == exe.User || exe.Owner == 0) && (exe.Mode & (S_IWGRP | S_IWOTH)) == 0;
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

TExeFolder InspectExeFolder(const std::string& dir) {
  TExeFolder exe;
  exe.Dir = WithSlash(dir);
  struct stat st {};
  exe.Installed =
      stat((exe.Dir + "../share/metainfo/" + kDesktopId + ".metainfo.xml").c_str(), &st) == 0;
  // The prefix is the folder above the program's ("/usr" for "/usr/bin/").
  const std::string prefix = exe.Dir.substr(0, exe.Dir.find_last_of('/', exe.Dir.size() - 2));
  const std::string example = prefix + "/share/doc/brevak/sources.ini.example";
  if (!prefix.empty() && stat(example.c_str(), &st) == 0) exe.ExampleFile = example;
  if (stat(exe.Dir.c_str(), &st) == 0) {
    exe.Owner = st.st_uid;
    exe.Mode = st.st_mode & 07777;
  }
  exe.TakesFiles = CanCreateFilesIn(exe.Dir);
  exe.User = geteuid();
  exe.AccountHome = AccountHome(exe.User);
  return exe;
}

TProgramPaths PathsIn(const std::string& dir) {
  TProgramPaths paths;
  paths.DataDir = paths.ConfigDir = WithSlash(dir);
  paths.Import = ImportFilesIn(paths.DataDir);
  paths.PlacementFile = paths.ConfigDir + "prog.ini";
  return paths;
}

TProgramPaths DecideProgramPaths(const TExeFolder& exe, const TEnvLookup& env) {
  std::string configHome = XdgDir(env, exe.AccountHome, "XDG_CONFIG_HOME", ".config/");
  std::string dataHome = XdgDir(env, exe.AccountHome, "XDG_DATA_HOME", ".local/share/");
  // Without a home folder there is nowhere else to go: the copy's own folder it is, and the first
  // save says so with its path.
  const bool portable = (!exe.Installed && exe.TakesFiles && IsOwnFolder(exe)) ||
                        dataHome.empty() || configHome.empty();
  TProgramPaths paths = PathsIn(portable ? exe.Dir : configHome + "brevak/");
  paths.Portable = portable;
  if (!portable) {
    paths.DataDir = dataHome + "brevak/";
    paths.Import.ListFile = paths.DataDir + "brevak.ini";
  }
  paths.Import.ExampleFile = exe.ExampleFile;
  paths.Import.SourcesFiles = {exe.Dir + "sources.ini"};
  if (!configHome.empty()) paths.Import.SourcesFiles.push_back(configHome + "brevak/sources.ini");
  for (const std::string& dir : XdgConfigDirs(env))
    paths.Import.SourcesFiles.push_back(dir + "brevak/sources.ini");
  return paths;
}

void MakeProgramFolders(const TProgramPaths& paths) {
  if (paths.Portable) return;
  MakeFolders(paths.DataDir);
  MakeFolders(paths.ConfigDir);
}

TProgramPaths ResolveProgramPaths() {
  TProgramPaths paths = DecideProgramPaths(InspectExeFolder(ExeDir()), ProcessEnvironment);
  MakeProgramFolders(paths);
  return paths;
}

}  // namespace brevak
