// TMatcher against PCRE2 (16-bit code units, no UTF, "." matching every unit when ModifierS is on,
// lazy "*?", ASCII "\d", the input cut at its first U+0000): every match position of Exec and of
// the whole ExecNext sequence must agree.
//  - The nine source patterns over generated lines made of their own literals, the literals'
//    prefixes, digits, CR, LF, NUL and other text.
//  - Random patterns of every supported construct over short random inputs.
//  - Random chains of lazy stars and literals, the form the source patterns take.
// The seed is fixed; BREVAK_MATCHER_SEED=<n> and BREVAK_MATCHER_ROUNDS=<factor> change it and the
// amount (tests/text/matcher_differential runs a long random-seed round).
#define PCRE2_CODE_UNIT_WIDTH 16
#include <gtest/gtest.h>
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <vector>

#include "text/matcher.h"
#include "text/sourcepatterns.h"

namespace brevak {
namespace {

std::string Show(std::u16string_view text) {
  return ::testing::PrintToString(std::u16string(text));
}

uint32_t Seed() {
  const char* seed = std::getenv("BREVAK_MATCHER_SEED");
  return seed != nullptr ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : 20261210u;
}

int Rounds() {
  const char* rounds = std::getenv("BREVAK_MATCHER_ROUNDS");
  return rounds != nullptr ? std::max(1, std::atoi(rounds)) : 1;
}

// Every match of a search sequence: start and end (0-based) of slots 0 .. groups, -1 when unset.
using TMatchList = std::vector<std::vector<int>>;

class TPcre {
public:
  TPcre(std::u16string_view pattern, bool dotall, bool ungreedy) {
    // Without DOTALL, "." must stop at the same separators as ours: CR, LF, VT, FF, NEL, LS, PS.
    // That newline setting also makes a failed attempt at CR LF skip the LF, so the generated
    // inputs never hold CR LF in that mode.
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!dotall) pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE offset = 0;
    FCode = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                          (dotall ? PCRE2_DOTALL : 0u) | (ungreedy ? PCRE2_UNGREEDY : 0u), &error,
                          &offset, context);
    pcre2_compile_context_free(context);
    if (FCode != nullptr) FData = pcre2_match_data_create_from_pattern(FCode, nullptr);
  }
  ~TPcre() {
    pcre2_match_data_free(FData);
    pcre2_code_free(FCode);
  }
  TPcre(const TPcre&) = delete;
  TPcre& operator=(const TPcre&) = delete;
  bool Compiled() const { return FCode != nullptr; }

  // Exec from the start, then the next search from the end of each match (one further after an
  // empty match), as ExecNext does.
  TMatchList Sequence(std::u16string_view line, int groups) {
    const std::u16string_view input = line.substr(0, std::min(line.find(u'\0'), line.size()));
    TMatchList list;
    size_t from = 0;
    while (from <= input.size()) {
      const int rc = pcre2_match(FCode, reinterpret_cast<PCRE2_SPTR>(input.data()), input.size(),
                                 from, 0, FData, nullptr);
      if (rc < 0) break;
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(FData);
      std::vector<int> slots;
      for (int n = 0; n <= groups; ++n) {
        const std::size_t at = 2 * static_cast<std::size_t>(n);
        const bool set = n < rc && ovector[at] != PCRE2_UNSET;
        slots.push_back(set ? static_cast<int>(ovector[at]) : -1);
        slots.push_back(set ? static_cast<int>(ovector[at + 1]) : -1);
      }
      list.push_back(slots);
      from = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
    }
    return list;
  }

private:
  pcre2_code* FCode = nullptr;
  pcre2_match_data* FData = nullptr;
};

// A single-byte code page for the searches in bytes: ASCII as itself, the top quarter Cyrillic,
// a few bytes for units that matter to "." and "\d", and U+0085 at two bytes (so that a literal
// holding it cannot be searched as bytes), the rest Latin-1.
const std::array<char16_t, 256> kByteUnits = [] {
  std::array<char16_t, 256> units{};
  for (size_t b = 0; b < units.size(); ++b)
    units[b] = static_cast<char16_t>(b >= 0xC0 ? 0x410 + (b - 0xC0) : b);
  units[0x80] = u'\u2028';
  units[0x81] = u'\u0085';
  units[0x82] = u'\u0661';
  units[0x83] = u'\uFF11';
  return units;
}();

// The bytes of line in kByteUnits, when it has them.
bool InBytes(std::u16string_view line, std::string& bytes) {
  for (const char16_t unit : line) {
    const auto* at = std::find(kByteUnits.begin(), kByteUnits.end(), unit);
    if (at == kByteUnits.end()) return false;
    bytes += static_cast<char>(at - kByteUnits.begin());
  }
  return true;
}

// Every match of Exec and the ExecNext after it. A line without U+0000 is searched with
// ExecZeroFree as well, and as bytes when kByteUnits has its units, which must find the same.
TMatchList MatcherSequence(TMatcher& m, std::u16string_view line, int groups) {
  std::string bytes;
  auto sequence = [&](bool zeroFree, bool inBytes) {
    TMatchList list;
    bool found = inBytes ? m.ExecBytes(bytes) : zeroFree ? m.ExecZeroFree(line) : m.Exec(line);
    for (; found; found = m.ExecNext()) {
      std::vector<int> slots;
      for (int n = 0; n <= groups; ++n) {
        const int pos = m.MatchPos(n);
        slots.push_back(pos < 0 ? -1 : pos - 1);
        slots.push_back(pos < 0 ? -1 : pos - 1 + m.MatchLen(n));
        if (inBytes && pos > 0) {
          EXPECT_EQ(m.MatchBytes(n), std::string_view(bytes).substr(pos - 1, m.MatchLen(n)));
        }
      }
      list.push_back(slots);
    }
    return list;
  };
  TMatchList list = sequence(false, false);
  if (line.find(u'\0') == std::u16string_view::npos) {
    EXPECT_EQ(sequence(true, false), list);
    if (InBytes(line, bytes)) {
      m.SetByteUnits(kByteUnits);
      EXPECT_EQ(sequence(true, true), list) << (m.SearchesBytes() ? "in bytes" : "decoded");
    }
  }
  return list;
}

struct TSourcePattern {
  std::u16string_view Pattern, Opening, Closing;
};

const TSourcePattern kSourcePatterns[] = {
    {patterns::kFiveOceanBlankLink, u"_blank\">", u"</a>"},
    {patterns::kFiveOceanStyledLink, u";\">", u"</a>"},
    {patterns::kARCKCall, u"<br>", u"&nbsp"},
    {patterns::kKDRNumber, u"<b>", u"<a href="},
    {patterns::kKDRLink, u"_blank\">", u"<a/>"},
    {patterns::kRadioWaveCell, u"<td class=\"col1\"", u"</a>"},
    {patterns::kRCPWCell, u"<td align=center>", u"</td>"},
    {patterns::kRRCLink, u"<a href", u"</a>"},
    {patterns::kRRCPiece, u"", u"<br>"},
};

// Pieces a generated line is made of: every literal of the nine patterns and its proper prefixes,
// digits (ASCII and others), line separators, NUL, capitals and ordinary text.
std::vector<std::u16string> CommonPieces() {
  // clang-format off
  std::vector<std::u16string> pieces = {
      u"<", u">", u"/", u"\"", u";", u"&", u"=", u" ", u"x", u"UA1AAA", u"0", u"5", u"9",
      u"\r", u"\n", std::u16string(1, u'\0'), u"\u0661", u"\uFF11", u"\u2028", u"\u0085",
      u"<BR>", u"<TD ALIGN=CENTER>", u"</A>", u"<td>", u"</td>", u"\u0416"};
  // clang-format on
  for (const TSourcePattern& p : kSourcePatterns) {
    for (const std::u16string_view literal : {p.Opening, p.Closing})
      for (size_t n = 1; n <= literal.size(); ++n) pieces.emplace_back(literal.substr(0, n));
  }
  return pieces;
}

TEST(MatcherPcre, SourcePatternsOnGeneratedLines) {
  std::mt19937 random(Seed());
  const std::vector<std::u16string> common = CommonPieces();
  const int linesPerPattern = 5000 * Rounds();
  for (const TSourcePattern& p : kSourcePatterns) {
    TPcre pcre(p.Pattern, /*dotall=*/true, /*ungreedy=*/false);
    ASSERT_TRUE(pcre.Compiled());
    TMatcher m;
    m.SetExpression(p.Pattern);
    // The pattern's own literals come up often, so that most lines hold several of them.
    const std::u16string_view own[] = {p.Opening, p.Closing, p.Closing, u"7"};
    for (int lineNo = 0; lineNo < linesPerPattern; ++lineNo) {
      std::u16string line;
      const int pieces = static_cast<int>(random() % 24);
      for (int k = 0; k < pieces; ++k) {
        if (random() % 3 == 0)
          line += own[random() % std::size(own)];
        else
          line += common[random() % common.size()];
      }
      ASSERT_EQ(MatcherSequence(m, line, 1), pcre.Sequence(line, 1))
          << Show(p.Pattern) << " on " << Show(line);
    }
  }
}

// A random pattern of the supported constructs; returns its group count.
int RandomPattern(std::mt19937& random, std::u16string& pattern) {
  const std::u16string_view atoms[] = {u"a", u"b", u"1", u".", u"\\d", u"\\.", u"ab", u"ba"};
  const std::u16string_view signs[] = {u"*", u"+", u"?", u"*?", u"+?", u"??"};
  int groups = 0;
  int open = 0;
  const int length = 1 + static_cast<int>(random() % 8);
  for (int k = 0; k < length; ++k) {
    const auto pick = random() % 10;
    if (pick == 0 && groups < 14) {
      pattern += u'(';
      ++groups;
      ++open;
    } else if (pick == 1 && open > 0) {
      pattern += u')';
      --open;
    } else {
      pattern += atoms[random() % std::size(atoms)];
      if (random() % 2 == 0) pattern += signs[random() % std::size(signs)];
    }
  }
  for (; open > 0; --open) pattern += u')';
  return groups;
}

TEST(MatcherPcre, RandomPatterns) {
  std::mt19937 random(Seed() + 1);
  const char16_t alphabet[] = {u'a', u'b', u'1', u'.', u'\n', u'\r', u'x', u'\u2029'};
  const int patterns = 3000 * Rounds();
  for (int n = 0; n < patterns; ++n) {
    std::u16string pattern;
    const int groups = RandomPattern(random, pattern);
    const bool dotall = random() % 2 == 0;
    TMatcher m;
    m.SetModifierS(dotall);
    m.SetExpression(pattern);
    TPcre pcre(pattern, dotall, /*ungreedy=*/false);
    ASSERT_TRUE(pcre.Compiled()) << Show(pattern);
    for (int k = 0; k < 6; ++k) {
      std::u16string line;
      // Mostly short inputs; some long enough for much backtracking.
      const int length = static_cast<int>(random() % (k < 4 ? 16 : 80));
      for (int i = 0; i < length; ++i) {
        const char16_t unit = alphabet[random() % std::size(alphabet)];
        if (dotall || unit != u'\n' || line.empty() || line.back() != u'\r') line += unit;
      }
      ASSERT_EQ(MatcherSequence(m, line, groups), pcre.Sequence(line, groups))
          << Show(pattern) << (dotall ? " s" : " -s") << " on " << Show(line);
    }
  }
}

// Chains of lazy stars: an optional leading literal, then ".*?" each followed by a literal or "\d",
// groups around any stretch after the leading literal (the form searched without backtracking),
// and now and then a greedy star, a "+?" or a group before the leading literal (forms that are
// not).
TEST(MatcherPcre, LazyChains) {
  std::mt19937 random(Seed() + 2);
  const std::u16string_view literals[] = {u"a",  u"b",   u"ab",      u"ba",     u"<b>",
                                          u"a1", u"\\d", u"\u0416b", u"\u0085a"};
  const std::u16string_view stars[] = {u".*?", u".*?", u".*?", u".*?", u".*", u".+?"};
  const char16_t alphabet[] = {u'a',  u'b', u'1',  u'<',      u'>',
                               u'\0', u'x', u'\n', u'\u0416', u'\u0085'};
  const int patterns = 3000 * Rounds();
  for (int n = 0; n < patterns; ++n) {
    std::u16string pattern;
    int groups = 0, open = 0;
    const auto maybeGroup = [&] {
      if (random() % 4 == 0 && groups < 14) {
        pattern += u'(';
        ++groups;
        ++open;
      } else if (open > 0 && random() % 3 == 0) {
        pattern += u')';
        --open;
      }
    };
    if (random() % 8 == 0) maybeGroup();
    if (random() % 3 != 0) pattern += literals[random() % 6];
    for (int k = 0, steps = 1 + static_cast<int>(random() % 3); k < steps; ++k) {
      maybeGroup();
      pattern += stars[random() % std::size(stars)];
      maybeGroup();
      pattern += literals[random() % std::size(literals)];
    }
    maybeGroup();
    for (; open > 0; --open) pattern += u')';
    TMatcher m;
    m.SetExpression(pattern);
    TPcre pcre(pattern, /*dotall=*/true, /*ungreedy=*/false);
    ASSERT_TRUE(pcre.Compiled()) << Show(pattern);
    for (int k = 0; k < 6; ++k) {
      std::u16string line;
      for (int i = 0, length = static_cast<int>(random() % 40); i < length; ++i)
        line += alphabet[random() % std::size(alphabet)];
      ASSERT_EQ(MatcherSequence(m, line, groups), pcre.Sequence(line, groups))
          << Show(pattern) << " on " << Show(line);
    }
  }
}

}  // namespace
}  // namespace brevak
