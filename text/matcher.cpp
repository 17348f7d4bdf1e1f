// TMatcher: pattern and input state, compiling on demand, the search entry points and the errors.
// Tested by tests/text/matcher_test.cpp.
#include "text/matcher.h"

#include <algorithm>
#include <climits>

#include "text/matcher_parse.h"

namespace brevak {

namespace {

constexpr std::string_view kModifierLetters = "irsgmx";

bool* ModifierByLetter(matcher::TModifiers& modifiers, char letter) {
  switch (letter) {
    case 'i': case 'I': return &modifiers.I;
    case 'r': case 'R': return &modifiers.R;
    case 's': case 'S': return &modifiers.S;
    case 'g': case 'G': return &modifiers.G;
    case 'm': case 'M': return &modifiers.M;
    case 'x': case 'X': return &modifiers.X;
    default: return nullptr;
  }
}

}  // namespace

TMatcher::TMatcher() = default;
TMatcher::~TMatcher() = default;

std::string TMatcher::ErrorMsg(int error_code) const {
  switch (error_code) {
    case mecTooManyGroups: return "TMatcher(comp): Too Many Groups";
    case mecMissingClose: return "TMatcher(comp): Missing )";
    case mecUnmatchedClose: return "TMatcher(comp): Unmatched )";
    case mecRepeatEmpty: return "TMatcher(comp): Repeated Atom Can Match Nothing";
    case mecNestedRepeat: return "TMatcher(comp): Nested Repetition";
    case mecRepeatNothing: return "TMatcher(comp): Repetition Follows Nothing";
    case mecTrailingBackslash: return "TMatcher(comp): Trailing \\";
    case mecUnsupported: return "TMatcher(comp): Unsupported Construct";
    case mecNotAssignedExpression: return "TMatcher(exec): Not Assigned Expression Property";
    case mecNoInputString: return "TMatcher(exec): No Input String Specified";
    case mecOffsetBelowOne: return "TMatcher(exec): Offset Must Be Greater Than 0";
    case mecExecNextWithoutExec: return "TMatcher(exec): ExecNext Without Exec[Pos]";
    case mecUnknownModifier: return "TMatcher: Unknown Modifier";
    default: return "TMatcher: Unknown Error";
  }
}

void TMatcher::Error(int error_code) {
  fLastError = error_code;
  if (error_code < 1000) {
    throw EMatcher(ErrorMsg(error_code) + " (pos " + std::to_string(fCompilerErrorPos) + ")",
                   error_code, fCompilerErrorPos);
  }
  throw EMatcher(ErrorMsg(error_code), error_code, 0);
}

void TMatcher::DropProgram() {
  if (fProgram && fExprIsCompiled) {
    fSpareProgram = std::move(fProgram);
    fSpareExpression = fExpression;
    fSpareModifiers = fProgModifiers;
  }
  fProgram.reset();
  fExprIsCompiled = false;
  fBacktrackerReady = false;
}

void TMatcher::SetExpression(std::u16string_view expression) {
  if (fExprIsCompiled && expression == fExpression) return;
  DropProgram();
  fExpression.assign(expression);
}

void TMatcher::SetInputString(std::u16string_view text) {
  fInputString.assign(text);
  // Positions are handed out as int: a text is searched up to INT_MAX - 1 units at most.
  fInputLength = std::min({fInputString.find(u'\0'), fInputString.size(), size_t{INT_MAX - 1}});
  fInputAssigned = true;
  fBacktrackerReady = false;
  fSlots.Clear();
}

void TMatcher::CompileIfNeeded() {
  if (fProgram && fModifiers != fProgModifiers) DropProgram();
  if (fProgram) return;
  if (fExpression.empty()) Error(mecNotAssignedExpression);
  if (fSpareProgram && fSpareExpression == fExpression && fSpareModifiers == fModifiers) {
    std::swap(fProgram, fSpareProgram);
    fSpareProgram.reset();
  } else {
    matcher::TCompileResult compiled = matcher::CompileProgram(fExpression, fModifiers);
    if (compiled.ErrorCode != 0) {
      fCompilerErrorPos = compiled.ErrorPos;
      Error(compiled.ErrorCode);
    }
    fProgram = std::make_unique<matcher::TProgram>(std::move(compiled.Program));
  }
  fProgModifiers = fModifiers;
  fExprIsCompiled = true;
  fBacktrackerReady = false;
}

std::string TMatcher::Dump() {
  CompileIfNeeded();
  return fProgram->Dump();
}

bool TMatcher::Exec(std::u16string_view text) {
  SetInputString(text);
  return ExecPos(1);
}

bool TMatcher::ExecNext() {
  if (fSlots.End[0] < 0) Error(mecExecNextWithoutExec);
  const size_t end = static_cast<size_t>(fSlots.End[0]);
  return SearchFrom(fSlots.Start[0] == fSlots.End[0] ? end + 1 : end);
}

bool TMatcher::ExecPos(int offset) {
  fSlots.Clear();
  CompileIfNeeded();
  if (!fInputAssigned) Error(mecNoInputString);
  if (offset < 1) Error(mecOffsetBelowOne);
  return SearchFrom(static_cast<size_t>(offset) - 1);
}

bool TMatcher::SearchFrom(size_t from) {
  fSlots.Clear();
  CompileIfNeeded();
  if (!fInputAssigned) Error(mecNoInputString);
  if (from > fInputLength) return false;
  if (!fBacktrackerReady) {
    fBacktracker.Reset(*fProgram, std::u16string_view(fInputString).substr(0, fInputLength));
    fBacktrackerReady = true;
  }
  return fBacktracker.Search(from, fSlots);
}

std::u16string TMatcher::Match(int n) const {
  if (MatchPos(n) < 0) return {};
  return fInputString.substr(static_cast<size_t>(fSlots.Start[static_cast<size_t>(n)]),
                             static_cast<size_t>(MatchLen(n)));
}

int TMatcher::MatchPos(int n) const {
  if (n < 0 || n > kMaxSlot) return -1;
  const auto slot = static_cast<size_t>(n);
  if (fSlots.Start[slot] < 0 || fSlots.End[slot] < 0) return -1;
  return fSlots.Start[slot] + 1;
}

int TMatcher::MatchLen(int n) const {
  if (MatchPos(n) < 0) return -1;
  const auto slot = static_cast<size_t>(n);
  return fSlots.End[slot] - fSlots.Start[slot];
}

std::string TMatcher::ModifierStr() const {
  matcher::TModifiers modifiers = fModifiers;
  std::string on, off;
  for (const char letter : kModifierLetters)
    (*ModifierByLetter(modifiers, letter) ? on : off) += letter;
  return off.empty() ? on : on + "-" + off;
}

void TMatcher::SetModifierStr(std::string_view letters) {
  matcher::TModifiers modifiers = fModifiers;
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
  fModifiers = modifiers;
}

}  // namespace brevak
