// The lock of a list file. Tested by tests/listfile/listlock_test.cpp.
#include "listfile/listlock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace brevak {
namespace {

flock WholeFile(short type) {
  flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

}  // namespace

TListFileLock::TListFileLock(const std::string& listFile) : FPath(listFile + ".lock") {
  constexpr int kFlags = O_RDWR | O_NOFOLLOW | O_CLOEXEC;
  FFd = open(FPath.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
  if (FFd < 0 && errno == EEXIST) FFd = open(FPath.c_str(), kFlags | O_NONBLOCK);
  if (FFd < 0) {
    if (errno == ELOOP) FRefusal = "it is a symbolic link";
    if (errno == EISDIR) FRefusal = "it is no regular file";
    return;
  }
  struct stat st {};
  if (fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) {
    FRefusal = "it is no regular file";
  } else if (st.st_uid != geteuid()) {
    FRefusal = "it belongs to another user";
  }
  if (!FRefusal.empty()) {
    close(FFd);
    FFd = -1;
    return;
  }
  // An open file description's lock (not the process's): no other open and close of the file in
  // this process can let it go. Its holder writes its process id into the file once it has it.
  for (int attempt = 0; attempt < 100; ++attempt) {
    flock lock = WholeFile(F_WRLCK);
    if (fcntl(FFd, F_OFD_SETLK, &lock) == 0) {
      const std::string pid = std::to_string(getpid()) + "\n";
      if (ftruncate(FFd, 0) == 0) {
        const ssize_t written = pwrite(FFd, pid.data(), pid.size(), 0);
        (void)written;  // the lock holds without its note
      }
      return;
    }
    if (errno != EAGAIN && errno != EACCES) return;
    char text[24] = {};
    const ssize_t n = pread(FFd, text, sizeof text - 1, 0);
    const long pid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid > 0 && text[n - 1] == '\n') {
      FOwner = pid;
      return;
    }
    // The holder has not written its id yet, or has just ended: ask again in a moment.
    usleep(10000);
  }
  FOwner = -1;  // held, by a process that never said which
}

TListFileLock::~TListFileLock() {
  if (FFd >= 0) close(FFd);  // lets the lock go
}

}  // namespace brevak
