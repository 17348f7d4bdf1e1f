#include "base/exepath.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace brevak {

std::string ExeDir() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace brevak
