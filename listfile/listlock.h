// One owner for a list file: a lock on the file "<list file>.lock" beside it, held by one process
// at a time for as long as it runs. The lock is the system's (fcntl), so it dies with its process:
// the lock file of a process that was killed is simply taken over. The file itself stays and
// holds the process id of its last owner. Tested by tests/listfile/listlock_test.cpp.
#pragma once

#include <string>

namespace brevak {

class TListFileLock {
public:
  // Opens the lock file for listFile (creating it private to the user, never through a link, and
  // only when it is the user's own file) and takes the lock unless another process holds it.
  explicit TListFileLock(const std::string& listFile);
  ~TListFileLock();
  TListFileLock(const TListFileLock&) = delete;
  TListFileLock& operator=(const TListFileLock&) = delete;

  // Another process holds the lock; Owner is its process id (-1 when it never wrote it).
  bool HeldElsewhere() const { return FOwner != 0; }
  long Owner() const { return FOwner; }
  // Why the lock file was refused: it is a link, no regular file or someone else's; empty when
  // it was not. A folder that takes no new file is no refusal: the program then goes on without a
  // lock, as its saves go on without a temporary file there.
  const std::string& Refusal() const { return FRefusal; }
  const std::string& Path() const { return FPath; }

private:
  std::string FPath;
  int FFd = -1;
  long FOwner = 0;
  std::string FRefusal;
};

}  // namespace brevak
