#include "listfile/listfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/exepath.h"
#include "listfile/fileio.h"
#include "listfile/tempdir.h"

namespace brevak {
namespace {

using testing_support::ModeOf;
using testing_support::ReadBytes;
using testing_support::TTempDir;
using testing_support::WriteBytes;

// The executable's folder is a fresh temporary one for each test.
class ListFile : public testing::Test {
protected:
  ListFile() { SetExeDirForTesting(FDir.Dir()); }
  ~ListFile() override { SetExeDirForTesting(""); }

  std::string Path() const { return FDir.Path("brevak.ini"); }
  // One run: load, append, save.
  void Run(std::initializer_list<std::u16string_view> lines) {
    TStringList list;
    LoadListFile(list);
    for (std::u16string_view line : lines) list.Add(line);
    SaveListFile(list);
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FDir.Dir())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  TTempDir FDir;
};

TEST_F(ListFile, LiesBesideTheExecutable) { EXPECT_EQ(ListFileName(), FDir.Dir() + "brevak.ini"); }

TEST_F(ListFile, DeleteAtStartUp) {
  WriteBytes(Path(), "[SRR]\r\n");
  DeleteListFile();
  EXPECT_FALSE(FileExists(Path()));
  DeleteListFile();  // nothing there: nothing to do
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
  SaveListFile(list);
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
  DeleteListFile();
  ASSERT_TRUE(FileExists(Path()));

  TStringList list;
  LoadListFile(list);
  EXPECT_EQ(list.Count(), 2);
  list.Add(u"[RRC]");
  try {
    SaveListFile(list);
    ADD_FAILURE() << "saved over a read-only file";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + Path() + "\". Permission denied");
  }
  EXPECT_EQ(ReadBytes(Path()), kBytes);
  EXPECT_EQ(ModeOf(Path()), 0444u);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"brevak.ini"});
}

TEST_F(ListFile, AFolderThatCannotHoldItFailsTheSave) {
  SetExeDirForTesting(FDir.Path("plain"));
  WriteBytes(FDir.Path("plain"), "a file, not a folder");
  TStringList list;
  EXPECT_THROW(SaveListFile(list), EFCreateError);
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
    LoadListFile(list);
    ADD_FAILURE() << "loaded invalid UTF-8";
  } catch (const EInvalidUTF8& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + Path() + "\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ReadBytes(Path()), kBytes);
}

}  // namespace
}  // namespace brevak
