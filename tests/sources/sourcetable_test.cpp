// Whole runs of the ten sources through their table rows, with a fake fetch: what each source
// asks for, where its hosts come from, and the bytes its section leaves in the list file.
#include "sources/sourcetable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "support/runfixture.h"

namespace brevak {
namespace {

using namespace brevak::test;
using SourceRun = TRunFixture;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct TUrlCase {
  TSourceId Id;
  const char* DefaultUrl;
  const char* ConfiguredHost;
  const char* ConfiguredUrl;
};

const TUrlCase kUrls[] = {
    {TSourceId::Hamlog, "https://hamlog.invalid/list/callsign-all.txt", "127.0.0.1:8443",
     "https://127.0.0.1:8443/list/callsign-all.txt"},
    {TSourceId::SRR, "http://srr.invalid/wp-content/uploads/2017/08/srr_qslbureau.csv",
     "srr.example.org", "http://srr.example.org/wp-content/uploads/2017/08/srr_qslbureau.csv"},
    {TSourceId::RCWC, "http://rcwc.invalid/?do=members&getlist=1", "[::1]:8080",
     "http://[::1]:8080/?do=members&getlist=1"},
    {TSourceId::AGB, "http://agb.invalid/club/agb-list.txt", "[::1]",
     "http://[::1]/club/agb-list.txt"},
    {TSourceId::FiveOcean, "http://5ocean.invalid/callbook/", "h5", "http://h5/callbook/"},
    {TSourceId::ARCK, "http://arck.invalid/p0101.htm", "h6", "http://h6/p0101.htm"},
    {TSourceId::KDR, "http://kdr.invalid/index.php?id_page=155", "h7",
     "http://h7/index.php?id_page=155"},
    {TSourceId::RadioWave, "http://radiowave.invalid/membership/", "h8", "http://h8/membership/"},
    {TSourceId::RCPW, "http://rcpw.invalid/members.html#close", "h9",
     "http://h9/members.html#close"},
    {TSourceId::RRC, "http://rrc.invalid/rrc/CLUB/members.asp?ORDER=1",
     "https://rrc.example.org:8443/lists/rrc.asp?ORDER=2",
     "https://rrc.example.org:8443/lists/rrc.asp?ORDER=2"},
};

TEST_F(SourceRun, FetchesTheConfiguredHostOrTheBuiltInOne) {
  for (const TUrlCase& c : kUrls) {
    TFakeFetch fetch;
    TFakeHost host;
    ImportSourceWithFetch(c.Id, ImportFilesIn(FDir), host, fetch.Fn());
    EXPECT_THAT(fetch.Urls, ElementsAre(c.DefaultUrl));
  }
  // Keys are the section names without brackets; a key absent or empty keeps the built-in host.
  std::string ini = "; hosts\r\n[Hosts]\r\nAGB=\r\n";
  for (const TUrlCase& c : kUrls)
    if (c.Id != TSourceId::AGB)
      ini += std::string(SourceInfo(c.Id).Name) + "=" + c.ConfiguredHost + "\r\n";
  WriteFile(FDir / "sources.ini", ini);
  for (const TUrlCase& c : kUrls) {
    TFakeFetch fetch;
    TFakeHost host;
    ImportSourceWithFetch(c.Id, ImportFilesIn(FDir), host, fetch.Fn());
    EXPECT_THAT(fetch.Urls, ElementsAre(c.Id == TSourceId::AGB ? c.DefaultUrl : c.ConfiguredUrl));
  }
}

TEST_F(SourceRun, RefusesAHostThatWouldChangeTheRequest) {
  for (const char* bad :
       {"h/x", "user@h", "h:", "h:80x", "[::1", "::1", "h h", "[::1]x", "h?q", "h:83535", "[::1]:0",
        "ftp://h/x", "http://u:p@h/x", "http://h/members.html#close", "https://h:99999/"}) {
    WriteFile(FDir / "sources.ini", std::string("[Hosts]\r\nSRR=") + bad + "\r\n");
    TFakeFetch fetch;
    TFakeHost host;
    EXPECT_THAT(
        [&] { ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), host, fetch.Fn()); },
        ::testing::ThrowsMessage<Exception>(HasSubstr("\"SRR\"")))
        << bad;
    EXPECT_TRUE(fetch.Urls.empty()) << bad;
    EXPECT_FALSE(fs::exists(ListFile())) << bad;
  }
}

// A named pipe in the hosts file's place would hold the run forever; it is named and refused
// before anything is fetched or saved.
TEST_F(SourceRun, RefusesAHostsFileThatIsNoFile) {
  const fs::path path = FDir / "sources.ini";
  ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
  TFakeFetch fetch;
  TFakeHost host;
  EXPECT_THAT([&] { ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), host, fetch.Fn()); },
              ::testing::ThrowsMessage<Exception>(
                  HasSubstr("\"" + path.string() + "\". It is a named pipe (FIFO)")));
  EXPECT_TRUE(fetch.Urls.empty());
  EXPECT_FALSE(fs::exists(ListFile()));
}

TEST_F(SourceRun, SectionsFollowEachOtherInTheOrderPressed) {
  TFakeHost host;
  TFakeFetch srr{"R0AAA;Ivan\r\n R0AAB \r\n"};
  ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), host, srr.Fn());
  // The numero sign of the AGB suffix is byte B9 in the list file's code page.
  TFakeFetch agb{"No\tCallsign\r\n12\tR0AAC\r\n13 ex R0AAD\r\n"};
  ImportSourceWithFetch(TSourceId::AGB, ImportFilesIn(FDir), host, agb.Fn());
  TFakeFetch kdr{"<b>#0123. </b><a href=x target=\"_blank\">R0AAE<a/>\r\n"};
  ImportSourceWithFetch(TSourceId::KDR, ImportFilesIn(FDir), host, kdr.Fn());
  TFakeFetch failed;
  failed.Fails = true;
  EXPECT_THROW(ImportSourceWithFetch(TSourceId::RRC, ImportFilesIn(FDir), host, failed.Fn()),
               Exception);
  ImportSourceWithFetch(TSourceId::SRR, ImportFilesIn(FDir), host, srr.Fn());
  EXPECT_EQ(ReadListFile(),
            "[SRR]\r\nR0AAA;Ivan=SRR Member\r\nR0AAB=SRR Member\r\n"
            "[AGB]\r\nR0AAC=AGB \xB9"
            "12\r\nR0AAD=AGB \xB9"
            "13\r\n"
            "[KDR]\r\nR0AAE=KDR \xB9"
            "0123\r\n"
            "[SRR]\r\nR0AAA;Ivan=SRR Member\r\nR0AAB=SRR Member\r\n");
}

TEST_F(SourceRun, UTF8SignedListFileStaysUTF8) {
  WriteFile(ListFile(), "\xEF\xBB\xBF[Old]\r\n\xD0\xAF=Old\r\n");
  TFakeHost host;
  TFakeFetch agb{"\r\n1 R0AAA\r\n"};
  ImportSourceWithFetch(TSourceId::AGB, ImportFilesIn(FDir), host, agb.Fn());
  EXPECT_EQ(ReadListFile(),
            "\xEF\xBB\xBF[Old]\r\n\xD0\xAF=Old\r\n[AGB]\r\nR0AAA=AGB \xE2\x84\x96"
            "1\r\n");
}

TEST(SourceTable, RowsMatchTheirIds) {
  for (int i = 0; i < kSourceCount; ++i) {
    const TSourceInfo& row = SourceTable()[i];
    EXPECT_EQ(static_cast<int>(row.Id), i);
    std::u16string header = u"[";
    header.append(row.Name, row.Name + std::strlen(row.Name)).append(u"]");
    EXPECT_EQ(std::u16string(row.Header), header);
  }
}

}  // namespace
}  // namespace brevak
