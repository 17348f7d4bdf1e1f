// Recursive descent over the pattern: a branch is a sequence of pieces, a piece an atom with an
// optional repetition sign. A run of literal characters becomes one literal node, except that a
// repetition sign after the run takes only its last character. Tested by
// tests/text/matcher_test.cpp.
#include "text/matcher_parse.h"

#include <algorithm>
#include <cstdint>

#include "text/matcher.h"

namespace brevak::matcher {

namespace {

constexpr int kMaxGroups = 14;

bool IsRepetitionSign(char16_t c) { return c == u'*' || c == u'+' || c == u'?' || c == u'{'; }

// Every character outside this set stands for itself.
bool IsSpecial(char16_t c) {
  return std::u16string_view(u"^$.[()|?+*\\{").find(c) != std::u16string_view::npos;
}

// Characters that a backslash turns into themselves: ASCII punctuation and the space.
bool IsEscapable(char16_t c) {
  return c >= 0x20 && c < 0x7F && !(c >= u'0' && c <= u'9') && !(c >= u'A' && c <= u'Z') &&
         !(c >= u'a' && c <= u'z');
}

bool IsPatternSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

struct TParseFailure {
  int Code;
  size_t At;  // 0-based
};

class TParser {
public:
  TParser(std::u16string_view expression, const TModifiers& modifiers)
      : FExpr(expression), FModifiers(modifiers) {}

  TProgram Parse() {
    ParseBranch();
    if (AtEnd()) {
      Emit(TNodeKind::End);
      FProgram.GroupCount = FGroups;
      return std::move(FProgram);
    }
    if (Peek() == u')') Fail(mecUnmatchedClose, FPos);
    Fail(mecUnsupported, FPos);  // "|"
  }

private:
  [[noreturn]] static void Fail(int code, size_t at) { throw TParseFailure{code, at}; }

  bool AtEnd() const { return FPos >= FExpr.size(); }
  char16_t Peek() const { return FExpr[FPos]; }
  bool PeekIs(char16_t c) const { return !AtEnd() && Peek() == c; }

  // Extended syntax: white space and "#" comments up to the line's end are not part of the pattern.
  void SkipIgnorable() {
    if (!FModifiers.X) return;
    while (!AtEnd()) {
      if (IsPatternSpace(Peek())) {
        ++FPos;
      } else if (Peek() == u'#') {
        while (!AtEnd() && Peek() != u'\n' && Peek() != u'\r') ++FPos;
      } else {
        break;
      }
    }
  }

  TNode& Emit(TNodeKind kind) {
    FProgram.Nodes.emplace_back();
    FProgram.Nodes.back().Kind = kind;
    return FProgram.Nodes.back();
  }

  // A branch ends at the pattern's end, ")" or "|". Returns whether it can match the empty text.
  bool ParseBranch() {
    bool canBeEmpty = true;
    for (;;) {
      SkipIgnorable();
      if (AtEnd() || Peek() == u')' || Peek() == u'|') return canBeEmpty;
      if (!ParsePiece()) canBeEmpty = false;
    }
  }

  // Returns whether the piece can match the empty text.
  bool ParsePiece() {
    const size_t at = FPos;
    const char16_t c = Peek();
    switch (c) {
      case u'(':
        ParseGroup();
        return FLastGroupCanBeEmpty;
      case u'.':
        ++FPos;
        return ParseOneUnitAtom(FModifiers.S ? TNodeKind::Any : TNodeKind::AnyButSeparator, 0);
      case u'\\':
        if (FPos + 1 >= FExpr.size()) Fail(mecTrailingBackslash, at);
        if (FExpr[FPos + 1] == u'd') {
          FPos += 2;
          return ParseOneUnitAtom(TNodeKind::Digit, 0);
        }
        if (!IsEscapable(FExpr[FPos + 1])) Fail(mecUnsupported, at);
        return ParseLiteralRun();
      case u'*':
      case u'+':
      case u'?':
        Fail(mecRepeatNothing, at);
      default:
        if (IsSpecial(c)) Fail(mecUnsupported, at);  // ^ $ [ { and a stray |
        return ParseLiteralRun();
    }
  }

  bool AtLiteral() const {
    if (AtEnd()) return false;
    if (Peek() == u'\\')
      return FPos + 1 < FExpr.size() && FExpr[FPos + 1] != u'd' && IsEscapable(FExpr[FPos + 1]);
    return !IsSpecial(Peek());
  }

  char16_t ReadLiteral() {
    if (Peek() == u'\\') ++FPos;
    return FExpr[FPos++];
  }

  // Literal characters up to the first non-literal; a repetition sign takes the last one alone.
  bool ParseLiteralRun() {
    std::u16string run;
    for (;;) {
      const char16_t unit = ReadLiteral();
      SkipIgnorable();
      if (!AtEnd() && IsRepetitionSign(Peek())) {
        EmitLiteral(run);
        return ParseOneUnitAtom(TNodeKind::Literal, unit);
      }
      run += unit;
      if (!AtLiteral()) break;
    }
    EmitLiteral(run);
    return false;
  }

  void EmitLiteral(const std::u16string& run) {
    if (run.empty()) return;
    TNode& node = Emit(TNodeKind::Literal);
    node.Units = run;
    if (FModifiers.I) {
      node.FoldCase = true;
      for (char16_t& u : node.Units) u = FoldCase(u);
    }
  }

  // An atom of one code unit, and the repetition sign after it if there is one.
  bool ParseOneUnitAtom(TNodeKind atom, char16_t literal) {
    SkipIgnorable();
    if (AtEnd() || !IsRepetitionSign(Peek())) {
      TNode& node = Emit(atom);
      if (atom == TNodeKind::Literal) node.Units.assign(1, literal);
      return false;
    }
    const size_t at = FPos;
    const char16_t sign = Peek();
    if (sign == u'{') Fail(mecUnsupported, at);
    ++FPos;
    TNode node;
    node.Kind = TNodeKind::Repeat;
    node.Atom = atom;
    node.Min = sign == u'+' ? 1 : 0;
    node.Max = sign == u'?' ? 1 : kUnbounded;
    node.Greedy = FModifiers.G;
    if (PeekIs(u'?')) {
      ++FPos;
      node.Greedy = false;
    }
    SkipIgnorable();
    if (!AtEnd() && IsRepetitionSign(Peek())) Fail(mecNestedRepeat, FPos);
    if (atom == TNodeKind::Literal) {
      node.FoldCase = FModifiers.I;
      node.Units.assign(1, FModifiers.I ? FoldCase(literal) : literal);
    }
    const bool canBeEmpty = node.Min == 0;
    FProgram.Nodes.push_back(std::move(node));
    return canBeEmpty;
  }

  void ParseGroup() {
    const size_t at = FPos;
    ++FPos;
    if (PeekIs(u'?')) Fail(mecUnsupported, FPos);  // (?: (?i) and the like
    if (FGroups == kMaxGroups) Fail(mecTooManyGroups, at);
    const int group = ++FGroups;
    Emit(TNodeKind::Open).Group = group;
    const bool canBeEmpty = ParseBranch();
    if (AtEnd()) Fail(mecMissingClose, FPos);
    if (Peek() != u')') Fail(mecUnsupported, FPos);  // "|"
    ++FPos;
    Emit(TNodeKind::Close).Group = group;
    SkipIgnorable();
    if (!AtEnd() && IsRepetitionSign(Peek())) {
      const char16_t sign = Peek();
      Fail(canBeEmpty && (sign == u'*' || sign == u'+') ? mecRepeatEmpty : mecUnsupported, FPos);
    }
    FLastGroupCanBeEmpty = canBeEmpty;
  }

  std::u16string_view FExpr;
  TModifiers FModifiers;
  size_t FPos = 0;
  int FGroups = 0;
  bool FLastGroupCanBeEmpty = false;
  TProgram FProgram;
};

bool IsMark(const TNode& node) {
  return node.Kind == TNodeKind::Open || node.Kind == TNodeKind::Close;
}

// The index of the first node at or after i that is not a group mark.
size_t SkipMarks(const std::vector<TNode>& nodes, size_t i) {
  while (IsMark(nodes[i])) ++i;
  return i;
}

// See TProgram::LazyChain. Needs the Follow links.
bool IsLazyChain(const std::vector<TNode>& nodes) {
  size_t i = 0;
  if (nodes[0].Kind == TNodeKind::Literal) {
    if (nodes[0].FoldCase) return false;
    i = 1;
  }
  for (;;) {
    const TNode& node = nodes[SkipMarks(nodes, i)];
    if (node.Kind == TNodeKind::End) return true;
    if (node.Kind != TNodeKind::Repeat || node.Atom != TNodeKind::Any || node.Min != 0 ||
        node.Max != kUnbounded || node.Greedy || node.Follow < 0)
      return false;
    i = static_cast<size_t>(node.Follow) + 1;
  }
}

// The steps ChainSearch takes for a lazy chain. A literal or digit that a star stops at was found
// by the star's step: it only moves the place on, after the group marks between the two.
std::vector<TChainStep> ChainSteps(const std::vector<TNode>& nodes) {
  std::vector<TChainStep> steps;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const TNode& node = nodes[i];
    TChainStep step;
    switch (node.Kind) {
      case TNodeKind::Literal:
        if (i == 0) {
          step.Kind = TChainStep::TKind::Lead;
          step.Finder = TUnitFinder(node.Units);
          step.Length = node.Units.size();
          break;
        }
        steps.back().Length += node.Units.size();
        continue;
      case TNodeKind::Digit:
        steps.back().Length += 1;
        continue;
      case TNodeKind::Open:
      case TNodeKind::Close:
        step.Kind =
            node.Kind == TNodeKind::Open ? TChainStep::TKind::Open : TChainStep::TKind::Close;
        step.Group = static_cast<uint8_t>(node.Group);
        break;
      case TNodeKind::Repeat: {
        const TNode& follow = nodes[static_cast<size_t>(node.Follow)];
        if (follow.Kind == TNodeKind::Digit) {
          step.Kind = TChainStep::TKind::FindDigit;
        } else {
          step.Kind = TChainStep::TKind::Find;
          step.Finder = TUnitFinder(follow.Units);
        }
        break;
      }
      default:  // TNodeKind::End
        break;
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

// Regstart: every match starts with the first unit of a leading literal compared exactly.
void FindRegstart(TProgram& program) {
  const TNode& first = program.Nodes.front();
  if (first.Kind == TNodeKind::Literal && !first.FoldCase) {
    program.HasRegstart = true;
    program.Regstart = first.Units[0];
  }
}

// The start literal: when the first node that consumes input (group marks before it consume
// none) is a literal compared exactly, a match can only start where that literal occurs.
void FindStartLiteral(TProgram& program) {
  std::vector<TNode>& nodes = program.Nodes;
  const size_t lead = SkipMarks(nodes, 0);
  if (nodes[lead].Kind == TNodeKind::Literal && !nodes[lead].FoldCase) {
    program.StartLiteral = static_cast<int>(lead);
    nodes[lead].Finder = TUnitFinder(nodes[lead].Units);
  }
}

// Regmust: a program that opens with a repetition has no start literal to scan for, but every
// match still holds each of its literals; the longest one (the last of equal length), when it is
// compared exactly, is looked for before a search.
void FindRegmust(TProgram& program) {
  const std::vector<TNode>& nodes = program.Nodes;
  if (nodes[SkipMarks(nodes, 0)].Kind != TNodeKind::Repeat) return;
  const TNode* longest = nullptr;
  for (const TNode& node : nodes)
    if (node.Kind == TNodeKind::Literal &&
        (longest == nullptr || node.Units.size() >= longest->Units.size()))
      longest = &node;
  if (longest != nullptr && !longest->FoldCase) {
    program.Regmust = longest->Units;
    program.MustFinder = TUnitFinder(program.Regmust);
  }
}

// Follow links: a repetition whose next node past the group marks is a literal compared exactly
// or a digit knows that node, and such a literal is prepared for scanning.
void LinkFollows(std::vector<TNode>& nodes) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].Kind != TNodeKind::Repeat) continue;
    const size_t next = SkipMarks(nodes, i + 1);
    if ((nodes[next].Kind == TNodeKind::Literal && !nodes[next].FoldCase) ||
        nodes[next].Kind == TNodeKind::Digit) {
      nodes[i].Follow = static_cast<int>(next);
      if (nodes[next].Kind == TNodeKind::Literal)
        nodes[next].Finder = TUnitFinder(nodes[next].Units);
    }
  }
}

// Whether chain is a pair's steps: [lead,] open, [find digit,] find, close, end, where open and
// find move the place by nothing, the digit's step by its one unit, and close ends the group that
// open started.
bool IsPairChain(const std::vector<TChainStep>& chain, bool lead, bool digit) {
  const size_t open = lead ? 1 : 0;
  const size_t find = open + (digit ? 2 : 1);
  const size_t close = find + 1;
  if (chain.size() != close + 2) return false;
  if (lead && chain[0].Kind != TChainStep::TKind::Lead) return false;
  if (chain[open].Kind != TChainStep::TKind::Open || chain[open].Length != 0) return false;
  if (digit &&
      (chain[open + 1].Kind != TChainStep::TKind::FindDigit || chain[open + 1].Length != 1))
    return false;
  return chain[find].Kind == TChainStep::TKind::Find && chain[find].Length == 0 &&
         chain[close].Kind == TChainStep::TKind::Close && chain[close].Group == chain[open].Group;
}

// The pair forms of a lazy chain, literal(.*?)literal, literal(.*?\d.*?)literal and (.*?)literal:
// their group, their literals and the fewest units a match takes, read from the chain once.
void FindPair(TProgram& program) {
  const std::vector<TChainStep>& chain = program.Chain;
  TPair<char16_t>& pair = program.Pair;
  if (IsPairChain(chain, true, false)) {
    pair.Lead = true;
  } else if (IsPairChain(chain, true, true)) {
    pair.Lead = pair.Digit = true;
  } else if (!IsPairChain(chain, false, false)) {
    return;
  }
  const size_t open = pair.Lead ? 1 : 0;
  program.PairGroup = chain[open].Group;
  for (const TChainStep& step : chain) pair.MinLength += step.Length;
  if (pair.Lead) {
    pair.Opening = chain[0].Finder;
    pair.OpeningLength = chain[0].Length;
  }
  // The find step, then the close step, which moves the place past the closing literal.
  const TChainStep* closing = &chain[open + (pair.Digit ? 2 : 1)];
  pair.Closing = closing->Finder;
  pair.ClosingLength = closing[1].Length;
}

// What the search learns from a parsed program before it runs: where a match can start, which
// literal every match holds, what follows each repetition, and whether the program is a lazy
// chain (and then a pair) that the search takes without backtracking.
void Analyse(TProgram& program) {
  FindRegstart(program);
  FindStartLiteral(program);
  FindRegmust(program);
  LinkFollows(program.Nodes);
  program.LazyChain = IsLazyChain(program.Nodes);
  if (!program.LazyChain) return;
  program.Chain = ChainSteps(program.Nodes);
  FindPair(program);
}

}  // namespace

TCompileResult CompileProgram(std::u16string_view expression, const TModifiers& modifiers) {
  TCompileResult result;
  try {
    result.Program = TParser(expression, modifiers).Parse();
    Analyse(result.Program);
  } catch (const TParseFailure& failure) {
    result.ErrorCode = failure.Code;
    result.ErrorPos = static_cast<int>(std::min<size_t>(failure.At + 1, INT32_MAX));
  }
  return result;
}

}  // namespace brevak::matcher
