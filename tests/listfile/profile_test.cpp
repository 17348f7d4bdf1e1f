#include "listfile/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

const std::string kProg =
    "; kept as it is\r\n"
    "[Other]\r\n"
    "Flags=7\r\n"
    "\r\n"
    "[TfrmMain]\r\n"
    "  FormVersion =  0  \r\n"
    "NormPos=10,20,330,200\n"
    "Note=a=b\r"
    "\r\n"
    "[Last]\r\n"
    "x=1\r\n";

TEST(ProfileRead, KeysAndDefaults) {
  TTempDir dir;
  std::string path = dir.Path("prog.ini");
  WriteBytes(path, kProg);
  struct Case {
    std::string File, Section, Key, Value;
  };
  const Case kCases[] = {
      // Found, with blanks dropped and names in any case
      {path, "TfrmMain", "FormVersion", "0"},
      {path, "tfrmmain", "NORMPOS", "10,20,330,200"},
      {path, "TfrmMain", "Note", "a=b"},
      {path, "Other", "Flags", "7"},
      // Absent: the default
      {path, "TfrmMain", "Flags", "def"},
      {path, "Missing", "FormVersion", "def"},
      {dir.Path("missing.ini"), "TfrmMain", "FormVersion", "def"},
      {dir.Dir(), "TfrmMain", "FormVersion", "def"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.Section + "/" + c.Key);
    EXPECT_EQ(ReadProfileString(c.File, c.Section, c.Key, "def"), c.Value);
  }
}

TEST(ProfileRead, ValuesAreCutTo2047Units) {
  TTempDir dir;
  std::string path = dir.Path("long.ini");
  std::string ascii(3000, 'x');
  // 2046 units, then a character of two units that does not fit whole.
  std::string pair = std::string(2046, 'y') + "\xF0\x9F\x98\x80" + "z";
  // Cyrillic letters: two bytes but one unit each.
  std::string cyrillic;
  for (int i = 0; i < 2047; ++i) cyrillic += "\xD0\x90";
  WriteBytes(path, "[S]\r\na=" + ascii + "\r\nb=" + pair + "\r\nc=" + cyrillic + "\r\n");
  EXPECT_EQ(ReadProfileString(path, "S", "a", ""), std::string(2047, 'x'));
  EXPECT_EQ(ReadProfileString(path, "S", "b", ""), std::string(2046, 'y'));
  EXPECT_EQ(ReadProfileString(path, "S", "c", ""), cyrillic);
  EXPECT_EQ(ReadProfileString(path, "S", "none", ascii), std::string(2047, 'x'));
}

TEST(ProfileWrite, CreatesFileSectionAndKey) {
  TTempDir dir;
  std::string path = dir.Path("prog.ini");
  ASSERT_TRUE(WriteProfileString(path, "TfrmMain", "FormVersion", "0"));
  ASSERT_TRUE(WriteProfileString(path, "TfrmMain", "Flags", "0"));
  ASSERT_TRUE(WriteProfileString(path, "Other", "Visible", "1"));
  EXPECT_EQ(ReadBytes(path), "[TfrmMain]\r\nFormVersion=0\r\nFlags=0\r\n[Other]\r\nVisible=1\r\n");
}

TEST(ProfileWrite, KeepsEverythingElse) {
  TTempDir dir;
  std::string path = dir.Path("prog.ini");
  WriteBytes(path, kProg);
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteProfileString(path, "TFRMMAIN", "normpos", "1,2,3,4"));
  ASSERT_TRUE(WriteProfileString(path, "TfrmMain", "Visible", "0"));
  EXPECT_EQ(ReadBytes(path),
            "; kept as it is\r\n"
            "[Other]\r\n"
            "Flags=7\r\n"
            "\r\n"
            "[TfrmMain]\r\n"
            "  FormVersion =  0  \r\n"
            "normpos=1,2,3,4\r\n"
            "Note=a=b\r\n"
            "Visible=0\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n");
  EXPECT_EQ(ModeOf(path), 0640u);
}

// An editor may have put the UTF-8 signature in front of the first section.
TEST(ProfileWrite, KeepsTheUtf8Signature) {
  TTempDir dir;
  std::string path = dir.Path("sources.ini");
  WriteBytes(path, "\xEF\xBB\xBF[Hosts]\nSRR=srr.example\n");
  EXPECT_EQ(ReadProfileString(path, "hosts", "srr", ""), "srr.example");
  ASSERT_TRUE(WriteProfileString(path, "Hosts", "AGB", "agb.example"));
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF[Hosts]\r\nSRR=srr.example\r\nAGB=agb.example\r\n");
}

TEST(ProfileWrite, ReadsBackWhatItWrites) {
  TTempDir dir;
  std::string path = dir.Path("prog.ini");
  const std::pair<std::string, std::string> kKeys[] = {
      {"MinMaxPos(1920x1080)", "-1,-1,-8,-31"},
      {"NormPos", "100,200,419,366"},
      {"Empty", ""},
      {"Host",
       "r\xC3\xA4"
       "dio.example"},
  };
  for (const auto& [key, value] : kKeys)
    ASSERT_TRUE(WriteProfileString(path, "TfrmMain", key, value));
  for (const auto& [key, value] : kKeys)
    EXPECT_EQ(ReadProfileString(path, "TfrmMain", key, "def"), value);
}

TEST(ProfileWrite, FailsWhereItCannotWrite) {
  TTempDir dir;
  WriteBytes(dir.Path("plain"), "a file, not a folder");
  // Under a file: no one, the superuser included, can create anything there.
  EXPECT_FALSE(WriteProfileString(dir.Path("plain/prog.ini"), "TfrmMain", "Flags", "0"));
  // A read-only file is left alone, also by the superuser.
  std::string readOnly = dir.Path("readonly.ini");
  WriteBytes(readOnly, "[TfrmMain]\r\nFlags=1\r\n");
  chmod(readOnly.c_str(), 0444);
  EXPECT_FALSE(WriteProfileString(readOnly, "TfrmMain", "Flags", "0"));
  EXPECT_EQ(ReadBytes(readOnly), "[TfrmMain]\r\nFlags=1\r\n");
  // What could not be read back is refused.
  EXPECT_FALSE(WriteProfileString(dir.Path("x.ini"), "TfrmMain", "Flags", "0\r\n[Evil]"));
  EXPECT_FALSE(WriteProfileString(dir.Path("x.ini"), "TfrmMain", "a=b", "0"));
}

// Several keys in one write leave the bytes that writing them one by one leaves.
TEST(ProfileWrite, KeysWrittenTogetherGiveTheBytesOfKeysWrittenOneByOne) {
  const TProfileEntries kEntries = {
      {"FormVersion", "0"},   {"Flags", "0"},
      {"ShowCmd", "1"},       {"MinMaxPos(1920x1080)", "-1,-1,-1,-1"},
      {"NORMPOS", "1,2,3,4"}, {"Visible", "0"},
  };
  const std::string kStarts[] = {"", kProg, "\xEF\xBB\xBF[TfrmMain]\nVisible=1",
                                 "[TfrmMain]\r\n\r\n"};
  for (const std::string& start : kStarts) {
    SCOPED_TRACE(testing::PrintToString(start));
    TTempDir dir;
    std::string together = dir.Path("together.ini"), oneByOne = dir.Path("one.ini");
    if (!start.empty()) {
      WriteBytes(together, start);
      WriteBytes(oneByOne, start);
    }
    ASSERT_TRUE(WriteProfileStrings(together, "TfrmMain", kEntries));
    for (const auto& [key, value] : kEntries)
      ASSERT_TRUE(WriteProfileString(oneByOne, "TfrmMain", key, value));
    EXPECT_EQ(ReadBytes(together), ReadBytes(oneByOne));
  }
  // One key that could not be read back keeps every key out.
  TTempDir dir;
  EXPECT_FALSE(WriteProfileStrings(dir.Path("x.ini"), "S", {{"a", "1"}, {"b", "2\n[Evil]"}}));
  EXPECT_FALSE(FileExists(dir.Path("x.ini")));
}

// A profile file that may be written in a folder that takes no new file is written in place.
TEST(ProfileWrite, WritesInPlaceInAFolderThatTakesNoNewFile) {
  TTempDir dir;
  std::string path = dir.Path("prog.ini");
  WriteBytes(path, "[TfrmMain]\r\nFlags=1\r\n");
  chmod(path.c_str(), 0666);
  chmod(dir.Dir().c_str(), 0555);
  int status = RunInChild(
      [&path] { return WriteProfileString(path, "TfrmMain", "Flags", "0") ? 0 : 1; }, true);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadBytes(path), "[TfrmMain]\r\nFlags=0\r\n");
}

TEST(ProfileWrite, FailsInAReadOnlyFolder) {
  if (RunningAsRoot()) GTEST_SKIP() << "the superuser writes into read-only folders";
  TTempDir dir;
  chmod(dir.Dir().c_str(), 0555);
  EXPECT_FALSE(WriteProfileString(dir.Path("prog.ini"), "TfrmMain", "Flags", "0"));
}

}  // namespace
}  // namespace brevak
