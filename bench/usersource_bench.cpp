// The rules of sources described in sources.ini against the same extraction written as a small
// program with PCRE2-JIT: three roster pages of 10 MB each (a table, a list of links, a CSV), and a
// hostile page of one 1 MiB line for the pattern rule, which must stay linear.
//
// A user rule here does what its import does between the fetch and the save: the document's
// lines handed to the rule (as bytes, or decoded, as the run chooses for it), every callsign
// through the filter into a list. The
// PCRE2 program searches the whole buffer in bytes (UTF-8 mode off, JIT) and copies each callsign
// into a vector of strings, as a one-off script would.
#include <benchmark/benchmark.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/memorystream.h"
#include "listfile/stringlist.h"
#include "sources/usersource.h"
#include "text/matcher.h"

namespace brevak {
namespace {

constexpr std::size_t kPageBytes = std::size_t{10} << 20;

std::string Callsign(int i) {
  static const char* kPrefixes[] = {"UA", "R", "RA", "UB", "EW", "UR", "RZ", "UN"};
  return std::string(kPrefixes[i % 8]) + std::to_string(i % 10) + static_cast<char>('A' + i % 26) +
         static_cast<char>('A' + (i / 26) % 26) + static_cast<char>('A' + (i / 676) % 26);
}

std::string Page(const std::string& shape) {
  std::string page;
  for (int i = 0; page.size() < kPageBytes; ++i) {
    const std::string call = Callsign(i);
    if (shape == "table")
      page += "<tr><td class=\"num\">" + std::to_string(i) + "</td><td class=\"call\">" + call +
              "</td><td>\xC8\xE2\xE0\xED\xEE\xE2 \xC8.</td><td>Moscow</td></tr>\r\n";
    else if (shape == "links")
      page += "<li><a href=\"/members/" + call + "\">" + call + "</a> \xC8\xE2\xE0\xED</li>\r\n";
    else
      page += std::to_string(i) + "," + call + ",\"Ivanov, Ivan\",Moscow," +
              std::to_string(2000 + i % 25) + "\r\n";
  }
  return page;
}

TUserSource Source(const std::string& shape) {
  TUserSource s;
  s.Name = "Bench";
  s.Note = u"Bench";
  if (shape == "table") {
    s.Rule = TUserRuleKind::Pattern;
    s.Pattern = u"<td class=\"call\">(.*?)</td>";
  } else if (shape == "links") {
    s.Rule = TUserRuleKind::Pattern;
    s.Pattern = u"<a href=\"/members/(.*?)\">";
  } else {
    s.Rule = TUserRuleKind::Columns;
    s.CallsignColumn = 2;
  }
  return s;
}

// The same extraction as a PCRE2 pattern over the whole buffer.
const char* PcrePattern(const std::string& shape) {
  if (shape == "table") return "<td class=\"call\">(.*?)</td>";
  if (shape == "links") return "<a href=\"/members/(.*?)\">";
  return "^[^,\\r\\n]*,(\"[^\"]*\"|[^,\\r\\n]*)";
}

// The page is the document a fetch received: it is not copied again for each run. The lines go
// to the rule as the run hands them: as bytes when the rule takes a document in the code page so.
int RunUserRule(const TUserSource& source, TMemoryStream& document) {
  document.SetPosition(0);
  TDocumentLines lines;
  lines.LoadFromStream(document);
  TStringList list;
  TMatcher matcher;
  std::unique_ptr<TLineRule> rule = MakeUserRule(source, matcher);
  rule->Prepare(lines.Count(), document.Size(), list);
  if (rule->TakesAnsi() && lines.InAnsiCodePage()) {
    std::string_view line;
    while (lines.NextAnsi(line)) rule->ApplyAnsi(line, list);
  } else {
    std::u16string_view line;
    while (lines.Next(line)) rule->Apply(line, list);
  }
  return list.Count();
}

void BM_UserRule(benchmark::State& state, const std::string& shape) {
  const std::string page = Page(shape);
  const TUserSource source = Source(shape);
  TMemoryStream document;
  document.Write(page);
  int entries = 0;
  for (auto _ : state) benchmark::DoNotOptimize(entries = RunUserRule(source, document));
  state.counters["entries"] = entries;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_Pcre2Jit(benchmark::State& state, const std::string& shape) {
  const std::string page = Page(shape);
  int error = 0;
  PCRE2_SIZE offset = 0;
  const std::string pattern = PcrePattern(shape);
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_MULTILINE, &error, &offset, nullptr);
  if (!code || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) std::abort();
  pcre2_match_data* data = pcre2_match_data_create(4, nullptr);
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(page.data());
  std::size_t entries = 0;
  for (auto _ : state) {
    std::vector<std::string> calls;
    PCRE2_SIZE from = 0;
    while (pcre2_jit_match(code, subject, page.size(), from, 0, data, nullptr) > 0) {
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
      calls.emplace_back(page, ovector[2], ovector[3] - ovector[2]);
      from = ovector[1] > ovector[0] ? ovector[1] : ovector[0] + 1;
    }
    entries = calls.size();
    benchmark::DoNotOptimize(calls.data());
  }
  state.counters["entries"] = static_cast<double>(entries);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  pcre2_match_data_free(data);
  pcre2_code_free(code);
}

// One line of the opening literal over and over, never closed: a backtracking search of it would
// take time square in its length.
void BM_HostileLine(benchmark::State& state) {
  std::string line;
  while (line.size() < static_cast<std::size_t>(state.range(0))) line += "<td class=\"call\">UA";
  const TUserSource source = Source("table");
  TMemoryStream document;
  document.Write(line);
  for (auto _ : state) benchmark::DoNotOptimize(RunUserRule(source, document));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

BENCHMARK_CAPTURE(BM_UserRule, table, std::string("table"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pcre2Jit, table, std::string("table"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UserRule, links, std::string("links"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pcre2Jit, links, std::string("links"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UserRule, csv, std::string("csv"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pcre2Jit, csv, std::string("csv"))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileLine)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brevak

BENCHMARK_MAIN();
