// TMatcher: pattern and input state, compiling on demand, the search entry points and the errors.
// Tested by tests/text/matcher_test.cpp.
#include "text/matcher.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "text/matcher_parse.h"
#include "text/textfind.h"

namespace brevak {

namespace {

constexpr std::string_view kModifierLetters = "irsgmx";

bool* ModifierByLetter(matcher::TModifiers& modifiers, char letter) {
  switch (letter) {
    case 'i':
    case 'I':
      return &modifiers.I;
    case 'r':
    case 'R':
      return &modifiers.R;
    case 's':
    case 'S':
      return &modifiers.S;
    case 'g':
    case 'G':
      return &modifiers.G;
    case 'm':
    case 'M':
      return &modifiers.M;
    case 'x':
    case 'X':
      return &modifiers.X;
    default:
      return nullptr;
  }
}

}  // namespace

TMatcher::TMatcher() = default;
TMatcher::~TMatcher() = default;

std::string TMatcher::ErrorMsg(int errorCode) const {
  switch (errorCode) {
    case mecTooManyGroups:
      return "TMatcher(comp): Too Many Groups";
    case mecMissingClose:
      return "TMatcher(comp): Missing )";
    case mecUnmatchedClose:
      return "TMatcher(comp): Unmatched )";
    case mecRepeatEmpty:
      return "TMatcher(comp): Repeated Atom Can Match Nothing";
    case mecNestedRepeat:
      return "TMatcher(comp): Nested Repetition";
    case mecRepeatNothing:
      return "TMatcher(comp): Repetition Follows Nothing";
    case mecTrailingBackslash:
      return "TMatcher(comp): Trailing \\";
    case mecUnsupported:
      return "TMatcher(comp): Unsupported Construct";
    case mecNotAssignedExpression:
      return "TMatcher(exec): Not Assigned Expression Property";
    case mecNoInputString:
      return "TMatcher(exec): No Input String Specified";
    case mecOffsetBelowOne:
      return "TMatcher(exec): Offset Must Be Greater Than 0";
    case mecExecNextWithoutExec:
      return "TMatcher(exec): ExecNext Without Exec[Pos]";
    case mecUnknownModifier:
      return "TMatcher: Unknown Modifier";
    default:
      return "TMatcher: Unknown Error";
  }
}

void TMatcher::Error(int errorCode) {
  FLastError = errorCode;
  if (errorCode < 1000) {
    throw EMatcher(ErrorMsg(errorCode) + " (pos " + std::to_string(FCompilerErrorPos) + ")",
                   errorCode, FCompilerErrorPos);
  }
  throw EMatcher(ErrorMsg(errorCode), errorCode, 0);
}

void TMatcher::ChangeExpression(std::u16string_view expression) {
  TPattern& current = FPatterns[FCurrent];
  if (!current.Program) {
    current.Expression.assign(expression);
    current.Fixed = nullptr;
    FProgram = nullptr;
    return;
  }
  TPattern& before = FPatterns[1 - FCurrent];
  before.Expression.assign(expression);
  before.Fixed = nullptr;
  before.Program.reset();
  before.Ready = nullptr;
  FCurrent = 1 - FCurrent;
  FProgram = nullptr;
  FBacktrackerReady = false;
}

void TMatcher::SetInputString(std::u16string_view text) {
  FCopy.assign(text);
  UseText(FCopy.data(), FCopy.size());
}

// Inline in Exec: it runs for every line of a page, most often for a line with no match.
[[gnu::always_inline]] inline void TMatcher::UseText(const char16_t* text, size_t size) {
  FText = text;
  FInputSize = size;
  FInputLength = std::min(size, size_t{INT_MAX - 1});
  FZeroFree = 0;
  FLengthKnown = false;
  FInputAssigned = true;
  FBacktrackerReady = false;
  UnsetSlots();
}

void TMatcher::FindLength(size_t end) {
  end = std::min(end, FInputLength);
  const size_t zero = FindUnit({FText + FZeroFree, end - FZeroFree}, u'\0');
  if (zero != std::u16string_view::npos) {
    FInputLength = FZeroFree + zero;
    FLengthKnown = true;
  } else if (end == FInputLength) {
    FLengthKnown = true;
  }
  FZeroFree = zero != std::u16string_view::npos ? FInputLength : end;
}

void TMatcher::SelectProgram() {
  if (!Compiled()) Compile();
  FProgram = FPatterns[FCurrent].Ready = FPatterns[FCurrent].Program.get();
}

void TMatcher::Compile() {
  TPattern& current = FPatterns[FCurrent];
  FProgram = current.Ready = nullptr;
  current.Program.reset();
  FBacktrackerReady = false;
  if (current.Expression.empty()) Error(mecNotAssignedExpression);
  matcher::TCompileResult compiled = matcher::CompileProgram(current.Expression, FModifiers);
  if (compiled.ErrorCode != 0) {
    FCompilerErrorPos = compiled.ErrorPos;
    Error(compiled.ErrorCode);
  }
  current.Program = std::make_unique<const matcher::TProgram>(std::move(compiled.Program));
  current.ProgModifiers = FModifiers;
}

bool TMatcher::SearchIsLinear() {
  if (!Compiled()) Compile();
  if (FPatterns[FCurrent].Program->PairGroup != 0) return true;
  // Without "*", "+" and "?" a match attempt takes at most one step per pattern unit.
  const std::u16string& e = Expression();
  for (std::size_t i = 0; i < e.size(); ++i) {
    if (e[i] == u'\\') {
      ++i;
      continue;
    }
    if (e[i] == u'*' || e[i] == u'+' || e[i] == u'?') return false;
  }
  return true;
}

std::string TMatcher::Dump() {
  if (!Compiled()) Compile();
  return FPatterns[FCurrent].Program->Dump();
}

bool TMatcher::Exec(std::u16string_view text) {
  UseText(text.data(), text.size());
  PrepareSearch();
  return SearchFrom(0);
}

bool TMatcher::ExecZeroFree(std::u16string_view text) {
  UseText(text.data(), text.size());
  FZeroFree = FInputLength;
  FLengthKnown = true;
  PrepareSearch();
  return SearchFrom(0);
}

bool TMatcher::SearchNext() {
  if (FSlots.End[0] < 0) Error(mecExecNextWithoutExec);
  const auto end = static_cast<size_t>(FSlots.End[0]);
  const size_t from = FSlots.Start[0] == FSlots.End[0] ? end + 1 : end;
  UnsetSlots();
  PrepareSearch();
  return SearchFrom(from, kZeroAhead);
}

bool TMatcher::ExecPos(int offset) {
  UnsetSlots();
  PrepareSearch();
  if (offset < 1) Error(mecOffsetBelowOne);
  return SearchFrom(static_cast<size_t>(offset) - 1);
}

void TMatcher::ResetBacktracker() {
  if (!FLengthKnown) FindLength();
  FBacktracker.Reset(*FProgram, InputString().substr(0, FInputLength));
  FBacktrackerReady = true;
}

[[gnu::always_inline]] inline bool TMatcher::SearchFrom(size_t from, size_t zeroAhead) {
  if (from > FInputLength) return false;
  const matcher::TProgram& program = *FProgram;
  const std::u16string_view text(FText, FInputLength);
  bool found;
  if (program.PairGroup != 0) {
    // literal(.*?)literal: the first opening literal, then the first closing literal after it;
    // (.*?)literal: the first closing literal; literal(.*?\d.*?)literal: the first opening
    // literal, the first digit after it, the first closing literal after that.
    size_t start = from, open = from;
    if (program.PairLead) {
      start = program.PairOpening.FindFrom(FText, from, FInputLength);
      if (start == std::u16string_view::npos) return false;
      open = start + program.PairOpeningLength;
    }
    size_t after = open;  // where the closing literal is looked for
    if (program.PairDigit) {
      const size_t digit = matcher::FindFirstDigit({FText + open, FInputLength - open});
      if (digit == std::u16string_view::npos) return false;
      after = open + digit + 1;
    }
    const size_t close = program.PairClosing.FindFrom<true>(FText, after, FInputLength);
    if (close == std::u16string_view::npos) return false;
    const size_t end = close + program.PairClosingLength;
    if (!NoZeroBefore(end, zeroAhead)) return false;
    const auto group = static_cast<size_t>(program.PairGroup);
    FSlots.Start[0] = static_cast<int32_t>(start);
    FSlots.Start[group] = static_cast<int32_t>(open);
    FSlots.End[group] = static_cast<int32_t>(close);
    FSlots.End[0] = static_cast<int32_t>(end);
    found = true;
  } else if (program.LazyChain) {
    found = matcher::ChainSearch(program, text, from, FSlots);
    if (found && !NoZeroBefore(static_cast<size_t>(FSlots.End[0]), zeroAhead)) {
      FSlots.Clear();
      found = false;
    }
  } else {
    if (!FBacktrackerReady) ResetBacktracker();
    found = FBacktracker.Search(from, FSlots);
  }
  FSlotsSet = found ? static_cast<size_t>(program.GroupCount) + 1 : 0;
  return found;
}

std::u16string TMatcher::Match(int n) const { return std::u16string(MatchView(n)); }

std::u16string_view TMatcher::MatchView(int n) const {
  if (MatchPos(n) < 0) return {};
  return InputString().substr(static_cast<size_t>(FSlots.Start[static_cast<size_t>(n)]),
                              static_cast<size_t>(MatchLen(n)));
}

int TMatcher::MatchPos(int n) const {
  if (n < 0 || n > kMaxSlot) return -1;
  const auto slot = static_cast<size_t>(n);
  if (FSlots.Start[slot] < 0 || FSlots.End[slot] < 0) return -1;
  return FSlots.Start[slot] + 1;
}

int TMatcher::MatchLen(int n) const {
  if (MatchPos(n) < 0) return -1;
  const auto slot = static_cast<size_t>(n);
  return FSlots.End[slot] - FSlots.Start[slot];
}

std::string TMatcher::ModifierStr() const {
  matcher::TModifiers modifiers = FModifiers;
  std::string on, off;
  for (const char letter : kModifierLetters)
    (*ModifierByLetter(modifiers, letter) ? on : off) += letter;
  return off.empty() ? on : on + "-" + off;
}

void TMatcher::SetModifierStr(std::string_view letters) {
  matcher::TModifiers modifiers = FModifiers;
  bool on = true;
  for (const char letter : letters) {
    if (letter == '-') {
      on = false;
      continue;
    }
    bool* modifier = ModifierByLetter(modifiers, letter);
    if (modifier == nullptr) Error(mecUnknownModifier);
    *modifier = on;
  }
  FModifiers = modifiers;
  ForgetReadyPrograms();
}

}  // namespace brevak
