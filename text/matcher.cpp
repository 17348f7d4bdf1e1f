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
  FBytePairFor = nullptr;  // its program may have been that one
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
  FSearched = TSearched::Units;
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
  FBytePairFor = nullptr;
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

[[gnu::always_inline]] inline void TMatcher::SetPairSlots(const matcher::TProgram& program,
                                                          const matcher::TPairMatch& at) {
  const auto group = static_cast<size_t>(program.PairGroup);
  FSlots.Start[0] = static_cast<int32_t>(at.Start);
  FSlots.Start[group] = static_cast<int32_t>(at.Open);
  FSlots.End[group] = static_cast<int32_t>(at.Close);
  FSlots.End[0] = static_cast<int32_t>(at.End);
}

void TMatcher::SetByteUnits(const std::array<char16_t, 256>& units) {
  FByteUnits = units;
  FHasByteUnits = true;
  FBytePairFor = nullptr;
}

void TMatcher::PrepareBytePair() {
  FBytePairFor = FProgram;
  FBytePairUsable = false;
  const matcher::TProgram& program = *FProgram;
  if (!FHasByteUnits || program.PairGroup == 0) return;
  // The byte of each unit of a literal, when exactly one byte stands for it: then the literal
  // occurs in the units where its bytes occur in the bytes.
  const auto inBytes = [&](const std::u16string& units, std::string& bytes) {
    for (const char16_t unit : units) {
      int found = 0;
      for (size_t b = 0; b < FByteUnits.size(); ++b) {
        if (FByteUnits[b] != unit) continue;
        if (++found > 1) return false;
        bytes += static_cast<char>(b);
      }
      if (found == 0) return false;
    }
    return true;
  };
  const matcher::TPair<char16_t>& pair = program.Pair;
  std::string opening, closing;
  if (!inBytes(pair.Opening.Needle(), opening) || !inBytes(pair.Closing.Needle(), closing)) return;
  if (pair.Digit) {
    // The digit's scan looks for the bytes "0" .. "9": they must be the digits, and the only ones.
    for (size_t b = 0; b < FByteUnits.size(); ++b)
      if ((FByteUnits[b] >= u'0' && FByteUnits[b] <= u'9') != (b >= '0' && b <= '9')) return;
  }
  FBytePair.Lead = pair.Lead;
  FBytePair.Digit = pair.Digit;
  FBytePair.MinLength = pair.MinLength;
  FBytePair.Opening = TByteFinder(opening);
  FBytePair.Closing = TByteFinder(closing);
  FBytePair.OpeningLength = pair.OpeningLength;
  FBytePair.ClosingLength = pair.ClosingLength;
  FBytePairUsable = true;
}

bool TMatcher::SearchesBytes() {
  if (FProgram == nullptr) SelectProgram();
  if (FBytePairFor != FProgram) PrepareBytePair();
  return FBytePairUsable;
}

[[gnu::always_inline]] inline bool TMatcher::SearchBytesFrom(size_t from) {
  if (from > FInputLength) return false;
  matcher::TPairMatch at;
  if (!matcher::FindPairMatch(FBytePair, FBytes, from, FInputLength, at)) return false;
  SetPairSlots(*FProgram, at);
  FSlotsSet = static_cast<size_t>(FProgram->GroupCount) + 1;
  return true;
}

bool TMatcher::ExecBytes(std::string_view text) {
  // Known at every line but the first, without a call.
  const bool direct =
      FProgram != nullptr && FBytePairFor == FProgram ? FBytePairUsable : SearchesBytes();
  if (!direct) {
    // Searched in its units, as ExecZeroFree would; the match is read in the bytes all the same.
    FCopy.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
      FCopy[i] = FByteUnits[static_cast<unsigned char>(text[i])];
    const bool found = ExecZeroFree(FCopy);
    FBytes = text.data();
    FSearched = TSearched::DecodedBytes;
    return found;
  }
  UseText(nullptr, 0);
  FInputLength = std::min(text.size(), size_t{INT_MAX - 1});
  FZeroFree = FInputLength;
  FLengthKnown = true;
  FBytes = text.data();
  FSearched = TSearched::Bytes;
  return SearchBytesFrom(0);
}

bool TMatcher::SearchNext() {
  if (FSlots.End[0] < 0) Error(mecExecNextWithoutExec);
  const auto end = static_cast<size_t>(FSlots.End[0]);
  const size_t from = FSlots.Start[0] == FSlots.End[0] ? end + 1 : end;
  UnsetSlots();
  PrepareSearch();
  if (FSearched == TSearched::Bytes) return SearchBytesFrom(from);
  return SearchFrom(from, kZeroAhead);
}

bool TMatcher::ExecPos(int offset) {
  UnsetSlots();
  PrepareSearch();
  if (offset < 1) Error(mecOffsetBelowOne);
  if (FSearched == TSearched::Bytes) return SearchBytesFrom(static_cast<size_t>(offset) - 1);
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
    matcher::TPairMatch at;
    if (!matcher::FindPairMatch(program.Pair, FText, from, FInputLength, at)) return false;
    if (!NoZeroBefore(at.End, zeroAhead)) return false;
    SetPairSlots(program, at);
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
  if (MatchPos(n) < 0 || FSearched == TSearched::Bytes) return {};
  return InputString().substr(static_cast<size_t>(FSlots.Start[static_cast<size_t>(n)]),
                              static_cast<size_t>(MatchLen(n)));
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
