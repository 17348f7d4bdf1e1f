// Where the program's files live: the list file "brevak.ini", the placement file "prog.ini" and the
// hosts file "sources.ini". Every message about one of them names the full path these give.
//
// A copy that can create files in its own folder keeps all three there (the portable use the
// program was made for). An installed copy, or one whose folder refuses new files, keeps the list
// file in $XDG_DATA_HOME/brevak/ and the placement file in $XDG_CONFIG_HOME/brevak/, and looks for
// sources.ini beside itself, then in $XDG_CONFIG_HOME/brevak/, then under brevak/ in each folder of
// $XDG_CONFIG_DIRS. The program decides this once at start-up (ResolveProgramPaths); until then,
// and in tests that never call it, every file lives in ExeDir().
// Tested by tests/base/paths_test.cpp.
#pragma once

#include <functional>
#include <string>

#include "base/environment.h"

namespace brevak {

// The name the program's desktop entry, icon and metainfo carry.
inline constexpr const char* kDesktopId = "io.github.brevak.Brevak";

// The list file's full path.
std::string ListFilePath();
// The placement file's full path.
std::string PlacementFilePath();
// The full path of the sources.ini the program reads, or would read when there is none.
std::string SourcesFilePath();

struct TProgramPaths {
  std::string DataDir;      // holds brevak.ini; ends in '/'
  std::string ConfigDir;    // holds prog.ini; ends in '/'
  std::string SourcesFile;  // the first sources.ini found, else where one would be read from
  bool Portable = true;     // DataDir and ConfigDir are the executable's folder
};

// Decides where the files live for a program in exeDir (ending in '/') under the environment env.
// It creates no folder and leaves exeDir as it was (it probes it with a file it removes again).
TProgramPaths DecideProgramPaths(const std::string& exeDir, const TEnvLookup& env);

// At start-up: decides from ExeDir() and the process's environment, creates the data and config
// folders when they are the XDG ones (mode 0700, as XDG asks), and makes the three functions above
// answer from the result for the rest of the run. A folder that cannot be created is left for the
// first save to report, with its path.
const TProgramPaths& ResolveProgramPaths();
// Back to every file in ExeDir(), as before ResolveProgramPaths.
void ForgetProgramPathsForTesting();

// Whether a copy in exeDir is an installed one: its prefix holds the program's metainfo file.
bool IsInstalledLayout(const std::string& exeDir);

}  // namespace brevak
