// A scratch folder that holds the list file, a fake fetch and a fake bar: what the tests
// of whole import runs share.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/exception.h"
#include "import/importrun.h"
#include "listfile/stringlist.h"
#include "support/tempdir.h"

namespace brevak::test {

namespace fs = std::filesystem;

// Records what the run does to the bar: "P<value>" for a new Percent, "M" for a message pump.
class TFakeHost : public TImportHost {
public:
  void SetPercent(int v) override { Events.push_back(std::string("P").append(std::to_string(v))); }
  void ProcessMessages() override { Events.push_back("M"); }
  std::vector<std::string> Events;
};

// A fetch that hands back body, or fails with cause when failing is set; counts its calls.
struct TFakeFetch {
  explicit TFakeFetch(std::string body = "") : Body(std::move(body)) {}
  std::string Body;
  bool Fails = false;
  std::string Cause = "host not found";
  std::vector<std::string> Urls;

  TFetchFn Fn() {
    return [this](const std::string& url, TMemoryStream& document, std::string& cause) {
      Urls.push_back(url);
      if (Fails) {
        cause = Cause;
        return false;
      }
      document.Write(Body);
      return true;
    };
  }
};

// Appends "entry <line>" for each line; raises at line index ThrowAt. Made with takesAnsi, it
// takes the lines of a document in the code page as bytes. Forms records how each line came:
// 'u' as units, 'b' as bytes.
class TTestRule : public TLineRule {
public:
  explicit TTestRule(bool takesAnsi = false) { FTakesAnsi = takesAnsi; }
  void Apply(std::u16string_view line, TStringList& listFile) override {
    if (FLine++ == ThrowAt) throw Exception("rule failed at line 7");
    Forms += 'u';
    listFile.Add(u"entry ", line);
  }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override {
    if (FLine++ == ThrowAt) throw Exception("rule failed at line 7");
    Forms += 'b';
    listFile.AddAnsi("entry ", line);
  }
  int ThrowAt = -1;
  std::string Forms;

private:
  int FLine = 0;
};

inline std::string Lines(int n) {
  std::string body;
  for (int i = 0; i < n; ++i) body.append("l").append(std::to_string(i)).append("\r\n");
  return body;
}

class TRunFixture : public ::testing::Test {
protected:
  fs::path ListFile() const { return FDir / "brevak.ini"; }
  std::string ReadListFile() const { return ReadBytes(ListFile().string()); }
  void WriteFile(const fs::path& p, const std::string& bytes) const {
    WriteBytes(p.string(), bytes);
  }

  TImportSettings Settings(THeaderPlacement placement, TProgressMode progress,
                           int firstLine = 0) const {
    TImportSettings s;
    s.ListFile = ListFile().string();
    s.Name = "Test";
    s.Header = u"[Test]";
    s.Url = "http://test.invalid/list";
    s.HeaderPlacement = placement;
    s.Progress = progress;
    s.FirstLine = firstLine;
    return s;
  }

  TTempDir FTemp;
  fs::path FDir = FTemp.Root();
};

}  // namespace brevak::test
