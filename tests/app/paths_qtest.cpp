// Where the files live: the choice between the program's folder and the XDG folders, the places
// of sources.ini, and the folders made at start-up.
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/paths.h"
#include "support/tempdir.h"

using brevak::TExeFolder;
using brevak::TProgramPaths;
namespace fs = std::filesystem;

namespace {

// A fresh folder for each test, removed afterwards.
class TScratch {
public:
  // A folder below the root, made on the way, with its trailing '/'.
  std::string Dir(const std::string& rel) const {
    fs::create_directories(FRoot / rel);
    std::string dir = (FRoot / rel).string();
    return dir.back() == '/' ? dir : dir + '/';
  }
  void Touch(const std::string& rel) const {
    fs::create_directories((FRoot / rel).parent_path());
    std::ofstream((FRoot / rel).string()) << "[Hosts]\n";
  }

private:
  brevak::test::TTempDir FTemp;
  fs::path FRoot = FTemp.Root();
};

brevak::TEnvLookup Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const char* name) {
    auto it = vars.find(name);
    return it == vars.end() ? std::string() : it->second;
  };
}

// A folder of the user's own that takes files: what a portable copy needs.
TExeFolder OwnFolder(const std::string& dir) {
  TExeFolder exe;
  exe.Dir = dir;
  exe.TakesFiles = true;
  exe.Owner = exe.User = 1000;
  exe.Mode = 0755;
  return exe;
}

}  // namespace

class TPathsTest : public QObject {
  Q_OBJECT
private slots:
  void aFolderOfOneselfKeepsEveryFileBesideTheProgram() {
    TScratch s;
    const std::string exe = s.Dir("bin");
    TExeFolder folder = brevak::InspectExeFolder(exe);
    QVERIFY(folder.TakesFiles);
    QVERIFY(!folder.Installed);
    QCOMPARE(folder.Owner, static_cast<unsigned>(geteuid()));
    // The probe that found the folder writable is gone again.
    QVERIFY(fs::is_empty(exe));
    TProgramPaths p = brevak::DecideProgramPaths(folder, Env({{"HOME", s.Dir("home")},
                                                              {"XDG_DATA_HOME", s.Dir("data")},
                                                              {"XDG_CONFIG_HOME", s.Dir("c")}}));
    QVERIFY(p.Portable);
    QCOMPARE(p.Import.ListFile, exe + "brevak.ini");
    QCOMPARE(p.PlacementFile, exe + "prog.ini");
    QCOMPARE(p.Import.NewSourcesFile, exe + "sources.ini");
    QCOMPARE(p.Import.SourcesFiles.front(), exe + "sources.ini");
  }

  // An installed copy writes under the XDG folders even where it could write beside itself (root
  // running /usr/bin/brevak must not leave files in /usr/bin), and so does one whose folder takes
  // no files; a relative XDG variable is ignored, and without a home the copy's folder it is.
  void otherwiseTheXdgFolders() {
    const std::string home = "/home/u/";
    struct TCase {
      const char* Name;
      bool Installed, TakesFiles;
      std::map<std::string, std::string> Vars;
      std::string Data, Config;
    } cases[] = {
        {"installed",
         true,
         true,
         {{"HOME", home}},
         home + ".local/share/brevak/",
         home + ".config/brevak/"},
        {"folder takes no files, variables set",
         false,
         false,
         {{"HOME", home}, {"XDG_DATA_HOME", "/d"}, {"XDG_CONFIG_HOME", "/c/"}},
         "/d/brevak/",
         "/c/brevak/"},
        {"relative values are ignored",
         false,
         false,
         {{"HOME", home}, {"XDG_DATA_HOME", "d"}, {"XDG_CONFIG_HOME", "./c"}},
         home + ".local/share/brevak/",
         home + ".config/brevak/"},
        {"no home at all", true, true, {}, "/opt/b/", "/opt/b/"},
    };
    for (const TCase& c : cases) {
      TExeFolder exe = OwnFolder("/opt/b/");
      exe.Installed = c.Installed;
      exe.TakesFiles = c.TakesFiles;
      TProgramPaths p = brevak::DecideProgramPaths(exe, Env(c.Vars));
      QVERIFY2(p.Portable == (c.Data == exe.Dir), c.Name);
      QCOMPARE(p.DataDir, c.Data);
      QCOMPARE(p.ConfigDir, c.Config);
      QCOMPARE(p.Import.ListFile, c.Data + "brevak.ini");
      QCOMPARE(p.PlacementFile, c.Config + "prog.ini");
      QCOMPARE(p.Import.NewSourcesFile, c.Config + "sources.ini");
    }
    // The account's home stands in for an unset HOME.
    TExeFolder exe = OwnFolder("/usr/bin/");
    exe.Installed = true;
    exe.AccountHome = "/var/lib/u";
    QCOMPARE(brevak::DecideProgramPaths(exe, Env({})).Import.ListFile,
             std::string("/var/lib/u/.local/share/brevak/brevak.ini"));
  }

  // Portable only in a folder of the user's (or root's) that neither group nor others may write
  // to: in a shared one another user could plant links in the place of the files.
  void portableOnlyInAFolderOfOnesOwn() {
    struct TCase {
      const char* Name;
      unsigned Owner, Mode;
      bool Portable;
    } cases[] = {
        {"own, 0755", 1000, 0755, true},
        {"own, 0700", 1000, 0700, true},
        {"root's", 0, 0755, true},
        {"group may write (a shared 2775)", 1000, 02775, false},
        {"others may write", 1000, 0757, false},
        {"sticky and open to all, as /tmp", 0, 01777, false},
        {"another user's", 1001, 0755, false},
    };
    for (const TCase& c : cases) {
      TExeFolder exe = OwnFolder("/opt/ham/");
      exe.Owner = c.Owner;
      exe.Mode = c.Mode;
      TProgramPaths p = brevak::DecideProgramPaths(exe, Env({{"HOME", "/home/u"}}));
      QVERIFY2(p.Portable == c.Portable, c.Name);
      QCOMPARE(p.Import.ListFile, c.Portable
                                      ? std::string("/opt/ham/brevak.ini")
                                      : std::string("/home/u/.local/share/brevak/brevak.ini"));
      // sources.ini beside the program is still looked for first; its own checks apply to it.
      QCOMPARE(p.Import.SourcesFiles.front(), std::string("/opt/ham/sources.ini"));
    }
    // What InspectExeFolder reads of a real folder.
    TScratch s;
    const std::string shared = s.Dir("shared");
    QCOMPARE(chmod(shared.c_str(), 02775), 0);
    TExeFolder exe = brevak::InspectExeFolder(shared);
    QCOMPARE(exe.Mode, 02775u);
    QVERIFY(!brevak::DecideProgramPaths(exe, Env({{"HOME", "/home/u"}})).Portable);
  }

  // sources.ini is the first found beside the program, then in the config folders; none found:
  // where the user would put one. A folder named sources.ini is no file, and a relative entry of
  // XDG_CONFIG_DIRS is skipped; without the variable it is /etc/xdg.
  void sourcesIniIsTheFirstFoundBesideTheProgramThenInTheConfigFolders() {
    struct TCase {
      std::vector<std::string> Present;
      std::string Expected;
    } cases[] = {
        {{"usr/bin", "config/brevak", "etc1/brevak", "etc2/brevak"}, "usr/bin"},
        {{"config/brevak", "etc1/brevak", "etc2/brevak"}, "config/brevak"},
        {{"etc1/brevak", "etc2/brevak"}, "etc1/brevak"},
        {{"etc2/brevak"}, "etc2/brevak"},
        {{}, "config/brevak"},
    };
    for (const TCase& c : cases) {
      TScratch s;
      const std::string root = s.Dir("");
      TExeFolder exe = OwnFolder(s.Dir("usr/bin"));
      exe.Installed = true;
      for (const std::string& dir : c.Present) s.Touch(dir + "/sources.ini");
      s.Dir("etc0/brevak/sources.ini");
      TProgramPaths p = brevak::DecideProgramPaths(
          exe,
          Env({{"HOME", s.Dir("home")},
               {"XDG_CONFIG_HOME", root + "config"},
               {"XDG_CONFIG_DIRS", root + "etc0:" + root + "etc1:relative:" + root + "etc2/"}}));
      QCOMPARE(brevak::SourcesFile(p.Import), root + c.Expected + "/sources.ini");
    }
    TProgramPaths p = brevak::DecideProgramPaths(OwnFolder("/opt/b/"), Env({{"HOME", "/h"}}));
    QCOMPARE(p.Import.SourcesFiles,
             (std::vector<std::string>{"/opt/b/sources.ini", "/h/.config/brevak/sources.ini",
                                       "/etc/xdg/brevak/sources.ini"}));
  }

  // The XDG folders are made with mode 0700, the parents on the way included.
  void theXdgFoldersAreMadePrivate() {
    TScratch s;
    const std::string root = s.Dir("");
    TExeFolder exe = OwnFolder(s.Dir("usr/bin"));
    exe.Installed = true;
    TProgramPaths p = brevak::DecideProgramPaths(
        exe, Env({{"XDG_DATA_HOME", root + "new/data"}, {"XDG_CONFIG_HOME", root + "new/config"}}));
    brevak::MakeProgramFolders(p);
    for (const std::string& dir : {p.DataDir, p.ConfigDir, root + "new"}) {
      struct stat st {};
      QVERIFY2(stat(dir.c_str(), &st) == 0, dir.c_str());
      QCOMPARE(st.st_mode & 0777, 0700u);
    }
  }
};

QTEST_GUILESS_MAIN(TPathsTest)
#include "paths_qtest.moc"
