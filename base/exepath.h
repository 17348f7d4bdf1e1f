// The folder of the running executable: a portable copy keeps its files there, every copy looks
// there first for sources.ini, and an installed copy finds its prefix from it.
#pragma once

#include <string>

namespace brevak {

// The directory of the running executable, with its trailing '/'; "./" when the system does not
// say where the executable is.
std::string ExeDir();

}  // namespace brevak
