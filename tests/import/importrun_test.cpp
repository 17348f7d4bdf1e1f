// The frame of an import run, with a fake fetch and a fake bar: the order of header and entries,
// the bar's values, the save on every way out, the error of a failed fetch.
#include "import/importrun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/runfixture.h"

namespace brevak {
namespace {

using namespace brevak::test;
using ImportRun = TRunFixture;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(ImportRun, AppendsHeaderAndEntriesAfterWhatTheFileHeld) {
  WriteFile(ListFile(), "[Old]\r\nR0AAA=Old");  // no final line end: it gets one
  TFakeFetch fetch{"a\r\nb\r\n"};
  TFakeHost host;
  TTestRule rule;
  RunImportFrame(Settings(THeaderPlacement::AfterBody, TProgressMode::PerLine), rule, host,
                 fetch.Fn());
  EXPECT_EQ(ReadListFile(), "[Old]\r\nR0AAA=Old\r\n[Test]\r\nentry a\r\nentry b\r\n");
  EXPECT_THAT(fetch.Urls, ElementsAre("http://test.invalid/list"));
}

TEST_F(ImportRun, EmptyBodyStillGivesTheHeader) {
  for (auto placement : {THeaderPlacement::BeforeBody, THeaderPlacement::AfterBody}) {
    fs::remove(ListFile());
    TFakeFetch fetch{""};
    TFakeHost host;
    TTestRule rule;
    RunImportFrame(Settings(placement, TProgressMode::PerLine), rule, host, fetch.Fn());
    EXPECT_EQ(ReadListFile(), "[Test]\r\n");
    EXPECT_THAT(host.Events, ElementsAre("P0"));
  }
}

TEST_F(ImportRun, FailedFetchSavesUnchangedThenReportsSourceUrlAndCause) {
  for (auto placement : {THeaderPlacement::BeforeBody, THeaderPlacement::AfterBody}) {
    // No list file yet: an empty one is created.
    fs::remove(ListFile());
    TFakeFetch fetch;
    fetch.Fails = true;
    TFakeHost host;
    TTestRule rule;
    try {
      RunImportFrame(Settings(placement, TProgressMode::PerLine), rule, host, fetch.Fn());
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(),
                   "Could not fetch \"Test\" from http://test.invalid/list: host not found");
    }
    ASSERT_TRUE(fs::exists(ListFile()));
    EXPECT_EQ(fs::file_size(ListFile()), 0u);
    EXPECT_THAT(host.Events, ElementsAre("P0"));

    // An earlier section stays exactly as it was.
    WriteFile(ListFile(), "[SRR]\r\nR0AAA=SRR Member\r\n");
    EXPECT_THROW(
        RunImportFrame(Settings(placement, TProgressMode::PerLine), rule, host, fetch.Fn()),
        Exception);
    EXPECT_EQ(ReadListFile(), "[SRR]\r\nR0AAA=SRR Member\r\n");
  }
}

TEST_F(ImportRun, ErrorInALineRuleSavesWhatCameBeforeAndPassesTheErrorOn) {
  WriteFile(ListFile(), "[Old]\r\n");
  TFakeFetch fetch{Lines(10)};
  TFakeHost host;
  TTestRule rule;
  rule.ThrowAt = 7;
  TImportSettings s = Settings(THeaderPlacement::BeforeBody, TProgressMode::PerLine);
  EXPECT_THAT([&] { RunImportFrame(s, rule, host, fetch.Fn()); },
              ::testing::ThrowsMessage<Exception>(HasSubstr("rule failed at line 7")));
  EXPECT_EQ(ReadListFile(),
            "[Old]\r\n[Test]\r\nentry l0\r\nentry l1\r\nentry l2\r\nentry l3\r\n"
            "entry l4\r\nentry l5\r\nentry l6\r\n");
}

TEST_F(ImportRun, UnreadableListFileEndsTheRunBeforeFetching) {
  // A UTF-8 signature followed by bytes that are not UTF-8: loading refuses it.
  const std::string bytes = "\xEF\xBB\xBF[Old]\r\nR0AAA=\xC3\r\n";
  WriteFile(ListFile(), bytes);
  TFakeFetch fetch{"a\r\n"};
  TFakeHost host;
  TTestRule rule;
  EXPECT_THROW(RunImportFrame(Settings(THeaderPlacement::AfterBody, TProgressMode::PerLine), rule,
                              host, fetch.Fn()),
               Exception);
  EXPECT_TRUE(fetch.Urls.empty());
  EXPECT_EQ(ReadListFile(), bytes);
}

struct TProgressCase {
  const char* Name;
  TProgressMode Mode;
  int FirstLine;
  int Lines;
  std::vector<std::string> Events;
};

TEST_F(ImportRun, DrivesTheBar) {
  using enum TProgressMode;
  const TProgressCase cases[] = {
      // After every line of the range: i * 100 div (N - 1)
      {"per line, 5 lines",
       PerLine,
       0,
       5,
       {"P0", "P0", "M", "P25", "M", "P50", "M", "P75", "M", "P100", "M"}},
      {"per line, 4 lines", PerLine, 0, 4, {"P0", "P0", "M", "P33", "M", "P66", "M", "P100", "M"}},
      {"per line, 2 lines", PerLine, 0, 2, {"P0", "P0", "M", "P100", "M"}},
      {"per line, 1 line", PerLine, 0, 1, {"P0", "P100", "M"}},
      {"per line, no line", PerLine, 0, 0, {"P0"}},
      // AGB's range starts at line 1
      {"from line 1, 5 lines",
       PerLine,
       1,
       5,
       {"P0", "P25", "M", "P50", "M", "P75", "M", "P100", "M"}},
      {"from line 1, 1 line", PerLine, 1, 1, {"P0"}},
      // Once after the loop: N * 100 div (N - 1)
      {"once, 3 lines", OnceAfter, 0, 3, {"P0", "P150", "M"}},
      {"once, 2 lines", OnceAfter, 0, 2, {"P0", "P200", "M"}},
      {"once, 101 lines", OnceAfter, 0, 101, {"P0", "P101", "M"}},
      {"once, 102 lines", OnceAfter, 0, 102, {"P0", "P100", "M"}},
      {"once, 1 line", OnceAfter, 0, 1, {"P0", "P100", "M"}},
      {"once, no line", OnceAfter, 0, 0, {"P0", "P0", "M"}},
  };
  for (const TProgressCase& c : cases) {
    for (bool takesAnsi : {false, true}) {
      TFakeFetch fetch{Lines(c.Lines)};
      TFakeHost host;
      TTestRule rule(takesAnsi);
      RunImportFrame(Settings(THeaderPlacement::AfterBody, c.Mode, c.FirstLine), rule, host,
                     fetch.Fn());
      EXPECT_EQ(host.Events, c.Events) << c.Name << (takesAnsi ? ", as bytes" : "");
      EXPECT_EQ(rule.Forms.size(), static_cast<std::size_t>(std::max(c.Lines - c.FirstLine, 0)));
    }
  }
}

// A rule that takes bytes gets them for a document in the code page, and units for one with a
// signature, which is decoded whole; the list file is the same either way, and the same as from
// a rule that takes units only. A rule that fails on the way leaves what came before it.
TEST_F(ImportRun, ARuleThatTakesBytesGetsThemForADocumentInTheCodePage) {
  const std::string kSaved = "[Test]\r\nentry a\r\nentry \xC0\x98\r\nentry \r\n";
  struct Case {
    std::string Body;
    bool TakesAnsi;
    std::string Forms;
  };
  const Case cases[] = {
      {"a\r\n\xC0\x98\n\r", true, "bbb"},
      {"a\r\n\xC0\x98\n\r", false, "uuu"},
      {"\xEF\xBB\xBF"
       "a\r\n\xD0\x90\xC2\x98\r\n\r\n",
       true, "uuu"},
  };
  for (const Case& c : cases) {
    fs::remove(ListFile());
    TFakeFetch fetch{c.Body};
    TFakeHost host;
    TTestRule rule(c.TakesAnsi);
    RunImportFrame(Settings(THeaderPlacement::AfterBody, TProgressMode::OnceAfter), rule, host,
                   fetch.Fn());
    EXPECT_EQ(ReadListFile(), kSaved) << c.Forms;
    EXPECT_EQ(rule.Forms, c.Forms);
  }
  TFakeFetch fetch{Lines(10)};
  TFakeHost host;
  TTestRule rule(true);
  rule.ThrowAt = 2;
  fs::remove(ListFile());
  EXPECT_THROW(RunImportFrame(Settings(THeaderPlacement::AfterBody, TProgressMode::PerLine), rule,
                              host, fetch.Fn()),
               Exception);
  EXPECT_EQ(ReadListFile(), "[Test]\r\nentry l0\r\nentry l1\r\n");
}

TEST(Percent, LargeDocumentsDoNotWrap) {
  EXPECT_EQ(PerLinePercent(30'000'000, 30'000'001), 100);
  EXPECT_EQ(PerLinePercent(15'000'000, 30'000'001), 50);
  EXPECT_EQ(OnceAfterPercent(30'000'000), 100);
  EXPECT_EQ(OnceAfterPercent(101), 101);
}

}  // namespace
}  // namespace brevak
