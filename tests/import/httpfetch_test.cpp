// The real fetch of a run against a scripted loopback server: which answers are the document, what
// the error says for the others, and a whole run that meets an error page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "import/importrun.h"
#include "support/loopback_server.h"
#include "support/runfixture.h"

namespace brevak {
namespace {

using namespace brevak::test;
using test::Close;
using test::Hold;
using test::Pause;
using test::Send;
using test::TScriptedServer;

TEST(StatusCause, NamesTheStatusAndWhereARedirectPoints) {
  const std::string url = "http://srr.example.org/lists/srr.csv";
  struct Case {
    int Code;
    const char* Reason;
    const char* Location;
    const char* Cause;
  } cases[] = {
      {200, "OK", "", ""},
      {204, "No Content", "", ""},
      {299, "", "", ""},
      {0, "", "", ""},  // no status line: the answer is the body
      {404, "Not Found", "", "the server answered 404 Not Found"},
      {500, "", "", "the server answered 500"},
      {199, "Odd", "", "the server answered 199 Odd"},
      {300, "Multiple Choices", "http://x/", "the server answered 300 Multiple Choices"},
      // Redirects say where the list went, resolved against the request, when a source can be
      // set to it.
      {301, "Moved Permanently", "https://new.example.org/list.csv",
       "the server answered 301 Moved Permanently. The list is now at "
       "https://new.example.org/list.csv"},
      {302, "Found", "/elsewhere",
       "the server answered 302 Found. The list is now at http://srr.example.org/elsewhere"},
      {303, "See Other", "new.csv#top",
       "the server answered 303 See Other. The list is now at "
       "http://srr.example.org/lists/new.csv"},
      {307, "Temporary Redirect", "//cdn.example.org/b",
       "the server answered 307 Temporary Redirect. The list is now at http://cdn.example.org/b"},
      {308, "Permanent Redirect", "ftp://files.example.org/c",
       "the server answered 308 Permanent Redirect (the list is now at "
       "ftp://files.example.org/c)"},
      {301, "Moved Permanently", "", "the server answered 301 Moved Permanently"},
      {304, "Not Modified", "/d", "the server answered 304 Not Modified"},
      // The server's text is shown, not obeyed.
      {404, "Not\x1b[31m Found\r", "", "the server answered 404 Not\\x1B[31m Found\\x0D"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StatusCause(c.Code, c.Reason, c.Location, url), c.Cause) << c.Code << " " << c.Reason;
  // A long text from the server is cut.
  std::string cause = StatusCause(404, std::string(10000, 'x'), "");
  EXPECT_LT(cause.size(), 300u);
  EXPECT_TRUE(cause.ends_with("...")) << cause;
  // Through a proxy the status says so, before where the list went.
  cause = StatusCause(301, "Moved", "/new", url, " (through proxy p:3128)");
  EXPECT_EQ(cause,
            "the server answered 301 Moved (through proxy p:3128). The list is now at "
            "http://srr.example.org/new");
  EXPECT_EQ(MovedTo(cause), "http://srr.example.org/new");
  EXPECT_EQ(MovedTo("the server answered 404 Not Found"), "");
}

TEST(HTTPFetch, OnlyA2xxAnswerIsTheDocument) {
  struct Case {
    const char* Name;
    std::string Response;
    bool Ok;
    const char* CauseOrDocument;
  } cases[] = {
      {"200", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", true, "ok"},
      {"no status line", "R1ABC;x\r\n", true, "R1ABC;x\r\n"},
      {"100 then 200", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 200 OK\r\n\r\nyes", true, "yes"},
      {"404", "HTTP/1.0 404 Not Found\r\n\r\n<html><body><h1>404 Not Found</h1></body></html>",
       false, "the server answered 404 Not Found"},
      {"301",
       "HTTP/1.1 301 Moved Permanently\r\nLocation: https://srr.example.org/new.csv\r\n"
       "Content-Length: 5\r\n\r\nmoved",
       false,
       "the server answered 301 Moved Permanently. The list is now at "
       "https://srr.example.org/new.csv"},
  };
  for (const Case& c : cases) {
    TScriptedServer server({Send(c.Response), Close()});
    TMemoryStream document;
    std::string cause;
    bool ok = HTTPFetch(server.Url("/list"), document, cause);
    EXPECT_EQ(ok, c.Ok) << c.Name << ": " << cause;
    EXPECT_EQ(ok ? document.Bytes() : cause, c.CauseOrDocument) << c.Name;
    EXPECT_TRUE(server.Accepted()) << c.Name;
  }
}

// http_proxy from the environment carries the fetch; the proxy's own refusal is named as its, and
// any other error page says that it came through the proxy (502, 503 and 504 are the proxy's).
TEST(HTTPFetch, GoesThroughTheProxyTheEnvironmentNames) {
  struct Case {
    std::string Answer;
    bool Ok;
    const char* CauseOrDocument;  // the proxy's port replaces %
  } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\nR1ABC\r\n", true, "R1ABC\r\n"},
      {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n", false,
       "proxy 127.0.0.1:% answered 407 Proxy Authentication Required"},
      {"HTTP/1.0 502 Bad Gateway\r\n\r\n<html>", false,
       "the server answered 502 Bad Gateway (through proxy 127.0.0.1:%)"},
      {"HTTP/1.0 404 Not Found\r\n\r\n", false,
       "the server answered 404 Not Found (through proxy 127.0.0.1:%)"},
  };
  for (const Case& c : cases) {
    TScriptedServer proxy({Send(c.Answer), Close()});
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.Port())).c_str(), 1);
    TMemoryStream document;
    std::string cause;
    bool ok = HTTPFetch("http://srr.example.org/list.csv", document, cause);
    unsetenv("http_proxy");
    std::string expected = c.CauseOrDocument;
    if (auto p = expected.find('%'); p != std::string::npos)
      expected.replace(p, 1, std::to_string(proxy.Port()));
    EXPECT_EQ(ok, c.Ok) << cause;
    EXPECT_EQ(ok ? document.Bytes() : cause, expected);
    EXPECT_TRUE(proxy.Request().starts_with("GET http://srr.example.org/list.csv HTTP/1.0\r\n"));
  }
}

// The command line's fetch has a limit for the whole fetch, however steadily the server sends.
TEST(HTTPFetch, WithinALimitEndsAsTimedOut) {
  TScriptedServer server({Send("HTTP/1.0 200 OK\r\n\r\n"), Pause(100), Send("R1"), Pause(100),
                          Send("ABC"), Pause(100), Send("\r\n"), Close()});
  TMemoryStream document;
  std::string cause;
  EXPECT_FALSE(HTTPFetchWithin(150)(server.Url("/list"), document, cause));
  EXPECT_EQ(cause, "timed out after 0.15 s");
}

using HTTPFetchRun = TRunFixture;

// The error page is not imported: the file stays as it was, and the error names the status.
TEST_F(HTTPFetchRun, AnErrorPageFailsTheRunAndLeavesTheFileAlone) {
  const std::string before = "[AGB]\r\nEW1AA=AGB \xb9\x31\x32\r\n";
  WriteFile(ListFile(), before);
  TScriptedServer server(
      {Send("HTTP/1.0 404 Not Found\r\n\r\n<html><body><h1>404 Not Found</h1></body></html>"),
       Close()});
  TImportSettings s = Settings(THeaderPlacement::BeforeBody, TProgressMode::PerLine);
  s.Url = server.Url("/list");
  TFakeHost host;
  TTestRule rule;
  EXPECT_THAT(
      [&] { RunImportFrame(s, rule, host, HTTPFetch); },
      ::testing::ThrowsMessage<Exception>(::testing::StrEq(
          "Could not fetch \"Test\" from " + s.Url + ": the server answered 404 Not Found")));
  EXPECT_EQ(ReadListFile(), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), fs::directory_iterator()), 1);
}

// A host that stops the wait ends the fetch at once; the run saves the file as after a failed
// fetch and reports the stop, not an error.
TEST_F(HTTPFetchRun, AStoppedWaitEndsTheRunQuickly) {
  WriteFile(ListFile(), "[Old]\r\n");
  TScriptedServer server({Hold(5000)});
  TImportSettings s = Settings(THeaderPlacement::AfterBody, TProgressMode::OnceAfter);
  s.Url = server.Url("/list");
  int waits = 0;
  auto fetch = [&](const std::string& url, TMemoryStream& document, std::string& cause) {
    return HTTPFetchWaiting(
        url, document, cause, [&] { return ++waits < 4; }, 0);
  };
  TFakeHost host;
  TTestRule rule;
  auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(RunImportFrame(s, rule, host, fetch), EFetchStopped);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0);
  EXPECT_EQ(waits, 4);
  EXPECT_EQ(ReadListFile(), "[Old]\r\n");
}

}  // namespace
}  // namespace brevak
