// Reading environment variables through a function that tests can replace. Used by the file
// locations (app/paths.*), the proxy choice (net/proxy.*) and the display check (app/).
#pragma once

#include <functional>
#include <string>

namespace brevak {

// The value of an environment variable, empty when it is not set.
using TEnvLookup = std::function<std::string(const char* name)>;

// The process's own environment.
std::string ProcessEnvironment(const char* name);

}  // namespace brevak
