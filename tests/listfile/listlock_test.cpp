#include "listfile/listlock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/tempdir.h"

namespace brevak {
namespace {

using test::ReadBytes;
using test::RunInChild;
using test::RunningAsRoot;
using test::TTempDir;
using test::WriteBytes;

// Locks are per process: another process is what a lock keeps out, so the second owner is a child.
// Its exit status: 0 when it found the lock held by expected, 1 when it took it, 2 otherwise.
int SecondOwner(const std::string& listFile, pid_t expected) {
  return RunInChild([&] {
    TListFileLock lock(listFile);
    if (!lock.HeldElsewhere()) return lock.Refusal().empty() ? 1 : 2;
    return lock.Owner() == expected ? 0 : 2;
  });
}

TEST(ListFileLock, OneOwnerAtATimeAndNoneAfterIt) {
  TTempDir dir;
  const std::string list = dir.Path("brevak.ini");
  {
    TListFileLock lock(list);
    ASSERT_FALSE(lock.HeldElsewhere());
    EXPECT_EQ(lock.Refusal(), "");
    EXPECT_EQ(ReadBytes(list + ".lock"), std::to_string(getpid()) + "\n");
    EXPECT_EQ(SecondOwner(list, getpid()), 0 << 8);
  }
  EXPECT_EQ(SecondOwner(list, 0), 1 << 8);
  // Nothing but the lock file: the list file is not the lock's to make.
  EXPECT_FALSE(std::filesystem::exists(list));
}

TEST(ListFileLock, AKilledOwnersLockIsTakenOver) {
  TTempDir dir;
  const std::string list = dir.Path("brevak.ini");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    TListFileLock lock(list);
    char c = lock.HeldElsewhere() ? 'n' : 'y';
    if (write(ready[1], &c, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  {
    TListFileLock lock(list);
    EXPECT_TRUE(lock.HeldElsewhere());
    EXPECT_EQ(lock.Owner(), child);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  TListFileLock lock(list);
  EXPECT_FALSE(lock.HeldElsewhere());
  EXPECT_EQ(lock.Refusal(), "");
  close(ready[0]);
  close(ready[1]);
}

// What lies at the lock file's path is never followed or taken when it is not the user's file.
TEST(ListFileLock, RefusesLinksFoldersAndOthersFiles) {
  TTempDir dir;
  const std::string list = dir.Path("brevak.ini");
  const std::string target = dir.Path("target");

  std::filesystem::create_symlink(target, list + ".lock");
  EXPECT_EQ(TListFileLock(list).Refusal(), "it is a symbolic link");
  EXPECT_FALSE(std::filesystem::exists(target));
  std::filesystem::remove(list + ".lock");

  std::filesystem::create_directory(list + ".lock");
  EXPECT_EQ(TListFileLock(list).Refusal(), "it is no regular file");
  std::filesystem::remove(list + ".lock");

  if (!RunningAsRoot()) GTEST_SKIP() << "another user's file needs the superuser to make";
  WriteBytes(list + ".lock", "1\n");
  ASSERT_EQ(chown((list + ".lock").c_str(), 65534, 65534), 0);
  EXPECT_EQ(TListFileLock(list).Refusal(), "it belongs to another user");
  EXPECT_EQ(ReadBytes(list + ".lock"), "1\n");
}

}  // namespace
}  // namespace brevak
