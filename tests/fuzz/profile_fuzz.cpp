// libFuzzer target: reading and writing a profile file ("sources.ini", "prog.ini") of arbitrary
// bytes. The read must not crash and gives at most 2047 units; a write that is accepted must be
// read back as written, and must leave another key's value as it was. Run with tests/fuzz/run; an
// input that makes it fail becomes a case of tests/listfile/formerbugs_test.cpp.
//
// Input layout: five length bytes, then the section, key and value written, the section and key of
// a second entry, each as long as its length byte says (cut to what is left), and the rest is the
// file's content before the write.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "listfile/profile.h"
#include "listfile/utf.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

const std::string& ProfilePath() {
  static const std::string path = [] {
    // In memory where the system offers it: every write is flushed to disk before it is renamed.
    char shm[] = "/dev/shm/brevak-profile-fuzz-XXXXXX";
    char tmp[] = "/tmp/brevak-profile-fuzz-XXXXXX";
    const char* dir = mkdtemp(shm);
    if (dir == nullptr) dir = mkdtemp(tmp);
    Require(dir != nullptr);
    static std::string made = dir;
    std::atexit([] {
      std::remove((made + "/test.ini").c_str());
      rmdir(made.c_str());
    });
    return made + "/test.ini";
  }();
  return path;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr);
  Require(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  Require(std::fclose(f) == 0);
}

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Names match without regard to ASCII case and surrounding blanks.
bool SameName(std::string_view a, std::string_view b) {
  a = TrimBlanks(a);
  b = TrimBlanks(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data + 5), size - 5);
  auto take = [&rest](uint8_t length) {
    std::string field(rest.substr(0, length));
    rest.remove_prefix(field.size());
    return field;
  };
  const std::string section = take(data[0]), key = take(data[1]), value = take(data[2]);
  const std::string otherSection = take(data[3]), otherKey = take(data[4]);
  const std::string& path = ProfilePath();
  WriteFile(path, rest);

  const std::string before = brevak::ReadProfileString(path, otherSection, otherKey, "-");
  Require(brevak::Utf8Decode(before).size() <= 2047);

  if (!brevak::WriteProfileString(path, section, key, value)) return 0;
  // Values of up to 255 bytes are never cut; they lose their surrounding blanks.
  Require(brevak::ReadProfileString(path, section, key, "-") == TrimBlanks(value));
  if (!(SameName(section, otherSection) && SameName(key, otherKey)))
    Require(brevak::ReadProfileString(path, otherSection, otherKey, "-") == before);
  return 0;
}
