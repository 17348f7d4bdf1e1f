#include "listfile/listfile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "listfile/fileio.h"
#include "support/tempdir.h"

namespace brevak {
namespace {

using test::ModeOf;
using test::ReadBytes;
using test::RunInChild;
using test::RunningAsRoot;
using test::TTempDir;
using test::WriteBytes;

// The list file lies in a fresh temporary folder for each test.
class ListFile : public testing::Test {
protected:
  std::string Path() const { return FDir.Path("brevak.ini"); }
  // One run: load, append, save.
  void Run(std::initializer_list<std::u16string_view> lines) {
    TStringList list;
    LoadListFile(Path(), list);
    for (std::u16string_view line : lines) list.Add(line);
    SaveListFile(Path(), list);
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FDir.Dir())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TTempDir FDir;
};

TEST_F(ListFile, DeleteAtStartUp) {
  WriteBytes(Path(), "[SRR]\r\n");
  DeleteListFile(Path());
  EXPECT_FALSE(FileExists(Path()));
  DeleteListFile(Path());  // nothing there: nothing to do
}

TEST_F(ListFile, RunsAppendTheirSectionsInOrder) {
  Run({});  // a first run whose fetch failed: an empty file
  EXPECT_TRUE(FileExists(Path()));
  EXPECT_EQ(ReadBytes(Path()), "");
  Run({u"[SRR]", u"R1A=SRR Member"});
  Run({u"[AGB]", u"UA1AAA=AGB \u21161"});
  Run({u"[SRR]", u"R1A=SRR Member"});
  EXPECT_EQ(ReadBytes(Path()),
            "[SRR]\r\nR1A=SRR Member\r\n"
            "[AGB]\r\nUA1AAA=AGB \xB9"
            "1\r\n"
            "[SRR]\r\nR1A=SRR Member\r\n");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"brevak.ini"});  // no temporary file left
}

TEST_F(ListFile, AFileFromElsewhereKeepsItsEncodingAndGetsCrLf) {
  struct Case {
    std::string Before, After;
  };
  const Case kCases[] = {
      {"[RCWC]\nA1A=RCWC\rB1B=RCWC", "[RCWC]\r\nA1A=RCWC\r\nB1B=RCWC\r\n[RRC]\r\n"},
      {"\xEF\xBB\xBF[KDR]\r\nR2A=KDR \xE2\x84\x96"
       "7",
       "\xEF\xBB\xBF[KDR]\r\nR2A=KDR \xE2\x84\x96"
       "7\r\n[RRC]\r\n"},
      {std::string("\xFF\xFEx\0", 4),
       std::string("\xFF\xFEx\0\r\0\n\0[\0R\0R\0C\0]\0\r\0\n\0", 22)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.Before));
    WriteBytes(Path(), c.Before);
    Run({u"[RRC]"});
    EXPECT_EQ(ReadBytes(Path()), c.After);
  }
}

TEST_F(ListFile, SaveReplacesTheFileWholeAndKeepsItsPermissions) {
  WriteBytes(Path(), "[SRR]\r\nR1A=SRR Member\r\nR2A=SRR Member\r\n");
  chmod(Path().c_str(), 0640);
  // A second name for the old file still shows the old bytes: the save made a new file and did
  // not write over the old one in place, where a crash would leave half of it.
  ASSERT_EQ(link(Path().c_str(), FDir.Path("old.ini").c_str()), 0);
  TStringList list;
  list.Add(u"[RRC]");
  SaveListFile(Path(), list);
  EXPECT_EQ(ReadBytes(Path()), "[RRC]\r\n");
  EXPECT_EQ(ReadBytes(FDir.Path("old.ini")), "[SRR]\r\nR1A=SRR Member\r\nR2A=SRR Member\r\n");
  EXPECT_EQ(ModeOf(Path()), 0640u);
}

TEST_F(ListFile, SaveThroughALinkReplacesTheFileItPointsTo) {
  WriteBytes(FDir.Path("real.ini"), "[SRR]\r\n");
  ASSERT_EQ(symlink("real.ini", Path().c_str()), 0);
  Run({u"[RRC]"});
  EXPECT_EQ(ReadBytes(FDir.Path("real.ini")), "[SRR]\r\n[RRC]\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
}

// A read-only list file from an earlier program run: it survives start-up, every run loads it
// and fails to save, and it never changes. The permission bits decide, also for the superuser.
TEST_F(ListFile, AReadOnlyFileStaysExactlyAsItWas) {
  const std::string kBytes = "[SRR]\r\nR1A=SRR Member\r\n";
  WriteBytes(Path(), kBytes);
  chmod(Path().c_str(), 0444);
  DeleteListFile(Path());
  ASSERT_TRUE(FileExists(Path()));

  TStringList list;
  LoadListFile(Path(), list);
  EXPECT_EQ(list.Count(), 2);
  list.Add(u"[RRC]");
  try {
    SaveListFile(Path(), list);
    ADD_FAILURE() << "saved over a read-only file";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + Path() + "\". Permission denied");
  }
  EXPECT_EQ(ReadBytes(Path()), kBytes);
  EXPECT_EQ(ModeOf(Path()), 0444u);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"brevak.ini"});
}

TEST_F(ListFile, AFolderThatCannotHoldItFailsTheSave) {
  WriteBytes(FDir.Path("plain"), "a file, not a folder");
  TStringList list;
  EXPECT_THROW(SaveListFile(FDir.Path("plain/brevak.ini"), list), EFCreateError);
}

// A file with the UTF-8 signature but invalid UTF-8 would load as no lines, and the run's save
// would then wipe every section in it. The load refuses it instead, naming the file.
TEST_F(ListFile, InvalidUtf8AfterTheSignatureIsRefused) {
  const std::string kBytes =
      "\xEF\xBB\xBF[AGB]\r\nUA1AAA=AGB \xB9"
      "1\r\n";
  WriteBytes(Path(), kBytes);
  TStringList list;
  try {
    LoadListFile(Path(), list);
    ADD_FAILURE() << "loaded invalid UTF-8";
  } catch (const EInvalidUTF8& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + Path() + "\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ReadBytes(Path()), kBytes);
}

// A pid that no process has: a child that has ended and been waited for.
pid_t GonePid() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

// A process of another program, alive until killed; returned once it runs that program.
pid_t SleepingOtherProgram() {
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 500 && ReadBytes("/proc/" + std::to_string(pid) + "/comm") != "sleep\n"; ++i)
    usleep(10000);
  return pid;
}

// The process is killed in the middle of writing the new list: the old file stays whole beside
// the temporary file of the save, and the next start clears that away.
TEST_F(ListFile, ASaveKilledHalfwayLeavesTheOldFileAndTheNextStartClearsItsTemporary) {
  const std::string kOld = "[SRR]\r\nR1A=SRR Member\r\n";
  WriteBytes(Path(), kOld);
  pid_t child = fork();
  if (child == 0) {
    // The write that would take the file past 64 KiB signals the process, which then dies as a
    // SIGKILL leaves it: no handler, no clean-up.
    signal(SIGXFSZ, [](int) { raise(SIGKILL); });
    rlimit limit{1 << 16, 1 << 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    TStringList list;
    LoadListFile(Path(), list);
    for (int i = 0; i < 20000; ++i) list.Add(u"UA1AAA=AGB \u21161 and a line long enough");
    SaveListFile(Path(), list);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  EXPECT_EQ(ReadBytes(Path()), kOld);
  std::vector<std::string> names = FolderNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "brevak.ini");
  EXPECT_TRUE(names[1].starts_with("brevak.ini.tmp" + std::to_string(child) + "-")) << names[1];
  EXPECT_EQ(std::filesystem::file_size(FDir.Path(names[1])), 1u << 16);
  // Private while it is written, whatever the list file's own bits.
  EXPECT_EQ(ModeOf(FDir.Path(names[1])), 0600u);

  RemoveStaleTemporaries(Path(), FDir.Path("prog.ini"));
  DeleteListFile(Path());
  EXPECT_TRUE(FolderNames().empty());
}

// Only regular files of the temporary pattern go, and only those whose process is gone or is
// another program's: a running copy of this program may be in the middle of its save.
TEST_F(ListFile, StaleTemporariesGoAndEverythingElseStays) {
  const std::string gone = std::to_string(GonePid());
  pid_t copy = fork();  // the same executable: a running copy
  if (copy == 0) {
    pause();
    _exit(0);
  }
  pid_t other = SleepingOtherProgram();
  const std::string self = std::to_string(getpid());
  const std::vector<std::string> kStale = {
      "brevak.ini.tmp" + gone + "-0",
      "prog.ini.tmp" + gone + "-12",
      "brevak.ini.tmp" + std::to_string(other) + "-0",
  };
  const std::vector<std::string> kKept = {
      "brevak.ini.tmp" + std::to_string(copy) + "-0",
      "brevak.ini.tmp" + gone,
      "brevak.ini.tmp" + gone + "-",
      "brevak.ini.tmpx-0",
      "brevak.ini.tmp-0",
      "sources.ini.tmp" + gone + "-0",
      "xbrevak.ini.tmp" + gone + "-0",
      "brevak.ini",
      "prog.ini.tmp" + gone + "-1.bak",
  };
  for (const std::string& name : kStale) WriteBytes(FDir.Path(name), "half");
  for (const std::string& name : kKept) WriteBytes(FDir.Path(name), "keep");
  std::filesystem::create_directory(FDir.Path("prog.ini.tmp" + gone + "-2"));
  // A save clears what it finds beside its own file, but not this process's own temporaries,
  // which another save of this process may be writing.
  WriteBytes(FDir.Path("brevak.ini.tmp" + self + "-999"), "own");
  TStringList list;
  list.Add(u"[SRR]");
  SaveListFile(Path(), list);
  EXPECT_FALSE(FileExists(FDir.Path(kStale[0])));
  EXPECT_TRUE(FileExists(FDir.Path(kStale[1])));  // prog.ini's: not this save's file
  EXPECT_TRUE(FileExists(FDir.Path("brevak.ini.tmp" + self + "-999")));

  RemoveStaleTemporaries(
      Path(), FDir.Path("prog.ini"));  // at start-up, when this process has no save under way
  kill(copy, SIGKILL);
  kill(other, SIGKILL);
  waitpid(copy, nullptr, 0);
  waitpid(other, nullptr, 0);
  std::vector<std::string> expected = kKept;
  expected.push_back("prog.ini.tmp" + gone + "-2");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderNames(), expected);
}

// A path that holds no regular file is named with what it holds, and start-up does not delete
// it. Opening a named pipe must not wait for a writer that never comes.
TEST_F(ListFile, APathThatHoldsNoFileIsRefusedAtLoad) {
  struct Case {
    const char* What;
    std::function<void(const std::string&)> Make;
    std::string Text;
  };
  const Case kCases[] = {
      {"fifo", [](const std::string& p) { mkfifo(p.c_str(), 0666); },
       "It is a named pipe (FIFO), not a regular file"},
      {"folder", [](const std::string& p) { std::filesystem::create_directory(p); },
       "Is a directory"},
      {"device", [](const std::string& p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); },
       "It is a character device, not a regular file"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove_all(Path());
    c.Make(Path());
    DeleteListFile(Path());
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(Path())));
    alarm(10);  // a load that waits dies here rather than at the run's time limit
    TStringList list;
    try {
      LoadListFile(Path(), list);
      ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + Path() + "\". " + c.Text);
    }
    TBytes bytes;
    EXPECT_NE(ReadWholeFile(Path(), bytes), 0);
    alarm(0);
  }
}

// A folder that will not take the temporary file while the file itself may be written: the file
// is written in place (same inode, same permissions), shorter or longer than before. Without a
// file to write, the message names the folder as what refused.
TEST_F(ListFile, AFolderThatRefusesNewFilesGetsItsFileWrittenInPlace) {
  WriteBytes(Path(), "[SRR]\r\nR1A=SRR Member\r\nR2A=SRR Member\r\n");
  chmod(Path().c_str(), 0666);
  chmod(FDir.Dir().c_str(), 0555);
  struct stat before {};
  stat(Path().c_str(), &before);
  int status = RunInChild(
      [this] {
        TStringList list;
        list.Add(u"[RRC]");
        SaveListFile(Path(), list);
        TStringList longer;
        LoadListFile(Path(), longer);
        longer.Add(u"R3A=RRC Member");
        longer.Add(u"R4A=RRC Member and a longer line than any before");
        SaveListFile(Path(), longer);
        return 0;
      },
      true);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadBytes(Path()),
            "[RRC]\r\nR3A=RRC Member\r\nR4A=RRC Member and a longer line than any before\r\n");
  struct stat after {};
  stat(Path().c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ModeOf(Path()), 0666u);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"brevak.ini"});

  ASSERT_EQ(unlink(Path().c_str()), 0);
  const std::string expected = "Cannot create file \"" + Path() + "\". The folder \"" + FDir.Dir() +
                               "\" does not take new files: Permission denied";
  status = RunInChild(
      [this, &expected] {
        try {
          SaveListFile(Path(), TStringList());
        } catch (const EFCreateError& e) {
          return std::string(e.what()) == expected ? 0 : 1;
        }
        return 2;
      },
      true);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The temporary's name cannot be taken beforehand: names of this process's pid with every counter
// an earlier version would have tried are taken, and the save still succeeds. The file takes the
// old file's bits, or a new file's (0666 less the umask).
TEST_F(ListFile, TemporariesHaveNamesNobodyCanTakeAndTheFileGetsItsBitsAtTheEnd) {
  const std::string self = std::to_string(getpid());
  for (int n = 0; n < 100; ++n)
    WriteBytes(FDir.Path("brevak.ini.tmp" + self + "-" + std::to_string(n)), "");
  TStringList list;
  list.Add(u"[SRR]");
  mode_t old = umask(027);
  SaveListFile(Path(), list);
  EXPECT_EQ(ModeOf(Path()), 0640u);
  chmod(Path().c_str(), 0604);
  SaveListFile(Path(), list);
  umask(old);
  EXPECT_EQ(ModeOf(Path()), 0604u);
  EXPECT_EQ(ReadBytes(Path()), "[SRR]\r\n");
  EXPECT_EQ(FolderNames().size(), 101u);
}

// The start-up clean-up stays in the program's own folder and takes only the user's files: what
// looks like a stale temporary beside the file a link points to, or another user's file, stays.
TEST_F(ListFile, StaleTemporariesGoOnlyInTheProgramsFolderAndOnlyTheUsers) {
  const std::string gone = std::to_string(GonePid());
  std::filesystem::create_directory(FDir.Path("elsewhere"));
  WriteBytes(FDir.Path("elsewhere/target.ini"), "[SRR]\r\n");
  WriteBytes(FDir.Path("elsewhere/target.ini.tmp" + gone + "-0"), "not the program's");
  std::filesystem::create_symlink(FDir.Path("elsewhere/target.ini"), Path());
  WriteBytes(FDir.Path("brevak.ini.tmp" + gone + "-Ab3xZ9"), "stale");
  WriteBytes(FDir.Path("prog.ini.tmp" + gone + "-1"), "another user's");
  if (RunningAsRoot()) {
    ASSERT_EQ(chown(FDir.Path("prog.ini.tmp" + gone + "-1").c_str(), 65533, 65533), 0);
  }
  RemoveStaleTemporaries(Path(), FDir.Path("prog.ini"));
  EXPECT_TRUE(FileExists(FDir.Path("elsewhere/target.ini.tmp" + gone + "-0")));
  EXPECT_FALSE(FileExists(FDir.Path("brevak.ini.tmp" + gone + "-Ab3xZ9")));
  EXPECT_EQ(FileExists(FDir.Path("prog.ini.tmp" + gone + "-1")), RunningAsRoot());
}

// In a folder that other users may write to, one of them puts a link named brevak.ini there,
// pointing at a file of the user's: a shell start-up file (the save would write the server's
// lines into it) or a private key (the load would read it into a new list file that others may
// read). A link or a file of another user's is refused, for load and save alike; the user's own
// links still lead to the file they point to, wherever it lies.
TEST_F(ListFile, AnotherUsersLinkOrFileIsRefusedAndTheUsersOwnLinkIsFollowed) {
  if (!RunningAsRoot())
    GTEST_SKIP() << "needs root to play the user (65534) and another user (65533)";
  const std::string shared = FDir.Path("shared/");
  const std::string home = FDir.Path("home/");
  std::filesystem::create_directory(shared);
  std::filesystem::create_directory(home);
  chmod(FDir.Dir().c_str(), 0755);
  // Without the sticky bit, so that the kernel's own guard for links does not step in.
  chmod(shared.c_str(), 0777);
  ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
  const std::string kRc = "echo the user's own shell\n";
  WriteBytes(home + "bashrc", kRc);
  WriteBytes(home + "own.ini", "[SRR]\r\n");
  for (const char* name : {"bashrc", "own.ini"})
    ASSERT_EQ(chown((home + name).c_str(), 65534, 65534), 0);
  chmod((home + "bashrc").c_str(), 0600);
  const std::string list = shared + "brevak.ini";
  const std::string link = "It is a link that belongs to another user";
  const std::string file = "It belongs to another user";
  struct TCase {
    const char* Name;
    std::string Target;   // empty: a plain file
    uid_t Owner;          // of the link, or of the plain file
    std::string Refusal;  // empty: used
  } cases[] = {
      {"another user's link to the user's file", home + "bashrc", 65533, link},
      {"the user's own link into his home", home + "own.ini", 65534, ""},
      {"root's link", home + "own.ini", 0, ""},
      {"another user's file", "", 65533, file},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(list);
    if (c.Target.empty())
      WriteBytes(list, "[AGB]\r\n");
    else
      std::filesystem::create_symlink(c.Target, list);
    ASSERT_EQ(lchown(list.c_str(), c.Owner, c.Owner), 0);
    const std::string expected = c.Refusal.empty() ? "" : "\"" + list + "\". " + c.Refusal;
    int status = RunInChild(
        [&] {
          std::string load, save;
          TStringList lines;
          try {
            LoadListFile(list, lines);
          } catch (const Exception& e) {
            load = e.what();
          }
          lines.Add(u"UA1AAA=SRR Member");
          try {
            SaveListFile(list, lines);
          } catch (const Exception& e) {
            save = e.what();
          }
          if (expected.empty()) return load.empty() && save.empty() ? 0 : 1;
          return load == "Cannot open file " + expected && save == "Cannot create file " + expected
                     ? 0
                     : 2;
        },
        true);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadBytes(home + "bashrc"), kRc);
    EXPECT_EQ(ModeOf(home + "bashrc"), 0600u);
  }
  // The followed links saved into the user's file, which keeps its place.
  EXPECT_EQ(ReadBytes(home + "own.ini"), "[SRR]\r\nUA1AAA=SRR Member\r\nUA1AAA=SRR Member\r\n");
  // The start-up delete takes a link itself, never its target.
  std::filesystem::remove(list);
  std::filesystem::create_symlink(home + "own.ini", list);
  DeleteListFile(list);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(list)));
  EXPECT_TRUE(FileExists(home + "own.ini"));
}

}  // namespace
}  // namespace brevak
