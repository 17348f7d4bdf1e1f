// Addresses a source may be set to, and redirect locations resolved against the request.
#include "net/sourceurl.h"

#include <gtest/gtest.h>

namespace brevak {
namespace {

TEST(SourceUrl, WhatCanBeFetchedAsWritten) {
  for (const char* url : {"http://srr.example.org", "https://srr.example.org/lists/members.csv",
                          "HTTPS://srr.example.org:8443/?do=members&getlist=1",
                          "http://[2001:db8::1]:8080/x", "http://127.0.0.1/members.html"})
    EXPECT_TRUE(IsFetchableUrl(url)) << url;
  for (const char* url :
       {"", "srr.example.org", "ftp://srr.example.org/x", "http://", "http:///x",
        "http://user:pw@srr.example.org/x", "http://srr.example.org/members.html#close",
        "http://srr.example.org:83535/x", "http://srr.example.org:0/", "http://srr.example.org:/",
        "http://srr example.org/", "http://srr.example.org/a b", "http://srr.example.org?q=1",
        "http://[::1/x", "http://[srr]/x", "http://srr.example.org/\x1b[2J"})
    EXPECT_FALSE(IsFetchableUrl(url)) << url;
}

TEST(SourceUrl, LocationsResolvedAgainstTheRequest) {
  const char* base = "http://srr.example.org/wp-content/uploads/2017/08/srr.csv?x=1#top";
  const struct {
    const char* Location;
    const char* Url;
  } cases[] = {
      {"https://new.example.org/lists/members.csv", "https://new.example.org/lists/members.csv"},
      {"//cdn.example.org/a.csv", "http://cdn.example.org/a.csv"},
      {"/lists/members.csv", "http://srr.example.org/lists/members.csv"},
      {"members.csv", "http://srr.example.org/wp-content/uploads/2017/08/members.csv"},
      {"../09/srr.csv?v=2", "http://srr.example.org/wp-content/uploads/2017/09/srr.csv?v=2"},
      {"./", "http://srr.example.org/wp-content/uploads/2017/08/"},
      {"../../../../../../x", "http://srr.example.org/x"},
      {"?x=2", "http://srr.example.org/wp-content/uploads/2017/08/srr.csv?x=2"},
      {" /moved.csv#part ", "http://srr.example.org/moved.csv"},
      // "://" in a relative reference's query does not make it absolute.
      {"/login?next=http://x.example/", "http://srr.example.org/login?next=http://x.example/"},
      {"HTTP://new.example.org/a", "HTTP://new.example.org/a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveLocation(base, c.Location), c.Url) << c.Location;
  EXPECT_EQ(ResolveLocation("http://a.org", "list.csv"), "http://a.org/list.csv");
}

}  // namespace
}  // namespace brevak
