// Placeholder until the profile-file layer lands.
#include "listfile/profile.h"

namespace brevak {

std::string ReadProfileString(const std::string&, const std::string&, const std::string&,
                              const std::string& def) {
  return def;
}

bool WriteProfileString(const std::string&, const std::string&, const std::string&,
                        const std::string&) {
  return false;
}

}  // namespace brevak
