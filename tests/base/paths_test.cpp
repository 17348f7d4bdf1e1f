#include "base/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "base/exepath.h"

namespace brevak {
namespace {

namespace fs = std::filesystem;

// A fresh folder for each test, removed afterwards (write bits restored first).
class TScratch {
public:
  TScratch() {
    std::string tmpl = (fs::temp_directory_path() / "brevak-paths-XXXXXX").string();
    FRoot = mkdtemp(tmpl.data());
  }
  ~TScratch() {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(FRoot, ec))
      if (e.is_directory()) fs::permissions(e.path(), fs::perms::owner_all, ec);
    fs::remove_all(FRoot, ec);
  }
  // A folder below the root, made on the way, with its trailing '/'.
  std::string Dir(const std::string& rel) const {
    fs::create_directories(FRoot / rel);
    std::string dir = (FRoot / rel).string();
    return dir.back() == '/' ? dir : dir + '/';
  }
  std::string Touch(const std::string& rel) const {
    fs::create_directories((FRoot / rel).parent_path());
    std::ofstream((FRoot / rel).string()) << "[Hosts]\n";
    return (FRoot / rel).string();
  }

private:
  fs::path FRoot;
};

TEnvLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const char* name) {
    auto it = vars.find(name);
    return it == vars.end() ? std::string() : it->second;
  };
}

TEST(ProgramPaths, AWritableFolderKeepsEveryFileBesideTheProgram) {
  TScratch s;
  std::string exe = s.Dir("bin");
  TProgramPaths p = DecideProgramPaths(exe, Env({{"HOME", s.Dir("home")},
                                                 {"XDG_DATA_HOME", s.Dir("data")},
                                                 {"XDG_CONFIG_HOME", s.Dir("config")}}));
  EXPECT_TRUE(p.Portable);
  EXPECT_EQ(p.DataDir, exe);
  EXPECT_EQ(p.ConfigDir, exe);
  EXPECT_EQ(p.SourcesFile, exe + "sources.ini");
  // The probe that found the folder writable is gone again.
  EXPECT_TRUE(fs::is_empty(exe));
}

// A folder nobody can create files in, root included.
TEST(ProgramPaths, AFolderThatRefusesFilesSendsThemToTheXdgFolders) {
  TScratch s;
  std::string home = s.Dir("home");
  struct TCase {
    const char* Name;
    std::map<std::string, std::string> Vars;
    std::string Data, Config;
  } cases[] = {
      {"variables set",
       {{"HOME", home},
        {"XDG_DATA_HOME", s.Dir("d")},
        {"XDG_CONFIG_HOME", s.Dir("c").substr(0, s.Dir("c").size() - 1)}},
       s.Dir("d") + "brevak/",
       s.Dir("c") + "brevak/"},
      {"variables unset",
       {{"HOME", home}},
       home + ".local/share/brevak/",
       home + ".config/brevak/"},
      {"relative values are ignored",
       {{"HOME", home}, {"XDG_DATA_HOME", "d"}, {"XDG_CONFIG_HOME", "./c"}},
       home + ".local/share/brevak/",
       home + ".config/brevak/"},
  };
  for (const std::string& exe : {std::string("/proc/"), s.Dir("gone") + "missing/"}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(exe + ", " + c.Name);
      TProgramPaths p = DecideProgramPaths(exe, Env(c.Vars));
      EXPECT_FALSE(p.Portable);
      EXPECT_EQ(p.DataDir, c.Data);
      EXPECT_EQ(p.ConfigDir, c.Config);
      EXPECT_EQ(p.SourcesFile, c.Config + "sources.ini");
    }
  }
}

TEST(ProgramPaths, AFolderMadeReadOnlyRefusesFilesForAnOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root creates files in a read-only folder";
  TScratch s;
  std::string exe = s.Dir("bin");
  ASSERT_EQ(chmod(exe.c_str(), 0555), 0);
  TProgramPaths p = DecideProgramPaths(exe, Env({{"HOME", s.Dir("home")}}));
  EXPECT_FALSE(p.Portable);
  EXPECT_EQ(p.DataDir, s.Dir("home") + ".local/share/brevak/");
}

// An installed copy writes under the XDG folders even when it could write beside itself (root
// running /usr/bin/brevak must not leave files in /usr/bin).
TEST(ProgramPaths, AnInstalledCopyUsesTheXdgFoldersEvenWhereItCouldWrite) {
  TScratch s;
  std::string exe = s.Dir("usr/bin");
  s.Touch(std::string("usr/share/metainfo/") + kDesktopId + ".metainfo.xml");
  EXPECT_TRUE(IsInstalledLayout(exe));
  TProgramPaths p = DecideProgramPaths(exe, Env({{"HOME", s.Dir("home")}}));
  EXPECT_FALSE(p.Portable);
  EXPECT_EQ(p.DataDir, s.Dir("home") + ".local/share/brevak/");
}

// An installed copy, so that beside the program is writable for the test yet not the home.
TEST(ProgramPaths, SourcesIniIsTheFirstFoundBesideTheProgramThenInTheConfigFolders) {
  struct TCase {
    std::vector<std::string> Present;
    std::string Expected;
  } cases[] = {
      {{"usr/bin", "config/brevak", "etc1/brevak", "etc2/brevak"}, "usr/bin"},
      {{"config/brevak", "etc1/brevak", "etc2/brevak"}, "config/brevak"},
      {{"etc1/brevak", "etc2/brevak"}, "etc1/brevak"},
      {{"etc2/brevak"}, "etc2/brevak"},
      {{}, "config/brevak"},  // none: where the user would put one
  };
  for (const TCase& c : cases) {
    TScratch s;
    std::string root = s.Dir("");
    std::string exe = s.Dir("usr/bin");
    s.Touch(std::string("usr/share/metainfo/") + kDesktopId + ".metainfo.xml");
    for (const std::string& dir : c.Present) s.Touch(dir + "/sources.ini");
    // A folder named sources.ini is no file, and a relative entry in the list is skipped.
    s.Dir("etc0/brevak/sources.ini");
    TProgramPaths p = DecideProgramPaths(
        exe, Env({{"HOME", s.Dir("home")},
                  {"XDG_CONFIG_HOME", root + "config"},
                  {"XDG_CONFIG_DIRS", root + "etc0:" + root + "etc1:relative:" + root + "etc2/"}}));
    EXPECT_EQ(p.SourcesFile, root + c.Expected + "/sources.ini");
  }
}

TEST(ProgramPaths, XdgConfigDirsDefaultsToEtcXdg) {
  TScratch s;
  TProgramPaths p = DecideProgramPaths("/proc/", Env({{"HOME", s.Dir("home")}}));
  std::string etc = "/etc/xdg/brevak/sources.ini";
  EXPECT_EQ(p.SourcesFile,
            fs::is_regular_file(etc) ? etc : s.Dir("home") + ".config/brevak/sources.ini");
}

// The start-up resolution: the folders made with mode 0700, every path answered from them, and
// back to the program's folder when forgotten.
TEST(ProgramPaths, ResolvingAtStartUpCreatesTheXdgFoldersAndAnswersFromThem) {
  TScratch s;
  std::string exe = s.Dir("usr/bin");
  s.Touch(std::string("usr/share/metainfo/") + kDesktopId + ".metainfo.xml");
  std::string data = s.Dir("") + "new/data";
  std::string config = s.Dir("") + "new/config";
  SetExeDirForTesting(exe);
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ResolveProgramPaths();
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ListFilePath(), data + "/brevak/brevak.ini");
  EXPECT_EQ(PlacementFilePath(), config + "/brevak/prog.ini");
  EXPECT_EQ(SourcesFilePath(), config + "/brevak/sources.ini");
  for (const std::string& dir : {data + "/brevak", config + "/brevak", s.Dir("") + "new"}) {
    struct stat st {};
    ASSERT_EQ(stat(dir.c_str(), &st), 0) << dir;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
  }
  ForgetProgramPathsForTesting();
  EXPECT_EQ(ListFilePath(), exe + "brevak.ini");
  SetExeDirForTesting("");
}

}  // namespace
}  // namespace brevak
