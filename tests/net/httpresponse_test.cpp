// The response parsing pieces on their own: status lines, folded header lines, what a header line
// announces, chunk-size lines.
#include "net/httpresponse.h"

#include <gtest/gtest.h>

namespace brevak {
namespace {

TEST(HTTPResponse, DecodeStatus) {
  struct Case {
    const char* Line;
    int Code;
    const char* Reason;
  } cases[] = {
      {"HTTP/1.1 200 OK", 200, "OK"},     {"HTTP/1.0 404 Not Found", 404, "Not Found"},
      {"HTTP/1.1 200", 200, ""},          {"HTTP/1.1   301   Moved  ", 301, "Moved"},
      {"HTTP/1.1 200 OK ", 200, "OK"},    {"HTTP/1.0", 0, ""},
      {"HTTP/1.0 abc def", 0, "def"},     {"HTTP/1.0 +204 x", 204, "x"},
      {"HTTP/1.0 99999999999 x", 0, "x"},
  };
  for (const Case& c : cases) {
    int code = -1;
    std::string reason = "stale";
    DecodeStatus(c.Line, code, reason);
    EXPECT_EQ(code, c.Code) << c.Line;
    EXPECT_EQ(reason, c.Reason) << c.Line;
  }
}

TEST(HTTPResponse, JoinHeaderLines) {
  struct Case {
    std::vector<std::string> Raw;
    std::vector<std::string> Joined;
  } cases[] = {
      {{"A: 1", "B: 2", ""}, {"A: 1", "B: 2", ""}},
      {{"A: 1", " more", "\tand more ", "B: 2", ""}, {"A: 1 more and more", "B: 2", ""}},
      {{"A: 1", "\"quoted\"", ":colon", "=eq", ""}, {"A: 1 \"quoted\" :colon =eq", ""}},
      {{"A: 1   ", ""}, {"A: 1", ""}},
      // The last entry is never joined, even when the block was cut off before its empty line.
      {{"A: 1", " cut"}, {"A: 1", " cut"}},
      {{" lone", ""}, {" lone", ""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JoinHeaderLines(c.Raw), c.Joined) << ::testing::PrintToString(c.Raw);
}

TEST(HTTPResponse, ApplyHeaderLines) {
  struct Case {
    std::vector<std::string> Lines;
    int64_t Length;
    TTransferEncoding Mode;
    bool Close;
    const char* Mime;
  } cases[] = {
      {{}, -1, TE_UNKNOWN, false, "text/html"},
      {{"Content-Length: 12"}, 12, TE_IDENTITY, false, "text/html"},
      {{"content-length:  0 "}, 0, TE_IDENTITY, false, "text/html"},
      {{"Content-Length:12"}, -1, TE_UNKNOWN, false, "text/html"},
      {{"Content-Length: twelve"}, -1, TE_UNKNOWN, false, "text/html"},
      {{"Content-Length: 99999999999999999999"}, -1, TE_UNKNOWN, false, "text/html"},
      {{"Transfer-Encoding: chunked", "Content-Length: 5"}, 5, TE_CHUNKED, false, "text/html"},
      {{"Content-Length: 5", "Transfer-Encoding: gzip, Chunked"},
       5,
       TE_CHUNKED,
       false,
       "text/html"},
      {{"Transfer-Encoding: identity"}, -1, TE_UNKNOWN, false, "text/html"},
      {{"Content-Type: text/plain; charset=windows-1250 "},
       -1,
       TE_UNKNOWN,
       false,
       "text/plain; charset=windows-1250"},
      {{"Connection: Close"}, -1, TE_UNKNOWN, true, "text/html"},
      {{"Proxy-Connection: close"}, -1, TE_UNKNOWN, true, "text/html"},
      {{"Connection: keep-alive"}, -1, TE_UNKNOWN, false, "text/html"},
  };
  for (const Case& c : cases) {
    TResponseFraming framing;
    for (const std::string& line : c.Lines) ApplyHeaderLine(line, framing);
    std::string label = ::testing::PrintToString(c.Lines);
    EXPECT_EQ(framing.ContentLength, c.Length) << label;
    EXPECT_EQ(framing.Mode, c.Mode) << label;
    EXPECT_EQ(framing.Close, c.Close) << label;
    EXPECT_EQ(framing.MimeType, c.Mime) << label;
  }
}

TEST(HTTPResponse, ParseChunkSize) {
  struct Case {
    const char* Line;
    bool Fits;
    int64_t Size;
  } cases[] = {
      {"5", true, 5},
      {"1a", true, 26},
      {"FF", true, 255},
      {"10 ", true, 16},
      // The size is what precedes the first space: a leading space leaves nothing, which is 0.
      {" 10", true, 0},
      {"5;name=value", true, 5},
      {"5 ; name", true, 5},
      {"0", true, 0},
      {"", true, 0},
      {"xyz", true, 0},
      {"5x", true, 0},
      {"0000000000000000000000000001", true, 1},
      {"7FFFFFFFFFFFFFFF", true, INT64_MAX},
      {"8000000000000000", false, 0},
      {"10000000000000000", false, 0},
  };
  for (const Case& c : cases) {
    int64_t size = -1;
    EXPECT_EQ(ParseChunkSize(c.Line, size), c.Fits) << c.Line;
    if (c.Fits) {
      EXPECT_EQ(size, c.Size) << c.Line;
    }
  }
}

}  // namespace
}  // namespace brevak
