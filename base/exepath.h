// The folder of the running executable, where a portable copy keeps its files.
#pragma once

#include <string>

namespace brevak {

// The directory of the running executable, with its trailing '/'.
std::string ExeDir();

}  // namespace brevak
