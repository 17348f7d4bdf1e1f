// The compiled form of a matcher pattern: a straight sequence of nodes ending in an end node, and
// what the analysis learned about every possible match (regstart, regmust). The parser
// (matcher_parse.cpp) builds it, the backtracker (matcher_search.cpp) runs it.
// Tested by tests/text/matcher_test.cpp (through Dump()).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "text/textfind.h"

namespace brevak::matcher {

// The settings that change what a pattern means; the program is compiled for one set of them.
struct TModifiers {
  bool I = false;  // case-insensitive literals
  bool R = true;   // Cyrillic ranges take in U+0451/U+0401 (no character classes: no effect)
  bool S = true;   // "." also matches line separators
  bool G = true;   // repetitions greedy unless followed by "?"; off: all lazy
  bool M = false;  // "^"/"$" at line separators (no anchors: no effect)
  bool X = false;  // unescaped white space and "#" comments in the pattern are ignored
  // Checked before every search: one comparison of the six flags together.
  bool operator==(const TModifiers& other) const {
    return std::memcmp(this, &other, sizeof(TModifiers)) == 0;
  }
};
static_assert(std::has_unique_object_representations_v<TModifiers>);  // no padding to compare

enum class TNodeKind {
  Literal,          // Units, compared exactly (or case-folded when FoldCase)
  Any,              // any one code unit
  AnyButSeparator,  // any one code unit but a line separator ("." with S off)
  Digit,            // "0" .. "9"
  Open,             // records the start of slot Group
  Close,            // records the end of slot Group
  Repeat,           // Atom (a one-unit node kind) Min .. Max times, Greedy or lazy
  End,              // success
};

inline constexpr int kUnbounded = -1;

struct TNode {
  TNodeKind Kind = TNodeKind::End;
  std::u16string Units;  // Literal: the run (folded when FoldCase); Repeat of a literal: 1 unit
  bool FoldCase = false;
  int Group = 0;                        // Open, Close: 1 .. 14
  TNodeKind Atom = TNodeKind::Literal;  // Repeat: Literal, Any, AnyButSeparator, Digit
  int Min = 0, Max = kUnbounded;        // Repeat
  bool Greedy = false;                  // Repeat
  // Repeat: the node that must match right after the repetition once the group marks between
  // are passed, when it is a literal compared exactly or a digit. Lets the backtracker skip the
  // stopping places where the rest of the match fails at its first unit.
  int Follow = -1;
  // Literal: Units prepared for scanning, where the backtracker looks for the literal ahead
  // (the leading literal and the literals that follow a repetition).
  TUnitFinder Finder;
};

// One step of the search of a lazy chain (see TProgram::LazyChain). Each step does its work at the
// current place, then moves the place on by Length.
struct TChainStep {
  enum class TKind : uint8_t {
    Lead,       // find Finder's needle from the place on: the match starts there
    Find,       // find Finder's needle from the place on (a lazy star's stop)
    FindDigit,  // find a digit from the place on (a lazy star's stop)
    Open,       // the place is the start of slot Group
    Close,      // the place is the end of slot Group
    End,        // the place is the end of the match
  };
  TKind Kind = TKind::End;
  uint8_t Group = 0;
  size_t Length = 0;
  TUnitFinder Finder;
};

// The literals of a pair (see TProgram::PairGroup) for a text of TUnit units: a line's search
// reaches them in one load, not through the chain's steps, and it waits on that load right after
// the opening literal's scan returns.
template <typename TUnit>
struct TPair {
  bool Lead = false;                // the match starts with the opening literal
  bool Digit = false;               // a digit comes between the literals
  size_t MinLength = 0;             // the fewest units a match takes: its literals and digit
  TFinder<TUnit> Opening, Closing;  // Opening only with Lead
  size_t OpeningLength = 0, ClosingLength = 0;
};

struct TProgram {
  std::vector<TNode> Nodes;  // the last one is TNodeKind::End
  int GroupCount = 0;
  bool HasRegstart = false;
  char16_t Regstart = 0;   // first unit of every match
  std::u16string Regmust;  // a literal every match contains (empty: none); regmlen = its length
  TUnitFinder MustFinder;  // regmust prepared for scanning
  // The first node that consumes input, when it is an exactly compared literal: a match can only
  // start where that literal occurs.
  int StartLiteral = -1;
  // The program is a lazy chain: an optional leading literal at node 0, then lazy "any" stars, each
  // followed by its Follow node (an exact literal or a digit), with group marks anywhere after the
  // leading literal. Such a program needs no backtracking: see ChainSearch.
  bool LazyChain = false;
  std::vector<TChainStep> Chain;  // the steps of a lazy chain; empty for other programs
  // The group of a chain of the form literal(.*?)literal, the form of most source patterns,
  // (.*?)literal or literal(.*?\d.*?)literal, which the search takes without walking the steps;
  // 0 for other programs. The steps: [lead,] open, [find digit,] find, close, end.
  int PairGroup = 0;
  // The pair's literals, read from the chain once (see FindPairMatch).
  TPair<char16_t> Pair;

  // One line naming every node and the analysis, e.g.
  //   lit"ab" open1 any*? close1 lit"</a>" end | regstart=a
  // Units outside printable ASCII are written \uXXXX.
  std::string Dump() const;
};

// Whether the atom of a one-unit node kind matches unit c.
bool AtomMatches(TNodeKind atom, const TNode& node, char16_t c);

// Line separators: CR, LF, VT, FF, U+2028, U+2029, U+0085.
bool IsLineSeparator(char16_t c);

// The case fold of ModifierI: ASCII, Latin-1 and Cyrillic capitals to their small letters.
char16_t FoldCase(char16_t c);

}  // namespace brevak::matcher
