// A fresh folder under /tmp for one test, removed with everything in it afterwards, small helpers
// for the exact bytes and the mode of a file, and a piece of a test run as an unprivileged user.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace brevak::test {

class TTempDir {
public:
  TTempDir() {
    char name[] = "/tmp/brevak-test-XXXXXX";
    if (mkdtemp(name) != nullptr) FPath = name;
  }
  ~TTempDir() {
    std::error_code ec;
    // Folders a test made read-only must be writable again to be emptied.
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(FPath, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder without and with its trailing '/'.
  const std::string& Root() const { return FPath; }
  std::string Dir() const { return FPath + "/"; }
  std::string Path(const std::string& name) const { return Dir() + name; }

private:
  std::string FPath;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline unsigned ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

inline bool RunningAsRoot() { return geteuid() == 0; }

// Runs body in a forked child and returns the child's wait status; body's result is its exit
// status. Under the superuser the child first becomes the unprivileged user 65534, so that
// permission bits bind it (the folders it works in must let others enter them).
template <typename TBody>
int RunInChild(TBody body, bool unprivileged = false) {
  pid_t pid = fork();
  if (pid == 0) {
    if (unprivileged && RunningAsRoot() && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
    _exit(body());
  }
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  return status;
}

}  // namespace brevak::test
