// THTTPSend against a real web server on loopback (Python's http.server with a chunked handler):
// a multi-megabyte file with Content-Length and a chunked response of many chunks.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "net/httpsend.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/test_util.h"

namespace brevak {
namespace {

class WebServer : public ::testing::Test {
protected:
  void SetUp() override {
    const char* root = std::getenv("BREVAK_TEST_DATA");
    std::string script = std::string(root ? root : "tests") + "/net/data/web_server.py";
    FServer = std::make_unique<test::TChildProcess>(
        std::vector<std::string>{"python3", script, FDir + "/port"}, FDir, FDir + "/server.log");
    // Bounded wait for the port file, then for the listener.
    for (int i = 0; i < 250 && FPort == 0; ++i) {
      std::ifstream in(FDir + "/port");
      in >> FPort;
      if (FPort == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(FPort, 0) << "web server did not start";
    ASSERT_TRUE(test::WaitForListener(FPort, 5000));
  }
  void TearDown() override { FServer.reset(); }
  std::string Url(const std::string& target) {
    return "http://127.0.0.1:" + std::to_string(FPort) + target;
  }

  test::TTempDir FTemp;
  std::string FDir = FTemp.Root();
  std::unique_ptr<test::TChildProcess> FServer;
  int FPort = 0;
};

TEST_F(WebServer, MultiMegabyteFileWithContentLength) {
  std::string data(5 * 1024 * 1024 + 123, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 31) >> 3);
  std::ofstream(FDir + "/big.bin", std::ios::binary) << data;
  THTTPSend http;
  http.Timeout = 2000;
  ASSERT_TRUE(http.HTTPMethod("GET", Url("/big.bin"))) << http.ErrorCause();
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_EQ(http.DownloadSize(), static_cast<int64_t>(data.size()));
  EXPECT_EQ(http.Document().Size(), data.size());
  EXPECT_TRUE(http.Document().Bytes() == data);
}

TEST_F(WebServer, ChunkedResponse) {
  THTTPSend http;
  http.Timeout = 2000;
  ASSERT_TRUE(http.HTTPMethod("GET", Url("/chunked?n=200&size=3000"))) << http.ErrorCause();
  std::string expected;
  for (int i = 0; i < 200; ++i)
    for (int j = 0; j < 3000; ++j) expected += static_cast<char>((i + j) % 251);
  EXPECT_TRUE(http.Document().Bytes() == expected);
  EXPECT_EQ(http.DownloadSize(), 3000);
}

TEST_F(WebServer, NotFoundPage) {
  THTTPSend http;
  http.Timeout = 2000;
  ASSERT_TRUE(http.HTTPMethod("GET", Url("/missing.html"))) << http.ErrorCause();
  EXPECT_EQ(http.ResultCode(), 404);
  EXPECT_FALSE(http.Document().Bytes().empty());
}

}  // namespace
}  // namespace brevak
