#include "base/paths.h"

#include "base/exepath.h"

namespace brevak {

std::string ListFilePath() { return ExeDir() + "brevak.ini"; }
std::string PlacementFilePath() { return ExeDir() + "prog.ini"; }
std::string SourcesFilePath() { return ExeDir() + "sources.ini"; }

}  // namespace brevak
