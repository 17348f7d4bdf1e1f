// The sources the window and the command line offer: the ten, a built-in one replaced, and the
// clubs of sources.ini after them, each imported by its own description.
#include "sources/sourcelist.h"

#include <gtest/gtest.h>

#include "listfile/stringlist.h"
#include "support/runfixture.h"

namespace brevak {
namespace {

using namespace brevak::test;
using SourceList = TRunFixture;

TEST_F(SourceList, TheTenThenTheFilesOwnWithAReplacedOneInItsPlace) {
  WriteFile(FDir / "sources.ini",
            "[Hosts]\r\nSRR=srr.example.org\r\nAGB=agb.example.org\r\n"
            "[Source CWClub]\r\nURL=http://cw.example.org/r.html\r\nRule=lines\r\n"
            "[Source agb]\r\nURL=http://new.example.org/agb.txt\r\nRule=lines\r\n"
            "[Source Broken]\r\nRule=lines\r\n");
  TSourceList list(ImportFilesIn(FDir));

  ASSERT_EQ(list.Sources().size(), 11u);
  EXPECT_TRUE(list.HasOwnSources());
  for (int i = 0; i < kSourceCount; ++i) EXPECT_EQ(list.Sources()[i].BuiltIn, &SourceTable()[i]);
  const TSource& cw = list.Sources()[10];
  EXPECT_EQ(cw.Name, "CWClub");
  EXPECT_EQ(list.Find("cwclub"), &cw);
  EXPECT_EQ(list.Find("CW"), nullptr);
  EXPECT_EQ(list.Url(cw), "http://cw.example.org/r.html");
  EXPECT_EQ(TSourceList::RuleName(cw), "lines");
  EXPECT_EQ(TSourceList::Origin(cw), (FDir / "sources.ini").string());

  // The description replaces the built-in address and rule; [Hosts] no longer counts for it.
  const TSource& agb = list.BuiltIn(TSourceId::AGB);
  EXPECT_EQ(agb.Name, "AGB");
  ASSERT_NE(agb.User, nullptr);
  EXPECT_EQ(list.Url(agb), "http://new.example.org/agb.txt");
  EXPECT_EQ(list.Url(list.BuiltIn(TSourceId::SRR)),
            "http://srr.example.org/wp-content/uploads/2017/08/srr_qslbureau.csv");
  EXPECT_EQ(TSourceList::RuleName(list.BuiltIn(TSourceId::SRR)), "built in");

  ASSERT_EQ(list.Errors().size(), 1u);
  EXPECT_NE(list.Errors()[0].find("[Source Broken] URL: missing"), std::string::npos);
  EXPECT_EQ(list.FaultyNames(), std::vector<std::string>{"Broken"});
  EXPECT_EQ(TSourceList::Header(agb), u"[AGB]");
  EXPECT_EQ(TSourceList::Header(cw), u"[CWClub]");

  // A replaced source writes the built-in header and note; a club its own.
  TFakeFetch fetch("EW1AA\r\n");
  TFakeHost host;
  list.ImportWithFetch(agb, host, fetch.Fn());
  list.ImportWithFetch(cw, host, fetch.Fn());
  EXPECT_EQ(fetch.Urls, (std::vector<std::string>{"http://new.example.org/agb.txt",
                                                  "http://cw.example.org/r.html"}));
  EXPECT_EQ(ReadListFile(), "[AGB]\r\nEW1AA=AGB\r\n[CWClub]\r\nEW1AA=CWClub\r\n");

  TStringList held;
  list.ImportIntoList(cw, host, fetch.Fn(), held);
  ASSERT_EQ(held.Count(), 2);
  EXPECT_EQ(held.Strings(1), u"EW1AA=CWClub");
}

TEST_F(SourceList, WithoutSectionsOnlyTheTen) {
  TSourceList list(ImportFilesIn(FDir));
  EXPECT_EQ(list.Sources().size(), static_cast<std::size_t>(kSourceCount));
  EXPECT_FALSE(list.HasOwnSources());
  EXPECT_TRUE(list.Errors().empty());
}

}  // namespace
}  // namespace brevak
