// Where the program's files live: the list file "brevak.ini", the placement file "prog.ini" and the
// hosts file "sources.ini". Every message about one of them names the full path these give.
// Tested through the list-file, placement and source-table tests.
#pragma once

#include <string>

namespace brevak {

// The list file's full path.
std::string ListFilePath();
// The placement file's full path.
std::string PlacementFilePath();
// The full path of the sources.ini the program reads, or would read when there is none.
std::string SourcesFilePath();

}  // namespace brevak
