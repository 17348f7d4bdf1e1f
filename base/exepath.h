// Where the program's files live: beside the running executable.
#pragma once

#include <string>

namespace brevak {

// The directory of the running executable, with its trailing '/'. Tests may point it elsewhere
// with SetExeDirForTesting.
std::string ExeDir();
void SetExeDirForTesting(const std::string& dir);

}  // namespace brevak
