// Where the program's files live: the list file "brevak.ini", the placement file "prog.ini" and the
// sources file "sources.ini". Decided once at start-up, from the environment and the executable's
// folder, and handed to the parts that read and write them; every message about one of them names
// the full path decided here. Tested by tests/app/paths_qtest.cpp.
//
// A copy whose folder is its own (the user's or root's, and neither group nor others may write to
// it) keeps all three there: the portable use the program was made for. An installed copy, or one
// whose folder is shared or refuses new files, keeps the list file in
// $XDG_DATA_HOME/brevak/ and the placement file in $XDG_CONFIG_HOME/brevak/. Either looks for
// sources.ini beside itself, then in $XDG_CONFIG_HOME/brevak/, then under brevak/ in each folder of
// $XDG_CONFIG_DIRS.
#pragma once

#include <string>

#include "base/environment.h"
#include "sources/sourcetable.h"

namespace brevak {

// The name the program's desktop entry, icon and metainfo carry.
inline constexpr const char* kDesktopId = "io.github.brevak.Brevak";

struct TProgramPaths {
  TImportFiles Import;        // the list file and the places of sources.ini
  std::string PlacementFile;  // prog.ini
  std::string DataDir;        // holds brevak.ini; ends in '/'
  std::string ConfigDir;      // holds prog.ini; ends in '/'
  bool Portable = true;       // DataDir and ConfigDir are the executable's folder
};

// What the choice depends on besides the environment, as InspectExeFolder finds it.
struct TExeFolder {
  std::string Dir;          // ends in '/'
  bool Installed = false;   // its prefix holds the program's metainfo file
  std::string ExampleFile;  // its prefix's sources.ini.example, when there is one
  bool TakesFiles = false;  // a new file could be created in it
  unsigned Owner = 0;       // uid
  unsigned Mode = 0;        // permission bits
  unsigned User = 0;        // the uid the program runs as
  std::string AccountHome;  // the password database's home of User, for when HOME is unset
};

// Looks at dir (ending in '/') for DecideProgramPaths. It leaves the folder as it was: whether it
// takes files is found with a file made and removed again.
TExeFolder InspectExeFolder(const std::string& dir);

// Where the files live for a program in exe under the environment env. Creates nothing. When
// either XDG folder has no place (its variable is no absolute path, and there is neither HOME nor
// an account home), the copy keeps its files beside itself whatever its folder.
TProgramPaths DecideProgramPaths(const TExeFolder& exe, const TEnvLookup& env);

// Every file in dir (ending in '/'), sources.ini only there: the portable layout.
TProgramPaths PathsIn(const std::string& dir);

// Creates the data and config folders when they are the XDG ones (mode 0700, as XDG asks). A
// folder that cannot be created is left for the first save to report, with its path.
void MakeProgramFolders(const TProgramPaths& paths);

// At start-up: decides from ExeDir() and the process's environment, and makes the folders.
TProgramPaths ResolveProgramPaths();

}  // namespace brevak
