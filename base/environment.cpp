#include "base/environment.h"

#include <cstdlib>

namespace brevak {

std::string ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace brevak
