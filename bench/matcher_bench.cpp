// The matcher side by side with PCRE2 (16-bit, with and without JIT) and std::wregex, on the same
// inputs, for each source's patterns used the way the source uses them:
//  - Page/<source>/<engine>: a generated 10 MB member page shaped like the source's (its member
//    rows among navigation, style and script lines), searched line by line: one search per
//    pattern, or Exec + the whole ExecNext loop where the source takes every match.
//  - Pattern/<pattern>/<engine>: for a source with two patterns, each of them alone on its page.
//  - Adversarial/<pattern>/<units>/<engine>: one line full of opening literals (and digits) but
//    without the closing literal, where a plain backtracking search is quadratic.
// Throughput is in bytes of UTF-16 text per second (CPU time). PCRE2 is compiled once per
// benchmark (DOTALL) and called with pcre2_jit_match / pcre2_match(PCRE2_NO_JIT); TMatcher is
// created per page, as an import run does, is handed the sources' constant patterns line by line
// as the rules hand them over, and recompiles nothing when a source alternates two patterns.
// std::wregex (ECMAScript) runs on wchar_t copies of the lines made before timing; it is recursive
// and quadratic on the adversarial line, so it only gets the 4 K one there, and PCRE2 without JIT,
// quadratic as well, stops at 64 K. Every engine's match count is checked against TMatcher's. Run:
// build/bench/matcher_bench [--benchmark_filter=Page/].
//
// matcher_bench --engine shape/pattern matcher|pcre-jit|limit [passes] times one engine alone on
// one page of the table (see TimeEngine).
//
// matcher_bench --table [repetitions [shape/pattern]] prints instead one table per measure, page
// shapes as rows and the nine patterns as columns, each pattern on a page of each shape (10 M
// units):
//  - rows:      the source's own page, the pattern used as the source uses it;
//  - short:     one cell per line, 20 to 40 units, a match on most lines;
//  - sparse:    several cells per line, the opening literal frequent, the closing literal (or the
//               digit) missing from most cells;
//  - cyrillic:  names and text in Cyrillic around the cells;
//  - minified:  the source's page as two very long lines, every match taken.
// Measured: TMatcher, PCRE2-16 JIT, and the limit of a two-literal pattern (TLimit: a vector scan
// for the opening literal, then for the closing one, nothing else), each on the whole page, in
// turn, thread CPU time, the median of the repetitions (default 5). Printed: TMatcher's speed as a
// ratio to PCRE2-JIT's and as a share of the limit's. Targets: ratio >= 1.2 and share >= 0.7.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <pcre2.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "text/matcher.h"
#include "text/sourcepatterns.h"

namespace {

using brevak::TMatcher;
namespace patterns = brevak::patterns;

struct TUse {
  brevak::TFixedPattern Pattern;  // a constant, as the sources' are
  bool EveryMatch;                // Exec + ExecNext loop; else Exec once
};

struct TSource {
  const char* Name;
  std::vector<TUse> Uses;
};

const TSource kSources[] = {
    {"5Ocean", {{patterns::kFiveOceanBlankLink, false}, {patterns::kFiveOceanStyledLink, false}}},
    {"ARCK", {{patterns::kARCKCall, true}}},
    {"KDR", {{patterns::kKDRNumber, false}, {patterns::kKDRLink, false}}},
    {"RadioWave", {{patterns::kRadioWaveCell, true}}},
    {"RCPW", {{patterns::kRCPWCell, false}}},
    {"RRC", {{patterns::kRRCLink, true}, {patterns::kRRCPiece, true}}},
};

// ---- Generated pages

class TPageWriter {
public:
  explicit TPageWriter(uint32_t seed) : FRandom(seed) {}

  std::string Call() {
    static const char* kPrefixes[] = {"R", "UA", "RA", "RW", "UB", "RN", "R0", "UA9"};
    std::string call = kPrefixes[FRandom() % std::size(kPrefixes)];
    if (call.back() < '0' || call.back() > '9') call += static_cast<char>('0' + FRandom() % 10);
    for (int i = 0, n = 2 + static_cast<int>(FRandom() % 2); i < n; ++i)
      call += static_cast<char>('A' + FRandom() % 26);
    return call;
  }
  std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }
  std::string Name() {
    static const char* kNames[] = {"Ivan", "Petr", "Oleg", "Sergey", "Nikolai", "Andrey", "Yuri"};
    return kNames[FRandom() % std::size(kNames)];
  }
  std::string Number() { return std::to_string(1000 + FRandom() % 9000); }
  unsigned Pick(unsigned n) { return static_cast<unsigned>(FRandom() % n); }

  // The lines every page has around its rows: navigation, style, script, text.
  std::string Filler() {
    switch (Pick(6)) {
      case 0:
        return "<div class=\"menu\"><a href=\"/\">Home</a> | <a href=\"/news\">News</a> | "
               "<a href=\"/contest\">Contest</a> | <a href=\"/about\">About</a></div>";
      case 1:
        return "  .row td { padding: 2px 4px; border-bottom: 1px solid #ccc; font: 9pt Tahoma; }";
      case 2:
        return "  function show(id) { var e = document.getElementById(id); if (e) e.style.display "
               "= (e.style.display == 'none') ? '' : 'none'; }";
      case 3:
        return "<p>Members meet on the first Saturday of the month at 18:00 UTC on 3.650 MHz; "
               "QSL via bureau or direct to the club station " +
               Call() + ".</p>";
      case 4:
        return "<tr><td colspan=4><img src=\"/img/line.gif\" width=600 height=1 "
               "alt=\"\"></td></tr>";
      default:
        return "";
    }
  }

  std::string Row(const std::string& source) {
    const std::string call = Call();
    if (source == "5Ocean") {
      switch (Pick(4)) {
        case 0:
          return "<td><a href=/callbook/" + Lower(call) + ".html target=\"_blank\">" + call +
                 "</a></td>";
        case 1:
          return "<td><a href=/callbook/" + Lower(call) + ".html style=\"color:navy;\">" + call +
                 ", " + Call() + "</a></td>";
        case 2:
          return "<tr><td>" + Number() + "</td><td>" + Name() + "</td><td>no link here</td></tr>";
        default:
          return "<td><a href=/callbook/" + Lower(call) +
                 ".html target=\"_blank\"><img src=" + Lower(call) + ".png></a></td>";
      }
    }
    if (source == "ARCK") {
      if (Pick(4) == 0)
        return "<b>Chairman<br></b><span class=\"t3\"><b>" + call + "&nbsp;" + Name() +
               "</b></span>";
      std::string line;
      for (int i = 0, n = 1 + static_cast<int>(Pick(6)); i < n; ++i)
        line += "<br>" + Call() + "&nbsp;" + Name();
      return line;
    }
    if (source == "KDR") {
      switch (Pick(3)) {
        case 0:
          return "<tr><td><b>No. #0" + Number() + ". </b><a href=/member/" + Lower(call) +
                 " target=\"_blank\">" + call + "<a/></td></tr>";
        case 1:
          return "<tr><td><a href=/member/" + Lower(call) + " target=\"_blank\">" + call +
                 "<a/></td></tr>";
        default:
          return "<tr><td><b>#" + Number() + ": </b><a href=/member/" + Lower(call) +
                 ">profile</a></td></tr>";
      }
    }
    if (source == "RadioWave") {
      std::string line = "<tr>";
      for (int i = 0, n = 1 + static_cast<int>(Pick(3)); i < n; ++i) {
        const std::string c = Call();
        line.append("<td class=\"col1\"><a href=\"/membership/?call=").append(c).append("\">");
        line.append(c).append("</a></td><td class=\"col2\">").append(Name()).append("</td>");
      }
      return line + "</tr>";
    }
    if (source == "RCPW") {
      switch (Pick(3)) {
        case 0:
          return "<tr><td align=center>" + call + "</td><td>" + Name() + "</td><td align=center>" +
                 Number() + "</td></tr>";
        case 1:
          return "<tr><td align=center>" + call + "<br>(since 20" + Number().substr(2) +
                 ")</td></tr>";
        default:
          return "<tr><td align=center><a href=#" + Lower(call) + ">" + call + "</a></td></tr>";
      }
    }
    // RRC: the member list, a table of cells holding links and plain pieces.
    std::string line = "<tr><td valign=top>";
    for (int i = 0, n = 10 + static_cast<int>(Pick(20)); i < n; ++i) {
      const std::string c = Call();
      if (Pick(3) == 0)
        line.append(" <a href=\"info.asp?c=").append(c).append("\">").append(c).append("</a><br>");
      else
        line += " " + c + "<br>";
      if (Pick(8) == 0) line += "</td><td valign=top>";
    }
    return line + "</td></tr>";
  }

private:
  std::mt19937 FRandom;
};

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::vector<std::u16string> MakePage(const std::string& source, size_t units) {
  TPageWriter writer(12345);
  std::vector<std::u16string> lines;
  size_t total = 0;
  while (total < units) {
    const std::string line = writer.Pick(5) < 3 ? writer.Row(source) : writer.Filler();
    lines.push_back(Widen(line));
    total += line.size() + 2;  // CR LF
  }
  return lines;
}

size_t UnitCount(const std::vector<std::u16string>& lines) {
  size_t total = 0;
  for (const auto& line : lines) total += line.size();
  return total;
}

// ---- Engines: each returns the number of matches found over the lines.

size_t RunMatcher(const std::vector<TUse>& uses, const std::vector<std::u16string>& lines) {
  TMatcher m;  // one per import run
  size_t found = 0;
  for (const auto& line : lines) {
    for (const TUse& use : uses) {
      m.SetExpression(use.Pattern);
      if (!m.ExecZeroFree(line)) continue;  // as the rules search a document's lines
      ++found;
      if (use.EveryMatch)
        while (m.ExecNext()) ++found;
    }
  }
  return found;
}

class TPcreEngine {
public:
  TPcreEngine(const std::vector<TUse>& uses, bool jit) : FJit(jit) {
    for (const TUse& use : uses) {
      int error = 0;
      PCRE2_SIZE offset = 0;
      const std::u16string_view pattern = use.Pattern;
      pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                       PCRE2_DOTALL, &error, &offset, nullptr);
      if (code == nullptr) std::abort();
      if (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) std::abort();
      FCodes.push_back(code);
      FEvery.push_back(use.EveryMatch);
    }
    FData = pcre2_match_data_create(16, nullptr);
  }
  ~TPcreEngine() {
    for (pcre2_code* code : FCodes) pcre2_code_free(code);
    pcre2_match_data_free(FData);
  }
  TPcreEngine(const TPcreEngine&) = delete;
  TPcreEngine& operator=(const TPcreEngine&) = delete;

  // Counts PCRE2's own errors (match limit) apart, so that they show in the report.
  size_t Errors() const { return FErrors; }

  size_t Run(const std::vector<std::u16string>& lines) {
    size_t found = 0;
    for (const auto& line : lines) {
      const auto subject = reinterpret_cast<PCRE2_SPTR>(line.data());
      for (size_t k = 0; k < FCodes.size(); ++k) {
        size_t from = 0;
        for (;;) {
          const int rc =
              FJit ? pcre2_jit_match(FCodes[k], subject, line.size(), from, 0, FData, nullptr)
                   : pcre2_match(FCodes[k], subject, line.size(), from, PCRE2_NO_JIT, FData,
                                 nullptr);
          if (rc < 0) {
            if (rc != PCRE2_ERROR_NOMATCH) ++FErrors;
            break;
          }
          ++found;
          if (!FEvery[k]) break;
          const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(FData);
          from = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
          if (from > line.size()) break;
        }
      }
    }
    return found;
  }

private:
  bool FJit;
  std::vector<pcre2_code*> FCodes;
  std::vector<bool> FEvery;
  pcre2_match_data* FData = nullptr;
  size_t FErrors = 0;
};

std::wstring WideChars(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

class TStdRegexEngine {
public:
  explicit TStdRegexEngine(const std::vector<TUse>& uses) {
    // ECMAScript "." stops at CR, LF, U+2028 and U+2029; the generated lines hold none of them.
    for (const TUse& use : uses) {
      FRegexes.emplace_back(WideChars(use.Pattern), std::regex::ECMAScript);
      FEvery.push_back(use.EveryMatch);
    }
  }
  size_t Run(const std::vector<std::wstring>& lines) {
    size_t found = 0;
    std::wsmatch match;
    for (const auto& line : lines) {
      for (size_t k = 0; k < FRegexes.size(); ++k) {
        auto from = line.begin();
        auto flags = std::regex_constants::match_default;
        while (std::regex_search(from, line.end(), match, FRegexes[k], flags)) {
          ++found;
          if (!FEvery[k]) break;
          from = match[0].second;
          if (match[0].length() == 0) {
            if (from == line.end()) break;
            ++from;
          }
          flags = std::regex_constants::match_prev_avail;
        }
      }
    }
    return found;
  }

private:
  std::vector<std::wregex> FRegexes;
  std::vector<bool> FEvery;
};

// ---- The limit of a two-literal pattern

// A scan for a run of units, written for this benchmark alone and kept apart from the matcher's
// own (bench/limitfind.inc, compiled once per instruction set): places where two units of the
// needle match are found a vector at a time (16 units with AVX2, else 8 with SSE2), then compared
// whole. The two are the needle's rarest units on the very page searched, counted before timing.
namespace sse2 {
struct V {
  using T = __m128i;
  static constexpr size_t kUnits = 8;
  static T Set1(char16_t u) { return _mm_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
};
#include "limitfind.inc"
}  // namespace sse2

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
struct V {
  using T = __m256i;
  static constexpr size_t kUnits = 16;
  static T Set1(char16_t u) { return _mm256_set1_epi16(static_cast<short>(u)); }
  static T Load(const char16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static T Eq(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static uint32_t Mask(T a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
};
#include "limitfind.inc"
}  // namespace avx2
#pragma GCC pop_options

const bool kLimitAvx2 = __builtin_cpu_supports("avx2") != 0;

// A needle and its two rarest units on the page.
struct TLimitNeedle {
  std::u16string_view Units;
  size_t A1 = 0, A2 = 0;
  TLimitNeedle(std::u16string_view units, const std::vector<size_t>& counts) : Units(units) {
    for (size_t k = 0; k < units.size(); ++k)
      if (counts[units[k]] < counts[units[A1]]) A1 = k;
    A2 = A1 == 0 && units.size() > 1 ? 1 : 0;
    for (size_t k = 0; k < units.size(); ++k)
      if (k != A1 && counts[units[k]] < counts[units[A2]]) A2 = k;
  }
  size_t Find(std::u16string_view hay, size_t from) const {
    const size_t n = hay.size() - from;
    const size_t found = kLimitAvx2 && n >= 16 + Units.size()
                             ? avx2::LimitFind(hay.data() + from, n, Units, A1, A2)
                             : sse2::LimitFind(hay.data() + from, n, Units, A1, A2);
    return found == std::u16string_view::npos ? found : from + found;
  }
};

std::vector<size_t> UnitCounts(const std::vector<std::u16string>& lines) {
  std::vector<size_t> counts(0x10000);
  for (const auto& line : lines)
    for (const char16_t unit : line) ++counts[unit];
  return counts;
}

// The opening literal (empty when the pattern has none), then the closing one after it: one match.
// Every match: the same again from the end of the last. A digit the pattern asks for is not looked
// for, so the limit finds more matches than the pattern on such a page.
class TLimit {
public:
  TLimit(std::u16string_view opening, std::u16string_view closing, bool everyMatch,
         const std::vector<std::u16string>& page)
      : FCounts(UnitCounts(page)),
        FOpening(opening, FCounts),
        FClosing(closing, FCounts),
        FEvery(everyMatch) {}
  size_t Run(const std::vector<std::u16string>& lines) const {
    size_t found = 0;
    for (const auto& line : lines) {
      for (size_t from = 0;;) {
        size_t open = from;
        if (!FOpening.Units.empty()) {
          open = FOpening.Find(line, from);
          if (open == std::u16string_view::npos) break;
          open += FOpening.Units.size();
        }
        const size_t close = FClosing.Find(line, open);
        if (close == std::u16string_view::npos) break;
        ++found;
        if (!FEvery) break;
        from = close + FClosing.Units.size();
      }
    }
    return found;
  }

private:
  std::vector<size_t> FCounts;
  TLimitNeedle FOpening, FClosing;
  bool FEvery;
};

// ---- Page shapes, for the table

// Each of the nine patterns with the literals around its group, for the shapes made from them.
struct TShapePattern {
  const char* Name;
  const char* Source;
  TUse Use;
  std::u16string_view Opening, Closing;  // Opening empty: the pattern has none
  bool Digit;                            // the group must hold a digit
};

const TShapePattern kShapePatterns[] = {
    {"5Ocean-A", "5Ocean", {patterns::kFiveOceanBlankLink, false}, u"_blank\">", u"</a>", false},
    {"5Ocean-B", "5Ocean", {patterns::kFiveOceanStyledLink, false}, u";\">", u"</a>", false},
    {"ARCK", "ARCK", {patterns::kARCKCall, true}, u"<br>", u"&nbsp", false},
    {"KDR-number", "KDR", {patterns::kKDRNumber, false}, u"<b>", u"<a href=", false},
    {"KDR-call", "KDR", {patterns::kKDRLink, false}, u"_blank\">", u"<a/>", false},
    {"RadioWave",
     "RadioWave",
     {patterns::kRadioWaveCell, true},
     u"<td class=\"col1\"",
     u"</a>",
     false},
    {"RCPW", "RCPW", {patterns::kRCPWCell, false}, u"<td align=center>", u"</td>", true},
    {"RRC-link", "RRC", {patterns::kRRCLink, true}, u"<a href", u"</a>", false},
    {"RRC-piece", "RRC", {patterns::kRRCPiece, true}, u"", u"<br>", false},
};

const char* const kShapeNames[] = {"rows", "short", "sparse", "cyrillic", "minified"};
enum class TShape { Rows, Short, Sparse, Cyrillic, Minified };

class TShapeWriter {
public:
  TShapeWriter(const TShapePattern& pattern, uint32_t seed) : FPattern(pattern), FWriter(seed) {}

  // The opening literal, what a cell of this kind holds after it, and the closing literal.
  std::u16string Hit(std::u16string_view extra = {}) {
    std::u16string cell(FPattern.Opening);
    cell += Inner();
    cell += extra;
    cell += FPattern.Closing;
    return cell;
  }
  // A cell the pattern does not match on its own: no closing literal, or no digit.
  std::u16string Miss(std::u16string_view extra = {}) {
    std::u16string cell(FPattern.Opening);
    if (FPattern.Digit) {
      cell += extra.empty() ? Widen(Town()) : std::u16string(extra);
      cell += FPattern.Closing;
    } else {
      cell += Inner();
      cell += extra;
      cell += u"</span>";
    }
    return cell;
  }
  std::u16string ShortFiller() {
    switch (FWriter.Pick(3)) {
      case 0:
        return u"<tr>";
      case 1:
        return u"</tr>";
      default:
        return Widen("<td>" + FWriter.Name() + "</td>");
    }
  }
  std::u16string CyrillicName() {
    static const std::u16string_view kNames[] = {u"Иванов Иван Петрович", u"Сидорова Мария",
                                                 u"Пётр Щукин", u"Ёлкин Юрий Эдуардович",
                                                 u"Жанна Хорошева"};
    return std::u16string(kNames[FWriter.Pick(std::size(kNames))]);
  }
  std::u16string CyrillicText() {
    return u"<p>Встреча членов клуба в первую субботу месяца, " + CyrillicName() +
           u" проводит занятия для начинающих радиолюбителей; QSL через бюро.</p>";
  }
  std::string Town() {
    static const char* kTowns[] = {"Tver", "Moskva", "Kazan", "Omsk", "Ryazan", "Tula"};
    return kTowns[FWriter.Pick(std::size(kTowns))];
  }
  TPageWriter& Writer() { return FWriter; }

private:
  std::u16string Inner() {
    const std::string call = FWriter.Call();
    const char16_t last = FPattern.Opening.empty() ? u'>' : FPattern.Opening.back();
    if (last == u'"') return Widen("><a href=\"/c/" + FWriter.Lower(call) + "\">" + call);
    if (last >= u'a' && last <= u'z') return Widen("=\"/c/" + FWriter.Lower(call) + "\">" + call);
    return Widen(call);
  }

  const TShapePattern& FPattern;
  TPageWriter FWriter;
};

std::vector<std::u16string> MakeShapePage(TShape shape, const TShapePattern& pattern,
                                          size_t units) {
  if (shape == TShape::Rows || shape == TShape::Minified) {
    std::vector<std::u16string> lines = MakePage(pattern.Source, units);
    if (shape == TShape::Rows) return lines;
    std::vector<std::u16string> two(2);
    for (size_t k = 0; k < lines.size(); ++k) two[2 * k / lines.size()] += lines[k];
    return two;
  }
  TShapeWriter w(pattern, 4242);
  std::vector<std::u16string> lines;
  size_t total = 0;
  while (total < units) {
    std::u16string line;
    const unsigned pick = w.Writer().Pick(20);
    if (shape == TShape::Short) {
      line = pick < 15 ? u"<td>" + w.Hit() : pick < 17 ? u"<td>" + w.Miss() : w.ShortFiller();
    } else if (shape == TShape::Sparse) {
      if (pick < 6) {
        line = Widen(w.Writer().Filler());
      } else {
        line = u"<tr>";
        for (unsigned k = 0, n = 1 + w.Writer().Pick(6); k < n; ++k)
          line += w.Writer().Pick(10) < 7 ? w.Miss() : w.Hit();
        line += u"</tr>";
      }
    } else {  // TShape::Cyrillic
      if (pick < 10)
        line = u"<tr><td>" + w.CyrillicName() + u"</td>" + w.Hit(u" " + w.CyrillicName()) +
               u"<td>Москва</td></tr>";
      else if (pick < 14)
        line = w.CyrillicText();
      else
        line = u"<tr>" + w.Miss(u"Санкт-Петербург") + u"<td>" + w.CyrillicName() + u"</td></tr>";
    }
    total += line.size() + 2;
    lines.push_back(std::move(line));
  }
  return lines;
}

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct TCell {
  double Ratio = 0, Share = 0;  // TMatcher's speed / PCRE2-JIT's, / the limit's
  bool Agree = true;            // every engine found TMatcher's matches
};

TCell MeasureCell(TShape shape, const TShapePattern& pattern, int repetitions) {
  const std::vector<std::u16string> lines = MakeShapePage(shape, pattern, 10u << 20);
  TUse use = pattern.Use;
  if (shape == TShape::Minified) use.EveryMatch = true;
  TPcreEngine pcre({use}, true);
  const TLimit limit(pattern.Opening, pattern.Closing, use.EveryMatch, lines);
  const size_t expected = RunMatcher({use}, lines);
  TCell cell;
  cell.Agree = pcre.Run(lines) == expected && pcre.Errors() == 0 &&
               (pattern.Digit || limit.Run(lines) == expected);
  // Passes per sample: enough for about 20 ms of TMatcher.
  double t0 = ThreadSeconds();
  benchmark::DoNotOptimize(RunMatcher({use}, lines));
  const int passes = std::max(1, static_cast<int>(0.02 / std::max(ThreadSeconds() - t0, 1e-6)));
  std::vector<double> matcher, jit, limits;
  for (int r = 0; r < repetitions; ++r) {
    const auto time = [&](auto&& run, std::vector<double>& samples) {
      const double start = ThreadSeconds();
      for (int k = 0; k < passes; ++k) benchmark::DoNotOptimize(run());
      samples.push_back(ThreadSeconds() - start);
    };
    time([&] { return RunMatcher({use}, lines); }, matcher);
    time([&] { return pcre.Run(lines); }, jit);
    time([&] { return limit.Run(lines); }, limits);
  }
  const auto median = [](std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double m = median(matcher);
  cell.Ratio = median(jit) / m;
  cell.Share = median(limits) / m;
  return cell;
}

// only: measure only the cells whose "shape/pattern" name contains it (the others print as 0).
int PrintTable(int repetitions, std::string_view only) {
  constexpr size_t kShapes = std::size(kShapeNames), kPatterns = std::size(kShapePatterns);
  TCell cells[kShapes][kPatterns];
  for (size_t s = 0; s < kShapes; ++s)
    for (size_t p = 0; p < kPatterns; ++p)
      if ((std::string(kShapeNames[s]) + "/" + kShapePatterns[p].Name).find(only) !=
          std::string::npos)
        cells[s][p] = MeasureCell(static_cast<TShape>(s), kShapePatterns[p], repetitions);
  int missed = 0, disagreed = 0;
  for (const bool share : {false, true}) {
    std::printf("\n%s (median of %d, thread CPU time)\n",
                share ? "TMatcher as a share of the two-literal limit (target >= 0.70)"
                      : "TMatcher speed / PCRE2-JIT speed (target >= 1.20)",
                repetitions);
    std::printf("%-9s", "shape");
    for (const TShapePattern& pattern : kShapePatterns) std::printf(" %10s", pattern.Name);
    std::printf("\n");
    for (size_t s = 0; s < kShapes; ++s) {
      std::printf("%-9s", kShapeNames[s]);
      for (size_t p = 0; p < kPatterns; ++p) {
        const TCell& cell = cells[s][p];
        const double value = share ? cell.Share : cell.Ratio;
        const bool met = value >= (share ? 0.7 : 1.2);
        missed += met ? 0 : 1;
        if (!share && !cell.Agree) ++disagreed;
        std::printf(" %9.2f%s", value, !cell.Agree ? "!" : met ? " " : "*");
      }
      std::printf("\n");
    }
  }
  std::printf("\n* below target: %d of %zu;  ! match counts differ: %d\n", missed,
              2 * kShapes * kPatterns, disagreed);
  return disagreed == 0 ? 0 : 1;
}

// One engine alone on one page of the table, passes times, in a process of its own: prints the
// matches found and the thread CPU time. Steadier than the table's interleaved samples of about
// 20 ms, for comparing two builds or two engines on one cell.
int TimeEngine(std::string_view cell, std::string_view engine, int passes) {
  for (size_t s = 0; s < std::size(kShapeNames); ++s) {
    for (const TShapePattern& pattern : kShapePatterns) {
      if (std::string(kShapeNames[s]) + "/" + pattern.Name != cell) continue;
      const auto shape = static_cast<TShape>(s);
      const std::vector<std::u16string> lines = MakeShapePage(shape, pattern, 10u << 20);
      TUse use = pattern.Use;
      if (shape == TShape::Minified) use.EveryMatch = true;
      std::optional<TPcreEngine> pcre;
      std::optional<TLimit> limit;
      if (engine == "pcre-jit") {
        pcre.emplace(std::vector<TUse>{use}, true);
      } else if (engine == "limit") {
        limit.emplace(pattern.Opening, pattern.Closing, use.EveryMatch, lines);
      } else if (engine != "matcher") {
        std::fprintf(stderr, "unknown engine %.*s: matcher, pcre-jit or limit\n",
                     static_cast<int>(engine.size()), engine.data());
        return 2;
      }
      size_t found = 0;
      const double start = ThreadSeconds();
      for (int k = 0; k < passes; ++k)
        found += pcre ? pcre->Run(lines) : limit ? limit->Run(lines) : RunMatcher({use}, lines);
      std::printf("%s %.*s: %zu matches, %.1f ms\n", std::string(cell).c_str(),
                  static_cast<int>(engine.size()), engine.data(), found,
                  (ThreadSeconds() - start) * 1e3);
      return 0;
    }
  }
  std::fprintf(stderr, "unknown page %s: shape/pattern, as the table names them\n",
               std::string(cell).c_str());
  return 2;
}

// ---- Registration

enum class TEngine { Matcher, PcreJit, Pcre, StdRegex };
const char* EngineName(TEngine engine) {
  switch (engine) {
    case TEngine::Matcher:
      return "TMatcher";
    case TEngine::PcreJit:
      return "PCRE2-JIT";
    case TEngine::Pcre:
      return "PCRE2-interp";
    default:
      return "std::wregex";
  }
}

struct TInput {
  std::vector<std::u16string> Lines;
  std::vector<std::wstring> Wide;
  size_t Expected = 0;  // TMatcher's match count
};

// expected: TMatcher's match count for these uses on these lines.
void Register(const std::string& name, const std::vector<TUse>& uses, TInput* input, TEngine engine,
              size_t expected) {
  const size_t bytes = UnitCount(input->Lines) * sizeof(char16_t);
  benchmark::RegisterBenchmark(
      (name + "/" + EngineName(engine)).c_str(),
      [uses, input, engine, bytes, expected](benchmark::State& state) {
        std::unique_ptr<TPcreEngine> pcre;
        std::unique_ptr<TStdRegexEngine> regex;
        if (engine == TEngine::PcreJit || engine == TEngine::Pcre)
          pcre = std::make_unique<TPcreEngine>(uses, engine == TEngine::PcreJit);
        if (engine == TEngine::StdRegex) regex = std::make_unique<TStdRegexEngine>(uses);
        size_t found = 0;
        for (auto _ : state) {
          if (pcre)
            found = pcre->Run(input->Lines);
          else if (regex)
            found = regex->Run(input->Wide);
          else
            found = RunMatcher(uses, input->Lines);
          benchmark::DoNotOptimize(found);
        }
        if (found != expected && !(pcre && pcre->Errors() > 0))
          state.SkipWithError("match count differs from TMatcher's");
        state.counters["matches"] = static_cast<double>(found);
        if (pcre && pcre->Errors() > 0)
          state.counters["pcre_errors"] = static_cast<double>(pcre->Errors());
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                                static_cast<int64_t>(bytes));
      })
      ->Unit(benchmark::kMillisecond);
}

TInput* NewInput(std::vector<std::u16string> lines, const std::vector<TUse>& uses) {
  auto* input = new TInput;  // lives as long as the benchmarks
  input->Lines = std::move(lines);
  for (const auto& line : input->Lines) input->Wide.push_back(WideChars(line));
  input->Expected = RunMatcher(uses, input->Lines);
  return input;
}

// One line of the given length made of opening literals, filler with digits, and near misses of the
// closing literal: every unit of it occurs, but never the whole literal, so no engine can give up
// early for want of a unit it needs.
std::u16string AdversarialLine(std::u16string_view opening, std::u16string_view closing,
                               size_t units) {
  std::u16string line;
  const std::u16string piece = std::u16string(opening) + u"R0AA1 " +
                               std::u16string(closing.substr(0, closing.size() - 1)) + u" " +
                               closing.back() + u" ";
  while (line.size() + piece.size() <= units) line += piece;
  line.resize(units, u'x');
  return line;
}

struct TAdversary {
  const char* Name;
  TUse Use;
  std::u16string_view Opening, Closing;
};

const TAdversary kAdversaries[] = {
    {"5Ocean-A", {patterns::kFiveOceanBlankLink, false}, u"_blank\">", u"</a>"},
    {"5Ocean-B", {patterns::kFiveOceanStyledLink, false}, u";\">", u"</a>"},
    {"ARCK", {patterns::kARCKCall, true}, u"<br>", u"&nbsp"},
    {"KDR-number", {patterns::kKDRNumber, false}, u"<b>", u"<a href="},
    {"KDR-call", {patterns::kKDRLink, false}, u"_blank\">", u"<a/>"},
    {"RadioWave", {patterns::kRadioWaveCell, true}, u"<td class=\"col1\"", u"</a>"},
    {"RCPW", {patterns::kRCPWCell, false}, u"<td align=center>", u"</td>"},
    {"RRC-link", {patterns::kRRCLink, true}, u"<a href", u"</a>"},
    // No opening literal here: the line is full of near misses of the closing one.
    {"RRC-piece", {patterns::kRRCPiece, true}, u"<br <b", u"<br>"},
};

void RegisterAll() {
  const size_t pageUnits = 10u << 20;
  for (const TSource& source : kSources) {
    TInput* page = NewInput(MakePage(source.Name, pageUnits), source.Uses);
    for (const TEngine engine :
         {TEngine::Matcher, TEngine::PcreJit, TEngine::Pcre, TEngine::StdRegex})
      Register(std::string("Page/") + source.Name, source.Uses, page, engine, page->Expected);
    if (source.Uses.size() == 1) continue;
    // Each of the source's patterns alone on the same page (named as its adversarial line), so
    // that every one of the nine patterns has its own figure.
    for (const TUse& use : source.Uses) {
      const auto adversary = std::find_if(
          std::begin(kAdversaries), std::end(kAdversaries),
          [&](const TAdversary& a) { return a.Use.Pattern.Units() == use.Pattern.Units(); });
      const size_t expected = RunMatcher({use}, page->Lines);
      for (const TEngine engine : {TEngine::Matcher, TEngine::PcreJit})
        Register(std::string("Pattern/") + adversary->Name, {use}, page, engine, expected);
    }
  }
  for (const TAdversary& adversary : kAdversaries) {
    for (const size_t units : {size_t{4} << 10, size_t{64} << 10, size_t{1} << 20}) {
      TInput* input =
          NewInput({AdversarialLine(adversary.Opening, adversary.Closing, units)}, {adversary.Use});
      const std::string name =
          std::string("Adversarial/") + adversary.Name + "/" + std::to_string(units);
      const size_t expected = input->Expected;
      Register(name, {adversary.Use}, input, TEngine::Matcher, expected);
      Register(name, {adversary.Use}, input, TEngine::PcreJit, expected);
      // The interpreting peers are quadratic here: PCRE2 without JIT takes seconds at 64 K units
      // (minutes at 1 M), std::wregex recurses once per unit as well.
      if (units <= (size_t{64} << 10))
        Register(name, {adversary.Use}, input, TEngine::Pcre, expected);
      if (units <= (size_t{4} << 10))
        Register(name, {adversary.Use}, input, TEngine::StdRegex, expected);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--engine") == 0)
    return TimeEngine(argv[2], argv[3], argc >= 5 ? std::max(1, std::atoi(argv[4])) : 100);
  if (argc >= 2 && std::strcmp(argv[1], "--table") == 0)
    return PrintTable(argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5, argc >= 4 ? argv[3] : "");
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
