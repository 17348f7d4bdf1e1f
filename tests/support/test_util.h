// Small helpers shared by the network tests.
#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace brevak::test {

// The bytes of tests/net/data/<name>.
inline std::string Fixture(const std::string& name) {
  const char* root = std::getenv("BREVAK_TEST_DATA");
  std::ifstream in(std::string(root ? root : "tests") + "/net/data/" + name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace brevak::test
