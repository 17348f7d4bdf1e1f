// What a run says when a source has no host: which key to add where, a misspelt key that was
// probably meant, and a sources.ini that cannot be read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sources/sourcetable.h"
#include "support/loopback_server.h"
#include "support/runfixture.h"

namespace brevak {
namespace {

using namespace brevak::test;
using SourceHosts = TRunFixture;

std::string RunError(const fs::path& dir, TSourceId id, bool fetchFails = true) {
  TFakeFetch fetch;
  fetch.Fails = fetchFails;
  TFakeHost host;
  try {
    ImportSourceWithFetch(id, ImportFilesIn(dir), host, fetch.Fn());
  } catch (const Exception& e) {
    return e.what();
  }
  return {};
}

TEST_F(SourceHosts, ABuiltInHostSaysWhatToSetAndWhere) {
  struct Case {
    const char* Ini;  // nullptr: no sources.ini
    TSourceId Id;
    const char* Hint;  // what follows the path
  } cases[] = {
      {nullptr, TSourceId::FiveOcean, ""},
      {"[Hosts]\r\nSRR=srr.example.org\r\n", TSourceId::Hamlog, ""},
      {"[Hosts]\r\nRCWP=rcpw.example.org\r\n", TSourceId::RCPW,
       " (\"RCWP\" in sources.ini is no source's name)"},
      {"[Hosts]\r\nRDXC=a\r\nrrc2=b\r\nZZZZZZ=c\r\n", TSourceId::RRC,
       " (\"RDXC\", \"rrc2\" in sources.ini are no source's names)"},
      // A key of another source is no slip, however close its name.
      {"[Hosts]\r\nRCWC=rcwc.example.org\r\n", TSourceId::RCPW, ""},
      // Commented lines are no keys at all; a key's text is shown, not obeyed.
      {"[Hosts]\r\n;RCPW=rcpw.example.org\r\n# RCPW=x\r\nRCP\x1b=y\r\n", TSourceId::RCPW,
       " (\"RCP\\x1B\" in sources.ini is no source's name)"},
      // An empty value sets nothing.
      {"[Hosts]\r\nAGB=\r\n", TSourceId::AGB, ""},
  };
  for (const Case& c : cases) {
    fs::remove(FDir / "sources.ini");
    if (c.Ini) WriteFile(FDir / "sources.ini", c.Ini);
    const std::string name = SourceInfo(c.Id).Name;
    EXPECT_EQ(RunError(FDir, c.Id), "No host is set for \"" + name + "\": add " + name +
                                        "=HOST[:PORT] under [Hosts] in " +
                                        (FDir / "sources.ini").string() + c.Hint)
        << name;
    // Saved as after any failed fetch: an empty list file.
    EXPECT_EQ(ReadListFile(), "") << name;
  }
}

// An installed copy names the example it installs, which lists every key.
TEST_F(SourceHosts, ANewInstallIsPointedAtTheExample) {
  TImportFiles files = ImportFilesIn(FDir);
  files.ExampleFile = "/usr/share/doc/brevak/sources.ini.example";
  TFakeFetch fetch;
  fetch.Fails = true;
  TFakeHost host;
  try {
    ImportSourceWithFetch(TSourceId::SRR, files, host, fetch.Fn());
    ADD_FAILURE() << "the fetch failed, the import did not";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "No host is set for \"SRR\": add SRR=HOST[:PORT] under [Hosts] in " +
                  (FDir / "sources.ini").string() +
                  ". Every key is listed in /usr/share/doc/brevak/sources.ini.example");
  }
}

TEST_F(SourceHosts, AConfiguredHostKeepsTheFetchError) {
  WriteFile(FDir / "sources.ini", "[Hosts]\r\nSRR=srr.example.org\r\n");
  EXPECT_EQ(RunError(FDir, TSourceId::SRR),
            "Could not fetch \"SRR\" from "
            "http://srr.example.org/wp-content/uploads/2017/08/srr_qslbureau.csv: host not found");
}

// A list that moved is not followed; the message says exactly what to write, and what is written
// there is fetched as it is.
TEST_F(SourceHosts, AMovedListSaysWhatToSet) {
  test::TScriptedServer server(
      {test::Send("HTTP/1.1 301 Moved Permanently\r\nLocation: /lists/members.csv?all=1\r\n"
                  "Content-Length: 0\r\n\r\n"),
       test::Close()});
  const std::string host = "127.0.0.1:" + std::to_string(server.Port());
  WriteFile(FDir / "sources.ini", "[Hosts]\r\nSRR=" + host + "\r\n");
  TFakeHost fakeHost;
  std::string error;
  try {
    ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), fakeHost, HTTPFetch);
  } catch (const Exception& e) {
    error = e.what();
  }
  const std::string moved = "http://" + host + "/lists/members.csv?all=1";
  EXPECT_EQ(error, "Could not fetch \"SRR\" from http://" + host +
                       "/wp-content/uploads/2017/08/srr_qslbureau.csv: the server answered 301 "
                       "Moved Permanently. The list is now at " +
                       moved + ": to fetch it from there, set SRR=" + moved + " under [Hosts] in " +
                       (FDir / "sources.ini").string());
  EXPECT_EQ(ReadListFile(), "");

  WriteFile(FDir / "sources.ini", "[Hosts]\r\nSRR=" + moved + "\r\n");
  TFakeFetch fetch("R1ABC\r\n");
  ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), fakeHost, fetch.Fn());
  EXPECT_THAT(fetch.Urls, ::testing::ElementsAre(moved));
  EXPECT_EQ(ReadListFile(), "[SRR]\r\nR1ABC=SRR Member\r\n");
}

TEST_F(SourceHosts, AnUnreadableSourcesIniIsAnError) {
  // A folder in its place, and (for a user whom permissions bind) a file nobody may read.
  fs::create_directory(FDir / "sources.ini");
  std::string error = RunError(FDir, TSourceId::SRR, false);
  EXPECT_THAT(error, ::testing::HasSubstr((FDir / "sources.ini").string()));
  EXPECT_FALSE(fs::exists(ListFile()));
  fs::remove(FDir / "sources.ini");
  if (geteuid() == 0) return;
  WriteFile(FDir / "sources.ini", "[Hosts]\r\nSRR=srr.example.org\r\n");
  fs::permissions(FDir / "sources.ini", fs::perms::none);
  EXPECT_EQ(RunError(FDir, TSourceId::SRR, false),
            "Cannot read file \"" + (FDir / "sources.ini").string() + "\". Permission denied");
  EXPECT_FALSE(fs::exists(ListFile()));
}

// sources.ini chooses the servers the user's lists come from: a file that another user wrote, or
// that others may change, is refused with its path and the reason, and nothing is fetched.
TEST_F(SourceHosts, ASourcesIniOthersCouldHaveWrittenIsRefused) {
  const std::string path = (FDir / "sources.ini").string();
  struct TCase {
    unsigned Mode;
    uid_t Owner;  // 0 for the present user
    const char* Refusal;
  } cases[] = {
      {0666, 0, "Other users may change it"},
      {0620, 0, "Other users may change it"},
      {0644, 65533, "It belongs to another user"},
  };
  for (const TCase& c : cases) {
    if (c.Owner != 0 && geteuid() != 0) continue;  // only root can give a file away
    WriteFile(path, "[Hosts]\r\nSRR=attacker.example\r\n");
    chmod(path.c_str(), c.Mode);
    if (c.Owner != 0) {
      ASSERT_EQ(chown(path.c_str(), c.Owner, c.Owner), 0);
    }
    TFakeFetch fetch;
    TFakeHost host;
    try {
      ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), host, fetch.Fn());
      ADD_FAILURE() << "read";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + path + "\". " + c.Refusal);
    }
    EXPECT_TRUE(fetch.Urls.empty());
    fs::remove(FDir / "sources.ini");
  }
}

}  // namespace
}  // namespace brevak
